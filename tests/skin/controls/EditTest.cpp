// The edit base and the skinned edit: keys and selection, read-only refusal,
// dialog keys, the context menu, geometry and heights, the edit button and
// image buttons, and the skinned looks by state.
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "tests/skin/controls/EditsTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

using forms::TMenuItem;
using forms::TPopupMenu;

class EditTest : public EditsTest {
 protected:
  TbsSkinEdit* MakeEdit(int w = 200, const char16_t* text = u"") {
    auto* e = Make<TbsSkinEdit>(form, 20, 20, w, 20);
    e->SetText(text);
    Pump();
    return e;
  }
  void Focus(forms::TWinControl* c) {
    c->SetFocus();
    Pump();
  }
  void Ctrl(int vk) {
    win::headless::KeyDown(win::VK_CONTROL);
    win::headless::PressKey(vk);
    win::headless::KeyUp(win::VK_CONTROL);
    Pump();
  }
  void ShiftKey(int vk) {
    win::headless::KeyDown(win::VK_SHIFT);
    win::headless::PressKey(vk);
    win::headless::KeyUp(win::VK_SHIFT);
    Pump();
  }
  void Type(const std::u16string& s) {
    for (char16_t c : s) win::headless::PressKey(0x41, std::u16string(1, c));
    Pump();
  }
  void SetClipboard(const std::u16string& s) {
    ASSERT_TRUE(win::OpenClipboard(form->Handle()));
    win::EmptyClipboard();
    if (!s.empty()) win::SetClipboardText(s);
    win::CloseClipboard();
  }
  std::u16string Clipboard() {
    std::u16string s;
    if (win::OpenClipboard(form->Handle())) {
      win::GetClipboardText(&s);
      win::CloseClipboard();
    }
    return s;
  }
  // Right-click request at a screen point; the shown menu (or null).
  // The frame's menu engine as the edit's menu finds it: records the menu.
  struct RecordingEngine : skin::TbsSkinMenuEngine {
    TPopupMenu* shown = nullptr;
    forms::TControl* control = nullptr;
    win::POINT at{};
    TbsSkinData* menuSkin = nullptr;  // the frame's skin data; none: the edit's menu stays shut
    void CloseSkinMenu() override {}
    void PopupSkinMenu(skin::TbsSkinPopupMenu* m, rtl::TRect r, bool, forms::TControl* c) override {
      shown = m;
      control = c;
      at = {r.Left, r.Top};
    }
    TbsSkinData* MenusSkinData() override { return menuSkin; }
  };
  TbsSkinData frameSkinData{nullptr};
  bool frameHasSkin = true;
  TPopupMenu* ContextMenu(forms::TWinControl* c, int x, int y, win::POINT* at = nullptr) {
    static RecordingEngine engine;
    engine = RecordingEngine{};
    engine.menuSkin = frameHasSkin ? &frameSkinData : nullptr;
    auto* previous = skin::FindSkinMenuEngine;
    skin::FindSkinMenuEngine = [](skin::TbsSkinPopupMenu*) -> skin::TbsSkinMenuEngine* { return &engine; };
    // A plain popup menu assigned to the edit opens through the framework.
    TPopupMenu::PopupHandler = [](TPopupMenu* m, int px, int py) {
      engine.shown = m;
      engine.at = {px, py};
    };
    win::SendMessage(c->Handle(), win::WM_CONTEXTMENU, 0, win::MAKELPARAM(win::WORD(x), win::WORD(y)));
    skin::FindSkinMenuEngine = previous;
    if (at) *at = engine.at;
    return engine.shown;
  }
};

TEST_F(EditTest, TypingKeysAndSelection) {
  auto* e = MakeEdit();
  Focus(e);
  Type(u"abc");
  win::headless::TypeText(u"新名");  // composed by an input method
  Pump();
  EXPECT_EQ(e->Text(), u"abc新名");
  win::headless::PressKey(win::VK_BACK);
  Pump();
  EXPECT_EQ(e->Text(), u"abc新");
  win::headless::PressKey(win::VK_HOME);
  ShiftKey(win::VK_RIGHT);
  ShiftKey(win::VK_RIGHT);
  EXPECT_EQ(e->SelStart(), 0);
  EXPECT_EQ(e->SelLength(), 2);
  Ctrl('X');
  EXPECT_EQ(e->Text(), u"c新");
  EXPECT_EQ(Clipboard(), u"ab");
  win::headless::PressKey(win::VK_END);
  Ctrl('V');
  EXPECT_EQ(e->Text(), u"c新ab");
  win::headless::PressKey(win::VK_HOME);
  win::headless::PressKey(win::VK_DELETE);
  Pump();
  EXPECT_EQ(e->Text(), u"新ab");
  Ctrl('Z');
  EXPECT_EQ(e->Text(), u"c新ab");
}

