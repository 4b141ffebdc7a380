// Forms and the application: modal loops, closing, the framework's event
// order, the loading bracket, timers on the one clock, exceptions, hints,
// the screen, and the main loop with other threads.
#include <atomic>
#include <cstdio>
#include <thread>
#include <filesystem>

#include "platform/forms/FormBuilder.h"
#include "platform/forms/FormRender.h"
#include "platform/forms/Timers.h"
#include "platform/rtl/Threads.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

// A dialog with OK and Cancel, clicked by input queued when it is shown.
struct Dialog {
  TForm* form;
  TTestButton *ok, *cancel;
};

Dialog MakeDialog(FormsTest* t, rtl::TComponent* owner) {
  Dialog d;
  d.form = new TForm(owner);
  d.form->SetBounds(200, 200, 200, 100);
  d.form->SetBorderStyle(bsDialog);
  d.ok = new TTestButton(d.form);
  d.ok->SetBounds(10, 10, 75, 25);
  d.ok->ModalResult = mrOk;
  d.ok->SetParent(d.form);
  d.cancel = new TTestButton(d.form);
  d.cancel->SetBounds(100, 10, 75, 25);
  d.cancel->ModalResult = mrCancel;
  d.cancel->SetParent(d.form);
  d.form->AfterConstruction();
  return d;
}

void QueueClick(TControl* c) { headless::Click(c->ClientToScreen({5, 5})); }

TEST_F(FormsTest, ShowModalRunsANestedLoopUntilModalResultWithTheOwnerDisabled) {
  TForm* main = MakeForm();
  Dialog d = MakeDialog(this, Application);
  bool mainEnabledDuring = true;
  d.form->OnShow = [&](rtl::TObject*) { QueueClick(d.ok); };
  d.ok->OnClick = [&](rtl::TObject*) { mainEnabledDuring = IsWindowEnabled(main->Handle()); };
  EXPECT_EQ(d.form->ShowModal(), mrOk);
  EXPECT_FALSE(mainEnabledDuring);
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_FALSE(d.form->Visible());
  EXPECT_FALSE(IsWindowVisible(d.form->Handle()));
  EXPECT_EQ(GetActiveWindow(), main->Handle());
  // A shown form cannot become modal.
  main->Show();
  EXPECT_THROW(main->ShowModal(), rtl::EInvalidOperation);
}

TEST_F(FormsTest, ModalLoopsNestAndEndInnermostFirst) {
  MakeForm();
  Dialog outer = MakeDialog(this, Application);
  Dialog inner = MakeDialog(this, Application);
  outer.form->OnShow = [&](rtl::TObject*) { QueueClick(outer.cancel); };
  inner.form->OnShow = [&](rtl::TObject*) { QueueClick(inner.ok); };
  int innerResult = -1;
  inner.ok->OnClick = [&](rtl::TObject*) {
    EXPECT_FALSE(IsWindowEnabled(outer.form->Handle()));  // disabled under the inner dialog
  };
  outer.cancel->OnClick = [&](rtl::TObject*) {
    innerResult = inner.form->ShowModal();
    Log("inner done");
  };
  outer.form->OnClose = [&](rtl::TObject*, TCloseAction&) { Log("outer closed"); };
  EXPECT_EQ(outer.form->ShowModal(), mrCancel);
  EXPECT_EQ(innerResult, mrOk);
  EXPECT_EQ(log, (std::vector<std::string>{"inner done", "outer closed"}));
}

TEST_F(FormsTest, CloseQueryAndCaNoneKeepTheModalLoopRunning) {
  MakeForm();
  Dialog d = MakeDialog(this, Application);
  int attempts = 0;
  d.form->OnShow = [&](rtl::TObject*) {
    // Far enough apart in time not to make double clicks.
    QueueClick(d.ok);
    headless::AdvanceClock(1000);
    QueueClick(d.ok);
    headless::AdvanceClock(1000);
    QueueClick(d.cancel);
  };
  d.form->OnCloseQuery = [&](rtl::TObject*, bool& can) { can = ++attempts > 1; };
  d.form->OnClose = [&](rtl::TObject*, TCloseAction& a) {
    if (attempts == 2) a = caNone;
  };
  EXPECT_EQ(d.form->ShowModal(), mrCancel);
  EXPECT_EQ(attempts, 3);
}

