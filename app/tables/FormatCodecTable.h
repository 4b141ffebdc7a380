// The codec parameters of every profile: output extension, encoders, tag,
// frame rate and size, aspect, bit rates, channels and sample rate, and the
// target type of the DVD, SVCD and VCD profiles.
//
// Immutable once built; safe to read from any thread. The main window's table
// is FormatCodecTable() in ProfileTables.h.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/tables/ProfileKey.h"
#include "app/tables/VideoFields.h"
#include "platform/rtl/Types.h"

namespace tables {

// The audio half of a row, shared by many rows. Empty texts and bit rate -1
// mean "not set".
struct TAudioParameterSet {
  rtl::String Name;  // "AP1" ...
  rtl::String AudioCodec;
  rtl::String AudioChannels;
  rtl::String AudioSampleRate;
  std::int32_t AudioBitrate = -1;
  int Rows = 0;  // rows that use the set, as the table states it
};

enum class TCodecRowKind {
  Video,    // ordinary row
  NoVideo,  // audio-only: no video stream, every video field unset
  Target,   // DVD/SVCD/VCD: the target preset chooses codecs and rates
};

struct TFormatCodecRow {
  TProfileKey Key = 0;
  rtl::String Ext;      // replaces the input's extension in the output name
  rtl::String FileExt;  // Video_FileExt: Ext, or empty in the rows that leave it unset
  TCodecRowKind Kind = TCodecRowKind::Video;
  rtl::String VideoCodec;
  rtl::String VideoTag;
  rtl::String FrameRate;
  rtl::String FrameSize;
  rtl::String FrameAspectRatio;
  std::int32_t VideoBitrate = -1;
  rtl::String TargetType;  // "dvd", "svcd" or "vcd" in target rows
  rtl::String NormType;    // "PAL" in target rows
  int AudioSet = 0;        // index into TFormatCodecTable::AudioSets()
  rtl::String AudioCodec;
  rtl::String AudioChannels;
  rtl::String AudioSampleRate;
  std::int32_t AudioBitrate = -1;

  bool DisableVideo() const { return Kind == TCodecRowKind::NoVideo; }
  // Writes the fields this row sets (non-empty texts, bit rates other than
  // -1, the audio-only flag) and leaves every other field as it is; the
  // output file name is the caller's.
  void ApplyTo(TVideoFields& video) const;
};

class TFormatCodecTable {
 public:
  // Audio sets: name, codec, channels, sample rate, bit rate, rows.
  // Rows: key, ext, file ext, video codec ("no video", "target <type>" or an
  // encoder name), tag, rate, size, aspect, video bit rate, audio set name.
  // Empty fields are unset; keys ascend.
  static TFormatCodecTable FromTsv(std::string_view audioSetsText, std::string_view rowsText,
                                   std::string_view source = "codecs");

  const TFormatCodecRow* Find(TProfileKey key) const;
  const std::vector<TFormatCodecRow>& Rows() const { return rows_; }
  const std::vector<TAudioParameterSet>& AudioSets() const { return audioSets_; }

 private:
  std::vector<TAudioParameterSet> audioSets_;
  std::vector<TFormatCodecRow> rows_;
};

}  // namespace tables
