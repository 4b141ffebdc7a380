// Shared fixture of the edit and up-down tests: the made-up skin of the
// skinned-control tests with edit, button-edit, up-down and stretchable
// button looks added, and pixels read from the window system's back buffer
// (frames live in the non-client area, which only the real window shows).
#pragma once

#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinUpDown.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {

inline void AddEditLooks(TbsSkinData& sd) {
  auto* e = AddNinePart<TbsDataSkinEditControl>(sd, u"edit", 0, 0);
  e->ActiveSkinRect = Square(1);
  e->FontColor = 0x111111;
  e->ActiveFontColor = 0x222222;
  e->DisabledFontColor = 0x333333;
  auto* be = AddNinePart<TbsDataSkinEditControl>(sd, u"buttonedit", 0, 0);
  be->ActiveSkinRect = Square(1);
  be->RTPoint = {10, 3};
  be->RBPoint = {10, 17};
  be->ClRect = {3, 3, 10, 17};
  be->ButtonRect = {10, 2, 18, 18};
  be->ActiveButtonRect = {30, 2, 38, 18};
  be->DownButtonRect = {50, 2, 58, 18};
  be->UnEnabledButtonRect = {70, 2, 78, 18};
  be->DisabledFontColor = 0x333333;
  auto ud = std::make_unique<TbsDataSkinUpDownControl>(u"hupdown");
  ud->PictureIndex = 0;
  ud->SkinRect = Square(0);
  ud->DownButtonRect = {0, 0, 10, 20};
  ud->UpButtonRect = {10, 0, 20, 20};
  ud->ActiveUpButtonRect = {30, 0, 40, 20};
  ud->DownUpButtonRect = {50, 0, 60, 20};
  ud->ActiveDownButtonRect = {20, 0, 30, 20};
  sd.CtrlList.push_back(std::move(ud));
  auto* rb = AddNinePart<TbsDataSkinButtonControl>(sd, u"resizebutton", 0, 0);
  rb->ActiveSkinRect = Square(1);
  rb->DownSkinRect = Square(2);
  rb->FontColor = 0xFFFFFF;
  rb->ActiveFontColor = 0xFFFFFF;
  rb->DownFontColor = 0xFFFFFF;
}

class EditsTest : public SkinControlsTest {
 protected:
  void TearDown() override {
    forms::TPopupMenu::PopupHandler = nullptr;
    skin::FindFormFrameSkinData = nullptr;
    SkinControlsTest::TearDown();
  }
  TbsSkinData& EditSkin() {
    TbsSkinData& s = Skin();
    AddEditLooks(s);
    return s;
  }
  // A pixel of the control's window (frame included) as shown now.
  std::uint32_t WinPixel(forms::TWinControl* c, int x, int y) {
    Pump();
    win::HWND top = win::GetAncestor(c->Handle(), win::GA_ROOT);
    win::RECT wr, tr;
    win::GetWindowRect(c->Handle(), &wr);
    win::GetWindowRect(top, &tr);
    const gdi::Surface* bb = win::headless::BackBuffer(top);
    if (!bb) return 0xDEAD;
    return bb->GetPixel(wr.Left - tr.Left + x, wr.Top - tr.Top + y) & 0xFFFFFF;
  }
  win::POINT WinScr(forms::TWinControl* c, int x, int y) {
    win::RECT wr;
    win::GetWindowRect(c->Handle(), &wr);
    return {wr.Left + x, wr.Top + y};
  }
  void Move(win::POINT p) {
    win::headless::MouseMove(p);
    Pump();
  }
  void Press(win::POINT p) {
    Move(p);
    win::headless::MouseDown(p);
    Pump();
  }
  void Release(win::POINT p) {
    win::headless::MouseUp(p);
    Pump();
  }
};

}  // namespace skinctltest
