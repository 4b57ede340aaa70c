#pragma once

#include <array>
#include <string_view>

#include "recode/slot_letters.h"

namespace lettermorph {

using ReplacementSet = std::array<std::u16string_view, kSlotCount>;

// Rows of eleven slots: А–Й, К–Ф, Х–Я, then а–й, к–ф, х–я.
// clang-format off

// What a new table holds. "А" is dropped, "а" stays Cyrillic, and "Ж", "Ц", "Ш", "Щ" are
// drawn from several glyphs.
inline constexpr ReplacementSet DesignDefaults = {
    u"",    u"6",   u"B",   u"r",   u"D",   u"E",   u"E",   u"}|{", u"3",   u"u",   u"u",
    u"K",   u"JI",  u"M",   u"H",   u"O",   u"n",   u"P",   u"C",   u"T",   u"Y",   u"F",
    u"X",   u"IL",  u"4",   u"III", u"IIL", u"",    u"bI",  u"b",   u"E",   u"I0",  u"9I",
    u"а",   u"6",   u"B",   u"r",   u"g",   u"e",   u"e",   u"}|{", u"3",   u"u",   u"u",
    u"k",   u"JI",  u"m",   u"H",   u"o",   u"n",   u"p",   u"c",   u"T",   u"y",   u"F",
    u"x",   u"IL",  u"4",   u"III", u"IIL", u"",    u"bI",  u"b",   u"e",   u"I0",  u"9I",
};

// What the Reset command writes: plain ASCII throughout.
inline constexpr ReplacementSet ResetDefaults = {
    u"A",   u"6",   u"B",   u"r",   u"D",   u"E",   u"E",   u">I<", u"3",   u"u",   u"u",
    u"K",   u"JI",  u"M",   u"H",   u"O",   u"n",   u"P",   u"C",   u"T",   u"Y",   u"F",
    u"X",   u"u",   u"4",   u"W",   u"W",   u"",    u"bI",  u"b",   u"E",   u"I0",  u"9I",
    u"a",   u"6",   u"B",   u"r",   u"g",   u"e",   u"e",   u">I<", u"3",   u"u",   u"u",
    u"K",   u"JI",  u"m",   u"H",   u"o",   u"n",   u"p",   u"c",   u"T",   u"y",   u"f",
    u"x",   u"u",   u"4",   u"w",   u"w",   u"",    u"bI",  u"b",   u"e",   u"I0",  u"9I",
};

// clang-format on

}  // namespace lettermorph
