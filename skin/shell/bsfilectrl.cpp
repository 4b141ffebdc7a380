// The drive combo box, the directory list box and their path routines.
#include "skin/shell/bsfilectrl.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/forms/StdCtrls.h"
#include "skin/shell/bsFileFilterCtrls.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace skin {
namespace {

std::string Bytes(const String& S) { return rtl::StringToFileName(S); }
String FsText(const std::string& S) { return rtl::FileNameToString(S); }

String CurrentDirectory() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) ? FsText(buf) : String();
}

// Makes Path the current directory or raises the input/output exception
// with the system's code.
void Enter(const String& Path) {
  if (::chdir(Bytes(Path).c_str()) != 0) {
    const int code = errno;
    throw rtl::EInOutError(rtl::Format(u"%s: %s", {Path, rtl::SysErrorMessage(code)}));
  }
}

String CaseOf(const String& S, TTextCase Case) {
  return Case == tcUpperCase ? rtl::AnsiUpperCase(S) : rtl::AnsiLowerCase(S);
}

bool IsRamFs(const std::string& Fs) { return Fs == "tmpfs" || Fs == "ramfs"; }
bool IsOptical(const std::string& Fs) { return Fs == "iso9660" || Fs == "udf"; }

constexpr rtl::TColor kBack = 0xFF00FF;

}  // namespace

// ------------------------------------------------------------ path routines

