// The frame's objects and skin changes (building the object list, border
// icons, hints, the control-tree walks, mouse tracking and the timers), its
// own window states (maximized, minimized, rolled up), placement on first
// show, magnetic snapping and the window commands.
#include <algorithm>
#include <map>

#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/forms/bsFormLayerBorder.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

namespace skin {

using namespace win;

// ------------------------------------------------------------------ skin change
void TbsBusinessSkinForm::ApplySkinData() {
  if (FUseRibbon) FSkinnableForm = false;
  OldActiveObject = ActiveObject = MouseCaptureObject = -1;
  FSkinSupport = FSD && !FSD->Empty;
  if (FLayerManager->IsVisible()) FLayerManager->Hide();
  if (FMenuLayerManager->IsVisible()) FMenuLayerManager->Hide();
  if (FSkinSupport && FSkinnableForm) {
    LoadSkinObjects();
    ApplyBorderIconsToObjects();
  } else {
    ClearObjects();
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
    UpdateWindowRegion(true);
  }
  if (FSkinnableForm) {
    if (!FForm->BorderIcons().Empty()) FForm->SetBorderIcons({});
  } else {
    ApplyNativeBorderIcons();
  }
  FInChangeSkinData = true;
  // The client area follows the new frame size.
  if (HWND h = FormHandle())
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  const int mw = GetMinWidth(), mh = GetMinHeight();
  if (FForm->Width() < mw && FForm->Height() < mh) SetFormBounds(FForm->Left(), FForm->Top(), mw, mh);
  else if (FForm->Height() < mh) FForm->SetHeight(mh);
  else if (FForm->Width() < mw) FForm->SetWidth(mw);
  else NudgeFormWidth();
  if ((FRollUpState || FWindowState == forms::wsMinimized) && FForm->Height() != GetMinHeight())
    FForm->SetHeight(GetMinHeight());
  if (FWindowState == forms::wsMinimized && FForm->Width() != GetMinWidth()) FForm->SetWidth(GetMinWidth());
  FFormWidth = FForm->Width();
  FFormHeight = FForm->Height();
  if (FSkinSupport) UpdateSkinFrame(true);
  if (IsMDIForm()) {
    if (auto* client = MDIClientOf(FForm)) client->Invalidate();
    RefitMDIChildren();
  } else {
    FForm->Invalidate();
  }
  SendNCPaint();
  UpdateActiveLook(!MDIMaxChild());
  MouseTimer->SetEnabled(true);
  FBorderLayer->InitFrame(FSD, FForm);
  FBorderLayer->Hide();
  if (IsLayeredBorderInUse() && (FForm->Visible() || FForm->Tag() == ShownFromTrayTag)) {
    FBorderLayer->SetActive(FFormActive, false);
    FBorderLayer->ShowWithForm();
  }
  if (OnChangeSkinData) OnChangeSkinData(this);
  FInChangeSkinData = false;
  if (!FRollUpState) {
    if (ClientWidth > 0) FForm->SetClientWidth(ClientWidth);
    if (ClientHeight > 0) FForm->SetClientHeight(ClientHeight);
  }
}

void TbsBusinessSkinForm::LoadSkinObjects() {
  ClearObjects();
  if (!FSD) return;
  for (auto& d : FSD->ObjectList) {
    TbsDataSkinObject* data = d.get();
    if (dynamic_cast<TbsDataSkinMenuItem*>(data) || dynamic_cast<TbsDataSkinMainMenuItem*>(data) ||
        dynamic_cast<TbsDataSkinMainMenuBarButton*>(data))
      continue;
    std::unique_ptr<TbsActiveSkinObject> o;
    if (dynamic_cast<TbsDataSkinStdButton*>(data)) o = std::make_unique<TbsSkinStdButtonObject>(this, data);
    else if (dynamic_cast<TbsDataSkinButton*>(data)) o = std::make_unique<TbsSkinButtonObject>(this, data);
    else if (dynamic_cast<TbsDataSkinCaption*>(data)) o = std::make_unique<TbsSkinCaptionObject>(this, data);
    else if (dynamic_cast<TbsDataSkinAnimate*>(data)) o = std::make_unique<TbsSkinAnimateObject>(this, data);
    else if (dynamic_cast<TbsDataUserObject*>(data)) o = std::make_unique<TbsUserObject>(this, data);
    if (o) FObjectList.push_back(std::move(o));
  }
}

void TbsBusinessSkinForm::CreateDefaultObjects() {
  ClearObjects();
  static const struct {
    const char16_t* Name;
    TbsStdCommand Command;
  } kDefaults[] = {{u"closebutton", cmClose},     {u"maxbutton", cmMaximize},  {u"minbutton", cmMinimize},
                   {u"rollupbutton", cmRollUp},   {u"sysmenubutton", cmSysMenu}, {u"traybutton", cmMinimizeToTray}};
  for (auto& d : kDefaults) {
    auto b = std::make_unique<TbsSkinStdButtonObject>(this, nullptr);
    b->SkinRectInAPicture = true;
    b->SkinRect = b->ActiveSkinRect = b->DownRect = rtl::Rect(0, 0, 1, 1);
    b->Command = d.Command;
    b->IDName = d.Name;
    FObjectList.push_back(std::move(b));
  }
  ApplyBorderIconsToObjects();
}

void TbsBusinessSkinForm::ClearObjects() {
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  FObjectList.clear();
}

void TbsBusinessSkinForm::ApplyBorderIconsToObjects() {
  if (FObjectList.empty()) return;
  for (auto& o : FObjectList) {
    auto* s = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
    auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get());
    if (!s && !a) continue;
    if (HideCaptionButtons) {
      o->Enabled = false;
      o->Visible = !o->SkinRectInAPicture;
      continue;
    }
    if (a && !a->ButtonStyle) continue;
    TbsStdCommand c = s ? s->Command : a->Command;
    bool enabled;
    switch (c) {
      case cmMaximize: enabled = FBorderIcons.Contains(biMaximize); break;
      case cmMinimize: enabled = FBorderIcons.Contains(biMinimize); break;
      case cmRollUp: enabled = FBorderIcons.Contains(biRollUp); break;
      case cmMinimizeToTray: enabled = FBorderIcons.Contains(biMinimizeToTray); break;
      case cmSysMenu: enabled = FBorderIcons.Contains(biSystemMenu) && !DisableSystemMenu; break;
      case cmDefault: {
        bool visible = false;
        if (OnActivateCustomObject) OnActivateCustomObject(o->IDName, visible);
        o->Visible = visible;
        continue;
      }
      default: continue;  // the close button keeps its state
    }
    o->Enabled = enabled;
    if (o->SkinRectInAPicture) o->Visible = enabled;
  }
  LoadObjectHints();
}

