// MDI support: the client window, the window list, the tabs bar link and the
// arrange commands of the frame.
#include "skin/forms/bsSkinMDI.h"

#include <algorithm>
#include <cmath>

#include "platform/win/WinApi.h"
#include "skin/forms/bsSkinMDITabsBar.h"

namespace skin {

using namespace win;
using forms::TCustomForm;
using forms::TMenuItem;

namespace {
const String kChildItem = u"_BSFCHILDITEM";

// The child name an item stands for: its name less the first suffix.
String ItemChildName(const String& ItemName, const String& Suffix) {
  String s = ItemName;
  auto p = s.find(Suffix);
  if (p != String::npos) s.erase(p, Suffix.size());
  return s;
}

TbsBusinessSkinForm* MainFrame() { return FindSkinFormComponent(MDIMainForm()); }
}  // namespace

// ------------------------------------------------------------------ client
TbsMDIClient::TbsMDIClient(TCustomForm* AForm) : TCustomControl(AForm), FFrameForm(AForm) {
  SetParent(AForm);
  SetAlign(forms::alClient);
  SetColor(gdi::clAppWorkSpace);
}

TbsMDIClient::~TbsMDIClient() {
  for (auto* c : FChildren) c->RemoveFreeNotification(this);
}

void TbsMDIClient::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == WindowMenu) WindowMenu = nullptr;
  auto it = std::find(FChildren.begin(), FChildren.end(), AComponent);
  if (it == FChildren.end()) return;
  FChildren.erase(it);
  if (FActive == AComponent) {
    FActive = nullptr;
    if (!FChildren.empty()) ActivateChild(FChildren.front());
  }
}

void TbsMDIClient::AddChild(TCustomForm* Child) {
  if (!Child || std::find(FChildren.begin(), FChildren.end(), Child) != FChildren.end()) return;
  FChildren.push_back(Child);
  Child->FreeNotification(this);
}

void TbsMDIClient::RemoveChild(TCustomForm* Child) {
  auto it = std::find(FChildren.begin(), FChildren.end(), Child);
  if (it == FChildren.end()) return;
  FChildren.erase(it);
  Child->RemoveFreeNotification(this);
  if (FActive == Child) {
    FActive = nullptr;
    if (!FChildren.empty()) ActivateChild(FChildren.front());
  }
}

void TbsMDIClient::ActivateChild(TCustomForm* Child) {
  auto it = std::find(FChildren.begin(), FChildren.end(), Child);
  if (it == FChildren.end()) return;
  FChildren.erase(it);
  FChildren.insert(FChildren.begin(), Child);
  TCustomForm* old = FActive;
  FActive = Child;
  if (Child->HandleAllocated())
    SetWindowPos(Child->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (old == Child) return;
  if (old && old->HandleAllocated()) SendMessageW(old->Handle(), WM_NCACTIVATE, 0, 0);
  if (Child->HandleAllocated()) SendMessageW(Child->Handle(), WM_NCACTIVATE, 1, 0);
}

void TbsMDIClient::Dispatch(forms::TMessage& M) {
  if (M.Msg == WM_PARENTNOTIFY) {
    // A press in a child (or in one of its controls) activates that child:
    // the topmost child under the point, children being in activation order.
    const unsigned ev = LOWORD(M.WParam);
    if (ev == WM_LBUTTONDOWN || ev == WM_RBUTTONDOWN || ev == WM_MBUTTONDOWN) {
      TPoint p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
      for (TCustomForm* c : std::vector<TCustomForm*>(FChildren))
        if (c->Visible() && c->BoundsRect().Contains(p)) {
          if (c != FActive) ActivateChild(c);
          break;
        }
    }
  }
  if (M.Msg == WM_SIZE) {
    TCustomControl::Dispatch(M);
    if (auto* f = FindSkinFormComponent(FFrameForm)) {
      f->RefitMDIChildren();
      // A background that depends on the client's size (a logo placed in
      // it, a stretched picture) is drawn again as a whole.
      const TbsSkinData* sd = f->SkinData();
      const bool bgPicture = sd && sd->MDIBGPictureIndex != -1;
      if (!f->LogoBitMap()->Empty() || (f->SkinSupport() && sd && sd->StretchEffect && !bgPicture) ||
          (sd && sd->MDIBGStretchEffect && bgPicture))
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
    }
    return;
  }
  if (M.Msg == WM_ERASEBKGND) {
    if (auto* f = FindSkinFormComponent(FFrameForm)) {
      f->PaintMDIClientBG(reinterpret_cast<gdi::HDC>(M.WParam));
      M.Result = 1;
      return;
    }
  }
  TCustomControl::Dispatch(M);
}

void TbsMDIClient::Paint() {
  if (auto* f = FindSkinFormComponent(FFrameForm)) f->PaintMDIClientBG(Canvas()->Handle());
  else {
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(ClientRect());
  }
}

TbsMDIClient* MDIClientOf(TCustomForm* Form) {
  if (!Form) return nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TbsMDIClient*>(Form->Components(i))) return c;
  return nullptr;
}

