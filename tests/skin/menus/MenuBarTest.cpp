// The frame's menus: system-menu contents, the main menu bar with mouse,
// keyboard mode and accelerators, its overflow marker and the MDI child
// buttons; headless on the fake clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/menus/bsSkinFrameMenus.h"
#include "skin/menus/bsSkinMainMenuBar.h"
#include "skin/menus/bsSkinMenus.h"

namespace {

using namespace skin;
using forms::TMenuItem;

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    InstallSkinFrameMenus();
    form = new forms::TForm(forms::Application);
    form->SetName(u"Main");
    form->SetBounds(100, 100, 500, 300);
    form->AfterConstruction();
    frame = new TbsBusinessSkinForm(form);
    menu = new TbsSkinMainMenu(form);
    TMenuItem* file = Add(menu->Items(), u"&File", "file");
    Add(file, u"&Open", "open");
    Add(file, u"E&xit", "exit");
    TMenuItem* edit = Add(menu->Items(), u"&Edit", "edit");
    Add(edit, u"&Copy", "copy");
    Add(menu->Items(), u"&Action", "action");
    TMenuItem* help = Add(menu->Items(), u"&Help", "help");
    Add(help, u"&About", "about");
    bar = new TbsSkinMainMenuBar(form);
    bar->SetParent(form);
    bar->SetBusinessSkinForm(frame);
    bar->SetMainMenu(menu);
    form->Show();
    win::SetForegroundWindow(form->Handle());
    Pump();
  }
  void TearDown() override {
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }
  TMenuItem* Add(TMenuItem* parent, const char16_t* caption, const std::string& name) {
    auto* i = new TMenuItem(form);
    i->SetCaption(caption);
    i->OnClick = [this, name](rtl::TObject*) { log.push_back(name); };
    parent->Add(i);
    return i;
  }
  void Pump() {
    for (int i = 0; i < 4; ++i) {
      win::headless::AdvanceClock(20);
      forms::Application->ProcessMessages();
      win::headless::Pump();
    }
  }
  TbsSkinMenu* Engine() { return FindFrameMenuHost(frame)->SkinMenu(); }
  win::POINT BarPoint(int x, int y) {
    win::POINT p{x, y};
    win::ClientToScreen(bar->Handle(), &p);
    return p;
  }
  win::POINT ItemCentre(int i) {
    TRect r = bar->Item(i)->ObjectRect;
    return BarPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
  }
  std::vector<std::u16string> Captions(TMenuItem* items) {
    std::vector<std::u16string> out;
    for (int i = 0; i < items->Count(); ++i) out.push_back(items->Items(i)->Caption());
    return out;
  }
  int HotItem() {
    for (int i = 0; i < bar->ItemCount(); ++i)
      if (bar->Item(i)->Active || bar->Item(i)->FDown) return i;
    return -1;
  }
  void Key(int vk) {
    win::headless::PressKey(vk);
    Pump();
  }

  forms::TForm* form = nullptr;
  TbsBusinessSkinForm* frame = nullptr;
  TbsSkinMainMenu* menu = nullptr;
  TbsSkinMainMenuBar* bar = nullptr;
  std::vector<std::string> log;
};