TEST_F(FormsTest, FormEventsComeInTheFrameworksOrder) {
  auto* f = new TForm(Application);
  f->OnCreate = Logger("create");
  f->OnShow = Logger("show");
  f->OnActivate = Logger("activate");
  f->OnDeactivate = Logger("deactivate");
  f->OnCloseQuery = [&](rtl::TObject*, bool&) { Log("closequery"); };
  f->OnClose = [&](rtl::TObject*, TCloseAction& a) {
    Log("close");
    a = caFree;
  };
  f->OnHide = Logger("hide");
  f->OnDestroy = Logger("destroy");
  TLiveness live = f->Liveness();
  f->AfterConstruction();
  f->AfterConstruction();  // once only
  f->Show();
  Pump();
  f->Close();
  Pump();
  EXPECT_FALSE(live.Alive());
  EXPECT_EQ(log, (std::vector<std::string>{"create", "show", "activate", "closequery", "close", "hide",
                                           "deactivate", "destroy"}));
}

TEST_F(FormsTest, BorderStyleAndIconsGiveTheWindowStyle) {
  struct Case {
    TFormBorderStyle border;
    TBorderIcons icons;
    TFormStyle style;
    DWORD has, hasNot, exHas;
  } cases[] = {
      {bsSizeable, {biSystemMenu, biMinimize, biMaximize}, fsNormal, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0},
      {bsSingle, {biSystemMenu, biMinimize}, fsNormal, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_THICKFRAME | WS_MAXIMIZEBOX, 0},
      {bsDialog, {biSystemMenu, biMinimize}, fsNormal, WS_CAPTION | WS_SYSMENU | WS_POPUP, WS_MINIMIZEBOX, WS_EX_DLGMODALFRAME},
      {bsNone, {}, fsStayOnTop, WS_POPUP, WS_CAPTION, WS_EX_TOPMOST},
      {bsToolWindow, {biSystemMenu}, fsNormal, WS_CAPTION, WS_THICKFRAME, WS_EX_TOOLWINDOW},
      {bsSizeable, {}, fsNormal, WS_CAPTION | WS_THICKFRAME, WS_SYSMENU | WS_MINIMIZEBOX, 0},
  };
  // A shown form stays shown and active when its window is made anew.
  TForm* shown = MakeForm();
  auto* e = Make<TTestEdit>(shown, 5, 5, 50, 20);
  e->SetFocus();
  Pump();
  shown->SetBorderStyle(bsDialog);
  Pump();
  EXPECT_TRUE(IsWindowVisible(shown->Handle()));
  EXPECT_EQ(GetActiveWindow(), shown->Handle());
  EXPECT_TRUE(e->Focused());
  for (const Case& c : cases) {
    auto* f = new TForm(Application);
    f->SetBorderStyle(c.border);
    f->SetBorderIcons(c.icons);
    f->SetFormStyle(c.style);
    HWND h = f->Handle();
    DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE)), ex = DWORD(GetWindowLongPtrW(h, GWL_EXSTYLE));
    EXPECT_EQ(style & c.has, c.has) << c.border;
    EXPECT_EQ(style & c.hasNot, 0u) << c.border;
    EXPECT_EQ(ex & c.exHas, c.exHas) << c.border;
    // Changing the border later makes the window anew with the new style.
    bool toNone = c.border != bsNone;
    f->SetBorderStyle(toNone ? bsNone : bsSingle);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(DWORD(GetWindowLongPtrW(f->Handle(), GWL_STYLE)) & WS_CAPTION, toNone ? 0u : WS_CAPTION);
    f->Free();
  }
}

TEST_F(FormsTest, ClosingTheMainFormEndsTheApplication) {
  auto* main = Application->CreateForm<TForm>();
  auto* second = Application->CreateForm<TForm>();
  EXPECT_EQ(Application->MainForm(), main);
  second->Show();
  main->Show();
  Pump();
  second->Close();
  EXPECT_FALSE(Application->Terminated());
  EXPECT_FALSE(second->Visible());
  PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
  Application->Run();  // returns once the close has run
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormsTest, PositionPlacesAFormOnItsFirstShow) {
  auto* owner = Application->CreateForm<TForm>();  // the main form
  owner->SetBounds(100, 100, 400, 300);
  owner->Show();
  struct Case {
    TPosition pos;
    rtl::TPoint expected;
  } cases[] = {
      {poDesigned, {7, 9}},
      {poScreenCenter, {(1280 - 200) / 2, (984 - 100) / 2}},
      {poMainFormCenter, {100 + (400 - 200) / 2, 100 + (300 - 100) / 2}},
  };
  for (const Case& c : cases) {
    auto* f = new TForm(Application);
    f->SetBounds(7, 9, 200, 100);
    f->SetPosition(c.pos);
    f->Show();
    EXPECT_EQ(f->Left(), c.expected.X);
    EXPECT_EQ(f->Top(), c.expected.Y);
    f->Free();
  }
}

