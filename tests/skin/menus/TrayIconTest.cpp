// The tray icon on the headless window system and the fake clock, over a fake
// notification area that records the shell calls: click recognition, the
// popup at the cursor, icon lists and cycling, tip and balloon limits,
// minimising to the tray with and without a notification area, and the
// frame's restore.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "skin/menus/bsTrayIcon.h"
#include "tests/skin/menus/TrayHintTestUtil.h"

namespace skinmenustest {
namespace {

using namespace skin;

struct Call {
  DWORD message;
  NOTIFYICONDATAW data;
};

class FakeTray : public TbsTrayHost {
 public:
  explicit FakeTray(std::vector<Call>& calls, bool& present) : calls_(calls), present_(present) {}
  bool Notify(DWORD m, const NOTIFYICONDATAW& d) override {
    calls_.push_back({m, d});
    if (!present_) return false;
    if (m == NIM_ADD) {
      if (shown_) return false;
      shown_ = true;
    } else if (m == NIM_DELETE || m == NIM_MODIFY) {
      if (!shown_) return false;
      if (m == NIM_DELETE) shown_ = false;
    }
    return true;
  }

 private:
  std::vector<Call>& calls_;
  bool& present_;
  bool shown_ = false;
};

class TrayIconTest : public MainFormTest, public TbsTrayFrame {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    SetTrayHost(std::make_unique<FakeTray>(calls, present));
    forms::TPopupMenu::PopupHandler = [this](forms::TPopupMenu*, int x, int y) {
      log.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
    };
  }
  void TearDown() override {
    forms::TPopupMenu::PopupHandler = nullptr;
    MainFormTest::TearDown();
    SetTrayHost(nullptr);
  }
  TbsTrayIcon* MakeIcon() {
    auto* t = new TbsTrayIcon(main);
    t->OnClick = [this](rtl::TObject*) { log.push_back("click"); };
    t->OnDblClick = [this](rtl::TObject*) { log.push_back("dblclick"); };
    t->OnMouseDown = [this](rtl::TObject*, forms::TMouseButton b, forms::TShiftState, int, int) {
      log.push_back(b == forms::mbLeft ? "down L" : b == forms::mbRight ? "down R" : "down M");
    };
    t->OnMouseUp = [this](rtl::TObject*, forms::TMouseButton b, forms::TShiftState, int, int) {
      log.push_back(b == forms::mbLeft ? "up L" : b == forms::mbRight ? "up R" : "up M");
    };
    return t;
  }
  // What the notification area sends for a mouse action on the icon.
  void Mouse(TbsTrayIcon* t, win::UINT action) {
    win::PostMessageW(t->Handle(), TbsTrayIcon::MSG_TRAY_ICON_NOTIFY, 1, win::LPARAM(action));
    Pump();
  }
  std::unique_ptr<forms::TImageList> Icons(int count) {
    auto il = std::make_unique<forms::TImageList>(nullptr, 16, 16);
    for (int i = 0; i < count; ++i) {
      gdi::TBitmap b(16, 16);
      b.Canvas()->Brush()->SetColor(rtl::TColor(0x10 * (i + 1)));
      b.Canvas()->FillRect(rtl::Rect(0, 0, 16, 16));
      il->AddMasked(&b, gdi::clFuchsia);
    }
    return il;
  }
  std::string Joined() const {
    std::string s;
    for (const auto& l : log) s += (s.empty() ? "" : ", ") + l;
    return s;
  }
  const Call* Last(DWORD m) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
      if (it->message == m) return &*it;
    return nullptr;
  }

  // The frame side, as the form frame would answer.
  bool AlwaysShowInTray() const override { return alwaysShow; }
  forms::TPopupMenu* SysTrayMenu() override { return trayMenu; }
  void MinimizedToTray() override { log.push_back("OnMinimizeToTray"); }
  void RestoredFromTray() override { log.push_back("OnRestoreFromTray"); }

  std::vector<Call> calls;
  bool present = true;
  bool alwaysShow = false;
  forms::TPopupMenu* trayMenu = nullptr;
  std::vector<std::string> log;
};

