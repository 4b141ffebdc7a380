// The shell controls: a folder tree, a folder contents list and a folder
// chain combo box that walk the shell namespace (platform/shell), follow
// changes on disk and keep one another on the same folder.
//
// Linking: any two of the three can be linked (ShellListView, ShellTreeView,
// ShellComboBox); a control that comes to show another folder tells the
// linked ones with the folder's absolute item list (tree SelectItemList, list
// NavigateFromLink, combo ViewFolderChanged). Each keeps an FUpdating flag
// while it drives the others and ignores a folder it already shows, so a move
// never echoes back.
//
// GUI thread only; the change notifiers deliver on the GUI thread too.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinComboBox.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/controls/bsSkinListView.h"
#include "skin/controls/bsSkinTreeView.h"

namespace skin {

using shell::PCItemIDList;
using shell::TbsShellFolder;
using shell::TRoot;
using shell::TShellObjectTypes;

class TbsCustomShellTreeView;
class TbsCustomShellListView;
class TbsCustomShellComboBox;

using TAddFolderEvent = std::function<void(TObject* Sender, TbsShellFolder* AFolder, bool& CanAdd)>;

// Watches the commands chosen in a control's shell context menu.
class IShellMenuCommandHook {
 public:
  virtual ~IShellMenuCommandHook() = default;
  virtual void ExecuteCommand(const String& Verb, bool& Handled) = 0;
  virtual void CommandCompleted(const String& Verb, bool Succeeded) = 0;
};

// Shows the context menu of Folder's item at (X, Y), client coordinates of
// Control: "打开" (open), "重命名" (rename), "删除" (delete), each passed
// through Control's command hook when it has one. Nothing without a folder.
void ShowItemContextMenu(forms::TWinControl* Control, TbsShellFolder* Folder, int X, int Y);
// The same for several items (the rows a click was on): "打开" opens the
// first, "重命名" is offered for one item only, "删除" acts on all of them.
// 删除 asks first, naming what it removes, and moves the items to the
// desktop's trash (platform/shell/Trash.h): all of them or, when one cannot
// go, none (the failure is shown).
void ShowItemsContextMenu(forms::TWinControl* Control, const std::vector<TbsShellFolder*>& Folders, int X, int Y);
// Runs a verb of the item: "open" (its default program), "delete" (moves it
// to the trash, without asking), "properties" (the properties dialog, see
// SetShellPrompts). True when it ran.
bool InvokeItemVerb(TbsShellFolder* Folder, const String& Verb, forms::TWinControl* Control = nullptr);

// How the shell controls talk to the user: a yes/no question before a
// command, an error after one, and the properties of an item. The dialog
// library installs skinned ones; without them the framework's plain message
// box is used (and properties show nothing). Control is the view asking.
struct TShellPrompts {
  std::function<bool(forms::TWinControl* Control, const String& Caption, const String& Text)> Confirm;
  std::function<void(forms::TWinControl* Control, const String& Caption, const String& Text)> ShowError;
  std::function<void(forms::TWinControl* Control, TbsShellFolder* Folder)> ShowProperties;
};
// Members left empty keep their present handler.
void SetShellPrompts(const TShellPrompts& Prompts);
// Back to the framework's defaults (for tests).
void ResetShellPrompts();
// The question 删除 asks for these items.
String DeleteQuestion(const std::vector<TbsShellFolder*>& Folders);
// The menu shown by the last ShowItemContextMenu (for tests; null when none).
forms::TPopupMenu* LastShellContextMenu();

// The icon lists the shell controls draw with: index = shell::TShellIconKind.
forms::TCustomImageList* ShellSmallImages();
forms::TCustomImageList* ShellLargeImages();

// Whether Name (a file name, no folder part) passes Mask: patterns separated
// by ";" or "|"; a pattern must hold a "." to be tried (only "*" passes any
// name); *, ?, [set], [!set]; a to z match either case.
bool MatchesFileMask(const String& Name, const String& Mask);

// ---------------------------------------------------------------- tree view

class TbsCustomShellTreeView : public TbsSkinCustomTreeView, public IShellMenuCommandHook {
 public:
  explicit TbsCustomShellTreeView(TComponent* AOwner);
  ~TbsCustomShellTreeView() override;