// Components record Loaded, and whether they were loading when a property was set.
class LoadProbe : public TTestPanel {
 public:
  LoadProbe(rtl::TComponent* o) : TTestPanel(o) {}
  std::vector<std::string>* log = nullptr;
  void Loaded() override {
    log->push_back("loaded " + rtl::StringToUtf8(Name()) + (ComponentState().Contains(rtl::csReading) ? " reading" : ""));
    TTestPanel::Loaded();
  }
  void SetText(const rtl::String& v) override {
    log->push_back("caption while " + std::string(ComponentState().Contains(rtl::csLoading) ? "loading" : "live"));
    TTestPanel::SetText(v);
  }
};

class BuiltForm : public TForm {
 public:
  BuiltForm(rtl::TComponent* owner, std::vector<std::string>* log) : TForm(owner) {
    TFormBuilder b(this);
    SetName(u"Form1");
    OnCreate = [log](rtl::TObject*) { log->push_back("create"); };
    auto* p1 = b.Make<LoadProbe>(u"Panel1", this);
    p1->log = log;
    p1->SetBounds(0, 0, 200, 100);
    p1->SetCaption(u"one");
    auto* p2 = b.Make<LoadProbe>(u"Panel2", p1);
    p2->log = log;
    p2->SetAlign(alClient);  // aligned only once loading ends
    p2->SetCaption(u"two");
    b.Make<TTimer>(u"Timer1");
    alignedDuringBuild = p2->Width() == p1->ClientWidth();
    b.Finish();
  }
  bool alignedDuringBuild = true;
};

TEST_F(FormsTest, BuilderSetsPropertiesWhileLoadingThenLoadedInCreationOrder) {
  auto* f = new BuiltForm(Application, &log);
  EXPECT_FALSE(f->alignedDuringBuild);
  EXPECT_EQ(log, (std::vector<std::string>{"caption while loading", "caption while loading", "loaded Panel1",
                                           "loaded Panel2", "create"}));
  auto* p1 = static_cast<TControl*>(f->FindComponent(u"Panel1"));
  auto* p2 = static_cast<TControl*>(f->FindComponent(u"Panel2"));
  EXPECT_EQ(p2->BoundsRect(), p1->ClientRect());
  for (int i = 0; i < f->ComponentCount(); ++i) EXPECT_TRUE(f->Components(i)->ComponentState().Empty());
  EXPECT_TRUE(f->ComponentState().Empty());
}

TEST_F(FormsTest, TimersOfBothKindsFireInDueOrderOnTheFakeClock) {
  TForm* f = MakeForm();
  auto* t30 = new TTimer(f);
  t30->SetInterval(30);
  t30->OnTimer = Logger("t30");
  auto* t70 = new TTimer(f);
  t70->SetInterval(70);
  t70->OnTimer = Logger("t70");
  auto inner = f->WindowProc;
  f->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_TIMER && m.WParam == 1) Log("w50");
    f->WndProc(m);
  };
  SetTimer(f->Handle(), 1, 50, nullptr);
  for (int ms = 0; ms < 100; ms += 10) {
    headless::AdvanceClock(10);
    Pump();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"t30", "w50", "t30", "t70", "t30", "w50"}));
  // Disabled inside its own event, a timer stops; a new interval restarts the count.
  log.clear();
  t30->OnTimer = [&](rtl::TObject* s) {
    Log("t30");
    static_cast<TTimer*>(s)->SetEnabled(false);
  };
  t70->SetInterval(15);
  KillTimer(f->Handle(), 1);
  for (int ms = 0; ms < 40; ms += 5) {
    headless::AdvanceClock(5);
    Pump();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"t70", "t30", "t70"}));
  f->WindowProc = nullptr;
}

