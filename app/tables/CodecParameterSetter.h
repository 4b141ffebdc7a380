// Applying a profile's codec parameters (the work behind the main window's
// hidden "根据combox添加数据" button): the Video_ fields, the output file name
// and, when a queue row is selected, the row's cells 10 to 23.
//
// GUI thread only. The existence test of the output name is not coordinated
// with conversions writing files at the same time.
#pragma once

#include "app/tables/FormatCategories.h"
#include "app/tables/FormatCodecTable.h"
#include "app/tables/OutputFileName.h"
#include "app/tables/ProfileTables.h"
#include "app/tables/VideoFields.h"
#include "platform/rtl/Types.h"

namespace tables {

// The selected queue row's cells as the codec step writes them.
class IQueueRowCells {
 public:
  virtual ~IQueueRowCells() = default;
  virtual void SetSubItem(int index, const rtl::String& text) = 0;
};

// Writes cells 10 to 23 from the fields, in ascending order: codecs,
// channels, tag, extension, size, bit rates in decimal, rate, sample rate,
// aspect, "True"/"False" for no video, target type and norm.
void WriteCodecCells(const TVideoFields& video, IQueueRowCells& row);

struct TCodecStepInput {
  TProfileSelection Selection;   // what the two pickers show
  rtl::String OutputFolder;      // the output-folder edit's text, as it stands
  bool Overwrite = false;        // options: overwrite existing output files
  IQueueRowCells* SelectedRow = nullptr;  // none selected: no cell is written
};

class TCodecParameterSetter {
 public:
  explicit TCodecParameterSetter(const TFormatCategories& categories = FormatCategories(),
                                 const TFormatCodecTable& table = FormatCodecTable())
      : categories_(categories), table_(table) {}

  // How an output name is found taken; tests replace it.
  TFileExistsFunc FileExists = OutputNameTaken;

  // Resets the fields (keeping Video_AddFileName), looks up the profile and,
  // when it has a row, sets the fields it names, builds the unique output
  // name from Video_AddFileName and writes the selected row. Without a row
  // (no format selected) only the reset happens and no cell is touched, so a
  // row never loses its settings to empty values. Returns whether a row was
  // applied.
  bool Apply(TVideoFields& video, const TCodecStepInput& input) const;

 private:
  const TFormatCategories& categories_;
  const TFormatCodecTable& table_;
};

}  // namespace tables
