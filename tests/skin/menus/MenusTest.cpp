// The skinned menus headless: row kinds and their plain look, placement,
// keyboard navigation across levels, accelerators, the mouse (hover, sub-menu
// delay, release acts), closing by a click outside, the order of the close
// notifications, scrolling, the popup menu component and the skinned look.
#include <algorithm>

#include "platform/forms/Actions.h"
#include "platform/gdi/Bitmap.h"
#include "tests/skin/menus/MenusTestUtil.h"

namespace skinmenutest {
namespace {

// ------------------------------------------------------------------ pictures
struct Picture {
  std::unique_ptr<gdi::TBitmap> bmp;
  std::uint32_t At(int x, int y) const { return bmp->GetSurface()->GetPixel(x, y) & 0xFFFFFF; }
  static bool Dark(std::uint32_t p) { return (p & 0xFF) < 0x80 && (p >> 8 & 0xFF) < 0x80 && (p >> 16 & 0xFF) < 0x80; }
  // Leftmost and rightmost column with a dark pixel inside r (-1 when none).
  std::pair<int, int> DarkSpan(const rtl::TRect& r) const {
    int lo = -1, hi = -1;
    for (int x = r.Left; x < r.Right; ++x)
      for (int y = r.Top; y < r.Bottom; ++y)
        if (Dark(At(x, y))) {
          if (lo < 0) lo = x;
          hi = x;
          break;
        }
    return {lo, hi};
  }
};

Picture Paint(TbsSkinPopupWindow* w) {
  Picture p{std::make_unique<gdi::TBitmap>(w->Width(), w->Height())};
  w->PaintMenu(p.bmp->Canvas()->Handle());
  return p;
}

TEST_F(MenusTest, RowKindsFollowCaptionAndEnabled) {
  struct Case {
    const char16_t* caption;
    bool enabled;
    TbsMenuRowKind kind;
  } cases[] = {
      {u"-", true, TbsMenuRowKind::Separator},      {u"-", false, TbsMenuRowKind::Separator},
      {u"-Title-", false, TbsMenuRowKind::Header},  {u"-Title-", true, TbsMenuRowKind::Ordinary},
      {u"-Title", false, TbsMenuRowKind::Ordinary}, {u"&Open", true, TbsMenuRowKind::Ordinary},
      {u"--", false, TbsMenuRowKind::Header},
  };
  for (const Case& c : cases) {
    TMenuItem item(nullptr);
    item.SetCaption(c.caption);
    item.SetEnabled(c.enabled);
    EXPECT_EQ(MenuRowKind(&item), c.kind) << rtl::U8(c.caption) << " enabled " << c.enabled;
  }
}

TEST_F(MenusTest, PlainLookDrawsEachKindOfRow) {
  BuildMenu();
  snapshot->Items(2)->SetRadioItem(false);
  snapshot->Items(2)->SetChecked(true);  // PNG: a checked item that is not a radio item
  menu->Popup(150, 150);
  Pump();
  ASSERT_EQ(Levels(), 1);
  TbsSkinPopupWindow* w = Level(0);
  EXPECT_FALSE(w->Skinned());
  EXPECT_EQ(w->Height(), 20 + 4 + 20 + 20 + 20 + 20 + 4);
  w->Row(0)->Active = w->Row(0)->WaitCommand = false;  // plain rows everywhere
  w->Row(5)->Active = true;                            // Exit highlighted
  Picture p = Paint(w);
  auto row = [&](int i) { return w->Row(i)->ObjectRect; };
  const std::uint32_t face = RgbOf(gdi::clBtnFace), window = RgbOf(gdi::clWindow),
                      shadow = RgbOf(gdi::clBtnShadow);

  // Ordinary row with a shortcut: glyph column, caption 2 + 19 from the
  // left, shortcut ending 2 + 19 before the right edge.
  rtl::TRect r = row(0);
  EXPECT_EQ(p.At(r.Left + 5, r.Top + 2), face);
  EXPECT_EQ(p.At(r.Left + 18, r.Top + 2), face);
  EXPECT_EQ(p.At(r.Left + 19, r.Top + 2), window);
  auto [lo, hi] = p.DarkSpan(r);
  EXPECT_GE(lo, r.Left + 21);
  EXPECT_LE(lo, r.Left + 24);
  EXPECT_LE(hi, r.Right - 21 - 1);
  EXPECT_GE(hi, r.Right - 21 - 3);

  // Separator: a shadow line from the glyph column on, at half height.
  r = row(1);
  EXPECT_EQ(p.At(r.Left + 25, r.Top + 2), shadow);
  EXPECT_EQ(p.At(r.Left + 25, r.Top + 1), window);
  EXPECT_EQ(p.At(r.Left + 5, r.Top + 2), face);

  // Parent row: the sub-menu triangle of 7, 5, 3 and 1 pixels.
  r = row(2);
  const int ax = r.Right - 2 - 7, ay = r.Top + 2 + 8 - 4;
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Picture::Dark(p.At(ax + i, ay + i))) << i;
    EXPECT_TRUE(Picture::Dark(p.At(ax + i, ay + 6 - i))) << i;
    EXPECT_FALSE(Picture::Dark(p.At(ax + i, ay + 7 - i))) << i;
  }