TEST_F(FormsTest, AnExceptionFromAnEventHandlerIsReportedAndTheLoopGoesOn) {
  TForm* f = MakeForm();
  auto* b = Make<TTestButton>(f, 10, 10, 75, 25);
  int thrown = 0;
  b->OnClick = [&](rtl::TObject*) {
    if (++thrown == 1) throw rtl::EConvertError("'x' is not a valid integer value");
  };
  std::vector<std::string> reports;
  Application->OnException = [&](rtl::TObject* sender, const std::exception& e) {
    reports.push_back(e.what());
    EXPECT_EQ(sender, b);
  };
  Click(b);
  headless::AdvanceClock(1000);
  Click(b);
  EXPECT_EQ(thrown, 2);
  EXPECT_EQ(reports, (std::vector<std::string>{"'x' is not a valid integer value"}));
  // EAbort is silent.
  b->OnClick = [](rtl::TObject*) { rtl::Abort(); };
  headless::AdvanceClock(1000);
  Click(b);
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(FormsTest, WithoutOnExceptionAMessageBoxShowsTheError) {
  TForm* f = MakeForm();
  auto* b = Make<TTestButton>(f, 10, 10, 75, 25);
  b->OnClick = [](rtl::TObject*) { throw rtl::Exception("disk full"); };
  std::string boxTitle;
  bool boxSeen = false;
  // The box is a modal form: find it once it is active and answer it with Enter.
  Screen->OnActiveFormChange = [&](rtl::TObject*) {
    TCustomForm* a = Screen->ActiveForm();
    if (a && a != f && !boxSeen) {
      boxSeen = true;
      boxTitle = rtl::StringToUtf8(a->Caption());
      headless::PressKey(VK_RETURN);
    }
  };
  Application->SetTitle(u"Converter");
  Click(b);
  EXPECT_TRUE(boxSeen);
  EXPECT_EQ(boxTitle, "Converter");
  Screen->OnActiveFormChange = nullptr;
}

// The skin library's hint window stands in for the plain one.
class RecordingHint : public THintWindow {
 public:
  RecordingHint(rtl::TComponent* o, std::vector<std::string>* log) : THintWindow(o), log_(log) {}
  void ActivateHint(rtl::TRect r, const rtl::String& hint) override {
    log_->push_back("show " + rtl::StringToUtf8(hint));
    THintWindow::ActivateHint(r, hint);
  }
 private:
  std::vector<std::string>* log_;
};

TEST_F(FormsTest, HintsShowAfterThePauseInTheReplaceableHintWindow) {
  TForm* f = MakeForm();
  auto* b = Make<TTestButton>(f, 10, 10, 75, 25);
  b->SetHint(u"Start converting");
  b->SetShowHint(true);
  Application->SetHintWindowClass([this](rtl::TComponent* o) { return new RecordingHint(o, &log); });
  Application->HintPause = 500;
  Application->HintHidePause = 2000;
  headless::MouseMove(Scr(b, 5, 5));
  Pump();
  headless::AdvanceClock(499);
  Pump();
  EXPECT_TRUE(log.empty());
  headless::AdvanceClock(1);
  Pump();
  ASSERT_EQ(log, (std::vector<std::string>{"show Start converting"}));
  THintWindow* w = Application->HintWindow();
  ASSERT_NE(dynamic_cast<RecordingHint*>(w), nullptr);
  EXPECT_TRUE(IsWindowVisible(w->Handle()));
  // Owned by the application's hidden window, never activated.
  EXPECT_EQ(GetWindow(w->Handle(), GW_OWNER), Application->Handle());
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_EQ(GetActiveWindow(), f->Handle());
  headless::AdvanceClock(2000);
  Pump();
  EXPECT_FALSE(IsWindowVisible(w->Handle()));
  // A press cancels a pending hint.
  log.clear();
  headless::MouseMove(Scr(f, 200, 150));
  headless::MouseMove(Scr(b, 6, 6));
  headless::MouseDown(Scr(b, 6, 6));
  headless::MouseUp(Scr(b, 6, 6));
  Pump();
  headless::AdvanceClock(1000);
  Pump();
  EXPECT_TRUE(log.empty());
}

TEST_F(FormsTest, HintTextComesFromTheParentsAndMayBeChangedOrRefused) {
  TForm* f = MakeForm();
  auto* panel = Make<TTestPanel>(f, 0, 0, 200, 100);
  panel->SetHint(u"panel hint");
  panel->SetShowHint(true);
  auto* inner = Make<TTestLabel>(panel, 10, 10, 60, 15, u"x");  // no hint of its own; shows its parent's
  auto* refusing = Make<TTestButton>(panel, 100, 10, 60, 25);
  refusing->SetHint(u"never");
  refusing->WindowProc = [refusing](TMessage& m) {
    if (m.Msg == CM_HINTSHOW) {
      m.Result = 1;
      return;
    }
    refusing->WndProc(m);
  };
  Application->SetHintWindowClass([this](rtl::TComponent* o) { return new RecordingHint(o, &log); });
  Application->OnShowHint = [](rtl::String& s, bool&, THintInfo& info) {
    s += u"!";
    EXPECT_NE(info.HintControl, nullptr);
  };
  for (TControl* c : std::initializer_list<TControl*>{inner, refusing}) {
    headless::MouseMove(Scr(f, 250, 150));
    Pump();
    headless::AdvanceClock(3000);
    Pump();
    headless::MouseMove(Scr(c, 3, 3));
    Pump();
    headless::AdvanceClock(Application->HintPause);
    Pump();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"show panel hint!"}));
  refusing->WindowProc = nullptr;
  Application->OnShowHint = nullptr;
}