TEST_F(EditTest, ReadOnlyKeepsCaretSelectionAndCopyButRefusesChanges) {
  auto* e = MakeEdit(200, u"folder");
  e->SetReadOnly(true);
  Focus(e);
  SetClipboard(u"XYZ");
  win::headless::PressKey(win::VK_END);
  ShiftKey(win::VK_LEFT);
  ShiftKey(win::VK_LEFT);
  EXPECT_EQ(e->SelStart(), 4);
  EXPECT_EQ(e->SelLength(), 2);
  struct {
    const char* what;
    std::function<void()> act;
  } const refused[] = {
      {"typing", [&] { Type(u"q"); }},
      {"backspace", [&] { win::headless::PressKey(win::VK_BACK); Pump(); }},
      {"delete", [&] { win::headless::PressKey(win::VK_DELETE); Pump(); }},
      {"ctrl+x", [&] { Ctrl('X'); }},
      {"ctrl+v", [&] { Ctrl('V'); }},
      {"shift+insert", [&] { ShiftKey(win::VK_INSERT); }},
      {"WM_CUT", [&] { win::SendMessage(e->Handle(), win::WM_CUT, 0, 0); }},
      {"WM_PASTE", [&] { win::SendMessage(e->Handle(), win::WM_PASTE, 0, 0); }},
      {"WM_CLEAR", [&] { win::SendMessage(e->Handle(), win::WM_CLEAR, 0, 0); }},
      {"WM_UNDO", [&] { win::SendMessage(e->Handle(), win::WM_UNDO, 0, 0); }},
      {"ctrl+z", [&] { Ctrl('Z'); }},
      {"char 22", [&] { win::SendMessage(e->Handle(), win::WM_CHAR, 22, 0); }},
  };
  for (const auto& r : refused) {
    r.act();
    EXPECT_EQ(e->Text(), u"folder") << r.what;
  }
  // The selection survives, and copying works.
  EXPECT_EQ(e->SelLength(), 2);
  Ctrl('C');
  EXPECT_EQ(Clipboard(), u"er");
  // The output-folder field: a click on the read-only edit reaches OnClick.
  e->OnClick = Logger("click");
  Press(WinScr(e, 100, 10));
  Release(WinScr(e, 100, 10));
  EXPECT_EQ(log, std::vector<std::string>{"click"});
  e->SetReadOnly(false);
  win::headless::PressKey(win::VK_END);
  Type(u"s");
  EXPECT_EQ(e->Text(), u"folders");
}

TEST_F(EditTest, EnterAndEscapeGoToTheFormAsDialogKeys) {
  auto* e = MakeEdit(200, u"x");
  auto* ok = Make<forms::TButton>(form, 20, 60, 75, 25, u"OK");
  ok->SetDefault(true);
  ok->OnClick = Logger("ok");
  auto* cancel = Make<forms::TButton>(form, 100, 60, 75, 25, u"Cancel");
  cancel->SetCancel(true);
  cancel->OnClick = Logger("cancel");
  e->OnKeyPress = [this](rtl::TObject*, char16_t& k) {
    log.push_back("key " + std::to_string(int(k)));
    k = u'z';  // a change has no effect
  };
  Focus(e);
  win::headless::PressKey(win::VK_RETURN, u"\r");
  Pump();
  win::headless::PressKey(win::VK_ESCAPE, u"\x1b");
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"key 13", "ok", "key 27", "cancel"}));
  EXPECT_EQ(e->Text(), u"x");
}

TEST_F(EditTest, CancelModeIsReported) {
  auto* e = MakeEdit();
  forms::TControl* got = nullptr;
  e->OnEditCancelMode = [&](forms::TControl* c) { got = c; };
  e->Perform(forms::CM_CANCELMODE, 0, win::LPARAM(reinterpret_cast<std::intptr_t>(form)));
  EXPECT_EQ(got, form);
}

