#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lettermorph {

// The narrow character set that settings.ini is stored in: the ANSI code page on Windows,
// the locale's character set elsewhere. Reading bytes as text never fails; writing text
// as bytes puts the code page's default character for anything it cannot represent and says so.
class CodePage {
 public:
  virtual ~CodePage() = default;

  // The system's narrow code page. UTF-8 where the locale is UTF-8 or the plain C locale, or
  // where its character set cannot be used.
  static std::unique_ptr<CodePage> System();
  // A code page by name ("UTF-8", "CP1251", "KOI8-R"); null when the system does not know it.
  static std::unique_ptr<CodePage> Named(std::string_view name);

  virtual std::u16string ToUtf16(std::string_view bytes) const = 0;
  // Appends the encoding of `text` to `out`; false when some character had to be replaced by
  // the default character.
  virtual bool FromUtf16(std::u16string_view text, std::string& out) const = 0;
};

}  // namespace lettermorph