  // Header: the whole row in shadow, its text in highlight, no dashes drawn.
  r = row(3);
  EXPECT_EQ(p.At(r.Left + 1, r.Top + 1), shadow);
  EXPECT_EQ(p.At(r.Right - 2, r.Bottom - 2), shadow);

  // Highlighted row: navy frame around the lit colour.
  r = row(5);
  EXPECT_EQ(p.At(r.Left, r.Top), 0x000080u);
  EXPECT_EQ(p.At(r.Left + 1, r.Top + 1), 0xB6BDD2u);
  EXPECT_EQ(p.At(r.Left + 5, r.Top + 10), 0xB6BDD2u) << "no glyph column on a lit row";

  // The sub-menu: unchecked, radio dot, check mark.
  Key(win::VK_DOWN);
  Key(win::VK_RIGHT);
  ASSERT_EQ(Levels(), 2);
  TbsSkinPopupWindow* s = Level(1);
  s->Row(0)->Active = s->Row(0)->WaitCommand = false;
  Picture q = Paint(s);
  const rtl::TRect bmp = s->Row(0)->ObjectRect, jpeg = s->Row(1)->ObjectRect, png = s->Row(2)->ObjectRect;
  EXPECT_EQ(q.At(bmp.Left + 8, bmp.Top + 9), face) << "unchecked: nothing";
  EXPECT_EQ(q.At(jpeg.Left + 8, jpeg.Top + 9), RgbOf(gdi::clWindowText)) << "checked radio: a dot";
  EXPECT_EQ(q.At(jpeg.Left + 5, jpeg.Top + 6), face) << "dot is round";
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(q.At(png.Left + 5 + 2, png.Top + 6 + 7 - k), RgbOf(gdi::clWindowText)) << "check stroke " << k;
}

TEST_F(MenusTest, CheckedItemWithAnImageIsFramed) {
  forms::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  gdi::TBitmap img(16, 16);
  img.Canvas()->Brush()->SetColor(0x00FF00);
  img.Canvas()->FillRect({0, 0, 16, 16});
  images.Add(&img, nullptr);
  menu->SetImages(&images);
  TMenuItem* a = Add(menu->Items(), u"Radio");
  a->SetRadioItem(true);
  a->SetChecked(true);
  a->SetImageIndex(0);
  menu->Popup(150, 150);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  EXPECT_EQ(w->GlyphWidth, 21);
  w->Row(0)->Active = false;
  Picture p = Paint(w);
  const rtl::TRect r = w->Row(0)->ObjectRect;
  const int x = r.Left + 4, y = r.Top + 2 + 8 - 8;
  EXPECT_EQ(p.At(x + 8, y + 8), 0x00FF00u) << "the image";
  EXPECT_EQ(p.At(x - 1, y + 8), RgbOf(gdi::clWindowText)) << "frame left";
  EXPECT_EQ(p.At(x + 16, y + 8), RgbOf(gdi::clWindowText)) << "frame right";
}

// A level hides the separators that separate nothing (the menu reduces its
// lines unless told not to); an item's own bitmap is its image; an action
// brings its item up to date before the row is made and runs when chosen.
TEST_F(MenusTest, LineReductionBitmapsAndActions) {
  Add(menu->Items(), u"-");
  Add(menu->Items(), u"&Open", "open");
  Add(menu->Items(), u"-");
  Add(menu->Items(), u"-");
  TMenuItem* pic = Add(menu->Items(), u"&Picture", "picture");
  gdi::TBitmap bmp(12, 12);
  bmp.Canvas()->Brush()->SetColor(0xFF0000);
  bmp.Canvas()->FillRect({0, 0, 12, 12});
  pic->SetBitmap(&bmp);
  forms::TAction act(form);
  act.SetCaption(u"Old");
  act.OnUpdate = [&](rtl::TObject*) { act.SetCaption(u"&Fresh"); };
  act.OnExecute = Logger("action");
  TMenuItem* acted = Add(menu->Items(), u"");
  acted->SetAction(&act);
  EXPECT_EQ(acted->Caption(), u"Old");
  Add(menu->Items(), u"-");
  ASSERT_EQ(menu->AutoLineReduction(), forms::maAutomatic);
  menu->Popup(150, 150);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  std::vector<std::u16string> rows;
  for (int i = 0; i < w->RowCount(); ++i) rows.push_back(w->Row(i)->MenuItem->Caption());
  EXPECT_EQ(rows, (std::vector<std::u16string>{u"&Open", u"-", u"&Picture", u"&Fresh"}));
  Picture p = Paint(w);
  const rtl::TRect r = w->Row(2)->ObjectRect;
  EXPECT_EQ(p.At(r.Left + 4 + 6, r.Top + RectHeight(r) / 2), 0x0000FFu) << "the item's bitmap (blue)";
  Key('F');
  EXPECT_EQ(Levels(), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "action"), 1);
  EXPECT_EQ(log.back(), "action");

  // A menu that keeps its lines shows every one.
  auto* keep = new TbsSkinPopupMenu(form);
  keep->SetAutoLineReduction(forms::maManual);
  Add(keep->Items(), u"-");
  Add(keep->Items(), u"&One");
  Add(keep->Items(), u"-");
  Add(keep->Items(), u"-");
  keep->Popup(150, 150);
  Pump();
  EXPECT_EQ(Level(0)->RowCount(), 4);
  Key(win::VK_ESCAPE);
}