TEST_F(EditTest, TransparentBaseShowsItsParentsGround) {
  form->SetColor(0x123456);
  auto* e = Make<TbsCustomEdit>(form, 20, 20, 120, 20);
  e->SetText(u"x");
  EXPECT_EQ(WinPixel(e, 110, 10), Rgb(gdi::ColorToRGB(gdi::clWindow)));
  e->SetEditTransparent(true);
  EXPECT_EQ(WinPixel(e, 110, 10), Rgb(0x123456));
}

TEST_F(EditTest, FormSkinChangeWalkReachesSkinnedEdits) {
  TbsSkinData& s = EditSkin();
  auto* e = MakeEdit();
  auto* panel = Make<forms::TPanel>(form, 0, 100, 300, 60);
  auto* inner = Make<TbsSkinEdit>(panel, 5, 5, 100, 20);
  e->SetSkinData(&s);
  inner->SetSkinData(&s);
  EXPECT_NE(inner->SkinIndex(), -1);
  s.Empty = true;  // the skin is being replaced
  SendSkinChange(form, &s);
  EXPECT_EQ(e->SkinIndex(), -1);
  EXPECT_EQ(inner->SkinIndex(), -1);
  s.Empty = false;
  SendSkinChange(form, &s);
  EXPECT_NE(inner->SkinIndex(), -1);
  EXPECT_EQ(inner->Height(), 20);
}

// Enabled flags of Undo, Cut, Copy, Paste, Delete, Select All.
std::vector<bool> Enabled(TPopupMenu* m) {
  std::vector<bool> r;
  for (int i = 0; i < m->Items()->Count(); ++i)
    if (!m->Items()->Items(i)->IsLine()) r.push_back(m->Items()->Items(i)->Enabled());
  return r;
}

TEST_F(EditTest, ContextMenuOffersCommandsByState) {
  auto* e = MakeEdit();
  struct {
    const char* what;
    std::u16string text;
    int selStart, selLength;
    bool readOnly;
    std::u16string clipboard;
    std::vector<bool> enabled;  // undo cut copy paste delete selectall
  } const cases[] = {
      {"empty", u"", 0, 0, false, u"", {false, false, false, false, false, false}},
      {"empty, clipboard", u"", 0, 0, false, u"c", {false, false, false, true, false, false}},
      {"caret only", u"abc", 1, 0, false, u"", {false, false, false, false, false, true}},
      {"part selected", u"abc", 1, 1, false, u"c", {false, true, true, true, true, true}},
      {"all selected", u"abc", 0, 3, false, u"", {false, true, true, false, true, false}},
      {"read-only", u"abc", 1, 1, true, u"c", {false, false, true, false, false, true}},
  };
  for (const auto& c : cases) {
    e->SetReadOnly(c.readOnly);
    e->SetText(c.text);
    e->SetSelStart(c.selStart);
    e->SetSelLength(c.selLength);
    SetClipboard(c.clipboard);
    TPopupMenu* m = ContextMenu(e, 50, 50);
    ASSERT_NE(m, nullptr) << c.what;
    EXPECT_EQ(Enabled(m), c.enabled) << c.what;
  }
  // Undo after a change.
  e->SetReadOnly(false);
  e->SetText(u"abc");
  Focus(e);
  Type(u"d");
  EXPECT_TRUE(ContextMenu(e, 50, 50)->Items()->Items(0)->Enabled());
}

TEST_F(EditTest, ContextMenuCommandRunsAndTheMenuIsFreedAfterwards) {
  auto* e = MakeEdit(200, u"hello");
  e->SelectAll();
  TPopupMenu* m = ContextMenu(e, 50, 50);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Items()->Items(0)->Caption(), u"Undo");
  EXPECT_EQ(m->Items()->Items(7)->Caption(), u"Select All");
  EXPECT_EQ(e->SysPopupMenu(), m);
  m->Items()->Items(5)->Click();  // Delete
  EXPECT_EQ(e->Text(), u"");
  Pump();
  EXPECT_EQ(e->SysPopupMenu(), nullptr);
  // A menu closed without a choice stays until the next request.
  TPopupMenu* m2 = ContextMenu(e, 50, 50);
  Pump();
  EXPECT_EQ(e->SysPopupMenu(), m2);
  // An assigned PopupMenu replaces the edit's own.
  auto* own = new TPopupMenu(form);
  own->Items()->Add(new TMenuItem(own));
  e->SetPopupMenu(own);
  EXPECT_EQ(ContextMenu(e, 50, 50), own);
}

