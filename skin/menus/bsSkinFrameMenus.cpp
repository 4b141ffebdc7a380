#include "skin/menus/bsSkinFrameMenus.h"

#include <algorithm>

#include "platform/win/WinApi.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/menus/bsSkinMainMenuBar.h"
#include "skin/menus/bsSkinMenus.h"

namespace skin {

using forms::TMenuItem;
using namespace win;

namespace {

struct SysItem {
  const char16_t* Name;
  const char16_t* Key;
  const char16_t* Text;
};
const SysItem kMin{u"BSF_MINITEM", u"MI_MINCAPTION", u"Mi&nimize"};
const SysItem kMax{u"BSF_MAXITEM", u"MI_MAXCAPTION", u"Ma&ximize"};
const SysItem kRestore{u"BSF_RESTORE", u"MI_RESTORECAPTION", u"&Restore"};
const SysItem kRollUp{u"BSF_ROLLUP", u"MI_ROLLUPCAPTION", u"Ro&llUp"};
const SysItem kMinToTray{u"BSF_MINTOTRAY", u"MI_MINTOTRAYCAPTION", u"Minimize to &Tray"};
const SysItem kClose{u"BSF_CLOSE", u"MI_CLOSECAPTION", u"&Close"};

String SysText(TbsBusinessSkinForm* F, const SysItem& I) {
  TbsSkinData* SD = F ? F->SkinData() : nullptr;
  if (SD && SD->ResourceStrData()) {
    String s = SD->ResourceStrData()->GetResStr(I.Key);
    if (!s.empty()) return s;
  }
  return I.Text;
}

TMenuItem* MakeItem(rtl::TComponent* Owner, TbsBusinessSkinForm* F, const SysItem& I, std::function<void()> Run,
                    bool UseSkinText = true) {
  auto* it = new TMenuItem(Owner);
  it->SetName(I.Name);
  it->SetCaption(UseSkinText ? SysText(F, I) : String(I.Text));
  it->OnClick = [Run](rtl::TObject*) { Run(); };
  return it;
}

TMenuItem* MakeClose(rtl::TComponent* Owner, TbsBusinessSkinForm* F, const SysItem& I, bool UseSkinText = true) {
  TMenuItem* it = MakeItem(Owner, F, I, [F] { F->CloseFromSystemMenu(); }, UseSkinText);
  it->SetShortCut(forms::TextToShortCut(F->IsMDIChild() ? u"Ctrl+F4" : u"Alt+F4"));
  return it;
}

forms::TShiftState ShiftOf(const win::MSG& Msg) {
  forms::TShiftState s;
  if (GetKeyState(VK_SHIFT) & 0x8000) s.Include(forms::ssShift);
  if (GetKeyState(VK_CONTROL) & 0x8000) s.Include(forms::ssCtrl);
  if ((Msg.lParam & (LPARAM(1) << 29)) || GetKeyState(VK_MENU) < 0) s.Include(forms::ssAlt);
  return s;
}

bool OnlyAlt(forms::TShiftState s) {
  return s.Contains(forms::ssAlt) && !s.Contains(forms::ssShift) && !s.Contains(forms::ssCtrl);
}

// The frame's menu settings reach its engine before every opening.
void ApplyMenuSettings(TbsBusinessSkinForm* F, TbsSkinMenu* E) {
  E->AlphaBlend = F->MenusAlphaBlend();
  E->AlphaBlendAnimation = F->MenusAlphaBlendAnimation();
  E->AlphaBlendValue = std::uint8_t(std::clamp(F->MenusAlphaBlendValue(), 0, 255));
  E->MaxMenuItemsInWindow = F->MaxMenuItemsInWindow();
  E->DefaultMenuItemHeight = F->DefMenuItemHeight();
  E->SetDefaultMenuItemFont(F->DefMenuItemFont());
  E->UseSkinFont = F->UseSkinFontInMenu;
}

TbsSkinData* MenuSkinOf(TbsBusinessSkinForm* F) { return F->MenusSkinData() ? F->MenusSkinData() : F->SkinData(); }

// The frame whose engine shows F's menus: the main form's for an MDI child.
TbsBusinessSkinForm* ShowingFrame(TbsBusinessSkinForm* F) {
  if (F->IsMDIChild()) return FindSkinFormComponent(MDIMainForm());
  return F;
}

void EndMainMenuMode(TbsBusinessSkinForm* F) {
  F->InMainMenu = false;
  if (auto* host = FindFrameMenuHost(F))
    if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->LeaveMenuMode();
  if (F->OnMainMenuExit) F->OnMainMenuExit(F);
}

class TbsFrameMenus : public TbsFrameMenuSupport {
 public:
  forms::TMenuItem* GetSystemMenuItems(TbsBusinessSkinForm* F) override {
    auto* host = FindFrameMenuHost(F);
    return host ? host->GetSystemMenuItems() : nullptr;
  }
  void PopupMenuItem(TbsBusinessSkinForm* F, forms::TMenuItem* AItem, TRect R, bool APopupUp,
                     TbsSkinData* SD) override {
    TbsBusinessSkinForm* S = ShowingFrame(F);
    auto* host = S ? FindFrameMenuHost(S) : nullptr;
    if (!host) return;
    if (S != F) S->SkinMenuOpen();
    host->TbsSkinMenuHost::SkinMenuOpen();
    ApplyMenuSettings(S, host->SkinMenu());
    host->SkinMenu()->Popup(nullptr, SD ? SD : MenuSkinOf(S), 0, R, AItem, APopupUp);
  }
  TbsSkinData* MenuSkinDataOf(forms::TMenu* Menu) override {
    auto* M = dynamic_cast<TbsSkinMainMenu*>(Menu);
    return M ? M->SkinData() : nullptr;
  }
  void PopupSystemMenuAt(TbsBusinessSkinForm* F, TPoint P) override {
    forms::TMenuItem* items = GetSystemMenuItems(F);
    if (items) PopupMenuItem(F, items, rtl::Rect(P.X, P.Y, P.X, P.Y), false, nullptr);
  }
  void CloseMenus(TbsBusinessSkinForm* F) override {
    auto* host = FindFrameMenuHost(F);
    if (!host) return;
    host->HideQuietly();
    host->CloseHostSide();
    if (F->InMainMenu) EndMainMenuMode(F);
  }
  void CloseMenusOnMessage(TbsBusinessSkinForm* F, const forms::TMessage& M) override {
    if (!IsMenuCloseMessage(M.Msg)) return;
    if (auto* host = FindExistingHost(F)) host->CloseMenusOnMessage(M.Msg);
  }
  void KeyMenu(TbsBusinessSkinForm* F, int Key) override {
    auto* host = FindFrameMenuHost(F);
    TbsSkinMainMenuBar* bar = host ? host->MenuBar() : nullptr;
    if (!bar) return;
    if (Key == 0) {
      // The Alt of an Alt+letter accelerator the bar took is no menu key.
      if (F->AltKeyTaken) {
        F->AltKeyTaken = false;
        return;
      }
      if (F->InMainMenu) ExitMainMenu(F);
      else bar->EnterMenuMode();
      return;
    }
    char16_t c = char16_t(Key);
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    bar->HandleItemAccelerator(c);
  }
  void FormShortCut(TbsBusinessSkinForm* F, win::MSG& Msg, bool& Handled) override {
    if (F->FInShortCut) {
      F->FInShortCut = false;
      Handled = false;
    }
    auto* host = FindFrameMenuHost(F);
    TbsSkinMainMenuBar* bar = host ? host->MenuBar() : nullptr;
    forms::TMainMenu* M = bar && bar->MainMenu() ? bar->MainMenu() : F->FMainMenu;
    const forms::TShiftState shift = ShiftOf(Msg);
    const rtl::Word key = rtl::Word(Msg.wParam);
    if (M) {
      if (OnlyAlt(shift) && key != VK_F4 && bar && bar->HandleItemAccelerator(key)) {
        Handled = true;
        F->AltKeyTaken = true;
      } else {
        F->FInShortCut = M->IsShortCut(key, shift);
        Handled = F->FInShortCut;
      }
    }
    if (Handled || !bar) return;
    if (forms::TMainMenu* child = bar->ChildMenuIn ? bar->GetChildMainMenu() : nullptr) {
      if (OnlyAlt(shift) && bar->HandleItemAccelerator(key)) {
        Handled = true;
        F->AltKeyTaken = true;
      } else {
        F->FInShortCut = child->IsShortCut(key, shift);
        Handled = F->FInShortCut;
      }
    }
  }
  void UpdateMenuBarItems(TbsBusinessSkinForm* F) override {
    if (auto* host = FindFrameMenuHost(F))
      if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->UpDateItems();
  }
  void MDIChildMaximized(TbsBusinessSkinForm* F) override {
    if (auto* host = FindFrameMenuHost(F))
      if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->ShowMDIChildButtons();
  }
  void MDIChildRestored(TbsBusinessSkinForm* F) override {
    if (auto* host = FindFrameMenuHost(F))
      if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->UpdateMDIChildButtons();
  }
  void FrameDestroyed(TbsBusinessSkinForm* F) override { delete FindExistingHost(F); }
  bool MinimizeToTray(TbsBusinessSkinForm* F) override {
    auto* host = FindExistingHost(F);
    if (!host || !host->TrayLink()->TrayIcon()) return false;
    host->TrayLink()->MinimizeToTray();
    return true;
  }
  bool RestoreFromTray(TbsBusinessSkinForm* F) override {
    auto* host = FindExistingHost(F);
    if (!host || !host->TrayLink()->TrayIcon()) return false;
    host->TrayLink()->RestoreFromTray();
    return true;
  }

