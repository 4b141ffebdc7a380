// The shell namespace: folders and items as the folder views and the file
// dialogs see them.
//
// The root is a desktop of our own. Its items, in this order: the home folder
// ("主文件夹"), the user folders (XDG) that exist, "计算机" with the mounted
// file systems (pseudo file systems left out; "/" always first), and "/"
// ("文件系统"). Below a file-system folder, items are its directory entries;
// names starting with '.' are hidden. Item ids are byte strings of our own
// (ItemIdList.h), so every file name, also one that is not UTF-8, is kept
// exactly; display names are the names converted with rtl::FileNameToString,
// which turns back into the same bytes.
//
// All of it runs on the main (user-interface) thread, except ReadMounts and
// UserFolders, which are reentrant.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Threads.h"
#include "platform/rtl/Types.h"
#include "platform/shell/ItemIdList.h"

namespace shell {

using String = rtl::String;

// --- Attribute bits, enumeration flags, name kinds ---------------------------

constexpr std::uint32_t SFGAO_CANCOPY = 0x1;
constexpr std::uint32_t SFGAO_CANMOVE = 0x2;
constexpr std::uint32_t SFGAO_CANLINK = 0x4;
constexpr std::uint32_t SFGAO_CANRENAME = 0x10;
constexpr std::uint32_t SFGAO_CANDELETE = 0x20;
constexpr std::uint32_t SFGAO_HASPROPSHEET = 0x40;
constexpr std::uint32_t SFGAO_DROPTARGET = 0x100;
constexpr std::uint32_t SFGAO_GHOSTED = 0x8000;
constexpr std::uint32_t SFGAO_LINK = 0x10000;
constexpr std::uint32_t SFGAO_SHARE = 0x20000;
constexpr std::uint32_t SFGAO_READONLY = 0x40000;
constexpr std::uint32_t SFGAO_HIDDEN = 0x80000;
constexpr std::uint32_t SFGAO_VALIDATE = 0x1000000;
constexpr std::uint32_t SFGAO_REMOVABLE = 0x2000000;
constexpr std::uint32_t SFGAO_FILESYSANCESTOR = 0x10000000;
constexpr std::uint32_t SFGAO_FOLDER = 0x20000000;
constexpr std::uint32_t SFGAO_FILESYSTEM = 0x40000000;
constexpr std::uint32_t SFGAO_HASSUBFOLDER = 0x80000000;

constexpr std::uint32_t SHCONTF_FOLDERS = 0x20;
constexpr std::uint32_t SHCONTF_NONFOLDERS = 0x40;
constexpr std::uint32_t SHCONTF_INCLUDEHIDDEN = 0x80;

constexpr std::uint32_t SHGDN_NORMAL = 0;
constexpr std::uint32_t SHGDN_INFOLDER = 1;
constexpr std::uint32_t SHGDN_FOREDITING = 0x1000;
constexpr std::uint32_t SHGDN_FORADDRESSBAR = 0x4000;
constexpr std::uint32_t SHGDN_FORPARSING = 0x8000;

// The parsing name of the computer folder, which has no path.
inline constexpr char16_t ComputerParsingName[] = u"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

// --- Enumerations -------------------------------------------------------------

enum TRootFolder {
  rfDesktop, rfMyComputer, rfNetwork, rfRecycleBin, rfAppData, rfCommonDesktopDirectory,
  rfCommonPrograms, rfCommonStartMenu, rfCommonStartup, rfControlPanel, rfDesktopDirectory,
  rfFavorites, rfFonts, rfInternet, rfPersonal, rfPrinters, rfPrintHood, rfPrograms, rfRecent,
  rfSendTo, rfStartMenu, rfStartup, rfTemplates
};
using TRoot = String;

enum TbsShellFolderCapability {
  fcCanCopy, fcCanDelete, fcCanLink, fcCanMove, fcCanRename, fcDropTarget, fcHasPropSheet
};
enum TbsShellFolderProperty {
  fpCut, fpIsLink, fpReadOnly, fpShared, fpFileSystem, fpFileSystemAncestor, fpRemovable, fpValidate
};
enum TShellObjectType { otFolders, otNonFolders, otHidden };
// Sets: bit n for ordinal n.
using TbsShellFolderCapabilities = std::uint32_t;
using TbsShellFolderProperties = std::uint32_t;
using TShellObjectTypes = std::uint32_t;
constexpr std::uint32_t Bit(int Ordinal) { return 1u << Ordinal; }

// What the icon of an item shows; the index into the image lists that our
// artwork generator draws in this order.
enum TShellIconKind {
  ikOther, ikFolder, ikFolderOpen, ikDrive, ikComputer, ikDesktop, ikVideo, ikAudio, ikPicture
};
// The kind of a file by its extension, without regard to case.
TShellIconKind IconKindOfFileName(const String& FileName);

class EInvalidPath : public rtl::Exception {
 public:
  using Exception::Exception;
};

// --- Mounts and user folders ----------------------------------------------------

struct TMountInfo {
  std::string MountPoint;  // absolute path bytes
  std::string FileSystem;  // "ext4", "vfat" ...
  std::string Source;      // "/dev/sdb1", "server:/share" ...
  String Label;            // the volume label, empty when none
  bool Removable = false;
};
// The mounted file systems a user can browse: "/" first, then the others in
// path order; pseudo file systems, system trees (/proc, /sys, /dev, /run but
// /run/media) and mounts that are not folders are left out. Without Details
// Label and Removable stay unset (no look at the devices).
std::vector<TMountInfo> ReadMounts(bool Details = true);
// Every mount point of the mount table, unfiltered, in table order.
std::vector<std::string> ReadMountPoints();
// The mount table read by ReadMounts; /proc/self/mountinfo unless a test set
// another file (empty: back to the default).
void SetMountInfoFileForTests(const std::string& Path);

struct TUserFolder {
  std::string Key;   // "DESKTOP", "DOCUMENTS", ...
  std::string Path;  // absolute path bytes
};
// The XDG user folders that exist and are not the home folder itself.
std::vector<TUserFolder> UserFolders();
std::string HomeFolder();
// $XDG_CONFIG_HOME, or ~/.config.
std::string ConfigFolder();

// --- Shell folders ----------------------------------------------------------------

// A folder of the namespace; answers for the items inside it. Ids passed in
// are relative to this folder (for the desktop: absolute lists).
class IShellFolder {
 public:
  virtual ~IShellFolder() = default;
  // The folder's absolute list (owned by the folder).
  virtual PCItemIDList AbsoluteID() const = 0;
  // One-item relative ids of the children that Flags (SHCONTF_*) ask for,
  // at most Limit of them. Returns 0 or the system error code (errno) that
  // made reading fail.
  virtual int EnumObjects(std::uint32_t Flags, std::vector<TItemList>& Items,
                          std::size_t Limit = SIZE_MAX) const = 0;
  // The folder of a child item; null when the item is no folder.
  virtual std::shared_ptr<IShellFolder> BindToObject(PCItemIDList Id) const = 0;
  // Negative when A comes first, 0 for the same item, positive otherwise.
  // Column 0 is the namespace's own order.
  virtual int CompareIDs(int Column, PCItemIDList A, PCItemIDList B) const = 0;
  // The bits of Request that hold for the item; none when it cannot be read.
  virtual std::uint32_t GetAttributesOf(PCItemIDList Id, std::uint32_t Request) const = 0;
  virtual String GetDisplayNameOf(PCItemIDList Id, std::uint32_t Flags) const = 0;
  // Renames a file-system item; 0 and the new relative id, or an errno.
  virtual int SetNameOf(PCItemIDList Id, const String& NewName, TItemList& NewId) const = 0;
  // An absolute list for an existing absolute path; 0 or an errno.
  virtual int ParseDisplayName(const String& Name, TItemList& Result) const = 0;
};
using PShellFolder = std::shared_ptr<IShellFolder>;

PShellFolder GetDesktopShellFolder();
PItemIDList DesktopItemList();

// --- Routines on items --------------------------------------------------------------

int RootFolderOrdinal(const String& Text);
String RootFolderName(TRootFolder Root);
std::uint32_t ObjectTypesToEnumFlags(TShellObjectTypes Types);
// Index into our icon lists (TShellIconKind) of the item with absolute list List.
int ShellImageIndex(PCItemIDList List, bool Large, bool Open);
TbsShellFolderCapabilities ItemCapabilities(const PShellFolder& ParentFolder, PCItemIDList Id);
TbsShellFolderProperties ItemProperties(const PShellFolder& ParentFolder, PCItemIDList Id);
bool ItemIsFolder(const PShellFolder& ParentFolder, PCItemIDList Id);
bool ItemHasSubFolders(const PShellFolder& ParentFolder, PCItemIDList Id);
bool FolderHasItems(const PShellFolder& Folder, std::uint32_t Flags);
String ItemDisplayText(const PShellFolder& Folder, PCItemIDList Id, std::uint32_t Flags);
PShellFolder BindSubFolder(const PShellFolder& Folder, PCItemIDList Id);
// Both absolute; true when they name the same item (two routes to one
// folder, such as home and its path below "/", are the same item).
bool ItemListsEqual(PCItemIDList A, PCItemIDList B);

// --- Find data (what a directory search reports of a file) ------------------------

struct TFindData {
  std::uint32_t Attributes = 0;  // rtl::fa* bits
  std::uint64_t Size = 0;
  std::int64_t LastWrite = 0;    // seconds since the epoch (UTC)
  String FileName;
};
rtl::Int64 FindDataFileSize(const TFindData& Data);
// Last write in local time on the 2-second grid of file dates; -1.0 for a folder.
rtl::TDateTime FindDataModified(const TFindData& Data);
// 1 size, 2 extension, 3 modified (short date, long time), 4 attribute word.
String FindDataColumnText(const TFindData& Data, int Column);

// --- TbsShellFolder ------------------------------------------------------------------

class TbsShellFolder : public rtl::TObject {
 public:
  // ID is copied. Without AParent the item's list is taken as absolute and
  // the desktop object becomes the parent.
  TbsShellFolder(TbsShellFolder* AParent, PCItemIDList ID, PShellFolder SF);
  ~TbsShellFolder() override;

