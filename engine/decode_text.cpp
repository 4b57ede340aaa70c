#include "engine/decode_text.h"

#include "engine/utf8.h"
#include "engine/utf8_stream_decoder.h"

namespace lettermorph {

std::u16string DecodeText(std::u16string_view text, const ReplacementTable& table,
                          const Dictionary* dictionary) {
  std::string bytes;
  AppendUtf8(text, bytes);
  Utf8StreamDecoder decoder(table, dictionary);
  StringSink sink;
  decoder.Decode(bytes, sink);
  decoder.Finish(sink);
  return DecodeUtf8(sink.text);
}

}  // namespace lettermorph