void TbsBusinessSkinForm::LoadObjectHints() {
  if (!UseDefaultObjectHint || !FSD) return;
  auto text = [this](const char16_t* key, const char16_t* def) {
    if (FSD->ResourceStrData()) {
      String s = FSD->ResourceStrData()->GetResStr(key);
      if (!s.empty()) return s;
    }
    return String(def);
  };
  for (auto& o : FObjectList) {
    auto* s = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
    auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get());
    if (!s && !a) continue;
    TbsStdCommand c = s ? s->Command : a->Command;
    String hint = o->Hint;
    switch (c) {
      case cmClose: hint = text(u"CLOSEBUTTON_HINT", u"Close"); break;
      case cmMaximize: hint = text(u"MAXBUTTON_HINT", u"Maximize"); break;
      case cmMinimize: hint = text(u"MINBUTTON_HINT", u"Minimize"); break;
      case cmSysMenu: hint = text(u"MENUBUTTON_HINT", u"System menu"); break;
      case cmRollUp: hint = text(u"ROLLUPBUTTON_HINT", u"Roll Up"); break;
      case cmMinimizeToTray: hint = text(u"TRAYBUTTON_HINT", u"Minimize to Tray"); break;
      case cmDefault: break;
    }
    o->Hint = hint;
    String restore = text(u"RESTORE_HINT", u"Restore");
    if (s) {
      s->FTempHint = hint;
      s->RestoreHint = restore;
    } else {
      a->FTempHint = hint;
      a->RestoreHint = restore;
    }
  }
}

namespace {
// The frame keeps a form's MDI role: the skinned edits ask it where their
// context menus open.
bool FrameFormIsMDIChild(forms::TCustomForm* Form) {
  if (Form->FormStyle() == forms::fsMDIChild) return true;
  TbsBusinessSkinForm* F = FindSkinFormComponent(Form);
  return F && F->IsMDIChild();
}
[[maybe_unused]] const bool kMDIQueryInstalled = (IsMDIChildForm = FrameFormIsMDIChild, true);
}  // namespace

// One walk serves the frame and every other caller (bsSkinCtrls).
void TbsBusinessSkinForm::BeforeChangeSkinDataWalk(TbsSkinData* ASkinData, forms::TControl* AControl) {
  BeforeChangeSkinDataOfControls(AControl, ASkinData);
}

