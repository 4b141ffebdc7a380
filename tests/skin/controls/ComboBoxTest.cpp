// The skinned combo box: the ItemIndex-write events, the drop-down by mouse,
// keys and wheel, incremental search and the closing rules.
#include "tests/skin/controls/ListsCombosTestUtil.h"

namespace skinctltest {
namespace {

// Records the Change hook in the same log as the events.
class TLoggedCombo : public TbsSkinComboBox {
 public:
  explicit TLoggedCombo(TComponent* o) : TbsSkinComboBox(o) {}
  std::vector<std::string>* Log = nullptr;
  void Change() override {
    if (Log) Log->push_back("Change");
  }
};

class ComboBoxTest : public ListsTest {
 protected:
  TLoggedCombo* Combo(int n = 12) {
    auto* c = MakeCombo<TLoggedCombo>();
    Fill(c->Items(), n);
    c->Log = &log;
    Events(c);
    return c;
  }
};

TEST_F(ComboBoxTest, ItemIndexWriteFiresChangeOnlyWhenTheShownTextChanges) {
  auto* c = Combo(5);
  struct Case {
    const char* what;
    std::function<void()> act;
    int index;
    const char16_t* text;
    std::vector<std::string> events;
  } cases[] = {
      {"first write", [&] { c->SetItemIndex(2); }, 2, u"item 2", {"change", "click", "Change"}},
      {"same index again", [&] { c->SetItemIndex(2); }, 2, u"item 2", {"click", "Change"}},
      {"another index", [&] { c->SetItemIndex(3); }, 3, u"item 3", {"change", "click", "Change"}},
      {"-1 keeps the text", [&] { c->SetItemIndex(-1); }, -1, u"item 3", {"click", "Change"}},
      {"past the end selects nothing new", [&] { c->SetItemIndex(9); }, -1, u"item 3", {"click", "Change"}},
      {"after Clear the old text stays",
       [&] {
         c->Items()->Clear();
         Fill(c->Items(), 5);
         c->SetItemIndex(3);
       },
       3, u"item 3", {"click", "Change"}},
  };
  for (auto& k : cases) {
    log.clear();
    k.act();
    EXPECT_EQ(c->ItemIndex(), k.index) << k.what;
    EXPECT_EQ(c->Text(), k.text) << k.what;
    EXPECT_EQ(log, k.events) << k.what;
  }
}

TEST_F(ComboBoxTest, MouseOpensTheListAndAClickOnAnEntryChoosesIt) {
  auto* c = Combo();
  c->SetItemIndex(1);
  log.clear();
  Click(ButtonPoint(c));
  ASSERT_TRUE(c->IsPopupVisible());
  EXPECT_TRUE(c->Focused());
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown"}));
  // The list lies below the face, as wide as the face, DropDownCount rows.
  win::RECT lr;
  win::GetWindowRect(c->ListBox()->Handle(), &lr);
  EXPECT_EQ(lr.Top, Scr(c, 0, c->Height()).Y);
  EXPECT_EQ(lr.Right - lr.Left, c->Width());
  EXPECT_EQ(c->ListBox()->RowCount(), 8);
  // Hovering moves the list's highlight only; the face keeps the old entry.
  win::headless::MouseMove(RowPoint(c, 4));
  Pump();
  EXPECT_EQ(c->ListBox()->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), u"item 1");
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown"}));
  Click(RowPoint(c, 4));
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), u"item 4");
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "change", "click", "Change", "closeup"}));
  EXPECT_TRUE(c->Focused()) << "the popup never takes the focus";
}

TEST_F(ComboBoxTest, PressDragAndReleaseOnAnEntryChooses) {
  auto* c = Combo();
  win::POINT b = ButtonPoint(c);
  win::headless::MouseMove(b);
  Pump();
  win::headless::MouseDown(b);
  Pump();
  ASSERT_TRUE(c->IsPopupVisible());
  win::headless::MouseMove(RowPoint(c, 3));
  Pump();
  win::headless::MouseUp(RowPoint(c, 3));
  Pump();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 3);
}