TEST_F(EditTest, ContextMenuTextsFramesAndPosition) {
  auto* e = MakeEdit(200, u"hello");
  TbsSkinData& s = EditSkin();
  TbsResourceStrData texts(nullptr);
  std::vector<String> lines;
  for (const String& l : texts.ResStrings())
    if (l.rfind(u"EDIT_COPY=", 0) != 0) lines.push_back(l == u"EDIT_CUT=Cut" ? u"EDIT_CUT=剪切" : l);
  texts.SetResStrings(lines);
  s.SetResourceStrData(&texts);
  static TbsSkinData* frameSkin;
  static bool framed;
  frameSkin = &s;
  framed = true;
  FindFormFrameSkinData = [](forms::TCustomForm*, bool* has) {
    *has = framed;
    return framed ? frameSkin : nullptr;
  };
  win::POINT at{};
  TPopupMenu* m = ContextMenu(e, 300, 310, &at);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Items()->Items(2)->Caption(), u"剪切");
  EXPECT_EQ(m->Items()->Items(3)->Caption(), u"");  // the skin lacks the key
  EXPECT_EQ(at.X, 300);
  EXPECT_EQ(at.Y, 310);
  // The menu key: negative coordinates put the menu at the control's centre.
  m = ContextMenu(e, -5, 100, &at);
  ASSERT_NE(m, nullptr);
  const rtl::TPoint o = e->ClientToScreen({0, 0});
  EXPECT_EQ(at.X, o.X + e->Width() / 2);
  EXPECT_EQ(at.Y, o.Y + e->Height() / 2);
  // A form without a frame shows nothing.
  framed = false;
  EXPECT_EQ(ContextMenu(e, 50, 50), nullptr);
  s.SetResourceStrData(nullptr);
}

// The context menu opens with the edit as its popup control, only through a
// frame that has skin data, and for an edit on an MDI child through the main
// form's frame.
TEST_F(EditTest, ContextMenuNeedsAFrameSkinAndAnMdiChildUsesTheMainForm) {
  auto* e = MakeEdit(200, u"hello");
  auto* previous = FindFormFrameSkinData;
  FindFormFrameSkinData = [](forms::TCustomForm*, bool* has) -> TbsSkinData* {
    *has = true;  // a frame, its skin data not the point here
    return nullptr;
  };
  frameHasSkin = false;
  EXPECT_EQ(ContextMenu(e, 50, 50), nullptr) << "a frame without skin data shows no edit menu";
  frameHasSkin = true;
  TPopupMenu* m = ContextMenu(e, 50, 50);
  ASSERT_NE(m, nullptr);
  auto* sm = static_cast<TbsSkinPopupMenu*>(m);
  EXPECT_EQ(sm->ComponentForm, form);
  EXPECT_EQ(sm->SkinData, &frameSkinData) << "the frame's skin";
  EXPECT_EQ(sm->PopupPoint(), (rtl::TPoint{50, 50}));

  TForm* mainForm = forms::Application->CreateForm<TForm>();
  mainForm->SetBounds(0, 0, 500, 400);
  (new TbsBusinessSkinForm(mainForm))->SetMDIStyle(forms::fsMDIForm);
  auto* child = new TForm(forms::Application);
  child->SetBounds(0, 0, 300, 200);
  child->AfterConstruction();
  auto* childFrame = new TbsBusinessSkinForm(child);
  childFrame->SetMDIStyle(forms::fsMDIChild);
  ASSERT_TRUE(childFrame->IsMDIChild());
  mainForm->Show();
  child->Show();
  Pump();
  auto* ce = Make<TbsSkinEdit>(child, 10, 10, 100, 20);
  Pump();
  m = ContextMenu(ce, -1, -1);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(static_cast<TbsSkinPopupMenu*>(m)->ComponentForm, mainForm) << "an MDI child's menu: the main form";
  FindFormFrameSkinData = previous;
}

// The edit base is a mask edit: the mask takes what is typed.
TEST_F(EditTest, EditMaskTakesTheTypedText) {
  auto* e = MakeEdit();
  e->SetEditMask(u"00:00;1;_");
  EXPECT_EQ(e->EditText(), u"__:__");
  Focus(e);
  e->SetSelStart(0);
  Type(u"1x245");
  EXPECT_EQ(e->Text(), u"12:45") << "the letter is refused, the colon skipped";
  e->SetReadOnly(true);
  e->SetSelStart(0);
  Type(u"9");
  win::headless::PressKey(win::VK_BACK);
  Pump();
  EXPECT_EQ(e->Text(), u"12:45") << "read-only refuses typing into the mask";
}

