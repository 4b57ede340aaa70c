#pragma once

#include <array>
#include <string>

#include "system/code_page.h"

namespace lettermorph {

// A Windows code page such as the ANSI code page, converted with the Win32 calls. Characters
// it lacks are written as its default character, never as a best-fit look-alike, and bytes it
// leaves undefined become U+FFFD whatever the system makes of them.
class WindowsCodePage final : public CodePage {
 public:
  explicit WindowsCodePage(unsigned codePage);

  std::u16string ToUtf16(std::string_view bytes) const override;
  bool FromUtf16(std::u16string_view text, std::string& out) const override;

 private:
  std::u16string ToUtf16ByteByByte(std::string_view bytes) const;

  unsigned codePage_;
  bool singleByte_ = false;
  std::string defaultCharacter_ = "?";
  std::array<char16_t, 256> byteTable_{};  // for a single-byte code page
};

}  // namespace lettermorph