TEST_F(ComboBoxTest, DraggingBelowTheListScrollsItEvery25Ms) {
  auto* c = Combo(20);
  win::POINT b = ButtonPoint(c);
  win::headless::MouseMove(b);
  Pump();
  win::headless::MouseDown(b);
  Pump();
  ASSERT_NE(c->ListBox()->ScrollBar, nullptr);
  win::headless::MouseMove(RowPoint(c, 2));
  Pump();
  EXPECT_EQ(c->ListBox()->ItemIndex(), 2);
  win::RECT lr;
  win::GetWindowRect(c->ListBox()->Handle(), &lr);
  win::headless::MouseMove({lr.Left + 10, lr.Bottom + 30});
  Pump();
  EXPECT_EQ(c->TimerModeValue(), 2);
  Advance(100);
  EXPECT_GE(c->ListBox()->ItemIndex(), 5);
  EXPECT_EQ(c->ItemIndex(), c->ListBox()->ItemIndex());
  EXPECT_TRUE(log.size() == 1 && log[0] == "dropdown") << "scrolling fires nothing";
  win::headless::MouseUp({lr.Left + 10, lr.Bottom + 30});
  Pump();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->TimerModeValue(), 0);
  EXPECT_EQ(c->ItemIndex(), -1) << "released outside: the old (empty) choice";
}

TEST_F(ComboBoxTest, ReleaseOutsideAfterVisitingTheListCancels) {
  auto* c = Combo();
  c->SetItemIndex(2);
  log.clear();
  win::POINT b = ButtonPoint(c);
  win::headless::MouseMove(b);
  Pump();
  win::headless::MouseDown(b);
  Pump();
  win::headless::MouseMove(RowPoint(c, 5));
  Pump();
  EXPECT_EQ(c->ListBox()->ItemIndex(), 5);
  win::POINT out = form->ClientToScreen({390, 10});
  win::headless::MouseMove(out);
  Pump();
  win::headless::MouseUp(out);
  Pump();
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 2) << "the old choice comes back";
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown"}));
}

TEST_F(ComboBoxTest, ClickOutsideEscapeFocusLossAndMovingTheFormClose) {
  auto* c = Combo();
  auto* other = Make<forms::TButton>(form, 20, 200, 80, 25, u"x");
  Pump();
  c->SetItemIndex(1);
  const struct {
    const char* what;
    std::function<void()> close;
  } closers[] = {
      {"click elsewhere in the form", [&] { Click(form->ClientToScreen({300, 250})); }},
      {"click on another control", [&] { Click(Scr(other, 10, 10)); }},
      {"escape", [&] { Key(win::VK_ESCAPE); }},
      {"focus to another control", [&] { other->SetFocus(); Pump(); }},
      {"the form moves", [&] { form->SetBounds(form->Left() + 30, form->Top() + 10, form->Width(), form->Height()); Pump(); }},
  };
  for (auto& k : closers) {
    c->SetFocus();
    Pump();
    c->DropDown();
    Pump();
    ASSERT_TRUE(c->IsPopupVisible()) << k.what;
    c->ListBox()->ListBox->SetItemIndex(6);
    log.clear();
    k.close();
    EXPECT_FALSE(c->IsPopupVisible()) << k.what;
    EXPECT_EQ(c->ItemIndex(), 1) << k.what;
    EXPECT_EQ(log, std::vector<std::string>{}) << k.what;
  }
}

TEST_F(ComboBoxTest, KeysOpenCloseAndStep) {
  auto* c = Combo();
  c->SetFocus();
  Pump();
  c->SetItemIndex(3);
  log.clear();
  AltKey(win::VK_DOWN);
  EXPECT_TRUE(c->IsPopupVisible());
  Key(win::VK_DOWN);  // steps through the setter even while open
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(c->Text(), u"item 4");
  Key(win::VK_RETURN);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(log, (std::vector<std::string>{"dropdown", "change", "click", "Change", "click", "Change", "closeup"}));
  Key(win::VK_F4);
  EXPECT_TRUE(c->IsPopupVisible());
  c->ListBox()->ListBox->SetItemIndex(9);
  Key(win::VK_ESCAPE);
  EXPECT_FALSE(c->IsPopupVisible());
  EXPECT_EQ(c->ItemIndex(), 4);
  Key(win::VK_F4);
  AltKey(win::VK_UP);
  EXPECT_FALSE(c->IsPopupVisible());

  // Page keys step DropDownCount + 1 rows up and DropDownCount - 1 down.
  const struct {
    int from, vk, to;
  } steps[] = {{10, win::VK_PRIOR, 1}, {0, win::VK_NEXT, 7}, {-1, win::VK_NEXT, 6}, {5, win::VK_HOME, 5},
               {5, win::VK_END, 5},    {0, win::VK_UP, 0},    {11, win::VK_DOWN, 11}};
  for (auto& s : steps) {
    c->SetItemIndex(s.from);
    Key(s.vk);
    EXPECT_EQ(c->ItemIndex(), s.to) << s.from << " key " << s.vk;
  }
}