TEST_F(MenuBarTest, SystemMenuFollowsStateAndBorderIcons) {
  using V = std::vector<std::u16string>;
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"Mi&nimize", u"Ma&ximize", u"Ro&llUp", u"-", u"&Close"}));
  frame->SetWindowState(forms::wsMaximized);
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"Mi&nimize", u"&Restore", u"Ro&llUp", u"-", u"&Close"}));
  frame->SetWindowState(forms::wsNormal);
  frame->SetRollUpState(true);
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"Mi&nimize", u"Ma&ximize", u"&Restore", u"-", u"&Close"}));
  frame->SetRollUpState(false);
  frame->SetBorderIcons({biMinimize});
  TMenuItem* items = frame->GetSystemMenuItems();
  EXPECT_EQ(Captions(items), (V{u"Mi&nimize", u"-", u"&Close"}));
  EXPECT_EQ(items->Items(2)->ShortCut(), forms::TextToShortCut(u"Alt+F4"));
  frame->SetBorderIcons({});
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"&Close"}));
  // A user menu keeps its own items between the frame's and Close.
  frame->SetBorderIcons({biMinimize, biMaximize});
  forms::TPopupMenu user(form);
  auto* own = new TMenuItem(&user);
  own->SetCaption(u"Own");
  user.Items()->Add(own);
  frame->SystemMenu = &user;
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"Mi&nimize", u"Ma&ximize", u"Own", u"&Close"}));
  EXPECT_EQ(Captions(frame->GetSystemMenuItems()), (V{u"Mi&nimize", u"Ma&ximize", u"Own", u"&Close"}));
  frame->SystemMenu = nullptr;
  // The caption's right click opens it through the frame's engine.
  frame->PopupSystemMenuAt({200, 200});
  Pump();
  EXPECT_TRUE(Engine()->Visible());
  EXPECT_TRUE(frame->InMenu);
  Engine()->LastWindow()->PopupKeyDown(win::VK_ESCAPE);
  Pump();
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_FALSE(frame->InMenu);
}

TEST_F(MenuBarTest, DefaultLookGeometry) {
  EXPECT_EQ(bar->Height(), 22);
  EXPECT_EQ(bar->Align(), forms::alTop);
  ASSERT_EQ(bar->ItemCount(), 4);
  gdi::TCanvas c;
  TBitmap b(10, 10);
  b.Canvas()->Font()->Assign(bar->DefItemFont());
  TRect r{0, 0, 0, 0};
  DrawWideText(b.Canvas(), u"&File", r, gdi::DT_CALCRECT | gdi::DT_CENTER);
  EXPECT_EQ(bar->Item(0)->ObjectRect.Width(), r.Width() + 12);
  EXPECT_EQ(bar->Item(0)->ObjectRect.Left, 2);
  EXPECT_EQ(bar->Item(1)->ObjectRect.Left, bar->Item(0)->ObjectRect.Right);
}

TEST_F(MenuBarTest, MouseOpensItemsAndMovesAcrossTheBar) {
  win::headless::Click(ItemCentre(0));
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_TRUE(bar->Item(0)->FDown);
  EXPECT_TRUE(frame->InMainMenu);
  EXPECT_EQ(Engine()->LastWindow()->RowCount(), 2);
  // Moving onto another item opens its menu and releases the first.
  win::headless::MouseMove(ItemCentre(1));
  Pump();
  EXPECT_FALSE(bar->Item(0)->FDown);
  EXPECT_TRUE(bar->Item(1)->FDown);
  ASSERT_EQ(Engine()->WindowCount(), 1);
  EXPECT_EQ(Engine()->LastWindow()->RowCount(), 1);
  // A click outside closes every level and ends the menu mode.
  win::headless::Click(form->ClientToScreen({250, 200}));
  Pump();
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_FALSE(frame->InMainMenu);
  EXPECT_FALSE(frame->InMenu);
  EXPECT_EQ(HotItem(), -1);
  // A top item without sub-items runs at once.
  win::headless::Click(ItemCentre(2));
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"action"});
  EXPECT_FALSE(Engine()->Visible());
}