  static TbsFrameMenuHost* FindExistingHost(TbsBusinessSkinForm* F) {
    forms::TCustomForm* form = F ? F->Form() : nullptr;
    if (!form) return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i)
      if (auto* h = dynamic_cast<TbsFrameMenuHost*>(form->Components(i)); h && h->Frame() == F) return h;
    return nullptr;
  }
};

TbsFrameMenus gFrameMenus;

}  // namespace

// A popup menu's engine: the one its form already has, else the menu host
// of the form's frame (of the main form's frame for an MDI child).
TbsSkinMenuEngine* FindFrameMenuEngine(TbsSkinPopupMenu* Menu) {
  if (auto* frame = dynamic_cast<TbsBusinessSkinForm*>(Menu->SkinComponent)) return FindFrameMenuHost(frame);
  if (Menu->SkinComponent) return FindMenuFrame(Menu);
  forms::TCustomForm* F = Menu->ComponentForm;
  if (!F) F = dynamic_cast<forms::TCustomForm*>(Menu->Owner());
  if (!F && Menu->Owner()) F = dynamic_cast<forms::TCustomForm*>(Menu->Owner()->Owner());
  TbsBusinessSkinForm* frame = FindSkinFormComponent(F);
  if (frame && frame->IsMDIChild()) {
    if (TbsBusinessSkinForm* main = FindSkinFormComponent(MDIMainForm())) return FindFrameMenuHost(main);
    return nullptr;
  }
  if (TbsSkinMenuEngine* E = FindMenuFrame(Menu)) return E;
  return frame ? FindFrameMenuHost(frame) : nullptr;
}

