// The skin library's own user-interface texts as NAME=value lines.
//
// A TbsResourceStrData replaces the built-in texts of frames, menus, edits and
// dialogs as a whole; it starts with 131 English defaults. Lookup compares
// names without regard to case and returns the value after the first "="
// unchanged (spaces and further "=" kept); an absent name gives "".
#pragma once

#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"

namespace skin {

using rtl::String;

constexpr int DEFAULT_CHARSET = 1;

class TbsResourceStrData : public rtl::TComponent {
 public:
  explicit TbsResourceStrData(rtl::TComponent* AOwner);

  const std::vector<String>& ResStrings() const { return FResStrs; }
  // Replaces the whole list by a copy.
  void SetResStrings(const std::vector<String>& Value) { FResStrs = Value; }
  String GetResStr(const String& ResName) const;

  int CharSet = DEFAULT_CHARSET;

 private:
  void AddDefaultStrings();
  std::vector<String> FResStrs;
};

}  // namespace skin
