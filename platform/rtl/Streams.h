// Byte streams: the abstract TStream and its memory, file-handle, file and
// string-backed kinds.
//
// Positions and sizes are 64-bit. Read and Write move as many bytes as they
// can and return that number (0 at the end or on a failure); ReadBuffer and
// WriteBuffer insist on the whole count and raise EReadError / EWriteError
// otherwise. A stream object is used by one thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace rtl {

enum TSeekOrigin : int { soBeginning = 0, soCurrent = 1, soEnd = 2 };
// The older spelling of the same origins.
constexpr TSeekOrigin soFromBeginning = soBeginning;
constexpr TSeekOrigin soFromCurrent = soCurrent;
constexpr TSeekOrigin soFromEnd = soEnd;

class TStream : public TObject {
 public:
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Returns the new position, or -1 when the stream cannot seek there.
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  Int64 Position() { return Seek(0, soCurrent); }
  void SetPosition(Int64 pos) { Seek(pos, soBeginning); }
  virtual Int64 Size();
  virtual void SetSize(Int64 newSize);

  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  // Copies count bytes from source's current position; count 0 copies the
  // whole of source from its start. Returns the number of bytes copied.
  Int64 CopyFrom(TStream* source, Int64 count);
};

// A stream over an open POSIX file descriptor, which it does not close.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : handle_(handle) {}
  int Handle() const { return handle_; }

  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 newSize) override;

 protected:
  int handle_;
};

// Open modes; one access mode may be or-ed with one share mode. Share modes
// are accepted for compatibility and not enforced.
constexpr Word fmCreate = 0xFF00;
constexpr Word fmOpenRead = 0x0000;
constexpr Word fmOpenWrite = 0x0001;
constexpr Word fmOpenReadWrite = 0x0002;
constexpr Word fmShareCompat = 0x0000;
constexpr Word fmShareExclusive = 0x0010;
constexpr Word fmShareDenyWrite = 0x0020;
constexpr Word fmShareDenyRead = 0x0030;
constexpr Word fmShareDenyNone = 0x0040;

// A stream over a named file, closed on destruction. fmCreate creates the file
// or empties an existing one and opens it for reading and writing.
// Raises EFCreateError / EFOpenError with the system's reason.
class TFileStream : public THandleStream {
 public:
  TFileStream(const String& fileName, Word mode, Cardinal rights = 0666);
  ~TFileStream() override;
  const String& FileName() const { return fileName_; }

 private:
  String fileName_;
};

// A growable block of memory. Position may lie beyond Size: reading there gives
// nothing, writing there fills the gap with zeros.
class TMemoryStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 newSize) override;

  // Valid until the next change of size; null when empty.
  void* Memory() { return data_.empty() ? nullptr : data_.data(); }
  const void* Memory() const { return data_.empty() ? nullptr : data_.data(); }
  void Clear();
  // Replaces the content with the whole of stream (read from its start).
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  // Writes the whole content, whatever the position.
  void SaveToStream(TStream* stream);
  void SaveToFile(const String& fileName);

 protected:
  const std::vector<Byte>& Buffer() const { return data_; }

 private:
  std::vector<Byte> data_;
  Int64 position_ = 0;
};

// A memory stream over text. DataString decodes the bytes as UTF-8 (the ANSI
// code page here); Bytes gives them as they are.
class TStringStream : public TMemoryStream {
 public:
  TStringStream() = default;
  explicit TStringStream(const String& s);
  explicit TStringStream(const std::string& bytes);
  String DataString() const;
  std::string Bytes() const;
  // Reads up to count bytes from the position and decodes them.
  String ReadString(Int64 count);
  // Writes s, UTF-8 encoded, at the position.
  void WriteString(const String& s);
};

}  // namespace rtl