TEST_F(TrayIconTest, SingleClickAfterTheDoubleClickTimeDoubleClickWithoutClick) {
  TbsTrayIcon* t = MakeIcon();
  const unsigned dbl = win::GetDoubleClickTime();
  Mouse(t, win::WM_LBUTTONDOWN);
  Mouse(t, win::WM_LBUTTONUP);
  EXPECT_EQ(Joined(), "down L, up L");
  Advance(dbl + 20);
  EXPECT_EQ(Joined(), "down L, up L, click");

  log.clear();
  Mouse(t, win::WM_LBUTTONDOWN);
  Mouse(t, win::WM_LBUTTONUP);
  Advance(100);
  Mouse(t, win::WM_LBUTTONDBLCLK);
  Mouse(t, win::WM_LBUTTONUP);
  Advance(dbl + 20);
  EXPECT_EQ(Joined(), "down L, up L, dblclick, up L");

  log.clear();  // held longer than the double-click time: the click comes at the release
  Mouse(t, win::WM_LBUTTONDOWN);
  Advance(dbl + 20);
  Mouse(t, win::WM_LBUTTONUP);
  EXPECT_EQ(Joined(), "down L, click, up L");

  log.clear();
  t->Enabled = false;
  Mouse(t, win::WM_LBUTTONDOWN);
  Mouse(t, win::WM_RBUTTONDOWN);
  Advance(dbl + 20);
  EXPECT_TRUE(log.empty()) << Joined();
}

TEST_F(TrayIconTest, RightPressPopsTheMenuUpAtTheCursorBeforeTheRelease) {
  TbsTrayIcon* t = MakeIcon();
  auto* menu = new forms::TPopupMenu(main);
  t->SetPopupMenu(menu);
  win::headless::MouseMove({700, 500});
  Pump();
  Mouse(t, win::WM_RBUTTONDOWN);
  Mouse(t, win::WM_RBUTTONUP);
  EXPECT_EQ(Joined(), "down R, popup 700,500, up R");
  EXPECT_EQ(menu->PopupComponent(), t);

  log.clear();
  Mouse(t, win::WM_LBUTTONDOWN);
  EXPECT_EQ(Joined(), "down L") << "the left button opens nothing by default";
  t->PopupByLeftButton = true;
  Mouse(t, win::WM_LBUTTONDOWN);
  EXPECT_EQ(Joined(), "down L, down L, popup 700,500");

  // A double click runs the menu's default item (left button not popping up).
  log.clear();
  t->PopupByLeftButton = false;
  auto* item = new forms::TMenuItem(menu);
  item->SetCaption(u"恢复");
  item->SetDefault(true);
  item->OnClick = [this](rtl::TObject*) { log.push_back("default item"); };
  menu->Items()->Add(item);
  Mouse(t, win::WM_LBUTTONDBLCLK);
  EXPECT_EQ(Joined(), "dblclick, default item");
  delete menu;
  EXPECT_EQ(t->PopupMenu(), nullptr);
  Mouse(t, win::WM_RBUTTONDOWN);  // no menu left: nothing pops up
}

TEST_F(TrayIconTest, IconIndexIsKeptInsideTheList) {
  TbsTrayIcon* t = MakeIcon();
  auto four = Icons(4);
  auto none = Icons(0);
  t->SetIconList(four.get());
  struct Case {
    forms::TImageList* list;
    int set, want;
  } cases[] = {{four.get(), 10, 3}, {four.get(), 2, 2}, {four.get(), -5, 0}, {none.get(), 3, 0}, {nullptr, 7, 0}};
  for (const auto& c : cases) {
    t->SetIconList(c.list);
    t->SetIconIndex(c.set);
    EXPECT_EQ(t->IconIndex(), c.want) << c.set;
  }
  t->SetIconList(four.get());
  t->SetIconIndex(1);
  EXPECT_FALSE(t->Icon()->Empty());
  four.reset();  // the list goes away: the icon keeps going without it
  EXPECT_EQ(t->IconList(), nullptr);
  t->SetIconIndex(2);
  EXPECT_EQ(t->IconIndex(), 0);
}

TEST_F(TrayIconTest, CyclingReportsTheNextIndexAndShowsIt) {
  TbsTrayIcon* t = MakeIcon();
  auto three = Icons(3);
  std::vector<int> next;
  t->OnCycle = [&next](rtl::TObject*, int n) { next.push_back(n); };
  t->SetIconList(three.get());
  t->SetAnimateTimerInterval(100);
  t->SetCycleIcons(true);
  Advance(405);
  EXPECT_EQ(next, (std::vector<int>{1, 2, 0, 1}));
  EXPECT_EQ(t->IconIndex(), 1);
  t->SetCycleIcons(false);
  Advance(300);
  EXPECT_EQ(next.size(), 4u);

  auto empty = Icons(0);
  t->SetIconList(empty.get());
  t->SetCycleIcons(true);
  Advance(300);
  EXPECT_EQ(next.size(), 4u) << "nothing to cycle through";
}

