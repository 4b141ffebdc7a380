// Process-wide number and date-time format settings.
//
// The converter formats numbers the same way whatever the user's locale: the
// decimal separator is '.', dates are written year first. The settings are
// plain data read by Format, FloatToStr, FormatFloat and FormatDateTime;
// change them only at start-up or in tests, never while other threads format.
#pragma once

#include <array>

#include "platform/rtl/Types.h"

namespace rtl {

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  String CurrencyString = u"$";
  int CurrencyDecimals = 2;
  String ShortDateFormat = u"yyyy/m/d";
  String LongDateFormat = u"yyyy'\u5e74'm'\u6708'd'\u65e5'";
  String ShortTimeFormat = u"h:nn";
  String LongTimeFormat = u"h:nn:ss";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  std::array<String, 12> ShortMonthNames{u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                         u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  std::array<String, 12> LongMonthNames{u"January", u"February", u"March",     u"April",
                                        u"May",     u"June",     u"July",      u"August",
                                        u"September", u"October", u"November", u"December"};
  std::array<String, 7> ShortDayNames{u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  std::array<String, 7> LongDayNames{u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
};

// The settings every formatting routine uses.
TFormatSettings& FormatSettings();

}  // namespace rtl