void TbsBusinessSkinForm::ChangeSkinDataWalk(TbsSkinData* ASkinData, forms::TControl* AControl) {
  ChangeSkinDataOfControls(AControl, ASkinData);
}

int TbsBusinessSkinForm::GetIndex(const String& AIDName) const {
  for (std::size_t i = 0; i < FObjectList.size(); ++i)
    if (FObjectList[i]->IDName == AIDName) return int(i);
  return -1;
}

void TbsBusinessSkinForm::SetEnabled(const String& AIDName, bool Value) {
  int i = GetIndex(AIDName);
  if (i != -1) Objects(i)->Enabled = Value;
}

void TbsBusinessSkinForm::UserObjectDraw(const String& AIDName) {
  int i = GetIndex(AIDName);
  if (i != -1 && dynamic_cast<TbsUserObject*>(Objects(i))) DrawSkinObject(Objects(i));
}

void TbsBusinessSkinForm::LinkMenu(const String& AIDName, forms::TMenu* AMenu, bool APopupUp) {
  int i = GetIndex(AIDName);
  if (i == -1 || !AMenu) return;
  if (auto* b = dynamic_cast<TbsSkinButtonObject*>(Objects(i))) {
    b->MenuItem = AMenu->Items();
    b->FPopupUp = APopupUp;
  } else if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(Objects(i)); a && a->ButtonStyle) {
    a->MenuItem = AMenu->Items();
    a->FPopupUp = APopupUp;
  }
}

// ------------------------------------------------------------------ mouse over objects
void TbsBusinessSkinForm::MouseTimerTick() {
  if (!GetFormActive()) return;
  POINT p;
  GetCursorPos(&p);
  HWND h = FormHandle();
  HWND at = WindowFromPoint(p);
  if (!h || (at != h && GetAncestor(at, GA_ROOT) != h) || (at != h && !FormHandle())) {
    MouseTimer->SetEnabled(false);
    TrackActiveObject(-1, -1, false);
    return;
  }
  if (FSizeMove || FBorderLayerChangeSize) {
    MouseTimer->SetEnabled(false);
    return;
  }
  TPoint f = ScreenToFramePoint(p);
  TRect client = FSkinSupport ? NewClRect
                              : rtl::Rect(3, GetDefaultCaptionHeight() + 3, FForm->Width() - 3, FForm->Height() - 3);
  if (!client.Contains(f)) TrackActiveObject(f.X, f.Y, true);
  else if (ActiveObject != -1) TrackActiveObject(-1, -1, true);
}

void TbsBusinessSkinForm::TrackActiveObject(int X, int Y, bool AActivate) {
  if (FObjectList.empty() || !GetFormActive() || FSizeMove || FBorderLayerChangeSize || PreviewMode ||
      MDIMaxChild() || !HasBorder())
    return;
  OldActiveObject = ActiveObject;
  int found = -1;
  for (std::size_t i = 0; i < FObjectList.size(); ++i) {
    auto& o = FObjectList[i];
    if (o->Enabled && o->Visible && o->ObjectRect.Contains({X, Y}) &&
        o->PointInObjectMask(X - o->ObjectRect.Left, Y - o->ObjectRect.Top)) {
      found = int(i);
      break;
    }
  }
  ActiveObject = AActivate ? found : -1;
  if (MouseCaptureObject != -1 && MouseCaptureObject != ActiveObject) ActiveObject = -1;
  if (ActiveObject >= ObjectCount()) ActiveObject = -1;
  if (ActiveObject == OldActiveObject) return;
  if (OldActiveObject != -1 && OldActiveObject < ObjectCount()) {
    auto* o = Objects(OldActiveObject);
    if (o->Enabled && o->Visible) o->MouseLeave();
    if (ShowObjectHint && !o->Hint.empty()) HideObjectHint();
  }
  if (ActiveObject != -1) {
    auto* o = Objects(ActiveObject);
    if (o->Enabled && o->Visible) o->MouseEnter();
    if (ShowObjectHint && !o->Hint.empty()) ActivateObjectHint(o->Hint);
  }
}

void TbsBusinessSkinForm::ObjectMouseDown(forms::TMouseButton Button, int X, int Y) {
  if (ActiveObject == -1 || ActiveObject >= ObjectCount()) return;
  auto* o = Objects(ActiveObject);
  if (!dynamic_cast<TbsSkinCaptionObject*>(o))
    if (HWND h = FormHandle()) SetCapture(h);
  MouseCaptureObject = ActiveObject;
  o->MouseDown(X, Y, Button);
}

