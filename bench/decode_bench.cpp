// How well and how fast look-alike text reads back as Russian: decode(recode(text)) for both
// built-in sets on the shipped texts, word by word, then the decoder's speed.
//
// Usage: decode_bench [RUNS [RUSSIAN_TEXT]]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <memory_resource>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "decode/decode_text.h"
#include "decode/utf8_stream_decoder.h"
#include "lexicon/lexicon.h"
#include "recode/recode_text.h"
#include "system/table_memory.h"
#include "text/utf8.h"

namespace lettermorph {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), {}};
  if (bytes.empty()) {
    throw std::runtime_error("cannot read " + path);
  }
  return bytes;
}

std::string Utf8(std::u16string_view text) {
  std::string bytes;
  AppendUtf8(text, bytes);
  return bytes;
}

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == u'\u00A0';
}

// Cut at every single space character, so that the pieces of the text and of its decoding
// stay side by side even where a word vanished entirely.
std::vector<std::u16string> Pieces(std::u16string_view text) {
  std::vector<std::u16string> pieces(1);
  for (char16_t c : text) {
    if (IsSpace(c)) {
      pieces.emplace_back();
    } else {
      pieces.back() += c;
    }
  }
  return pieces;
}

bool HasCyrillic(std::u16string_view piece) {
  return std::any_of(piece.begin(), piece.end(),
                     [](char16_t c) { return c >= 0x400 && c < 0x500; });
}

bool HasLatin(std::u16string_view piece) {
  return std::any_of(piece.begin(), piece.end(), [](char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  });
}

struct Score {
  int russian = 0, russianExact = 0, english = 0, englishKept = 0;
  std::map<std::string, int> errors;
};

Score Compare(std::u16string_view original, std::u16string_view decoded) {
  const auto before = Pieces(original), after = Pieces(decoded);
  if (before.size() != after.size()) {
    throw std::runtime_error("the decoding lost or added a space");
  }
  Score score;
  for (std::size_t i = 0; i < before.size(); ++i) {
    const bool same = before[i] == after[i];
    if (HasCyrillic(before[i])) {
      ++score.russian;
      score.russianExact += same;
    } else if (HasLatin(before[i])) {
      ++score.english;
      score.englishKept += same;
    } else {
      continue;
    }
    if (!same) {
      ++score.errors[Utf8(before[i]) + " -> " + Utf8(after[i])];
    }
  }
  return score;
}

void PrintErrors(const Score& score, std::size_t count) {
  std::vector<std::pair<int, std::string>> errors;
  for (const auto& [text, times] : score.errors) {
    errors.emplace_back(-times, text);
  }
  std::sort(errors.begin(), errors.end());
  errors.resize(std::min(errors.size(), count));
  for (const auto& [times, text] : errors) {
    std::printf("      %2dx %s\n", -times, text.c_str());
  }
}

class NullSink final : public ByteSink {
 public:
  bool Write(std::string_view bytes) override {
    size += bytes.size();
    return true;
  }
  std::size_t size = 0;
};

// MB/s of the stream decoder over `text` in pieces of the size lettermorph-cli reads, by the
// wall clock: the decoder decodes words ahead on a second processor, which processor time, all
// threads together, would count against it.
double DecodeRate(const std::string& text, const ReplacementTable& table, const WordIndex* index) {
  constexpr std::size_t kPiece = Utf8StreamDecoder::kPreferredPiece;
#ifdef __GLIBC__
  // The memory of the runs before goes back to the system, so that the decoder's own memory
  // comes to it fresh, as in a new lettermorph-cli.
  malloc_trim(0);
#endif
  Utf8StreamDecoder decoder(table, index);
  NullSink sink;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t at = 0; at < text.size(); at += kPiece) {
    decoder.Decode(std::string_view(text).substr(at, kPiece), sink);
  }
  decoder.Finish(sink);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  return text.size() / std::max(seconds.count(), 1e-6) / 1e6;
}

