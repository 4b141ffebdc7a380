// The multi-line information text of a media file: metadata blocks with
// ID3 frame names made readable, one line per stream, rates in the short
// "25 fps" / "29.97 fps" / "90k tbn" forms.
//
// Needs avutil (and avcodec for stream lines) loaded. Reentrant.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/FFEntries.h"
#include "platform/rtl/Types.h"

namespace player {

using TTextLines = std::vector<rtl::String>;

// ", 25 fps", ", 29.97 fps" or ", 90k tbn".
rtl::String FormatRate(double ARate, const char* AUnit);
// "12.345678": seconds and microseconds; "-0.023000" before zero.
rtl::String MicrosecondsText(int64_t AMicroseconds);
// The plain name of an ID3 frame key (case-sensitive); other keys unchanged.
const char* MetadataKeyName(const char* AKey);
// "<indent>Metadata:" and one line per tag except "language"; nothing when
// the block is empty or holds only "language".
void DumpMetadata(TTextLines& AList, const AVDictionary* AMetadata, const rtl::String& AIndent);
// The line of one stream followed by its metadata.
void DumpStreamFormat(TTextLines& AList, const AVFormatContext* AContext, int AIndex);

}  // namespace player
