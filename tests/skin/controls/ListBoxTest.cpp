// The skinned list box (scroll bars, height, caption buttons, input hooks,
// tab stops) and the combo box's edit style.
#include "tests/skin/controls/ListsCombosTestUtil.h"

namespace skinctltest {
namespace {

class ListBoxTest : public ListsTest {
 protected:
  TbsSkinListBox* List(int n, int h = 120) {
    auto* l = new TbsSkinListBox(form);
    l->SetParent(form);
    l->SetBounds(10, 10, 150, h);
    Fill(l->Items(), n);
    l->UpDateScrollBar();
    Pump();
    return l;
  }
};

TEST_F(ListBoxTest, HeightAndScrollBarFollowTheRows) {
  auto* l = List(0);
  EXPECT_EQ(l->CalcHeight(0), 4);
  EXPECT_EQ(l->ScrollBar, nullptr);
  l->SetRowCount(5);
  Fill(l->Items(), 5);
  l->UpDateScrollBar();
  EXPECT_EQ(l->Height(), l->CalcHeight(5));
  EXPECT_EQ(l->Height(), 5 * 20 + 4);
  EXPECT_EQ(l->ScrollBar, nullptr) << "five rows for five items need no bar";
  l->Items()->Add(u"sixth");
  l->UpDateScrollBar();
  ASSERT_NE(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ScrollBar->PageSize(), l->ListBox->Height() / 20);
  // The bar scrolls the inner list.
  l->ScrollBar->SetPosition(1);
  EXPECT_EQ(l->TopIndex(), 1);
  l->Clear();
  EXPECT_EQ(l->ScrollBar, nullptr);
}

TEST_F(ListBoxTest, HorizontalExtentShowsABarForWideRows) {
  auto* l = List(3);
  l->Items()->Add(u"a very long row that is wider than the list can show at once");
  l->SetHorizontalExtent(true);
  ASSERT_NE(l->HScrollBar, nullptr);
  EXPECT_EQ(l->ListBox->Top() + l->ListBox->Height(), l->HScrollBar->Top()) << "the list ends above the bar";
  l->SetFocus();
  l->ListBox->SetFocus();
  Pump();
  const int step = l->HScrollBar->SmallChange();
  EXPECT_GT(step, 0);
  Key(win::VK_RIGHT);
  EXPECT_EQ(l->ListBox->HorizontalExtentValue, step);
  l->SetHorizontalExtent(false);
  EXPECT_EQ(l->HScrollBar, nullptr);
  EXPECT_EQ(l->ListBox->HorizontalExtentValue, 0);
  // Growing the inner list gives the offset back.
  l->ListBox->HorizontalExtentValue = 50;
  l->ListBox->SetBounds(l->ListBox->Left(), l->ListBox->Top(), l->ListBox->Width() + 30, l->ListBox->Height());
  EXPECT_EQ(l->ListBox->HorizontalExtentValue, 20);
  l->ListBox->SetBounds(l->ListBox->Left(), l->ListBox->Top(), l->ListBox->Width() + 80, l->ListBox->Height());
  EXPECT_EQ(l->ListBox->HorizontalExtentValue, 0);
}

TEST_F(ListBoxTest, InputHooksRunBeforeTheListsOwnHandling) {
  auto* l = List(5);
  l->ListBox->OnClick = Logger("inner click");
  l->OnListBoxClick = Logger("list click");
  l->OnListBoxKeyDown = [this](TObject*, rtl::Word& key, forms::TShiftState) {
    log.push_back("keydown");
    if (key == win::VK_UP) key = 0;  // stops the move
  };
  l->ListBox->SetFocus();
  l->SetItemIndex(2);
  Pump();
  Key(win::VK_DOWN);
  EXPECT_EQ(l->ItemIndex(), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"keydown", "list click", "inner click"}));
  log.clear();
  Key(win::VK_UP);
  EXPECT_EQ(l->ItemIndex(), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"keydown"}));
}

