#include "app/tables/ProfileTables.h"

#include "app/tables/EmbeddedTables.h"

namespace tables {

const TFormatCategories& FormatCategories() {
  static const TFormatCategories table =
      TFormatCategories::FromTsv(embedded::CategoriesTsv(), "categories.tsv");
  return table;
}

const TOutputFormatCatalogue& OutputFormatCatalogue() {
  static const TOutputFormatCatalogue table =
      TOutputFormatCatalogue::FromTsv(embedded::CatalogueTsv(), "catalogue.tsv");
  return table;
}

const TFormatCodecTable& FormatCodecTable() {
  static const TFormatCodecTable table =
      TFormatCodecTable::FromTsv(embedded::AudioSetsTsv(), embedded::CodecsTsv(), "codecs.tsv");
  return table;
}

const TPresetChoiceTable& PresetChoiceTable() {
  static const TPresetChoiceTable table = TPresetChoiceTable::FromTsv(
      embedded::PresetListsTsv(), embedded::PresetRowsTsv(), "preset_rows.tsv");
  return table;
}

}  // namespace tables
