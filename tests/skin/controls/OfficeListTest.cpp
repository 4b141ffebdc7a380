// Office items, the office list box and the office combo box: headers,
// disabled entries, keys, scrolling, the choice events and the drop-down.
#include "tests/skin/controls/ListsCombosTestUtil.h"

namespace skinctltest {
namespace {

class OfficeListTest : public ListsTest {
 protected:
  // Entries with titles; the indexes in Headers are headers, in Disabled disabled.
  static void FillOffice(TbsSkinOfficeItems* items, int n, std::vector<int> Headers = {}, std::vector<int> Disabled = {}) {
    for (int i = 0; i < n; ++i) {
      TbsSkinOfficeItem* it = items->Add();
      it->SetTitle(u"title " + rtl::IntToStr(i));
      it->SetCaption(u"caption " + rtl::IntToStr(i));
      it->SetImageIndex(i % 3);
      if (std::find(Headers.begin(), Headers.end(), i) != Headers.end()) it->SetHeader(true);
      if (std::find(Disabled.begin(), Disabled.end(), i) != Disabled.end()) it->SetEnabled(false);
    }
  }
  TbsSkinOfficeListBox* List(int n, std::vector<int> Headers = {}, std::vector<int> Disabled = {}, int itemH = 30) {
    auto* l = new TbsSkinOfficeListBox(form);
    l->SetParent(form);
    l->SetBounds(10, 10, 200, 150);
    l->SetItemHeight(itemH);
    FillOffice(l->Items(), n, Headers, Disabled);
    l->OnItemClick = Logger("itemclick");
    for (int i = 0; i < n; ++i) l->Items()->Items(i)->OnClick = Logger("item" + std::to_string(i));
    Pump();
    return l;
  }
};

TEST_F(OfficeListTest, ItemsDefaultsAssignAndChangeNotices) {
  auto* l = List(0);
  TbsSkinOfficeItem* it = l->Items()->Add();
  EXPECT_FALSE(it->Header());
  EXPECT_TRUE(it->Enabled());
  EXPECT_EQ(it->ImageIndex(), -1);
  EXPECT_EQ(it->Caption(), u"");
  EXPECT_EQ(it->Title(), u"");
  int data = 7;
  it->SetData(&data);
  it->OnClick = Logger("x");
  it->SetCaption(u"c");
  it->SetTitle(u"t");
  it->SetHeader(true);
  TbsSkinOfficeItem* copy = l->Items()->Add();
  copy->Assign(it);
  EXPECT_EQ(copy->Caption(), u"c");
  EXPECT_EQ(copy->Title(), u"t");
  EXPECT_TRUE(copy->Header());
  EXPECT_EQ(copy->Data(), nullptr);
  EXPECT_FALSE(copy->OnClick);
  EXPECT_THROW(l->Items()->Items(5), rtl::EListError);

  // With ItemIndex 0, a cleared and refilled list highlights its new first item.
  l->SetItemIndex(0);
  l->Items()->Clear();
  l->Items()->Add();
  l->Items()->Add();
  EXPECT_TRUE(l->Items()->Items(0)->Active);
  EXPECT_FALSE(l->Items()->Items(1)->Active);
}

TEST_F(OfficeListTest, ScrollRangeFollowsTheItems) {
  auto* l = List(2, {}, {}, 60);
  l->UpdateScrollInfo();
  EXPECT_EQ(RectHeight(l->ItemsRect()), 146);
  EXPECT_EQ(l->ScrollBar, nullptr);
  FillOffice(l->Items(), 8);  // a caption change refreshes the range
  ASSERT_NE(l->ScrollBar, nullptr);
  EXPECT_EQ(l->ScrollBar->Max(), 600);
  EXPECT_EQ(l->ScrollBar->PageSize(), 146);
  l->ScrollToItem(9);
  EXPECT_GT(l->ScrollOffset(), 0);
  // Header at 0: scrolling to item 1 shows the header too.
  l->Items()->Items(0)->SetHeader(true);
  l->ScrollToItem(1);
  EXPECT_EQ(l->ScrollOffset(), 0);
}

TEST_F(OfficeListTest, KeysSkipHeadersAndDisabledEntries) {
  auto* l = List(12, {0, 4, 8}, {6});
  const struct {
    int from;
    int vk;
    int to;
  } cases[] = {
      {-1, win::VK_DOWN, 1}, {3, win::VK_DOWN, 5},  {5, win::VK_DOWN, 7},  {5, win::VK_UP, 3},   {1, win::VK_UP, 1},
      {7, win::VK_RIGHT, 9}, {9, win::VK_LEFT, 7}, {2, win::VK_NEXT, 5},  {11, win::VK_NEXT, 11}, {10, win::VK_PRIOR, 7},
  };
  l->SetFocus();
  Pump();
  for (auto& k : cases) {
    l->SetItemActive(k.from);
    log.clear();
    Key(k.vk);
    EXPECT_EQ(l->ItemIndex(), k.to) << k.from << " key " << k.vk;
    if (k.to != k.from) {
      EXPECT_EQ(log, (std::vector<std::string>{"item" + std::to_string(k.to), "itemclick"})) << k.from;
    }
  }
}

TEST_F(OfficeListTest, MouseHighlightsAndTheReleaseChooses) {
  auto* l = List(5, {0}, {3});
  l->MouseMoveChangeIndex = true;
  l->CalcItemRects();
  auto centre = [&](int i) {
    rtl::TRect r = l->Items()->Items(i)->ItemRect;
    return Scr(l, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  };
  win::headless::MouseMove(centre(2));
  Pump();
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_TRUE(l->Items()->Items(2)->Active);
  EXPECT_TRUE(log.empty()) << "the highlight alone fires nothing";
  Click(centre(0));  // a header: nothing changes
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(l->ItemAtPos((l->Items()->Items(3)->ItemRect.Left + 5), l->Items()->Items(3)->ItemRect.Top + 5), -1)
      << "a disabled entry is not found";
  Click(centre(4));
  EXPECT_EQ(log, (std::vector<std::string>{"item4", "itemclick"}));
  // ItemIndex -1 keeps the highlight.
  l->SetItemIndex(-1);
  EXPECT_EQ(l->ItemIndex(), -1);
  EXPECT_TRUE(l->Items()->Items(4)->Active);
}

class OfficeComboTest : public OfficeListTest {
 protected:
  TbsSkinOfficeComboBox* Office(int n = 10, std::vector<int> Headers = {0}) {
    auto* c = MakeCombo<TbsSkinOfficeComboBox>(20, 20, 200, 41);
    c->SetListBoxItemHeight(50);
    FillOffice(c->Items(), n, Headers);
    Events(c);
    return c;
  }
};

TEST_F(OfficeComboTest, EveryItemIndexWriteFiresClickThenChange) {
  auto* c = Office();
  c->SetItemIndex(2);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
  log.clear();
  c->SetItemIndex(2);  // the same index again
  EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
  log.clear();
  c->SetFocus();
  c->SetItemIndex(1);
  log.clear();
  Key(win::VK_UP);  // on the first selectable item: no move, still both events
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
  log.clear();
  Key(win::VK_DOWN);
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
}

TEST_F(OfficeComboTest, DropDownSizeAndPlacement) {
  auto* c = Office(10, {});
  c->SetDropDownCount(4);
  c->SetListBoxItemHeight(60);
  c->DropDown();
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_EQ(c->ListBox()->Height(), 4 * 60 + 5);
  c->CloseUp(false);
  c->Items()->Clear();
  FillOffice(c->Items(), 2);
  c->DropDown();
  EXPECT_EQ(c->ListBox()->Height(), 2 * 60 + 5);
  c->CloseUp(false);
  // A wider list extends to the left: right edges meet.
  c->ListBoxWidth = 300;
  c->DropDown();
  win::RECT lr;
  win::GetWindowRect(c->ListBox()->Handle(), &lr);
  EXPECT_EQ(lr.Right, Scr(c, c->Width(), 0).X);
  EXPECT_EQ(lr.Top, Scr(c, 0, c->Height()).Y);
  c->CloseUp(false);
  // The popup's OnDrawItem is replaced by the combo box's at each drop-down.
  c->ListBox()->OnDrawItem = [this](gdi::TCanvas*, int, const rtl::TRect&) { log.push_back("stray"); };
  c->DropDown();
  EXPECT_FALSE(c->ListBox()->OnDrawItem);
}

TEST_F(OfficeComboTest, MouseOpenHoverAndChoose) {
  auto* c = Office();
  c->SetItemIndex(2);
  log.clear();
  Click(ButtonPoint(c));
  ASSERT_TRUE(c->IsPopupVisible());
  win::headless::MouseMove(RowPoint(c, 3));
  Pump();
  EXPECT_EQ(c->ListBox()->ItemIndex(), 3) << "hovering moves the highlight";
  Click(RowPoint(c, 3));
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 3);
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "click", "change", "closeup"}));
  // Opened and cancelled: the old choice comes back without events.
  Click(ButtonPoint(c));
  win::headless::MouseMove(RowPoint(c, 5));
  Pump();
  log.clear();
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 3);
  EXPECT_TRUE(log.empty());
}

TEST_F(OfficeComboTest, WheelKeysAndSkinNameSurvivesUnskinning) {
  auto* c = Office();
  c->SetFocus();
  c->SetItemIndex(1);
  Pump();
  log.clear();
  win::headless::Wheel(Scr(c, 5, 5), -120);
  Pump();
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(log, (std::vector<std::string>{"click", "change"}));
  AltKey(win::VK_DOWN);
  EXPECT_TRUE(c->IsPopupVisible());
  Key(win::VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());

  TbsSkinData& s = ListSkin();
  c->SetListBoxSkinDataName(u"listbox");
  c->SetSkinData(&s);
  EXPECT_EQ(c->ListBox()->SkinDataName(), u"listbox");
  c->SetSkinData(nullptr);
  c->ChangeSkinData();
  EXPECT_EQ(c->ListBox()->SkinDataName(), u"");
  c->SetSkinData(&s);
  EXPECT_EQ(c->ListBox()->SkinDataName(), u"listbox");
}

}  // namespace
}  // namespace skinctltest