// ------------------------------------------------------------------ placement
TEST_F(MenusTest, PlacementAtAPoint) {
  BuildMenu();
  struct Case {
    int x, y;
    bool up;
    int wantX, wantY;  // -1: work-area right minus the width
  } cases[] = {
      {150, 150, false, 150, 150},
      {1270, 150, false, -1, 150},   // pushed in from the right edge
      {500, 950, false, 500, 842},   // lower half, no room below: above the point
      {500, 300, true, 500, 192},    // upwards when there is room
      {500, 50, true, 500, 50},      // upwards without room above, upper half: below
  };
  for (const Case& c : cases) {
    menu->PopupFromRect({c.x, c.y, c.x, c.y}, c.up);
    Pump();
    ASSERT_EQ(Levels(), 1);
    TbsSkinPopupWindow* w = Level(0);
    ASSERT_EQ(w->Height(), 108);
    const int wantX = c.wantX < 0 ? 1280 - w->Width() : c.wantX;
    EXPECT_EQ(w->Left(), wantX) << c.x << "," << c.y;
    EXPECT_EQ(w->Top(), c.wantY) << c.x << "," << c.y;
    EXPECT_EQ(menu->PopupPoint(), (rtl::TPoint{c.x, c.y}));
  }
}

TEST_F(MenusTest, SubMenuBesideItsRowOrToTheLeftNearTheEdge) {
  BuildMenu();
  menu->Popup(150, 150);
  Pump();
  Key('S');
  ASSERT_EQ(Levels(), 2);
  rtl::TRect row = Level(0)->Row(2)->ObjectRect;
  EXPECT_EQ(Level(1)->Left(), Level(0)->Left() + row.Right + 1);
  EXPECT_EQ(Level(1)->Top(), Level(0)->Top() + row.Top - 2) << "first row level with the parent row";

  Key(win::VK_ESCAPE);
  Key(win::VK_ESCAPE);
  menu->Popup(1280 - 60, 150);
  Pump();
  Key('S');
  ASSERT_EQ(Levels(), 2);
  row = Level(0)->Row(2)->ObjectRect;
  EXPECT_EQ(Level(1)->Left() + Level(1)->Width(), Level(0)->Left() + row.Left - 1) << "opens to the left";
}

// ------------------------------------------------------------------ keyboard
TEST_F(MenusTest, KeyboardNavigatesRowsAndLevels) {
  BuildMenu();
  form->OnKeyDown = [this](rtl::TObject*, rtl::Word&, forms::TShiftState) { log.push_back("form key"); };
  menu->Popup(150, 150);
  Pump();
  EXPECT_TRUE(host->InMenu());
  struct Step {
    int key;
    int levels;
    std::string top, sub;
  } steps[] = {
      {win::VK_DOWN, 1, "..A...", ""},    // over the separator
      {win::VK_DOWN, 1, ".....A", ""},    // over the header and the disabled item
      {win::VK_DOWN, 1, "A.....", ""},    // wraps to the first selectable row
      {win::VK_UP, 1, ".....A", ""},      // wraps to the last
      {win::VK_UP, 1, "..A...", ""},
      {win::VK_RIGHT, 2, "..D...", "A.."},  // opens the sub-menu, first row highlighted
      {win::VK_DOWN, 2, "..D...", ".A."},
      {win::VK_LEFT, 1, "..A...", ""},    // closes it and releases the parent row
      {win::VK_RETURN, 2, "..D...", "A.."},
      {win::VK_ESCAPE, 1, "..A...", ""},  // closes only the innermost level
      {win::VK_LEFT, 1, "..A...", ""},    // Left does nothing at the top
      {win::VK_ESCAPE, 0, "", ""},        // ends the menu
  };
  for (const Step& s : steps) {
    Key(s.key);
    ASSERT_EQ(Levels(), s.levels) << "key " << s.key;
    if (s.levels > 0) {
      EXPECT_EQ(States(0), s.top) << "key " << s.key;
    }
    if (s.levels > 1) {
      EXPECT_EQ(States(1), s.sub) << "key " << s.key;
    }
  }
  EXPECT_EQ(log, (std::vector<std::string>{"snapshot", "snapshot"})) << "keys reach no control while open";
  EXPECT_FALSE(host->InMenu());
  EXPECT_FALSE(Engine()->Visible());
  Key(win::VK_DOWN);
  EXPECT_EQ(log.back(), "form key") << "the form has its keys back";
}

TEST_F(MenusTest, AcceleratorsRunOrOpenAcrossLevels) {
  BuildMenu();
  menu->Popup(150, 150);
  Pump();
  Key('S');  // opens the sub-menu after the parent's own OnClick
  ASSERT_EQ(Levels(), 2);
  Key('p');  // case does not matter
  EXPECT_EQ(log, (std::vector<std::string>{"snapshot", "form closed", "&PNG"}));
  EXPECT_EQ(Levels(), 0);
  EXPECT_FALSE(host->InMenu());
  Pump();

  log.clear();
  menu->Popup(150, 150);
  Pump();
  Key('D');  // disabled: highlighted, not run
  EXPECT_EQ(Levels(), 1);
  EXPECT_EQ(States(0), "....A.");
  EXPECT_TRUE(log.empty());
  Key('X');
  EXPECT_EQ(log, (std::vector<std::string>{"form closed", "exit"}));
  EXPECT_EQ(Levels(), 0);
}

