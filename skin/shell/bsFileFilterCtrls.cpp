#include "skin/shell/bsFileFilterCtrls.h"

#include <cerrno>

#include "platform/forms/Forms.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"
#include "skin/shell/bsfilectrl.h"

namespace skin {

const char16_t* const DefaultFilterText = u"All files (*.*)|*.*";

namespace {

// Entering a directory makes it the process's current directory.
void EnterDir(const String& Path) {
  if (!rtl::SetCurrentDir(Path)) {
    const int Code = errno;
    throw rtl::EInOutError(rtl::Format(u"%s: %s", {Path, rtl::SysErrorMessage(Code)}));
  }
}

int AttrBits(TbsFileType T) {
  static const int Bits[] = {rtl::faReadOnly, rtl::faHidden, rtl::faSysFile, rtl::faVolumeID, rtl::faDirectory,
                             rtl::faArchive, 0};
  int A = 0;
  for (int i = 0; i <= int(bsftNormal); ++i)
    if (T.Contains(TbsFileAttr(i))) A |= Bits[i];
  return A;
}

}  // namespace

// ------------------------------------------------------------------ TbsSkinFileListBox
TbsSkinFileListBox::TbsSkinFileListBox(TComponent* AOwner) : TbsSkinListBox(AOwner) {
  SetWidth(145);
  FDirectory = rtl::GetCurrentDir();
  SetMultiSelect(false);
  SetSorted(true);
}

void TbsSkinFileListBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinListBox::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FFileEdit) FFileEdit = nullptr;
  if (FDirList && AComponent == FDirList) FDirList = nullptr;
  if (AComponent == FFilterCombo) FFilterCombo = nullptr;
}

void TbsSkinFileListBox::CreateWnd() {
  TbsSkinListBox::CreateWnd();
  FillFileItems();
}

void TbsSkinFileListBox::FillFileItems() {
  if (!HandleAllocated()) return;
  const int AttrSet = AttrBits(FFileType);
  EnterDir(FDirectory);
  Clear();
  int LastIndex = 0;
  const forms::TCursor Saved = forms::Screen->Cursor();
  struct Restore {
    forms::TCursor C;
    ~Restore() { forms::Screen->SetCursor(C); }
  } R{Saved};
  String Rest = FMask;
  while (true) {
    const auto P = Rest.find(u';');
    const String Pattern = Rest.substr(0, P);
    rtl::TSearchRec SR;
    // The search skips hidden, system and directory entries unless AttrSet
    // asks for them; of the rest, bsftNormal takes every entry and the other
    // members take the entries that carry one of their bits ("." and ".."
    // come as [.] and [..] with bsftDirectory).
    if (!Pattern.empty() && rtl::FindFirst(Pattern, AttrSet, SR) == 0) {
      do {
        if (!FFileType.Contains(bsftNormal) && !(SR.Attr & AttrSet)) continue;
        const String Entry = (SR.Attr & rtl::faDirectory) ? u"[" + SR.Name + u"]" : SR.Name;
        Items()->Add(Entry);
        LastIndex = Items()->IndexOf(Entry);
        if (LastIndex == 100) forms::Screen->SetCursor(forms::crHourGlass);
      } while (rtl::FindNext(SR) == 0);
      rtl::FindClose(SR);
    }
    if (P == String::npos) break;
    Rest = Rest.substr(P + 1);
  }
  SelectionChanged();
}

void TbsSkinFileListBox::SelectionChanged() {
  FLastSel = ItemIndex();
  if (FFileEdit) {
    const String N = GetSelectedName();
    FFileEdit->SetText(N.empty() ? FMask : N);
    FFileEdit->SelectAll();
  }
  if (OnChange) OnChange(this);
}

void TbsSkinFileListBox::ListBoxClick() {
  TbsSkinListBox::ListBoxClick();
  if (ItemIndex() != FLastSel) SelectionChanged();
}

String TbsSkinFileListBox::GetSelectedName() {
  const int I = ItemIndex();
  if (I < 0 || Items()->Count() == 0 || !GetSelected(I)) return String();
  return Items()->Strings(I);
}

void TbsSkinFileListBox::SelectFileName(const String& Name) {
  if (rtl::SameFileName(Name, GetSelectedName())) return;
  int Found = -1;
  for (int i = 0; i < Items()->Count(); ++i)
    if (rtl::SameText(Items()->Strings(i), Name)) {
      Found = i;
      break;
    }
  SetItemIndex(Found);
  SelectionChanged();
}