  const TRoot& Root() const { return FRoot; }
  void SetRoot(const TRoot& Value);
  TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  virtual void SetObjectTypes(TShellObjectTypes Value);
  String Path();
  void SetPath(const String& Value);
  bool UseShellImages() const { return FUseShellImages; }
  void SetUseShellImages(bool Value);
  bool AutoRefresh() const { return FAutoRefresh; }
  void SetAutoRefresh(bool Value);
  bool AutoContextMenus() const { return FAutoContext; }
  void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
  TbsCustomShellListView* ShellListView() const { return FListView; }
  void SetShellListView(TbsCustomShellListView* Value);
  TbsCustomShellComboBox* ShellComboBox() const { return FComboBox; }
  void SetShellComboBox(TbsCustomShellComboBox* Value);

  // Rebuilds Node's subtree from the shell, keeping what was expanded and
  // selected and the top row.
  void Refresh(forms::TTreeNode* Node);
  void RefreshSelected();
  void ExpandMyComputer();
  TbsShellFolder* SelectedFolder() const;
  // Selects the node of an absolute item list, expanding the way down.
  void SelectItemList(PCItemIDList Id);
  virtual void ClearTree();
  TbsShellFolder* FolderOf(forms::TTreeNode* Node) const;
  // The change watcher while AutoRefresh is on (null otherwise).
  shell::TbsShellChangeNotifier* Notifier() const { return FNotifier; }

  void ExecuteCommand(const String& Verb, bool& Handled) override;
  void CommandCompleted(const String& Verb, bool Succeeded) override;

  TAddFolderEvent OnAddFolder;

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  friend class TbsCustomShellListView;
  friend class TbsCustomShellComboBox;
  void CreateWnd() override;
  void DestroyWnd() override;
  bool CanChange(forms::TTreeNode* Node) override;
  bool CanExpand(forms::TTreeNode* Node) override;
  void Edit(forms::TTreeNode* Node, String& S) override;
  void NodeRemoving(forms::TTreeNode* Node) override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void BuildRoot();
  void RootChanged();
  void PopulateNode(forms::TTreeNode* Node);
  void InitNode(forms::TTreeNode* Node, std::unique_ptr<TbsShellFolder> Obj);
  forms::TTreeNode* FindNodeByItemList(PCItemIDList Id, forms::TTreeNode* Start);
  void FreeAllNodes();
  void ApplyImages();
  bool UserImages() const;
  void DoContextPopup(int X, int Y);

  String FPath;
  TRoot FRoot = u"rfDesktop";
  TRoot FOldRoot;
  TbsShellFolder* FRootFolder = nullptr;
  TShellObjectTypes FObjectTypes = shell::Bit(shell::otFolders);
  bool FLoadingRoot = false;
  bool FAutoContext = true;
  bool FUpdating = false;
  TbsCustomShellListView* FListView = nullptr;
  TbsCustomShellComboBox* FComboBox = nullptr;
  bool FAutoRefresh = false;
  bool FUseShellImages = true;
  shell::TbsShellChangeNotifier* FNotifier = nullptr;
  std::string FSavePath;
  forms::TTreeNode* FNodeToMonitor = nullptr;
  bool FDestroying = false;
};

class TbsSkinDirTreeView : public TbsCustomShellTreeView {
 public:
  explicit TbsSkinDirTreeView(TComponent* AOwner) : TbsCustomShellTreeView(AOwner) {}
};

// ---------------------------------------------------------------- list view

class TbsCustomShellListView : public TbsSkinCustomListView, public IShellMenuCommandHook {
 public:
  explicit TbsCustomShellListView(TComponent* AOwner);
  ~TbsCustomShellListView() override;

