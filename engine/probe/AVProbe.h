// TAVProbe: random access to the pictures of a file the probe opened
// itself: seeking by time or byte position, decoding the next picture, the
// next or previous key frame or the previous picture, and copying the held
// picture into a 24-bit bitmap.
//
// Only a probe that opened its file (LoadFile) may seek or decode: with a
// lent context (SetFileHandle) Seek, Decode and the stepping operations
// raise rtl::Exception "file cannot be seeked, handle is readonly.".
// A single-picture input (an image file) cannot be seeked; Decode hands
// back the held picture again.
//
// The decoder of the decoded stream stays open between calls; opening and
// closing it hold engine::CodecLock. At the end of the file the decoder is
// drained, so pictures it still holds are delivered before EOF is reported.
//
// Threads: one thread at a time.
#pragma once

#include <cstdint>

#include "engine/FFBaseComponent.h"
#include "engine/probe/CustomAVProbe.h"
#include "engine/FFUtils.h"
#include "platform/gdi/Bitmap.h"

namespace player {

class TAVProbe : public TCustomAVProbe {
 public:
  explicit TAVProbe(rtl::TComponent* AOwner);
  ~TAVProbe() override;

  void CloseFile() override;
  // Also frees the picture buffers kept between files.
  void UnloadAVLib() override;

  // APTS: microseconds from the start of the file, or a byte position with
  // sfByte. False when the seek failed or ended at the end of the file.
  bool Seek(int64_t APTS, engine::TSeekFlags ASeekFlags = {});
  // AStreamIndex -1: the stream decoded last, else the first video stream.
  bool Decode(int AStreamIndex = -1);
  bool DecodeNextKeyFrame(int AStreamIndex = -1);
  bool DecodePreviousFrame(int AStreamIndex = -1);
  bool DecodePreviousKeyFrame(int AStreamIndex = -1);
  // Copies the held picture into ABitmap (24 bits, the picture's size).
  // On a conversion failure ABitmap becomes black at that size.
  bool CopyToBitmap(gdi::TBitmap& ABitmap);

  // EOF in the C library is a macro, hence the spelling.
  bool Eof() const { return FEOF; }
  const TFrameInfo& FrameInfo() const { return FPicture; }
  // Byte position of the input, -1 without a file or I/O context.
  int64_t Position();

 protected:
  void ReadFileInfo() override;

 private:
  void ClearFrameInfo();
  void ReleaseDecodeBuffers();
  bool CheckOwnHandle();
  bool CanSeek();
  bool IsSinglePicture() const;
  int PrepareDecodeStream(int AStreamIndex);
  bool OpenDecoder(int AIndex);
  void CloseDecoder();
  bool StoreFrame(const AVFrame* AFrame, int64_t APos, int AIndex);
  int64_t FrameDuration(int AIndex) const;
  // The held picture's time, else the last one's, else ANone.
  int64_t CurrentPTS(int64_t ANone) const;
  int64_t InputPosition() const;

  AVCodecContext* FCodec = nullptr;
  int FCodecStream = -1;  // stream whose decoder FCodec is
  engine::TRGBConvertContext FRGBContext;
  int FSeekIndex = -1;
  int64_t FStartTime = -1;
  int FDecodeIndex = -1;
  bool FEOF = false;
  TFrameInfo FPicture;
  int64_t FLastPTS = AV_NOPTS_VALUE;
  int64_t FLastPos = -1;
  AVFrame* FFrame = nullptr;
  AVPacket* FPacket = nullptr;
};

}  // namespace player
