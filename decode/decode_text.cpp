#include "decode/decode_text.h"

#include "decode/utf8_stream_decoder.h"
#include "text/utf8.h"

namespace lettermorph {

std::u16string DecodeText(std::u16string_view text, const ReplacementTable& table,
                          const WordIndex* index) {
  std::string bytes;
  AppendUtf8(text, bytes);
  Utf8StreamDecoder decoder(table, index);
  StringSink sink;
  decoder.Decode(bytes, sink);
  decoder.Finish(sink);
  return Utf16FromUtf8(sink.text);
}

}  // namespace lettermorph