void InstallSkinFrameMenus() {
  if (FrameMenuSupport()) return;
  SetFrameMenuSupport(&gFrameMenus);
  FindSkinMenuEngine = FindFrameMenuEngine;
}

TbsFrameMenuHost* FindFrameMenuHost(TbsBusinessSkinForm* F) {
  if (!F || !F->Form()) return nullptr;
  if (auto* h = TbsFrameMenus::FindExistingHost(F)) return h;
  if (F->Form()->ComponentState().Contains(rtl::csDestroying)) return nullptr;
  return new TbsFrameMenuHost(F);
}

void ExitMainMenu(TbsBusinessSkinForm* F) {
  F->InMainMenu = false;
  auto* host = TbsFrameMenus::FindExistingHost(F);
  if (host && host->SkinMenu()->Visible()) host->SkinMenu()->Hide();
  if (host)
    if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->LeaveMenuMode();
  if (host) host->UnhookMenus();
  if (F->OnMainMenuExit) F->OnMainMenuExit(F);
}

void MainMenuItemMenuClosed(TbsBusinessSkinForm* F) {
  F->InMenu = false;
  if (auto* host = TbsFrameMenus::FindExistingHost(F))
    if (TbsSkinMainMenuBar* bar = host->MenuBar()) bar->ReleaseDownItem();
  if (F->OnSkinMenuClose) F->OnSkinMenuClose(F);
}

