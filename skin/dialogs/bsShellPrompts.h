// The skinned side of the shell controls' conversation with the user: the
// question before 删除 and the error after a failed command in the skinned
// message dialog, and the properties of an item (Alt+Enter, the
// "properties" verb) in a skinned dialog of their own: name, type, size,
// place, dates and permissions, as the file system knows them.
//
// The dialogs take the skin of the form that holds the asking control (its
// frame's SkinData and MenusSkinData). GUI thread only.
#pragma once

#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace skin {

// Installs the skinned prompts into the shell controls (once; later calls
// do nothing).
void InstallSkinnedShellPrompts();

// One row of the properties dialog.
struct TbsPropertyRow {
  String Caption;  // "名称:" ...
  String Value;
};
// What the file system knows of the item at Path (bytes as the file system
// holds them); an item that cannot be read gives its name and place only.
std::vector<TbsPropertyRow> ShellItemProperties(const std::string& Path);

class TbsShellPropertiesForm : public forms::TForm {
 public:
  TbsShellPropertiesForm(TComponent* AOwner, const std::vector<TbsPropertyRow>& Rows, const String& Title,
                         TbsSkinData* ASkinData, TbsSkinData* ACtrlSkinData);
  TbsBusinessSkinForm* BSF = nullptr;
  TbsSkinButton* OKButton = nullptr;
  std::vector<TbsSkinStdLabel*> Captions, Values;
};

// Shows the properties of Folder's item modally.
void ShowShellProperties(TbsShellFolder* Folder, TbsSkinData* ASkinData, TbsSkinData* ACtrlSkinData);

}  // namespace skin
