// The shell folder tree view, list view and combo box, and the shell
// context menu they share.
#include "skin/shell/bsSkinShellCtrls.h"

#include <unistd.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/Trash.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinData.h"

namespace skin {

using forms::TTreeNode;
using shell::ItemListsEqual;
using shell::TItemList;

namespace {

// Sets a flag for the life of the object (also when an exception passes).
class TFlagScope {
 public:
  explicit TFlagScope(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TFlagScope() { FFlag = false; }

 private:
  bool& FFlag;
};

template <class F>
class TFinally {
 public:
  explicit TFinally(F f) : FF(std::move(f)) {}
  ~TFinally() { FF(); }

 private:
  F FF;
};

// The hourglass while a folder is read.
class THourGlass {
 public:
  THourGlass() {
    if (forms::Screen) {
      FOld = forms::Screen->Cursor();
      forms::Screen->SetCursor(forms::crHourGlass);
    }
  }
  ~THourGlass() {
    if (forms::Screen) forms::Screen->SetCursor(FOld);
  }

 private:
  forms::TCursor FOld = forms::crDefault;
};

bool IsLoading(const rtl::TComponent* C) { return C->ComponentState().Contains(rtl::csLoading); }

String PathError(const String& Text) { return rtl::Format(u"Error setting path: \"%s\"", {Text}); }

// Parses a path against the desktop; EInvalidPath when the shell cannot.
TItemList ParsePath(const String& Text) {
  TItemList list;
  if (shell::GetDesktopShellFolder()->ParseDisplayName(Text, list) != 0 || !list)
    throw shell::EInvalidPath(PathError(Text));
  return list;
}

// The folder part (up to and including the last '/') of a path.
std::string FolderPart(const std::string& Path) {
  const auto p = Path.rfind('/');
  return p == std::string::npos ? std::string() : Path.substr(0, p + 1);
}

std::string CurrentDir() {
  char buf[PATH_MAX];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

// Sort state shared by the list view's sorts and the combo box's.
TbsShellFolder* SortFolderObject = nullptr;
bool ColumnSortActive = false;
bool ColumnSortDescending = false;
int ColumnSortColumn = 0;

int ShellOrder(TbsShellFolder* A, TbsShellFolder* B) {
  const shell::PShellFolder p = A->ParentShellFolder();
  if (!p) return 0;
  return static_cast<std::int16_t>(p->CompareIDs(0, A->RelativeID(), B->RelativeID()) & 0xFFFF);
}

// What a sort knows of one row, read once before the rows move: a row whose
// file vanished meanwhile keeps what could be read (its name, its kind) and
// sorts as an empty, undated file, so the comparison never fails half-way
// through a sort and never answers differently for the same pair.
struct TSortKey {
  TbsShellFolder* F = nullptr;
  bool Folder = false;
  rtl::Int64 Size = -1;
  rtl::TDateTime Modified = -1.0;
  String Type;
  String Name;
};

TSortKey SortKeyOf(TbsShellFolder* F, bool ColumnSort, bool FileSystem) {
  TSortKey k;
  k.F = F;
  k.Folder = F->IsFolder();
  if (!ColumnSort) return k;
  k.Name = F->DisplayName();
  if (!FileSystem) return k;
  shell::TFindData d;
  try {
    F->GetFindData(d);
    k.Size = shell::FindDataFileSize(d);
    k.Modified = shell::FindDataModified(d);
    if (k.Folder) {
      // A folder's own last write orders it among folders.
      shell::TFindData file = d;
      file.Attributes &= ~std::uint32_t(rtl::faDirectory);
      k.Modified = shell::FindDataModified(file);
    }
  } catch (const rtl::Exception&) {
  }
  if (ColumnSortColumn == 2) {
    try {
      F->LoadColumnDetails(SortFolderObject, 0, 4);
      k.Type = F->ColumnDetail(2);
    } catch (const rtl::Exception&) {
      const String n = rtl::FileNameToString(F->FileSystemPath());
      const auto dot = n.rfind(u'.');
      if (dot != String::npos && n.find(u'/', dot) == String::npos) k.Type = n.substr(dot);
    }
  }
  return k;
}

int CompareSortKeys(const TSortKey& A, const TSortKey& B, bool FileSystem) {
  int r = int(B.Folder) - int(A.Folder);
  if (r == 0) r = ShellOrder(A.F, B.F);
  if (!ColumnSortActive) return r;
  // Columns other than the name sort only in a file-system folder, where
  // the detail texts are there.
  if (ColumnSortColumn == 0 || FileSystem) {
    const bool foldersApart = A.Folder != B.Folder;
    const int ff = A.Folder ? -1 : 1;
    switch (ColumnSortColumn) {
      case 0: r = foldersApart ? ff : rtl::CompareText(A.Name, B.Name); break;
      case 1:
        if (foldersApart) r = ff;
        else if (!A.Folder) r = A.Size == B.Size ? 0 : A.Size > B.Size ? 1 : -1;
        break;
      case 2: r = foldersApart ? ff : rtl::CompareText(A.Type, B.Type); break;
      case 3:
        if (foldersApart) r = ff;
        else r = A.Modified == B.Modified ? 0 : A.Modified > B.Modified ? 1 : -1;
        break;
      default: break;
    }
  }
  return ColumnSortDescending ? -r : r;
}

// Sorts the rows by the sort state above; moves only the row references.
void SortRows(std::vector<std::unique_ptr<TbsShellFolder>>& Rows) {
  const bool fileSystem = SortFolderObject && (SortFolderObject->Properties() & shell::Bit(shell::fpFileSystem));
  std::vector<TSortKey> keys;
  keys.reserve(Rows.size());
  for (auto& r : Rows) keys.push_back(SortKeyOf(r.get(), ColumnSortActive, fileSystem));
  std::vector<std::size_t> order(Rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return CompareSortKeys(keys[a], keys[b], fileSystem) < 0;
  });
  std::vector<std::unique_ptr<TbsShellFolder>> sorted;
  sorted.reserve(Rows.size());
  for (std::size_t i : order) sorted.push_back(std::move(Rows[i]));
  Rows.swap(sorted);
}

forms::TPopupMenu* g_lastMenu = nullptr;

}  // namespace

// ------------------------------------------------------------ mask, menu

namespace {

bool MatchAt(const char16_t* p, const char16_t* pe, const char16_t* n, const char16_t* ne) {
  auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
  while (p < pe) {
    if (*p == u'*') {
      ++p;
      for (const char16_t* k = n; k <= ne; ++k)
        if (MatchAt(p, pe, k, ne)) return true;
      return false;
    }
    if (n >= ne) return false;
    if (*p == u'?') {
      ++p, ++n;
      continue;
    }
    if (*p == u'[') {
      const char16_t* q = p + 1;
      bool negate = q < pe && *q == u'!';
      if (negate) ++q;
      bool hit = false;
      const char16_t c = fold(*n);
      while (q < pe && *q != u']') {
        if (q + 2 < pe && q[1] == u'-' && q[2] != u']') {
          if (c >= fold(q[0]) && c <= fold(q[2])) hit = true;
          q += 3;
        } else {
          if (c == fold(*q)) hit = true;
          ++q;
        }
      }
      if (q >= pe || hit == negate) return false;
      p = q + 1, ++n;
      continue;
    }
    if (fold(*p) != fold(*n)) return false;
    ++p, ++n;
  }
  return n == ne;
}

bool TestPattern(const String& Pattern, const String& Name) {
  if (Pattern == u"*") return true;
  if (Pattern.find(u'.') == String::npos) return false;
  return MatchAt(Pattern.data(), Pattern.data() + Pattern.size(), Name.data(), Name.data() + Name.size());
}

}  // namespace

bool MatchesFileMask(const String& Name, const String& Mask) {
  String pattern;
  for (std::size_t i = 0; i < Mask.size(); ++i) {
    const char16_t c = Mask[i];
    const bool sep = c == u';' || c == u'|';
    if (!sep) pattern += c;
    if (sep || i + 1 == Mask.size()) {
      if (TestPattern(pattern, Name)) return true;
      pattern.clear();
    }
  }
  return false;
}

namespace {

TShellPrompts DefaultPrompts() {
  TShellPrompts p;
  p.Confirm = [](forms::TWinControl*, const String& Caption, const String& Text) {
    return forms::Application && forms::Application->MessageBox(Text, Caption) == 1;
  };
  p.ShowError = [](forms::TWinControl*, const String& Caption, const String& Text) {
    if (forms::Application) forms::Application->MessageBox(Text, Caption);
  };
  p.ShowProperties = [](forms::TWinControl*, TbsShellFolder*) {};
  return p;
}

TShellPrompts& Prompts() {
  static TShellPrompts p = DefaultPrompts();
  return p;
}

String Quoted(const String& Name) { return u"\u201C" + Name + u"\u201D"; }

// Moves the items to the trash after asking; true when they went.
bool TrashItems(forms::TWinControl* Control, const std::vector<std::string>& Paths, const String& Question) {
  if (Paths.empty()) return false;
  if (!Prompts().Confirm(Control, u"删除", Question)) return false;
  std::string failed;
  if (const int code = shell::MoveAllToTrash(Paths, &failed)) {
    String text = rtl::Format(u"无法将%s移到回收站：%s", {Quoted(rtl::FileNameToString(failed.substr(failed.rfind('/') + 1))),
                                                          rtl::SysErrorMessage(code)});
    if (Paths.size() > 1) text += u"\n没有删除任何项目。";
    Prompts().ShowError(Control, u"删除", text);
    return false;
  }
  return true;
}

}  // namespace

void SetShellPrompts(const TShellPrompts& P) {
  if (P.Confirm) Prompts().Confirm = P.Confirm;
  if (P.ShowError) Prompts().ShowError = P.ShowError;
  if (P.ShowProperties) Prompts().ShowProperties = P.ShowProperties;
}

void ResetShellPrompts() { Prompts() = DefaultPrompts(); }

String DeleteQuestion(const std::vector<TbsShellFolder*>& Folders) {
  if (Folders.size() == 1) {
    TbsShellFolder* f = Folders.front();
    return f->IsFolder() ? rtl::Format(u"确定要将文件夹%s及其中的所有内容移到回收站吗？", {Quoted(f->DisplayName())})
                         : rtl::Format(u"确定要将%s移到回收站吗？", {Quoted(f->DisplayName())});
  }
  String text = rtl::Format(u"确定要将这 %d 项移到回收站吗？\n", {static_cast<int>(Folders.size())});
  constexpr std::size_t kListed = 10;
  for (std::size_t i = 0; i < Folders.size() && i < kListed; ++i) text += u"\n" + Folders[i]->DisplayName();
  if (Folders.size() > kListed) text += rtl::Format(u"\n……（另有 %d 项）", {static_cast<int>(Folders.size() - kListed)});
  return text;
}

bool InvokeItemVerb(TbsShellFolder* Folder, const String& Verb, forms::TWinControl* Control) {
  if (!Folder) return false;
  if (rtl::SameText(Verb, u"open")) return Folder->ExecuteDefault() != 0;
  if (rtl::SameText(Verb, u"delete")) {
    const std::string path = Folder->FileSystemPath();
    if (path.empty() || path == "/") return false;
    return shell::MoveToTrash(path) == 0;
  }
  if (rtl::SameText(Verb, u"properties")) {
    Prompts().ShowProperties(Control, Folder);
    return true;
  }
  return false;
}

forms::TPopupMenu* LastShellContextMenu() { return g_lastMenu; }

void ShowItemContextMenu(forms::TWinControl* Control, TbsShellFolder* Folder, int X, int Y) {
  if (!Folder) return;
  ShowItemsContextMenu(Control, {Folder}, X, Y);
}

void ShowItemsContextMenu(forms::TWinControl* Control, const std::vector<TbsShellFolder*>& Folders, int X, int Y) {
  if (!Control || Folders.empty() || !Folders.front()) return;
  delete g_lastMenu;
  // A skin popup menu: the menu engine of the frame of the control's form
  // shows it in that form's skin.
  auto* menu = new TbsSkinPopupMenu(nullptr);
  menu->ComponentForm = forms::GetParentForm(Control);
  if (menu->ComponentForm) menu->ComponentForm->FreeNotification(menu);
  g_lastMenu = menu;
  auto* hook = dynamic_cast<IShellMenuCommandHook*>(Control);
  struct TVerb {
    const char16_t* Caption;
    const char16_t* Verb;
  };
  const TVerb verbs[] = {{u"打开", u"open"}, {u"重命名", u"rename"}, {u"删除", u"delete"}};
  // The menu runs its verb on the items it was opened for; their objects
  // belong to the view, which may read its folder again meanwhile, so what
  // the commands need is taken now.
  TbsShellFolder* first = Folders.front();
  const String path = first->PathName();
  std::vector<std::string> paths;
  bool canDelete = true;
  for (TbsShellFolder* f : Folders) {
    paths.push_back(f->FileSystemPath());
    canDelete = canDelete && !paths.back().empty() && (f->Capabilities() & shell::Bit(shell::fcCanDelete));
  }
  const String question = DeleteQuestion(Folders);
  for (const TVerb& v : verbs) {
    const String verb = v.Verb;
    if (verb == u"rename" && (Folders.size() != 1 || !(first->Capabilities() & shell::Bit(shell::fcCanRename))))
      continue;
    if (verb == u"delete" && !canDelete) continue;
    auto* item = new forms::TMenuItem(g_lastMenu);
    item->SetCaption(v.Caption);
    item->OnClick = [hook, Control, verb, path, paths, question](rtl::TObject*) {
      bool handled = false;
      if (hook) hook->ExecuteCommand(verb, handled);
      bool ok = true;
      if (!handled) {
        if (verb == u"delete") {
          ok = TrashItems(Control, paths, question);
        } else {
          TItemList id;
          ok = shell::GetDesktopShellFolder()->ParseDisplayName(path, id) == 0;
          if (ok) {
            std::unique_ptr<TbsShellFolder> f(shell::FolderObjectFromItemList(id.get()));
            ok = InvokeItemVerb(f.get(), verb, Control);
          }
        }
      }
      if (hook) hook->CommandCompleted(verb, ok);
    };
    g_lastMenu->Items()->Add(item);
  }
  const rtl::TPoint p = Control->ClientToScreen({X, Y});
  g_lastMenu->SetPopupComponent(Control);
  g_lastMenu->Popup(p.X, p.Y);
}

// ================================================================ tree view

TbsCustomShellTreeView::TbsCustomShellTreeView(TComponent* AOwner) : TbsSkinCustomTreeView(AOwner) {
  SetShowRoot(false);
  SetHideSelection(false);
  ApplyImages();
}

TbsCustomShellTreeView::~TbsCustomShellTreeView() {
  FDestroying = true;
  delete FNotifier;
  FNotifier = nullptr;
  FreeAllNodes();
  delete FRootFolder;
  FRootFolder = nullptr;
}

TbsShellFolder* TbsCustomShellTreeView::FolderOf(TTreeNode* Node) const {
  return Node ? static_cast<TbsShellFolder*>(Node->Data()) : nullptr;
}

TbsShellFolder* TbsCustomShellTreeView::SelectedFolder() const { return FolderOf(Selected()); }

bool TbsCustomShellTreeView::UserImages() const { return Images() && Images() != ShellSmallImages(); }

void TbsCustomShellTreeView::ApplyImages() {
  if (UserImages()) return;
  SetImages(FUseShellImages ? ShellSmallImages() : nullptr);
}

void TbsCustomShellTreeView::SetUseShellImages(bool Value) {
  FUseShellImages = Value;
  ApplyImages();
}

void TbsCustomShellTreeView::SetRoot(const TRoot& Value) {
  if (rtl::SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  RootChanged();
}

void TbsCustomShellTreeView::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  RootChanged();
}

void TbsCustomShellTreeView::RootChanged() {
  if (FUpdating) return;
  TFlagScope u(FUpdating);
  BuildRoot();
  if (FListView) FListView->SetRoot(FRoot);
}

void TbsCustomShellTreeView::BuildRoot() {
  if (IsLoading(this)) return;
  String error;
  bool failed = false;
  try {
    FRootFolder = shell::ResolveRootFolder(FRootFolder, FOldRoot, FRoot);
  } catch (const rtl::Exception& e) {
    error = e.Message();
    failed = true;
  }
  if (FRootFolder) {
    TFlagScope l(FLoadingRoot);
    FreeAllNodes();
    TTreeNode* node = Items()->Add(nullptr, u"");
    auto* obj = new TbsShellFolder(nullptr, FRootFolder->AbsoluteID(), FRootFolder->ShellFolder());
    node->SetData(obj);
    node->SetText(shell::ItemDisplayText(shell::GetDesktopShellFolder(), obj->AbsoluteID(), shell::SHGDN_NORMAL));
    if (FUseShellImages && !UserImages()) {
      node->SetImageIndex(shell::ShellImageIndex(obj->AbsoluteID(), false, false));
      node->SetSelectedIndex(shell::ShellImageIndex(obj->AbsoluteID(), false, true));
    }
    node->SetHasChildren(obj->SubFolders());
    node->Expand(false);
    SetSelected(node);
  }
  if (failed) throw rtl::Exception(error);
}

void TbsCustomShellTreeView::PopulateNode(TTreeNode* Node) {
  TbsShellFolder* f = FolderOf(Node);
  if (!f) return;
  THourGlass hg;
  Items()->BeginUpdate();
  TFinally end([this] { Items()->EndUpdate(); });
  std::vector<std::unique_ptr<TbsShellFolder>> kids;
  if (shell::EnumerateChildren(f, FObjectTypes, kids) != 0) return;
  shell::SortShellFolders(kids);
  for (auto& k : kids) InitNode(Items()->AddChild(Node, u""), std::move(k));
}

void TbsCustomShellTreeView::InitNode(TTreeNode* Node, std::unique_ptr<TbsShellFolder> Obj) {
  TbsShellFolder* f = Obj.release();
  Node->SetData(f);
  Node->SetText(f->DisplayName());
  if (FUseShellImages && !UserImages()) {
    Node->SetImageIndex(shell::ShellImageIndex(f->AbsoluteID(), false, false));
    Node->SetSelectedIndex(shell::ShellImageIndex(f->AbsoluteID(), false, true));
  }
  if (Node->SelectedIndex() == 0) Node->SetSelectedIndex(Node->ImageIndex());
  bool button = f->SubFolders();
  if ((FObjectTypes & shell::Bit(shell::otNonFolders)) && f->ShellFolder())
    button = shell::FolderHasItems(f->ShellFolder(), shell::ObjectTypesToEnumFlags(FObjectTypes));
  Node->SetHasChildren(button);
  bool canAdd = true;
  if (OnAddFolder) OnAddFolder(this, f, canAdd);
  if (!canAdd) Node->Delete();
}

bool TbsCustomShellTreeView::CanExpand(TTreeNode* Node) {
  if (Designing() && Node->Level() > 0) return true;
  bool ok = TbsSkinCustomTreeView::CanExpand(Node);
  if (ok) {
    TbsShellFolder* f = FolderOf(Node);
    if (f && f->IsFolder()) {
      if (Node->HasChildren() && Node->Count() == 0) PopulateNode(Node);
    } else if (f) {
      f->ExecuteDefault();
    }
  }
  Node->SetHasChildren(Node->Count() > 0);
  return ok;
}

TTreeNode* TbsCustomShellTreeView::FindNodeByItemList(PCItemIDList Id, TTreeNode* Start) {
  if (!Start || !Id) return nullptr;
  const int level = Start->Level();
  for (TTreeNode* n = Start; n; n = n->GetNext()) {
    if (n != Start && n->Level() <= level) break;
    TbsShellFolder* f = FolderOf(n);
    if (f && ItemListsEqual(f->AbsoluteID(), Id)) return n;
  }
  return nullptr;
}

void TbsCustomShellTreeView::SelectItemList(PCItemIDList Id) {
  if (IsLoading(this) || !Id) return;
  if (TbsShellFolder* s = SelectedFolder(); s && ItemListsEqual(s->AbsoluteID(), Id)) return;
  TFlagScope u(FUpdating);
  Items()->BeginUpdate();
  std::vector<shell::PItemIDList> ancestors = shell::ItemListAncestors(Id);
  TFinally end([&] {
    shell::ItemListAncestorsFree(ancestors);
    Items()->EndUpdate();
  });
  TTreeNode* start = Items()->GetFirstNode();
  for (shell::PItemIDList a : ancestors)
    if (TTreeNode* n = FindNodeByItemList(a, start)) {
      n->Expand(false);
      start = n;
    }
  TTreeNode* target = FindNodeByItemList(Id, start);
  SetSelected(target);
  if (target && Selected() == target) {
    TbsShellFolder* f = FolderOf(target);
    if (FListView) FListView->NavigateFromLink(f->AbsoluteID());
    if (FComboBox) FComboBox->ViewFolderChanged(f->AbsoluteID());
  }
}

String TbsCustomShellTreeView::Path() {
  TbsShellFolder* f = SelectedFolder();
  return f ? f->PathName() : String();
}

void TbsCustomShellTreeView::SetPath(const String& Value) {
  FPath = Value;
  TItemList list = ParsePath(Value);
  SelectItemList(list.get());
  if (TTreeNode* n = Selected()) {
    n->Expand(false);
    CanChange(n);
  }
  FPath = Value;
}

bool TbsCustomShellTreeView::CanChange(TTreeNode* Node) {
  const bool ok = TbsSkinCustomTreeView::CanChange(Node);
  if (ok && !FUpdating && Node && !FDestroying) {
    const bool ar = FAutoRefresh;
    SetAutoRefresh(false);
    TbsShellFolder* f = FolderOf(Node);
    if (f && !f->IsFolder() && f->Parent()) f = f->Parent();
    if (f) {
      TFlagScope u(FUpdating);
      if (FComboBox) FComboBox->ViewFolderChanged(f->AbsoluteID());
      if (FListView) FListView->NavigateFromLink(f->AbsoluteID());
    }
    FNodeToMonitor = Node;
    SetAutoRefresh(ar);
    FNodeToMonitor = nullptr;
  }
  return ok;
}

void TbsCustomShellTreeView::SetAutoRefresh(bool Value) {
  FAutoRefresh = Value;
  if (IsLoading(this)) return;
  delete FNotifier;
  FNotifier = nullptr;
  if (!Value || FDestroying) return;
  TbsShellFolder* f = FNodeToMonitor ? FolderOf(FNodeToMonitor) : FRootFolder;
  FNotifier = new shell::TbsShellChangeNotifier(this);
  FNotifier->SetWatchSubTree(false);
  FNotifier->SetRoot(f ? f->PathName() : String());
  FNotifier->SetOnChange([this] { RefreshSelected(); });
}

void TbsCustomShellTreeView::RefreshSelected() {
  if (Selected()) Refresh(Selected());
}

void TbsCustomShellTreeView::Refresh(TTreeNode* Node) {
  TbsShellFolder* old = FolderOf(Node);
  if (!old || !old->ShellFolder()) return;
  THourGlass hg;
  TItemList top, sel;
  if (TbsShellFolder* t = FolderOf(TopItem())) top = TItemList(shell::ItemListClone(t->AbsoluteID()));
  if (TbsShellFolder* s = SelectedFolder()) sel = TItemList(shell::ItemListClone(s->AbsoluteID()));
  // The rebuilt subtree takes the place of the old one without telling the
  // linked controls: it shows the same folders.
  const bool wasUpdating = FUpdating;
  FUpdating = true;
  Items()->BeginUpdate();
  TFinally end([&] {
    Items()->EndUpdate();
    FUpdating = wasUpdating;
  });
  TTreeNode* nn = Items()->Insert(Node, u"");
  TbsShellFolder* parentObj = FolderOf(Node->Parent());
  auto* obj = new TbsShellFolder(parentObj, old->RelativeID(), old->ShellFolder());
  nn->SetData(obj);
  PopulateNode(nn);
  nn->SetImageIndex(shell::ShellImageIndex(obj->AbsoluteID(), false, false));
  nn->SetSelectedIndex(shell::ShellImageIndex(obj->AbsoluteID(), false, true));
  nn->SetHasChildren(obj->SubFolders() || nn->Count() > 0);
  nn->SetText(obj->DisplayName());
  std::vector<TItemList> open;
  const int level = Node->Level();
  for (TTreeNode* n = Node; n; n = n->GetNext()) {
    if (n != Node && n->Level() <= level) break;
    if (n->Expanded() && FolderOf(n)) open.emplace_back(shell::ItemListClone(FolderOf(n)->AbsoluteID()));
  }
  for (const TItemList& id : open)
    if (TTreeNode* m = FindNodeByItemList(id.get(), nn)) m->Expand(false);
  Node->Delete();
  if (sel) SetSelected(FindNodeByItemList(sel.get(), Items()->GetFirstNode()));
  if (top)
    if (TTreeNode* t = FindNodeByItemList(top.get(), Items()->GetFirstNode())) SetTopItem(t);
}

void TbsCustomShellTreeView::ExpandMyComputer() {
  TRoot r = u"rfMyComputer";
  std::unique_ptr<TbsShellFolder> f(shell::ResolveRootFolder(nullptr, r, r));
  SelectItemList(f->AbsoluteID());
  if (Selected()) Selected()->Expand(false);
}

void TbsCustomShellTreeView::Edit(TTreeNode* Node, String& S) {
  if (OnEdited) OnEdited(this, Node, S);
  if (!Node) return;
  if (TbsShellFolder* f = FolderOf(Node); f && f->Rename(S)) Node->SetText(S);
  if (Node->Parent()) Refresh(Node->Parent());
}

void TbsCustomShellTreeView::NodeRemoving(TTreeNode* Node) {
  delete FolderOf(Node);
  Node->SetData(nullptr);
  TbsSkinCustomTreeView::NodeRemoving(Node);
}

void TbsCustomShellTreeView::FreeAllNodes() {
  if (Items()->Count() == 0) return;
  Items()->BeginUpdate();
  for (int i = 0; i < Items()->Count(); ++i) {
    TTreeNode* n = Items()->Item(i);
    delete FolderOf(n);
    n->SetData(nullptr);
  }
  Items()->Clear();
  Items()->EndUpdate();
}

void TbsCustomShellTreeView::ClearTree() { FreeAllNodes(); }

void TbsCustomShellTreeView::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TbsSkinCustomTreeView::KeyDown(Key, Shift);
  if (Key == win::VK_F2 && Selected() && !IsEditing()) Selected()->EditText();
}

void TbsCustomShellTreeView::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinCustomTreeView::MouseDown(Button, Shift, X, Y);
  if (Button != forms::mbRight) return;
  // A right click selects the node under the pointer first.
  if (TTreeNode* n = GetNodeAt(X, Y)) SetSelected(n);
  DoContextPopup(X, Y);
}

