#include "skin/data/bszlibcompress.h"

namespace skin {

namespace {

constexpr int kLevels[] = {0, 1, -1, 9};

int CCheck(int code) {
  if (code < 0) throw ECompressionError("error");
  return code;
}

int DCheck(int code) {
  // A preset dictionary is never used by skin data; inflate would make no
  // progress waiting for one, so it counts as damaged data.
  if (code < 0 || code == Z_NEED_DICT) throw EDecompressionError("compression error");
  return code;
}

}  // namespace

TCustomZlibStream::TCustomZlibStream(TStream* Strm) : FStrm(Strm), FStrmPos(Strm->Position()) {}

void TCustomZlibStream::NotifyProgress() {
  if (OnProgress) OnProgress(this);
}

void TCustomZlibStream::RestoreUnderlyingPosition() {
  if (FStrm->Position() != FStrmPos) FStrm->SetPosition(FStrmPos);
}

TCompressionStream::TCompressionStream(TCompressionLevel CompressionLevel, TStream* Dest) : TCustomZlibStream(Dest) {
  FZRec.next_out = FBuffer.data();
  FZRec.avail_out = kBufferSize;
  CCheck(deflateInit2(&FZRec, kLevels[CompressionLevel], Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY));
}

TCompressionStream::~TCompressionStream() {
  try {
    Finish();
  } catch (...) {
  }
}

Int64 TCompressionStream::Read(void*, Int64) { throw ECompressionError("Invalid stream operation"); }

Int64 TCompressionStream::Write(const void* Buffer, Int64 Count) {
  if (FFinished) throw ECompressionError("Invalid stream operation");
  FZRec.next_in = static_cast<Bytef*>(const_cast<void*>(Buffer));
  Int64 left = Count;
  RestoreUnderlyingPosition();
  while (left > 0) {
    // zlib counts in 32 bits: feed very large buffers in slices.
    const uInt slice = left > (1 << 30) ? uInt(1 << 30) : uInt(left);
    FZRec.avail_in = slice;
    while (FZRec.avail_in > 0) {
      CCheck(deflate(&FZRec, Z_NO_FLUSH));
      if (FZRec.avail_out == 0) {
        FStrm->WriteBuffer(FBuffer.data(), kBufferSize);
        FZRec.next_out = FBuffer.data();
        FZRec.avail_out = kBufferSize;
        FStrmPos = FStrm->Position();
        NotifyProgress();
      }
    }
    left -= slice;
  }
  return Count;
}

Int64 TCompressionStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  if (Offset == 0 && Origin == rtl::soCurrent) return Int64(FZRec.total_in);
  throw ECompressionError("Invalid stream operation");
}

void TCompressionStream::Finish() {
  if (FFinished) return;
  FFinished = true;
  try {
    FZRec.next_in = nullptr;
    FZRec.avail_in = 0;
    RestoreUnderlyingPosition();
    for (;;) {
      const int code = CCheck(deflate(&FZRec, Z_FINISH));
      if (code == Z_STREAM_END || FZRec.avail_out != 0) break;
      FStrm->WriteBuffer(FBuffer.data(), kBufferSize);
      FZRec.next_out = FBuffer.data();
      FZRec.avail_out = kBufferSize;
    }
    if (FZRec.avail_out < uInt(kBufferSize)) FStrm->WriteBuffer(FBuffer.data(), kBufferSize - FZRec.avail_out);
    FStrmPos = FStrm->Position();
  } catch (...) {
    deflateEnd(&FZRec);
    throw;
  }
  deflateEnd(&FZRec);
}

float TCompressionStream::CompressionRate() const {
  if (FZRec.total_in == 0) return 0.0f;
  return (1.0f - float(FZRec.total_out) / float(FZRec.total_in)) * 100.0f;
}

TDecompressionStream::TDecompressionStream(TStream* Source) : TCustomZlibStream(Source) {
  FZRec.next_in = FBuffer.data();
  FZRec.avail_in = 0;
  DCheck(inflateInit2(&FZRec, 15));
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FZRec); }

Int64 TDecompressionStream::Read(void* Buffer, Int64 Count) {
  if (Count <= 0 || FEnded) return 0;
  const uInt want = Count > (1 << 30) ? uInt(1 << 30) : uInt(Count);
  FZRec.next_out = static_cast<Bytef*>(Buffer);
  FZRec.avail_out = want;
  RestoreUnderlyingPosition();
  while (FZRec.avail_out > 0) {
    if (FZRec.avail_in == 0) {
      const Int64 got = FStrm->Read(FBuffer.data(), kBufferSize);
      if (got <= 0) return Int64(want - FZRec.avail_out);
      FZRec.next_in = FBuffer.data();
      FZRec.avail_in = uInt(got);
      FStrmPos = FStrm->Position();
      NotifyProgress();
    }
    if (DCheck(inflate(&FZRec, Z_NO_FLUSH)) == Z_STREAM_END) {
      FEnded = true;
      break;
    }
  }
  return Int64(want - FZRec.avail_out);
}

Int64 TDecompressionStream::Write(const void*, Int64) { throw EDecompressionError("Invalid stream operation"); }

Int64 TDecompressionStream::Seek(Int64 Offset, TSeekOrigin Origin) {
  if (Offset == 0 && Origin == rtl::soBeginning) {
    DCheck(inflateReset(&FZRec));
    FZRec.next_in = FBuffer.data();
    FZRec.avail_in = 0;
    FEnded = false;
    FStrm->SetPosition(0);
    FStrmPos = 0;
  } else if ((Origin == rtl::soCurrent && Offset >= 0) ||
             (Origin == rtl::soBeginning && Offset > Int64(FZRec.total_out))) {
    if (Origin == rtl::soBeginning) Offset -= Int64(FZRec.total_out);
    unsigned char discard[kBufferSize];
    while (Offset > 0) {
      const Int64 n = Offset > kBufferSize ? kBufferSize : Offset;
      ReadBuffer(discard, n);
      Offset -= n;
    }
  } else {
    throw EDecompressionError("Invalid stream operation");
  }
  return Int64(FZRec.total_out);
}

void CompressMemoryStream(rtl::TMemoryStream* Source, rtl::TMemoryStream* Dest) {
  TCompressionStream zip(clMax, Dest);
  Source->SetPosition(0);
  unsigned char buffer[8192];
  for (;;) {
    const Int64 n = Source->Read(buffer, sizeof buffer);
    if (n <= 0) break;
    zip.Write(buffer, n);
  }
  zip.Finish();
}

void DecompressToMemoryStream(TStream* Dest, TStream* Source) {
  Source->SetPosition(0);
  TDecompressionStream unzip(Source);
  unsigned char buffer[4096];
  for (;;) {
    const Int64 n = unzip.Read(buffer, sizeof buffer);
    if (n <= 0) break;
    Dest->WriteBuffer(buffer, n);
  }
  if (!unzip.StreamEnded()) throw EDecompressionError("compression error");
}

}  // namespace skin
