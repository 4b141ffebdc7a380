// The INI text under skin descriptions, and small text helpers.
//
// Skin texts are read and written through the runtime library's
// TCustomIniFile, so that the same description code serves a file on disk
// and a text held in memory (TMemIniFile). The helpers here move a whole text
// in and out of a TMemIniFile: the skin text is CR LF lines with an empty
// line after each section.
#pragma once

#include <vector>

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Types.h"

namespace skin {

using rtl::String;
using rtl::TCustomIniFile;
using rtl::TMemIniFile;

// Replaces the content of Ini by the sections and keys of Text.
void SetIniText(TMemIniFile& Ini, const String& Text);
// Every section, in order: "[name]", its keys, an empty line; CR LF ends.
String GetIniText(TCustomIniFile& Ini);
std::vector<String> IniSectionNames(TCustomIniFile& Ini);
std::vector<String> IniSectionKeys(TCustomIniFile& Ini, const String& Section);

// The framework's integer conversion: optional blanks and sign, then decimal
// digits or "$"/"0x" and hexadecimal digits; false when not a 32-bit integer.
bool TryParseInt(const String& Text, int& Value);
bool SameTextAscii(const String& A, const String& B);
String TrimText(const String& S);

}  // namespace skin