void TbsCustomShellTreeView::DoContextPopup(int X, int Y) {
  if (FAutoContext && (!PopupMenu() || !PopupMenu()->AutoPopup()))
    ShowItemContextMenu(this, SelectedFolder(), X, Y);
}

void TbsCustomShellTreeView::ExecuteCommand(const String& Verb, bool& Handled) {
  if (rtl::SameText(Verb, u"rename") && Selected()) {
    Selected()->EditText();
    Handled = true;
  } else if (rtl::SameText(Verb, u"open") && SelectedFolder()) {
    FSavePath = CurrentDir();
    const std::string dir = FolderPart(SelectedFolder()->FileSystemPath());
    if (!dir.empty()) [[maybe_unused]] int r = ::chdir(dir.c_str());
  }
}

void TbsCustomShellTreeView::CommandCompleted(const String& Verb, bool Succeeded) {
  if (!Succeeded || !Selected()) return;
  if (rtl::SameText(Verb, u"delete")) {
    const std::string p = SelectedFolder() ? SelectedFolder()->FileSystemPath() : std::string();
    struct stat st;
    const bool existingFile = !p.empty() && ::stat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    if (!existingFile) Selected()->Delete();
  } else if (rtl::SameText(Verb, u"paste")) {
    Refresh(Selected());
  } else if (rtl::SameText(Verb, u"open")) {
    if (!FSavePath.empty()) [[maybe_unused]] int r = ::chdir(FSavePath.c_str());
  }
}

