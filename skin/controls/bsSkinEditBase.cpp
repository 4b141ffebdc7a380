// The edit base: read-only mode, dialog keys, transparency and the context
// menu of the skinned edits.
#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bsParentBackground.h"

namespace skin {

using namespace win;

TbsSkinData* (*FindFormFrameSkinData)(forms::TCustomForm* Form, bool* HasFrame) = nullptr;

namespace {
bool FormStyleIsMDIChild(forms::TCustomForm* Form) { return Form->FormStyle() == forms::fsMDIChild; }
}  // namespace
bool (*IsMDIChildForm)(forms::TCustomForm* Form) = FormStyleIsMDIChild;

TbsCustomEdit::TbsCustomEdit(TComponent* AOwner) : forms::TCustomMaskEdit(AOwner) {
  SetBorderStyle(forms::bsNoBorder);
}

TbsCustomEdit::~TbsCustomEdit() { FreeSysPopupMenu(); }

void TbsCustomEdit::SetReadOnly(bool Value) {
  FReadOnly = Value;
  // The text model refuses every change while read-only; caret, selection
  // and copying are unaffected.
  forms::TCustomMaskEdit::SetReadOnly(Value);
}

void TbsCustomEdit::SetEditTransparent(bool Value) {
  FEditTransparent = Value;
  forms::TCustomMaskEdit::Invalidate();
}

void TbsCustomEdit::PaintBackground(HDC DC, const TRect& Client) {
  if (!FEditTransparent || !Parent()) {
    forms::TCustomMaskEdit::PaintBackground(DC, Client);
    return;
  }
  // What the parent shows beneath the edit, the text drawn over it.
  PaintParentBackground(this, Canvas());
}

void TbsCustomEdit::RefreshEdit() {
  if (FEditTransparent) Invalidate();
}

void TbsCustomEdit::Change() {
  forms::TCustomMaskEdit::Change();
  RefreshEdit();
}

void TbsCustomEdit::FreeSysPopupMenu() {
  delete FSysPopupMenu;
  FSysPopupMenu = nullptr;
}

void TbsCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case forms::CM_WANTSPECIALKEY:
      // Enter and Esc reach the edit; their characters go to the form below.
      if (M.WParam == VK_RETURN || M.WParam == VK_ESCAPE) {
        M.Result = 1;
        return;
      }
      break;
    case WM_CHAR: {
      const char16_t Ch = char16_t(M.WParam);
      if (Ch == 27 || Ch == 13) {
        char16_t Copy = Ch;
        forms::TLiveness Live = Liveness();
        if (OnKeyPress) OnKeyPress(this, Copy);
        if (!Live.Alive()) return;
        if (forms::TCustomForm* F = forms::GetParentForm(this)) F->Perform(forms::CM_DIALOGKEY, Ch, M.LParam);
        return;
      }
      if (FReadOnly) return;
      forms::TCustomMaskEdit::Dispatch(M);
      return;
    }
    case WM_KEYDOWN:
      if (M.WParam == VK_DELETE && FReadOnly) return;
      forms::TCustomMaskEdit::Dispatch(M);
      RefreshEdit();
      return;
    case WM_CUT: case WM_PASTE: case WM_CLEAR: case WM_UNDO:
      if (FReadOnly) return;
      forms::TCustomMaskEdit::Dispatch(M);
      RefreshEdit();
      return;
    case WM_SETTEXT: case WM_MOVE: case WM_KILLFOCUS:
      forms::TCustomMaskEdit::Dispatch(M);
      RefreshEdit();
      return;
    case WM_SETFOCUS:
      forms::TCustomMaskEdit::Dispatch(M);
      RefreshEdit();
      if (AutoSelect()) SelectAll();
      return;
    case WM_LBUTTONDOWN:
      forms::TCustomMaskEdit::Dispatch(M);
      FDown = true;
      RefreshEdit();
      return;
    case WM_LBUTTONUP:
      forms::TCustomMaskEdit::Dispatch(M);
      FDown = false;
      return;
    case WM_MOUSEMOVE:
      forms::TCustomMaskEdit::Dispatch(M);
      if (FDown) RefreshEdit();
      return;
    case forms::CM_CANCELMODE:
      forms::TCustomMaskEdit::Dispatch(M);
      if (OnEditCancelMode) OnEditCancelMode(reinterpret_cast<forms::TControl*>(M.LParam));
      return;
    case MSG_SKIN_MENU_COMMAND_DONE:
      FreeSysPopupMenu();
      return;
    case WM_CONTEXTMENU:
      if (PopupMenu()) break;
      ShowContextMenu(M);
      return;
  }
  forms::TCustomMaskEdit::Dispatch(M);
}

