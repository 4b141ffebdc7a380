// The records a media probe hands out: file-level information, one record
// per stream kind, and the picture held after decoding.
//
// Times are microseconds unless a field says "in the stream's time base".
// A record that could not be filled holds -1 in every number and empty
// texts, so callers can tell "not given" from a real zero.
#pragma once

#include <cstdint>

#include "engine/FFEntries.h"
#include "engine/FFUtils.h"
#include "platform/rtl/Types.h"

namespace player {

struct TFileStreamInfo {
  int64_t StartTime = -1;
  int64_t Duration = -1;
  int BitRate = -1;
  int64_t TimeStamp = -1;  // seconds since 1970
  int Year = -1;
  int Track = -1;
  rtl::String Title, Author, Copyright, Comment, Album, Genre;
};

struct TAudioStreamInfo {
  rtl::String Language;
  rtl::String CodecName;
  int64_t StartTime = -1;        // stream time base
  int64_t StartTimeScaled = -1;  // microseconds
  int64_t Duration = -1;         // stream time base
  int64_t DurationScaled = -1;   // microseconds
  int BitRate = -1;
  int Channels = -1;
  int SampleRate = -1;
  AVSampleFormat SampleFormat = static_cast<AVSampleFormat>(-1);
};

struct TVideoStreamInfo {
  rtl::String Language;
  rtl::String CodecName;
  int64_t StartTime = -1;
  int64_t StartTimeScaled = -1;
  int64_t Duration = -1;
  int64_t DurationScaled = -1;
  int BitRate = -1;
  int Height = -1;
  int Width = -1;
  float AspectRatio = -1.0f;  // display width / height; 0 when the codec gives no pixel aspect
  AVPixelFormat PixFmt = static_cast<AVPixelFormat>(-1);
  AVRational FrameRate{-1, -1};  // the stream's real frame rate
};

struct TSubtitleStreamInfo {
  rtl::String Language;
  rtl::String CodecName;
};

enum TPictureType : uint8_t { ptUnknown, ptI, ptP, ptB, ptS, ptSI, ptSP, ptBI };

// An FFmpeg picture: four planes and their line sizes.
using engine::TAVPicture;

// The last decoded picture of a probe. Buffer is owned by the probe
// (FFmpeg allocator) and keeps its capacity across pictures.
struct TFrameInfo {
  AVPixelFormat PixFmt = static_cast<AVPixelFormat>(-1);
  int Width = -1;
  int Height = -1;
  bool IsKeyFrame = false;
  TPictureType PictureType = ptUnknown;
  int64_t PTS = AV_NOPTS_VALUE;          // microseconds from the stream's start
  int64_t OriginalDTS = AV_NOPTS_VALUE;  // stream time base
  int64_t OriginalPTS = AV_NOPTS_VALUE;  // stream time base
  int StreamIndex = -1;
  int64_t Position = -1;  // byte position of the input when the decode began
  bool Ready = false;
  TAVPicture Picture;
  uint8_t* Buffer = nullptr;
  int Size = 0;
};

}  // namespace player
