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

template <class C>
TbsSkinKey<C> Int(const char16_t* Name, int C::*Field, int Absent = 0) {
  return {Name, [Field, Absent](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ini.ReadInteger(s, k, Absent);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            ini.WriteInteger(s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Bool(const char16_t* Name, bool C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniBool(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniBool(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Str(const char16_t* Name, String C::*Field, const char16_t* Absent = u"") {
  String absent = Absent;
  return {Name, [Field, absent](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ini.ReadString(s, k, absent);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            ini.WriteString(s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Rect(const char16_t* Name, TRect C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniRect(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniRect(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Point(const char16_t* Name, TPoint C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniPoint(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniPoint(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Style(const char16_t* Name, TFontStyles C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniFontStyle(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniFontStyle(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Align(const char16_t* Name, TAlignment C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniAlignment(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniAlignment(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Stretch(const char16_t* Name, TbsStretchType C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniStretchType(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniStretchType(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Morph(const char16_t* Name, TbsMorphKind C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniMorphKind(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniMorphKind(ini, s, k, o.*Field);
          }};
}

template <class C>
TbsSkinKey<C> Effect(const char16_t* Name, TbsInActiveEffect C::*Field) {
  return {Name, [Field](C& o, TCustomIniFile& ini, const String& s, const String& k) {
            o.*Field = ReadIniInactiveEffect(ini, s, k);
          },
          [Field](const C& o, TCustomIniFile& ini, const String& s, const String& k) {
            WriteIniInactiveEffect(ini, s, k, o.*Field);
          }};
}

}  // namespace keys
}  // namespace skin
