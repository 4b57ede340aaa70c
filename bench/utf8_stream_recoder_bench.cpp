#include <benchmark/benchmark.h>

#include "bench/sample_text.h"
#include "engine/recode_text.h"
#include "engine/utf8_stream_recoder.h"

namespace lettermorph {
namespace {

// 64 MiB of UTF-8 Russian prose, fed in pieces of the size the command-line program reads.
constexpr std::size_t kUnits = 36u << 20;
constexpr std::size_t kPiece = 256 * 1024;

class NullSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
};

const std::string& Prose() {
  static const std::string bytes = [] {
    std::string out;
    AppendUtf8(RussianProse(kUnits), out);
    return out;
  }();
  return bytes;
}

void Count(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void StreamRecoder(benchmark::State& state, bool reset) {
  const std::string& text = Prose();
  ReplacementTable table;
  if (reset) {
    table.ApplyResetDefaults();
  }
  Utf8StreamRecoder recoder(table);
  NullSink sink;
  for (auto _ : state) {
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
      recoder.Recode(std::string_view(text).substr(at, kPiece), sink);
    }
    recoder.Finish(sink);
  }
  Count(state, text.size());
}

// The same result the long way: decode, recode as UTF-16, encode, over the same pieces.
void DecodeRecodeEncodeReference(benchmark::State& state, bool reset) {
  const std::string& text = Prose();
  ReplacementTable table;
  if (reset) {
    table.ApplyResetDefaults();
  }
  std::string out;
  for (auto _ : state) {
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
      out.clear();
      AppendUtf8(RecodeText(DecodeUtf8(std::string_view(text).substr(at, kPiece)), table), out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  Count(state, text.size());
}

BENCHMARK_CAPTURE(StreamRecoder, design, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StreamRecoder, reset, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRecodeEncodeReference, design, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeRecodeEncodeReference, reset, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lettermorph

BENCHMARK_MAIN();
