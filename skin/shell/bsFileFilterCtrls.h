// The file list box and the filter combo box.
//
// TbsSkinFileListBox lists the entries of one directory that match its masks
// (files by name, directories as "[name]"), sorted, and writes the selected
// name into a linked edit. It works through the process's current directory:
// entering a directory makes it current, and the list reads it back as its
// Directory. TbsSkinFilterComboBox offers named filters ("description|mask|
// description|mask...") and hands the chosen mask to a linked file list box.
// Masks match without regard to case. A directory list box
// (bsfilectrl.h) linked with SetFileList pushes its directory into the file
// list; a drive combo box linked to that directory list moves both.
// GUI thread only.
#pragma once

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinListBox.h"

namespace skin {

enum TbsFileAttr { bsftReadOnly, bsftHidden, bsftSystem, bsftVolumeID, bsftDirectory, bsftArchive, bsftNormal };
using TbsFileType = rtl::TSet<TbsFileAttr>;

class TbsSkinFilterComboBox;
class TbsSkinDirectoryListBox;

class TbsSkinFileListBox : public TbsSkinListBox {
 public:
  explicit TbsSkinFileListBox(TComponent* AOwner);
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  forms::TCustomEdit* FileEdit() const { return FFileEdit; }
  void SetFileEdit(forms::TCustomEdit* Value);
  TbsFileType FileType() const { return FFileType; }
  void SetFileType(TbsFileType Value);
  const String& Mask() const { return FMask; }
  void SetMask(const String& Value);
  const String& Directory() const { return FDirectory; }
  // The mount point that holds Directory; setting another one moves there.
  String Drive() const;
  void SetDrive(const String& Value);
  TbsSkinDirectoryListBox* DirList() const { return FDirList; }
  TbsSkinFilterComboBox* FilterCombo() const { return FFilterCombo; }
  void SetDirectory(const String& Value) { ApplyFilePath(Value); }
  String FileName() { return GetFileName(); }
  void SetFileName(const String& Value) { ApplyFilePath(Value); }
  TNotifyEvent OnChange;

  void Update() { FillFileItems(); }
  virtual void ApplyFilePath(const String& EditText);
  virtual void SelectionChanged();
  virtual void FillFileItems();
  virtual String GetFileName();
  String GetSelectedName();
  void SelectFileName(const String& Name);
  void ChangeDirectory(const String& Path);
  bool IsMaskStored() const { return FMask != u"*.*"; }

 protected:
  friend class TbsSkinFilterComboBox;
  friend class TbsSkinDirectoryListBox;
  void CreateWnd() override;
  void ListBoxClick() override;

  String FDirectory;
  String FMask = u"*.*";
  TbsFileType FFileType{bsftNormal};
  forms::TCustomEdit* FFileEdit = nullptr;
  TbsSkinDirectoryListBox* FDirList = nullptr;
  TbsSkinFilterComboBox* FFilterCombo = nullptr;
  int FLastSel = -1;
};

class TbsSkinFilterComboBox : public TbsSkinComboBox {
 public:
  explicit TbsSkinFilterComboBox(TComponent* AOwner);
  ~TbsSkinFilterComboBox() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  const String& Filter() const { return FFilter; }
  void SetFilter(const String& Value);
  TbsSkinFileListBox* FileList() const { return FFileList; }
  void SetFileList(TbsSkinFileListBox* Value);
  // The mask of the selected entry (selecting the last entry when none is).
  String Mask() { return GetMask(); }
  String GetMask();
  void FillFilterItems();
  bool IsFilterStored() const;
  void Change() override;

 private:
  String FFilter;
  TbsSkinFileListBox* FFileList = nullptr;
  std::unique_ptr<rtl::TStringList> MaskList;
};

// The default filter text.
extern const char16_t* const DefaultFilterText;

}  // namespace skin