TCustomForm* MDIMainForm() {
  if (!forms::Application) return nullptr;
  if (TCustomForm* m = forms::Application->MainForm(); MDIClientOf(m)) return m;
  if (!forms::Screen) return nullptr;
  for (int i = 0; i < forms::Screen->FormCount(); ++i)
    if (MDIClientOf(forms::Screen->Forms(i))) return forms::Screen->Forms(i);
  return nullptr;
}

TbsBusinessSkinForm* FindMaximizedChildSkinForm() {
  auto* client = MDIClientOf(MDIMainForm());
  if (!client) return nullptr;
  for (int i = 0; i < client->MDIChildCount(); ++i) {
    auto* f = FindSkinFormComponent(client->MDIChildren(i));
    if (f && f->WindowState() == forms::wsMaximized) return f;
  }
  return nullptr;
}

TbsBusinessSkinForm* FindActiveChildSkinForm() {
  auto* client = MDIClientOf(MDIMainForm());
  return client ? FindSkinFormComponent(client->ActiveMDIChild()) : nullptr;
}

// ------------------------------------------------------------------ frame side
void TbsBusinessSkinForm::SetMDIStyle(forms::TFormStyle FS) {
  if (FS == forms::fsMDIForm) {
    FMDIStyle = FS;
    if (!MDIClientOf(FForm)) new TbsMDIClient(FForm);
    return;
  }
  if (FS != forms::fsMDIChild) return;
  TCustomForm* main = MDIMainForm();
  auto* client = MDIClientOf(main);
  if (!client || main == FForm) return;
  FMDIStyle = FS;
  FForm->SetParent(client);
  client->AddChild(FForm);
}

bool TbsBusinessSkinForm::IsMDIChild() const {
  return FMDIStyle == forms::fsMDIChild || FForm->FormStyle() == forms::fsMDIChild;
}
bool TbsBusinessSkinForm::IsMDIForm() const {
  return FMDIStyle == forms::fsMDIForm || FForm->FormStyle() == forms::fsMDIForm;
}

TRect TbsBusinessSkinForm::GetMDIChildArea() {
  TCustomForm* main = MDIMainForm();
  if (!main) return {};
  TRect c = main->ClientRect();
  TRect r{0, 0, c.Width(), c.Height()};
  for (int i = 0; i < main->ControlCount(); ++i) {
    forms::TControl* ctl = main->Controls(i);
    if (!ctl->Visible() || dynamic_cast<TbsMDIClient*>(ctl)) continue;
    switch (ctl->Align()) {
      case forms::alLeft: r.Left = std::max(r.Left, ctl->Left() + ctl->Width()); break;
      case forms::alTop: r.Top = std::max(r.Top, ctl->Top() + ctl->Height()); break;
      case forms::alRight: r.Right = std::min(r.Right, ctl->Left()); break;
      case forms::alBottom: r.Bottom = std::min(r.Bottom, ctl->Top()); break;
      default: break;
    }
  }
  return r;
}

void TbsBusinessSkinForm::AddChildToMenu(TCustomForm* Child) {
  auto* client = MDIClientOf(MDIMainForm());
  auto* childFrame = FindSkinFormComponent(Child);
  if (!client || !client->WindowMenu || !MainFrame() || !Child) return;
  auto* item = new TMenuItem(childFrame ? static_cast<rtl::TComponent*>(childFrame) : Child);
  item->SetName(Child->Name() + kChildItem);
  item->SetCaption(Child->Caption());
  TbsBusinessSkinForm* self = this;
  item->OnClick = [self](rtl::TObject* Sender) { self->MDIItemClick(Sender); };
  client->WindowMenu->Add(item);
}

namespace {
TMenuItem* FindChildItem(TMenuItem* Menu, TCustomForm* Child) {
  for (int i = 0; i < Menu->Count(); ++i) {
    TMenuItem* it = Menu->Items(i);
    if (it->Name().find(kChildItem) != String::npos && ItemChildName(it->Name(), kChildItem) == Child->Name())
      return it;
  }
  return nullptr;
}
}  // namespace

void TbsBusinessSkinForm::UpDateChildCaptionInMenu(TCustomForm* Child) {
  auto* client = MDIClientOf(MDIMainForm());
  if (!client || !client->WindowMenu || !MainFrame() || !Child) return;
  if (TMenuItem* it = FindChildItem(client->WindowMenu, Child)) it->SetCaption(Child->Caption());
}

