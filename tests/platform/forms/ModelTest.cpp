// The menu model, image lists and icons.
#include "platform/forms/Actions.h"
#include "platform/forms/Icon.h"
#include "platform/gdi/Bitmap.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/Streams.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

TMenuItem* Item(rtl::TComponent* owner, TMenuItem* parent, const char16_t* caption, std::vector<std::string>* log = nullptr) {
  auto* it = new TMenuItem(owner);
  it->SetCaption(caption);
  if (log) it->OnClick = [log, caption](rtl::TObject*) { log->push_back(rtl::StringToUtf8(caption)); };
  parent->Add(it);
  return it;
}

TEST(ShortCuts, TextAndKeysRoundTrip) {
  struct Case {
    TShortCut sc;
    const char16_t* text;
  } cases[] = {
      {TShortCut('S' | scCtrl), u"Ctrl+S"},
      {TShortCut(VK_F5 | scShift), u"Shift+F5"},
      {TShortCut('X' | scAlt), u"Alt+X"},
      {TShortCut(VK_DELETE | scShift | scCtrl), u"Shift+Ctrl+Del"},
      {TShortCut(VK_RETURN), u"Enter"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.sc);
  }
  EXPECT_EQ(ShortCut('O', {ssCtrl}), TShortCut('O' | scCtrl));
  EXPECT_EQ(TextToShortCut(u"Ctrl+Nothing"), 0);
  EXPECT_EQ(ShortCutToText(0), u"");
}

TEST_F(FormsTest, MenuShortcutsRunEnabledItemsBeforeTheControlSeesTheKey) {
  TForm* f = MakeForm(300, 200, false);
  auto* menu = new TMainMenu(f);
  TMenuItem* file = Item(f, menu->Items(), u"&File");
  TMenuItem* open = Item(f, file, u"&Open", &log);
  open->SetShortCut(TShortCut('O' | scCtrl));
  TMenuItem* save = Item(f, file, u"&Save", &log);
  save->SetShortCut(TShortCut('S' | scCtrl));
  save->SetEnabled(false);
  f->SetMenu(menu);
  auto* edit = Make<TTestEdit>(f, 10, 10, 100, 20);
  bool handledByForm = false;
  f->OnShortCut = [&](MSG& m, bool& handled) {
    if (m.wParam == WPARAM(VK_F2)) handled = handledByForm = true;
  };
  f->Show();
  Pump();
  edit->SetFocus();
  Pump();
  headless::KeyDown(VK_CONTROL);
  headless::PressKey('O', u"\x0f");
  headless::PressKey('S', u"\x13");
  headless::KeyUp(VK_CONTROL);
  Pump();
  Key(VK_F2);
  EXPECT_EQ(log, (std::vector<std::string>{"&Open"}));
  EXPECT_TRUE(handledByForm);
  EXPECT_EQ(menu->FindItem(open->Command()), open);
  EXPECT_TRUE(menu->DispatchCommand(open->Command()));
  EXPECT_EQ(menu->FindAccelItem(u'f'), file);
}

// Separators that separate nothing are hidden, and come back when what they
// separate shows again.
TEST(MenuModel, RethinkLinesHidesLinesThatSeparateNothing) {
  TMenu menu(nullptr);
  std::vector<TMenuItem*> items;
  for (const char16_t* c : {u"-", u"A", u"-", u"-", u"B", u"-"}) {
    items.push_back(new TMenuItem(nullptr));
    items.back()->SetCaption(c);
    menu.Items()->Add(items.back());
  }
  auto shown = [&] {
    std::string s;
    for (TMenuItem* i : items) s += i->Visible() ? '1' : '0';
    return s;
  };
  EXPECT_TRUE(menu.Items()->RethinkLines());
  EXPECT_EQ(shown(), "011010");
  EXPECT_FALSE(menu.Items()->RethinkLines());
  items[4]->SetVisible(false);
  menu.Items()->RethinkLines();
  EXPECT_EQ(shown(), "010000");
  items[4]->SetVisible(true);
  menu.Items()->RethinkLines();
  EXPECT_EQ(shown(), "011010");
  EXPECT_EQ(menu.AutoLineReduction(), maAutomatic);
}