// ------------------------------------------------------------------ mouse
TEST_F(MenusTest, ReleaseOfTheLeftButtonRunsTheRow) {
  BuildMenu();
  menu->Popup(150, 150);
  Pump();
  Hover(RowPoint(0, 1));  // a separator never lights up
  EXPECT_EQ(States(0), "......");
  win::headless::Click(RowPoint(0, 1));
  Pump();
  EXPECT_EQ(Levels(), 1) << "releasing over a separator does nothing";

  Hover(RowPoint(0, 5));
  EXPECT_EQ(States(0), ".....A");
  win::headless::Click(RowPoint(0, 5), 1);  // right button
  Pump();
  EXPECT_EQ(Levels(), 1);
  EXPECT_TRUE(log.empty()) << "the right button never runs an item";
  win::headless::MouseDown(RowPoint(0, 5));
  Pump();
  EXPECT_EQ(Levels(), 1);
  EXPECT_TRUE(log.empty()) << "nothing on press";
  win::headless::MouseUp(RowPoint(0, 5));
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"form closed", "exit"}));
  EXPECT_EQ(Levels(), 0);
  EXPECT_FALSE(host->InMenu());
}

TEST_F(MenusTest, SubMenuOpensAfterTheDelayOrAtOnceOnClick) {
  BuildMenu();
  menu->Popup(150, 150);
  Pump();
  Hover(RowPoint(0, 2));
  EXPECT_TRUE(Engine()->WaitTimerRunning());
  Advance(400);
  EXPECT_EQ(Levels(), 1);
  Advance(150);
  EXPECT_EQ(Levels(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"snapshot"}));
  EXPECT_EQ(States(0), "..D...");

  Hover(RowPoint(0, 5));  // another row closes the sub-menu
  EXPECT_EQ(Levels(), 1);
  EXPECT_EQ(States(0), ".....A");

  Hover(RowPoint(0, 2));
  Hover(RowPoint(0, 0));  // leaving within the delay cancels it
  Advance(600);
  EXPECT_EQ(Levels(), 1);

  log.clear();
  Hover(RowPoint(0, 2));
  win::headless::Click(RowPoint(0, 2));
  Pump();
  EXPECT_EQ(Levels(), 2) << "a click opens at once";
  EXPECT_EQ(log, (std::vector<std::string>{"snapshot"}));
  Hover(RowPoint(1, 0));
  win::headless::Click(RowPoint(1, 0));
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"snapshot", "form closed", "&BMP"}));
  EXPECT_EQ(Levels(), 0);
}

TEST_F(MenusTest, HoveringAnOpenParentRowClosesOnlyTheLevelsBelowItsSubMenu) {
  BuildMenu();
  TMenuItem* more = Add(snapshot, u"&More");
  Add(more, u"&GIF", "gif");
  menu->Popup(150, 150);
  Pump();
  Key('S');
  Key('M');
  ASSERT_EQ(Levels(), 3);
  EXPECT_EQ(States(1), "...D");
  Hover(RowPoint(0, 1));  // over the separator and back onto the Snapshot row, whose sub-menu is open
  EXPECT_EQ(Levels(), 3);
  Hover(RowPoint(0, 2));
  EXPECT_EQ(Levels(), 2);
  EXPECT_EQ(States(0), "..D...");
  EXPECT_EQ(States(1), "...A") << "the sub-menu's pressed row is released (still highlighted)";
  Advance(600);
  EXPECT_EQ(Levels(), 2) << "no sub-menu delay for an open parent";
}

TEST_F(MenusTest, ClickOutsideClosesEveryLevel) {
  BuildMenu();
  forms::TForm* other = new forms::TForm(forms::Application);
  other->SetBounds(700, 500, 200, 150);
  other->AfterConstruction();
  other->Show();
  for (win::POINT outside : {form->ClientToScreen({300, 200}), other->ClientToScreen({50, 50})}) {
    menu->Popup(150, 150);
    Pump();
    Key('S');
    ASSERT_EQ(Levels(), 2);
    win::headless::Click(outside);
    Pump();
    EXPECT_EQ(Levels(), 0);
    EXPECT_FALSE(Engine()->Visible());
    EXPECT_FALSE(host->InMenu());
  }
  EXPECT_EQ(std::count(log.begin(), log.end(), "&BMP"), 0);
  delete other;
}

TEST_F(MenusTest, WheelIsSwallowedWhileOpen) {
  BuildMenu();
  menu->Popup(150, 150);
  Pump();
  win::headless::Wheel(form->ClientToScreen({300, 250}), 120);
  Pump();
  EXPECT_EQ(Levels(), 1);
  EXPECT_TRUE(log.empty());
  Key(win::VK_ESCAPE);
  win::headless::Wheel(form->ClientToScreen({300, 250}), 120);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"form wheel"})) << "the wheel reaches the form again";
}