TEST_F(TrayIconTest, TipAndBalloonTextsAreCutToTheirFields) {
  TbsTrayIcon* t = MakeIcon();
  ASSERT_TRUE(t->AddIcon());
  const Call* add = Last(NIM_ADD);
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add->data.uCallbackMessage, 2048u);
  EXPECT_EQ(add->data.uID, 1u);
  EXPECT_EQ(add->data.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  EXPECT_EQ(add->data.hWnd, t->Handle());
  EXPECT_EQ(std::u16string(add->data.szTip), u"");

  const std::u16string longHint(200, u'提');
  t->SetHint(longHint);
  EXPECT_EQ(std::u16string(Last(NIM_MODIFY)->data.szTip), longHint.substr(0, 127));
  t->SetShowHint(false);
  EXPECT_EQ(std::u16string(Last(NIM_MODIFY)->data.szTip), u"") << "ShowHint off: empty tip";
  t->SetShowHint(true);
  t->SetHint(u"");
  EXPECT_EQ(std::u16string(Last(NIM_MODIFY)->data.szTip), u"");

  const std::u16string text(300, u'x'), title(80, u't');
  calls.clear();
  EXPECT_TRUE(t->ShowBalloonHint(title, text, bsbitWarning));
  ASSERT_EQ(calls.size(), 2u) << "hide the old balloon, then show";
  EXPECT_EQ(std::u16string(calls[0].data.szInfo), u"");
  EXPECT_TRUE(calls[0].data.uFlags & NIF_INFO);
  EXPECT_EQ(std::u16string(calls[1].data.szInfo), text.substr(0, 255));
  EXPECT_EQ(std::u16string(calls[1].data.szInfoTitle), title.substr(0, 63));
  EXPECT_EQ(calls[1].data.dwInfoFlags, NIIF_WARNING);
  EXPECT_EQ(t->IconData().uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);

  int balloonClicks = 0;
  t->OnBalloonHintClick = [&](rtl::TObject*) { ++balloonClicks; };
  Mouse(t, NIN_BALLOONUSERCLICK);
  EXPECT_EQ(balloonClicks, 1);
}

TEST_F(TrayIconTest, WithoutANotificationAreaEveryCallFails) {
  SetTrayHost(nullptr);
  TbsTrayIcon* t = MakeIcon();
  EXPECT_FALSE(t->AddIcon());
  EXPECT_TRUE(t->IconVisible()) << "the wish stays; the icon comes when an area appears";
  EXPECT_FALSE(t->ModifyIcon());
  EXPECT_FALSE(t->ShowBalloonHint(u"a", u"b", bsbitInfo));
  EXPECT_FALSE(t->RemoveIcon());
}

TEST_F(TrayIconTest, MinimisingGoesToTheTrayOnlyWhenTheIconIsThere) {
  TbsTrayIcon* t = MakeIcon();
  t->SetIconVisible(false);
  forms::Application->Minimize();
  Pump();
  EXPECT_FALSE(main->Visible()) << "hidden to the tray";
  EXPECT_EQ(main->Tag(), TbsTrayIcon::ShownFromTrayTag);
  EXPECT_TRUE(t->IconVisible());
  EXPECT_NE(Last(NIM_ADD), nullptr);

  t->ShowMainForm();
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_FALSE(win::IsIconic(main->Handle()));
  t->SetIconVisible(false);

  present = false;  // no notification area: a normal minimise, the form stays reachable
  forms::Application->Minimize();
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_TRUE(win::IsIconic(main->Handle()));
  forms::Application->Restore();
  Pump();

  t->MinimizeToTray = false;  // off: minimising leaves the tray alone
  present = true;
  calls.clear();
  forms::Application->Minimize();
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_EQ(Last(NIM_ADD), nullptr);
}

TEST_F(TrayIconTest, MinimizedOnStartSendsTheShownMainFormToTheTray) {
  TbsTrayIcon* t = MakeIcon();
  t->MinimizeToTray = false;
  t->MinimizedOnStart = true;
  t->Loaded();  // as a form builder would, once the form is read
  EXPECT_TRUE(t->MinimizeToTray);
  Pump();
  EXPECT_FALSE(main->Visible());
  EXPECT_TRUE(t->IconVisible());
  EXPECT_NE(Last(NIM_ADD), nullptr);
}