TEST_F(ComboBoxTest, WheelStepsTheChoiceOrOnlyTheOpenList) {
  auto* c = Combo();
  c->SetFocus();
  c->SetItemIndex(3);
  Pump();
  log.clear();
  win::headless::Wheel(Scr(c, 5, 5), -120);
  Pump();
  EXPECT_EQ(c->ItemIndex(), 4);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "click", "Change"}));
  c->DropDown();
  log.clear();
  win::headless::Wheel(Scr(c, 5, 5), 120);
  Pump();
  EXPECT_EQ(c->ListBox()->ItemIndex(), 3);
  EXPECT_EQ(c->Text(), u"item 4");
  EXPECT_EQ(log, std::vector<std::string>{});
}

TEST_F(ComboBoxTest, TypeAheadFindsByPrefixAndRestartsAfterAPause) {
  auto* c = MakeCombo<TbsSkinComboBox>();
  for (const char16_t* s : {u"apple", u"banana", u"avocado", u"blueberry", u"apricot"}) c->Items()->Add(s);
  c->SetFocus();
  Pump();
  Type(u'a');
  EXPECT_EQ(c->ItemIndex(), 0);
  Advance(600);
  Type(u'a');  // one letter after a pause searches on from the choice
  EXPECT_EQ(c->ItemIndex(), 2);
  Advance(600);
  Type(u'a');
  EXPECT_EQ(c->ItemIndex(), 4);
  Advance(600);
  Type(u'b');
  Type(u'l');  // within 500 ms: "bl" from the start
  EXPECT_EQ(c->Text(), u"blueberry");
  c->AutoComplete = false;
  Type(u'b');  // without auto-completion each letter alone
  EXPECT_EQ(c->Text(), u"banana");
}

TEST_F(ComboBoxTest, CancelModeFromAnotherControlCloses) {
  auto* c = Combo();
  c->DropDown();
  c->Perform(forms::CM_CANCELMODE, 0, win::LPARAM(reinterpret_cast<std::intptr_t>(c->ListBox()->ListBox)));
  EXPECT_TRUE(c->IsPopupVisible());
  c->Perform(forms::CM_CANCELMODE, 0, win::LPARAM(reinterpret_cast<std::intptr_t>(form)));
  EXPECT_FALSE(c->IsPopupVisible());
}

TEST_F(ComboBoxTest, DropDownFlipsAboveAtTheBottomOfTheWorkArea) {
  win::RECT wa;
  win::SystemParametersInfoW(win::SPI_GETWORKAREA, 0, &wa, 0);
  form->SetBounds(100, wa.Bottom - 120, 400, 100);
  Pump();
  auto* c = Combo();
  c->DropDown();
  win::RECT lr;
  win::GetWindowRect(c->ListBox()->Handle(), &lr);
  EXPECT_EQ(lr.Bottom, Scr(c, 0, 0).Y);
  EXPECT_EQ(c->ListBox()->RowCount(), 8);
  c->CloseUp(false);
  c->Items()->Clear();
  Fill(c->Items(), 3);
  c->DropDown();
  EXPECT_EQ(c->ListBox()->RowCount(), 3);
}

TEST_F(ComboBoxTest, SkinnedFaceAndListFollowTheSkin) {
  TbsSkinData& s = ListSkin();
  auto* c = Combo();
  c->SetSkinData(&s);
  Pump();
  EXPECT_NE(c->SkinIndex(), -1);
  EXPECT_EQ(c->ListBox()->SkinDataName(), u"listbox");
  c->DropDown();
  Pump();
  EXPECT_EQ(c->ListBox()->ListBox->ItemHeight(), 20) << "rows take the skin's item height";
  c->CloseUp(false);
  c->SetSkinData(nullptr);
  c->ChangeSkinData();
  EXPECT_EQ(c->ListBox()->SkinDataName(), u"");
}

}  // namespace
}  // namespace skinctltest

