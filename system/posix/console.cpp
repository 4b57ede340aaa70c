#include "system/console.h"

#include <cstdio>

namespace lettermorph {
namespace {

void Write(std::string_view text, std::FILE* stream) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace

void WriteToStandardError(std::string_view text) {
  Write(text, stderr);
}

void WriteToStandardOutput(std::string_view text) {
  Write(text, stdout);
}

}  // namespace lettermorph
