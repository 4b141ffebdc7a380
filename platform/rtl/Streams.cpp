#include "platform/rtl/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/rtl/Strings.h"

namespace rtl {

namespace {

constexpr Int64 kCopyChunk = 64 * 1024;

// Error texts name the file by its full path, as the user knows it.
String FullPath(const String& fileName) {
  if (!fileName.empty() && fileName[0] == u'/') return fileName;
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return fileName;
  String dir = Utf8ToString(buf);
  if (dir.empty() || dir.back() != u'/') dir.push_back(u'/');
  return dir + fileName;
}

String SystemErrorText(int err) { return Utf8ToString(std::strerror(err)); }

// Pipes and terminals hand out and take data in pieces; keep going until the
// count is met, the source is exhausted or the handle fails.
template <class TBytes, class TSysCall>
Int64 TransferAll(TSysCall call, int handle, TBytes* p, Int64 count) {
  if (count <= 0) return 0;
  Int64 done = 0;
  while (done < count) {
    const ssize_t r = call(handle, p + done, static_cast<size_t>(count - done));
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (r == 0) break;
    done += r;
  }
  return done;
}

}  // namespace

// ---------------------------------------------------------------- TStream

Int64 TStream::Size() {
  const Int64 pos = Seek(0, soCurrent);
  const Int64 end = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return end;
}

void TStream::SetSize(Int64) {}

void TStream::ReadBuffer(void* buffer, Int64 count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError(u"Stream read error");
}

void TStream::WriteBuffer(const void* buffer, Int64 count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError(u"Stream write error");
}

Int64 TStream::CopyFrom(TStream* source, Int64 count) {
  if (count == 0) {
    source->SetPosition(0);
    count = source->Size();
  }
  const Int64 total = count;
  std::vector<Byte> buf(static_cast<size_t>(std::min(count, kCopyChunk)));
  while (count > 0) {
    const Int64 n = std::min(count, kCopyChunk);
    source->ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    count -= n;
  }
  return total;
}

// ---------------------------------------------------------------- THandleStream

Int64 THandleStream::Read(void* buffer, Int64 count) {
  return TransferAll(::read, handle_, static_cast<char*>(buffer), count);
}

Int64 THandleStream::Write(const void* buffer, Int64 count) {
  return TransferAll(::write, handle_, static_cast<const char*>(buffer), count);
}

Int64 THandleStream::Seek(Int64 offset, TSeekOrigin origin) {
  const int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  return static_cast<Int64>(::lseek(handle_, static_cast<off_t>(offset), whence));
}

void THandleStream::SetSize(Int64 newSize) {
  const Int64 pos = Position();
  if (::ftruncate(handle_, static_cast<off_t>(newSize)) != 0)
    throw EStreamError(u"Stream write error: " + SystemErrorText(errno));
  if (pos > newSize) Seek(newSize, soBeginning);
}

// ---------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const String& fileName, Word mode, Cardinal rights)
    : THandleStream(-1), fileName_(fileName) {
  const std::string path = StringToFileName(fileName);
  if ((mode & fmCreate) == fmCreate) {
    handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(rights));
    if (handle_ < 0) {
      const int err = errno;
      throw EFCreateError(u"Cannot create file \"" + FullPath(fileName) + u"\". " + SystemErrorText(err));
    }
    return;
  }
  int flags = O_CLOEXEC;
  switch (mode & 0x3) {
    case fmOpenWrite: flags |= O_WRONLY; break;
    case fmOpenReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
  }
  handle_ = ::open(path.c_str(), flags);
  int err = errno;
  if (handle_ >= 0) {
    // A folder opens for reading on Linux; it is no file to stream.
    struct stat st;
    if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(handle_);
      handle_ = -1;
      err = EISDIR;
    }
  }
  if (handle_ < 0)
    throw EFOpenError(u"Cannot open file \"" + FullPath(fileName) + u"\". " + SystemErrorText(err));
}

TFileStream::~TFileStream() {
  if (handle_ >= 0) ::close(handle_);
}

// ---------------------------------------------------------------- TMemoryStream

Int64 TMemoryStream::Read(void* buffer, Int64 count) {
  const Int64 size = Size();
  if (count <= 0 || position_ >= size) return 0;
  const Int64 n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

Int64 TMemoryStream::Write(const void* buffer, Int64 count) {
  if (count <= 0 || position_ < 0) return 0;
  const Int64 end = position_ + count;
  if (end > Size()) SetSize(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

Int64 TMemoryStream::Seek(Int64 offset, TSeekOrigin origin) {
  Int64 base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
  const Int64 target = base + offset;
  if (target < 0) return -1;
  position_ = target;
  return position_;
}

void TMemoryStream::SetSize(Int64 newSize) {
  if (newSize < 0) newSize = 0;
  try {
    data_.resize(static_cast<size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  } catch (const std::length_error&) {
    throw EOutOfMemory(u"Out of memory while expanding memory stream");
  }
  if (position_ > newSize) position_ = newSize;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* stream) {
  stream->SetPosition(0);
  const Int64 n = stream->Size();
  SetSize(n);
  position_ = 0;
  if (n != 0) stream->ReadBuffer(data_.data(), n);
}

void TMemoryStream::LoadFromFile(const String& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

void TMemoryStream::SaveToStream(TStream* stream) {
  if (!data_.empty()) stream->WriteBuffer(data_.data(), Size());
}

void TMemoryStream::SaveToFile(const String& fileName) {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(&fs);
}

// ---------------------------------------------------------------- TStringStream

TStringStream::TStringStream(const String& s) {
  const std::string bytes = StringToUtf8(s);
  Write(bytes.data(), static_cast<Int64>(bytes.size()));
  SetPosition(0);
}

TStringStream::TStringStream(const std::string& bytes) {
  Write(bytes.data(), static_cast<Int64>(bytes.size()));
  SetPosition(0);
}

std::string TStringStream::Bytes() const {
  return std::string(Buffer().begin(), Buffer().end());
}

String TStringStream::DataString() const { return Utf8ToString(Bytes()); }

String TStringStream::ReadString(Int64 count) {
  const Int64 avail = std::max<Int64>(0, Size() - Position());
  std::string bytes(static_cast<size_t>(std::clamp<Int64>(count, 0, avail)), '\0');
  const Int64 n = Read(bytes.data(), static_cast<Int64>(bytes.size()));
  bytes.resize(static_cast<size_t>(n));
  return Utf8ToString(bytes);
}

void TStringStream::WriteString(const String& s) {
  const std::string bytes = StringToUtf8(s);
  WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

}  // namespace rtl