TEST_F(ListBoxTest, CaptionButtonsStepAndRepeat) {
  auto* l = List(10);
  l->SetCaptionMode(true);
  l->ListBox->OnClick = Logger("inner click");
  l->OnListBoxClick = Logger("list click");
  l->SetItemIndex(1);
  Pump();
  l->Repaint();
  Pump();
  auto centre = [&](int i) {
    return Scr(l, (l->Buttons[i].R.Left + l->Buttons[i].R.Right) / 2, (l->Buttons[i].R.Top + l->Buttons[i].R.Bottom) / 2);
  };
  ASSERT_FALSE(IsEmptyRect(l->Buttons[0].R));
  // Held up button: one step on release, steps every 100 ms after 500 ms; stops at 0.
  win::headless::MouseMove(centre(0));
  Pump();
  win::headless::MouseDown(centre(0));
  Pump();
  Advance(450);
  EXPECT_EQ(l->ItemIndex(), 1);
  Advance(160);
  EXPECT_EQ(l->ItemIndex(), 0);
  Advance(300);
  EXPECT_EQ(l->ItemIndex(), 0) << "the first item is not passed";
  win::headless::MouseUp(centre(0));
  Pump();
  EXPECT_EQ(l->ItemIndex(), 0);
  // Down steps and stops at the last item.
  l->SetItemIndex(9);
  Click(centre(1));
  EXPECT_EQ(l->ItemIndex(), 9);
  // The check button is the inner list's click.
  log.clear();
  Click(centre(2));
  EXPECT_EQ(log, (std::vector<std::string>{"list click", "inner click"}));
  l->OnCheckButtonClick = Logger("check");
  log.clear();
  Click(centre(2));
  EXPECT_EQ(log, (std::vector<std::string>{"check"}));
}

TEST_F(ListBoxTest, TabStopsAndPaintToDcAnswers) {
  EXPECT_EQ(TabWidthToInt(u"40"), 40);
  EXPECT_EQ(TabWidthToInt(u"x1"), 0);
  EXPECT_EQ(TabWidthToInt(u""), 0);
  EXPECT_GT(TabWidthToInt(u"99999999999999999999999"), 0) << "long digit strings saturate instead of overflowing";
  rtl::TStringList w;
  for (int i = 0; i < 12; ++i) w.Add(i == 1 ? u"x1" : rtl::IntToStr(40 * (i + 1)));
  std::vector<int> stops = TabStopsOf(&w);
  ASSERT_EQ(stops.size(), 10u);
  EXPECT_EQ(stops[0], 40);
  EXPECT_EQ(stops[1], 0);
  EXPECT_EQ(stops[2], 120);

  auto* l = List(0);
  gdi::TBitmap b(50, 50);
  EXPECT_EQ(l->ListBox->Perform(MSG_SKIN_PAINT_CLIENT_TO_DC, win::WPARAM(b.Canvas()->Handle()), MSG_SKIN_PAINT_NC_KEY),
            MSG_SKIN_PAINT_NC_KEY);
  EXPECT_EQ(l->ListBox->Perform(MSG_SKIN_PAINT_TO_DC, 0, 0), MSG_SKIN_PAINT_TO_DC_ANSWER);
  l->Items()->Add(u"x");
  EXPECT_NE(l->ListBox->Perform(MSG_SKIN_PAINT_CLIENT_TO_DC, 0, MSG_SKIN_PAINT_NC_KEY), MSG_SKIN_PAINT_NC_KEY);
}

TEST_F(ListBoxTest, SkinnedRowsTakeTheSkinItemHeight) {
  TbsSkinData& s = ListSkin();
  auto* l = List(10);
  l->SetSkinData(&s);
  EXPECT_EQ(l->ListBox->ItemHeight(), 20);
  l->SetUseSkinItemHeight(false);
  l->SetDefaultItemHeight(26);
  EXPECT_EQ(l->ListBox->ItemHeight(), 26);
  l->SetSkinData(nullptr);
  l->ChangeSkinData();
  EXPECT_EQ(l->SkinIndex(), -1);
  EXPECT_EQ(l->ListBox->ItemHeight(), 26);
}