  const TRoot& Root() const { return FRoot; }
  void SetRoot(const TRoot& Value);
  String Path() const;
  void SetPath(const String& Value);
  TbsShellFolder* RootFolder() const { return FRootFolder; }
  const String& Mask() const { return FMask; }
  void SetMask(const String& Value);
  TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  void SetObjectTypes(TShellObjectTypes Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  bool AutoRefresh() const { return FAutoRefresh; }
  void SetAutoRefresh(bool Value);
  bool AutoNavigate() const { return FAutoNavigate; }
  void SetAutoNavigate(bool Value) { FAutoNavigate = Value; }
  bool AutoContextMenus() const { return FAutoContext; }
  void SetAutoContextMenus(bool Value) { FAutoContext = Value; }
  TbsCustomShellTreeView* ShellTreeView() const { return FTreeView; }
  void SetShellTreeView(TbsCustomShellTreeView* Value);
  TbsCustomShellComboBox* ShellComboBox() const { return FComboBox; }
  void SetShellComboBox(TbsCustomShellComboBox* Value);
  void SetViewStyle(forms::TViewStyle Value);

  void Back();
  void Refresh();
  String GetSelectedFile();
  void GetSelectedFiles(rtl::TStrings* AFiles);
  TbsShellFolder* SelectedFolder();
  void RebuildView();
  TbsShellFolder* FolderAt(int Index) const;
  int FolderCount() const { return static_cast<int>(FFolders.size()); }
  void BuildColumns();
  void NavigateFromLink(PCItemIDList Id);
  void BeginRenameSelected();
  // The system error code of the last load (0 when the folder was read) and its text.
  int LoadError() const { return FLoadError; }
  String LoadErrorText() const;
  int SortColumn() const { return FSortColumn; }
  bool SortDescending() const { return FSortDirection; }
  shell::TbsShellChangeNotifier* Notifier() const { return FNotifier; }

  void ExecuteCommand(const String& Verb, bool& Handled) override;
  void CommandCompleted(const String& Verb, bool Succeeded) override;

  TAddFolderEvent OnAddFolder;
  rtl::TNotifyEvent OnPathChanged;

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  friend class TbsCustomShellTreeView;
  friend class TbsCustomShellComboBox;
  virtual void LoadItems();
  void CreateWnd() override;
  void DestroyWnd() override;
  void ColClick(forms::TListColumn* Column) override;
  void Edit(forms::TListItem* Item, String& S) override;
  void DblClick() override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void ResolveRoot();
  void NavigateTo(PCItemIDList Id);
  void SyncLinkedControls();
  void ClearFolderList();
  void ResetRowCache();
  void OwnerDataFetch(forms::TListItem* Item);
  int OwnerDataFind(const String& Text, int Start, bool Wrap);
  void AddDefaultColumns(int Count);
  void DoContextPopup(int X, int Y);

  int FOldSortColumn = -1;
  int FSortColumn = -1;
  bool FSortDirection = false;
  TRoot FOldRoot;
  TRoot FRoot = u"rfDesktop";
  TbsShellFolder* FRootFolder = nullptr;
  bool FAutoContext = true;
  bool FAutoRefresh = false;
  bool FAutoNavigate = true;
  bool FSorted = true;
  bool FUpdating = false;
  TShellObjectTypes FObjectTypes = shell::Bit(shell::otFolders) | shell::Bit(shell::otNonFolders);
  std::vector<std::unique_ptr<TbsShellFolder>> FFolders;
  TbsCustomShellTreeView* FTreeView = nullptr;
  TbsCustomShellComboBox* FComboBox = nullptr;
  shell::TbsShellChangeNotifier* FNotifier = nullptr;
  bool FSettingRoot = false;
  std::string FSavePath;
  String FMask = u"*.*|*.*";
  int FLoadError = 0;
};

class TbsSkinFileListView : public TbsCustomShellListView {
 public:
  explicit TbsSkinFileListView(TComponent* AOwner) : TbsCustomShellListView(AOwner) {}
};

// ---------------------------------------------------------------- combo box

struct TbsItemEx {
  String Caption;
  TbsShellFolder* Data = nullptr;  // owned by the combo box
  int Indent = 0;
  int ImageIndex = -1;
  int SelectedImageIndex = -1;
};

class TbsItemsEx {
 public:
  TbsItemEx* Add();
  TbsItemEx* Insert(int Index);
  TbsItemEx* AddItem(const String& ACaption, int AImageIndex, int ASelectedIndex, int AIndent,
                     TbsShellFolder* AFolder);
  TbsItemEx* GetItem(int Index) const { return FItems.at(static_cast<std::size_t>(Index)).get(); }
  TbsItemEx* operator[](int Index) const { return GetItem(Index); }
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() { --FUpdateCount; }
  int UpdateCount() const { return FUpdateCount; }

