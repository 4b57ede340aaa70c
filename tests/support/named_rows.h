#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lettermorph {
namespace {

// Rows of a table test are named by their `name` field: in the names of the tests, through
// RowName, and in what a failure prints. In this anonymous namespace, which is the test file's
// own, the printer is found for the rows declared there.
template <typename Row>
requires requires(const Row& row) {
  row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
  *out << row.name;
}

constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

}  // namespace
}  // namespace lettermorph
