// Shared fixture of the list box and combo box tests: the skinned-control
// fixture with list box and combo box looks added to the made-up skin, and
// helpers that drive a drop-down with the headless mouse and keyboard.
#pragma once

#include "platform/rtl/SysUtils.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinListBox.h"
#include "skin/controls/bsSkinOfficeListBox.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {

// "combobox": body normal, hot body, a button; "listbox": rows normal,
// selected, focused (squares 0, 1, 4).
inline void AddListLooks(TbsSkinData& sd) {
  auto* cb = AddNinePart<TbsDataSkinComboBox>(sd, u"combobox", 0, 0);
  cb->ActiveSkinRect = Square(1);
  cb->ClRect = {3, 3, 14, 17};
  cb->ButtonRect = {14, 3, 17, 17};
  cb->ActiveButtonRect = {34, 3, 37, 17};
  cb->DownButtonRect = {54, 3, 57, 17};
  cb->FontColor = 0x111111;
  cb->ActiveFontColor = 0x222222;
  cb->FocusFontColor = 0x333333;
  cb->ListBoxName = u"listbox";
  auto* lb = AddNinePart<TbsDataSkinListBox>(sd, u"listbox", 0, 0);
  lb->SItemRect = Square(0);
  lb->ActiveItemRect = Square(1);
  lb->FocusItemRect = Square(4);
  lb->ItemLeftOffset = 3;
  lb->ItemRightOffset = 3;
  lb->ItemTextRect = {3, 3, 17, 17};
  lb->FontColor = 0xFFFFFF;
  lb->ActiveFontColor = 0xFFFFFF;
  lb->FocusFontColor = 0xFFFFFF;
}

class ListsTest : public SkinControlsTest {
 protected:
  TbsSkinData& ListSkin() {
    TbsSkinData& s = Skin();
    AddListLooks(s);
    return s;
  }
  template <class C>
  C* MakeCombo(int x = 20, int y = 20, int w = 150, int h = 22) {
    auto* c = new C(form);
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    Pump();
    return c;
  }
  static void Fill(rtl::TStrings* s, int n) {
    for (int i = 0; i < n; ++i) s->Add(u"item " + rtl::IntToStr(i));
  }
  void Click(win::POINT p) {
    win::headless::MouseMove(p);
    Pump();
    win::headless::MouseDown(p);
    Pump();
    win::headless::MouseUp(p);
    Pump();
  }
  // The centre of the face's button, on screen.
  template <class C>
  win::POINT ButtonPoint(C* c) {
    return Scr(c, (c->Button.R.Left + c->Button.R.Right) / 2, (c->Button.R.Top + c->Button.R.Bottom) / 2);
  }
  // The centre of row i of a string drop-down, on screen.
  win::POINT RowPoint(TbsSkinCustomComboBox* c, int i) {
    TbsListBox* l = c->ListBox()->ListBox;
    rtl::TRect r = l->ItemRect(i);
    return l->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  win::POINT RowPoint(TbsSkinCustomOfficeComboBox* c, int i) {
    c->ListBox()->CalcItemRects();
    rtl::TRect r = c->ListBox()->Items()->Items(i)->ItemRect;
    return c->ListBox()->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
  }
  void AltKey(int vk) {
    win::headless::KeyDown(win::VK_MENU);
    Pump();
    win::headless::PressKey(vk);
    Pump();
    win::headless::KeyUp(win::VK_MENU);
    Pump();
  }
  void Type(char16_t ch) {
    win::headless::PressKey(int(ch >= u'a' && ch <= u'z' ? ch - 32 : ch), std::u16string(1, ch));
    Pump();
  }
  template <class C>
  void Events(C* c) {
    c->OnChange = Logger("change");
    c->OnClick = Logger("click");
    c->OnCloseUp = Logger("closeup");
    c->OnDropDown = Logger("dropdown");
  }
};

}  // namespace skinctltest