// Columns: the main bar runs across below the list, its range is the inner
// list's columns and its page the columns shown; bar and list follow each
// other, plain and skinned.
TEST_F(ListBoxTest, ColumnsScrollWithAHorizontalBar) {
  for (bool skinned : {false, true}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    auto* l = List(20, 120);
    if (skinned) l->SetSkinData(&ListSkin());
    l->Items()->Add(u"a row far wider than the list and its columns can ever show");
    l->SetHorizontalExtent(true);
    ASSERT_NE(l->HScrollBar, nullptr);
    l->Items()->Delete(20);
    l->SetColumns(2);
    EXPECT_EQ(l->HScrollBar, nullptr) << "no wide-row bar beside the column bar";
    ASSERT_NE(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ListBox->Columns(), 2);
    EXPECT_EQ(l->ScrollBar->Kind(), sbHorizontal);
    EXPECT_LE(l->ListBox->Top() + l->ListBox->Height(), l->ScrollBar->Top()) << "the list ends above the bar";
    EXPECT_EQ(l->ScrollBar->Width(), skinned ? l->RealClientWidth() : l->Width() - 2);
    const int rows = l->ListBox->Model().PageRows();
    EXPECT_EQ(rows, l->ListBox->Height() / l->ListBox->ItemHeight()) << "measured with the bar in place";
    EXPECT_EQ(l->ScrollBar->Min(), 0);
    EXPECT_EQ(l->ScrollBar->Max(), (20 + rows - 1) / rows - 1);
    EXPECT_EQ(l->ScrollBar->PageSize(), 2);
    EXPECT_EQ(l->ListBox->ItemRect(rows), rtl::Rect(l->ListBox->Width() / 2, 0, l->ListBox->Width() / 2 * 2,
                                                     l->ListBox->ItemHeight()));
    // The bar scrolls the columns; keys move the bar.
    l->ScrollBar->SetPosition(1);
    EXPECT_EQ(l->TopIndex(), rows);
    l->ListBox->SetFocus();
    Pump();
    Key(win::VK_END);
    EXPECT_EQ(l->ListBox->ItemIndex(), 19);
    EXPECT_EQ(l->ScrollBar->Position(), l->ScrollBar->Max() - 1);
    EXPECT_EQ(l->TopIndex(), (l->ScrollBar->Max() - 1) * rows);
    Key(win::VK_HOME);
    EXPECT_EQ(l->ScrollBar->Position(), 0);
    // Back to one column: the bar runs down again; few items need none.
    l->SetColumns(0);
    ASSERT_NE(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ScrollBar->Kind(), sbVertical);
    l->SetColumns(3);
    while (l->Items()->Count() > 5) l->Items()->Delete(l->Items()->Count() - 1);
    l->UpDateScrollBar();
    EXPECT_EQ(l->ScrollBar, nullptr);
    EXPECT_EQ(l->ListBox->Height() / l->ListBox->ItemHeight() >= 2, true);
    l->Free();
  }
}

// An item dragged from one skinned list box to another: the inner lists'
// drag events in order, the drop handler moves the row.
TEST_F(ListBoxTest, DraggingARowToAnotherListMovesIt) {
  TbsSkinData& s = ListSkin();
  auto* from = List(4);
  auto* to = List(1);
  to->SetLeft(200);
  from->SetSkinData(&s);
  to->SetSkinData(&s);
  from->SetListBoxDragMode(forms::dmAutomatic);
  EXPECT_EQ(from->ListBox->DragMode(), forms::dmAutomatic);
  std::vector<std::string> events;
  auto outer = [](rtl::TObject* o) { return static_cast<TbsListBox*>(o)->SkinListBox; };
  from->OnListBoxStartDrag() = [&](rtl::TObject* sender, forms::TDragObject*&) {
    events.push_back(outer(sender) == from ? "start" : "start?");
  };
  to->OnListBoxDragOver() = [&](rtl::TObject*, rtl::TObject* src, int, int, forms::TDragState st, bool& accept) {
    if (st == forms::dsDragEnter) events.push_back("enter");
    accept = src == from->ListBox;
  };
  to->OnListBoxDragDrop() = [&](rtl::TObject* sender, rtl::TObject* src, int x, int y) {
    events.push_back("drop");
    TbsSkinCustomListBox* source = outer(src);
    TbsSkinCustomListBox* target = outer(sender);
    const int i = source->ItemIndex();
    int at = target->ItemAtPos({x, y}, true);
    if (at < 0) at = target->Items()->Count();
    target->Items()->Insert(at, source->Items()->Get(i));
    source->Items()->Delete(i);
  };
  from->OnListBoxEndDrag() = [&](rtl::TObject*, rtl::TObject* t, int, int) {
    events.push_back(t == to->ListBox ? "end dropped" : "end");
  };
  TbsListBox* a = from->ListBox;
  const rtl::TRect r = a->ItemRect(2);
  const win::POINT p = a->ClientToScreen({r.Left + 10, r.Top + 5});
  win::headless::MouseMove(p);
  win::headless::MouseDown(p);
  Pump();
  EXPECT_EQ(from->ItemIndex(), 2) << "the press selects the row it drags";
  win::headless::MouseMove({p.X + 20, p.Y});
  Pump();
  win::headless::MouseMove(Scr(to->ListBox, 20, 40));
  Pump();
  EXPECT_EQ(win::GetCursor(), win::LoadCursorW(nullptr, win::IDC_DRAG));
  win::headless::MouseUp(Scr(to->ListBox, 20, 40));
  Pump();
  EXPECT_EQ(events, (std::vector<std::string>{"start", "enter", "drop", "end dropped"}));
  EXPECT_EQ(from->Items()->Count(), 3);
  EXPECT_EQ(from->Items()->IndexOf(u"item 2"), -1);
  ASSERT_EQ(to->Items()->Count(), 2);
  EXPECT_EQ(to->Items()->Get(1), u"item 2");
}

