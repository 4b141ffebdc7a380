#include "engine/UnicodeProtocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "engine/FFEntries.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

namespace {

constexpr int kAVIOBufferSize = 32768;

struct UnicodeFile {
  int fd = -1;
};

}  // namespace

bool NeedsUnicodeName(const String& AFileName) {
  size_t colon = AFileName.find(u':');
  if (colon != String::npos) {
    std::string scheme = ":" + rtl::U8(AFileName.substr(0, colon)) + ":";
    if (UnicodePassPrefixes.find(scheme) != std::string_view::npos) return false;
  }
  return rtl::AnsiToString(rtl::StringToAnsi(AFileName)) != AFileName;
}

std::string MakeUnicodeAVFileName(const String& AFileName) {
  return std::string(UnicodeNamePrefix) + rtl::StringToFileName(AFileName);
}

bool IsUnicodeAVFileName(std::string_view AName) {
  AName = AName.substr(0, AName.find('\0'));
  return AName.size() > UnicodeNamePrefix.size() && AName.starts_with(UnicodeNamePrefix);
}

String UnicodeAVFileNameToWide(std::string_view AName) {
  String s = rtl::FileNameToString(AName.substr(0, AName.find('\0')));
  for (int i = 0; i < 2; ++i) {
    size_t colon = s.find(u':');
    if (colon == String::npos) break;
    s.erase(0, colon + 1);
  }
  return s;
}

std::string EncodeAVFileName(const String& AFileName) {
  if (NeedsUnicodeName(AFileName)) return MakeUnicodeAVFileName(AFileName);
  std::string name = rtl::StringToAnsi(AFileName);
  size_t colon = name.find(':');
  if (colon != std::string::npos && !name.starts_with('/')) {
    std::string scheme = ":" + name.substr(0, colon) + ":";
    if (UnicodePassPrefixes.find(scheme) == std::string_view::npos) {
      char cwd[4096];
      if (getcwd(cwd, sizeof cwd)) {
        std::string dir = cwd;
        if (dir.back() != '/') dir += '/';
        name = dir + name;
      }
    }
  }
  return name;
}

String DecodeAVFileName(std::string_view AName) {
  if (IsUnicodeAVFileName(AName)) return UnicodeAVFileNameToWide(AName);
  return rtl::AnsiToString(AName.substr(0, AName.find('\0')));
}

int OpenUnicodeFile(const String& AFileName, int AFlags) {
  int mode;
  if ((AFlags & AVIO_FLAG_READ_WRITE) == AVIO_FLAG_READ_WRITE)
    mode = O_RDWR | O_CREAT | O_TRUNC;
  else if (AFlags & AVIO_FLAG_WRITE)
    mode = O_WRONLY | O_CREAT | O_TRUNC;
  else
    mode = O_RDONLY;
  return open(rtl::StringToFileName(AFileName).c_str(), mode | O_CLOEXEC, 0666);
}

int UnicodeRead(void* AOpaque, uint8_t* ABuffer, int ASize) {
  auto* file = static_cast<UnicodeFile*>(AOpaque);
  ssize_t n;
  do n = read(file->fd, ABuffer, static_cast<size_t>(ASize));
  while (n < 0 && errno == EINTR);
  if (n < 0) return AVERROR(errno);
  return n == 0 ? AVERROR_EOF : static_cast<int>(n);
}

int UnicodeWrite(void* AOpaque, uint8_t* ABuffer, int ASize) {
  auto* file = static_cast<UnicodeFile*>(AOpaque);
  int done = 0;
  while (done < ASize) {
    ssize_t n = write(file->fd, ABuffer + done, static_cast<size_t>(ASize - done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return AVERROR(errno);
    }
    done += static_cast<int>(n);
  }
  return done;
}

int64_t UnicodeSeek(void* AOpaque, int64_t APosition, int AWhence) {
  auto* file = static_cast<UnicodeFile*>(AOpaque);
  if (AWhence & AVSEEK_SIZE) {
    struct stat st;
    if (fstat(file->fd, &st) != 0) return AVERROR(errno);
    return st.st_size;
  }
  off_t pos = lseek(file->fd, static_cast<off_t>(APosition), AWhence & ~AVSEEK_FORCE);
  return pos < 0 ? AVERROR(errno) : static_cast<int64_t>(pos);
}

int OpenUnicodeAVIO(AVIOContext** APb, std::string_view AName, int AFlags) {
  *APb = nullptr;
  int fd = OpenUnicodeFile(UnicodeAVFileNameToWide(AName), AFlags);
  if (fd < 0) return AVERROR(ENOENT);
  auto* buffer = static_cast<unsigned char*>(ff::av_malloc(kAVIOBufferSize));
  auto* file = new UnicodeFile{fd};
  AVIOContext* pb = buffer ? ff::avio_alloc_context(buffer, kAVIOBufferSize,
                                                    (AFlags & AVIO_FLAG_WRITE) ? 1 : 0, file,
                                                    UnicodeRead, UnicodeWrite, UnicodeSeek)
                           : nullptr;
  if (!pb) {
    ff::av_free(buffer);
    close(fd);
    delete file;
    return AVERROR(ENOMEM);
  }
  *APb = pb;
  return 0;
}

bool IsUnicodeAVIO(const AVIOContext* APb) {
  return APb && APb->read_packet == UnicodeRead && APb->seek == UnicodeSeek;
}

int CloseUnicodeAVIO(AVIOContext** APb) {
  AVIOContext* pb = *APb;
  if (!pb) return 0;
  *APb = nullptr;
  if (pb->write_flag) ff::avio_flush(pb);
  auto* file = static_cast<UnicodeFile*>(pb->opaque);
  int ret = pb->error < 0 ? pb->error : 0;
  if (file && close(file->fd) != 0 && ret == 0) ret = AVERROR(errno);
  delete file;
  ff::av_freep(&pb->buffer);
  ff::avio_context_free(&pb);
  return ret;
}

}  // namespace engine