void TbsCustomShellTreeView::SetShellListView(TbsCustomShellListView* Value) {
  if (Value == FListView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FTreeView = this;
    Value->FreeNotification(this);
  } else if (FListView) {
    FListView->FTreeView = nullptr;
  }
  FListView = Value;
}

void TbsCustomShellTreeView::SetShellComboBox(TbsCustomShellComboBox* Value) {
  if (Value == FComboBox) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FTreeView = this;
    Value->FreeNotification(this);
  } else if (FComboBox) {
    FComboBox->FTreeView = nullptr;
  }
  FComboBox = Value;
}

void TbsCustomShellTreeView::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomTreeView::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FListView) FListView = nullptr;
  else if (AComponent == FComboBox) FComboBox = nullptr;
  if (AComponent == FNotifier) FNotifier = nullptr;
}

void TbsCustomShellTreeView::Loaded() {
  TbsSkinCustomTreeView::Loaded();
  BuildRoot();
}

void TbsCustomShellTreeView::CreateWnd() {
  TbsSkinCustomTreeView::CreateWnd();
  FreeAllNodes();
  ApplyImages();
  if (!FLoadingRoot) {
    BuildRoot();
    if (!FPath.empty()) SetPath(FPath);
  }
}

void TbsCustomShellTreeView::DestroyWnd() {
  FreeAllNodes();
  TbsSkinCustomTreeView::DestroyWnd();
}

