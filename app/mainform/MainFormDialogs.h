// The dialogs the main window's queue commands open: the two open-file
// dialogs, the folder dialog and the message box. The window keeps each
// dialog's state (title, filter, chosen names, folder); a TMainFormDialogs
// shows them. The skinned dialogs provide the program's; tests script them.
//
// GUI thread only.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

namespace app {

struct TOpenDialogState {
  rtl::String Title;
  rtl::String Filter;
  int FilterIndex = 1;        // from 1; afterwards the pair chosen last
  bool MultiSelect = false;
  bool FileMustExist = true;
  rtl::String FileName;       // the chosen file (the first of several)
  std::vector<rtl::String> Files;
};

struct TSelectDirectoryState {
  rtl::String Title;
  rtl::String Directory;      // the folder chosen last, or empty
};

class TMainFormDialogs {
 public:
  virtual ~TMainFormDialogs() = default;
  // True when confirmed: FileName and Files then hold the choice; otherwise
  // both keep their previous contents.
  virtual bool ExecuteOpen(TOpenDialogState& dialog) = 0;
  // True when confirmed, and only then Directory holds the chosen folder.
  virtual bool ExecuteSelectDirectory(TSelectDirectoryState& dialog) = 0;
  // An information message with one OK button.
  virtual void Message(const rtl::String& text, const rtl::String& caption) = 0;
  // A warning with one OK button (a conversion's failure).
  virtual void Warning(const rtl::String& text, const rtl::String& caption) { Message(text, caption); }
  // The select-skin dialog starting at Current; true with Selected when confirmed.
  virtual bool ExecuteSelectSkin(int Current, int& Selected) { return false; }
};

}  // namespace app
