// The drive combo box and the directory list box: file-system lists that
// navigate through the process's current directory (entering a directory
// makes it current, and the control reads the current directory back as its
// own), with glyphs and entries indented by path level.
//
// "Drives" are the mounted file systems (shell::ReadMounts): a drive is named
// by its mount point, "/" first. Paths use "/"; the root of every directory
// list is "/".
//
// GUI thread only. The process's current directory is process-wide state.
#pragma once

#include <string>

#include "platform/forms/StdCtrls.h"
#include "platform/gdi/Bitmap.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinListBox.h"

namespace skin {

using rtl::String;

enum TTextCase : std::uint8_t { tcLowerCase, tcUpperCase };

class TbsSkinDirectoryListBox;
class TbsSkinFileListBox;

// True when the path's attributes can be read and it is a directory.
bool IsExistingDirectory(const String& Path);
// Directory + name, with one "/" between them.
String JoinPath(const String& Directory, const String& Name);
// The number of "/" in Path.
int PathDepth(const String& Path);
// One shortening step of ShortenPathToWidth: the first level of Dir becomes "...".
void CutFirstPathLevel(String& Dir);
// Path with its leading levels replaced by ".../" until it fits MaxWidth on Canvas.
String ShortenPathToWidth(const String& Path, gdi::TCanvas* Canvas, int MaxWidth);
// "[" + the volume label of the mount + "]", in the letter case asked for.
String VolumeLabelText(const shell::TMountInfo& Mount, TTextCase Case);
// The remote source of a network mount ("server:/share", "//server/share");
// the label text for any other.
String NetworkDriveText(const shell::TMountInfo& Mount, TTextCase Case);
// Whether a mount is one of the network file systems.
bool IsNetworkMount(const shell::TMountInfo& Mount);
// The mount point (of ReadMounts) that holds Path: the longest that is a
// prefix of it; "/" for a path of the root file system.
String MountOfPath(const String& Path);
// Splits a typed path (absolute, relative to the current directory, or a
// "[name]" of a file list) into the mount point that holds its folder
// (Drive), its folder as an absolute path (DirPart) and its last part
// (FilePart). A last part without wildcards that names no file is taken
// for a folder: it is entered and moves into DirPart. Entering a folder
// that cannot be entered raises EInOutError. The process's current
// directory is the same afterwards.
void SplitEnteredPath(const String& Text, String& Drive, String& DirPart, String& FilePart);

// The glyphs of the two controls, drawn once: drives 16 x 16 (the RAM disk
// 16 x 11), folders 16 x 15. Transparent: the bottom-left colour is the
// background.
enum TbsFileGlyph { fgFloppy, fgHard, fgNetwork, fgCDROM, fgRAM, fgOpenFolder, fgClosedFolder, fgCurrentFolder };
gdi::TBitmap* MakeFileGlyph(TbsFileGlyph Kind);
// Draws a glyph with its bottom-left colour left out.
void DrawGlyphTransparent(gdi::TCanvas* Canvas, int X, int Y, gdi::TBitmap* Glyph);

class TbsSkinDriveComboBox : public TbsSkinComboBox {
 public:
  explicit TbsSkinDriveComboBox(TComponent* AOwner);
  ~TbsSkinDriveComboBox() override;

  // The mount point of the control; empty when none.
  const String& Drive() const { return FDrive; }
  void SetDrive(const String& NewDrive);
  TTextCase TextCase() const { return FTextCase; }
  void SetTextCase(TTextCase Value);
  TbsSkinDirectoryListBox* DirList() const { return FDirList; }
  void SetDirList(TbsSkinDirectoryListBox* Value);
  // The mount point of entry Index (empty for none).
  String EntryDrive(int Index) const;
  gdi::TBitmap* EntryGlyph(int Index) const;

  virtual void FillDriveItems();
  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  friend class TbsSkinDirectoryListBox;
class TbsSkinFileListBox;
  void CreateWnd() override;
  void DriveChanged();

 private:
  void DrawDriveItem(gdi::TCanvas* Cnvs, int Index, rtl::TRect TxtRect);

  TbsSkinDirectoryListBox* FDirList = nullptr;
  String FDrive;
  TTextCase FTextCase = tcLowerCase;
  std::vector<String> FDrives;  // mount point of each entry
  gdi::TBitmap *FloppyBMP, *FixedBMP, *NetworkBMP, *CDROMBMP, *RAMBMP;
};

class TbsSkinDirectoryListBox : public TbsSkinListBox {
 public:
  explicit TbsSkinDirectoryListBox(TComponent* AOwner);
  ~TbsSkinDirectoryListBox() override;

  const String& Directory() const { return FDirectory; }
  virtual void SetDirectory(const String& Value);
  // The mount point that holds Directory.
  String Drive() const;
  void SetDrive(const String& Value);
  bool PreserveCase() const { return FPreserveCase; }
  bool CaseSensitive() const { return FCaseSensitive; }
  forms::TCustomLabel* DirLabel() const { return FDirLabel; }
  void SetDirLabel(forms::TCustomLabel* Value);
  TbsSkinDriveComboBox* DriveCombo() const { return FDriveCombo; }
  // The file list that shows this list's directory (its FDirList points back).
  TbsSkinFileListBox* FileList() const { return FFileList; }
  void SetFileList(TbsSkinFileListBox* Value);

  void OpenCurrent();
  void Update();
  String DisplayCase(const String& S) const;
  int FileCompareText(const String& S1, const String& S2) const;
  String GetItemPath(int Index) const;
  // The kind of entry Index: fgOpenFolder, fgCurrentFolder or fgClosedFolder.
  TbsFileGlyph EntryKind(int Index) const;
  int GetItemWidth(int Index, gdi::TCanvas* Canvas) override;
  void SwitchDrive(const String& NewDrive);

  rtl::TNotifyEvent OnChange;

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  friend class TbsSkinDriveComboBox;
  void CreateWnd() override;
  void ListBoxDblClick() override;
  void ListBoxKeyPress(char16_t& Key) override;
  void DrawDirItem(gdi::TCanvas* Cnvs, int Index, rtl::TRect TxtRect);
  virtual void DirectoryChanged();
  virtual void FillDirItems();
  void EnterDirectory(const String& Path);
  int CollectSubDirs(const String& Dir, rtl::TStrings* List);
  void UpdateDirLabel();

 private:
  TbsSkinFileListBox* FFileList = nullptr;
  TbsSkinDriveComboBox* FDriveCombo = nullptr;
  forms::TCustomLabel* FDirLabel = nullptr;
  bool FInSetDir = false;
  bool FPreserveCase = true;
  bool FCaseSensitive = true;
  gdi::TBitmap *ClosedBMP, *OpenedBMP, *CurrentBMP;
  String FDirectory;
};

}  // namespace skin