// ------------------------------------------------------------------ host
TbsFrameMenuHost::TbsFrameMenuHost(TbsBusinessSkinForm* AFrame)
    : TbsSkinMenuHost(AFrame->Form(), AFrame->Form()), FFrame(AFrame) {
  SkinData = AFrame->SkinData();
  MenusSkinDataValue = AFrame->MenusSkinData();
  FSysMenu = new forms::TPopupMenu(this);
  FSysTrayMenu = new TbsSkinPopupMenu(this);
  FSysTrayMenu->SkinComponent = this;
  // Made before any skin is known: the built-in texts.
  TbsBusinessSkinForm* F = AFrame;
  FSysTrayMenu->Items()->Add(
      MakeItem(FSysTrayMenu, F, {u"TRAY_BSF_RESTORE", kRestore.Key, kRestore.Text}, [F] { F->RestoreFromTray(); },
               false));
  auto* sep = new TMenuItem(FSysTrayMenu);
  sep->SetCaption(u"-");
  FSysTrayMenu->Items()->Add(sep);
  FSysTrayMenu->Items()->Add(MakeClose(FSysTrayMenu, F, {u"TRAY_BSF_CLOSE", kClose.Key, kClose.Text}, false));
}

TbsFrameMenuHost::~TbsFrameMenuHost() = default;

TbsTrayFrameLink* TbsFrameMenuHost::TrayLink() {
  if (!FTrayLink) FTrayLink = new TbsTrayFrameLink(this, *this);
  return FTrayLink;
}

void SetFrameTrayIcon(TbsBusinessSkinForm* F, TbsTrayIcon* Icon) {
  auto* host = FindFrameMenuHost(F);
  if (!host) return;
  host->TrayLink()->SetTrayIcon(Icon);
  F->TrayIcon = Icon;
}

TbsSkinMainMenuBar* TbsFrameMenuHost::MenuBar() const {
  return dynamic_cast<TbsSkinMainMenuBar*>(FFrame->MainMenuBar);
}

forms::TMenuItem* TbsFrameMenuHost::GetSystemMenuItems() {
  if (FFrame->SystemMenu) {
    UpdateCustomSystemMenu();
    return FFrame->SystemMenu->Items();
  }
  BuildDefaultSystemMenu();
  return FSysMenu->Items();
}

void TbsFrameMenuHost::BuildDefaultSystemMenu() {
  TbsBusinessSkinForm* F = FFrame;
  TMenuItem* root = FSysMenu->Items();
  root->Clear();
  const TbsBorderIcons icons = F->BorderIcons();
  const forms::TWindowState st = F->WindowState();
  if (icons.Contains(biMinimize) && st != forms::wsMinimized)
    root->Add(MakeItem(FSysMenu, F, kMin, [F] { F->SystemMenuMinimize(); }));
  if (icons.Contains(biMaximize) && st != forms::wsMaximized)
    root->Add(MakeItem(FSysMenu, F, kMax, [F] { F->SystemMenuMaximize(); }));
  if (st != forms::wsNormal || F->RollUpState())
    root->Add(MakeItem(FSysMenu, F, kRestore, [F] { F->SystemMenuRestore(); }));
  if (icons.Contains(biRollUp) && !F->RollUpState() && st != forms::wsMinimized &&
      !(F->IsMDIChild() && st == forms::wsMaximized))
    root->Add(MakeItem(FSysMenu, F, kRollUp, [F] { F->SystemMenuRollUp(); }));
  if (icons.Contains(biMinimizeToTray))
    root->Add(MakeItem(FSysMenu, F, kMinToTray, [F] { F->SystemMenuMinimizeToTray(); }));
  if (root->Count() > 0) {
    auto* sep = new TMenuItem(FSysMenu);
    sep->SetCaption(u"-");
    root->Add(sep);
  }
  root->Add(MakeClose(FSysMenu, F, kClose));
}