TEST_F(MenuBarTest, KeyboardModeAcrossTheBarAndSubMenus) {
  Key(win::VK_MENU);  // Alt alone
  EXPECT_TRUE(frame->InMainMenu);
  EXPECT_EQ(HotItem(), 0);
  Key(win::VK_LEFT);
  EXPECT_EQ(HotItem(), 3);  // wraps to the last
  Key(win::VK_RIGHT);
  EXPECT_EQ(HotItem(), 0);  // and back to the first
  Key(win::VK_RETURN);
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_TRUE(bar->Item(0)->FDown);
  // Right with the menu open moves the open menu to the next item.
  Key(win::VK_RIGHT);
  EXPECT_TRUE(bar->Item(1)->FDown);
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_EQ(Engine()->LastWindow()->RowCount(), 1);
  // Escape closes the menu and leaves the item hot; a second one leaves.
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_TRUE(frame->InMainMenu);
  EXPECT_EQ(HotItem(), 1);
  EXPECT_FALSE(bar->Item(1)->FDown);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(frame->InMainMenu);
  EXPECT_EQ(HotItem(), -1);
  // Down opens the highlighted item on its first row; Enter runs it.
  Key(win::VK_MENU);
  Key(win::VK_DOWN);
  ASSERT_TRUE(Engine()->Visible());
  Key(win::VK_RETURN);
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"open"});
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_FALSE(frame->InMainMenu);
}

TEST_F(MenuBarTest, AltAcceleratorsOpenOrRun) {
  win::headless::KeyDown(win::VK_MENU);
  win::headless::KeyDown('H');
  win::headless::KeyUp('H');
  win::headless::KeyUp(win::VK_MENU);
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_TRUE(bar->Item(3)->FDown);
  // In the open menu a letter chooses the row.
  Key('A');
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"about"});
  EXPECT_FALSE(frame->InMainMenu);
  // Alt+A: a top item without sub-items runs at once.
  win::headless::KeyDown(win::VK_MENU);
  win::headless::KeyDown('A');
  win::headless::KeyUp('A');
  win::headless::KeyUp(win::VK_MENU);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"about", "action"}));
  EXPECT_FALSE(Engine()->Visible());
}

TEST_F(MenuBarTest, NarrowBarHidesItemsBehindTheMarker) {
  bar->SetAlign(forms::alNone);
  const int fit = bar->Item(1)->ObjectRect.Right + 5 + 2 + 3;  // two items and the marker
  bar->SetBounds(0, 0, fit, 22);
  bar->Invalidate();
  Pump();
  EXPECT_TRUE(bar->Scroll);
  EXPECT_TRUE(bar->Item(1)->ItemVisible);
  EXPECT_FALSE(bar->Item(2)->ItemVisible);
  EXPECT_FALSE(bar->Item(3)->ItemVisible);
  EXPECT_FALSE(bar->Item(3)->Enabled);
  TRect m = bar->GetScrollMarkerRect();
  win::headless::Click(BarPoint(m.Left + 2, m.Top + 5));
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_EQ(Engine()->LastWindow()->RowCount(), 2);  // exactly the hidden items
  Engine()->Hide();
  Pump();
  // Widening brings them back with their enabled state.
  bar->SetBounds(0, 0, 480, 22);
  bar->Invalidate();
  Pump();
  EXPECT_FALSE(bar->Scroll);
  EXPECT_TRUE(bar->Item(3)->ItemVisible);
  EXPECT_TRUE(bar->Item(3)->Enabled);
  // Without ScrollMenu the items are simply missing.
  bar->ScrollMenu = false;
  bar->SetBounds(0, 0, fit, 22);
  bar->Invalidate();
  Pump();
  EXPECT_FALSE(bar->Item(3)->ItemVisible);
}

