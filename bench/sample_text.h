#pragma once

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "text/utf8.h"

namespace lettermorph {

// The shipped Russian prose, repeated until it is at least `units` UTF-16 units long.
inline std::u16string RussianProse(std::size_t units) {
  std::ifstream in(LETTERMORPH_SAMPLE_TEXT, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  const std::u16string sample = Utf16FromUtf8(bytes);
  if (sample.empty()) {
    throw std::runtime_error("cannot read " LETTERMORPH_SAMPLE_TEXT);
  }
  std::u16string text;
  text.reserve(units + sample.size());
  while (text.size() < units) {
    text += sample;
  }
  return text;
}

}  // namespace lettermorph
