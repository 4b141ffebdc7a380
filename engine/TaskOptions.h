// Task option records: what a caller of the task list says about each input
// and output file of a task, and the extra-options text ("name=value" lines)
// that may stand in for the converter's command-line options.
//
// The records are plain values owned by the caller; the task list copies
// them. The Apply* routines turn a record and its text into options of one
// transcoder, in a fixed order, so that a record field that is set wins over
// the same option in the text. They run on the thread that sets the task up
// and raise whatever the transcoder's setters raise (the caller reports it).
//
// Conventions: -1 in a number (-1.0 for the mux delays) and the smallest
// 64-bit value in a time (NoTimestamp) mean "not set"; so does empty text.
// Times are microseconds.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Types.h"

namespace engine {

class TCustomFFmpeg;

// FFmpeg's no-timestamp value: a time that is not set.
inline constexpr int64_t NoTimestamp = std::numeric_limits<int64_t>::min();

enum TOptionTargetType { ttIgnore, ttVCD, ttSVCD, ttDVD };
enum TOptionNormType { ntAuto, ntPAL, ntNTSC };
// Only ntPAL or ntNTSC: the norm used when the input does not tell.
using TOptionNormDefault = TOptionNormType;

// Metadata and recording time of an output file.
struct TStreamInfo {
  // Local date-time: 0 = now, above 0 = that date, negative = not set.
  double TimeStamp = -1.0;
  int Year = -1;
  int Track = -1;
  std::string Title, Author, Copyright, Comment, Album, Genre;
};

struct TInputOptions {
  rtl::String FileName;  // filled from the call's file name when empty
  rtl::String FileFormat;
  int64_t TimeStart = NoTimestamp;
  int ProgramID = -1;
  rtl::String ExtOptions;
  int Tag = 0;
  void* Data = nullptr;
};
using PInputOptions = TInputOptions*;

struct TOutputOptions {
  rtl::String FileName;  // filled from the call's file name when empty
  rtl::String FileExt;   // the caller's note; never read here
  rtl::String FileFormat;
  int PacketSize = -1;
  int MuxRate = -1;
  float MuxDelay = -1.0f;
  float MuxPreload = -1.0f;
  rtl::String AudioCodec;
  rtl::String AudioPreset;
  bool DisableAudio = false;
  int AudioVolume = -1;
  int AudioChannels = -1;
  int AudioSampleRate = -1;
  int AudioBitrate = -1;
  int AudioBitRateTolerance = -1;
  rtl::String AudioLanguage;
  int AudioSyncMethod = 0;
  rtl::String AudioTag;
  rtl::String VideoCodec;
  rtl::String VideoPreset;
  bool DisableVideo = false;
  rtl::String FrameRate;
  rtl::String FrameSize;
  rtl::String FrameAspectRatio;
  int CropTop = -1, CropBottom = -1, CropLeft = -1, CropRight = -1;
  int GroupPictureSize = -1;
  int VideoBitrate = -1;
  int VideoMaxRate = -1;
  int VideoMinRate = -1;
  int VideoBitRateTolerance = -1;
  int VideoBufSize = -1;
  int VideoSyncMethod = -1;
  rtl::String VideoTag;
  rtl::String VideoFilters;
  rtl::String VideoLanguage;
  rtl::String SubtitleCodec;
  rtl::String SubtitlePreset;
  bool DisableSubtitle = false;
  rtl::String SubtitleLanguage;
  bool InputSync = false;
  bool CopyTimestamp = false;
  int64_t TimeStart = NoTimestamp;
  int64_t TimeLength = NoTimestamp;
  TStreamInfo Info;
  TOptionTargetType TargetType = ttIgnore;
  TOptionNormType NormType = ntAuto;
  TOptionNormDefault NormDefault = ntPAL;
  bool CustomHook = false;  // hand decoded frames to the component's custom hook
  bool Join = false;        // open the output in join mode
  rtl::String ExtOptions;
  int Tag = 0;
  void* Data = nullptr;
};
using POutputOptions = TOutputOptions*;

void InitInputOptions(TInputOptions& AOptions);
void InitOutputOptions(TOutputOptions& AOptions);

// One line of an extra-options text.
struct TExtOption {
  rtl::String Name;
  rtl::String Value;
};
using TExtOptionList = std::vector<TExtOption>;

// Trims the whole text, makes every line break (CR, LF, CR LF, LF CR) and
// every "<CRLF>" one LF, cuts at LF and each line at its first "=". A line
// without "=" has an empty value; lines themselves are not trimmed.
TExtOptionList SplitExtOptions(const rtl::String& AText);

// Records from text: "TimeStart" (input and output), "TimeLength", "Hook",
// "CustomHook" and "Join" (output) set their fields, names matched without
// case; every other line goes to ExtOptions. Hook and Join take any value as
// "on"; a time that is no number leaves the time not set.
TInputOptions InputOptionsFromText(const rtl::String& AText);
TOutputOptions OutputOptionsFromText(const rtl::String& AText);

// A local date-time to whole seconds since 1970-01-01 UTC, with the zone's
// standard offset (daylight saving not applied); halves round to even.
int64_t DateTimeToUnixTime(double ADateTime);

// The lines of AText as transcoder options, names in lower case. Names that
// later passes handle (new streams, presets, filters) are skipped; codec
// names and "s" only when AIncludeCodecs.
void ApplyExtOptions(TCustomFFmpeg& AFFmpeg, const rtl::String& AText, bool AIncludeCodecs);

// An input record's options, before the input is opened: its text, then
// format, start time and program.
void ApplyInputRecord(TCustomFFmpeg& AFFmpeg, const TInputOptions& AOptions);

// The codec, preset, frame-size and filter values an output's streams take:
// the record's fields as "def_" defaults, then the text's lines in order.
using TStreamOptionList = std::vector<std::pair<rtl::String, rtl::String>>;
TStreamOptionList BuildStreamOptionList(const TOutputOptions& AOptions);

// Everything of an output record that precedes opening the output: target,
// default codecs and presets, the text, the fields, frame size and filters.
void ApplyOutputRecordBeforeOpen(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions,
                                 const TStreamOptionList& AList);
void ApplyOutputTarget(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions);
void ApplyOutputRecord(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions);

// After the output is open: each "newaudio", "newvideo" and "newsubtitle"
// line takes the next unused codec, preset, size and filter lines of the
// text (falling back to the defaults) before adding its stream.
void ApplyNewStreamOptions(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions,
                           TStreamOptionList& AList);

}  // namespace engine