TEST_F(MenuBarTest, MaximizedMdiChildShowsItsButtons) {
  frame->SetMDIStyle(forms::fsMDIForm);
  auto* child = new forms::TForm(forms::Application);
  child->SetName(u"Child");
  child->SetBounds(0, 0, 200, 150);
  child->AfterConstruction();
  auto* cf = new TbsBusinessSkinForm(child);
  cf->SetMDIStyle(forms::fsMDIChild);
  cf->SetBorderIcons({biSystemMenu, biMaximize});
  child->Show();
  Pump();
  cf->SetWindowState(forms::wsMaximized);
  Pump();
  ASSERT_EQ(bar->ButtonsCount, 4);
  auto* sys = static_cast<TbsSkinMainMenuBarButton*>(bar->ObjectList[0].get());
  auto* restore = static_cast<TbsSkinMainMenuBarButton*>(bar->ObjectList[2].get());
  auto* min = static_cast<TbsSkinMainMenuBarButton*>(bar->ObjectList[3].get());
  EXPECT_EQ(sys->Command, cmSysMenu);
  EXPECT_EQ(restore->Command, cmMaximize);
  EXPECT_FALSE(min->Enabled);  // the child has no minimize icon
  bar->Invalidate();
  Pump();
  EXPECT_EQ(sys->ObjectRect.Left, 2);
  EXPECT_EQ(bar->Item(0)->ObjectRect.Left, sys->ObjectRect.Right + 2);
  TRect r = restore->ObjectRect;
  win::headless::Click(BarPoint(r.Left + 3, r.Top + 3));
  Pump();
  EXPECT_EQ(cf->WindowState(), forms::wsNormal);
  EXPECT_EQ(bar->ButtonsCount, 0);
}

}  // namespace

#include "platform/forms/FormRender.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/support/Looks.h"

namespace {

// The menu bar in the plain look and three stored skins, its second item hot.
TEST_F(MenuBarTest, GalleryInThreeSkinsAndPlain) {
  const char* dir = std::getenv("TVL_TEST_PICTURES");
  const std::string out = dir ? dir : ".";
  testsupport::TShot plainBar;
  for (int k : {-1, 0, 6, 10}) {
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    std::unique_ptr<TbsSkinData> skin;
    if (k >= 0) {
      stored = skinctltest::StoredFrom(k);
      skin = std::make_unique<TbsSkinData>(nullptr);
      skin->LoadCompressedStoredSkin(stored.get());
    }
    frame->SetSkinData(skin.get());
    bar->SetSkinData(skin.get());
    bar->ChangeSkinData();
    form->Invalidate();
    Pump();
    win::headless::MouseMove(ItemCentre(1));
    Pump();
    EXPECT_TRUE(bar->Item(1)->Active);
    const std::string name = k < 0 ? "plain" : "skin" + std::to_string(k);
    EXPECT_TRUE(forms::RenderToPng(form, out + "/menubar_" + name + ".png"));
    // The hot item is drawn hot; a skinned bar is not drawn as the plain one.
    const rtl::TRect item = bar->Item(1)->ObjectRect;
    const testsupport::TShot hot = testsupport::Shot(bar, item), whole = testsupport::Shot(bar);
    win::headless::MouseMove(form->ClientToScreen({250, 200}));
    Pump();
    EXPECT_GT(testsupport::Changed(testsupport::Shot(bar, item), hot), 0.0) << name << ": the hot item";
    if (k < 0)
      plainBar = whole;
    else
      EXPECT_GT(testsupport::Changed(whole, plainBar), 0.0) << name << ": the bar looks as in the plain look";
    bar->SetSkinData(nullptr);
    frame->SetSkinData(nullptr);
  }
}

}  // namespace

namespace {

// A popup menu of a form with a frame opens through the frame's engine, in
// the frame's menu mode; the mouse wheel does nothing while it is open.
TEST_F(MenuBarTest, PopupMenuOfAFramedFormOpensThroughTheFrame) {
  int opened = 0, closed = 0;
  frame->OnSkinMenuOpen = [&](rtl::TObject*) { ++opened; };
  frame->OnSkinMenuClose = [&](rtl::TObject*) { ++closed; };
  frame->SetMaxMenuItemsInWindow(7);
  auto* popup = new TbsSkinPopupMenu(form);
  Add(popup->Items(), u"&One", "one");
  popup->Popup(200, 200);
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_EQ(Engine()->MaxMenuItemsInWindow, 7);
  EXPECT_TRUE(frame->InMenu);
  EXPECT_EQ(opened, 1);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_FALSE(frame->InMenu);
  EXPECT_EQ(closed, 1);
}

}  // namespace