namespace skinctltest {
namespace {

class ComboFaceTest : public ListsTest {};

TEST_F(ComboFaceTest, PlainFaceShowsTheFocusAndTheSkinnedBodyTheHover) {
  auto* c = MakeCombo<TbsSkinComboBox>();
  Fill(c->Items(), 4);
  c->SetItemIndex(1);
  auto* other = Make<forms::TButton>(form, 20, 200, 80, 25, u"x");
  other->SetFocus();
  Pump();
  const int x = c->CBItem.R.Right - 4, y = (c->CBItem.R.Top + c->CBItem.R.Bottom) / 2;
  EXPECT_EQ(PixelAt(c, x, y), Rgb(gdi::ColorToRGB(gdi::clWindow))) << "DefaultColor without the focus";
  c->SetFocus();
  Pump();
  EXPECT_EQ(PixelAt(c, x, y), Rgb(gdi::ColorToRGB(gdi::clHighlight))) << "highlighted with the focus";
  // The face keeps the old entry while the open list follows the pointer.
  c->DropDown();
  c->ListBox()->ListBox->SetItemIndex(3);
  log.clear();
  c->OnChange = Logger("change");
  gdi::TBitmap open(c->Width(), c->Height());
  c->PaintSkinTo(open.Canvas(), 0, 0, u"other text");
  EXPECT_EQ(c->Text(), u"item 1");
  EXPECT_TRUE(log.empty()) << "painting a text into a canvas fires no change";
  c->CloseUp(false);

  TbsSkinData& s = ListSkin();
  c->SetSkinData(&s);
  other->SetFocus();
  Leave();
  EXPECT_EQ(PixelAt(c, 2, 2), Rgb(kNormal));
  Enter(c);
  EXPECT_EQ(PixelAt(c, 2, 2), Rgb(kHot)) << "the hot body under the pointer";
}

}  // namespace
}  // namespace skinctltest

namespace skinctltest {
namespace {

class ComboFaceTextTest : public ListsTest {
 protected:
  // Pixels of the face's item area painted in colour Want (within a small
  // distance, for the edges of anti-aliased glyphs).
  int CountOf(TbsSkinComboFace* c, rtl::TColor Want) {
    gdi::TBitmap b(c->Width(), c->Height());
    c->PaintSkinTo(b.Canvas(), 0, 0, u"MMMM");
    const std::uint32_t w = Rgb(Want);
    int n = 0;
    for (int y = c->CBItem.R.Top; y < c->CBItem.R.Bottom; ++y)
      for (int x = c->CBItem.R.Left; x < c->CBItem.R.Right; ++x) {
        const std::uint32_t p = b.GetSurface()->GetPixel(x, y) & 0xFFFFFF;
        int d = 0;
        for (int s = 0; s < 24; s += 8) d += std::abs(int((p >> s) & 0xFF) - int((w >> s) & 0xFF));
        if (d < 40) ++n;
      }
    return n;
  }
};

// The focused face shows its text in the skin's focus colour on the focus
// picture; while its list is open the face is drawn unfocused, and so is its
// text: the focus colour on the normal picture may be unreadable (white on
// white under several stored skins).
TEST_F(ComboFaceTextTest, OpenListShowsTheFaceTextInTheUnfocusedColour) {
  TbsSkinData& s = ListSkin();
  // Text colours far apart, and room for the text on the face.
  auto* d = dynamic_cast<TbsDataSkinComboBox*>(SkinDescriptionAt(&s, s.GetControlIndex(u"combobox")));
  ASSERT_NE(d, nullptr);
  d->FontColor = d->ActiveFontColor = 0x000000;
  d->FocusFontColor = 0x00FFFF;
  d->ItemTextRect = {3, 0, 14, 20};
  auto* combo = MakeCombo<TbsSkinComboBox>();
  Fill(combo->Items(), 4);
  combo->SetItemIndex(1);
  combo->SetName(u"combo");
  auto* office = MakeCombo<TbsSkinOfficeComboBox>(20, 60, 200, 41);
  office->SetName(u"office");
  office->Items()->Add()->SetCaption(u"MMMM");
  office->SetItemIndex(0);
  for (TbsSkinComboFace* c : std::initializer_list<TbsSkinComboFace*>{combo, office}) {
    c->SetSkinData(&s);
    c->SetFocus();
    Pump();
    EXPECT_GT(CountOf(c, c->FocusFontColor), 0) << "focused, list closed: " << rtl::U8(c->Name());
    c->DropDown();
    Pump();
    ASSERT_TRUE(c->IsPopupVisible());
    EXPECT_EQ(CountOf(c, c->FocusFontColor), 0) << "list open: " << rtl::U8(c->Name());
    c->CloseUp(false);
    Pump();
  }
}

}  // namespace
}  // namespace skinctltest