// ================================================================ list view

TbsCustomShellListView::TbsCustomShellListView(TComponent* AOwner) : TbsSkinCustomListView(AOwner) {
  SetOwnerData(true);
  SetHideSelection(false);
  SetSmallImages(ShellSmallImages());
  SetLargeImages(ShellLargeImages());
  OnData = [this](TObject*, forms::TListItem* Item) { OwnerDataFetch(Item); };
  OnDataFind = [this](TObject*, const String& S, int Start, bool Wrap, int& Index) {
    Index = OwnerDataFind(S, Start, Wrap);
  };
}

TbsCustomShellListView::~TbsCustomShellListView() {
  delete FNotifier;
  FNotifier = nullptr;
  FFolders.clear();
  delete FRootFolder;
  FRootFolder = nullptr;
}

void TbsCustomShellListView::ClearFolderList() {
  if (!ComponentState().Contains(rtl::csDestroying)) Items()->SetCount(0);
  FFolders.clear();
}

TbsShellFolder* TbsCustomShellListView::FolderAt(int Index) const {
  if (FFolders.empty()) return nullptr;
  return FFolders.at(static_cast<std::size_t>(Index)).get();
}

void TbsCustomShellListView::ResolveRoot() {
  // The new folder is made first; the rows, whose parent is the old one,
  // go before it.
  TbsShellFolder* f = shell::ResolveRootFolder(nullptr, FOldRoot, FRoot);
  ClearFolderList();
  delete FRootFolder;
  FRootFolder = f;
}