void TbsBusinessSkinForm::ObjectMouseUp(forms::TMouseButton Button, int X, int Y) {
  if (MouseCaptureObject == -1 || MouseCaptureObject >= ObjectCount()) {
    MouseCaptureObject = -1;
    return;
  }
  auto* o = Objects(MouseCaptureObject);
  const bool caption = dynamic_cast<TbsSkinCaptionObject*>(o) != nullptr;
  if (!caption && o->Active) {
    // A release away from the object runs nothing, however quickly the
    // pointer left it (the tracking timer may not have seen it go).
    POINT p;
    GetCursorPos(&p);
    TPoint f = ScreenToFramePoint(p);
    if (!o->ObjectRect.Contains(f)) TrackActiveObject(-1, -1, false);
  }
  if (!caption && GetCapture() == FormHandle()) ReleaseCapture();
  MouseCaptureObject = -1;
  // The object may close the form; nothing of the frame is touched after it.
  o->MouseUp(X, Y, Button);
}

void TbsBusinessSkinForm::ObjectMouseMove(int X, int Y) {
  int i = MouseCaptureObject != -1 ? MouseCaptureObject : ActiveObject;
  if (i != -1 && i < ObjectCount()) Objects(i)->MouseMove(X, Y);
}

void TbsBusinessSkinForm::ObjectDblClick() {
  if (ActiveObject != -1 && ActiveObject < ObjectCount()) Objects(ActiveObject)->DblClick();
}

void TbsBusinessSkinForm::MorphTimerTick() {
  bool any = false;
  for (std::size_t i = 0; i < FObjectList.size(); ++i) {
    auto* o = FObjectList[i].get();
    if (o->EnableMorphing() && o->CanMorphing()) {
      o->DoMorphing();
      any = true;
    }
  }
  if (!any) MorphTimer->SetEnabled(false);
}

void TbsBusinessSkinForm::AnimateTimerTick() {
  bool more = false;
  for (auto& o : FObjectList) {
    if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get())) {
      if (a->Active && (!a->FDown || IsEmptyRect(a->DownSkinRect))) {
        a->ChangeFrame();
        more = true;
      }
    } else if (auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get()); c && c->EnableAnimation()) {
      if (c->FIncTime < c->AnimateInterval) {
        c->FIncTime += 25;
        more = true;
      } else if (c->Active && c->CurrentFrame <= c->FrameCount) {
        ++c->CurrentFrame;
        DrawSkinObject(c);
        c->FIncTime = 25;
        more = true;
      } else if (!c->Active && c->CurrentFrame > 0) {
        --c->CurrentFrame;
        DrawSkinObject(c);
        c->FIncTime = 25;
        more = true;
      }
    }
  }
  if (!more) AnimateTimer->SetEnabled(false);
}

void TbsBusinessSkinForm::ResetObjectStates() {
  for (auto& o : FObjectList) {
    if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get())) {
      a->FMouseIn = false;
      a->Active = false;
      a->FFrame = 1;
    } else if (!dynamic_cast<TbsSkinCaptionObject*>(o.get())) {
      o->Active = false;
      o->FMouseIn = false;
      o->FMorphKf = 0;
    }
  }
}

void TbsBusinessSkinForm::UpdateActiveLook(bool AAnimate) {
  const bool a = GetFormActive();
  for (auto& o : FObjectList) {
    auto* c = dynamic_cast<TbsSkinCaptionObject*>(o.get());
    if (!c || c->Active == a) continue;
    c->Active = a;
    if (AAnimate) {
      if (c->EnableAnimation()) {
        c->FIncTime = 25;
        c->CurrentFrame = a ? 1 : (c->InActiveAnimation ? c->FrameCount : 0);
        AnimateTimer->SetEnabled(true);
      }
      SendNCPaint();
      if (c->EnableMorphing()) MorphTimer->SetEnabled(true);
    } else if (c->EnableMorphing()) {
      c->FMorphKf = a ? 1 : 0;
    }
    break;
  }
  if (a) {
    if (OnActivate) OnActivate(this);
  } else if (OnDeActivate) {
    OnDeActivate(this);
  }
}