// Inputs made to be slow: every word new and ambiguous, long words, words that wait for their
// neighbours, text without spaces. Each is a few MiB, the same on every run.
std::vector<std::pair<const char*, std::string>> HardInputs() {
  std::uint32_t state = 12345;
  const auto next = [&state](std::uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % below;
  };
  const auto words = [&](std::initializer_list<const char*> pieces, std::uint32_t shortest,
                         std::uint32_t longest, const char* between) {
    const std::vector<const char*> from(pieces);
    std::string text;
    while (text.size() < (4u << 20)) {
      for (std::uint32_t n = shortest + next(longest - shortest + 1); n > 0; --n) {
        text += from[next(static_cast<std::uint32_t>(from.size()))];
      }
      text += between;
    }
    return text;
  };
  return {
      {"runs of 40 of u, E, e", words({"u", "E", "e"}, 40, 40, " ")},
      {"256-byte words of u and e", words({"u", "e"}, 256, 256, " ")},
      {"short look-alike words",
       words({"u", "E", "e", "IIL", "JI", "bI", "9I", "}|{", "w", "6"}, 2, 12, " ")},
      {"English-shaped words",
       words({"no", "He", "a", "u", "B", "c", "on", "To", "Ha"}, 1, 1, " ")},
      {"no spaces, words and slashes", words({"u", "JI", "e", "/", "_", "="}, 4, 4, "")},
  };
}

// Text where nearly every word is new: each form of the frequency list once, in an order
// shuffled the same way on every run, as sentences of five to fourteen words on lines of their
// own, each starting with a capital.
std::string DistinctWords() {
  std::vector<std::u16string> forms;
  const std::string list = ReadFile(LETTERMORPH_DATA_DIR "/russian-word-frequencies.tsv");
  for (std::size_t at = 0; at < list.size();) {
    std::size_t end = list.find('\n', at);
    end = end == list.npos ? list.size() : end;
    const std::string_view line = std::string_view(list).substr(at, end - at);
    if (!line.empty() && line.front() != '#') {
      forms.push_back(Utf16FromUtf8(line.substr(0, line.find('\t'))));
    }
    at = end + 1;
  }
  std::uint32_t state = 2026;
  const auto next = [&state](std::uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % below;
  };
  for (std::size_t i = forms.size(); i > 1; --i) {
    std::swap(forms[i - 1], forms[next(static_cast<std::uint32_t>(i))]);
  }
  std::u16string text;
  for (std::size_t i = 0; i < forms.size();) {
    for (std::uint32_t n = 5 + next(10); n > 0 && i < forms.size(); --n, ++i) {
      std::u16string form = forms[i];
      if (text.empty() || text.back() == u'\n') {
        form[0] = form[0] == u'ё'                      ? u'Ё'
                  : form[0] >= u'а' && form[0] <= u'я' ? form[0] - 0x20
                                                       : form[0];
      } else {
        text += u' ';
      }
      text += form;
    }
    text += next(4) == 0 ? u"!\n" : u".\n";
  }
  return Utf8(text);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace
}  // namespace lettermorph