void TbsCustomShellListView::SetRoot(const TRoot& Value) {
  if (rtl::SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  ResolveRoot();
  FSettingRoot = true;
  RebuildView();
}

String TbsCustomShellListView::Path() const { return FRootFolder ? FRootFolder->PathName() : String(); }

void TbsCustomShellListView::SetPath(const String& Value) {
  TItemList list = ParsePath(Value);
  NavigateTo(list.get());
}

void TbsCustomShellListView::SetMask(const String& Value) {
  if (Value == FMask) return;
  FMask = Value;
  RebuildView();
}

void TbsCustomShellListView::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  if (!IsLoading(this)) RebuildView();
}

void TbsCustomShellListView::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  LoadItems();
}

void TbsCustomShellListView::SetViewStyle(forms::TViewStyle Value) {
  TbsSkinCustomListView::SetViewStyle(Value);
  if (Value == forms::vsReport) BuildColumns();
}

void TbsCustomShellListView::NavigateTo(PCItemIDList Id) {
  if (FUpdating || !Id) return;
  if (FRootFolder) {
    if (ItemListsEqual(FRootFolder->AbsoluteID(), Id)) return;
    ClearFolderList();
    delete FRootFolder;
    FRootFolder = nullptr;
  }
  FSettingRoot = false;
  FRootFolder = shell::FolderObjectFromItemList(Id);
  RebuildView();
  if (OnPathChanged) OnPathChanged(this);
}

void TbsCustomShellListView::NavigateFromLink(PCItemIDList Id) {
  if (FUpdating || !Id) return;
  if (FRootFolder && ItemListsEqual(FRootFolder->AbsoluteID(), Id)) return;
  NavigateTo(Id);
}

void TbsCustomShellListView::RebuildView() {
  if (FUpdating) return;
  TFlagScope u(FUpdating);
  const bool ar = FAutoRefresh;
  SetAutoRefresh(false);
  TFinally back([&] { SetAutoRefresh(ar); });
  SyncLinkedControls();
  LoadItems();
  if (ViewStyle() == forms::vsReport) BuildColumns();
}

void TbsCustomShellListView::SyncLinkedControls() {
  if (FSettingRoot) {
    if (FTreeView) FTreeView->SetRoot(FRoot);
  } else if (FRootFolder) {
    if (FTreeView) FTreeView->SelectItemList(FRootFolder->AbsoluteID());
    if (FComboBox) FComboBox->ViewFolderChanged(FRootFolder->AbsoluteID());
  }
  FSettingRoot = false;
}

void TbsCustomShellListView::LoadItems() {
  if ((IsLoading(this) && !HandleAllocated()) || !FRootFolder) return;
  Items()->BeginUpdate();
  TFinally end([this] { Items()->EndUpdate(); });
  ClearFolderList();
  THourGlass hg;
  std::vector<std::unique_ptr<TbsShellFolder>> kids;
  FLoadError = shell::EnumerateChildren(FRootFolder, FObjectTypes, kids);
  if (FLoadError != 0) return;
  FFolders.reserve(kids.size());
  for (auto& k : kids) {
    bool canAdd = true;
    if (!k->IsFolder()) {
      const std::string path = k->FileSystemPath();
      const auto slash = path.rfind('/');
      const String name = path.empty() ? String() : rtl::FileNameToString(path.substr(slash + 1));
      canAdd = MatchesFileMask(name, FMask);
    }
    if (OnAddFolder) OnAddFolder(this, k.get(), canAdd);
    if (canAdd) FFolders.push_back(std::move(k));
  }
  if (FSorted) {
    SortFolderObject = FRootFolder;
    ColumnSortActive = false;
    TFinally clear([] { SortFolderObject = nullptr; });
    SortRows(FFolders);
  }
  Items()->SetCount(static_cast<int>(FFolders.size()));
}

String TbsCustomShellListView::LoadErrorText() const {
  return FLoadError ? shell::FolderErrorText(FRootFolder, FLoadError) : String();
}

void TbsCustomShellListView::AddDefaultColumns(int Count) {
  struct TCol {
    const char16_t* Key;
    const char16_t* Text;
    forms::TAlignment Align;
    int Width;
  };
  static const TCol cols[] = {{u"FLV_NAME", u"Name", forms::taLeftJustify, 25},
                              {u"FLV_SIZE", u"Size", forms::taRightJustify, 10},
                              {u"FLV_TYPE", u"Type", forms::taLeftJustify, 10},
                              {u"FLV_MODIFIED", u"Modified", forms::taLeftJustify, 14}};
  TbsResourceStrData* rs = SkinData() ? SkinData()->ResourceStrData() : nullptr;
  // The width of "X" in the view's font, measured off screen (the view's
  // own canvas has no device outside painting).
  gdi::TBitmap measure(1, 1);
  measure.Canvas()->Font()->Assign(Font());
  const int x = std::max(1, measure.Canvas()->TextWidth(u"X"));
  for (int i = 0; i < Count && i < 4; ++i) {
    forms::TListColumn* c = Columns()->Add();
    c->SetCaption(rs ? rs->GetResStr(cols[i].Key) : String(cols[i].Text));
    c->SetAlignment(cols[i].Align);
    c->SetWidth(cols[i].Width * x);
  }
}

void TbsCustomShellListView::BuildColumns() {
  if (!FRootFolder || !FRootFolder->ShellFolder()) return;
  BeginUpdate();
  TFinally end([this] { EndUpdate(); });
  Columns()->Clear();
  FRootFolder->SetViewHandle(reinterpret_cast<std::uintptr_t>(HandleAllocated() ? Handle() : nullptr));
  AddDefaultColumns((FRootFolder->Properties() & shell::Bit(shell::fpFileSystem)) ? 4 : 1);
}