void TbsBusinessSkinForm::DoObjectPaint(const String& IDName, TCanvas* Canvas, TRect ObjectRect) {
  if (OnPaintEvent) OnPaintEvent(IDName, Canvas, ObjectRect);
}
void TbsBusinessSkinForm::DoObjectMouseDown(const String& IDName, int X, int Y, TRect R, forms::TMouseButton B) {
  if (OnMouseDownEvent) OnMouseDownEvent(IDName, X, Y, R, B);
}
void TbsBusinessSkinForm::DoObjectMouseUp(const String& IDName, int X, int Y, TRect R, forms::TMouseButton B) {
  if (OnMouseUpEvent) OnMouseUpEvent(IDName, X, Y, R, B);
}
void TbsBusinessSkinForm::DoObjectMouseMove(const String& IDName, int X, int Y, TRect R) {
  if (OnMouseMoveEvent) OnMouseMoveEvent(IDName, X, Y, R);
}
void TbsBusinessSkinForm::DoObjectMouseEnter(const String& IDName) {
  if (OnMouseEnterEvent) OnMouseEnterEvent(IDName);
}
void TbsBusinessSkinForm::DoObjectMouseLeave(const String& IDName) {
  if (OnMouseLeaveEvent) OnMouseLeaveEvent(IDName);
}

void TbsBusinessSkinForm::ActivateObjectHint(const String& AHint) {
  if (SkinHint && FrameHintSupport()) FrameHintSupport()->ActivateHint2(SkinHint, AHint);
}

void TbsBusinessSkinForm::HideObjectHint() {
  if (SkinHint && FrameHintSupport()) FrameHintSupport()->HideHint(SkinHint);
}

// ------------------------------------------------------------------ menus
forms::TMenuItem* TbsBusinessSkinForm::GetSystemMenuItems() {
  return FrameMenuSupport() ? FrameMenuSupport()->GetSystemMenuItems(this) : nullptr;
}

void TbsBusinessSkinForm::SkinMenuOpen() {
  if (InMenu) return;
  InMenu = true;
  if (OnSkinMenuOpen) OnSkinMenuOpen(this);
}

// The object that opened the menu leaves its pressed state.
void TbsBusinessSkinForm::SkinMenuClose() {
  if (!InMenu) return;
  InMenu = false;
  if (FrameMenuSupport()) FrameMenuSupport()->CloseMenus(this);
  for (auto& o : FObjectList) {
    if (auto* b = dynamic_cast<TbsSkinButtonObject*>(o.get()); b && b->MenuItem && b->FDown) {
      b->SetDown(false);
      break;
    }
    if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get()); a && a->MenuItem && a->FMenuTracking) {
      a->Active = true;
      a->FFrame = a->CountFrames;
      a->FDown = false;
      a->FMenuTracking = false;
      a->Increment = false;
      AnimateTimer->SetEnabled(true);
      break;
    }
  }
  if (FMenuLayerManager->IsVisible()) FMenuLayerManager->Hide();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
}

void TbsBusinessSkinForm::PopupSkinMenuItem(forms::TMenuItem* AItem, TRect R, bool APopupUp, TbsSkinData* SD) {
  if (!FrameMenuSupport() || !AItem || AItem->Count() == 0) return;
  SkinMenuOpen();
  FrameMenuSupport()->PopupMenuItem(this, AItem, R, APopupUp, SD);
}

void TbsBusinessSkinForm::ShowSystemMenuAtButton() {
  for (auto& o : FObjectList) {
    bool sys = false;
    if (auto* b = dynamic_cast<TbsSkinStdButtonObject*>(o.get())) sys = b->Command == cmSysMenu;
    if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o.get())) sys = sys || a->Command == cmSysMenu;
    if (!sys || !o->Enabled) continue;
    PopupSystemMenuAtRect(o->ScreenRect());
    return;
  }
  // No enabled system-menu button: the window has no system menu to open.
}

void TbsBusinessSkinForm::PopupSystemMenuAt(TPoint P) {
  if (!FrameMenuSupport()) return;
  SkinMenuOpen();
  FrameMenuSupport()->PopupSystemMenuAt(this, P);
}

void TbsBusinessSkinForm::PopupSystemMenuAtRect(TRect R) {
  forms::TMenuItem* items = GetSystemMenuItems();
  if (!FrameMenuSupport() || !items) return;
  SkinMenuOpen();
  FrameMenuSupport()->PopupMenuItem(this, items, R, false);
}