int main(int argc, char** argv) {
  using namespace lettermorph;
  const int runs = argc > 1 ? std::stoi(argv[1]) : 5;
  // As lettermorph-cli does: the decoder's word cache in large pages.
  std::pmr::set_default_resource(&TableMemory());
  // With a Russian text after the runs, only that text is timed: recoded with each set and
  // decoded once per run by a new decoder, the index already open.
  const char* textPath = argc > 2 ? argv[2] : nullptr;
  ReplacementTable design, reset;
  reset.ApplyResetDefaults();
  std::map<const ReplacementTable*, std::unique_ptr<Lexicon>> lexicons;
  for (const ReplacementTable* table : {&design, &reset}) {
    lexicons[table] = Lexicon::Load(*table, DefaultDictionary(), LexiconCacheFolder());
    if (lexicons[table]->DictionaryState() != Lexicon::Dictionary::Used) {
      std::fprintf(stderr, "decode_bench: no dictionary at %s\n",
                   DefaultDictionary().string().c_str());
      return 1;
    }
  }
  const std::pair<const char*, const ReplacementTable*> sets[] = {{"design", &design},
                                                                  {"reset", &reset}};
  const std::pair<const char*, const char*> texts[] = {
      {"sample_ru.txt (prose)", LETTERMORPH_BENCH_DIR "/sample_ru.txt"},
      {"news_ru.txt (news)", LETTERMORPH_BENCH_DIR "/news_ru.txt"},
      {"mixed_ru_en.txt", LETTERMORPH_BENCH_DIR "/mixed_ru_en.txt"}};

  if (textPath != nullptr) {
    const std::u16string text = Utf16FromUtf8(ReadFile(textPath));
    for (const auto& [setName, table] : sets) {
      const std::string recoded = Utf8(RecodeText(text, *table));
      std::vector<double> rates;
      for (int run = 0; run < runs; ++run) {
        rates.push_back(DecodeRate(recoded, *table, &lexicons[table]->Index()));
      }
      std::printf("%-7s %5.2f MB decoded once, in-process: %5.1f MB/s\n", setName,
                  recoded.size() / 1e6, Median(rates));
    }
    return 0;
  }

  std::printf("== Words exact in decode(recode(text)), with the Russian dictionary ==\n");
  for (const auto& [setName, table] : sets) {
    for (const auto& [textName, path] : texts) {
      const std::u16string original = Utf16FromUtf8(ReadFile(path));
      const std::u16string recoded = RecodeText(original, *table);
      for (const WordIndex* used :
           {&lexicons[table]->Index(), static_cast<const WordIndex*>(nullptr)}) {
        const Score score = Compare(original, DecodeText(recoded, *table, used));
        std::printf("%-7s %-22s %-14s Russian %4d/%4d = %5.1f%%", setName, textName,
                    used ? "dictionary" : "no dictionary", score.russianExact, score.russian,
                    100.0 * score.russianExact / score.russian);
        if (score.english > 0) {
          std::printf("   English kept %3d/%3d = %5.1f%%", score.englishKept, score.english,
                      100.0 * score.englishKept / score.english);
        }
        std::printf("\n");
        if (used) {
          PrintErrors(score, 8);
        }
      }
    }
  }

  std::printf("\n== Decoding speed, MB/s of look-alike input (median of %d runs) ==\n", runs);
  const std::string prose = ReadFile(LETTERMORPH_BENCH_DIR "/sample_ru.txt");
  const std::string news = ReadFile(LETTERMORPH_BENCH_DIR "/news_ru.txt");
  const std::u16string distinct = Utf16FromUtf8(DistinctWords());
  for (const auto& [setName, table] : sets) {
    // 32 MiB of repeated prose: after the first round every word comes from the cache.
    std::string repeated;
    const std::string recodedProse = Utf8(RecodeText(Utf16FromUtf8(prose), *table));
    while (repeated.size() < (32u << 20)) {
      repeated += recodedProse;
    }
    // Both texts once with a new decoder: every distinct word asks the dictionary.
    const std::string fresh = recodedProse + Utf8(RecodeText(Utf16FromUtf8(news), *table));
    const std::string forms = Utf8(RecodeText(distinct, *table));
    std::vector<double> warm, cold, many, none;
    for (int run = 0; run < runs; ++run) {
      warm.push_back(DecodeRate(repeated, *table, &lexicons[table]->Index()));
      cold.push_back(DecodeRate(fresh, *table, &lexicons[table]->Index()));
      many.push_back(DecodeRate(forms, *table, &lexicons[table]->Index()));
      none.push_back(DecodeRate(repeated, *table, nullptr));
    }
    std::printf(
        "%-7s repeated prose, 32 MiB: %6.1f MB/s   every word new: %5.1f MB/s   "
        "every listed form once (%.1f MB): %5.1f MB/s   no dictionary: %6.1f MB/s\n",
        setName, Median(warm), Median(cold), forms.size() / 1e6, Median(many), Median(none));
  }

  std::printf("\n== Decoding speed on inputs made to be slow, design set, MB/s (median of %d) ==\n",
              runs);
  for (const auto& [name, text] : HardInputs()) {
    std::vector<double> rates;
    for (int run = 0; run < runs; ++run) {
      rates.push_back(DecodeRate(text, design, &lexicons[&design]->Index()));
    }
    std::printf("%-30s %6.1f MB/s\n", name, Median(rates));
  }
  return 0;
}