// ------------------------------------------------------------------ notifications
TEST_F(MenusTest, ChoosingARowClosesThenNotifiesThenRuns) {
  BuildMenu();
  auto* ctrl = new LogControl(form, &log);
  ctrl->SetBounds(10, 10, 60, 25);
  ctrl->SetParent(form);
  menu->OnMenuClose = [this](rtl::TObject* s) {
    log.push_back(dynamic_cast<TbsSkinMenu*>(s) ? "menu close" : "menu close (wrong sender)");
  };
  menu->Items()->Items(5)->OnClick = [this](rtl::TObject*) {
    log.push_back("exit with " + std::to_string(Levels()) + " levels");
  };
  menu->PopupFromRect2(ctrl, {120, 120, 180, 145}, false);
  Pump();
  Key('X');
  EXPECT_EQ(log, (std::vector<std::string>{"control closed", "menu close", "form closed", "exit with 0 levels",
                                           "command done"}));

  // Escape at the top: the control is told, the form is not; OnMenuClose
  // was for one opening only.
  log.clear();
  menu->OnMenuClose = nullptr;
  menu->PopupFromRect2(ctrl, {120, 120, 180, 145}, false);
  Pump();
  Key(win::VK_ESCAPE);
  EXPECT_EQ(log, (std::vector<std::string>{"control closed"}));

  // A new opening closes the open menu: its own control hears of it once.
  log.clear();
  auto* ctrl2 = new LogControl(form, &log);
  ctrl2->SetParent(form);
  menu->PopupFromRect2(ctrl, {120, 120, 180, 145}, false);
  Pump();
  menu->PopupFromRect2(ctrl2, {120, 120, 180, 145}, false);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"control closed"}));
  EXPECT_EQ(Engine()->PopupCtrl, ctrl2);
  EXPECT_EQ(Levels(), 1);
}

// ------------------------------------------------------------------ scrolling
TEST_F(MenusTest, LongMenuScrollsInAShortWorkArea) {
  win::headless::SetScreen({0, 0, 1280, 1024}, {0, 0, 1280, 400});
  for (int i = 0; i < 30; ++i) Add(menu->Items(), (u"Item " + rtl::S(std::to_string(i))).c_str());
  menu->Popup(100, 50);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  EXPECT_EQ(w->Height(), 400);
  EXPECT_EQ(w->Top(), 0);
  EXPECT_EQ(w->Left(), 101) << "beside the point";
  EXPECT_TRUE(w->Scroll);
  EXPECT_FALSE(w->Scroll2);
  EXPECT_EQ(w->VisibleCount, (400 - 4 - 20) / 20);

  Key(win::VK_UP);  // from the first row: the last one, scrolled to the end
  EXPECT_EQ(w->ActiveItem, 29);
  EXPECT_EQ(w->VisibleStartIndex + w->VisibleCount, 30);
  EXPECT_TRUE(w->Row(29)->FVisible);
  Key(win::VK_DOWN);  // and back to the start
  EXPECT_EQ(w->ActiveItem, 0);
  EXPECT_EQ(w->VisibleStartIndex, 0);

  const rtl::TRect m = w->BottomMarkerRect();
  Hover({w->Left() + (m.Left + m.Right) / 2, w->Top() + (m.Top + m.Bottom) / 2});
  EXPECT_EQ(w->ScrollCode, 2);
  Picture p = Paint(w);
  EXPECT_EQ(p.At(w->Width() / 2, m.Top + 5), RgbOf(gdi::clBtnText)) << "the running marker's arrow";
  Advance(300);
  EXPECT_GE(w->VisibleStartIndex, 2);
  Hover({w->Left() + 30, w->Top() + 200});
  EXPECT_EQ(w->ScrollCode, 0);
  const int at = w->VisibleStartIndex;
  Advance(300);
  EXPECT_EQ(w->VisibleStartIndex, at);
  p = Paint(w);
  EXPECT_EQ(p.At(w->Width() / 2, m.Top + 5), RgbOf(gdi::clBtnShadow));
}

TEST_F(MenusTest, MaxItemsInWindowScrollsWithOrdinaryPlacement) {
  for (int i = 0; i < 8; ++i) Add(menu->Items(), (u"Item " + rtl::S(std::to_string(i))).c_str());
  Engine()->MaxMenuItemsInWindow = 5;
  menu->Popup(100, 100);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  EXPECT_EQ(w->Height(), 5 * 20 + 4 + 20);
  EXPECT_EQ(w->Top(), 100);
  EXPECT_EQ(w->Left(), 100);
  EXPECT_TRUE(w->Scroll2);
  EXPECT_EQ(w->VisibleCount, 5);
}

// ------------------------------------------------------------------ engine and component
TEST_F(MenusTest, StartIndexSkipsTheFirstItems) {
  for (int i = 0; i < 5; ++i) Add(menu->Items(), (u"Item " + rtl::S(std::to_string(i))).c_str());
  Engine()->Popup(nullptr, nullptr, 3, {100, 100, 100, 100}, menu->Items(), false);
  Pump();
  ASSERT_EQ(Levels(), 1);
  EXPECT_EQ(Level(0)->RowCount(), 2);
  EXPECT_EQ(Level(0)->Row(0)->MenuItem, menu->Items()->Items(3));
  Engine()->Popup(nullptr, nullptr, 5, {100, 100, 100, 100}, menu->Items(), false);
  EXPECT_EQ(Levels(), 0) << "nothing from index 5 on, and the open menu is closed";
  EXPECT_FALSE(Engine()->Visible());
}

