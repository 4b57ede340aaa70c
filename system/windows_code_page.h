#pragma once

#include "system/code_page.h"

namespace lettermorph {

// A Windows code page such as the ANSI code page, converted with the Win32 calls. Characters
// it lacks are written as its default character, never as a best-fit look-alike.
class WindowsCodePage final : public CodePage {
 public:
  explicit WindowsCodePage(unsigned codePage) : codePage_(codePage) {}

  std::u16string Decode(std::string_view bytes) const override;
  bool Encode(std::u16string_view text, std::string& out) const override;

 private:
  unsigned codePage_;
};

}  // namespace lettermorph
