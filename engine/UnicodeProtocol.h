// File names between the converter and FFmpeg.
//
// Every name handed to FFmpeg goes through EncodeAVFileName and every name
// FFmpeg reports back through DecodeAVFileName. On Linux the ANSI code page
// is UTF-8, so names normally pass as UTF-8 text; a name the code page
// cannot hold (a test may narrow it) becomes "unicode:utf8:" + UTF-8.
//
// FFmpeg 5.1 cannot register a URL protocol of ours, so a "unicode:utf8:"
// name is opened through an AVIOContext of our own (OpenUnicodeAVIO) whose
// callbacks are UnicodeRead/Write/Seek; the opener sets it as the format
// context's pb before avformat_open_input (or in place of avio_open) and
// closes it with CloseUnicodeAVIO after the format context is closed.
//
// Threads: every routine is reentrant; an open file belongs to one
// AVIOContext and its callbacks keep no shared state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/Types.h"

struct AVIOContext;

namespace engine {

// Names that start with one of these schemes pass unchanged.
inline constexpr std::string_view UnicodePassPrefixes = ":unicode:stream:gopher:http:pipe:rtp:tcp:udp:";
inline constexpr std::string_view UnicodeNamePrefix = "unicode:utf8:";

// True when the name is not a listed protocol address and does not survive
// the round trip through the ANSI code page.
bool NeedsUnicodeName(const rtl::String& AFileName);
// "unicode:utf8:" + the name, in UTF-8.
std::string MakeUnicodeAVFileName(const rtl::String& AFileName);
// True for "unicode:utf8:" followed by at least one byte.
bool IsUnicodeAVFileName(std::string_view AName);
// The name after the scheme and encoding of an encoded name.
rtl::String UnicodeAVFileNameToWide(std::string_view AName);

// The 8-bit name for FFmpeg. A relative name holding ':' that FFmpeg would
// read as a protocol ("a:b.mp4") is passed as an absolute path.
std::string EncodeAVFileName(const rtl::String& AFileName);
rtl::String DecodeAVFileName(std::string_view AName);

// Opens a file for the given AVIO_FLAG_* flags: write or read-write create
// it anew (truncating), read needs it to exist. Returns a descriptor, or -1
// with errno set.
int OpenUnicodeFile(const rtl::String& AFileName, int AFlags);

// Callbacks of the AVIOContext; AOpaque is the context's file record.
// Read gives AVERROR_EOF at the end; failures give a negative AVERROR.
int UnicodeRead(void* AOpaque, uint8_t* ABuffer, int ASize);
int UnicodeWrite(void* AOpaque, uint8_t* ABuffer, int ASize);
int64_t UnicodeSeek(void* AOpaque, int64_t APosition, int AWhence);

// Opens the encoded name AName with AVIO_FLAG_* flags into *APb. Returns 0,
// or a negative AVERROR (AVERROR(ENOENT) for a file that cannot be opened).
// Needs avformat loaded.
int OpenUnicodeAVIO(AVIOContext** APb, std::string_view AName, int AFlags);
// Flushes a writing context, closes the file, frees the context and its
// buffer, and sets *APb to null. Returns 0 or the close error.
int CloseUnicodeAVIO(AVIOContext** APb);
// Whether a context was made by OpenUnicodeAVIO.
bool IsUnicodeAVIO(const AVIOContext* APb);

}  // namespace engine
