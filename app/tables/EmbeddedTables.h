// The profile tables as embedded text (UTF-8 TSV, exactly as in data/*.tsv).
// Each function returns a view of static storage; it never changes.
#pragma once

#include <string_view>

namespace tables::embedded {

std::string_view CategoriesTsv();
std::string_view CatalogueTsv();
std::string_view AudioSetsTsv();
std::string_view CodecsTsv();
std::string_view PresetListsTsv();
std::string_view PresetRowsTsv();

}  // namespace tables::embedded