TEST_F(MenusTest, PopupMenuFindsItsFrameAndTakesItsSkinOnce) {
  BuildMenu();
  menu->OnPopup = Logger("popup");
  TbsSkinData a(nullptr), b(nullptr);
  host->MenusSkinDataValue = &a;
  menu->Popup(10, 10);
  Pump();
  EXPECT_EQ(menu->SkinData, &a);
  Key(win::VK_ESCAPE);
  host->MenusSkinDataValue = &b;
  menu->Popup(10, 10);
  Pump();
  EXPECT_EQ(menu->SkinData, &a) << "kept from the first opening";
  Key(win::VK_ESCAPE);

  // Popup2 needs skin data.
  log.clear();
  auto* bare = new TbsSkinPopupMenu(form);
  Add(bare->Items(), u"Item");
  bare->OnPopup = Logger("bare popup");
  host->MenusSkinDataValue = nullptr;
  bare->Popup2(form, 10, 10);
  EXPECT_EQ(Levels(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"bare popup"}));
  bare->Popup(10, 10);  // the point form opens in the plain look all the same
  EXPECT_EQ(Levels(), 1);
  Key(win::VK_ESCAPE);

  // A menu of a form without a frame fires OnPopup and shows nothing.
  log.clear();
  forms::TForm* plain = new forms::TForm(forms::Application);
  auto* orphan = new TbsSkinPopupMenu(plain);
  Add(orphan->Items(), u"Item");
  orphan->OnPopup = Logger("orphan popup");
  orphan->Popup(10, 10);
  EXPECT_EQ(log, (std::vector<std::string>{"orphan popup"}));
  EXPECT_EQ(Levels(), 0);
  // ... unless it names the frame to use.
  orphan->SkinComponent = host;
  orphan->Popup(10, 10);
  EXPECT_EQ(Levels(), 1);
  delete plain;  // its menu's items go, and the menu that showed them closes
  EXPECT_EQ(Levels(), 0);
  EXPECT_FALSE(host->InMenu());
  Pump();
}

// ------------------------------------------------------------------ skinned look
TEST_F(MenusTest, StoredSkinsDrawSkinnedLevels) {
  BuildMenu();
  int skinned = 0;
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    menu->SkinData = StoredSkin(i);
    menu->Popup(150, 150);
    Pump();
    ASSERT_EQ(Levels(), 1) << i;
    TbsSkinPopupWindow* w = Level(0);
    if (w->Skinned()) {
      ++skinned;
      const TbsDataSkinMenuItem* mi = w->DSMI;
      ASSERT_NE(mi, nullptr);
      EXPECT_EQ(w->Row(0)->RowHeight(), mi->SkinRect.Bottom - mi->SkinRect.Top) << i;
      for (int r = 0; r < w->RowCount(); ++r) {
        EXPECT_GE(w->Row(r)->ObjectRect.Top, w->NewItemsRect.Top) << i;
        EXPECT_LE(w->Row(r)->ObjectRect.Bottom, w->NewItemsRect.Bottom) << i;
      }
    }
    Paint(w);
    Key('S');
    EXPECT_EQ(Levels(), 2) << i;
    Key(win::VK_ESCAPE);
    Key(win::VK_ESCAPE);
    EXPECT_EQ(Levels(), 0) << i;
    menu->SkinData = nullptr;
    Pump();
  }
  EXPECT_GT(skinned, 0);
}

TEST_F(MenusTest, OwnerDrawnRowGetsTheBackgroundAndTheHandlerOnly) {
  BuildMenu();
  rtl::TObject* sender = nullptr;
  bool selected = true;
  rtl::TRect area{};
  TMenuItem* open = menu->Items()->Items(0);
  open->OnDrawItem = [&](rtl::TObject* s, gdi::TCanvas* c, rtl::TRect r, bool sel) {
    sender = s;
    selected = sel;
    area = r;
    c->Brush()->SetStyle(gdi::bsSolid);
    c->Brush()->SetColor(0x00FF00);
    c->FillRect({r.Left, r.Top, r.Left + 4, r.Bottom});
  };
  menu->SkinData = StoredSkin(0);
  menu->Popup(150, 150);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  ASSERT_TRUE(w->Skinned());
  w->Row(0)->Active = w->Row(0)->WaitCommand = false;
  Picture p = Paint(w);
  EXPECT_EQ(sender, w->Row(0)) << "the row object is the sender";
  EXPECT_FALSE(selected);
  const rtl::TRect r = w->Row(0)->ObjectRect;
  EXPECT_EQ(p.At(r.Left + area.Left + 1, r.Top + (area.Top + area.Bottom) / 2), 0x00FF00u);
  // Nothing but the background right of the handler's strip: the same as a
  // row with an empty caption.
  open->OnDrawItem = nullptr;
  const String caption = open->Caption();
  const forms::TShortCut sc = open->ShortCut();
  open->SetCaption(u"");
  open->SetShortCut(0);
  Picture blank = Paint(w);
  for (int x = r.Left + area.Left + 6; x < r.Right - 2; x += 3)
    EXPECT_EQ(p.At(x, r.Top + (r.Bottom - r.Top) / 2), blank.At(x, r.Top + (r.Bottom - r.Top) / 2)) << x;
  open->SetCaption(caption);
  open->SetShortCut(sc);
}