void TbsCustomEdit::ShowContextMenu(TMessage& M) {
  FreeSysPopupMenu();
  forms::TCustomForm* Form = forms::GetParentForm(this);
  bool HasFrame = true;
  TbsSkinData* FrameSkin = FindFormFrameSkinData && Form ? FindFormFrameSkinData(Form, &HasFrame) : nullptr;
  if (FindFormFrameSkinData && !Form) HasFrame = false;
  TbsResourceStrData* Texts = FrameSkin ? FrameSkin->ResourceStrData() : nullptr;

  FSysPopupMenu = new TbsSkinPopupMenu(this);
  // The menu opens through the frame of the edit's form; an MDI child's
  // menus open through the main form's frame.
  forms::TCustomForm* MenuForm = Form;
  if (Form && IsMDIChildForm && IsMDIChildForm(Form) && forms::Application && forms::Application->MainForm())
    MenuForm = forms::Application->MainForm();
  FSysPopupMenu->ComponentForm = MenuForm;
  const int SelStartNow = SelStart(), SelEnd = SelStart() + SelLength();
  const bool HasSelection = SelStartNow < SelEnd;
  const bool AllSelected = SelStartNow == 0 && SelEnd == int(Text().size());
  bool ClipboardText = false;
  if (OpenClipboard(Handle())) {
    String S;
    ClipboardText = GetClipboardText(&S) && !S.empty();
    CloseClipboard();
  }
  struct TItem {
    const char16_t* Key;
    const char16_t* Builtin;
    bool Enabled;
    void (TbsCustomEdit::*Action)();
  };
  const TItem Items[] = {
      {u"EDIT_UNDO", u"Undo", CanUndo(), &TbsCustomEdit::Undo},
      {nullptr, u"-", true, nullptr},
      {u"EDIT_CUT", u"Cut", HasSelection && !FReadOnly, &TbsCustomEdit::CutToClipboard},
      {u"EDIT_COPY", u"Copy", HasSelection, &TbsCustomEdit::CopyToClipboard},
      {u"EDIT_PASTE", u"Paste", ClipboardText && !FReadOnly, &TbsCustomEdit::PasteFromClipboard},
      {u"EDIT_DELETE", u"Delete", HasSelection && !FReadOnly, &TbsCustomEdit::ClearSelection},
      {nullptr, u"-", true, nullptr},
      {u"EDIT_SELECTALL", u"Select All", !AllSelected, &TbsCustomEdit::SelectAll},
  };
  for (const TItem& It : Items) {
    auto* MI = new forms::TMenuItem(FSysPopupMenu);
    if (!It.Key)
      MI->SetCaption(It.Builtin);
    else
      MI->SetCaption(Texts ? Texts->GetResStr(It.Key) : String(It.Builtin));
    MI->SetEnabled(It.Enabled);
    if (It.Action) {
      auto Action = It.Action;
      MI->OnClick = [this, Action](TObject*) {
        (this->*Action)();
        // The menu is freed once the command has run, never inside its own item.
        if (HandleAllocated()) PostMessage(Handle(), MSG_SKIN_MENU_COMMAND_DONE, 0, 0);
      };
    }
    FSysPopupMenu->Items()->Add(MI);
  }

  int X = short(LOWORD(M.LParam)), Y = short(HIWORD(M.LParam));
  if (X < 0 || Y < 0) {
    const TPoint O = ClientToScreen({0, 0});
    X = O.X + Width() / 2;
    Y = O.Y + Height() / 2;
  }
  M.Result = 1;
  if (!HasFrame) return;  // no frame to show a skin menu: nothing opens
  // Only a frame with skin data shows it (Popup2 needs the skin).
  FSysPopupMenu->SetPopupComponent(this);
  FSysPopupMenu->Popup2(this, X, Y);
}

}  // namespace skin
