#include "skin/data/bsUtilsText.h"

#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "skin/data/bsIniFiles.h"

namespace skin {

void WriteStreamString(rtl::TStream& Stream, const String& S) {
  const std::int32_t count = static_cast<std::int32_t>(S.size());
  Stream.WriteBuffer(&count, 4);
  if (count > 0) Stream.WriteBuffer(S.data(), rtl::Int64(count) * 2);
}

void ReadStreamString(rtl::TStream& Stream, String& S) {
  std::int32_t count = 0;
  Stream.ReadBuffer(&count, 4);
  const rtl::Int64 available = Stream.Size() - Stream.Position();
  if (count < 0 || rtl::Int64(count) * 2 > available) throw rtl::EReadError("Stream read error");
  S.assign(static_cast<size_t>(count), u'\0');
  if (count > 0) Stream.ReadBuffer(S.data(), rtl::Int64(count) * 2);
}

void ExtractToken(String& Source, String& Token) {
  Token.clear();
  size_t i = 0;
  for (; i < Source.size(); ++i) {
    const char16_t c = Source[i];
    if (c == u' ' || c == u'(' || c == u')' || c == u',' || c == u':' || c == u';' || c == u'=') {
      ++i;
      break;
    }
    Token += c;
  }
  Source.erase(0, i);
  Token = TrimText(Token);
  Source = TrimText(Source);
}

void ParseRectText(const String& Text, rtl::TRect& R) {
  String rest = Text;
  int v[4] = {0, 0, 0, 0};
  for (int& value : v) {
    String token;
    ExtractToken(rest, token);
    if (!TryParseInt(token, value)) {
      R = rtl::TRect{};
      return;
    }
  }
  R = rtl::TRect{v[0], v[1], v[2], v[3]};
}

}  // namespace skin