namespace {

// In keyboard mode a plain letter opens its item; Alt+Space opens the system
// menu below the system-menu button; Alt+F4 is no accelerator of the bar.
TEST_F(MenuBarTest, LettersInMenuModeAltSpaceAndAltF4) {
  Key(win::VK_MENU);
  ASSERT_TRUE(frame->InMainMenu);
  Key('E');
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_TRUE(bar->Item(1)->FDown);
  Key(win::VK_ESCAPE);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(frame->InMainMenu);

  win::headless::KeyDown(win::VK_MENU);
  win::headless::KeyDown(win::VK_SPACE);
  win::headless::KeyUp(win::VK_SPACE);
  win::headless::KeyUp(win::VK_MENU);
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_FALSE(frame->InMainMenu);
  TbsSkinPopupWindow* w = Engine()->LastWindow();
  EXPECT_EQ(w->Row(w->RowCount() - 1)->MenuItem->Name(), u"BSF_CLOSE");
  win::RECT fr;
  win::GetWindowRect(form->Handle(), &fr);
  EXPECT_GE(w->Top(), fr.Top + 1);
  EXPECT_LE(w->Top(), fr.Top + 40);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(Engine()->Visible());

  auto* f4 = new TMenuItem(form);
  f4->SetCaption(u"F&4 item");
  menu->Items()->Add(f4);
  bool closed = false;
  form->OnCloseQuery = [&](rtl::TObject*, bool& can) {
    closed = true;
    can = false;
  };
  win::headless::KeyDown(win::VK_MENU);
  win::headless::KeyDown(win::VK_F4);
  win::headless::KeyUp(win::VK_F4);
  win::headless::KeyUp(win::VK_MENU);
  Pump();
  EXPECT_TRUE(closed) << "Alt+F4 closes the window";
  EXPECT_FALSE(Engine()->Visible());
}

}  // namespace