void TbsBusinessSkinForm::UpDateChildActiveInMenu() {
  auto* client = MDIClientOf(MDIMainForm());
  if (!client || !client->WindowMenu || !MainFrame()) return;
  TCustomForm* active = client->ActiveMDIChild();
  TMenuItem* menu = client->WindowMenu;
  for (int i = 0; i < menu->Count(); ++i) {
    TMenuItem* it = menu->Items(i);
    if (it->Name().find(kChildItem) == String::npos) continue;
    it->SetChecked(active && ItemChildName(it->Name(), kChildItem) == active->Name());
  }
}

void TbsBusinessSkinForm::DeleteChildFromMenu(TCustomForm* Child) {
  auto* client = MDIClientOf(MDIMainForm());
  if (!client || !client->WindowMenu || !MainFrame() || !Child) return;
  TMenuItem* menu = client->WindowMenu;
  if (TMenuItem* it = FindChildItem(menu, Child)) menu->Delete(menu->IndexOf(it));
  bool anyChild = false;
  for (int i = 0; i < client->MDIChildCount(); ++i)
    if (client->MDIChildren(i) != Child) anyChild = true;
  if (anyChild) return;
  for (int i = 0; i < menu->Count(); ++i)
    if (menu->Items(i)->Name().find(kChildItem) != String::npos) {
      menu->Delete(i);
      break;
    }
}

void TbsBusinessSkinForm::MDIItemClick(rtl::TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  auto* client = MDIClientOf(MDIMainForm());
  if (!item || !client) return;
  String name = ItemChildName(item->Name(), kChildItem);
  for (int i = client->MDIChildCount() - 1; i >= 0; --i) {
    if (i >= client->MDIChildCount()) continue;
    TCustomForm* c = client->MDIChildren(i);
    if (c->Name() != name) continue;
    if (auto* f = FindSkinFormComponent(c); f && f->WindowState() == forms::wsMinimized)
      f->SetWindowState(forms::wsNormal);
    ShowMDIChild(c);
    break;
  }
}

void TbsBusinessSkinForm::ShowMDIChild(TCustomForm* Child) {
  Child->Show();
  if (auto* client = MDIClientOf(MDIMainForm())) client->ActivateChild(Child);
}

void TbsBusinessSkinForm::AddChildToBar(TCustomForm* Child) {
  auto* main = MainFrame();
  if (!main || !main->MDITabsBar || !Child) return;
  bool accept = true;
  if (OnAcceptToMDITabsBar) OnAcceptToMDITabsBar(accept);
  if (accept) main->MDITabsBar->AddTab(Child);
}

void TbsBusinessSkinForm::DeleteChildFromBar(TCustomForm* Child) {
  auto* main = MainFrame();
  if (main && main->MDITabsBar && Child) main->MDITabsBar->DeleteTab(Child);
}

void TbsBusinessSkinForm::RefreshMDIBarTab(TCustomForm* Child) {
  auto* main = MainFrame();
  if (main && main->MDITabsBar && Child) main->MDITabsBar->RefreshTab(Child);
}

void TbsBusinessSkinForm::UpdateMainFormTabsBar() {
  auto* main = MainFrame();
  if (main && main->MDITabsBar) main->MDITabsBar->UpdateActiveTab();
}

void TbsBusinessSkinForm::UpdateMainMenuBarItems() {
  auto* main = MainFrame();
  if (main && main->MainMenuBar && FrameMenuSupport()) FrameMenuSupport()->UpdateMenuBarItems(main);
}

void TbsBusinessSkinForm::RefitMDIChildren() {
  auto* client = MDIClientOf(FForm);
  if (!client) return;
  for (int i = 0; i < client->MDIChildCount(); ++i)
    if (client->MDIChildren(i)->HandleAllocated())
      SendMessageW(client->MDIChildren(i)->Handle(), MSG_MDI_CHILD_REFIT, 0, 0);
  ArrangeMinimizedChildren();
}

void TbsBusinessSkinForm::ArrangeMinimizedChildren() {
  auto* client = MDIClientOf(FForm);
  if (!client) return;
  for (int i = 0; i < client->MDIChildCount(); ++i) {
    auto* f = FindSkinFormComponent(client->MDIChildren(i));
    if (!f || f->WindowState() != forms::wsMinimized) continue;
    TPoint p = f->FindMinimizedPosition();
    client->MDIChildren(i)->SetBounds(p.X, p.Y, client->MDIChildren(i)->Width(), client->MDIChildren(i)->Height());
  }
}

