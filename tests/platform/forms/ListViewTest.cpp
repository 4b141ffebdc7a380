// The list view in report style: selection events, keys, the header child
// window and its divider drag, the scroll model, label editing, owner data.
#include "platform/forms/ListView.h"

#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

class ListViewTest : public FormsTest {
 protected:
  TForm* form = nullptr;
  TListView* lv = nullptr;
  std::vector<std::string> sel;
  void SetUp() override {
    FormsTest::SetUp();
    form = MakeForm(400, 300);
    lv = Make<TListView>(form, 10, 10, 300, 200);
    lv->SetViewStyle(vsReport);
    for (int w : {100, 80, 60}) lv->Columns()->Add()->SetWidth(w);
    lv->Columns()->Items(0)->SetCaption(u"Name");
    lv->OnSelectItem = [this](TObject*, TListItem* it, bool on) {
      sel.push_back(rtl::U8(it->Caption()) + (on ? "+" : "-"));
    };
  }
  void Fill(int n) {
    lv->Items()->BeginUpdate();
    for (int i = 0; i < n; ++i) {
      TListItem* it = lv->Items()->Add();
      it->SetCaption(rtl::S(std::to_string(i)));
      it->SubItems()->Add(u"sub");
    }
    lv->Items()->EndUpdate();
  }
  // Client point of a row's caption.
  TPoint RowPoint(int i) {
    TRect r = lv->GetItemRect(i, drLabel);
    return {r.Left + 5, r.Top + 2};
  }
  void ClickRow(int i, int modifier = 0) {
    if (modifier) headless::KeyDown(modifier);
    headless::AdvanceClock(1000);
    headless::Click(Scr(lv, RowPoint(i).X, RowPoint(i).Y));
    if (modifier) headless::KeyUp(modifier);
    Pump();
  }
  HWND Header() { return lv->HeaderHandle(); }
  POINT HeaderScr(int x, int y) {
    POINT p{x, y};
    ClientToScreen(Header(), &p);
    return p;
  }
};

TEST_F(ListViewTest, SelectionEventsDeselectFirstOncePerItem) {
  Fill(10);
  struct Step {
    int row, modifier;
    std::vector<std::string> events;
  };
  const Step single[] = {{2, 0, {"2+"}}, {5, 0, {"2-", "5+"}}, {5, 0, {}}, {-1, 0, {"5-"}}};
  for (const Step& s : single) {
    sel.clear();
    if (s.row >= 0) ClickRow(s.row);
    else {
      headless::AdvanceClock(1000);
      Click(lv, 50, 190);  // below the rows
    }
    EXPECT_EQ(sel, s.events) << s.row;
  }
  lv->SetMultiSelect(true);
  const Step multi[] = {{1, 0, {"1+"}},
                        {4, VK_SHIFT, {"2+", "3+", "4+"}},
                        {3, VK_CONTROL, {"3-"}},
                        {6, 0, {"1-", "2-", "4-", "6+"}}};
  for (const Step& s : multi) {
    sel.clear();
    ClickRow(s.row, s.modifier);
    EXPECT_EQ(sel, s.events) << s.row;
  }
  sel.clear();
  lv->Items()->Items(6)->SetSelected(false);
  lv->SetItemIndex(7);
  EXPECT_EQ(sel, (std::vector<std::string>{"6-", "7+"}));
}

// Focusing an item moves the caret only: nothing is selected or reported,
// and the next arrow key goes on from the focused row.
TEST_F(ListViewTest, FocusingAnItemLeavesTheSelectionAlone) {
  Fill(5);
  for (bool multi : {false, true}) {
    lv->SetMultiSelect(multi);
    lv->SetItemIndex(-1);
    if (multi) lv->Items()->Items(3)->SetSelected(true);
    sel.clear();
    lv->SetItemFocused(lv->Items()->Items(1));
    EXPECT_EQ(lv->ItemFocused(), lv->Items()->Items(1)) << multi;
    EXPECT_EQ(sel, std::vector<std::string>{}) << multi;
    EXPECT_EQ(lv->Selected(), multi ? lv->Items()->Items(3) : nullptr) << multi;
    lv->SetFocus();
    Pump();
    Key(VK_DOWN);
    EXPECT_EQ(lv->Selected(), lv->Items()->Items(2)) << multi;
  }
}