// ---- skinned edit
// Strokes below the baseline (underscores, the tails of g, j, p, q) show in
// an edit of the usual height, plain and as the file dialogs make them:
// "_" changes pixels below the row where "-" sits, also selected.
TEST_F(EditTest, UnderscoresAndDescendersShow) {
  auto* e = MakeEdit(200, u"");
  for (int h : {20, 21}) {
    e->SetHeight(h);
    auto rows = [&](const char16_t* text) {
      e->SetText(text);
      e->Repaint();
      std::vector<std::uint32_t> px;
      for (int y = 0; y < e->Height(); ++y)
        for (int x = 2; x < 60; ++x) px.push_back(WinPixel(e, x, y));
      return px;
    };
    const auto blank = rows(u"    "), under = rows(u"____"), tails = rows(u"gjpq"), level = rows(u"acen");
    EXPECT_TRUE(under != blank) << h;
    // The tails reach lower than letters without them.
    auto lowest = [&](const std::vector<std::uint32_t>& px) {
      int low = -1;
      for (std::size_t i = 0; i < px.size(); ++i)
        if (px[i] != blank[i]) low = int(i / 58);
      return low;
    };
    EXPECT_GT(lowest(tails), lowest(level) + 1) << h;
    e->SelectAll();
    EXPECT_TRUE(rows(u"____") != rows(u"    ")) << h;
  }
}

