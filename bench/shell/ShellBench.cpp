// Enumerating and sorting a folder of 10,000 files (plus 20 folders) through
// the shell namespace, beside a bare readdir of the same folder as the
// yardstick: the ratio of the two says what the namespace adds. The folder is
// made once in the temporary folder and removed at the end.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Strings.h"
#include "platform/shell/ShellNamespace.h"

namespace {

using namespace shell;

struct TBigFolder {
  std::string path;
  TBigFolder() {
    char tmpl[] = "/tmp/tvl-shell-bench-XXXXXX";
    path = ::mkdtemp(tmpl);
    // Names in a shuffled order, mixed case and digit runs, a few Chinese.
    for (int i = 0; i < 10000; ++i) {
      const int k = (i * 7919) % 10000;
      std::string name = (k % 3 ? "Clip " : "clip_") + std::to_string(k) + (k % 5 ? ".mp4" : ".AVI");
      if (k % 97 == 0) name = "视频 " + name;
      std::ofstream(path + "/" + name) << "";
    }
    for (int i = 0; i < 20; ++i) std::filesystem::create_directory(path + "/Folder " + std::to_string(i));
  }
  ~TBigFolder() { std::filesystem::remove_all(path); }
};

TBigFolder& Big() {
  static TBigFolder big;
  return big;
}

std::unique_ptr<TbsShellFolder> Open() {
  TItemList list;
  GetDesktopShellFolder()->ParseDisplayName(rtl::FileNameToString(Big().path), list);
  return std::unique_ptr<TbsShellFolder>(FolderObjectFromItemList(list.get()));
}

void BM_ReadDirNamesOnly(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> names;
    DIR* d = ::opendir(Big().path.c_str());
    while (dirent* e = ::readdir(d)) names.emplace_back(e->d_name);
    ::closedir(d);
    benchmark::DoNotOptimize(names);
  }
}

// Stage 0: enumerate; 1: and sort; 2: and read what a list view shows of
// each row (name and icon kind).
void BM_Namespace(benchmark::State& state) {
  const int stage = static_cast<int>(state.range(0));
  auto folder = Open();
  for (auto _ : state) {
    std::vector<std::unique_ptr<TbsShellFolder>> items;
    EnumerateChildren(folder.get(), Bit(otFolders) | Bit(otNonFolders), items);
    if (stage >= 1) SortShellFolders(items);
    size_t total = 0;
    if (stage >= 2)
      for (auto& i : items) total += i->DisplayName().size() + i->IconKind();
    benchmark::DoNotOptimize(items);
    benchmark::DoNotOptimize(total);
  }
}

}  // namespace

BENCHMARK(BM_ReadDirNamesOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Namespace)->ArgName("stage")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  InitShellNamespace();
  Big();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DoneShellNamespace();
  return 0;
}
