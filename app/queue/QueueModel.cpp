#include "app/queue/QueueModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace app {

rtl::String SecToDate(int sec) {
  const int s = sec % 60;
  const int m = static_cast<int>(std::trunc((static_cast<double>(sec) - s) / 60)) % 60;
  const int h = static_cast<int>(std::trunc((static_cast<double>(sec) - s - 60.0 * m) / 3600)) % 24;
  char text[40];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", h, m, s);
  return rtl::Utf8ToString(text);
}

rtl::String DurationText(std::int64_t durationMicroseconds) {
  if (durationMicroseconds <= 0) return u"N/A";
  return SecToDate(static_cast<int>(durationMicroseconds / 1000000));
}

rtl::String MegabytesText(std::int64_t bytes) {
  const double hundredths = rtl::Round(static_cast<double>(bytes) / 1024 / 1024 * 100);
  return rtl::FloatToStr(hundredths / 100) + u"MB";
}

rtl::String ProgressText(std::int64_t current, std::int64_t total) {
  if (total <= 0) return u"N/A";
  // current × 100 cannot overflow for any real duration; guard absurd values.
  if (current > INT64_MAX / 100 || current < INT64_MIN / 100) return u"N/A";
  return rtl::IntToStr(current * 100 / total) + u"%";
}

rtl::String CategoryCode(int categoryIndex, int formatIndex) {
  return rtl::IntToStr((categoryIndex + 1) * 100 + formatIndex);
}

std::optional<TCategoryChoice> DecodeCategoryCode(const rtl::String& cell) {
  int code = 0;
  if (!rtl::TryStrToInt(cell, code)) return std::nullopt;
  const int hundreds = code / 100;
  return TCategoryChoice{hundreds - 1, code - 100 * hundreds};
}

rtl::String PresetChoicesCode(const TPresetIndexes& indexes) {
  rtl::String cell;
  for (int index : indexes) {
    if (index < 10) cell += u'0';
    cell += rtl::IntToStr(index);
  }
  return cell;
}

std::optional<TPresetIndexes> DecodePresetChoices(const rtl::String& cell) {
  if (cell.size() != 12) return std::nullopt;
  TPresetIndexes indexes{};
  for (int k = 0; k < 6; ++k) {
    const char16_t hi = cell[2 * k], lo = cell[2 * k + 1];
    if (hi < u'0' || hi > u'9' || lo < u'0' || lo > u'9') return std::nullopt;
    indexes[k] = (hi - u'0') * 10 + (lo - u'0');
  }
  return indexes;
}

rtl::String WithPresetChoice(const rtl::String& cell, int position, int index) {
  rtl::String out = cell;
  const size_t end = size_t(2 * position + 2);
  while (out.size() < end) out += u"00";
  const bool twoDigits = index >= 0 && index < 100;
  const rtl::String digits = !twoDigits ? u"00" : index < 10 ? u"0" + rtl::IntToStr(index) : rtl::IntToStr(index);
  out.replace(size_t(2 * position), 2, digits);
  return out;
}

rtl::String ExtensionFromTitle(const rtl::String& title) {
  if (title.empty()) return {};
  const size_t last = title.size() - 1;
  const rtl::String four = title.substr(last >= 4 ? last - 4 : 0, std::min<size_t>(4, last));
  static const std::pair<const char16_t*, const char16_t*> kMapped[] = {
      {u"lac)", u".alac"}, {u"flac", u".flac"}, {u"aiff", u".aiff"},
      {u"mpeg", u".mpeg"}, {u"*.rm", u".rm"},   {u"*.ra", u".ra"}};
  for (auto [from, to] : kMapped)
    if (four == from) return to;
  return four;
}

rtl::String ReplaceExtension(const rtl::String& name, const rtl::String& extension) {
  return NameWithoutExtension(name) + extension;
}

rtl::String NameWithoutExtension(const rtl::String& name) {
  const size_t dot = name.find_last_of(u'.');
  return dot == rtl::String::npos ? name : name.substr(0, dot);
}

void TJobSlotTable::FreeAll() {
  for (engine::TOutputOptions& o : oo_) o.AudioLanguage = kFree;
}

std::optional<int> TJobSlotTable::Take(const engine::TInputOptions& input,
                                       const engine::TOutputOptions& output) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (oo_[i].AudioLanguage != kFree) continue;
    io_[i] = input;
    oo_[i] = output;
    oo_[i].AudioLanguage = kTaken;
    return i;
  }
  return std::nullopt;
}

void TJobSlotTable::MarkDeleted(int rowIndex) {
  if (rowIndex >= 0 && rowIndex < kSlotCount) oo_[rowIndex].AudioLanguage = kDeleted;
}

bool TJobSlotTable::HasFree() const {
  for (const engine::TOutputOptions& o : oo_)
    if (o.AudioLanguage == kFree) return true;
  return false;
}

}  // namespace app
