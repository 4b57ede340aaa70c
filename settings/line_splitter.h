#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

namespace lettermorph {

// Cuts text that arrives in pieces into lines. A line ends at CR LF, a lone CR or a lone LF,
// and the line end is not part of it; a CR LF split between two pieces is one line end. Works
// on bytes and on UTF-16 units alike.
template <typename Unit>
class LineSplitter {
 public:
  // Called with each complete line; returns false to stop.
  using LineHandler = std::function<bool(std::basic_string_view<Unit>)>;

  explicit LineSplitter(LineHandler onLine, std::size_t expectedLength = 0)
      : onLine_(std::move(onLine)) {
    line_.reserve(expectedLength);
  }

  // False once the handler has asked to stop.
  bool Feed(std::basic_string_view<Unit> text) {
    while (!text.empty() && !stopped_) {
      if (afterCr_ && text.front() == Unit('\n')) {
        text.remove_prefix(1);
      }
      afterCr_ = false;
      const auto stop = std::find_if(text.begin(), text.end(),
                                     [](Unit c) { return c == Unit('\r') || c == Unit('\n'); });
      const auto end = static_cast<std::size_t>(stop - text.begin());
      line_.append(text.substr(0, end));
      if (stop == text.end()) {
        break;
      }
      afterCr_ = text[end] == Unit('\r');
      text.remove_prefix(end + 1);
      stopped_ = !onLine_(line_);
      line_.clear();
    }
    return !stopped_;
  }

  // The text after the last line end is a last line without one.
  void Finish() {
    if (!line_.empty() && !stopped_) {
      onLine_(line_);
    }
    line_.clear();
  }

 private:
  LineHandler onLine_;
  std::basic_string<Unit> line_;
  bool afterCr_ = false;
  bool stopped_ = false;
};

}  // namespace lettermorph
