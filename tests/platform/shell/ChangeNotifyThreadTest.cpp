#include <gtest/gtest.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>

#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "tests/platform/shell/ShellFixture.h"

using namespace shell;
using rtl::S;

namespace {

// Serves the main thread's hand-overs until Done holds; false when it does
// not come about within a generous bound (a hang, not a timing check).
bool PumpUntil(const std::function<bool()>& Done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    rtl::CheckSynchronize(10);
  }
  return true;
}

class ChangeNotifyTest : public ::testing::Test {
 protected:
  void SetUp() override { rtl::InitMainThread(); }

  // A notifier on Dir whose changes are counted, on the main thread only.
  std::unique_ptr<TbsShellChangeNotifier> Watch(const std::string& dir, bool subTree,
                                                TNotifyFilters filters = 3) {
    auto n = std::make_unique<TbsShellChangeNotifier>(nullptr);
    n->SetWatchSubTree(subTree);
    n->SetNotifyFilters(filters);
    n->SetRoot(rtl::FileNameToString(dir));
    n->SetOnChange([this] {
      if (rtl::GetCurrentThreadId() != rtl::MainThreadID()) offMain++;
      changes++;
    });
    EXPECT_TRUE(PumpUntil([&] { return n->Worker() && n->Worker()->Generation() > 0; }));
    return n;
  }

  TTempTree tree;
  int changes = 0;
  int offMain = 0;
};

}  // namespace

TEST(NotifyFilters, Flags) {
  EXPECT_EQ(NotifyFiltersToFlags(0x3F), 0x11Fu);
  EXPECT_EQ(NotifyFiltersToFlags(1u << nfSizeChange), 0x8u);
  TbsShellChangeNotifier n(nullptr);
  EXPECT_EQ(n.Root(), u"/");
  EXPECT_TRUE(n.WatchSubTree());
  EXPECT_EQ(n.NotifyFilters(), (1u << nfFileNameChange) | (1u << nfDirNameChange));
  EXPECT_FALSE(n.Watching());
}