namespace {

// Alt+Space opens the system menu only below an enabled system-menu button;
// the main window (minimize only) has none, so nothing opens.
TEST_F(MenuBarTest, AltSpaceNeedsAnEnabledSystemMenuButton) {
  auto altSpace = [&] {
    win::headless::KeyDown(win::VK_MENU);
    win::headless::KeyDown(win::VK_SPACE);
    win::headless::KeyUp(win::VK_SPACE);
    win::headless::KeyUp(win::VK_MENU);
    Pump();
  };
  frame->SetBorderIcons({biMinimize});
  Pump();
  altSpace();
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_FALSE(frame->InMenu);

  frame->SetBorderIcons({biSystemMenu, biMinimize});
  form->Invalidate();
  Pump();
  TbsActiveSkinObject* sys = frame->Objects(frame->GetIndex(u"sysmenubutton"));
  ASSERT_TRUE(sys->Enabled);
  altSpace();
  ASSERT_TRUE(Engine()->Visible());
  TbsSkinPopupWindow* w = Engine()->LastWindow();
  const TRect r = sys->ScreenRect();
  EXPECT_EQ(w->Left(), r.Left);
  EXPECT_EQ(w->Top(), r.Bottom);
  Key(win::VK_ESCAPE);
}

// A button object whose linked menu belongs to a skin popup menu opens it
// through that component: OnPopup first, its skin, its OnMenuClose once.
// A skinned main menu's items show in that menu's skin.
TEST_F(MenuBarTest, LinkedMenusOpenWithTheirOwnEventsAndSkin) {
  TbsSkinData popupSkin(nullptr), mainSkin(nullptr);
  auto* popup = new TbsSkinPopupMenu(form);
  popup->SetSkinData(&popupSkin);
  Add(popup->Items(), u"&One", "one");
  std::vector<std::string> events;
  popup->OnPopup = [&](rtl::TObject*) { events.push_back("popup"); };
  popup->OnMenuClose = [&](rtl::TObject*) { events.push_back("close"); };
  TbsSkinButtonObject button(frame, nullptr);
  button.ObjectRect = rtl::Rect(40, 4, 60, 20);
  button.MenuItem = popup->Items();
  button.PopupObjectMenu();
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_EQ(Engine()->SkinData, &popupSkin);
  EXPECT_EQ(popup->PopupPoint(), (rtl::TPoint{button.ScreenRect().Left, button.ScreenRect().Top}));
  EXPECT_TRUE(frame->InMenu);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_EQ(events, (std::vector<std::string>{"popup", "close"}));

  menu->SetSkinData(&mainSkin);
  button.MenuItem = menu->Items()->Items(0);
  button.PopupObjectMenu();
  Pump();
  ASSERT_TRUE(Engine()->Visible());
  EXPECT_EQ(Engine()->SkinData, &mainSkin);
  Key(win::VK_ESCAPE);
  menu->SetSkinData(nullptr);
}

// A popup menu whose SkinComponent is a frame opens through that frame,
// whatever owns the menu.
TEST_F(MenuBarTest, SkinComponentFrameOpensTheMenu) {
  auto* other = new forms::TForm(forms::Application);
  other->SetBounds(700, 100, 300, 200);
  other->AfterConstruction();
  auto* otherFrame = new TbsBusinessSkinForm(other);
  TbsSkinPopupMenu popup(nullptr);
  Add(popup.Items(), u"&One", "one");
  popup.SkinComponent = otherFrame;
  popup.Popup(720, 150);
  Pump();
  TbsSkinMenu* e = FindFrameMenuHost(otherFrame)->SkinMenu();
  ASSERT_TRUE(e->Visible());
  EXPECT_FALSE(Engine()->Visible());
  EXPECT_TRUE(otherFrame->InMenu);
  e->Hide();
  Pump();
  EXPECT_FALSE(otherFrame->InMenu);
}

// On an MDI frame form, a message that closes menus reaches the active
// child's frame when the form itself shows none, and closes the drop-downs
// of the form's skinned edits.
TEST_F(MenuBarTest, MdiFrameFormPassesMenuClosingToItsActiveChild) {
  frame->SetMDIStyle(forms::fsMDIForm);
  auto* edit = new TbsSkinEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 40, 100, 20);
  int cancelled = 0;
  edit->OnEditCancelMode = [&](forms::TControl*) { ++cancelled; };
  auto* child = new forms::TForm(forms::Application);
  child->SetName(u"Child");
  child->SetBounds(0, 0, 200, 150);
  child->AfterConstruction();
  auto* childFrame = new TbsBusinessSkinForm(child);
  childFrame->SetMDIStyle(forms::fsMDIChild);
  child->Show();
  MDIClientOf(form)->ActivateChild(child);
  Pump();
  struct Case {
    unsigned msg;
    bool closes;
  } cases[] = {{win::WM_LBUTTONDOWN, true}, {win::WM_CANCELMODE, true}, {win::WM_PARENTNOTIFY, true},
               {win::WM_MOUSEMOVE, false}, {win::WM_MOUSEWHEEL, false}};
  for (const Case& c : cases) {
    childFrame->SkinMenuOpen();
    ASSERT_TRUE(childFrame->InMenu);
    ASSERT_FALSE(frame->InMenu);
    cancelled = 0;
    form->Perform(c.msg, 0, 0);
    EXPECT_EQ(!childFrame->InMenu, c.closes) << c.msg;
    EXPECT_EQ(cancelled > 0, c.closes) << c.msg;
    childFrame->SkinMenuClose();
  }
}

}  // namespace