void TbsFrameMenuHost::UpdateCustomSystemMenu() {
  TbsBusinessSkinForm* F = FFrame;
  if (!F->UseDefaultSysMenu || !F->SystemMenu) return;
  TMenuItem* root = F->SystemMenu->Items();
  for (bool found = true; found;) {
    found = false;
    for (int i = 0; i < root->Count(); ++i) {
      const String& n = root->Items(i)->Name();
      for (const SysItem* s : {&kMin, &kMax, &kRestore, &kRollUp, &kMinToTray, &kClose})
        if (n == s->Name) {
          root->Delete(i);
          found = true;
          break;
        }
      if (found) break;
    }
  }
  const TbsBorderIcons icons = F->BorderIcons();
  const forms::TWindowState st = F->WindowState();
  rtl::TComponent* owner = F->SystemMenu;
  if (icons.Contains(biMinimizeToTray))
    root->Insert(0, MakeItem(owner, F, kMinToTray, [F] { F->SystemMenuMinimizeToTray(); }));
  if (icons.Contains(biRollUp) && !F->RollUpState() && st != forms::wsMinimized &&
      !(F->IsMDIChild() && st == forms::wsMaximized))
    root->Insert(0, MakeItem(owner, F, kRollUp, [F] { F->SystemMenuRollUp(); }));
  if (icons.Contains(biMaximize) && st != forms::wsMaximized)
    root->Insert(0, MakeItem(owner, F, kMax, [F] { F->SystemMenuMaximize(); }));
  if (st != forms::wsNormal || F->RollUpState())
    root->Insert(0, MakeItem(owner, F, kRestore, [F] { F->SystemMenuRestore(); }));
  if (icons.Contains(biMinimize) && st != forms::wsMinimized)
    root->Insert(0, MakeItem(owner, F, kMin, [F] { F->SystemMenuMinimize(); }));
  root->Add(MakeClose(owner, F, kClose));
}

void TbsFrameMenuHost::PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) {
  ApplyMenuSettings(FFrame, FSkinMenu);
  TbsSkinMenuHost::PopupSkinMenu(Menu, R, APopupUp, PopupCtrl);
}

void TbsFrameMenuHost::SkinMenuOpen() {
  TbsSkinMenuHost::SkinMenuOpen();
  if (!FFrame->InMenu) FFrame->SkinMenuOpen();
}

void TbsFrameMenuHost::SkinMenuClose() {
  TbsSkinMenuHost::SkinMenuClose();
  if (FFrame->InMenu) FFrame->SkinMenuClose();
  else if (FFrame->InMainMenu) ExitMainMenu(FFrame);
}

void TbsFrameMenuHost::MenuEnded() {
  if (FSwitching) return;
  if (FEscape && FFrame->InMainMenu) {
    FInMenu = false;
    MainMenuItemMenuClosed(FFrame);
    return;
  }
  if (FInMenu || FFrame->InMenu || FFrame->InMainMenu) SkinMenuClose();
}

void TbsFrameMenuHost::OpenMainMenuItem(TbsSkinData* SD, TRect R, forms::TMenuItem* Item, bool PopupUp) {
  FSwitching = true;
  if (FSkinMenu->Visible()) FSkinMenu->CloseMenuLevels(0);
  FSwitching = false;
  TbsSkinMenuHost::SkinMenuOpen();
  ApplyMenuSettings(FFrame, FSkinMenu);
  FSkinMenu->Popup(nullptr, SD, 0, R, Item, PopupUp);
}

