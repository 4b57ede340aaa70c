#include "charset_name.h"

#include <cctype>

namespace lettermorph {

std::string FoldedCharsetName(std::string_view name) {
  std::string folded;
  for (char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      folded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return folded;
}

}  // namespace lettermorph