TEST_F(EditTest, PlainGeometryAndHeights) {
  auto* e = MakeEdit();
  EXPECT_EQ(e->Height(), 20);
  EXPECT_EQ(e->SkinDataName(), u"edit");
  EXPECT_TRUE(e->EditTransparent());
  e->SetButtonMode(true);
  Pump();
  e->Repaint();
  EXPECT_EQ(e->ButtonRectNow(), (rtl::TRect{180, 0, 200, 20}));
  EXPECT_EQ(e->EditRect(), (rtl::TRect{2, 2, 178, 18}));
  EXPECT_EQ(e->ClientWidth(), 176);
  EXPECT_EQ(e->ClientHeight(), 16);
  // Plain frame: button-shadow outside, button face inside, DefaultColor ground.
  EXPECT_EQ(WinPixel(e, 0, 10), Rgb(gdi::ColorToRGB(gdi::clBtnShadow)));
  EXPECT_EQ(WinPixel(e, 1, 10), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  EXPECT_EQ(WinPixel(e, 170, 10), Rgb(gdi::ColorToRGB(gdi::clWindow)));

  e->SetDefaultHeight(21);  // unskinned with UseSkinFont: the given height
  EXPECT_EQ(e->Height(), 21);
  e->SetUseSkinFont(false);
  e->SetDefaultHeight(21);  // without: the font's height + 4
  EXPECT_EQ(e->Height(), forms::FontTextHeight(e->Font()) + 4);
  e->SetBounds(20, 20, 200, 60);
  EXPECT_EQ(e->Height(), forms::FontTextHeight(e->Font()) + 4);
}

TEST_F(EditTest, SkinnedHeightLookAndStates) {
  TbsSkinData& s = EditSkin();
  auto* e = MakeEdit(200, u"text");
  e->SetSkinData(&s);
  Pump();
  EXPECT_NE(e->SkinIndex(), -1);
  EXPECT_EQ(e->Height(), 20);
  e->SetBounds(20, 20, 200, 45);  // the skin's height stays
  EXPECT_EQ(e->Height(), 20);
  EXPECT_EQ(e->EditRect(), (rtl::TRect{3, 3, 197, 17}));
  EXPECT_EQ(e->ClientWidth(), 194);
  EXPECT_EQ(e->Font()->Color(), 0x111111);
  EXPECT_EQ(WinPixel(e, 0, 10), 0u);          // the skin's border
  EXPECT_EQ(WinPixel(e, 100, 1), Rgb(kNormal));  // frame, tiled
  EXPECT_EQ(WinPixel(e, 150, 10), Rgb(kNormal));  // ground under the text
  Move(WinScr(e, 100, 10));  // hover: the active face and font colour
  EXPECT_TRUE(e->MouseIn());
  EXPECT_EQ(WinPixel(e, 100, 1), Rgb(kHot));
  EXPECT_EQ(WinPixel(e, 150, 10), Rgb(kHot));
  EXPECT_EQ(e->Font()->Color(), 0x222222);
  Leave();
  EXPECT_EQ(WinPixel(e, 100, 1), Rgb(kNormal));
  EXPECT_EQ(e->Font()->Color(), 0x111111);
  Focus(e);  // focus shows the active look too
  EXPECT_EQ(WinPixel(e, 100, 1), Rgb(kHot));
  EXPECT_EQ(e->Font()->Color(), 0x222222);

  // Without UseSkinFont the font decides the height and the skin stretches.
  e->SetUseSkinFont(false);
  e->ChangeSkinData();
  Pump();
  EXPECT_EQ(e->Height(), forms::FontTextHeight(e->Font()) + 20 - 14);

  // A description of another kind under the name: the plain look.
  e->SetSkinDataName(u"panel");
  e->ChangeSkinData();
  EXPECT_EQ(e->SkinIndex(), -1);
  e->SetSkinDataName(u"nothing");
  e->ChangeSkinData();
  EXPECT_EQ(e->SkinIndex(), -1);
}

TEST_F(EditTest, DisabledSkinnedEditDrawsItsTextAndDisabledButton) {
  TbsSkinData& s = EditSkin();
  auto* e = MakeEdit(200, u"WWWW");
  e->SetSkinDataName(u"buttonedit");
  e->SetButtonMode(true);
  e->SetSkinData(&s);
  e->SetEnabled(false);
  e->Repaint();
  Pump();
  // The button's place follows the right edge: (10 + 180, 2, 18 + 180, 18).
  EXPECT_EQ(e->ButtonRectNow(), (rtl::TRect{190, 2, 198, 18}));
  EXPECT_EQ(WinPixel(e, 194, 10), Rgb(kDisabled));
  // Some text pixel in the disabled colour.
  bool found = false;
  for (int x = 3; x < 60 && !found; ++x)
    for (int y = 3; y < 17 && !found; ++y) found = WinPixel(e, x, y) == 0x333333;
  EXPECT_TRUE(found);
}

TEST_F(EditTest, EditButtonClicksEvenAfterLeavingAndComingBack) {
  TbsSkinData& s = EditSkin();
  auto* e = MakeEdit();
  e->SetSkinDataName(u"buttonedit");
  e->SetButtonMode(true);
  e->SetSkinData(&s);
  e->OnButtonClick = Logger("button");
  Pump();
  const win::POINT b = WinScr(e, 194, 10);
  Move(b);
  EXPECT_TRUE(e->ButtonActive());
  EXPECT_EQ(WinPixel(e, 194, 10), Rgb(kHot));
  win::headless::MouseDown(b);
  Pump();
  EXPECT_TRUE(e->ButtonDown());
  EXPECT_EQ(WinPixel(e, 194, 10), Rgb(kDown));
  Leave();  // leaving clears the pressed state
  EXPECT_FALSE(e->ButtonDown());
  EXPECT_FALSE(e->ButtonActive());
  Move(b);
  Release(b);
  EXPECT_EQ(log, std::vector<std::string>{"button"});
  EXPECT_TRUE(e->Focused());
  // A press and release in the text area is no button click.
  Press(WinScr(e, 50, 10));
  Release(WinScr(e, 50, 10));
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(EditTest, ImageButtonsReserveRoomAnswerHitsAndClickOnRelease) {
  forms::TCustomImageList images(nullptr, 12, 12);
  gdi::TBitmap strip(24, 12);
  strip.Canvas()->Brush()->SetColor(0x0000FF);
  strip.Canvas()->FillRect({0, 0, 12, 12});
  strip.Canvas()->Brush()->SetColor(0x00FF00);
  strip.Canvas()->FillRect({12, 0, 24, 12});
  images.Add(&strip, nullptr);
  auto* e = MakeEdit(200, u"");
  e->SetImages(&images);
  e->SetLeftImageIndex(0);
  e->SetRightImageIndex(7);  // beyond the list: room kept, nothing drawn
  e->LeftImageHotIndex = 1;
  e->OnLeftButtonClick = Logger("left");
  e->OnRightButtonClick = Logger("right");
  Pump();
  EXPECT_EQ(e->LeftButton().R, (rtl::TRect{0, 0, 12, 16}));
  EXPECT_EQ(e->RightButton().R, (rtl::TRect{184, 0, 196, 16}));
  EXPECT_GE(e->FormatRect().Left, 14);
  EXPECT_LE(e->FormatRect().Right, 182);
  const rtl::TPoint o = e->ClientToScreen({0, 0});
  EXPECT_EQ(win::SendMessage(e->Handle(), win::WM_NCHITTEST, 0, win::MAKELPARAM(o.X + 190, o.Y + 5)),
            HT_EDIT_RIGHT_IMAGE);
  EXPECT_EQ(win::SendMessage(e->Handle(), win::WM_NCHITTEST, 0, win::MAKELPARAM(o.X + 5, o.Y + 5)),
            HT_EDIT_LEFT_IMAGE);
  EXPECT_EQ(WinPixel(e, 2 + 5, 2 + 8), 0x00FF00u);  // the hot image
  Move({o.X + 100, o.Y + 8});
  EXPECT_EQ(WinPixel(e, 2 + 5, 2 + 8), Rgb(0x0000FF));  // the normal image
  EXPECT_EQ(WinPixel(e, 2 + 190, 2 + 8), Rgb(gdi::ColorToRGB(gdi::clWindow)));

  // Press the left image, release elsewhere: no click, it stays pressed.
  Press({o.X + 5, o.Y + 8});
  EXPECT_TRUE(e->LeftButton().Down);
  EXPECT_TRUE(e->Focused());
  Move({o.X + 100, o.Y + 8});
  Release({o.X + 100, o.Y + 8});
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(e->LeftButton().Down);
  Move({o.X + 5, o.Y + 8});
  Release({o.X + 5, o.Y + 8});
  Press({o.X + 190, o.Y + 8});
  Release({o.X + 190, o.Y + 8});
  EXPECT_EQ(log, (std::vector<std::string>{"left", "right"}));
}

TEST_F(EditTest, ToolBarCentresItsEdits) {
  TbsSkinData& s = EditSkin();
  auto* bar = Make<TbsSkinToolBar>(form, 0, 0, 300, 30);
  auto* e = Make<TbsSkinEdit>(bar, 10, 0, 100, 20);
  auto* aligned = Make<TbsSkinEdit>(bar, 120, 0, 100, 20);
  e->SetSkinData(&s);
  aligned->SetSkinData(&s);
  aligned->SetAlign(forms::alLeft);  // a skinned edit keeps the skin's height
  bar->SetBounds(0, 0, 300, 40);
  EXPECT_EQ(e->Top(), 10);
  EXPECT_EQ(aligned->Height(), 20);
  EXPECT_EQ(aligned->Top(), 10);
}

TEST_F(EditTest, AlignmentPlacesShortText) {
  auto* e = MakeEdit(200, u"ab");
  const int left = e->FormatRect().Left;
  e->SetAlignment(forms::taRightJustify);
  Pump();
  EXPECT_GT(e->FormatRect().Left, 150);
  e->SetAlignment(forms::taCenter);
  Pump();
  EXPECT_GT(e->FormatRect().Left, 60);
  EXPECT_LT(e->FormatRect().Left, 110);
  e->SetAlignment(forms::taLeftJustify);
  EXPECT_EQ(e->FormatRect().Left, left);
}

TEST_F(EditTest, PaintToContextAnswers) {
  TbsSkinData& s = EditSkin();
  auto* e = MakeEdit();
  e->SetSkinData(&s);
  gdi::TBitmap b(e->Width(), e->Height());
  EXPECT_EQ(win::SendMessage(e->Handle(), MSG_SKIN_PAINT_TO_DC, 0, 0), 0);
  EXPECT_EQ(win::SendMessage(e->Handle(), MSG_SKIN_PAINT_TO_DC, win::WPARAM(b.Canvas()->Handle()), 0),
            MSG_SKIN_PAINT_TO_DC_ANSWER);
  EXPECT_EQ(b.GetSurface()->GetPixel(100, 1) & 0xFFFFFF, Rgb(kNormal));
  EXPECT_EQ(win::SendMessage(e->Handle(), MSG_SKIN_PAINT_NC_TO_DC, win::WPARAM(b.Canvas()->Handle()),
                             MSG_SKIN_PAINT_NC_KEY),
            MSG_SKIN_PAINT_NC_KEY);
}

}  // namespace
}  // namespace skinctltest
