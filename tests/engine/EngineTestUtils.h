// Helpers of the engine suites: a fresh temporary folder per test and media
// fixtures made with the ffmpeg command line.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/FFmpegLoader.h"
#include "platform/rtl/Strings.h"

namespace enginetest {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvl-engine-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the ffmpeg tool quietly with the given arguments; true on success.
inline bool RunFFmpeg(const std::string& args) {
  std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Loads a set from the system libraries (no LibraryPath).
inline void LoadSystemSet(engine::TLibraries libs) {
  engine::TFFmpegLoader::SetLibraryPath(u"");
  ASSERT_TRUE(engine::TFFmpegLoader::Load(libs)) << rtl::U8(engine::TFFmpegLoader::GetLastErrMsg());
}

}  // namespace enginetest
