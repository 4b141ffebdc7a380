// String routines over UTF-16 Strings, with the runtime framework's semantics.
//
// Positions are 1-based code-unit indexes, as callers count them; routines
// never throw on out-of-range arguments but clamp or do nothing, as the
// framework does. The plain UpperCase/LowerCase/CompareText/SameText family
// folds ASCII letters only; the Ansi* family folds every cased letter of the
// Basic Multilingual Plane (Latin, Greek, Cyrillic, Armenian, full-width
// Latin...). All functions are pure and safe to call from any thread.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace rtl {

// Case mapping of one code unit (simple, one-to-one mapping).
char16_t CharUpper(char16_t c);
char16_t CharLower(char16_t c);

String UpperCase(const String& s);
String LowerCase(const String& s);
String AnsiUpperCase(const String& s);
String AnsiLowerCase(const String& s);

// Ordinal comparisons returning <0, 0, >0. CompareText folds ASCII letters.
int CompareStr(const String& a, const String& b);
int CompareText(const String& a, const String& b);
bool SameStr(const String& a, const String& b);
bool SameText(const String& a, const String& b);
// Comparisons folding every cased letter; results are -1, 0 or 1.
int AnsiCompareStr(const String& a, const String& b);
int AnsiCompareText(const String& a, const String& b);
bool AnsiSameStr(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);
bool AnsiStartsText(const String& subText, const String& text);
bool AnsiEndsText(const String& subText, const String& text);
bool AnsiContainsText(const String& text, const String& subText);
bool AnsiStartsStr(const String& subText, const String& text);
bool AnsiEndsStr(const String& subText, const String& text);
bool AnsiContainsStr(const String& text, const String& subText);
bool StartsText(const String& subText, const String& text);
bool EndsText(const String& subText, const String& text);
bool ContainsText(const String& text, const String& subText);

// Trimming removes every character <= ' ' (controls and space).
String Trim(const String& s);
String TrimLeft(const String& s);
String TrimRight(const String& s);

// 1-based position of sub in s, 0 when absent or when sub is empty.
int Pos(const String& sub, const String& s);
// As Pos, starting at offset; 0 when offset < 1 or beyond the end.
int PosEx(const String& sub, const String& s, int offset = 1);
int AnsiPos(const String& sub, const String& s);
// 1-based position of the last character of s that is one of delimiters; 0 if none.
int LastDelimiter(const String& delimiters, const String& s);
bool IsDelimiter(const String& delimiters, const String& s, int index);

// Characters index..index+count-1; index < 1 counts from 1, count is clamped.
String Copy(const String& s, int index, int count = INT32_MAX);
// Removes count characters at index; nothing when index is outside 1..Length.
void Delete(String& s, int index, int count);
// Inserts source before index; index is clamped to 1..Length+1.
void Insert(const String& source, String& s, int index);
String LeftStr(const String& s, int count);
String RightStr(const String& s, int count);
String MidStr(const String& s, int start, int count);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
// An empty oldPattern leaves s unchanged.
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags = 0);
String AnsiReplaceStr(const String& text, const String& from, const String& to);
String AnsiReplaceText(const String& text, const String& from, const String& to);

String QuotedStr(const String& s);
String AnsiQuotedStr(const String& s, char16_t quote);
// The text between a leading quote and its closing quote, doubled quotes
// undoubled; s itself when it is not a well-formed quoted string.
String AnsiDequotedStr(const String& s, char16_t quote);
// Reads a quoted string at the front of src and advances past it; "" when
// src does not start with quote.
String AnsiExtractQuotedStr(const char16_t*& src, char16_t quote);

String StringOfChar(char16_t c, int count);
String DupeString(const String& s, int count);
String ReverseString(const String& s);

}  // namespace rtl
