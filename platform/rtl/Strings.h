// UTF-16 <-> UTF-8 <-> ANSI conversions.
//
// The ANSI code page is UTF-8 unless a test narrows it with SetAnsiCodePage;
// ill-formed input never fails: unpaired surrogates and invalid UTF-8 bytes
// become U+FFFD.
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

namespace rtl {

String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(std::u16string_view s);

// File names: the bytes of a name are not always UTF-8. Each byte that is not
// part of a well-formed UTF-8 sequence becomes the lone surrogate
// U+DC80..U+DCFF (0x80..0xFF) and turns back into that byte, so
// StringToFileName(FileNameToString(b)) == b for every byte string and a name
// that reached a String this way still opens the same file. Well-formed text
// converts as with the functions above.
String FileNameToString(std::string_view bytes);
std::string StringToFileName(std::u16string_view s);

// ANSI code page of the process. "UTF-8" by default; any iconv name otherwise.
void SetAnsiCodePage(const std::string& iconvName);
const std::string& AnsiCodePage();
// Characters the code page cannot hold become '?', as a narrowing conversion does.
AnsiString StringToAnsi(std::u16string_view s);
String AnsiToString(std::string_view ansi);

// Short aliases for building Strings from literals in UTF-8 source.
inline String S(std::string_view utf8) { return Utf8ToString(utf8); }
inline std::string U8(std::u16string_view s) { return StringToUtf8(s); }

}  // namespace rtl
