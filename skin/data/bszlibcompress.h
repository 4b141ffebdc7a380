// One-way zlib streams over an underlying TStream, and whole-stream helpers.
//
// TCompressionStream deflates what is written to it into Dest (zlib format,
// window bits 15, memory level 8); Finish (or destruction) completes the
// stream. TDecompressionStream inflates Source into what is read from it and
// stops at the end of the compressed stream: bytes after it are never read.
// Neither owns the underlying stream. One thread at a time.
//
// Errors: ECompressionError "error" / EDecompressionError "compression error"
// for zlib failures; "Invalid stream operation" for a forbidden Read, Write or
// Seek. DecompressToMemoryStream raises EDecompressionError when the source
// ends before the compressed stream does, so a truncated skin never loads as
// a shorter one.
#pragma once

#include <zlib.h>

#include <array>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Streams.h"

namespace skin {

using rtl::Int64;
using rtl::TSeekOrigin;
using rtl::TStream;

class EZlibError : public rtl::Exception {
 public:
  using Exception::Exception;
};
RTL_DECLARE_EXCEPTION(ECompressionError, EZlibError)
RTL_DECLARE_EXCEPTION(EDecompressionError, EZlibError)

enum TCompressionLevel { clNone, clFastest, clDefault, clMax };

class TCustomZlibStream : public TStream {
 public:
  explicit TCustomZlibStream(TStream* Strm);
  ~TCustomZlibStream() override = default;

  rtl::TNotifyEvent OnProgress;

 protected:
  virtual void NotifyProgress();
  void RestoreUnderlyingPosition();

  static constexpr int kBufferSize = 8192;
  TStream* FStrm;
  Int64 FStrmPos;
  z_stream FZRec{};
  std::array<unsigned char, kBufferSize> FBuffer{};
};

class TCompressionStream : public TCustomZlibStream {
 public:
  TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest);
  // Completes the stream if Finish was not called; errors are swallowed here,
  // so callers that need them call Finish.
  ~TCompressionStream() override;

  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  // Only Seek(0, soCurrent) is allowed: it gives the number of bytes written.
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;

  // Flushes the remaining compressed data and ends deflate; raises on failure.
  void Finish();
  float CompressionRate() const;

 private:
  bool FFinished = false;
};

class TDecompressionStream : public TCustomZlibStream {
 public:
  explicit TDecompressionStream(TStream* Source);
  ~TDecompressionStream() override;

  Int64 Read(void* Buffer, Int64 Count) override;
  Int64 Write(const void* Buffer, Int64 Count) override;
  // Offset 0 from the beginning restarts; forward seeks read and discard.
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;

  // True once the end of the compressed stream has been read.
  bool StreamEnded() const { return FEnded; }

 private:
  bool FEnded = false;
};

// Compresses the whole of Source (from its start) at clMax into Dest at Dest's position.
void CompressMemoryStream(rtl::TMemoryStream* Source, rtl::TMemoryStream* Dest);
// Inflates the whole of Source (from its start) and appends the result to Dest.
void DecompressToMemoryStream(TStream* Dest, TStream* Source);

}  // namespace skin
