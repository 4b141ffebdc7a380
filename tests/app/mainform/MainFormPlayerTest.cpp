// The main window with its real preview player (SDL's dummy drivers): the
// selected file opened paused on the preview panel, a snapshot that holds
// the frame on screen, the rewind at the end of the file and the stop that
// opens the file again.
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Threads.h"
#include "player/FFPlay.h"
#include "tests/app/mainform/MainFormTestUtil.h"

namespace mainformtest {
namespace {

class MainFormPlayerTest : public MainFormTest {
 protected:
  void SetUp() override {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    MainFormTest::SetUp();
    rtl::InitMainThread();
  }
  app::TForm1* CreateWithPlayer() {
    app::TMainFormEnvironment env;
    env.OptionIniFile = S((home / "option.ini").string());
    env.Dialogs = &dialogs;
    env.CreatePlayer = true;
    form = new app::TForm1(forms::Application, env);
    return form;
  }
  // Serves the GUI thread (the player's events) until Done holds; false
  // after a minute (a bound for a broken run, not a measurement).
  bool Serve(const std::function<bool()>& Done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!Done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      Pump();
      rtl::CheckSynchronize(10);
    }
    return true;
  }
  // The log's lines, the player's states among them.
  std::vector<String> Lines() {
    std::vector<String> v;
    for (int i = 0; i < form->mmoLog->Lines()->Count(); ++i) v.push_back(form->mmoLog->Lines()->Get(i));
    return v;
  }
  // Whether the log holds Line after the first Count lines.
  bool LoggedAfter(std::size_t Count, const String& Line) {
    const std::vector<String> v = Lines();
    for (std::size_t i = Count; i < v.size(); ++i)
      if (v[i] == Line) return true;
    return false;
  }
  std::int64_t Shown() {
    std::int64_t pts = -1;
    return form->RIDodevu->CurrentFrame(pts) ? pts : -1;
  }
};

// The pixels of two pictures of one size agree.
bool SamePicture(gdi::TBitmap& a, gdi::TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Width() == 0) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if ((a.GetSurface()->GetPixel(x, y) & 0xFFFFFF) != (b.GetSurface()->GetPixel(x, y) & 0xFFFFFF)) return false;
  return true;
}

TEST_F(MainFormPlayerTest, PreviewOpensPausedSnapshotsTheShownFrameRewindsAtTheEndAndReopensOnStop) {
  CreateWithPlayer();
  ASSERT_NE(form->RIDodevu, nullptr);
  Show();
  const std::string clip = Clip("preview.avi", 2);
  AddOne(clip);
  ASSERT_EQ(form->RowCount(), 1);

  // "Button31": the shown file opens paused on the preview panel.
  std::size_t mark = Lines().size();
  form->Button31->Click();
  ASSERT_TRUE(Serve([&] { return LoggedAfter(mark, u"Pause") && Shown() >= 0; })) << U(form->mmoLog->Text());
  EXPECT_TRUE(LogHas(u"frame size: 160x120"));
  EXPECT_EQ(form->RIDodevu->ScreenHandle(), form->Panel6->Handle());

  // The snapshot holds the frame the player shows, in the folder chosen.
  const fs::path shots = home / "快照";
  fs::create_directories(shots);
  dialogs.FolderAnswers.push_back(S(shots.string()));
  form->MenuItem2->Click();
  form->bsSkinButton22->ButtonClick();
  std::vector<fs::path> saved;
  for (const auto& e : fs::directory_iterator(shots)) saved.push_back(e.path());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].extension(), ".bmp");
  gdi::TBitmap snapshot;
  snapshot.LoadFromFile(S(saved[0].string()));
  gdi::TBitmap* frame = form->RIDodevu->CurrentFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(SamePicture(snapshot, *frame)) << "the snapshot is not the frame on screen";
  gdi::TBitmap blank(frame->Width(), frame->Height());
  EXPECT_FALSE(SamePicture(snapshot, blank));

  // Played to its end, the file goes back to its start and waits there.
  mark = Lines().size();
  form->bsSkinButton13->ButtonClick();
  ASSERT_TRUE(Serve([&] { return LoggedAfter(mark, u"End"); })) << U(form->mmoLog->Text());
  const std::size_t ended = Lines().size();
  ASSERT_TRUE(Serve([&] { return LoggedAfter(ended - 1, u"Pause") && Shown() >= 0 && Shown() < 200000; }))
      << "shown at " << Shown();

  // Stop: the player stops and opens the shown file again, paused at its start.
  mark = Lines().size();
  form->bsSkinButton15->ButtonClick();
  ASSERT_TRUE(Serve([&] { return LoggedAfter(mark, u"Stop"); }));
  const std::vector<String> lines = Lines();
  std::size_t stopped = mark;
  while (stopped < lines.size() && lines[stopped] != u"Stop") ++stopped;
  ASSERT_TRUE(Serve([&] { return LoggedAfter(stopped, u"Pause") && Shown() >= 0; })) << U(form->mmoLog->Text());
  EXPECT_LT(Shown(), 200000);
  form->RIDodevu->Stop(true);
}

}  // namespace
}  // namespace mainformtest