namespace {

// A made-up skin: squares of 20 x 20 for the bar, the item's normal, hot and
// pressed looks and three animation frames.
constexpr rtl::TColor kBarBg = 0x404040, kNormal = 0x0000C0, kHot = 0x00C000, kDownC = 0xC00000, kF1 = 0x00C0C0,
                      kF2 = 0xC000C0, kF3 = 0xC0C000;

class SkinnedBarTest : public MenuBarTest {
 protected:
  void SetUp() override {
    MenuBarTest::SetUp();
    sd = std::make_unique<TbsSkinData>(nullptr);
    skinctltest::AddSquares(*sd, {kBarBg, kNormal, kHot, kDownC, kF1, kF2, kF3}, kBarBg);
    auto b = std::make_unique<TbsDataSkinMainMenuBar>(u"mainmenubar");
    b->PictureIndex = 0;
    b->SkinRect = {0, 0, 20, 20};
    b->ItemsRect = {2, 0, 18, 20};
    b->MenuBarItem = u"baritem";
    sd->CtrlList.push_back(std::move(b));
    auto i = std::make_unique<TbsDataSkinMainMenuBarItem>(u"baritem");
    i->ActivePictureIndex = 0;
    i->SkinRect = {20, 0, 40, 20};
    i->ActiveSkinRect = {40, 0, 60, 20};
    i->DownRect = {60, 0, 80, 20};
    i->TextRct = {4, 2, 16, 18};
    i->ItemLO = i->ItemRO = 2;
    i->FontName = u"Arial";
    i->FontHeight = 12;
    i->AnimateSkinRect = {80, 0, 140, 20};
    i->FrameCount = 3;
    i->AnimateInterval = 30;
    sd->ObjectList.push_back(std::move(i));
    sd->Empty = false;
    bar->SetSkinData(sd.get());
    bar->ChangeSkinData();
    form->Invalidate();
    Pump();
  }
  void TearDown() override {
    bar->SetSkinData(nullptr);
    MenuBarTest::TearDown();
    sd.reset();
  }
  std::uint32_t BarPixel(int x, int y) {
    win::headless::Pump();
    win::RECT wr;
    win::GetWindowRect(form->Handle(), &wr);
    win::POINT p = BarPoint(x, y);
    const gdi::Surface* s = win::headless::BackBuffer(form->Handle());
    return s ? s->GetPixel(p.X - wr.Left, p.Y - wr.Top) & 0xFFFFFF : 0;
  }
  static std::uint32_t Rgb(rtl::TColor c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
  void Tick() {
    win::headless::AdvanceClock(31);
    forms::Application->ProcessMessages();
    win::headless::Pump();
  }
  std::unique_ptr<TbsSkinData> sd;
};

TEST_F(SkinnedBarTest, SkinnedItemsAnimateTowardTheHotLook) {
  EXPECT_EQ(bar->Height(), 20);
  ASSERT_EQ(bar->ItemCount(), 4);
  TbsSkinMainMenuBarItem* it = bar->Item(0);
  EXPECT_EQ(it->ObjectRect.Left, 2);
  const int mx = it->ObjectRect.Left + it->ObjectRect.Width() / 2;
  EXPECT_EQ(BarPixel(mx, 1), Rgb(kNormal));
  EXPECT_EQ(BarPixel(it->ObjectRect.Right + 1, 1), Rgb(kNormal)) << "the next item follows at once";
  win::headless::MouseMove(BarPoint(mx, 10));
  forms::Application->ProcessMessages();
  win::headless::Pump();
  ASSERT_TRUE(it->Active);
  std::vector<std::uint32_t> seen;
  for (int i = 0; i < 5; ++i) {
    Tick();
    seen.push_back(BarPixel(mx, 1));
  }
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{Rgb(kF1), Rgb(kF2), Rgb(kF3), Rgb(kHot), Rgb(kHot)}));
  // Leaving drops the animation back to the normal look at once.
  win::headless::MouseMove(form->ClientToScreen({250, 200}));
  Pump();
  EXPECT_EQ(it->CurrentFrame, 0);
  EXPECT_EQ(BarPixel(mx, 1), Rgb(kNormal));
  // Pressed: the down look while the menu is open.
  win::headless::Click(ItemCentre(0));
  Pump();
  EXPECT_TRUE(it->FDown);
  EXPECT_EQ(BarPixel(mx, 1), Rgb(kDownC));
  Engine()->Hide();
  Pump();
}

}  // namespace