// An item shows its action's state, follows its changes, runs it when
// clicked (its own OnClick wins) and forgets it when the action goes.
TEST(MenuModel, ItemFollowsAndRunsItsAction) {
  TMenuItem item(nullptr);
  int runs = 0;
  auto* act = new TAction(nullptr);
  act->SetCaption(u"&Open");
  act->SetEnabled(false);
  act->OnExecute = [&](rtl::TObject*) { ++runs; };
  item.SetAction(act);
  EXPECT_EQ(item.Caption(), u"&Open");
  EXPECT_FALSE(item.Enabled());
  act->SetEnabled(true);
  act->SetHint(u"opens");
  EXPECT_TRUE(item.Enabled());
  EXPECT_EQ(item.Hint(), u"opens");
  item.Click();
  EXPECT_EQ(runs, 1);
  int own = 0;
  item.OnClick = [&](rtl::TObject*) { ++own; };
  item.Click();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(own, 1);
  delete act;
  EXPECT_EQ(item.Action(), nullptr);
  EXPECT_FALSE(item.HasBitmap());
  gdi::TBitmap b(8, 8);
  item.SetBitmap(&b);
  EXPECT_TRUE(item.HasBitmap());
  EXPECT_EQ(item.Bitmap()->Width(), 8);
}

TEST_F(FormsTest, RadioItemsOfOneGroupExcludeEachOther) {
  auto* menu = new TPopupMenu(Application);
  TMenuItem* a = Item(Application, menu->Items(), u"a");
  TMenuItem* b = Item(Application, menu->Items(), u"b");
  TMenuItem* c = Item(Application, menu->Items(), u"c");
  TMenuItem* other = Item(Application, menu->Items(), u"other");
  for (TMenuItem* i : {a, b, c}) {
    i->SetRadioItem(true);
    i->SetGroupIndex(1);
  }
  other->SetRadioItem(true);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(other->Checked());
  c->SetAutoCheck(true);
  c->Click();
  EXPECT_TRUE(c->Checked());
  EXPECT_FALSE(b->Checked());
  // Changes are announced to the menu; a rebuild for structure, not for checks.
  std::vector<bool> rebuilds;
  menu->OnChange = [&](TMenu*, TMenuItem*, bool rebuild) { rebuilds.push_back(rebuild); };
  a->SetCaption(u"A");
  a->SetEnabled(false);
  menu->Items()->Delete(3);
  EXPECT_EQ(rebuilds, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(menu->Items()->Count(), 3);
  a->Click();  // disabled: nothing
  EXPECT_FALSE(a->Checked());
  menu->OnChange = nullptr;
}

TEST_F(FormsTest, ARightClickPopsUpTheControlsMenuAtTheScreenPoint) {
  TForm* f = MakeForm();
  auto* label = Make<TTestLabel>(f, 20, 20, 60, 15, u"x");
  auto* menu = new TPopupMenu(f);
  label->SetPopupMenu(menu);
  rtl::TComponent* from = nullptr;
  win::POINT at{};
  TPopupMenu::PopupHandler = [&](TPopupMenu* m, int x, int y) {
    from = m->PopupComponent();
    at = {x, y};
  };
  menu->OnPopup = Logger("popup");
  POINT p = Scr(label, 5, 5);
  headless::Click(p, 1);
  Pump();
  TPopupMenu::PopupHandler = nullptr;
  EXPECT_EQ(log, (std::vector<std::string>{"popup"}));
  EXPECT_EQ(from, label);
  EXPECT_EQ(at.X, p.X);
  EXPECT_EQ(at.Y, p.Y);
  menu->Free();
  EXPECT_EQ(label->PopupMenu(), nullptr);
}

// A 2-image strip: image 0 red square on a magenta key, image 1 green.
std::unique_ptr<gdi::TBitmap> Strip() {
  auto b = std::make_unique<gdi::TBitmap>(32, 16);
  b->Canvas()->Brush()->SetColor(gdi::clFuchsia);
  b->Canvas()->FillRect(rtl::Rect(0, 0, 32, 16));
  b->Canvas()->Brush()->SetColor(gdi::clRed);
  b->Canvas()->FillRect(rtl::Rect(4, 4, 12, 12));
  b->Canvas()->Brush()->SetColor(gdi::clLime);
  b->Canvas()->FillRect(rtl::Rect(16, 0, 32, 16));
  return b;
}

TEST_F(FormsTest, ImageListsDrawNormalAndDisabledLooks) {
  TImageList il(nullptr);
  auto strip = Strip();
  EXPECT_EQ(il.AddMasked(strip.get(), gdi::clFuchsia), 0);
  EXPECT_EQ(il.Count(), 2);
  gdi::TBitmap out(40, 20);
  auto clear = [&] {
    out.Canvas()->Brush()->SetColor(gdi::clWhite);
    out.Canvas()->FillRect(rtl::Rect(0, 0, 40, 20));
  };
  clear();
  il.Draw(out.Canvas(), 2, 2, 0);
  EXPECT_EQ(out.Canvas()->Pixels(2 + 6, 2 + 6), gdi::clRed);
  EXPECT_EQ(out.Canvas()->Pixels(2 + 1, 2 + 1), gdi::clWhite);  // masked
  il.Draw(out.Canvas(), 20, 2, 1);
  EXPECT_EQ(out.Canvas()->Pixels(25, 5), gdi::clLime);
  clear();
  il.Draw(out.Canvas(), 2, 2, 0, false);
  EXPECT_EQ(out.Canvas()->Pixels(2 + 6, 2 + 6), gdi::ColorToRGB(gdi::clBtnShadow));
  EXPECT_EQ(out.Canvas()->Pixels(2 + 12, 2 + 12), gdi::ColorToRGB(gdi::clBtnHighlight));  // etched edge
  EXPECT_EQ(out.Canvas()->Pixels(2 + 1, 2 + 1), gdi::clWhite);
  il.Draw(out.Canvas(), 0, 0, 5);  // out of range: nothing
  // Move and Replace keep the other images where they are.
  il.Move(0, 1);
  clear();
  il.Draw(out.Canvas(), 0, 0, 0);
  EXPECT_EQ(out.Canvas()->Pixels(1, 1), gdi::clLime);
  gdi::TBitmap blue(16, 16);
  blue.Canvas()->Brush()->SetColor(gdi::clBlue);
  blue.Canvas()->FillRect(rtl::Rect(0, 0, 16, 16));
  il.Replace(0, &blue, nullptr);
  clear();
  il.Draw(out.Canvas(), 0, 0, 0);
  il.Draw(out.Canvas(), 20, 0, 1);
  EXPECT_EQ(out.Canvas()->Pixels(1, 1), gdi::clBlue);
  EXPECT_EQ(out.Canvas()->Pixels(26, 6), gdi::clRed);
  il.Clear();
  il.AddMasked(strip.get(), gdi::clFuchsia);
  il.Delete(0);
  EXPECT_EQ(il.Count(), 1);
  clear();
  il.Draw(out.Canvas(), 0, 0, 0);
  EXPECT_EQ(out.Canvas()->Pixels(1, 1), gdi::clLime);
  EXPECT_THROW(il.Delete(3), rtl::EInvalidOperation);
  il.SetSize(8, 8);
  EXPECT_EQ(il.Count(), 0);
  // A bitmap narrower than one image adds nothing.
  gdi::TBitmap small(4, 4);
  EXPECT_EQ(il.Add(&small, nullptr), -1);
}

TEST_F(FormsTest, IconsKeepAlphaThroughIcoFilesAndReachTheFormsWindow) {
  gdi::TBitmap src;
  src.SetPixelFormat(gdi::pf32bit);
  src.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      auto* row = static_cast<std::uint32_t*>(src.ScanLine(y));
      row[x] = x < 8 ? 0xFF2040E0u : (y < 8 ? 0x80102030u : 0u);
    }
  TIcon icon;
  icon.LoadFromBitmap(&src);
  ASSERT_FALSE(icon.Empty());
  EXPECT_EQ(icon.Width(), 16);
  rtl::TMemoryStream ms;
  icon.SaveToStream(&ms);
  ms.SetPosition(0);
  TIcon back;
  back.LoadFromStream(&ms);
  gdi::TBitmap pixels;
  back.SaveToBitmap(&pixels);
  ASSERT_EQ(pixels.Width(), 16);
  auto px = [&](int x, int y) { return static_cast<std::uint32_t*>(pixels.ScanLine(y))[x]; };
  EXPECT_EQ(px(2, 2), 0xFF2040E0u);
  EXPECT_EQ(px(12, 2), 0x80102030u);
  EXPECT_EQ(px(12, 12) >> 24, 0u);
  // A corrupt file leaves the icon as it was.
  rtl::TMemoryStream bad;
  const char junk[] = "\0\0\1\0\1\0garbage";
  bad.WriteBuffer(junk, sizeof junk);
  bad.SetPosition(0);
  EXPECT_THROW(back.LoadFromStream(&bad), rtl::EInvalidGraphic);
  EXPECT_EQ(back.Width(), 16);

  TForm* f = MakeForm();
  f->Icon()->Assign(&icon);
  auto h = reinterpret_cast<HICON>(SendMessageW(f->Handle(), WM_GETICON, ICON_BIG, 0));
  EXPECT_EQ(h, f->Icon()->Handle());
  EXPECT_NE(h, icon.Handle());  // a copy: the form's icon is its own
}

}  // namespace
}  // namespace formstest