TEST_F(ChangeNotifyTest, CreateRenameAndDeleteArriveOnTheMainThread) {
  const std::string dir = tree.Dir("w");
  auto n = Watch(dir, false);
  EXPECT_EQ(n->Worker()->WatchedFolders(), 1);
  const std::string file = tree.File("w/新 文件.avi");
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
  int before = changes;
  ASSERT_EQ(std::rename(file.c_str(), tree.Path("w/renamed.avi").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
  before = changes;
  ASSERT_EQ(std::remove(tree.Path("w/renamed.avi").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
  before = changes;
  tree.Dir("w/folder");
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
  EXPECT_EQ(offMain, 0);
}

TEST_F(ChangeNotifyTest, ChangesArriveThroughTheWindowSystemsMessageLoop) {
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::Headless));
  const std::string dir = tree.Dir("loop");
  auto n = Watch(dir, false);
  n->SetOnChange([&] {
    changes++;
    win::PostQuitMessage(0);
  });
  tree.File("loop/a.mp4");
  win::MSG msg;
  while (win::GetMessageW(&msg, nullptr, 0, 0) > 0) win::DispatchMessageW(&msg);
  EXPECT_GE(changes, 1);
  n.reset();
  win::ShutdownWindowSystem();
}

TEST_F(ChangeNotifyTest, SubTreeIsWatchedOnlyWhenAsked) {
  tree.Dir("t/a/b");
  tree.Dir("t/c");
  tree.Link("t/c/loop", "..");  // links are not followed, so the walk ends
  auto flat = Watch(tree.Path("t"), false);
  EXPECT_EQ(flat->Worker()->WatchedFolders(), 1);
  flat.reset();

  auto deep = Watch(tree.Path("t"), true);
  EXPECT_EQ(deep->Worker()->WatchedFolders(), 4);
  tree.File("t/a/b/deep.txt");
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
  // A folder made later is watched too.
  tree.Dir("t/new");
  ASSERT_TRUE(PumpUntil([&] { return deep->Worker()->WatchedFolders() == 5; }));
  const int before = changes;
  tree.File("t/new/inside.txt");
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
}

TEST_F(ChangeNotifyTest, FolderMovedWithinTheTreeStaysWatched) {
  tree.Dir("m/a");
  auto n = Watch(tree.Path("m"), true);
  ASSERT_EQ(std::rename(tree.Path("m/a").c_str(), tree.Path("m/moved").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
  tree.Dir("m/moved/inner");
  ASSERT_TRUE(PumpUntil([&] { return n->Worker()->WatchedFolders() == 3; }));
  const int before = changes;
  tree.File("m/moved/inner/file");
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
}

TEST_F(ChangeNotifyTest, AFailingHandlerDoesNotEndTheWatching) {
  const std::string dir = tree.Dir("h");
  auto n = Watch(dir, false);
  n->SetOnChange([&] {
    if (++changes == 1) throw std::runtime_error("refresh failed");
  });
  tree.File("h/1");
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
  tree.File("h/2");
  ASSERT_TRUE(PumpUntil([&] { return changes >= 2; }));
  EXPECT_TRUE(n->Watching());
}

TEST_F(ChangeNotifyTest, FiltersChooseTheKindsOfChange) {
  const std::string dir = tree.Dir("f");
  const std::string file = tree.File("f/x.txt");
  auto n = Watch(dir, true, 1u << nfSizeChange);
  // Name changes, not asked for. A folder made in the tree is watched as soon
  // as the worker has read it; the worker hands a change over before it reads
  // on, so once the second folder is watched everything before it is decided.
  tree.File("f/y.txt", "");
  tree.Dir("f/sub");
  ASSERT_TRUE(PumpUntil([&] { return n->Worker()->WatchedFolders() == 2; }));
  tree.Dir("f/sub2");
  ASSERT_TRUE(PumpUntil([&] { return n->Worker()->WatchedFolders() == 3; }));
  while (rtl::CheckSynchronize(0)) {
  }
  EXPECT_EQ(changes, 0);
  // The write is asked for.
  {
    std::ofstream(file, std::ios::app) << "more";
  }
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
}

TEST_F(ChangeNotifyTest, NewOptionsAreTakenUpAtOnce) {
  const std::string a = tree.Dir("a"), b = tree.Dir("b");
  auto n = Watch(a, false);
  const int generation = n->Worker()->Generation();
  n->SetRoot(rtl::FileNameToString(b));
  ASSERT_TRUE(PumpUntil([&] { return n->Worker()->Generation() > generation; }));
  tree.File("b/here");
  ASSERT_TRUE(PumpUntil([&] { return changes >= 1; }));
  // The same text again stores nothing: the watching goes on without a new
  // start. The worker takes new options before it waits again, which it has
  // done once it reports the second change.
  const int g2 = n->Worker()->Generation();
  n->SetRoot(rtl::FileNameToString(b));
  for (const char* f : {"b/again1", "b/again2"}) {
    const int before = changes;
    tree.File(f);
    ASSERT_TRUE(PumpUntil([&] { return changes > before; })) << f;
  }
  EXPECT_EQ(n->Worker()->Generation(), g2);
  // Filters are passed on even unchanged.
  n->SetNotifyFilters(n->NotifyFilters());
  ASSERT_TRUE(PumpUntil([&] { return n->Worker()->Generation() == g2 + 1; }));
}

TEST_F(ChangeNotifyTest, MissingFolderNeverReportsAndStopsPromptly) {
  auto n = Watch(tree.Path("does not exist"), true);
  EXPECT_TRUE(n->Watching());
  EXPECT_EQ(n->Worker()->WatchedFolders(), 0);
  n.reset();  // returns: the stop does not wait for a change
  EXPECT_EQ(changes, 0);
}

TEST_F(ChangeNotifyTest, NotifierFreedFromItsOwnHandlerOrWithAChangePending) {
  const std::string dir = tree.Dir("gone");
  auto n = Watch(dir, false);
  TbsShellChangeNotifier* raw = n.release();
  raw->SetOnChange([&] {
    changes++;
    delete raw;  // turning automatic refresh off from inside the refresh
  });
  tree.File("gone/1");
  ASSERT_TRUE(PumpUntil([&] { return changes == 1; }));
  for (int i = 2; i < 20; ++i) tree.File("gone/" + std::to_string(i));
  rtl::CheckSynchronize(50);
  EXPECT_EQ(changes, 1);

  // A change taken up while the notifier is destroyed is dropped.
  auto m = Watch(dir, false);
  for (int i = 0; i < 50; ++i) tree.File("gone/m" + std::to_string(i));
  m.reset();
  const int after = changes;
  rtl::CheckSynchronize(50);
  EXPECT_EQ(changes, after);
}

TEST_F(ChangeNotifyTest, MountsAppearingAndDisappearingAreReported) {
  const std::string point = tree.Dir("media");
  TMountChangeNotifier n(nullptr);
  n.SetOnChange([&] { changes++; });
  ASSERT_TRUE(PumpUntil([&] { return n.Worker()->Generation() > 0; }));
  if (::mount("tvl-test", point.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "mounting needs a privilege this machine does not give";
  const bool mounted = PumpUntil([&] { return changes >= 1; });
  ::umount2(point.c_str(), MNT_DETACH);
  ASSERT_TRUE(mounted);
  const int before = changes;
  ASSERT_TRUE(PumpUntil([&] { return changes > before; }));
}
