// The main window's profile tables, read from the embedded data on first use.
//
// Each function parses its table once (thread-safe static initialisation) and
// returns the same immutable object afterwards. Broken embedded data raises
// ETableError from the first call.
#pragma once

#include "app/tables/FormatCategories.h"
#include "app/tables/FormatCodecTable.h"
#include "app/tables/OutputFormatCatalogue.h"
#include "app/tables/PresetChoiceTable.h"

namespace tables {

const TFormatCategories& FormatCategories();
const TOutputFormatCatalogue& OutputFormatCatalogue();
const TFormatCodecTable& FormatCodecTable();
const TPresetChoiceTable& PresetChoiceTable();

}  // namespace tables