TEST_F(ListViewTest, KeysMoveTheSelectionAndKeepTheRowVisible) {
  Fill(100);
  lv->SetFocus();
  Pump();
  int page = lv->GetCountPerPage();
  ASSERT_GT(page, 3);
  struct {
    int vk, index, top;
  } const keys[] = {{VK_DOWN, 0, 0},          {VK_NEXT, page - 1, 0},  {VK_DOWN, page, 1},
                    {VK_END, 99, 100 - page}, {VK_PRIOR, 100 - page, 100 - page},
                    {VK_UP, 99 - page, 99 - page}, {VK_HOME, 0, 0}};
  for (auto k : keys) {
    Key(k.vk);
    EXPECT_EQ(lv->ItemIndex(), k.index) << k.vk;
    EXPECT_EQ(lv->TopIndex(), k.top) << k.vk;
  }
  // Wheel: three rows a notch.
  headless::Wheel(Scr(lv, 50, 50), -240);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 6);
}

TEST_F(ListViewTest, ScrollModelRowsVerticallyPixelsHorizontally) {
  Fill(50);
  int page = lv->GetCountPerPage();
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(lv->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 49);
  EXPECT_EQ(int(si.nPage), page);
  // Rows wholly visible below the header.
  EXPECT_EQ(page, lv->ItemsArea().Height() / lv->RowHeight());
  lv->Scroll(0, lv->RowHeight() * 3 + 2);  // whole rows
  EXPECT_EQ(lv->TopIndex(), 3);
  EXPECT_EQ(lv->Items()->Items(3)->DisplayRect(drBounds).Top, lv->ItemsArea().Top);
  lv->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40));
  EXPECT_EQ(lv->TopIndex(), 50 - page);  // the last page stays full
  // Horizontal: pixels up to the total column width.
  lv->Columns()->Items(2)->SetWidth(300);
  GetScrollInfo(lv->Handle(), SB_HORZ, &si);
  EXPECT_EQ(si.nMax, 479);
  EXPECT_EQ(int(si.nPage), lv->ItemsArea().Width());
  lv->Perform(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_GT(lv->ScrollX(), 0);
  lv->Perform(WM_HSCROLL, SB_RIGHT);
  EXPECT_EQ(lv->ScrollX(), 480 - lv->ItemsArea().Width());
  RECT hr;
  EXPECT_TRUE(SendMessageW(Header(), HDM_GETITEMRECT, 0, LPARAM(&hr)));
  EXPECT_EQ(hr.Left, -lv->ScrollX());  // the header follows
  EXPECT_EQ(lv->Perform(LVM_GETITEMCOUNT), 50);
}

// The header is a child window announced before it paints, and its procedure can be replaced.
WNDPROC gHeaderDefault = nullptr;
std::vector<UINT> gHeaderSeen;
LRESULT SubclassedHeader(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT || m == WM_WINDOWPOSCHANGING) gHeaderSeen.push_back(m);
  return CallWindowProcW(gHeaderDefault, h, m, w, l);
}

class NotifiedListView : public TListView {
 public:
  using TListView::TListView;
  std::vector<std::u16string> children;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE) {
      char16_t cls[64] = {};
      GetClassNameW(HWND(m.LParam), cls, 64);
      children.push_back(cls);
      gHeaderDefault = WNDPROC(SetWindowLongPtrW(HWND(m.LParam), GWLP_WNDPROC, LONG_PTR(SubclassedHeader)));
    }
    TListView::WndProc(m);
  }
};