void TbsCustomShellListView::OwnerDataFetch(forms::TListItem* Item) {
  const int i = Item->Index();
  if (i < 0 || i >= FolderCount()) return;
  TbsShellFolder* f = FFolders[static_cast<std::size_t>(i)].get();
  Item->SetCaption(f->DisplayName());
  Item->SetImageIndex(f->ImageIndex(ViewStyle() == forms::vsIcon));
  if (ViewStyle() != forms::vsReport) return;
  const int n = Columns()->Count();
  // A file removed since the folder was read has no details: its row shows
  // the name alone instead of breaking the paint.
  try {
    f->LoadColumnDetails(FRootFolder, 0, n);
  } catch (const rtl::Exception&) {
  }
  for (int c = 1; c < n; ++c) {
    String text;
    try {
      text = f->ColumnDetail(c);
    } catch (const rtl::Exception&) {
    }
    Item->SubItems()->Add(text);
  }
}

int TbsCustomShellListView::OwnerDataFind(const String& Text, int Start, bool Wrap) {
  const int n = FolderCount();
  if (Start < 0 || n == 0) return -1;
  auto up = [](String s) {
    for (auto& c : s)
      if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
    return s;
  };
  const String t = up(Text);
  int i = Start;
  for (int steps = 0; steps < n; ++steps) {
    if (i >= n) {
      if (!Wrap) return -1;
      i = 0;
    }
    if (up(FFolders[static_cast<std::size_t>(i)]->DisplayName()).rfind(t, 0) == 0) return i;
    ++i;
  }
  return -1;
}

void TbsCustomShellListView::ResetRowCache() {
  // The control keeps the last row it fetched; after rows were reordered or
  // renamed it asks again. The selected positions stay where they were.
  std::vector<int> selected;
  for (int i = 0; i < FolderCount(); ++i)
    if (Model().Selected(i)) selected.push_back(i);
  const int focused = ItemIndex();
  Items()->SetCount(FolderCount());
  if (focused >= 0 && focused < FolderCount()) SetItemIndex(focused);
  for (int i : selected) SetItemSelected(i, true);
}

void TbsCustomShellListView::ColClick(forms::TListColumn* Column) {
  TbsSkinCustomListView::ColClick(Column);
  const int index = Column->Index();
  if (Columns()->Count() < 4 && index != 0) return;
  FOldSortColumn = FSortColumn;
  FSortColumn = index;
  FSortDirection = (FSortColumn == FOldSortColumn && FSortColumn != -1) ? !FSortDirection : false;
  ColumnSortActive = true;
  SortFolderObject = FRootFolder;
  ColumnSortColumn = FSortColumn;
  ColumnSortDescending = FSortDirection;
  Items()->BeginUpdate();
  TFinally end([this] {
    Items()->EndUpdate();
    SortFolderObject = nullptr;
    ColumnSortActive = false;
  });
  SortRows(FFolders);
  ResetRowCache();
}

void TbsCustomShellListView::Back() {
  if (!FRootFolder) return;
  TItemList copy(shell::ItemListClone(FRootFolder->AbsoluteID()));
  shell::ItemListStripLast(copy.get());
  NavigateTo(copy.get());
}

void TbsCustomShellListView::Refresh() {
  if (!FRootFolder) return;
  // The selected row, not the focused one (with several selectable rows the
  // focused row may be unselected).
  const int sel = Selected() ? Selected()->Index() : -1;
  ClearSelection();
  TItemList copy(shell::ItemListClone(FRootFolder->AbsoluteID()));
  ClearFolderList();
  delete FRootFolder;
  FRootFolder = nullptr;
  NavigateTo(copy.get());
  if (sel >= 0 && sel < FolderCount()) SetItemIndex(sel);
}

TbsShellFolder* TbsCustomShellListView::SelectedFolder() {
  // The first selected row: with several selectable rows the focused one
  // need not be selected.
  forms::TListItem* item = Selected();
  const int i = item ? item->Index() : -1;
  return i >= 0 && i < FolderCount() ? FFolders[static_cast<std::size_t>(i)].get() : nullptr;
}

String TbsCustomShellListView::GetSelectedFile() {
  TbsShellFolder* f = SelectedFolder();
  return f && !f->IsFolder() ? f->FullObjectName() : String();
}

void TbsCustomShellListView::GetSelectedFiles(rtl::TStrings* AFiles) {
  AFiles->Clear();
  for (int i = 0; i < FolderCount(); ++i)
    if (Model().Selected(i) && !FFolders[static_cast<std::size_t>(i)]->IsFolder())
      AFiles->Add(FFolders[static_cast<std::size_t>(i)]->FullObjectName());
}

void TbsCustomShellListView::DblClick() {
  if (FAutoNavigate)
    if (TbsShellFolder* f = SelectedFolder(); f && f->IsFolder()) {
      TItemList id(shell::ItemListClone(f->AbsoluteID()));
      NavigateTo(id.get());
    }
  TbsSkinCustomListView::DblClick();
}

void TbsCustomShellListView::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TbsSkinCustomListView::KeyDown(Key, Shift);
  if (!FAutoNavigate) return;
  if (Key == win::VK_BACK && !IsEditing()) {
    Back();
  } else if (Key == win::VK_RETURN && Shift.Contains(forms::ssAlt)) {
    if (TbsShellFolder* f = SelectedFolder()) InvokeItemVerb(f, u"properties", this);
    Key = 0;
  } else if (Key == win::VK_RETURN) {
    if (TbsShellFolder* f = SelectedFolder(); f && f->IsFolder()) {
      TItemList id(shell::ItemListClone(f->AbsoluteID()));
      NavigateTo(id.get());
    }
  } else if (Key == win::VK_F5) {
    Refresh();
  } else if (Key == win::VK_F2 && !IsEditing()) {
    BeginRenameSelected();
  }
}

void TbsCustomShellListView::BeginRenameSelected() {
  if (ItemIndex() >= 0) EditItem(ItemIndex());
}

void TbsCustomShellListView::Edit(forms::TListItem* Item, String& S) {
  if (!Item) return;
  const int i = Item->Index();
  if (i < 0 || i >= FolderCount()) return;
  FFolders[static_cast<std::size_t>(i)]->Rename(S);
  ResetRowCache();
  InvalidateRow(i);
  if (FTreeView && FTreeView->Selected()) FTreeView->Refresh(FTreeView->Selected());
}

void TbsCustomShellListView::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinCustomListView::MouseDown(Button, Shift, X, Y);
  if (Button == forms::mbRight) DoContextPopup(X, Y);
}

void TbsCustomShellListView::DoContextPopup(int X, int Y) {
  if (!FAutoContext) return;
  // The menu acts on the rows the click was on: the row under the pointer
  // (selected by the click when it was not) with the rows selected with it.
  forms::TListItem* hit = GetItemAt(X, Y);
  const int row = hit ? hit->Index() : -1;
  if (row < 0 || row >= FolderCount()) return;
  std::vector<TbsShellFolder*> folders;
  if (Model().Selected(row)) {
    for (int i = 0; i < FolderCount(); ++i)
      if (Model().Selected(i)) folders.push_back(FFolders[static_cast<std::size_t>(i)].get());
  } else {
    folders.push_back(FFolders[static_cast<std::size_t>(row)].get());
  }
  // The menu stays open after this returns; its commands read the folder
  // again when they change it (CommandCompleted), so the rows are left as
  // they are under the open menu.
  ShowItemsContextMenu(this, folders, X, Y);
}