// ExtandedSelect off in a multi-select list: clicks and Space toggle single
// rows, Shift adds no range, arrows move only the caret.
TEST_F(ListBoxTest, ExtandedSelectOffTogglesRows) {
  auto* l = List(6, 200);  // every row in view
  l->SetMultiSelect(true);
  auto Row = [&](int i) {
    const rtl::TRect r = l->ListBox->ItemRect(i);
    return l->ListBox->ClientToScreen({r.Left + 10, r.Top + 5});
  };
  auto Selection = [&] {
    std::vector<int> v;
    for (int i = 0; i < l->Items()->Count(); ++i)
      if (l->GetSelected(i)) v.push_back(i);
    return v;
  };
  EXPECT_TRUE(l->ExtandedSelect());
  Click(Row(1));
  win::headless::KeyDown(win::VK_SHIFT);
  Click(Row(3));
  win::headless::KeyUp(win::VK_SHIFT);
  Pump();
  EXPECT_EQ(Selection(), (std::vector<int>{1, 2, 3})) << "extended: Shift selects a range";

  l->SetExtandedSelect(false);
  EXPECT_FALSE(l->ListBox->ExtendedSelect());
  win::headless::AdvanceClock(1000);
  Click(Row(5));
  EXPECT_EQ(Selection(), (std::vector<int>{1, 2, 3, 5})) << "a click adds the row";
  win::headless::AdvanceClock(1000);
  Click(Row(2));
  EXPECT_EQ(Selection(), (std::vector<int>{1, 3, 5})) << "and takes a selected one away";
  win::headless::KeyDown(win::VK_SHIFT);
  win::headless::AdvanceClock(1000);
  Click(Row(0));
  win::headless::KeyUp(win::VK_SHIFT);
  Pump();
  EXPECT_EQ(Selection(), (std::vector<int>{0, 1, 3, 5})) << "Shift adds no range";
  win::headless::PressKey(win::VK_DOWN);
  win::headless::PressKey(win::VK_DOWN);
  Pump();
  EXPECT_EQ(l->ItemIndex(), 2) << "the caret moved";
  EXPECT_EQ(Selection(), (std::vector<int>{0, 1, 3, 5})) << "the selection did not";
  win::headless::PressKey(win::VK_SPACE, u" ");
  Pump();
  EXPECT_EQ(Selection(), (std::vector<int>{0, 1, 2, 3, 5}));
}

// ------------------------------------------------------------------ edit style
class EditStyleTest : public ListsTest {
 protected:
  class TCombo : public TbsSkinComboBox {
   public:
    explicit TCombo(TComponent* o) : TbsSkinComboBox(o) {}
    std::vector<std::string>* Log = nullptr;
    void Change() override {
      if (Log) Log->push_back("Change");
    }
  };
  TCombo* Combo() {
    auto* c = MakeCombo<TCombo>();
    for (const char16_t* s : {u"alpha", u"beta", u"gamma", u"delta"}) c->Items()->Add(s);
    c->Log = &log;
    return c;
  }
};