TEST_F(MenusTest, SkinWithoutTheMenuItemPictureFallsBackToThePlainLook) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  std::vector<std::uint32_t> px(40 * 40, 0xFF808080u);
  auto file = MakeBmpFile(40, 40, 32, px);
  auto pic = std::make_unique<TbsSkinPicture>();
  pic->LoadFromBytes(file.data(), file.size());
  sd->ActivePictures().push_back(std::move(pic));
  sd->PopupWindow->WindowPictureIndex = 0;
  sd->PopupWindow->ItemsRect = {5, 5, 35, 35};
  auto mi = std::make_unique<TbsDataSkinMenuItem>(u"menuitem");
  mi->ActivePictureIndex = 7;  // names no picture
  mi->SkinRect = {0, 0, 40, 20};
  mi->ActiveSkinRect = {0, 20, 40, 40};
  TbsDataSkinMenuItem* raw = mi.get();
  sd->ObjectList.push_back(std::move(mi));
  sd->Empty = false;
  Add(menu->Items(), u"Item");
  menu->SkinData = sd.get();
  menu->Popup(100, 100);
  Pump();
  ASSERT_EQ(Levels(), 1);
  EXPECT_FALSE(Level(0)->Skinned());
  EXPECT_EQ(Level(0)->Row(0)->RowHeight(), 20);
  EXPECT_EQ(raw->SkinRect, (rtl::TRect{0, 0, 40, 20})) << "the skin's object is left as it is";
  EXPECT_EQ(raw->ActiveSkinRect, (rtl::TRect{0, 20, 40, 40}));
}

// A made-up skin whose looks are flat colours: a 60 x 60 window picture with
// its mask (the top-left corner cut away) and a menu-item strip with a plain
// look, a lit look, a divider and three animation frames.
constexpr std::uint32_t kFrameColour = 0xFF404040u, kItemsColour = 0xFFE0E0E0u, kPlain = 0xFF2060C0u,
                        kLitLook = 0xFFC06020u, kDivider = 0xFF000000u, kFrames[3] = {0xFF00FF00u, 0xFF00FFFFu,
                                                                                    0xFFFF00FFu};

class MadeUpSkinTest : public MenusTest {
 protected:
  static void AddPicture(TbsSkinData& s, int w, int h, const std::function<std::uint32_t(int, int)>& at) {
    std::vector<std::uint32_t> px(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) px[std::size_t(y) * w + x] = at(x, y);
    auto file = MakeBmpFile(w, h, 32, px);
    auto pic = std::make_unique<TbsSkinPicture>();
    pic->LoadFromBytes(file.data(), file.size());
    s.ActivePictures().push_back(std::move(pic));
  }
  TbsDataSkinMenuItem* Build() {
    sd = std::make_unique<TbsSkinData>(nullptr);
    AddPicture(*sd, 60, 60, [](int x, int y) {
      return x < 5 || y < 5 || x >= 55 || y >= 55 ? kFrameColour : kItemsColour;
    });
    AddPicture(*sd, 60, 60, [](int x, int y) { return x < 3 && y < 3 ? 0xFFFFFFFFu : 0xFF000000u; });
    AddPicture(*sd, 120, 64, [](int x, int y) {
      if (y < 20) return x < 40 ? kPlain : 0xFF808080u;
      if (y < 40) return kLitLook;
      if (y < 44) return kDivider;
      return kFrames[std::min(x / 40, 2)];
    });
    TbsDataSkinPopupWindow& pw = *sd->PopupWindow;
    pw.WindowPictureIndex = 0;
    pw.MaskPictureIndex = 1;
    pw.LTPoint = {5, 5};
    pw.RTPoint = {55, 5};
    pw.LBPoint = {5, 55};
    pw.RBPoint = {55, 55};
    pw.ItemsRect = {5, 5, 55, 55};
    auto mi = std::make_unique<TbsDataSkinMenuItem>(u"menuitem");
    mi->ActivePictureIndex = 2;
    mi->SkinRect = {0, 0, 40, 20};
    mi->ActiveSkinRect = {0, 20, 40, 40};
    mi->DividerRect = {0, 40, 40, 44};
    mi->ItemLO = mi->ItemRO = 4;
    mi->TextRct = {4, 0, 36, 20};
    mi->FontName = u"Arial";
    mi->FontHeight = 14;
    TbsDataSkinMenuItem* raw = mi.get();
    sd->ObjectList.push_back(std::move(mi));
    sd->Empty = false;
    for (const char16_t* c : {u"One", u"-", u"Two", u"Three"}) Add(menu->Items(), c);
    menu->SkinData = sd.get();
    return raw;
  }
  // The middle of a row's right margin, where no text is drawn.
  std::uint32_t RowMargin(const Picture& p, int row) {
    const rtl::TRect r = Level(0)->Row(row)->ObjectRect;
    return p.At(r.Right - 2, (r.Top + r.Bottom) / 2) | 0xFF000000u;
  }
};

