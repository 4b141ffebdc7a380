#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Strings.h"

using namespace rtl;
namespace fs = std::filesystem;

namespace {

TEST(IniThreads, ConcurrentWritersKeepEveryKey) {
  std::string tmpl = (fs::temp_directory_path() / "tvl-ini-threads-XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const String file = Utf8ToString(tmpl + "/option.ini");

  constexpr int kThreads = 4, kKeys = 15;
  std::vector<std::thread> writers;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&, t] {
      for (int k = 0; k < kKeys; ++k) {
        const String key = Utf8ToString("k" + std::to_string(t) + "_" + std::to_string(k));
        // Half through the free functions, half through an ini-file object.
        if (k % 2 == 0) {
          if (!WritePrivateProfileString(u"S", key, u"v", file)) ++failures[t];
        } else {
          TIniFile ini(file);
          ini.WriteString(u"S", key, u"v");
        }
        GetPrivateProfileString(u"S", key, u"", file);
      }
    });
  }
  for (auto& w : writers) w.join();

  TIniFile ini(file);
  TStringList keys;
  ini.ReadSection(u"S", &keys);
  EXPECT_EQ(keys.Count(), kThreads * kKeys);
  for (int f : failures) EXPECT_EQ(f, 0);
  fs::remove_all(tmpl);
}

}  // namespace