 private:
  std::vector<std::unique_ptr<TbsItemEx>> FItems;
  int FUpdateCount = 0;
};

// The folder chain box: the root, its children, the children of "计算机"
// below it, and the chain of folders down to the folder shown, each with its
// small icon and indented by its depth. Fixed list style, owner-drawn.
class TbsCustomShellComboBox : public TbsSkinCustomComboBox {
 public:
  explicit TbsCustomShellComboBox(TComponent* AOwner);
  ~TbsCustomShellComboBox() override;

  const TRoot& Root() const { return FRoot; }
  void SetRoot(const TRoot& Value);
  TShellObjectTypes ObjectTypes() const { return FObjectTypes; }
  virtual void SetObjectTypes(TShellObjectTypes Value);
  TbsCustomShellTreeView* ShellTreeView() const { return FTreeView; }
  void SetShellTreeView(TbsCustomShellTreeView* Value);
  TbsCustomShellListView* ShellListView() const { return FListView; }
  void SetShellListView(TbsCustomShellListView* Value);
  String Path();
  void SetPath(const String& Value);
  TbsItemsEx* ItemsEx() const { return FItemsEx.get(); }
  void ViewFolderChanged(PCItemIDList AbsoluteId);
  TbsShellFolder* GetFolder(int Index) const;

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  friend class TbsCustomShellTreeView;
  friend class TbsCustomShellListView;
  void CreateWnd() override;
  void DestroyWnd() override;
  // A pick (or ItemIndex set from code): moves the linked views to the
  // entry's folder once the drop-down list is closed.
  void Change() override;
  virtual void AddRootChildren();

 private:
  void RebuildItems();
  void ClearItems();
  void SyncItems();
  void AddFolderChildren(int AIndex, TbsShellFolder* AFolder);
  int IndexOfID(PCItemIDList Id) const;
  void ExpandToID(PCItemIDList Id);
  void RootChanged();
  void DrawItem(gdi::TCanvas* Cnvs, int Index, rtl::TRect TxtRect, int Offset);

  std::unique_ptr<TbsItemsEx> FItemsEx;
  forms::TCustomImageList* FImages = nullptr;
  int FImageHeight = 16, FImageWidth = 16;
  TRoot FOldRoot;
  TRoot FRoot = u"rfDesktop";
  TbsShellFolder* FRootFolder = nullptr;
  TbsCustomShellTreeView* FTreeView = nullptr;
  TbsCustomShellListView* FListView = nullptr;
  TShellObjectTypes FObjectTypes = shell::Bit(shell::otFolders);
  bool FUpdating = false;
};

class TbsSkinShellComboBox : public TbsCustomShellComboBox {
 public:
  explicit TbsSkinShellComboBox(TComponent* AOwner) : TbsCustomShellComboBox(AOwner) {}
};

}  // namespace skin
