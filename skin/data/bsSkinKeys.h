// The key engine shared by every skin description class.
//
// A description class lists its own keys once, in the order it writes them,
// each with its encoding, its field and its value when the key is absent
// (which may differ from the constructor's value: the constructor's value only
// survives in a description that was never loaded). LoadFromFile of a class
// runs its parent's first and then ReadKeys over its own table; SaveToFile
// likewise with WriteKeys, after the base class has erased the section.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "skin/data/bsSkinIniValues.h"

namespace skin {

template <class C>
struct TbsSkinKey {
  const char16_t* Name;
  std::function<void(C&, TCustomIniFile&, const String& Section, const String& Key)> Read;
  std::function<void(const C&, TCustomIniFile&, const String& Section, const String& Key)> Write;
};

template <class C>
using TbsSkinKeys = std::vector<TbsSkinKey<C>>;

template <class C>
void ReadKeys(C& Obj, TCustomIniFile& Ini, const String& Section, const TbsSkinKeys<C>& Keys) {
  for (const auto& k : Keys) k.Read(Obj, Ini, Section, k.Name);
}

template <class C>
void WriteKeys(const C& Obj, TCustomIniFile& Ini, const String& Section, const TbsSkinKeys<C>& Keys) {
  for (const auto& k : Keys) k.Write(Obj, Ini, Section, k.Name);
}

// The kinds of descriptions an entry list ("name:kind") may hold, each with
// the class it creates. A table lists a class before the classes it derives
// from, so that the first kind a description is an instance of is its own.
template <class TBase>
struct TbsSkinKind {
  const char16_t* Kind;
  std::function<std::unique_ptr<TBase>(const String& AIDName)> Create;
  std::function<bool(const TBase&)> Is;
};

template <class TBase>
using TbsSkinKinds = std::vector<TbsSkinKind<TBase>>;

template <class TBase, class T>
TbsSkinKind<TBase> KindOf(const char16_t* Kind) {
  return {Kind, [](const String& AIDName) { return std::unique_ptr<TBase>(new T(AIDName)); },
          [](const TBase& d) { return dynamic_cast<const T*>(&d) != nullptr; }};
}

// Null for a kind the table does not hold.
template <class TBase>
std::unique_ptr<TBase> CreateByKind(const TbsSkinKinds<TBase>& Kinds, const String& Kind, const String& AIDName) {
  for (const auto& k : Kinds)
    if (Kind == k.Kind) return k.Create(AIDName);
  return nullptr;
}

// Empty for a description of no listed kind.
template <class TBase>
String KindName(const TbsSkinKinds<TBase>& Kinds, const TBase& Description) {
  for (const auto& k : Kinds)
    if (k.Is(Description)) return k.Kind;
  return String();
}

namespace keys {

// A key read into Field by Read(ini, section, key) and written from it by
// Write(ini, section, key, value).
template <class C, class T, class TRead, class TWrite>
TbsSkinKey<C> Key(const char16_t* Name, T C::*Field, TRead Read, TWrite Write) {
  return {Name, [Field, Read](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = Read(ini, s, k);
          },
          [Field, Write](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            Write(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Int(const char16_t* Name, int C::*Field, int Absent = 0) {
  return Key(
      Name, Field,
      [Absent](TCustomIniFile& ini, const String& s, const String& k) { return ini.ReadInteger(s, k, Absent); },
      [](TCustomIniFile& ini, const String& s, const String& k, int v) { ini.WriteInteger(s, k, v); });
}

template <class C>
TbsSkinKey<C> Str(const char16_t* Name, String C::*Field, const char16_t* Absent = u"") {
  return Key(
      Name, Field,
      [absent = String(Absent)](TCustomIniFile& ini, const String& s, const String& k) {
        return ini.ReadString(s, k, absent);
      },
      [](TCustomIniFile& ini, const String& s, const String& k, const String& v) { ini.WriteString(s, k, v); });
}

template <class C>
TbsSkinKey<C> Bool(const char16_t* Name, bool C::*Field) {
  return Key(Name, Field, ReadIniBool, WriteIniBool);
}

template <class C>
TbsSkinKey<C> Rect(const char16_t* Name, TRect C::*Field) {
  return Key(Name, Field, ReadIniRect, WriteIniRect);
}

template <class C>
TbsSkinKey<C> Point(const char16_t* Name, TPoint C::*Field) {
  return Key(Name, Field, ReadIniPoint, WriteIniPoint);
}

template <class C>
TbsSkinKey<C> Style(const char16_t* Name, TFontStyles C::*Field) {
  return Key(Name, Field, ReadIniFontStyle, WriteIniFontStyle);
}

template <class C>
TbsSkinKey<C> Align(const char16_t* Name, TAlignment C::*Field) {
  return Key(Name, Field, ReadIniAlignment, WriteIniAlignment);
}

template <class C>
TbsSkinKey<C> Stretch(const char16_t* Name, TbsStretchType C::*Field) {
  return Key(Name, Field, ReadIniStretchType, WriteIniStretchType);
}

template <class C>
TbsSkinKey<C> Morph(const char16_t* Name, TbsMorphKind C::*Field) {
  return Key(Name, Field, ReadIniMorphKind, WriteIniMorphKind);
}

template <class C>
TbsSkinKey<C> Effect(const char16_t* Name, TbsInActiveEffect C::*Field) {
  return Key(Name, Field, ReadIniInactiveEffect, WriteIniInactiveEffect);
}

}  // namespace keys
}  // namespace skin