TEST_F(FormsTest, ScreenKnowsFormsTheActiveFormAndTheWorkArea) {
  TForm* a = MakeForm();
  TForm* b = MakeForm();
  EXPECT_EQ(Screen->FormCount(), 2);
  EXPECT_EQ(Screen->ActiveForm(), b);
  EXPECT_EQ(Screen->Forms(0), b);
  a->Show();
  Pump();
  EXPECT_EQ(Screen->ActiveForm(), a);
  EXPECT_EQ(Screen->WorkAreaRect(), rtl::Rect(0, 0, 1280, 984));
  EXPECT_EQ(Screen->Width(), 1280);
  b->Free();
  EXPECT_EQ(Screen->FormCount(), 1);
  EXPECT_GT(Screen->Fonts()->Count(), 0);
  EXPECT_NE(Screen->Cursors(crHourGlass), nullptr);
}

TEST_F(FormsTest, RenderingAFormWritesItsFrameAndClient) {
  TForm* f = MakeForm(240, 160, false);
  f->SetCaption(u"TavrelAndroid手机视频转换器");
  Make<TTestButton>(f, 20, 20, 90, 28, u"&Convert");
  Make<TTestLabel>(f, 20, 60, 120, 17, u"Label");
  std::string dir = ::testing::TempDir();
  std::string whole = dir + "/forms_render_whole.png", client = dir + "/forms_render_client.png";
  ASSERT_TRUE(RenderToPng(f, whole));
  ASSERT_TRUE(RenderClientToPng(f, client));
  EXPECT_FALSE(f->Visible());
  EXPECT_FALSE(IsWindowVisible(f->Handle()));
  // The picture holds the whole window, frame included, or the client area only.
  auto pngSize = [](const std::string& path) {
    std::FILE* fp = std::fopen(path.c_str(), "rb");
    unsigned char h[24] = {};
    if (fp) {
      std::fread(h, 1, sizeof h, fp);
      std::fclose(fp);
    }
    auto be = [&](int o) { return (h[o] << 24) | (h[o + 1] << 16) | (h[o + 2] << 8) | h[o + 3]; };
    return std::pair<int, int>(be(16), be(20));
  };
  EXPECT_EQ(pngSize(whole), std::make_pair(240, 160));
  EXPECT_EQ(pngSize(client), std::make_pair(f->ClientWidth(), f->ClientHeight()));
  EXPECT_LT(f->ClientWidth(), 240);
}

// A worker hands work to the GUI thread while the main loop runs.
class Worker : public rtl::TThread {
 public:
  std::atomic<int> ran{0};
 protected:
  void Execute() override {
    for (int i = 0; i < 3; ++i) Synchronize([this] { ran.fetch_add(1); });
    Synchronize([] { Application->Terminate(); });
  }
};

