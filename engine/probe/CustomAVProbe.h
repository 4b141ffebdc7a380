// TCustomAVProbe: what a media file holds, read through FFmpeg's format
// layer: its format, size, duration, tags, programs and streams.
//
// A probe either opens a file itself (LoadFile; it then owns and closes the
// format context) or is lent an open context (SetFileHandle; the lender
// keeps it valid while the probe holds it and the probe never closes it).
//
// Failures never throw, except a missing FFmpeg library (rtl::Exception):
// they return False, -1 or an empty text, keep the text in LastErrMsg and
// log it through the process-wide logger with the probe as Sender.
// LastErrMsg holds the last message of any level, not only errors.
//
// Cover-art pictures (attached pictures) are counted as streams but not as
// video: a song with a sleeve picture is still audio only.
//
// Threads: a probe is used by one thread at a time.
#pragma once

#include <cstdint>

#include "engine/FFBaseComponent.h"
#include "engine/FFEntries.h"
#include "engine/FFmpegLoader.h"
#include "engine/probe/ProbeRecords.h"
#include "platform/rtl/Types.h"

namespace player {

class TCustomAVProbe : public engine::TFFBaseComponent {
 public:
  explicit TCustomAVProbe(rtl::TComponent* AOwner);
  ~TCustomAVProbe() override;

  bool AVLibLoaded() const;
  bool LoadAVLib(const rtl::String& APath);
  // Closes the file first: nothing of FFmpeg's may outlive the libraries.
  virtual void UnloadAVLib();

  // Opens a file; AFormatName forces an input format (empty: detect).
  bool LoadFile(const rtl::String& AFileName, const rtl::String& AFormatName = {});
  virtual void CloseFile();

  bool IsAudioStream(int AStreamIndex);
  bool IsVideoStream(int AStreamIndex);
  bool IsSubtitleStream(int AStreamIndex);

  AVFormatContext* FileHandle() const { return FFileHandle; }
  virtual void SetFileHandle(AVFormatContext* Value);
  rtl::String FileName();
  int64_t FileSize() const { return FFileSize; }
  const rtl::String& ForceFormat() const { return FForceFormat; }
  rtl::String FormatName();
  rtl::String FormatLongName();
  int StreamCount() const { return FStreamCount; }
  int ProgramCount() const { return FProgramCount; }
  int AudioStreamCount() const { return FAudioStreamCount; }
  int VideoStreamCount() const { return FVideoStreamCount; }
  int SubtitleStreamCount() const { return FSubtitleStreamCount; }
  int FirstAudioStreamIndex() const { return FFirstAudioStreamIndex; }
  int FirstVideoStreamIndex() const { return FFirstVideoStreamIndex; }
  int FirstSubtitleStreamIndex() const { return FFirstSubtitleStreamIndex; }
  TFileStreamInfo FileStreamInfo();
  rtl::String FileInfoText();
  TAudioStreamInfo FirstAudioStreamInfo();
  TVideoStreamInfo FirstVideoStreamInfo();
  TSubtitleStreamInfo FirstSubtitleStreamInfo();
  const rtl::String& LastErrMsg() const { return FLastErrMsg; }

  // A negative index reads the first stream of the kind.
  bool ReadAudioStreamInfo(int AStreamIndex, TAudioStreamInfo& AInfo);
  bool ReadVideoStreamInfo(int AStreamIndex, TVideoStreamInfo& AInfo);
  bool ReadSubtitleStreamInfo(int AStreamIndex, TSubtitleStreamInfo& AInfo);

  // The media type a stream counts as: its codec type, except that an
  // attached picture counts as no kind (AVMEDIA_TYPE_UNKNOWN).
  static AVMediaType StreamKind(const AVStream* AStream);

 protected:
  virtual void ReadFileInfo();
  // AVLevel is an FFmpeg log level (16 error, 24 warning, 32 info, 48 debug).
  void ReportMessage(int AVLevel, const rtl::String& AText);
  void ReportMessage(int AVLevel, const char* AText);
  // Raises rtl::Exception naming the first library of the probe that is
  // not loaded.
  void CheckLibraries();
  // Index of the stream checked for kind AKind, or -1 after a message.
  int CheckStreamRecord(int AStreamIndex, AVMediaType AKind, const char* AKindName);
  // Whether stream AStreamIndex is of kind AKind, after a message when there
  // is no file or no such stream.
  bool IsStreamOfKind(int AStreamIndex, AVMediaType AKind);

  AVFormatContext* FFileHandle = nullptr;
  bool FOwnHandle = false;
  rtl::String FLastErrMsg;
  rtl::String FForceFormat;
  int64_t FFileSize = -1;
  int FStreamCount = -1;
  int FProgramCount = -1;
  int FAudioStreamCount = -1;
  int FVideoStreamCount = -1;
  int FSubtitleStreamCount = -1;
  int FFirstAudioStreamIndex = -1;
  int FFirstVideoStreamIndex = -1;
  int FFirstSubtitleStreamIndex = -1;

 private:
  void CloseOwnContext();
  // The I/O context opened for a name the code page cannot hold; closed
  // after the format context.
  AVIOContext* FUnicodeIO = nullptr;
};

}  // namespace player
