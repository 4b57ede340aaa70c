#pragma once

#include <QString>
#include <string_view>

namespace lettermorph {

// QString and the recoding pass's strings are both UTF-16; these pass code units across
// unchanged.
// (QString::fromUtf16 would take a leading U+FEFF for a byte-order mark and drop it.)
inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string_view ToView(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

}  // namespace lettermorph
