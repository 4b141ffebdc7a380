// Reading the tables' TSV text.
//
// A record is one line; fields are separated by single tab characters and kept
// exactly as they stand (titles carry meaningful blanks, and an empty field is
// a value). Empty lines and lines starting with '#' (column headings) are
// skipped; a "\r" before the line break is dropped. Malformed data raises
// ETableError naming the source and line, so a bad table is caught at its
// first use rather than producing a half-filled picker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/tables/ProfileKey.h"
#include "platform/rtl/Exceptions.h"

namespace tables {

class ETableError : public rtl::Exception {
 public:
  using Exception::Exception;
};

struct TTsvRecord {
  int Line = 0;  // 1-based line in the source text
  std::vector<std::string_view> Fields;
};

// Every record must have exactly fieldCount fields. The views point into text.
std::vector<TTsvRecord> ReadTsv(std::string_view text, std::string_view source,
                                std::size_t fieldCount);

[[noreturn]] void TableError(std::string_view source, int line, const std::string& what);

// A decimal 32-bit integer field; no blanks, no empty text.
std::int32_t TsvInt(std::string_view source, const TTsvRecord& record, std::size_t field);
// As TsvInt, but an empty field gives `unset`.
std::int32_t TsvIntOr(std::string_view source, const TTsvRecord& record, std::size_t field,
                      std::int32_t unset);

// The key in field 0 of a row of a table kept in ascending key order: not
// negative, and above the key of the last row read so far.
template <class TRow>
TProfileKey TsvRowKey(std::string_view source, const TTsvRecord& record, const std::vector<TRow>& rowsSoFar) {
  const TProfileKey key = TsvInt(source, record, 0);
  if (key < 0) TableError(source, record.Line, "negative key");
  if (!rowsSoFar.empty() && key <= rowsSoFar.back().Key) TableError(source, record.Line, "keys must ascend");
  return key;
}

}  // namespace tables