bool IsExistingDirectory(const String& Path) {
  struct stat st;
  return !Path.empty() && ::stat(Bytes(Path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

String JoinPath(const String& Directory, const String& Name) {
  if (!Directory.empty() && Directory.back() == u'/') return Directory + Name;
  return Directory + u"/" + Name;
}

int PathDepth(const String& Path) { return static_cast<int>(std::count(Path.begin(), Path.end(), u'/')); }

void CutFirstPathLevel(String& Dir) {
  if (Dir == u"/") {
    Dir.clear();
    return;
  }
  bool lead = false;
  if (!Dir.empty() && Dir[0] == u'/') {
    Dir.erase(0, 1);
    lead = true;
  }
  if (!Dir.empty() && Dir[0] == u'.') Dir.erase(0, std::min<std::size_t>(4, Dir.size()));
  const auto p = Dir.find(u'/');
  if (p != String::npos) Dir = u".../" + Dir.substr(p + 1);
  else Dir.clear();
  if (lead) Dir = u"/" + Dir;
}

String ShortenPathToWidth(const String& Path, gdi::TCanvas* Canvas, int MaxWidth) {
  String result = Path;
  const auto slash = Path.rfind(u'/');
  String dir = slash == String::npos ? String() : Path.substr(0, slash + 1);
  const String name = slash == String::npos ? Path : Path.substr(slash + 1);
  while (!dir.empty() && Canvas->TextWidth(result) > MaxWidth) {
    if (dir == u"/.../") dir = u".../";
    else CutFirstPathLevel(dir);
    result = dir + name;
  }
  return result;
}

String VolumeLabelText(const shell::TMountInfo& Mount, TTextCase Case) {
  return u"[" + CaseOf(Mount.Label, Case) + u"]";
}

bool IsNetworkMount(const shell::TMountInfo& Mount) {
  static const char* const kinds[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs"};
  for (const char* k : kinds)
    if (Mount.FileSystem == k) return true;
  return false;
}

String NetworkDriveText(const shell::TMountInfo& Mount, TTextCase Case) {
  if (IsNetworkMount(Mount) && !Mount.Source.empty()) return CaseOf(FsText(Mount.Source), Case);
  return VolumeLabelText(Mount, Case);
}

String MountOfPath(const String& Path) {
  const std::string p = Bytes(Path);
  std::string best = "/";
  for (const std::string& m : shell::ReadMountPoints()) {
    if (m.size() <= best.size()) continue;
    if (p.compare(0, m.size(), m) == 0 && (p.size() == m.size() || p[m.size()] == '/')) best = m;
  }
  return FsText(best);
}

void SplitEnteredPath(const String& Text, String& Drive, String& DirPart, String& FilePart) {
  const String SaveDir = CurrentDirectory();
  String Path = Text;
  // "[name]": a folder as a file list shows it, inside the current directory.
  if (Path.size() >= 2 && Path.front() == u'[' && Path.back() == u']') Path = Path.substr(1, Path.size() - 2);
  const auto Slash = Path.rfind(u'/');
  FilePart = Slash == String::npos ? Path : Path.substr(Slash + 1);
  String Dir = Slash == String::npos ? String() : Slash == 0 ? String(u"/") : Path.substr(0, Slash);
  struct TRestore {
    const String& Dir;
    ~TRestore() {
      if (IsExistingDirectory(Dir)) [[maybe_unused]] int r = ::chdir(Bytes(Dir).c_str());
    }
  } Restore{SaveDir};
  if (!Dir.empty()) Enter(Dir);
  struct stat st;
  if (!FilePart.empty() && FilePart.find_first_of(u"*?") == String::npos &&
      !(::stat(Bytes(FilePart).c_str(), &st) == 0 && !S_ISDIR(st.st_mode))) {
    Enter(FilePart);
    FilePart.clear();
  }
  DirPart = CurrentDirectory();
  Drive = MountOfPath(DirPart);
}

// ------------------------------------------------------------------ glyphs

gdi::TBitmap* MakeFileGlyph(TbsFileGlyph Kind) {
  const int h = Kind == fgRAM ? 11 : Kind >= fgOpenFolder ? 15 : 16;
  auto* b = new gdi::TBitmap(16, h);
  gdi::TCanvas* c = b->Canvas();
  c->Brush()->SetColor(kBack);
  c->FillRect({0, 0, 16, h});
  auto box = [&](int l, int t, int r, int bt, rtl::TColor fill, rtl::TColor line) {
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(line);
    c->Rectangle(l, t, r, bt);
  };
  auto poly = [&](std::vector<rtl::TPoint> pts, rtl::TColor fill, rtl::TColor line) {
    c->Brush()->SetColor(fill);
    c->Pen()->SetColor(line);
    c->Polygon(pts);
  };
  switch (Kind) {
    case fgFloppy:  // a removable medium: a stick with its plug
      box(4, 1, 12, 5, 0xC0C0C0, 0x606060);
      box(2, 5, 14, 15, 0x404040, 0x202020);
      box(5, 8, 11, 11, 0x60C060, 0x60C060);
      break;
    case fgHard:
      box(1, 5, 15, 12, 0xC8C8C8, 0x505050);
      box(2, 9, 14, 10, 0x909090, 0x909090);
      box(11, 6, 13, 8, 0x00C000, 0x008000);
      break;
    case fgNetwork:
      box(1, 3, 15, 9, 0xC8C8C8, 0x505050);
      box(7, 9, 9, 13, 0x505050, 0x505050);
      box(2, 13, 14, 15, 0x2060C0, 0x2060C0);
      break;
    case fgCDROM:
      c->Brush()->SetColor(0xE0E0E0);
      c->Pen()->SetColor(0x707070);
      c->Ellipse(1, 1, 15, 15);
      c->Brush()->SetColor(0xF0C090);
      c->Ellipse(4, 4, 12, 12);
      c->Brush()->SetColor(kBack);
      c->Ellipse(6, 6, 10, 10);
      break;
    case fgRAM:
      box(0, 2, 16, 8, 0x208020, 0x105010);
      for (int i = 0; i < 4; ++i) box(2 + i * 3, 3, 4 + i * 3, 6, 0x202020, 0x202020);
      for (int i = 0; i < 7; ++i) box(1 + i * 2, 8, 2 + i * 2, 10, 0x00C0E0, 0x00C0E0);
      break;
    case fgOpenFolder:
      poly({{1, 2}, {6, 2}, {7, 4}, {13, 4}, {13, 13}, {1, 13}}, 0x3CB4E8, 0x1A6FA0);
      poly({{3, 7}, {15, 7}, {13, 13}, {1, 13}}, 0x80DCFC, 0x1A6FA0);
      break;
    case fgClosedFolder:
      poly({{1, 2}, {6, 2}, {7, 4}, {15, 4}, {15, 13}, {1, 13}}, 0x3CB4E8, 0x1A6FA0);
      box(1, 5, 15, 13, 0x5CCCF8, 0x1A6FA0);
      break;
    case fgCurrentFolder:
      poly({{1, 2}, {6, 2}, {7, 4}, {13, 4}, {13, 13}, {1, 13}}, 0x3CB4E8, 0x1A6FA0);
      poly({{3, 7}, {15, 7}, {13, 13}, {1, 13}}, 0x80DCFC, 0x1A6FA0);
      box(6, 8, 10, 12, 0x2020D0, 0x2020D0);
      break;
  }
  return b;
}

void DrawGlyphTransparent(gdi::TCanvas* Canvas, int X, int Y, gdi::TBitmap* Glyph) {
  if (!Glyph) return;
  Glyph->SetTransparentColor(Glyph->Canvas()->Pixels(0, Glyph->Height() - 1));
  Glyph->SetTransparent(true);
  Canvas->Draw(X, Y, Glyph);
}

// ------------------------------------------------------------ drive combo box

TbsSkinDriveComboBox::TbsSkinDriveComboBox(TComponent* AOwner) : TbsSkinComboBox(AOwner) {
  OnChange = [this](TObject*) { DriveChanged(); };
  SetOnListBoxDrawItem([this](gdi::TCanvas* C, int I, int, int, rtl::TRect R, forms::TOwnerDrawState) {
    DrawDriveItem(C, I, R);
  });
  OnComboBoxDrawItem = [this](gdi::TCanvas* C, int I, int, int, rtl::TRect R, forms::TOwnerDrawState) {
    DrawDriveItem(C, I, R);
  };
  FloppyBMP = MakeFileGlyph(fgFloppy);
  FixedBMP = MakeFileGlyph(fgHard);
  NetworkBMP = MakeFileGlyph(fgNetwork);
  CDROMBMP = MakeFileGlyph(fgCDROM);
  RAMBMP = MakeFileGlyph(fgRAM);
  FDrive = MountOfPath(CurrentDirectory());
}

TbsSkinDriveComboBox::~TbsSkinDriveComboBox() {
  delete FloppyBMP;
  delete FixedBMP;
  delete NetworkBMP;
  delete CDROMBMP;
  delete RAMBMP;
}

void TbsSkinDriveComboBox::FillDriveItems() {
  Items()->Clear();
  FDrives.clear();
  for (const shell::TMountInfo& m : shell::ReadMounts(true)) {
    const String point = FsText(m.MountPoint);
    String text;
    gdi::TBitmap* glyph;
    if (IsOptical(m.FileSystem)) {
      text = point + u" " + VolumeLabelText(m, FTextCase);
      glyph = CDROMBMP;
    } else if (m.Removable) {
      text = point;  // a removable medium shows its mount point alone
      glyph = FloppyBMP;
    } else if (IsNetworkMount(m)) {
      text = point + u" " + NetworkDriveText(m, FTextCase);
      glyph = NetworkBMP;
    } else if (IsRamFs(m.FileSystem)) {
      text = point + u" " + VolumeLabelText(m, FTextCase);
      glyph = RAMBMP;
    } else {
      text = point + u" " + VolumeLabelText(m, FTextCase);
      glyph = FixedBMP;
    }
    Items()->AddObject(text, glyph);
    FDrives.push_back(point);
  }
}

String TbsSkinDriveComboBox::EntryDrive(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FDrives.size()) ? FDrives[static_cast<std::size_t>(Index)]
                                                                 : String();
}

gdi::TBitmap* TbsSkinDriveComboBox::EntryGlyph(int Index) const {
  auto* self = const_cast<TbsSkinDriveComboBox*>(this);
  return Index >= 0 && Index < self->Items()->Count() ? dynamic_cast<gdi::TBitmap*>(self->Items()->Objects(Index))
                                                      : nullptr;
}

void TbsSkinDriveComboBox::SetDrive(const String& NewDrive) {
  if (ItemIndex() >= 0 && NewDrive == FDrive) return;
  if (NewDrive.empty()) {
    FDrive.clear();
    SetItemIndex(-1);
  } else {
    FDrive = NewDrive;
    const auto it = std::find(FDrives.begin(), FDrives.end(), FDrive);
    if (it != FDrives.end()) SetItemIndex(static_cast<int>(it - FDrives.begin()));
  }
  if (FDirList) FDirList->SwitchDrive(FDrive);
  Change();
}

void TbsSkinDriveComboBox::DriveChanged() {
  if (ItemIndex() >= 0) SetDrive(EntryDrive(ItemIndex()));
}

void TbsSkinDriveComboBox::SetTextCase(TTextCase Value) {
  FTextCase = Value;
  const String drive = FDrive;
  FillDriveItems();
  FDrive.clear();
  SetDrive(drive);
}

void TbsSkinDriveComboBox::SetDirList(TbsSkinDirectoryListBox* Value) {
  if (FDirList) FDirList->FDriveCombo = nullptr;
  FDirList = Value;
  if (Value) {
    Value->FDriveCombo = this;
    Value->FreeNotification(this);
  }
}

void TbsSkinDriveComboBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinComboBox::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FDirList) FDirList = nullptr;
}

void TbsSkinDriveComboBox::Loaded() {
  TbsSkinComboBox::Loaded();
  if (ComponentState().Contains(rtl::csDesigning)) {
    FDrive = MountOfPath(CurrentDirectory());
    FillDriveItems();
    SetDrive(FDrive);
  }
}

void TbsSkinDriveComboBox::CreateWnd() {
  TbsSkinComboBox::CreateWnd();
  FillDriveItems();
  const String drive = FDrive;
  FDrive.clear();
  SetDrive(drive);
}

void TbsSkinDriveComboBox::DrawDriveItem(gdi::TCanvas* C, int Index, rtl::TRect R) {
  if (Index < 0 || Index >= Items()->Count()) return;
  int glyphWidth = 0;
  if (gdi::TBitmap* g = EntryGlyph(Index)) {
    glyphWidth = g->Width();
    DrawGlyphTransparent(C, R.Left, (R.Top + R.Bottom - g->Height()) / 2, g);
  }
  C->TextOut(R.Left + glyphWidth + 6, R.Top + R.Height() / 2 - C->TextHeight(u"Wg") / 2, Items()->Get(Index));
}

// ------------------------------------------------------------ directory list

TbsSkinDirectoryListBox::TbsSkinDirectoryListBox(TComponent* AOwner) : TbsSkinListBox(AOwner) {
  OnDrawItem = [this](gdi::TCanvas* C, int I, int, int, rtl::TRect R, forms::TOwnerDrawState) {
    DrawDirItem(C, I, R);
  };
  SetWidth(145);
  SetSorted(false);
  ClosedBMP = MakeFileGlyph(fgClosedFolder);
  OpenedBMP = MakeFileGlyph(fgOpenFolder);
  CurrentBMP = MakeFileGlyph(fgCurrentFolder);
  FDirectory = CurrentDirectory();
}

TbsSkinDirectoryListBox::~TbsSkinDirectoryListBox() {
  delete ClosedBMP;
  delete OpenedBMP;
  delete CurrentBMP;
}

String TbsSkinDirectoryListBox::Drive() const { return MountOfPath(FDirectory); }

void TbsSkinDirectoryListBox::SetDrive(const String& Value) {
  if (Value != Drive()) SetDirectory(Value);
}

int TbsSkinDirectoryListBox::FileCompareText(const String& S1, const String& S2) const {
  return FCaseSensitive ? S1.compare(S2) : rtl::CompareText(rtl::AnsiLowerCase(S1), rtl::AnsiLowerCase(S2));
}

String TbsSkinDirectoryListBox::DisplayCase(const String& S) const {
  return FPreserveCase || FCaseSensitive ? S : rtl::AnsiLowerCase(S);
}

void TbsSkinDirectoryListBox::SetDirectory(const String& Value) {
  if (Value.empty() || FileCompareText(Value, FDirectory) == 0) return;
  // "[name]" is a folder of the current directory (the file list's form);
  // a path that ends in a file name enters the file's folder.
  String dir = Value;
  if (dir.size() >= 2 && dir.front() == u'[' && dir.back() == u']') dir = dir.substr(1, dir.size() - 2);
  if (!dir.empty() && dir[0] != u'/') dir = JoinPath(IsExistingDirectory(FDirectory) ? FDirectory : CurrentDirectory(), dir);
  if (!IsExistingDirectory(dir)) {
    struct stat st;
    if (::stat(Bytes(dir).c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
      const auto slash = dir.rfind(u'/');
      dir = slash == 0 ? String(u"/") : dir.substr(0, slash);
    }
  }
  const String newDrive = MountOfPath(dir);
  if (newDrive != Drive()) {
    FInSetDir = true;
    try {
      if (FDriveCombo) FDriveCombo->SetDrive(newDrive);
      else SwitchDrive(newDrive);
    } catch (...) {
      FInSetDir = false;
      throw;
    }
    FInSetDir = false;
  }
  EnterDirectory(dir);
}

void TbsSkinDirectoryListBox::SwitchDrive(const String& NewDrive) {
  if (NewDrive == Drive()) return;
  if (!NewDrive.empty() && ::chdir(Bytes(NewDrive).c_str()) == 0) FDirectory = CurrentDirectory();
  if (!FInSetDir) {
    FillDirItems();
    DirectoryChanged();
  }
}

void TbsSkinDirectoryListBox::EnterDirectory(const String& Path) {
  if (IsExistingDirectory(FDirectory)) Enter(FDirectory);
  Enter(Path);
  FDirectory = CurrentDirectory();
  FillDirItems();
  DirectoryChanged();
}

int TbsSkinDirectoryListBox::CollectSubDirs(const String& Dir, rtl::TStrings* List) {
  int added = 0;
  DIR* d = ::opendir(Bytes(Dir).c_str());
  if (!d) return 0;
  std::vector<String> names;
  while (dirent* e = ::readdir(d)) {
    const std::string n = e->d_name;
    if (n.empty() || n[0] == '.') continue;  // ".", ".." and hidden folders
    if (!IsExistingDirectory(JoinPath(Dir, FsText(n)))) continue;
    names.push_back(FsText(n));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end(), [](const String& a, const String& b) {
    const int c = rtl::CompareText(rtl::AnsiLowerCase(a), rtl::AnsiLowerCase(b));
    return c != 0 ? c < 0 : a < b;
  });
  String last;
  for (const String& n : names) {
    if (added > 0 && rtl::CompareText(rtl::AnsiLowerCase(n), rtl::AnsiLowerCase(last)) == 0) continue;
    List->Add(n);
    last = n;
    ++added;
  }
  return added;
}

void TbsSkinDirectoryListBox::FillDirItems() {
  Items()->BeginUpdate();
  Items()->Clear();
  // Names on the file systems of this system keep their case and are told
  // apart by it.
  FPreserveCase = true;
  FCaseSensitive = true;
  Items()->AddObject(u"/", FDirectory == u"/" ? CurrentBMP : OpenedBMP);
  if (FDirectory != u"/") {
    String rest = FDirectory.substr(1);
    if (!rest.empty() && rest.back() == u'/') rest.pop_back();
    std::size_t p;
    while ((p = rest.find(u'/')) != String::npos) {
      Items()->AddObject(rest.substr(0, p), OpenedBMP);
      rest.erase(0, p + 1);
    }
    Items()->AddObject(rest, CurrentBMP);
  }
  const int current = Items()->Count() - 1;
  rtl::TStringList subs;
  CollectSubDirs(FDirectory, &subs);
  for (int i = 0; i < subs.Count(); ++i) Items()->AddObject(subs.Get(i), ClosedBMP);
  Items()->EndUpdate();
  SetItemIndex(current);
  UpDateScrollBar();
}

TbsFileGlyph TbsSkinDirectoryListBox::EntryKind(int Index) const {
  auto* self = const_cast<TbsSkinDirectoryListBox*>(this);
  if (Index < 0 || Index >= self->Items()->Count()) return fgClosedFolder;
  rtl::TObject* o = self->Items()->Objects(Index);
  return o == OpenedBMP ? fgOpenFolder : o == CurrentBMP ? fgCurrentFolder : fgClosedFolder;
}

String TbsSkinDirectoryListBox::GetItemPath(int Index) const {
  auto* self = const_cast<TbsSkinDirectoryListBox*>(this);
  if (Index < 0 || Index >= self->Items()->Count()) return String();
  if (Index == 0) return u"/";
  switch (EntryKind(Index)) {
    case fgClosedFolder: return JoinPath(FDirectory, self->Items()->Get(Index));
    case fgCurrentFolder: return FDirectory;
    default: {
      // The first Index levels of the directory.
      std::size_t pos = 0;
      for (int level = 0; level <= Index; ++level) {
        pos = FDirectory.find(u'/', pos + 1);
        if (pos == String::npos) return FDirectory;
        if (level + 1 == Index) return FDirectory.substr(0, pos);
      }
      return FDirectory;
    }
  }
}

void TbsSkinDirectoryListBox::OpenCurrent() { SetDirectory(GetItemPath(ItemIndex())); }

void TbsSkinDirectoryListBox::Update() {
  FillDirItems();
  DirectoryChanged();
}

void TbsSkinDirectoryListBox::SetFileList(TbsSkinFileListBox* Value) {
  if (FFileList) FFileList->FDirList = nullptr;
  FFileList = Value;
  if (Value) {
    Value->FDirList = this;
    Value->FreeNotification(this);
  }
}

void TbsSkinDirectoryListBox::DirectoryChanged() {
  if (FFileList) FFileList->ChangeDirectory(FDirectory);
  UpdateDirLabel();
  if (OnChange) OnChange(this);
}

void TbsSkinDirectoryListBox::SetDirLabel(forms::TCustomLabel* Value) {
  FDirLabel = Value;
  if (Value) Value->FreeNotification(this);
  UpdateDirLabel();
}

void TbsSkinDirectoryListBox::UpdateDirLabel() {
  if (!FDirLabel) return;
  const int width = FDirLabel->AutoSize() ? Width() : FDirLabel->Width();
  gdi::TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(FDirLabel->Font());
  FDirLabel->SetCaption(ShortenPathToWidth(FDirectory, measure.Canvas(), width));
}

int TbsSkinDirectoryListBox::GetItemWidth(int Index, gdi::TCanvas* Canvas) {
  int indent = Index * 4 + 2;
  if (EntryKind(Index) == fgClosedFolder) indent = (PathDepth(FDirectory) + 1) * 4 + 2;
  return TbsSkinListBox::GetItemWidth(Index, Canvas) + indent + 16 + 4;
}

void TbsSkinDirectoryListBox::DrawDirItem(gdi::TCanvas* C, int Index, rtl::TRect R) {
  if (Index < 0 || Index >= Items()->Count()) return;
  const int scroll = ListBox ? ListBox->HorizontalExtentValue : 0;
  int glyphWidth = 16;
  int indent = Index * 4 + 2;
  if (auto* glyph = dynamic_cast<gdi::TBitmap*>(Items()->Objects(Index))) {
    if (glyph == ClosedBMP) indent = (PathDepth(FDirectory) + 1) * 4 + 2;
    glyphWidth = glyph->Width();
    DrawGlyphTransparent(C, R.Left + indent - scroll, (R.Top + R.Bottom - glyph->Height()) / 2, glyph);
  }
  C->Brush()->SetStyle(gdi::bsClear);
  C->TextOut(R.Left + glyphWidth + indent + 6 - scroll, R.Top + (R.Height() - C->TextHeight(u"Wg")) / 2,
             Items()->Get(Index));
}

void TbsSkinDirectoryListBox::ListBoxDblClick() {
  TbsSkinListBox::ListBoxDblClick();
  OpenCurrent();
}

void TbsSkinDirectoryListBox::ListBoxKeyPress(char16_t& Key) {
  TbsSkinListBox::ListBoxKeyPress(Key);
  if (Key == 13) OpenCurrent();
}

void TbsSkinDirectoryListBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinListBox::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FFileList) FFileList = nullptr;
  if (AComponent == FDriveCombo) FDriveCombo = nullptr;
  if (AComponent == FDirLabel) FDirLabel = nullptr;
}

void TbsSkinDirectoryListBox::Loaded() {
  TbsSkinListBox::Loaded();
  if (ComponentState().Contains(rtl::csDesigning)) {
    FDirectory = CurrentDirectory();
    FillDirItems();
  }
}

void TbsSkinDirectoryListBox::CreateWnd() {
  TbsSkinListBox::CreateWnd();
  FillDirItems();
}

}  // namespace skin
