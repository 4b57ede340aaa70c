#include "iconv_code_page.h"

#include <bit>
#include <cerrno>
#include <utility>

#include "iconv_converter.h"

namespace lettermorph {
namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::unique_ptr<IconvCodePage> IconvCodePage::Open(const std::string& name) {
  auto toUtf16 = std::make_unique<IconvConverter>(kUtf16, name.c_str());
  auto fromUtf16 = std::make_unique<IconvConverter>(name.c_str(), kUtf16);
  if (!toUtf16->Valid() || !fromUtf16->Valid()) {
    return nullptr;
  }
  return std::unique_ptr<IconvCodePage>(
      new IconvCodePage(std::move(toUtf16), std::move(fromUtf16)));
}

IconvCodePage::IconvCodePage(std::unique_ptr<IconvConverter> toUtf16,
                             std::unique_ptr<IconvConverter> fromUtf16)
    : toUtf16_(std::move(toUtf16)), fromUtf16_(std::move(fromUtf16)) {}

IconvCodePage::~IconvCodePage() = default;

std::u16string IconvCodePage::ToUtf16(std::string_view bytes) const {
  IconvConverter& converter = *toUtf16_;
  converter.Reset();
  // Narrow character sets take at least a byte for each UTF-16 unit, so this rarely grows.
  std::u16string text(bytes.size() + 4, u'\0');
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  std::size_t written = 0;
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(text.data() + written);
    std::size_t outLeft = (text.size() - written) * sizeof(char16_t);
    const bool done = converter.Convert(in, inLeft, out, outLeft);
    written = text.size() - outLeft / sizeof(char16_t);
    if (done) {
      break;
    }
    if (errno == E2BIG) {
      text.resize(text.size() + inLeft + 4);
    } else {
      // An undefined or truncated byte: mark it and go on with the next one.
      if (written == text.size()) {
        text.resize(text.size() + inLeft + 4);
      }
      text[written++] = 0xFFFD;
      ++in;
      --inLeft;
    }
  }
  text.resize(written);
  return text;
}

bool IconvCodePage::FromUtf16(std::u16string_view text, std::string& out) const {
  IconvConverter& converter = *fromUtf16_;
  converter.Reset();
  bool exact = true;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t before = out.size();
    out.resize(before + (text.size() - at) * 2 + 8);
    const char* in = reinterpret_cast<const char*>(text.data() + at);
    std::size_t inLeft = (text.size() - at) * sizeof(char16_t);
    char* dst = out.data() + before;
    std::size_t outLeft = out.size() - before;
    const bool done = converter.Convert(in, inLeft, dst, outLeft);
    out.resize(out.size() - outLeft);
    at = text.size() - inLeft / sizeof(char16_t);
    if (done) {
      break;
    }
    if (errno != E2BIG) {
      // A character the code page lacks, or an unpaired surrogate: write the default
      // character once for the whole character and go on after it.
      out += '?';
      exact = false;
      const bool pair =
          IsHighSurrogate(text[at]) && at + 1 < text.size() && IsLowSurrogate(text[at + 1]);
      at += pair ? 2 : 1;
    }
  }
  // Stateful character sets end with a sequence that returns them to their initial state.
  std::string tail(16, '\0');
  const char* in = nullptr;
  std::size_t inLeft = 0;
  char* dst = tail.data();
  std::size_t outLeft = tail.size();
  converter.Convert(in, inLeft, dst, outLeft);
  out.append(tail.data(), tail.size() - outLeft);
  return exact;
}

}  // namespace lettermorph