void TbsFrameMenuHost::CloseMenusOnMessage(unsigned Msg) {
  if (!IsMenuCloseMessage(Msg)) return;
  TbsBusinessSkinForm* F = FFrame;
  if (F->ShowObjectHint && F->SkinHint) F->HideObjectHint();
  if (!F->InMainMenu || F->InMenu) {
    if (FSkinMenu->Visible()) {
      FSkinMenu->Hide();
    } else if (F->InMenu || FInMenu) {
      SkinMenuClose();
    } else if (F->IsMDIForm() && F->Form()->Visible()) {
      // The active child's menus close on what reaches its frame form too.
      auto* client = MDIClientOf(F->Form());
      TbsBusinessSkinForm* child = client ? FindSkinFormComponent(client->ActiveMDIChild()) : nullptr;
      if (auto* host = child ? FindFrameMenuHost(child) : nullptr) host->CloseMenusOnMessage(Msg);
    }
  } else {
    ExitMainMenu(F);
  }
  const auto state = F->Form()->ComponentState();
  const bool settled = !state.Contains(rtl::csLoading) && !state.Contains(rtl::csReading) &&
                       !state.Contains(rtl::csDesigning) && !state.Contains(rtl::csDestroying);
  if (F->IsMDIForm() && F->Form()->Visible() && settled) F->CancelModeOnMDIFormEditors();
}

bool TbsFrameMenuHost::AppMessage(win::MSG& Msg) {
  const bool press = Msg.message == WM_LBUTTONDOWN || Msg.message == WM_RBUTTONDOWN ||
                     Msg.message == WM_MBUTTONDOWN || Msg.message == WM_NCLBUTTONDOWN;
  if (press && FFrame->InMainMenu && !FSkinMenu->Visible()) {
    TbsSkinMainMenuBar* bar = MenuBar();
    if (!(bar && bar->HandleAllocated() && Msg.hwnd == bar->Handle())) ExitMainMenu(FFrame);
    return false;
  }
  return TbsSkinMenuHost::AppMessage(Msg);
}

void TbsFrameMenuHost::MenuKeyDown(int Key) {
  TbsBusinessSkinForm* F = FFrame;
  if (F->IsMDIChild()) {
    TbsBusinessSkinForm* M = FindSkinFormComponent(MDIMainForm());
    auto* mh = M ? FindFrameMenuHost(M) : nullptr;
    if (mh && mh != this && (M->InMenu || M->InMainMenu || mh->SkinMenu()->Visible())) {
      mh->MenuKeyDown(Key);
      return;
    }
  }
  TbsSkinMainMenuBar* bar = MenuBar();
  const bool visible = FSkinMenu->Visible();
  // Letters go to the bar's items only while none of their menus is open;
  // an open menu takes its own rows' accelerators.
  if (F->InMainMenu && bar && !visible) {
    char16_t c = char16_t(Key);
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    if (letter && bar->HandleItemAccelerator(Key)) return;
  }
  if (Key == VK_ESCAPE && F->InMainMenu && !visible) {
    ExitMainMenu(F);
  } else if (Key == VK_LEFT && F->InMainMenu && bar && FSkinMenu->WindowCount() <= 1) {
    bar->SelectPrevBarItem();
  } else if (Key == VK_RIGHT && F->InMainMenu && bar &&
             (FSkinMenu->WindowCount() == 0 || [&] {
               TbsSkinPopupWindow* W = FSkinMenu->LastWindow();
               return W->ActiveItem < 0 || W->ActiveItem >= W->RowCount() ||
                      W->Row(W->ActiveItem)->MenuItem->Count() == 0;
             }())) {
    bar->SelectNextBarItem();
  } else if ((Key == VK_RETURN || Key == VK_DOWN) && bar && F->InMainMenu && bar->ExecuteSelectedItem()) {
    return;
  } else {
    FEscape = Key == VK_ESCAPE;
    if (visible)
      if (TbsSkinPopupWindow* W = FSkinMenu->LastWindow()) W->PopupKeyDown(Key);
    FEscape = false;
    if (Key == VK_ESCAPE && FSkinMenu->WindowCount() == 0 && (FInMenu || F->InMenu)) {
      if (F->InMainMenu) {
        FInMenu = false;
        MainMenuItemMenuClosed(F);
      } else {
        SkinMenuClose();
      }
    }
  }
}

}  // namespace skin
