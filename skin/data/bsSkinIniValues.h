// Value encodings of skin description texts.
//
// Free routines over TCustomIniFile that read and write rectangles, points,
// booleans, font styles, keyword sets and string lists. A missing key is never
// an error (each reader has its absent-key value); a rectangle or point that is
// present with an empty component raises rtl::EConvertError, which ends the
// skin load it belongs to. Keywords compare exactly and case-sensitively.
//
// Components of rectangles and points are digits only: a minus sign is
// skipped, so a negative coordinate reads back as its absolute value; stored
// skins never hold one. Components beyond the fourth (second) are ignored.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "skin/data/bsIniFiles.h"

namespace skin {

using rtl::TColor;
using rtl::TPoint;
using rtl::TRect;

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = std::uint8_t;  // a set of TFontStyle bits

enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TbsStretchType { bsstFull = 0, bsstHorz = 1, bsstVert = 2 };
enum TbsMorphKind {
  mkDefault = 0, mkGradient, mkLeftGradient, mkRightGradient, mkLeftSlide, mkRightSlide, mkPush
};
enum TbsInActiveEffect { ieBrightness = 0, ieDarkness, ieGrayScale, ieNoise, ieSplitBlur, ieInvert };

TRect ParseRectValue(const String& Value);
TPoint ParsePointValue(const String& Value);

TRect ReadIniRect(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniRect(TCustomIniFile& IniFile, const String& Section, const String& Ident, const TRect& R);
TPoint ReadIniPoint(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniPoint(TCustomIniFile& IniFile, const String& Section, const String& Ident, const TPoint& P);
bool ReadIniBool(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniBool(TCustomIniFile& IniFile, const String& Section, const String& Ident, bool B);
TFontStyles ReadIniFontStyle(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniFontStyle(TCustomIniFile& IniFile, const String& Section, const String& Ident, TFontStyles FS);
TAlignment ReadIniAlignment(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniAlignment(TCustomIniFile& IniFile, const String& Section, const String& Ident, TAlignment A);
TbsStretchType ReadIniStretchType(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniStretchType(TCustomIniFile& IniFile, const String& Section, const String& Ident, TbsStretchType T);
TbsMorphKind ReadIniMorphKind(TCustomIniFile& IniFile, const String& Section, const String& Ident);
void WriteIniMorphKind(TCustomIniFile& IniFile, const String& Section, const String& Ident, TbsMorphKind K);
TbsInActiveEffect ReadIniInactiveEffect(TCustomIniFile& IniFile, const String& Section,
                                        const String& Ident);
void WriteIniInactiveEffect(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                            TbsInActiveEffect E);
// Appends the items to Strings (not cleared first); a missing item key appends "".
void ReadIniStrings(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                    std::vector<String>& Strings);
void WriteIniStrings(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                     const std::vector<String>& Strings);

// The most entries a list in a skin text may announce; a larger count is read
// as this many, so a damaged count cannot make a load run for hours.
constexpr int kMaxSkinListEntries = 100000;

// VERSION, PICTURES, FORMINFO, SKINOBJECTS and SKINCONTROLS all hold keys.
bool IsSkinDescription(TCustomIniFile& IniFile);

}  // namespace skin
