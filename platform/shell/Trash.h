// The desktop's trash, as the freedesktop.org trash specification lays it
// out: a trash directory holds files/ (the trashed files and folders, under
// names unique in that trash) and info/ (one NAME.trashinfo per item, with
// its original path and the deletion date).
//
// A file on the file system of $XDG_DATA_HOME (~/.local/share) goes to the
// home trash $XDG_DATA_HOME/Trash; a file on another mount goes to that
// mount's $topdir/.Trash/$uid (when the administrator made a sticky
// $topdir/.Trash) or $topdir/.Trash-$uid. Nothing is ever copied: an item is
// moved with one rename, so it is either trashed whole or left where it was.
//
// Any thread; the calls touch only the file system.
#pragma once

#include <string>
#include <vector>

#include "platform/rtl/Types.h"

namespace shell {

using String = rtl::String;

struct TTrashedItem {
  std::string Original;  // the path the item had
  std::string Trashed;   // where it is now (.../files/NAME)
  std::string Info;      // its .../info/NAME.trashinfo
};

// Moves Path (a file, a link or a folder with its contents) to the trash.
// Returns 0, or the errno that stopped it (the item then stays where it was
// and no info file is left behind).
int MoveToTrash(const std::string& Path, TTrashedItem* Item = nullptr);
// Moves several items; when one fails, the ones already moved go back, so
// either all are in the trash or none is. Returns 0 or the first errno, and
// in FailedPath the item that failed.
int MoveAllToTrash(const std::vector<std::string>& Paths, std::string* FailedPath = nullptr);
// Undoes MoveToTrash: the item goes back and its info file is removed.
int RestoreFromTrash(const TTrashedItem& Item);
// The trash directory that an item at Path would go to (created on demand by
// MoveToTrash); empty when it has none.
std::string TrashDirectoryFor(const std::string& Path);
// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
std::string HomeTrashDirectory();
// The Path= value of a .trashinfo: bytes outside the URL-safe set as %XX.
std::string EscapeTrashPath(const std::string& Path);

}  // namespace shell