TEST_F(MadeUpSkinTest, GeometryLooksAndMaskRegion) {
  Build();
  menu->Popup(200, 200);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  ASSERT_TRUE(w->Skinned());
  EXPECT_EQ(w->Height(), 20 + 4 + 20 + 20 + 10);
  EXPECT_EQ(w->NewItemsRect, (rtl::TRect{5, 5, w->Width() - 5, w->Height() - 5}));
  EXPECT_EQ(w->Row(0)->ObjectRect, (rtl::TRect{5, 5, w->Width() - 5, 25}));
  EXPECT_EQ(w->Row(1)->ObjectRect, (rtl::TRect{5, 25, w->Width() - 5, 29}));
  w->Row(0)->Active = w->Row(0)->WaitCommand = false;
  w->Row(2)->Active = true;
  Picture p = Paint(w);
  EXPECT_EQ(RowMargin(p, 0), kPlain);
  EXPECT_EQ(RowMargin(p, 2), kLitLook);
  EXPECT_EQ(p.At(20, 26) | 0xFF000000u, kDivider);
  EXPECT_EQ(p.At(2, w->Height() / 2) | 0xFF000000u, kFrameColour);
  // The mask cuts the top-left corner out of the window.
  EXPECT_NE(win::WindowFromPoint({w->Left() + 1, w->Top() + 1}), w->Handle());
  EXPECT_EQ(win::WindowFromPoint({w->Left() + 10, w->Top() + 10}), w->Handle());
}

TEST_F(MadeUpSkinTest, TransparentInactiveRowsShowTheWindowBehind) {
  Build()->InActiveTransparent = true;
  menu->Popup(200, 200);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  w->Row(0)->Active = w->Row(0)->WaitCommand = false;
  w->Row(2)->Active = true;
  Picture p = Paint(w);
  EXPECT_EQ(RowMargin(p, 0), kItemsColour);
  EXPECT_EQ(RowMargin(p, 2), kLitLook);
}

TEST_F(MadeUpSkinTest, AnimatedRowsRunTheirFramesForwardThenBack) {
  TbsDataSkinMenuItem* mi = Build();
  mi->AnimateSkinRect = {0, 44, 120, 64};
  mi->FrameCount = 3;
  mi->AnimateInterval = 30;
  menu->Popup(200, 200);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  TbsSkinMenuItem* two = w->Row(2);
  ASSERT_TRUE(two->EnableAnimation());
  Hover(RowPoint(0, 2));
  std::vector<std::uint32_t> seen;
  for (int i = 0; i < 6; ++i) {
    seen.push_back(RowMargin(Paint(w), 2));
    Advance(30);
  }
  EXPECT_EQ(two->CurrentFrame, 4) << "past the last frame: the plain lit look";
  EXPECT_EQ(RowMargin(Paint(w), 2), kLitLook);
  EXPECT_NE(std::find(seen.begin(), seen.end(), kFrames[0]), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), kFrames[2]), seen.end());
  EXPECT_EQ(w->MorphTimer->Interval(), 30u);
  Hover(RowPoint(0, 3));
  Advance(200);
  EXPECT_EQ(two->CurrentFrame, 0) << "run back after the pointer left";
  EXPECT_EQ(RowMargin(Paint(w), 2), kPlain);
}

TEST_F(MenusTest, MorphingRowsStepInFiveTicksAndSettle) {
  BuildMenu();
  int found = -1;
  for (int i = 0; i < resources::StoredSkinCount() && found < 0; ++i) {
    TbsSkinData* s = StoredSkin(i);
    for (auto& o : s->ObjectList)
      if (auto* mi = dynamic_cast<TbsDataSkinMenuItem*>(o.get())) {
        if (mi->Morphing && mi->AnimateSkinRect.Right <= mi->AnimateSkinRect.Left) found = i;
        break;
      }
  }
  if (found < 0) {
    // No stored skin morphs its rows: give one skin's menu-item object the effect.
    TbsSkinData* s = StoredSkin(0);
    for (auto& o : s->ObjectList)
      if (auto* mi = dynamic_cast<TbsDataSkinMenuItem*>(o.get())) {
        mi->Morphing = true;
        mi->AnimateSkinRect = {};
        break;
      }
  }
  menu->SkinData = sd.get();
  menu->Popup(150, 150);
  Pump();
  TbsSkinPopupWindow* w = Level(0);
  if (!w->Skinned()) GTEST_SKIP() << "the skin has no skinned menu";
  TbsSkinMenuItem* exitRow = w->Row(5);
  ASSERT_TRUE(exitRow->EnableMorphing());
  Hover(RowPoint(0, 5));
  // The hover itself happened within the poll; the row morphs on 20 ms ticks.
  Advance(200);
  EXPECT_DOUBLE_EQ(exitRow->MorphKf(), 1.0);
  EXPECT_FALSE(w->MorphTimer->Enabled()) << "the timer stops when every row is settled";
  Hover(RowPoint(0, 0));
  Advance(200);
  EXPECT_DOUBLE_EQ(exitRow->MorphKf(), 0.0);
}

}  // namespace
}  // namespace skinmenutest