TEST_F(TrayIconTest, FrameLinkMinimisesAndRestores) {
  TbsTrayIcon* t = MakeIcon();
  t->OnDblClick = nullptr;
  trayMenu = new forms::TPopupMenu(main);
  auto* link = new TbsTrayFrameLink(main, *this);
  link->SetTrayIcon(t);
  EXPECT_FALSE(t->IconVisible());
  EXPECT_FALSE(t->MinimizeToTray);
  EXPECT_EQ(t->PopupMenu(), trayMenu) << "the frame's tray menu";
  ASSERT_TRUE(t->OnDblClick) << "a double click restores";

  link->MinimizeToTray();
  Pump();
  EXPECT_FALSE(main->Visible());
  EXPECT_NE(Last(NIM_ADD), nullptr);
  EXPECT_EQ(log.back(), "OnMinimizeToTray");

  unsigned shownMessages = 0;
  main->WindowProc = [&, old = main->WindowProc](forms::TMessage& m) {
    if (m.Msg == TbsTrayIcon::MSG_SHOWN_FROM_TRAY) ++shownMessages;
    old(m);
  };
  Mouse(t, win::WM_LBUTTONDBLCLK);
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_FALSE(t->IconVisible()) << "the icon leaves with the restore";
  EXPECT_NE(Last(NIM_DELETE), nullptr);
  EXPECT_EQ(log.back(), "OnRestoreFromTray");
  EXPECT_EQ(shownMessages, 1u);

  alwaysShow = true;  // the icon stays after the restore
  link->MinimizeToTray();
  Pump();
  link->RestoreFromTray();
  Pump();
  EXPECT_TRUE(t->IconVisible());

  delete t;
  link->MinimizeToTray();  // no icon any more: nothing happens
  EXPECT_EQ(link->TrayIcon(), nullptr);
  EXPECT_TRUE(main->Visible());
}

TEST_F(TrayIconTest, DestroyingGivesTheApplicationWindowItsProcedureBack) {
  const win::HWND app = forms::Application->Handle();
  const auto before = win::GetWindowLongPtrW(app, win::GWLP_WNDPROC);
  TbsTrayIcon* a = MakeIcon();
  TbsTrayIcon* b = MakeIcon();
  EXPECT_NE(win::GetWindowLongPtrW(app, win::GWLP_WNDPROC), before);
  ASSERT_TRUE(a->AddIcon());
  delete a;
  EXPECT_NE(Last(NIM_DELETE), nullptr) << "the icon leaves the notification area";
  forms::Application->Minimize();  // b still hears the application
  Pump();
  EXPECT_FALSE(main->Visible());
  delete b;
  EXPECT_EQ(win::GetWindowLongPtrW(app, win::GWLP_WNDPROC), before);
  main->Show();
  Pump();
  forms::Application->Minimize();
  Pump();
  EXPECT_TRUE(main->Visible());
}

}  // namespace
}  // namespace skinmenustest

#include "skin/menus/bsSkinFrameMenus.h"

namespace skinmenustest {
namespace {

// A real frame linked to the icon: its minimize-to-tray command and the
// tray menu's Restore item go through the icon.
TEST_F(TrayIconTest, FrameMinimizesToItsTrayIconAndRestoresFromTheMenu) {
  InstallSkinFrameMenus();
  TbsTrayIcon* t = MakeIcon();
  t->OnDblClick = nullptr;
  auto* frame = new TbsBusinessSkinForm(main);
  frame->SetBorderIcons({biMinimize, biMinimizeToTray});
  std::vector<std::string> events;
  frame->OnMinimizeToTray = [&](rtl::TObject*) { events.push_back("min"); };
  frame->OnRestoreFromTray = [&](rtl::TObject*) { events.push_back("restore"); };
  SetFrameTrayIcon(frame, t);
  ASSERT_TRUE(t->PopupMenu());
  forms::TMenuItem* items = t->PopupMenu()->Items();
  ASSERT_EQ(items->Count(), 3);
  EXPECT_EQ(items->Items(0)->Name(), u"TRAY_BSF_RESTORE");
  EXPECT_EQ(items->Items(1)->Caption(), u"-");
  EXPECT_EQ(items->Items(2)->Caption(), u"&Close");
  // The system menu offers the tray.
  forms::TMenuItem* sys = frame->GetSystemMenuItems();
  ASSERT_GE(sys->Count(), 2);
  EXPECT_EQ(sys->Items(1)->Name(), u"BSF_MINTOTRAY");
  sys->Items(1)->Click();
  Pump();
  EXPECT_FALSE(main->Visible());
  EXPECT_TRUE(t->MinimizeToTray);
  EXPECT_NE(Last(NIM_ADD), nullptr);
  items->Items(0)->Click();
  Pump();
  EXPECT_TRUE(main->Visible());
  EXPECT_FALSE(t->IconVisible());
  EXPECT_EQ(events, (std::vector<std::string>{"min", "restore"}));
}

}  // namespace
}  // namespace skinmenustest
