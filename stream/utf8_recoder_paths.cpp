#include "utf8_recoder_paths.h"

#include "stream/utf8_stream_recoder.h"

#if defined(LETTERMORPH_X86_64) && defined(_MSC_VER) && !defined(__clang__)
#include <immintrin.h>
#include <intrin.h>
#endif

namespace lettermorph {
namespace {

using Path = Utf8StreamRecoder::Path;

#ifdef LETTERMORPH_X86
// SSE2 is part of x86-64; only a 32-bit build must ask.
bool HasSse2() {
#if !defined(LETTERMORPH_X86_64) && (defined(__GNUC__) || defined(__clang__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#else
  return true;
#endif
}
#endif

#ifdef LETTERMORPH_X86_64
#if defined(__GNUC__) || defined(__clang__)
bool HasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("popcnt");
}

bool HasAvx512() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
         __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi") &&
         __builtin_cpu_supports("popcnt");
}
#else
// The processor must have the instructions and the system must save the registers they use.
bool HasFeatures(bool zmm) {
  int basic[4], extended[4];
  __cpuid(basic, 0);
  if (basic[0] < 7) {
    return false;
  }
  __cpuid(basic, 1);
  const bool osSavesAvx = (basic[2] >> 27 & 1) && (basic[2] >> 28 & 1);
  if (!osSavesAvx) {
    return false;
  }
  const unsigned long long saved = _xgetbv(0);
  if ((saved & 0x6) != 0x6 || (zmm && (saved & 0xE0) != 0xE0)) {
    return false;
  }
  __cpuidex(extended, 7, 0);
  const auto bit = [](int word, int n) { return (word >> n & 1) != 0; };
  // AVX2, BMI1 and POPCNT; AVX-512 F, BW, VL, VBMI and VBMI2.
  const bool avx2 = bit(extended[1], 5) && bit(extended[1], 3) && bit(basic[2], 23);
  const bool avx512 = bit(extended[1], 16) && bit(extended[1], 30) && bit(extended[1], 31) &&
                      bit(extended[2], 1) && bit(extended[2], 6);
  return zmm ? avx2 && avx512 : avx2;
}

bool HasAvx2() {
  return HasFeatures(false);
}

bool HasAvx512() {
  return HasFeatures(true);
}
#endif
#endif

}  // namespace

std::vector<Path> Utf8StreamRecoder::SupportedPaths() {
  std::vector<Path> paths{Path::kScalar};
#ifdef LETTERMORPH_X86
  if (HasSse2()) {
    paths.push_back(Path::kSse2);
  }
#endif
#ifdef LETTERMORPH_X86_64
  if (HasAvx2()) {
    paths.push_back(Path::kAvx2);
  }
  if (HasAvx512()) {
    paths.push_back(Path::kAvx512);
  }
#endif
  return paths;
}

std::string_view Utf8StreamRecoder::PathName(Path path) {
  switch (path) {
    case Path::kScalar:
      return "scalar";
    case Path::kSse2:
      return "sse2";
    case Path::kAvx2:
      return "avx2";
    case Path::kAvx512:
      return "avx512";
  }
  return "?";
}

const utf8_recoding::PathFunctions& Utf8StreamRecoder::FunctionsFor(Path path) {
  switch (path) {
#ifdef LETTERMORPH_X86
    case Path::kSse2:
      return utf8_recoding::Sse2Functions();
#endif
#ifdef LETTERMORPH_X86_64
    case Path::kAvx2:
      return utf8_recoding::Avx2Functions();
    case Path::kAvx512:
      return utf8_recoding::Avx512Functions();
#endif
    default:
      return utf8_recoding::ScalarFunctions();
  }
}

}  // namespace lettermorph