void TbsCustomShellListView::ExecuteCommand(const String& Verb, bool& Handled) {
  if (rtl::SameText(Verb, u"rename")) {
    BeginRenameSelected();
    Handled = true;
  } else if (rtl::SameText(Verb, u"open") && SelectedFolder()) {
    FSavePath = CurrentDir();
    const std::string dir = FolderPart(SelectedFolder()->FileSystemPath());
    if (!dir.empty()) [[maybe_unused]] int r = ::chdir(dir.c_str());
  }
}

void TbsCustomShellListView::CommandCompleted(const String& Verb, bool Succeeded) {
  if (!Succeeded) return;
  if (rtl::SameText(Verb, u"delete") || rtl::SameText(Verb, u"paste")) {
    Refresh();
  } else if (rtl::SameText(Verb, u"open")) {
    if (!FSavePath.empty()) [[maybe_unused]] int r = ::chdir(FSavePath.c_str());
  }
}

void TbsCustomShellListView::SetAutoRefresh(bool Value) {
  FAutoRefresh = Value;
  if (IsLoading(this)) return;
  delete FNotifier;
  FNotifier = nullptr;
  if (!Value || !FRootFolder || ComponentState().Contains(rtl::csDestroying)) return;
  FNotifier = new shell::TbsShellChangeNotifier(this);
  FNotifier->SetWatchSubTree(false);
  FNotifier->SetRoot(FRootFolder->PathName());
  FNotifier->SetOnChange([this] { Refresh(); });
}

void TbsCustomShellListView::SetShellTreeView(TbsCustomShellTreeView* Value) {
  if (Value == FTreeView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FListView = this;
    Value->FreeNotification(this);
  } else if (FTreeView) {
    FTreeView->FListView = nullptr;
  }
  FTreeView = Value;
}

void TbsCustomShellListView::SetShellComboBox(TbsCustomShellComboBox* Value) {
  if (Value == FComboBox) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FListView = this;
    Value->FreeNotification(this);
  } else if (FComboBox) {
    FComboBox->FListView = nullptr;
  }
  FComboBox = Value;
}

void TbsCustomShellListView::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomListView::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FTreeView) FTreeView = nullptr;
  else if (AComponent == FComboBox) FComboBox = nullptr;
  if (AComponent == FNotifier) FNotifier = nullptr;
}

void TbsCustomShellListView::Loaded() {
  TbsSkinCustomListView::Loaded();
  LoadItems();
  SetAutoRefresh(FAutoRefresh);
}

void TbsCustomShellListView::CreateWnd() {
  TbsSkinCustomListView::CreateWnd();
  ResolveRoot();
  RebuildView();
}

void TbsCustomShellListView::DestroyWnd() {
  ClearFolderList();
  TbsSkinCustomListView::DestroyWnd();
}

// ================================================================ combo box

TbsItemEx* TbsItemsEx::Add() {
  FItems.push_back(std::make_unique<TbsItemEx>());
  return FItems.back().get();
}

TbsItemEx* TbsItemsEx::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  return FItems.insert(FItems.begin() + Index, std::make_unique<TbsItemEx>())->get();
}

TbsItemEx* TbsItemsEx::AddItem(const String& ACaption, int AImageIndex, int ASelectedIndex, int AIndent,
                               TbsShellFolder* AFolder) {
  TbsItemEx* e = Add();
  e->Caption = ACaption;
  e->ImageIndex = AImageIndex;
  e->SelectedImageIndex = ASelectedIndex;
  e->Indent = AIndent;
  e->Data = AFolder;
  return e;
}

namespace {
int SmallIconOf(TbsShellFolder* F) { return shell::ShellImageIndex(F->AbsoluteID(), false, false); }

// One more level of an update of the entries, undone when it goes.
class TItemsUpdate {
 public:
  explicit TItemsUpdate(TbsItemsEx* I) : FI(I) { FI->BeginUpdate(); }
  ~TItemsUpdate() { FI->EndUpdate(); }

 private:
  TbsItemsEx* FI;
};
}  // namespace

TbsCustomShellComboBox::TbsCustomShellComboBox(TComponent* AOwner)
    : TbsSkinCustomComboBox(AOwner), FItemsEx(std::make_unique<TbsItemsEx>()) {
  FImages = ShellSmallImages();
  FImageWidth = FImages->Width();
  FImageHeight = FImages->Height();
  SetOnListBoxDrawItem([this](gdi::TCanvas* C, int I, int, int, rtl::TRect R, forms::TOwnerDrawState) {
    DrawItem(C, I, R, I >= 0 && I < FItemsEx->Count() ? FItemsEx->GetItem(I)->Indent * FImageWidth / 2 : 0);
  });
  OnComboBoxDrawItem = [this](gdi::TCanvas* C, int I, int, int, rtl::TRect R, forms::TOwnerDrawState) {
    DrawItem(C, I, R, 0);
  };
}

TbsCustomShellComboBox::~TbsCustomShellComboBox() {
  for (int i = 0; i < FItemsEx->Count(); ++i) delete FItemsEx->GetItem(i)->Data;
  FItemsEx->Clear();
  delete FRootFolder;
  FRootFolder = nullptr;
}

void TbsCustomShellComboBox::ClearItems() {
  TItemsUpdate u(FItemsEx.get());
  for (int i = 0; i < FItemsEx->Count(); ++i) {
    delete FItemsEx->GetItem(i)->Data;
    FItemsEx->GetItem(i)->Data = nullptr;
  }
  FItemsEx->Clear();
  SyncItems();
}

void TbsCustomShellComboBox::SyncItems() {
  const int index = ItemIndex();
  Items()->BeginUpdate();
  Items()->Clear();
  for (int i = 0; i < FItemsEx->Count(); ++i) Items()->Add(FItemsEx->GetItem(i)->Caption);
  Items()->EndUpdate();
  if (index >= 0 && index < FItemsEx->Count()) {
    TItemsUpdate quiet(FItemsEx.get());
    SetItemIndex(index);
  }
}

void TbsCustomShellComboBox::Change() {
  if (FItemsEx->UpdateCount() > 0) return;
  TbsSkinCustomComboBox::Change();
  if (ItemIndex() < 0 || FUpdating || IsPopupVisible()) return;
  TFlagScope u(FUpdating);
  if (TbsShellFolder* f = GetFolder(ItemIndex())) {
    if (FTreeView) FTreeView->SelectItemList(f->AbsoluteID());
    if (FListView) FListView->NavigateFromLink(f->AbsoluteID());
  }
}

TbsShellFolder* TbsCustomShellComboBox::GetFolder(int Index) const {
  if (FItemsEx->Count() == 0 || Index < 0) return nullptr;
  Index = std::min(Index, FItemsEx->Count() - 1);
  return FItemsEx->GetItem(Index)->Data;
}

void TbsCustomShellComboBox::RebuildItems() {
  if (IsLoading(this)) return;
  TItemsUpdate u(FItemsEx.get());
  ClearItems();
  FRootFolder = shell::ResolveRootFolder(FRootFolder, FOldRoot, FRoot);
  auto* root = new TbsShellFolder(nullptr, FRootFolder->AbsoluteID(), FRootFolder->ShellFolder());
  FItemsEx->AddItem(root->DisplayName(), SmallIconOf(root), SmallIconOf(root), 0, root);
  AddRootChildren();
  SyncItems();
  SetItemIndex(0);
}