String TbsSkinFileListBox::GetFileName() {
  const String N = GetSelectedName();
  return N.empty() ? String() : JoinPath(FDirectory, N);
}

String TbsSkinFileListBox::Drive() const { return MountOfPath(FDirectory); }

void TbsSkinFileListBox::SetDrive(const String& Value) {
  if (!Value.empty() && Value != Drive()) ApplyFilePath(Value);
}

void TbsSkinFileListBox::ApplyFilePath(const String& EditText) {
  if (EditText.empty() || rtl::SameFileName(EditText, GetFileName())) return;
  // A relative text is taken in the listed directory.
  if (IsExistingDirectory(FDirectory)) EnterDir(FDirectory);
  String NewDrive, DirPart, FilePart;
  SplitEnteredPath(EditText, NewDrive, DirPart, FilePart);
  if (FDirList) {
    // The directory list navigates; its change reaches this list.
    FDirList->SetDirectory(DirPart);
  } else {
    ChangeDirectory(DirPart);
  }
  if (FilePart.find_first_of(u"*?") != String::npos) {
    SetMask(FilePart);
  } else if (!FilePart.empty()) {
    SelectFileName(FilePart);
    if (rtl::FileExists(JoinPath(FDirectory, FilePart)) && GetSelectedName().empty()) {
      SetMask(FilePart);
      SelectFileName(FilePart);
    }
  }
}

void TbsSkinFileListBox::ChangeDirectory(const String& Path) {
  if (rtl::SameFileName(Path, FDirectory)) return;
  if (IsExistingDirectory(FDirectory)) EnterDir(FDirectory);
  EnterDir(Path);
  FDirectory = rtl::GetCurrentDir();
  FillFileItems();
}

void TbsSkinFileListBox::SetMask(const String& Value) {
  if (Value == FMask) return;
  FMask = Value;
  FillFileItems();
}

void TbsSkinFileListBox::SetFileType(TbsFileType Value) {
  if (Value == FFileType) return;
  FFileType = Value;
  FillFileItems();
}

void TbsSkinFileListBox::SetFileEdit(forms::TCustomEdit* Value) {
  FFileEdit = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  const String N = GetSelectedName();
  Value->SetText(N.empty() ? FMask : N);
}

// ------------------------------------------------------------------ TbsSkinFilterComboBox
TbsSkinFilterComboBox::TbsSkinFilterComboBox(TComponent* AOwner)
    : TbsSkinComboBox(AOwner), FFilter(DefaultFilterText), MaskList(std::make_unique<rtl::TStringList>()) {
  FillFilterItems();
}

TbsSkinFilterComboBox::~TbsSkinFilterComboBox() {
  if (FFileList) FFileList->FFilterCombo = nullptr;
}

void TbsSkinFilterComboBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinComboBox::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FFileList) FFileList = nullptr;
}

void TbsSkinFilterComboBox::SetFileList(TbsSkinFileListBox* Value) {
  if (FFileList) FFileList->FFilterCombo = nullptr;
  FFileList = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->FFilterCombo = this;
  }
}

// The entries are filled as soon as the filter is set (not only once the
// window exists), so that a dialog can select one before it is shown.
void TbsSkinFilterComboBox::FillFilterItems() {
  Items()->Clear();
  MaskList->Clear();
  String S = FFilter;
  while (S.find(u'|') != String::npos) {
    const auto P = S.find(u'|');
    const String Description = S.substr(0, P);
    S.erase(0, P + 1);
    String M;
    const auto Q = S.find(u'|');
    if (Q != String::npos) {
      M = S.substr(0, Q);
      S.erase(0, Q + 1);
    } else {
      M = S;
      S.clear();
    }
    Items()->Add(Description);
    MaskList->Add(M);
  }
  SetItemIndex(0);
}

void TbsSkinFilterComboBox::SetFilter(const String& Value) {
  if (rtl::SameFileName(Value, FFilter)) return;
  FFilter = Value;
  FillFilterItems();
  Change();
}

String TbsSkinFilterComboBox::GetMask() {
  if (ItemIndex() < 0) SetItemIndex(Items()->Count() - 1);
  const int I = ItemIndex();
  if (I < 0 || I >= MaskList->Count()) return u"*.*";
  return MaskList->Strings(I);
}

bool TbsSkinFilterComboBox::IsFilterStored() const { return FFilter != DefaultFilterText; }

void TbsSkinFilterComboBox::Change() {
  if (FFileList) FFileList->SetMask(GetMask());
  TbsSkinComboBox::Change();
}

}  // namespace skin