TEST_F(ListViewTest, HeaderIsAnnouncedAndItsProcedureReplaceable) {
  gHeaderSeen.clear();
  auto* v = new NotifiedListView(form);
  v->SetViewStyle(vsReport);
  v->Columns()->Add()->SetCaption(u"A");
  v->SetBounds(10, 220, 200, 60);
  v->SetParent(form);
  Pump();
  ASSERT_EQ(v->children, (std::vector<std::u16string>{u"SysHeader32"}));
  EXPECT_EQ(gHeaderDefault, WNDPROC(&TCustomListView::DefHeaderProc));
  EXPECT_NE(std::find(gHeaderSeen.begin(), gHeaderSeen.end(), WM_PAINT), gHeaderSeen.end());
  EXPECT_NE(std::find(gHeaderSeen.begin(), gHeaderSeen.end(), WM_WINDOWPOSCHANGING), gHeaderSeen.end());
  EXPECT_EQ(SendMessageW(v->HeaderHandle(), HDM_GETITEMCOUNT, 0, 0), 1);
}

TEST_F(ListViewTest, HeaderDividerDragIsClampedAndASectionClickReported) {
  TListColumn* c0 = lv->Columns()->Items(0);
  c0->SetMinWidth(40);
  c0->SetMaxWidth(150);
  TListColumn* hidden = lv->Columns()->Add();
  hidden->SetWidth(0);
  hidden->SetMaxWidth(1);
  std::vector<int> clicked;
  lv->OnColumnClick = [&](TObject*, TListColumn* c) { clicked.push_back(c->Index()); };
  struct {
    int dx, width;
  } const drags[] = {{30, 130}, {100, 150}, {-200, 40}, {-3, 97}};
  for (auto d : drags) {
    c0->SetWidth(100);
    headless::AdvanceClock(1000);
    headless::MouseMove(HeaderScr(100, 5));
    headless::MouseDown(HeaderScr(100, 5));
    headless::MouseMove(HeaderScr(100 + d.dx / 2, 5));
    headless::MouseMove(HeaderScr(100 + d.dx, 5));
    headless::MouseUp(HeaderScr(100 + d.dx, 5));
    Pump();
    EXPECT_EQ(c0->Width(), d.width) << d.dx;
  }
  EXPECT_TRUE(clicked.empty());
  // The hidden column's edge coincides with the last one's: the visible column is taken.
  UINT flags = 0;
  EXPECT_EQ(lv->HeaderHitTest({97 + 80 + 60, 5}, &flags), 2);
  EXPECT_EQ(flags, HHT_ONDIVIDER);
  EXPECT_EQ(lv->HeaderHitTest({97 + 40, 5}, &flags), 1);
  EXPECT_EQ(flags, HHT_ONHEADER);
  headless::AdvanceClock(1000);
  headless::Click(HeaderScr(97 + 40, 5));
  Pump();
  // Pressed on one section and released on another: no click.
  headless::AdvanceClock(1000);
  headless::MouseDown(HeaderScr(20, 5));
  headless::MouseMove(HeaderScr(97 + 40, 5));
  headless::MouseUp(HeaderScr(97 + 40, 5));
  Pump();
  EXPECT_EQ(clicked, (std::vector<int>{1}));
  EXPECT_EQ(hidden->Width(), 0);
}

TEST_F(ListViewTest, LabelEditingCommitsOnEnterAndCancelsOnEscape) {
  Fill(5);
  lv->SetFocus();
  Pump();
  lv->SetItemIndex(1);
  std::string edited;
  lv->OnEdited = [&](TObject*, TListItem* it, String& s) {
    edited = rtl::U8(it->Caption()) + "->" + rtl::U8(s);
    s += u"!";
  };
  Key(VK_F2);
  ASSERT_TRUE(lv->IsEditing());
  EXPECT_TRUE(lv->Editor()->Focused());
  headless::TypeText(u"新名");
  Pump();
  Key(VK_RETURN, u"\r");
  EXPECT_FALSE(lv->IsEditing());
  EXPECT_EQ(edited, "1->新名");
  EXPECT_EQ(lv->Items()->Items(1)->Caption(), u"新名!");
  EXPECT_TRUE(lv->Focused());
  Key(VK_F2);
  headless::TypeText(u"zzz");
  Pump();
  Key(VK_ESCAPE, u"\x1b");
  EXPECT_EQ(lv->Items()->Items(1)->Caption(), u"新名!");
  lv->SetReadOnly(true);
  Key(VK_F2);
  EXPECT_FALSE(lv->IsEditing());
}