  PCItemIDList RelativeID() const { return FPIDL; }
  PCItemIDList AbsoluteID() const { return FFullPIDL; }
  TbsShellFolder* Parent() const { return FParent; }
  const PShellFolder& ShellFolder() const { return FIShellFolder; }
  int Level() const { return FLevel; }
  std::uintptr_t ViewHandle() const { return FViewHandle; }
  void SetViewHandle(std::uintptr_t Value) { FViewHandle = Value; }

  PShellFolder ParentShellFolder() const;
  String PathName() const;
  String DisplayName() const;
  // The file-system path; empty for items without one.
  String FullObjectName() const;
  // The path bytes exactly as the file system holds them; empty when none.
  std::string FileSystemPath() const;
  bool IsFolder() const;
  bool SubFolders() const;
  TbsShellFolderProperties Properties() const;
  TbsShellFolderCapabilities Capabilities() const;
  int ImageIndex(bool LargeIcon) const;
  TShellIconKind IconKind() const;
  bool Rename(const String& NewName);
  // Opens the item with its default program; nonzero when one was started.
  int ExecuteDefault() const;
  // No detail interfaces are provided: the columns come from find data.
  void* DetailInterface() const { return nullptr; }
  void LoadColumnDetails(TbsShellFolder* RootFolder, std::uintptr_t Handle, int ColumnCount);
  String ColumnDetail(int Index) const;
  void GetFindData(TFindData& Data) const;
  [[noreturn]] void RaiseDetailsError(int Code) const;