// ------------------------------------------------------------------ window states
void TbsBusinessSkinForm::SetWindowState(forms::TWindowState Value) {
  if (!FSkinnableForm) {
    FForm->SetWindowState(Value);
    return;
  }
  if (Value == FWindowState) return;
  const bool native = Value == forms::wsMinimized && (IsMainForm() || MinimizeDefault);
  const forms::TWindowState old = FWindowState;
  if (!native) FWindowState = Value;
  switch (Value) {
    case forms::wsNormal:
      if (old == forms::wsMaximized && FRollUpState && !FRollUpBeforeMaximize) {
        // Rolling down needs the normal state already.
        SetRollUpState(false);
      }
      FRollUpBeforeMaximize = false;
      Restore();
      break;
    case forms::wsMinimized: Minimize(); break;
    case forms::wsMaximized:
      FRollUpBeforeMaximize = FRollUpState;
      Maximize();
      break;
  }
}

void TbsBusinessSkinForm::Minimize() {
  if (IsMainForm()) {
    forms::Application->Minimize();
  } else if (MinimizeDefault) {
    FForm->SetWindowState(forms::wsMinimized);
  } else {
    if (IsEmptyRect(OldBoundsRect)) OldBoundsRect = FormBounds();
    TPoint p = FindMinimizedPosition();
    SetFormBounds(p.X, p.Y, GetMinWidth(), GetMinHeight());
    if (IsMDIChild()) NotifyMDIFrame(MSG_MDI_CHILD_RESTORED);
  }
  if (OnMinimize) OnMinimize(this);
}

