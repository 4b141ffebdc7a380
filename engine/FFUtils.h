// FFmpeg-facing helpers shared by the transcoder, the media probe, the
// preview player and the preview window: times and error codes as text, the
// generic option store, whole-file reading, decoded pictures as 24-bit
// bitmaps, and codec, media-type and metadata texts.
//
// All FFmpeg calls go through the loader's entry points: the caller has
// loaded its library set. TFFOptions and TRGBConvertContext belong to one
// owner and are used by one thread at a time; nothing here is shared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/FFEntries.h"
#include "platform/rtl/Types.h"

namespace gdi {
class TBitmap;
}

namespace engine {

// "N/A" for AV_NOPTS_VALUE, else "hh:mm:ss.zzz" (hours not wrapped at 24).
rtl::String DurationToStr(int64_t AMicroseconds);
// One frame's duration in microseconds; 40000 when num or den is 0.
int64_t FrameRateToDuration(AVRational ARate);
// APrefix + ": " + the text of an FFmpeg error code ("Error number %d
// occurred" for a code without a text of its own).
rtl::String FFmpegErrorText(const rtl::String& APrefix, int ACode);
// How far a video stream's pictures must be turned clockwise to stand upright
// (its display matrix, else its "rotate" tag), in degrees from 0 to below 360;
// 0 when upright.
double DisplayRotation(const AVStream* AStream);
// "Video", "Audio", "Data", "Subtitle", "Attachment" or "Unknown".
rtl::String MediaTypeText(int AMediaType);
// Joins AFrom's output to ATo's input in AGraph: directly when ADescription
// is empty, else through the filters it describes ("in" and "out" name the
// two ends). Returns 0 or FFmpeg's error code.
int LinkThroughFilters(AVFilterGraph* AGraph, AVFilterContext* AFrom, AVFilterContext* ATo,
                       const std::string& ADescription);

// Generic option store of one transcoder: contexts that only hold values
// set by name, and the names set so far, which SetContextOptions copies into
// the real contexts. The store owns its contexts between AllocFFOptions and
// FreeFFOptions.
struct TFFOptions {
  std::vector<std::string> opt_names;  // each name once, in the order first set
  AVCodecContext* avcodec_opts[AVMEDIA_TYPE_NB] = {};  // video, audio, data, subtitle, attachment
  AVFormatContext* avformat_opts = nullptr;
  SwsContext* sws_opts = nullptr;
};

void ResetFFOptions(TFFOptions& AOpts);
void AllocFFOptions(TFFOptions& AOpts, int ASwsFlags);
void FreeFFOptions(TFFOptions& AOpts);
// Sets a generic option by name on every context that knows it (codec
// options on each media type whose flags accept them, then format, then
// scaler options; "ab", "vb", "sb"-style names fall back to the audio, video
// or subtitle context without their first letter). False for a blank name or
// value, an unknown name, or a value the option refuses (logged as an
// llError line).
bool SetFFOption(TFFOptions& AOpts, const std::string& AName, const std::string& AValue);
// Copies every recorded option whose flags include AFlags from AOptsCtx
// (an option context of the store) into ACtx.
void SetContextOptions(TFFOptions& AOpts, void* ACtx, void* AOptsCtx, int AFlags);
// The options set by name so far that AOptsCtx declares with all of AFlags,
// as name and value texts (for a context that is made later).
std::vector<std::pair<std::string, std::string>> ContextOptionTexts(const TFFOptions& AOpts, void* AOptsCtx,
                                                                    int AFlags);

// Reads a whole file into an av_malloc'ed buffer followed by a zero byte;
// ASize counts that zero. Returns 0, -1 when the file cannot be opened or
// sized (or is 2 GiB or larger), -12 when memory runs out.
int ReadFileToBuffer(const std::string& AFileName, uint8_t*& ABuffer, int& ASize);

// The value of the first tag whose whole key matches (without regard to
// case), else ADefault.
rtl::String GetMetadataValue(const AVDictionary* AMetadata, const char* AKey,
                             const rtl::String& ADefault);
// The codec's display name, e.g. "mpeg4(MPEG-4 part 2)", or its tag.
rtl::String CodecNameText(const AVCodecContext* ACodecContext, bool AEncoder);
// The same for a codec id and tag (for streams known by their parameters).
rtl::String CodecNameText(AVCodecID ACodecID, uint32_t ACodecTag, bool AEncoder);

// Plane pointers and line sizes of a picture (an AVFrame's first four).
struct TAVPicture {
  uint8_t* data[4] = {};
  int linesize[4] = {};
};

// Decoded pictures to 24-bit bitmaps, for one owner (the probe, the player,
// a transcoder's hooks). The context keeps its bitmap, its RGB buffer and its
// cached scaler contexts from frame to frame; it owns all of them and frees
// them on reset and destruction (while avutil and swscale are loaded).
struct TRGBConvertContext {
  TRGBConvertContext();
  ~TRGBConvertContext();
  TRGBConvertContext(const TRGBConvertContext&) = delete;
  TRGBConvertContext& operator=(const TRGBConvertContext&) = delete;

  AVPixelFormat RGBPixFmt = AV_PIX_FMT_BGR24;  // layout of the bitmap's rows
  int BMPPixFmt;                                // gdi::TPixelFormat of the bitmap (pf24bit)
  std::unique_ptr<gdi::TBitmap> Bitmap;         // made on first use
  uint8_t* RGBBuf = nullptr;                    // av_malloc'ed; grows, never shrinks
  int RGBBufSize = 0;
  TAVPicture RGBPicture;                        // planes over RGBBuf
  // The planes whose rows were copied last: RGBPicture, or the caller's own
  // picture when it was copied as it is (valid as long as that picture).
  TAVPicture RGBPictureRef;
  SwsContext* toRGB_convert_ctx = nullptr;
  SwsContext* fromRGB_convert_ctx = nullptr;    // for hooks that write back into frames
};

void ResetRGBConvertContext(TRGBConvertContext& AContext);
// A new bitmap of the size and gdi::TPixelFormat, its brush style clear.
std::unique_ptr<gdi::TBitmap> CreateRGBBitmap(int AWidth, int AHeight, int APixelFormat);
// Puts the picture into the context's Bitmap (sized AWidth x AHeight). A
// BGR24 picture of even size whose rows are laid out like the bitmap's is
// copied as it is; anything else goes through a cached bicubic scaler into
// the RGB buffer first. False when no scaler context can be made for the
// format, or the size is empty.
bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture,
                     AVPixelFormat APixFmt, int AWidth, int AHeight);
bool PictureToBitmap(TRGBConvertContext& AContext, const AVFrame* AFrame);

}  // namespace engine