void TbsCustomShellComboBox::AddRootChildren() {
  TItemsUpdate u(FItemsEx.get());
  AddFolderChildren(0, FRootFolder);
  if (FRoot == u"rfDesktop") {
    TRoot r = u"rfMyComputer";
    std::unique_ptr<TbsShellFolder> computer(shell::ResolveRootFolder(nullptr, r, r));
    const int i = IndexOfID(computer->AbsoluteID());
    if (i >= 0) AddFolderChildren(i, GetFolder(i));
  }
}

void TbsCustomShellComboBox::AddFolderChildren(int AIndex, TbsShellFolder* AFolder) {
  TItemsUpdate u(FItemsEx.get());
  std::vector<std::unique_ptr<TbsShellFolder>> kids;
  const int code = shell::EnumerateChildren(AFolder, FObjectTypes, kids);
  if (code != 0 && kids.empty()) throw rtl::EOSError(shell::FolderErrorText(AFolder, code));
  SortFolderObject = AFolder;
  TFinally clear([] { SortFolderObject = nullptr; });
  shell::SortShellFolders(kids);
  for (std::size_t i = 0; i < kids.size(); ++i) {
    TbsShellFolder* child = kids[i].release();
    TbsItemEx* e = FItemsEx->Insert(AIndex + static_cast<int>(i) + 1);
    e->Caption = child->DisplayName();
    e->Data = child;
    e->Indent = child->Level();
    e->ImageIndex = e->SelectedImageIndex = SmallIconOf(child);
  }
}

int TbsCustomShellComboBox::IndexOfID(PCItemIDList Id) const {
  for (int i = FItemsEx->Count() - 1; i >= 0; --i) {
    TbsShellFolder* f = FItemsEx->GetItem(i)->Data;
    if (f && shell::GetDesktopShellFolder()->CompareIDs(0, Id, f->AbsoluteID()) == 0) return i;
  }
  return -1;
}

void TbsCustomShellComboBox::ExpandToID(PCItemIDList Id) {
  TItemsUpdate u(FItemsEx.get());
  RebuildItems();
  std::vector<shell::PItemIDList> ancestors = shell::ItemListAncestors(Id);
  TFinally free([&] { shell::ItemListAncestorsFree(ancestors); });
  int anchor = -1, a = -1;
  for (int k = static_cast<int>(ancestors.size()) - 1; k >= 0; --k)
    if ((a = IndexOfID(ancestors[static_cast<std::size_t>(k)])) >= 0) {
      anchor = k;
      break;
    }
  if (anchor < 0) return;
  auto insertChild = [&](int Parent, PCItemIDList Full) {
    TItemList last(shell::ItemListLastId(Full));
    TbsShellFolder* parent = GetFolder(Parent);
    shell::PShellFolder sf = parent->ShellFolder() ? shell::BindSubFolder(parent->ShellFolder(), last.get()) : nullptr;
    auto* child = new TbsShellFolder(parent, last.get(), sf);
    TbsItemEx* e = FItemsEx->Insert(Parent + 1);
    e->Caption = child->DisplayName();
    e->Data = child;
    e->Indent = child->Level();
    e->ImageIndex = SmallIconOf(child);
    e->SelectedImageIndex = 0;
    return Parent + 1;
  };
  for (std::size_t k = static_cast<std::size_t>(anchor) + 1; k < ancestors.size(); ++k)
    a = insertChild(a, ancestors[k]);
  int t = IndexOfID(Id);
  if (t < 0) t = insertChild(a, Id);
  SyncItems();
  SetItemIndex(t);
}

void TbsCustomShellComboBox::ViewFolderChanged(PCItemIDList AbsoluteId) {
  if (FUpdating || !AbsoluteId) return;
  if (TbsShellFolder* f = GetFolder(ItemIndex()); f && ItemIndex() >= 0 && ItemListsEqual(f->AbsoluteID(), AbsoluteId))
    return;
  TFlagScope u(FUpdating);
  ExpandToID(AbsoluteId);
}

void TbsCustomShellComboBox::SetRoot(const TRoot& Value) {
  if (rtl::SameText(Value, FRoot)) return;
  FOldRoot = FRoot;
  FRoot = Value;
  RootChanged();
}

void TbsCustomShellComboBox::SetObjectTypes(TShellObjectTypes Value) {
  FObjectTypes = Value;
  RootChanged();
}

void TbsCustomShellComboBox::RootChanged() {
  TFlagScope u(FUpdating);
  ClearItems();
  RebuildItems();
  if (FTreeView) FTreeView->SetRoot(FRoot);
  if (FListView) FListView->SetRoot(FRoot);
}

String TbsCustomShellComboBox::Path() {
  TbsShellFolder* f = ItemIndex() >= 0 ? GetFolder(ItemIndex()) : nullptr;
  return f ? f->PathName() : String();
}

void TbsCustomShellComboBox::SetPath(const String& Value) {
  TItemList list;
  try {
    list = ParsePath(Value);
    ExpandToID(list.get());
  } catch (const rtl::EOSError&) {
    throw shell::EInvalidPath(PathError(Value));
  }
}

void TbsCustomShellComboBox::SetShellTreeView(TbsCustomShellTreeView* Value) {
  if (Value == FTreeView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FComboBox = this;
    Value->FreeNotification(this);
  } else if (FTreeView) {
    FTreeView->FComboBox = nullptr;
  }
  FTreeView = Value;
}

void TbsCustomShellComboBox::SetShellListView(TbsCustomShellListView* Value) {
  if (Value == FListView) return;
  if (Value) {
    Value->SetRoot(FRoot);
    Value->FComboBox = this;
    Value->FreeNotification(this);
  } else if (FListView) {
    FListView->FComboBox = nullptr;
  }
  FListView = Value;
}

void TbsCustomShellComboBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomComboBox::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FTreeView) FTreeView = nullptr;
  if (AComponent == FListView) FListView = nullptr;
}

void TbsCustomShellComboBox::Loaded() {
  TbsSkinCustomComboBox::Loaded();
  RebuildItems();
}

void TbsCustomShellComboBox::CreateWnd() {
  TbsSkinCustomComboBox::CreateWnd();
  FImageWidth = FImages->Width();
  FImageHeight = FImages->Height();
  if (FItemsEx->Count() == 0) RebuildItems();
  SyncItems();
}

void TbsCustomShellComboBox::DestroyWnd() {
  ClearItems();
  TbsSkinCustomComboBox::DestroyWnd();
}

void TbsCustomShellComboBox::DrawItem(gdi::TCanvas* Cnvs, int Index, rtl::TRect TxtRect, int Offset) {
  if (Index < 0 || Index >= FItemsEx->Count()) return;
  const TbsItemEx* e = FItemsEx->GetItem(Index);
  rtl::TRect r = TxtRect;
  if (FImages) {
    if (e->ImageIndex >= 0)
      FImages->Draw(Cnvs, r.Left + Offset, r.Top + (r.Height() - FImageHeight) / 2, e->ImageIndex);
    r.Left += Offset + FImageWidth + 4;
  }
  Cnvs->TextOut(r.Left, r.Top + r.Height() / 2 - Cnvs->TextHeight(u"Wg") / 2, Items()->Get(Index));
}

}  // namespace skin
