#pragma once

#include <iconv.h>

#include <cstddef>

namespace lettermorph {

// One iconv conversion descriptor, closed when it goes. Opening one costs far more than a
// conversion, so a code page keeps its two for as long as it lives.
class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvConverter() {
    if (Valid()) {
      iconv_close(cd_);
    }
  }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Back to the initial shift state, for a conversion that starts afresh.
  void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

  // Converts as much as it can; returns false with errno set where it had to stop. With a
  // null `in`, writes what returns a stateful character set to its initial state.
  bool Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    return iconv(cd_, const_cast<char**>(&in), &inLeft, &out, &outLeft) !=
           static_cast<std::size_t>(-1);
  }

 private:
  iconv_t cd_;
};

}  // namespace lettermorph
