#include <benchmark/benchmark.h>

#include "compare_every_slot.h"
#include "recode/recode_text.h"
#include "sample_text.h"

namespace lettermorph {
namespace {

// 16 MiB of UTF-16 text.
constexpr std::size_t kUnits = 8u << 20;

enum class Set { Design, Reset };

struct Fixture {
  explicit Fixture(Set set) : text(RussianProse(kUnits)) {
    if (set == Set::Reset) {
      table.ApplyResetDefaults();
    }
  }
  std::u16string text;
  ReplacementTable table;
};

void Count(benchmark::State& state, const Fixture& fixture) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * fixture.text.size()));
}

// As a caller uses it once: the result is a new string, page faults of fresh memory included.
void RecodeTextFresh(benchmark::State& state, Set set) {
  const Fixture fixture(set);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RecodeText(fixture.text, fixture.table));
  }
  Count(state, fixture);
}

// The pass itself, into a buffer that stays allocated between runs.
void RecodeTextReused(benchmark::State& state, Set set) {
  const Fixture fixture(set);
  std::u16string out;
  for (auto _ : state) {
    out.resize(RecodedLength(fixture.text, fixture.table));
    RecodeTextInto(fixture.text, fixture.table, out);
    benchmark::DoNotOptimize(out.data());
  }
  Count(state, fixture);
}

void CompareEverySlotReference(benchmark::State& state, Set set) {
  const Fixture fixture(set);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CompareEverySlot(fixture.text, fixture.table));
  }
  Count(state, fixture);
}

BENCHMARK_CAPTURE(RecodeTextFresh, design, Set::Design)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RecodeTextFresh, reset, Set::Reset)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RecodeTextReused, design, Set::Design)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RecodeTextReused, reset, Set::Reset)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompareEverySlotReference, design, Set::Design)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CompareEverySlotReference, reset, Set::Reset)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lettermorph

BENCHMARK_MAIN();
