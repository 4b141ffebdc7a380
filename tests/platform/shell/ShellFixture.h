// Temporary folder trees for the shell suites.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class TTempTree {
 public:
  TTempTree() {
    char tmpl[] = "/tmp/tvl-shell-XXXXXX";
    root_ = ::mkdtemp(tmpl);
    ::chmod(root_.c_str(), 0755);
  }
  ~TTempTree() {
    std::error_code ec;
    // Folders a test made unreadable must be readable again to go.
    for (auto& p : std::filesystem::recursive_directory_iterator(
             root_, std::filesystem::directory_options::skip_permission_denied, ec))
      if (p.is_directory(ec) && !p.is_symlink(ec)) ::chmod(p.path().c_str(), 0755);
    std::filesystem::remove_all(root_, ec);
  }
  const std::string& Root() const { return root_; }
  std::string Path(const std::string& rel) const { return rel.empty() ? root_ : root_ + "/" + rel; }
  std::string Dir(const std::string& rel) const {
    std::filesystem::create_directories(Path(rel));
    return Path(rel);
  }
  std::string File(const std::string& rel, const std::string& content = "x") const {
    std::ofstream(Path(rel), std::ios::binary) << content;
    return Path(rel);
  }
  std::string Link(const std::string& rel, const std::string& target) const {
    [[maybe_unused]] int r = ::symlink(target.c_str(), Path(rel).c_str());
    return Path(rel);
  }

 private:
  std::string root_;
};

// Sets an environment variable for the life of the object.
class TEnvSetting {
 public:
  TEnvSetting(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      had_ = true;
      old_ = old;
    }
    ::setenv(name, value.c_str(), 1);
  }
  ~TEnvSetting() {
    if (had_) {
      ::setenv(name_, old_.c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};