void TbsBusinessSkinForm::Maximize() {
  if (IsEmptyRect(OldBoundsRect)) OldBoundsRect = FormBounds();
  if (IsMDIChild()) {
    MouseTimer->SetEnabled(false);
    TrackActiveObject(-1, -1, false);
    TRect A = GetMDIChildArea();
    const int w = FForm->Width(), h = FForm->Height();
    FForm->SetBounds(0, 0, A.Width(), A.Height());
    if (FForm->Width() == w && FForm->Height() == h) NudgeFormWidth();
    NotifyMDIFrame(MSG_MDI_CHILD_MAXIMIZED);
    if (OnMaximize) OnMaximize(this);
    return;
  }
  TRect whole = rtl::Rect(0, 0, forms::Screen->Width(), forms::Screen->Height());
  GetMonitorWorkArea(FormHandle(), false, whole);
  TRect r = whole;
  if (!MaximizeOnFullScreen) {
    GetMonitorWorkArea(FormHandle(), true, r);
    // A task bar that hides itself must stay reachable at the screen's edges.
    if (r.Width() == whole.Width() && r.Height() == whole.Height() &&
        whole == rtl::Rect(0, 0, forms::Screen->Width(), forms::Screen->Height()))
      r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  SetFormBounds(r.Left, r.Top, r.Width(), r.Height());
  if (StatusBar && StatusBar->SizeGrip()) StatusBar->SetShowGrip(false);
  if (OnMaximize) OnMaximize(this);
}

void TbsBusinessSkinForm::Restore() {
  MaxRollUpState = false;
  const int w = FForm->Width(), h = FForm->Height();
  if (!IsEmptyRect(OldBoundsRect)) {
    if (FStartShow) {
      FStartShow = false;
      TPoint p = GetPositionInMonitor(OldBoundsRect.Left, OldBoundsRect.Top, OldBoundsRect.Width(),
                                      OldBoundsRect.Height());
      SetFormBounds(p.X, p.Y, OldBoundsRect.Width(), OldBoundsRect.Height());
    } else {
      SetFormBounds(OldBoundsRect.Left, OldBoundsRect.Top, OldBoundsRect.Width(), OldBoundsRect.Height());
    }
  }
  MouseTimer->SetEnabled(true);
  if (FForm->Width() == w && FForm->Height() == h) NudgeFormWidth();
  FForm->Invalidate();
  OldBoundsRect = TRect{};
  if (StatusBar && StatusBar->SizeGrip()) StatusBar->SetShowGrip(true);
  if (IsMDIChild()) NotifyMDIFrame(MSG_MDI_CHILD_RESTORED);
  if (OnRestore) OnRestore(this);
}

TPoint TbsBusinessSkinForm::FindMinimizedPosition() {
  const int w = GetMinWidth(), h = GetMinHeight();
  TRect R = rtl::Rect(0, 0, forms::Screen->Width(), forms::Screen->Height());
  if (IsMDIChild()) {
    TRect A = GetMDIChildArea();
    R = rtl::Rect(0, 0, A.Width(), A.Height());
  } else {
    GetMonitorWorkArea(FormHandle(), true, R);
  }
  int x = R.Left, y = R.Bottom - h;
  auto occupied = [&](int px, int py) {
    if (IsMDIChild()) {
      auto* client = MDIClientOf(MDIMainForm());
      for (int i = 0; client && i < client->MDIChildCount(); ++i) {
        auto* f = client->MDIChildren(i);
        auto* bsf = FindSkinFormComponent(f);
        if (f != FForm && f->Visible() && bsf && bsf->WindowState() == forms::wsMinimized && f->Left() == px &&
            f->Top() == py)
          return true;
      }
      return false;
    }
    for (int i = 0; i < forms::Screen->FormCount(); ++i) {
      auto* f = forms::Screen->Forms(i);
      if (f == FForm || f == forms::Application->MainForm() || !f->Visible()) continue;
      auto* bsf = FindSkinFormComponent(f);
      if (bsf && bsf->WindowState() == forms::wsMinimized && f->Left() == px && f->Top() == py) return true;
    }
    return false;
  };
  while (occupied(x, y)) {
    x += w;
    if (x + w > R.Right) {
      x = R.Left;
      y -= h;
    }
    if (y < R.Top) {
      y = R.Bottom - h;
      break;
    }
  }
  return {x, y};
}

void TbsBusinessSkinForm::SetRollUpState(bool Value) {
  if (!FBorderIcons.Contains(biRollUp) || FWindowState == forms::wsMinimized) return;
  if (FRollUpState && FWindowState == forms::wsMaximized && !MaxRollUpState) return;
  if (FWindowState == forms::wsMaximized) MaxRollUpState = Value;
  FRollUpState = Value;
  if (Value) {
    OldHeight = FForm->Height();
    FForm->SetHeight(GetMinHeight());
  } else if (ClientHeight != 0) {
    FForm->SetClientHeight(ClientHeight);
  } else {
    FForm->SetHeight(OldHeight);
  }
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

void TbsBusinessSkinForm::CaptionDblClick() {
  const bool sizeable = IsSizeableFrame();
  if (sizeable && FWindowState == forms::wsMinimized) SetWindowState(forms::wsNormal);
  else if (sizeable && FWindowState != forms::wsMaximized && !FRollUpState && FBorderIcons.Contains(biMaximize))
    SetWindowState(forms::wsMaximized);
  else if (sizeable && FWindowState == forms::wsMaximized && !MaxRollUpState) SetWindowState(forms::wsNormal);
  else SetRollUpState(!FRollUpState);
}

void TbsBusinessSkinForm::SystemMenuRestore() {
  if (MaxRollUpState || (FRollUpState && FWindowState == forms::wsNormal)) SetRollUpState(false);
  else SetWindowState(forms::wsNormal);
}

void TbsBusinessSkinForm::SystemMenuMinimize() {
  if (AlwaysMinimizeToTray) MinimizeToTray();
  else SetWindowState(forms::wsMinimized);
}

void TbsBusinessSkinForm::CloseFromSystemMenu() { FForm->Close(); }

// Both need a linked tray icon; without one nothing happens.
void TbsBusinessSkinForm::MinimizeToTray() {
  if (FrameMenuSupport()) FrameMenuSupport()->MinimizeToTray(this);
}

void TbsBusinessSkinForm::RestoreFromTray() {
  if (FrameMenuSupport()) FrameMenuSupport()->RestoreFromTray(this);
}

// ------------------------------------------------------------------ placement
void TbsBusinessSkinForm::ApplyPositionInMonitor() {
  if (PositionInMonitor == bspDefault) return;
  TPoint p = GetPositionInMonitor(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  FForm->SetBounds(p.X, p.Y, FForm->Width(), FForm->Height());
}

TPoint TbsBusinessSkinForm::GetPositionInMonitor(int AX, int AY, int AW, int AH) {
  if (PositionInMonitor == bspDefault) return {AX, AY};
  TRect R = rtl::Rect(0, 0, forms::Screen->Width(), forms::Screen->Height());
  GetMonitorWorkArea(FormHandle(), PositionInMonitor == bspDesktopCenter, R);
  return {R.Left + R.Width() / 2 - AW / 2, R.Top + R.Height() / 2 - AH / 2};
}

void TbsBusinessSkinForm::MagnetizeBounds(int& Left, int& Top, int Width, int Height) {
  const int m = MagneticSize;
  TRect R = rtl::Rect(0, 0, forms::Screen->Width(), forms::Screen->Height());
  if (IsMDIChild()) {
    // A child snaps to the free part of the main form's client area.
    R = GetMDIChildArea();
    if (forms::TCustomForm* main = MDIMainForm()) {
      const TPoint o = main->ClientOrigin();
      R = rtl::Rect(R.Left + o.X, R.Top + o.Y, R.Right + o.X, R.Bottom + o.Y);
    }
  } else {
    GetMonitorWorkArea(FormHandle(), true, R);
  }
  // A layered border that reacts to the mouse snaps with its bands.
  const bool bands = IsLayeredBorderInUse() && FBorderLayer->FVisible && FBorderLayer->FData &&
                     !IsEmptyRect(FBorderLayer->FData->BorderRect);
  if (bands) {
    Left -= FBorderLayer->LeftSize;
    Top -= FBorderLayer->TopSize;
    Width += FBorderLayer->RightSize;
    Height += FBorderLayer->BottomSize;
  }
  POINT cur;
  GetCursorPos(&cur);
  auto snap = [&](int& v, int target, int tearOff, int cursor, int& coord, bool& flag, bool near) {
    if (near && !flag) {
      v = target;
      coord = cursor;
    } else if (flag && std::abs(cursor - coord) > m) {
      v = tearOff;
    } else if (flag) {
      v = target;
    }
    flag = near;
  };
  bool nearL = R.Left - m < Left && Left < R.Left + m;
  bool nearT = R.Top - m < Top && Top < R.Top + m;
  snap(Left, R.Left, cur.X + R.Left - FOnMouseDownCoord.X, cur.X, FOnMouseDownCoord.X, HMagnetized, nearL);
  snap(Top, R.Top, cur.Y + R.Top - FOnMouseDownCoord.Y, cur.Y, FOnMouseDownCoord.Y, VMagnetized, nearT);
  bool nearR = R.Right - m < Left + Width && Left + Width < R.Right + m;
  bool nearB = R.Bottom - m < Top + Height && Top + Height < R.Bottom + m;
  snap(Left, R.Right - Width, cur.X + R.Right - Width - FOnMouseDownCoord.X, cur.X, FOnMouseDownCoord.X, HMagnetized2,
       nearR);
  snap(Top, R.Bottom - Height, cur.Y + R.Bottom - Height - FOnMouseDownCoord.Y, cur.Y, FOnMouseDownCoord.Y,
       VMagnetized2, nearB);
  if (bands) {
    if (!nearR) Left += FBorderLayer->LeftSize;
    if (!nearB) Top += FBorderLayer->TopSize;
  }
}

void TbsBusinessSkinForm::NudgeFormWidth() {
  const int w = FForm->Width();
  if (w - 1 < GetMinWidth()) {
    FForm->SetWidth(w + 1);
    FForm->SetWidth(w);
  } else {
    FForm->SetWidth(w - 1);
    FForm->SetWidth(w);
  }
}

// ------------------------------------------------------------------ skin-change delivery
namespace {

class FormsSkinRegistry : public IbsSkinFormRegistry {
  class Entry : public IbsSkinForm {
   public:
    explicit Entry(forms::TCustomForm* f) : F(f) {}
    rtl::String FormClassName() const override { return rtl::ClassName(F); }
    void SendSkinMessage(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam) override {
      // A form on its way out gets no new window.
      if (F->ComponentState().Contains(rtl::csDestroying)) return;
      SendMessageW(F->Handle(), Msg, WParam, LParam);
    }
    forms::TCustomForm* F;
  };

 public:
  std::vector<IbsSkinForm*> Forms() const override {
    std::vector<IbsSkinForm*> out;
    std::map<forms::TCustomForm*, std::unique_ptr<Entry>> kept;
    for (int i = 0; forms::Screen && i < forms::Screen->FormCount(); ++i) {
      forms::TCustomForm* f = forms::Screen->Forms(i);
      out.push_back(EntryOf(f));
      kept[f] = std::move(entries_[f]);
    }
    entries_ = std::move(kept);
    return out;
  }
  IbsSkinForm* FormOf(const rtl::TComponent* C) const override {
    for (int i = 0; forms::Screen && i < forms::Screen->FormCount(); ++i)
      if (forms::Screen->Forms(i) == C) return EntryOf(forms::Screen->Forms(i));
    return nullptr;
  }

 private:
  // One entry per form for as long as the form lives, so that the entry of
  // a form is the same object whichever call handed it out.
  Entry* EntryOf(forms::TCustomForm* f) const {
    auto& e = entries_[f];
    if (!e) e = std::make_unique<Entry>(f);
    return e.get();
  }
  mutable std::map<forms::TCustomForm*, std::unique_ptr<Entry>> entries_;
};

}  // namespace

void InstallFormsSkinRegistry() {
  static FormsSkinRegistry registry;
  SetSkinFormRegistry(&registry);
}

}  // namespace skin