TEST_F(EditStyleTest, SwitchingCopiesTheTextAndMovesTheTabStop) {
  auto* c = Combo();
  c->SetItemIndex(1);
  c->SetStyle(bscbEditStyle);
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_EQ(c->Edit()->Text(), u"beta");
  EXPECT_FALSE(c->TabStop());
  EXPECT_TRUE(c->Edit()->TabStop());
  EXPECT_GE(c->Edit()->Left(), c->CBItem.R.Left);
  c->SetStyle(bscbFixedStyle);
  EXPECT_EQ(c->Edit(), nullptr);
  EXPECT_EQ(c->SelStart(), 0);
}

TEST_F(EditStyleTest, TypingChangesTextAndArrowsStep) {
  auto* c = Combo();
  c->SetStyle(bscbEditStyle);
  c->Edit()->SetFocus();
  Pump();
  Events(c);
  Advance(300);
  Type(u'g');
  EXPECT_EQ(c->Text(), u"gamma") << "completed from the list";
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Edit()->SelStart(), 1);
  EXPECT_EQ(c->Edit()->SelLength(), 4);
  log.clear();
  c->Edit()->SetText(u"de");
  EXPECT_EQ(log, (std::vector<std::string>{"change", "Change"}));
  c->SetItemIndex(2);
  log.clear();
  Key(win::VK_UP);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(c->Edit()->Text(), u"beta");
  EXPECT_EQ(log, (std::vector<std::string>{"change", "click", "Change", "click"})) << "OnClick twice, Change once";
  log.clear();
  Key(win::VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "click"})) << "OnClick once, no Change";
  // The drop-down in the edit style: Enter puts the entry into the edit, all selected.
  Key(win::VK_F4);
  ASSERT_TRUE(c->IsPopupVisible());
  c->ListBox()->ListBox->SetItemIndex(3);
  Key(win::VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->Edit()->Text(), u"delta");
  EXPECT_EQ(c->Edit()->SelLength(), 5);
}

// The inner edit's text colour: the skin's font colour, the hot one while the
// pointer is over the combo box, the disabled one while it is disabled; the
// default font's colour without a skin.
TEST_F(EditStyleTest, InnerEditColourFollowsHoverAndDisable) {
  TbsSkinData& s = ListSkin();
  auto* c = Combo();
  c->SetStyle(bscbEditStyle);
  c->SetSkinData(&s);
  Pump();
  ASSERT_NE(c->Edit(), nullptr);
  EXPECT_EQ(c->Edit()->Font()->Color(), 0x111111);
  const rtl::TRect b = c->Button.R;
  win::headless::MouseMove(Scr(c, (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2));
  Pump();
  ASSERT_TRUE(c->MouseInControl());
  EXPECT_EQ(c->Edit()->Font()->Color(), 0x222222) << "hot";
  win::headless::MouseMove(Scr(c, c->Width() + 40, c->Height() + 40));
  Pump();
  EXPECT_EQ(c->Edit()->Font()->Color(), 0x111111) << "back to normal on leaving";
  c->SetEnabled(false);
  EXPECT_EQ(c->Edit()->Font()->Color(), gdi::clGrayText) << "the skin has no \"edit\" colours";
  c->SetEnabled(true);
  EXPECT_EQ(c->Edit()->Font()->Color(), 0x111111);
  c->SetSkinData(nullptr);
  c->ChangeSkinData();
  c->SetEnabled(false);
  c->SetEnabled(true);
  EXPECT_EQ(c->Edit()->Font()->Color(), c->DefaultFont()->Color()) << "plain look: the default font's colour";
}

TEST_F(EditStyleTest, AutoCompletionAtMostOncePer200Ms) {
  auto* c = Combo();
  c->Items()->Add(u"gammaray");
  c->SetStyle(bscbEditStyle);
  c->Edit()->SetFocus();
  Pump();
  Advance(300);
  Type(u'd');
  EXPECT_EQ(c->Text(), u"delta");
  c->Edit()->SetText(u"gamma");
  c->Edit()->SetSelStart(5);
  Type(u'r');  // within 200 ms of the last completion: typed as is
  EXPECT_EQ(c->Text(), u"gammar");
}

}  // namespace
}  // namespace skinctltest