TEST_F(ListViewTest, TypingFindsTheItemItsPrefixStarts) {
  Fill(30);
  lv->SetFocus();
  Pump();
  headless::TypeText(u"2");
  Pump();
  EXPECT_EQ(lv->ItemIndex(), 2);
  headless::TypeText(u"5");
  Pump();
  EXPECT_EQ(lv->ItemIndex(), 25);
  EXPECT_EQ(sel, (std::vector<std::string>{"2+", "2-", "25+"}));
}

TEST_F(ListViewTest, OwnerDataAsksOnlyForTheRowsItShows) {
  std::vector<int> asked;
  lv->SetOwnerData(true);
  lv->OnData = [&](TObject*, TListItem* it) {
    asked.push_back(it->Index());
    it->SetCaption(u"row " + rtl::IntToStr64(it->Index()));
  };
  lv->Items()->SetCount(100000);
  lv->Repaint();
  Pump();
  EXPECT_FALSE(asked.empty());
  EXPECT_LE(int(asked.size()), lv->GetCountPerPage() + 2);
  EXPECT_EQ(lv->Items()->Items(99999)->Caption(), u"row 99999");
  lv->SetItemIndex(500);
  EXPECT_EQ(lv->Selected()->Index(), 500);
  // A thumb position past 16 bits comes from the scroll state's track position.
  SCROLLINFO si;
  si.fMask = SIF_TRACKPOS;
  si.nTrackPos = 70000;
  SetScrollInfo(lv->Handle(), SB_VERT, &si, FALSE);
  lv->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 70000 & 0xFFFF));
  EXPECT_EQ(lv->TopIndex(), 70000);
  // Typing asks the owner to find the row instead of fetching every one.
  std::string asked2;
  lv->OnDataFind = [&](TObject*, const String& s, int start, bool wrap, int& index) {
    asked2 = rtl::U8(s) + "@" + std::to_string(start) + (wrap ? " wrap" : "");
    index = 777;
  };
  lv->SetFocus();
  Pump();
  asked.clear();
  headless::TypeText(u"r");
  Pump();
  EXPECT_EQ(asked2, "r@501 wrap");
  EXPECT_EQ(lv->ItemIndex(), 777);
  // The page now shown (and a partial row), and the two items whose selection changed.
  EXPECT_LE(int(asked.size()), lv->GetCountPerPage() + 1 + 2);
}

TEST_F(ListViewTest, SubItemWritesRepaintTheRowAndDeletionKeepsTheSelection) {
  Fill(5);
  lv->SetItemIndex(3);
  lv->Items()->Delete(1);
  EXPECT_EQ(lv->ItemIndex(), 2);
  EXPECT_EQ(lv->Selected()->Caption(), u"3");
  Pump();
  RECT upd;
  lv->Items()->Items(0)->SubItems()->Strings(0);
  lv->Items()->Items(0)->SubItems()->Put(0, u"changed");
  EXPECT_TRUE(GetUpdateRect(lv->Handle(), &upd, FALSE));
  EXPECT_EQ(upd.Top, lv->Items()->Items(0)->DisplayRect(drBounds).Top);
  lv->Items()->Clear();
  EXPECT_EQ(lv->Selected(), nullptr);
}

TEST_F(ListViewTest, IconSmallIconAndListStylesPlaceAndHitItems) {
  Fill(12);
  for (TViewStyle style : {vsIcon, vsSmallIcon, vsList}) {
    lv->SetViewStyle(style);
    for (int i : {0, 1, 5}) {
      TRect r = lv->Items()->Items(i)->DisplayRect(drBounds);
      EXPECT_EQ(lv->GetItemAt(r.Left + 3, r.Top + 3), lv->Items()->Items(i)) << int(style) << " " << i;
    }
  }
}

}  // namespace
}  // namespace formstest
