#include <benchmark/benchmark.h>

#include <random>

#include "recode/recode_text.h"
#include "sample_text.h"
#include "stream/utf8_stream_recoder.h"

namespace lettermorph {
namespace {

// 64 MiB inputs, fed in pieces of the size lettermorph-cli maps or reads.
constexpr std::size_t kSize = 64u << 20;
constexpr std::size_t kPiece = 4u << 20;

class NullSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
};

std::string Cut(std::string bytes) {
  bytes.resize(kSize, ' ');
  return bytes;
}

// Russian prose, with Latin punctuation and spaces between the words.
const std::string& Prose() {
  static const std::string bytes = [] {
    std::string out;
    AppendUtf8(RussianProse(kSize), out);
    return Cut(std::move(out));
  }();
  return bytes;
}

// The same prose in Latin look-alikes: plain ASCII, where nothing changes.
const std::string& Ascii() {
  static const std::string bytes = [] {
    ReplacementTable table;
    table.ApplyResetDefaults();
    std::string out;
    for (char16_t c : RecodeText(RussianProse(kSize), table)) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      }
    }
    return Cut(std::move(out));
  }();
  return bytes;
}

// The 66 letters in random order, nothing else.
const std::string& Letters() {
  static const std::string bytes = [] {
    std::mt19937 random(1);
    std::u16string text(kSize / 2, u' ');
    for (char16_t& c : text) {
      c = kSlotLetters[random() % kSlotLetters.size()];
    }
    std::string out;
    AppendUtf8(text, out);
    return Cut(std::move(out));
  }();
  return bytes;
}

void StreamRecoder(benchmark::State& state, const std::string& (*input)(),
                   Utf8StreamRecoder::Path path) {
  const std::string& text = input();
  const ReplacementTable table;
  Utf8StreamRecoder recoder(table, path);
  NullSink sink;
  for (auto _ : state) {
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
      recoder.Recode(std::string_view(text).substr(at, kPiece), sink);
    }
    recoder.Finish(sink);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The same result the long way: decode, recode as UTF-16, encode, over the same pieces.
void DecodeRecodeEncodeReference(benchmark::State& state) {
  const std::string& text = Prose();
  const ReplacementTable table;
  std::string out;
  for (auto _ : state) {
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
      out.clear();
      AppendUtf8(RecodeText(Utf16FromUtf8(std::string_view(text).substr(at, kPiece)), table), out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace
}  // namespace lettermorph

int main(int argc, char** argv) {
  using namespace lettermorph;
  const std::pair<const char*, const std::string& (*)()> inputs[] = {
      {"prose", Prose}, {"ascii", Ascii}, {"letters", Letters}};
  for (const auto& [name, input] : inputs) {
    for (Utf8StreamRecoder::Path path : Utf8StreamRecoder::SupportedPaths()) {
      const std::string label = std::string("StreamRecoder/") + name + "/" +
                                std::string(Utf8StreamRecoder::PathName(path));
      benchmark::RegisterBenchmark(label.c_str(), StreamRecoder, input, path)
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RegisterBenchmark("DecodeRecodeEncodeReference/prose", DecodeRecodeEncodeReference)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
