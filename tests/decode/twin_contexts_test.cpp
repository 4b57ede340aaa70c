#include "twin_contexts.h"

#include <gtest/gtest.h>

namespace lettermorph {
namespace {

using Kind = TwinContexts::Kind;

// All twins of each kind are even, so a context's odds are its own: "при" before "-ии" only,
// "-ких" before "-ий" only, "-их" even for one kind and "-ий" only for the other, "-ко"
// before "-ии" only and "сколько", seen three times, before "-ий". The broken lines below
// them must change nothing.
constexpr std::string_view kTable =
    "# kind, context, before -ии, before -ий\n"
    "ия\t*\t100\t100\n"
    "ие\t*\t100\t100\n"
    "ия\tпри\t40\t0\n"
    "ие\tпри\t30\t0\n"
    "ия\t-ких\t0\t40\n"
    "ия\t-их\t10\t10\n"
    "ие\t-их\t0\t30\n"
    "ия\tвсе\t12\t0\n"
    "ия\t-ко\t30\t0\n"
    "ия\tсколько\t0\t3\n"
    "ия\tпри\t0\n"
    "ия\tпри\tx\t90\n"
    "ия\tпри\t0\t90\t1\n"
    "ой\tпри\t0\t90\n";

TEST(TwinContexts, TheWordBeforeDecidesWhereItWasSeenOftenEnough) {
  const TwinContexts table(kTable);
  // The word itself, else its longest ending that was seen.
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"при"), 0), false);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"нескольких"), 0), true);
  // "-ких" was never seen before the other kind: "-их" speaks for it.
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeMessage, table.ContextOf(u"нескольких"), 0), true);
  // A context as often before either ending says nothing, nor does a word never seen.
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"других"), 0), std::nullopt);
  EXPECT_EQ(table.ContextOf(u"дом"), TwinContexts::kUnseen);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, TwinContexts::kUnseen, 0), std::nullopt);
  EXPECT_EQ(table.NothingBefore(), TwinContexts::kUnseen);
  // A word seen a few times leans on its ending, which says the opposite: neither wins.
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"сколько"), 0), std::nullopt);
  // ё is read as е.
  EXPECT_NE(table.ContextOf(u"все"), TwinContexts::kUnseen);
  EXPECT_EQ(table.ContextOf(u"всё"), table.ContextOf(u"все"));
}

TEST(TwinContexts, TheFrequenciesOfTheTwoFormsWeighIn) {
  const TwinContexts table(kTable);
  const std::uint16_t context = table.ContextOf(u"нескольких");
  // "-ких" makes "-ий" 41 times likelier (e^3.7); a form 148 times (e^5) rarer still loses,
  // and one 20 times (e^3) rarer leaves the choice too close to call.
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, context, -5 * 8), false);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, context, -3 * 8), std::nullopt);
}

// The table built in: what Russian grammar asks after these words, by hand.
TEST(TwinContexts, BuiltInTableKnowsCommonPhrases) {
  const TwinContexts& table = TwinContexts::BuiltIn();
  EXPECT_NE(table.NothingBefore(), TwinContexts::kUnseen);
  // "при версии", "в сообщении", "нескольких версий", "этих сообщений", "контроля версий".
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"при"), 0), false);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeMessage, table.ContextOf(u"в"), 0), false);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"нескольких"), 0), true);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeMessage, table.ContextOf(u"этих"), 0), true);
  EXPECT_EQ(table.PrefersShortI(Kind::kLikeVersion, table.ContextOf(u"контроля"), 0), true);
}

}  // namespace
}  // namespace lettermorph