TEST_F(FormsTest, TheMainLoopRunsSynchronizedMethodsAndEndsOnTerminate) {
  headless::UseFakeClock(false);
  MakeForm();
  Worker w;
  w.Start();
  Application->Run();
  w.WaitFor();
  EXPECT_EQ(w.ran.load(), 3);
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(FormsTest, QueuedMethodsRunInTheLoopWithoutTheWorkerWaiting) {
  headless::UseFakeClock(false);
  MakeForm();
  std::atomic<int> queued{0};
  std::thread t([&] {
    for (int i = 0; i < 5; ++i) rtl::TThread::Queue(nullptr, [&] { queued.fetch_add(1); });
    rtl::TThread::Queue(nullptr, [] { Application->Terminate(); });
  });
  Application->Run();
  t.join();
  EXPECT_EQ(queued.load(), 5);
}

TEST_F(FormsTest, OnMessageSeesMessagesBeforeDispatchAndMayKeepThem) {
  TForm* f = MakeForm();
  int reached = 0;
  f->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER + 1) ++reached;
    f->WndProc(m);
  };
  std::vector<WPARAM> seen;
  Application->OnMessage = [&](MSG& m, bool& handled) {
    if (m.message != WM_USER + 1) return;
    seen.push_back(m.wParam);
    handled = m.wParam == 2;
  };
  PostMessageW(f->Handle(), WM_USER + 1, 1, 0);
  PostMessageW(f->Handle(), WM_USER + 1, 2, 0);
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2}));
  EXPECT_EQ(reached, 1);
  f->WindowProc = nullptr;
  Application->OnMessage = nullptr;
}

TEST_F(FormsTest, MinimizeAndRestoreTheMainForm) {
  auto* main = Application->CreateForm<TForm>();
  main->Show();
  Pump();
  Application->OnMinimize = Logger("minimize");
  Application->OnRestore = Logger("restore");
  Application->Minimize();
  Pump();
  EXPECT_EQ(main->WindowState(), wsMinimized);
  Application->Restore();
  Pump();
  EXPECT_EQ(main->WindowState(), wsNormal);
  EXPECT_EQ(log, (std::vector<std::string>{"minimize", "restore"}));
}

TEST_F(FormsTest, TerminateFromAnotherThreadWakesTheLoop) {
  headless::UseFakeClock(false);
  MakeForm();
  std::thread t([] { Application->Terminate(); });
  Application->Run();
  t.join();
  EXPECT_TRUE(Application->Terminated());
}

}  // namespace
}  // namespace formstest

namespace formstest {
namespace {

// Pictures to look at: written to gallery/ beside the test program, in the build folder.
TEST_F(FormsTest, GalleryOfPlainForms) {
  std::string dir = std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/gallery/";
  std::filesystem::create_directories(dir);
  auto* main = new TForm(Application);
  main->SetCaption(u"TavrelAndroid手机视频转换器");
  main->SetBorderStyle(bsSingle);
  main->SetBorderIcons({biSystemMenu, biMinimize});
  main->SetClientSize(805, 541);
  EXPECT_TRUE(RenderToPng(main, dir + "main_form.png"));

  TForm* d = MakeForm(320, 180, false);
  d->SetCaption(u"选项 Options");
  d->SetBorderStyle(bsDialog);
  auto* label = Make<TTestLabel>(d, 12, 14, 120, 17, u"输出文件夹:");
  auto* edit = Make<TTestEdit>(d, 12, 36, 280, 22);
  edit->typed = u"/home/user/Tavrel视频软件/输出";
  auto* ok = Make<TTestButton>(d, 120, 110, 80, 26, u"确定(&O)");
  Make<TTestButton>(d, 210, 110, 80, 26, u"&Cancel")->SetEnabled(false);
  ok->Default = true;
  (void)label;
  d->Show();
  Pump();
  ok->SetFocus();
  Pump();
  EXPECT_TRUE(RenderToPng(d, dir + "dialog.png"));
  EXPECT_TRUE(RenderClientToPng(d, dir + "dialog_client.png"));

  ok->SetHint(u"保存设置并关闭 Save and close");
  ok->SetShowHint(true);
  headless::MouseMove(Scr(ok, 10, 10));
  Pump();
  headless::AdvanceClock(Application->HintPause);
  Pump();
  ASSERT_NE(Application->HintWindow(), nullptr);
  EXPECT_TRUE(RenderToPng(Application->HintWindow(), dir + "hint.png"));
}

}  // namespace
}  // namespace formstest