TCustomForm* TbsBusinessSkinForm::FindMaximizedMDIChild() {
  auto* client = MDIClientOf(MDIMainForm());
  if (!client) return nullptr;
  if (auto* f = FindSkinFormComponent(client->ActiveMDIChild()); f && f->WindowState() == forms::wsMaximized)
    return client->ActiveMDIChild();
  for (int i = 0; i < client->MDIChildCount(); ++i)
    if (auto* f = FindSkinFormComponent(client->MDIChildren(i)); f && f->WindowState() == forms::wsMaximized)
      return client->MDIChildren(i);
  return nullptr;
}

String TbsBusinessSkinForm::CaptionText() {
  String text = FForm->Caption();
  if (IsMDIForm() && FMDIChildMaximized)
    if (TCustomForm* child = FindMaximizedMDIChild()) text += u" - [" + child->Caption() + u"]";
  return text;
}

void TbsBusinessSkinForm::Tile() {
  auto* client = MDIClientOf(FForm);
  if (!IsMDIForm() || !client) return;
  RestoreAll();
  const int n = client->MDIChildCount();
  int cols = int(std::trunc(std::sqrt(double(n))));
  if (cols < 1) return;
  int rows = n / cols;
  if (n > rows * cols) ++rows;
  TRect area = GetMDIChildArea();
  const int W = area.Width(), H = area.Height();
  const int colW = W / cols;
  int rowH = H / rows, x = W, y = H, c = cols;
  for (int i = n - 1; i >= 0; --i) {
    int left = std::max(x - colW, 0), top = std::max(y - rowH, 0);
    client->MDIChildren(i)->SetBounds(left, top, colW, rowH);
    y -= rowH;
    if (y - rowH < 0) {
      y = H;
      x -= colW;
      c = std::max(c - 1, 1);
      int r = i / c;
      if (i > r * c) ++r;
      r = std::max(r, 1);
      rowH = H / r;
    }
  }
}

void TbsBusinessSkinForm::Cascade() {
  auto* client = MDIClientOf(FForm);
  if (!IsMDIForm() || !client) return;
  RestoreAll();
  TRect area = GetMDIChildArea();
  const int W = area.Width(), H = area.Height();
  const int step = FSkinSupport ? NewClRect.Top
                                : GetDefaultCaptionHeight() + 3;
  if (step <= 0) return;
  const int n = client->MDIChildCount();
  int k = (W - int(std::lround(W * 0.8))) / step;
  int w, h;
  if (k > n) {
    w = W - step * (n - 1);
    h = H - step * (n - 1);
  } else {
    w = W - step * k;
    h = H - step * k;
  }
  w = std::max(w, GetMinWidth());
  h = std::max(h, GetMinHeight());
  int offset = 0;
  for (int i = n - 1; i >= 0; --i) {
    TCustomForm* ch = client->MDIChildren(i);
    int cw = w, chh = h;
    if (ch->BorderStyle() == forms::bsSingle) {
      cw = ch->Width();
      chh = ch->Height();
    }
    if (offset + cw > W || offset + chh > H) offset = 0;
    ch->SetBounds(offset, offset, cw, chh);
    offset += step;
  }
}

namespace {
template <class F>
void ForEachChildFrame(forms::TCustomForm* Form, F Fn) {
  auto* client = MDIClientOf(Form);
  if (!client) return;
  std::vector<forms::TCustomForm*> kids;
  for (int i = 0; i < client->MDIChildCount(); ++i) kids.push_back(client->MDIChildren(i));
  for (auto* k : kids)
    if (auto* f = FindSkinFormComponent(k)) Fn(f);
}
}  // namespace

void TbsBusinessSkinForm::MinimizeAll() {
  if (!IsMDIForm()) return;
  ForEachChildFrame(FForm, [](TbsBusinessSkinForm* f) { f->SetWindowState(forms::wsMinimized); });
}

void TbsBusinessSkinForm::MaximizeAll() {
  if (!IsMDIForm()) return;
  ForEachChildFrame(FForm, [](TbsBusinessSkinForm* f) { f->SetWindowState(forms::wsMaximized); });
}

void TbsBusinessSkinForm::RestoreAll() {
  if (!IsMDIForm()) return;
  ForEachChildFrame(FForm, [](TbsBusinessSkinForm* f) {
    if (f->WindowState() != forms::wsNormal) f->SetWindowState(forms::wsNormal);
    if (f->RollUpState() && f->WindowState() == forms::wsNormal) f->SetRollUpState(false);
  });
}

void TbsBusinessSkinForm::CloseAll() {
  auto* client = MDIClientOf(FForm);
  if (!IsMDIForm() || !client) return;
  for (int i = client->MDIChildCount() - 1; i >= 0; --i)
    if (i < client->MDIChildCount()) client->MDIChildren(i)->Close();
}

}  // namespace skin
