// Stream strings, token extraction and rectangle texts of the skin library.
//
// WriteStreamString stores a String as a 32-bit little-endian count of UTF-16
// code units followed by the units; ReadStreamString reads one back and
// raises rtl::EReadError for a count that is negative or larger than the
// stream holds, before allocating anything. ExtractToken walks the whole
// text, however long.
#pragma once

#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

namespace skin {

using rtl::String;

void WriteStreamString(rtl::TStream& Stream, const String& S);
void ReadStreamString(rtl::TStream& Stream, String& S);

// Takes characters from the front of Source up to the first separator (space,
// "(", ")", ",", ":", ";", "="), which is removed too; then trims both.
void ExtractToken(String& Source, String& Token);
// Four tokens as Left, Top, Right, Bottom; (0, 0, 0, 0) when any is not an integer.
void ParseRectText(const String& Text, rtl::TRect& R);

}  // namespace skin
