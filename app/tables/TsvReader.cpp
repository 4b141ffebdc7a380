#include "app/tables/TsvReader.h"

#include <charconv>

namespace tables {

void TableError(std::string_view source, int line, const std::string& what) {
  throw ETableError((std::string(source) + " line " + std::to_string(line) + ": " + what).c_str());
}

std::vector<TTsvRecord> ReadTsv(std::string_view text, std::string_view source,
                                std::size_t fieldCount) {
  std::vector<TTsvRecord> records;
  int line = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view lineText = text.substr(pos, end - pos);
    pos = end + 1;
    ++line;
    if (!lineText.empty() && lineText.back() == '\r') lineText.remove_suffix(1);
    if (lineText.empty() || lineText.front() == '#') continue;

    TTsvRecord record;
    record.Line = line;
    std::size_t start = 0;
    for (;;) {
      std::size_t tab = lineText.find('\t', start);
      if (tab == std::string_view::npos) {
        record.Fields.push_back(lineText.substr(start));
        break;
      }
      record.Fields.push_back(lineText.substr(start, tab - start));
      start = tab + 1;
    }
    if (record.Fields.size() != fieldCount)
      TableError(source, line,
                 std::to_string(record.Fields.size()) + " fields, expected " +
                     std::to_string(fieldCount));
    records.push_back(std::move(record));
  }
  return records;
}

std::int32_t TsvInt(std::string_view source, const TTsvRecord& record, std::size_t field) {
  std::string_view text = record.Fields.at(field);
  std::int32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size())
    TableError(source, record.Line,
               "field " + std::to_string(field + 1) + " is not a number: \"" + std::string(text) +
                   "\"");
  return value;
}

std::int32_t TsvIntOr(std::string_view source, const TTsvRecord& record, std::size_t field,
                      std::int32_t unset) {
  return record.Fields.at(field).empty() ? unset : TsvInt(source, record, field);
}

}  // namespace tables