 private:
  PItemIDList FPIDL = nullptr;
  PItemIDList FFullPIDL = nullptr;
  TbsShellFolder* FParent = nullptr;
  PShellFolder FIShellFolder;
  int FLevel = 0;
  std::uintptr_t FViewHandle = 0;
  std::vector<String> FDetails;
};

// The children of F that Types ask for, each wrapped as an object with F as
// its parent, in enumeration order. Returns 0, or the errno that made the
// folder unreadable (Children then holds what was read before).
int EnumerateChildren(TbsShellFolder* F, TShellObjectTypes Types,
                      std::vector<std::unique_ptr<TbsShellFolder>>& Children);
// Sorts objects of one folder in the namespace's order: folders first, then
// names without regard to case, digit runs by their value.
void SortShellFolders(std::vector<std::unique_ptr<TbsShellFolder>>& Items);
// The namespace's order of two names (file-system bytes): without regard to
// case, runs of digits by their value ("a2" before "a10"), ties by bytes.
// Negative, zero or positive.
int CompareItemNames(std::string_view A, std::string_view B);
// The text shown for an unreadable folder: "<path>: <system text>".
String FolderErrorText(const TbsShellFolder* F, int Code);

TbsShellFolder* FolderObjectFromItemList(PCItemIDList AbsoluteId);
// A new object for Root (a root-folder name or a path); OldFolder is freed
// on success. On failure Root gets OldRoot back and "Error setting path" is
// raised.
TbsShellFolder* ResolveRootFolder(TbsShellFolder* OldFolder, const TRoot& OldRoot, TRoot& Root);

// --- Unit state ---------------------------------------------------------------------

// Start-up and shut-down of the namespace (counted; the first start and the
// last stop act). DesktopFolderObject is null outside them.
void InitShellNamespace();
void DoneShellNamespace();
TbsShellFolder* DesktopFolderObject();
// Guards the options and watches of all change threads.
rtl::TCriticalSection& ShellChangeLock();

}  // namespace shell
