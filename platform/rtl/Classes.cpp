#include "platform/rtl/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace rtl {

namespace {

// Runs Body as one batch of changes of List; the batch also ends when Body
// throws, so a failed load does not leave the list updating for good.
template <class TList, class TBody>
void WithinUpdate(TList& List, TBody&& Body) {
  List.BeginUpdate();
  try {
    Body();
  } catch (...) {
    List.EndUpdate();
    throw;
  }
  List.EndUpdate();
}

String Num(long long v) { return Utf8ToString(std::to_string(v)); }

String WithNumber(const char16_t* pattern, long long v) {
  // Patterns here hold exactly one "%d".
  String s = pattern;
  const auto at = s.find(u"%d");
  if (at != String::npos) s.replace(at, 2, Num(v));
  return s;
}

bool IsIdentStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }
bool IsIdentChar(char16_t c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9'); }

bool IsValidIdent(const String& s) {
  if (s.empty() || !IsIdentStart(s[0])) return false;
  return std::all_of(s.begin(), s.end(), IsIdentChar);
}

// A merge sort of positions that only ever looks at the positions it is
// given, so an inconsistent comparison yields some order but never reads
// outside the list.
template <class Less>
void MergeSortPositions(std::vector<int>& idx, Less less) {
  const size_t n = idx.size();
  std::vector<int> tmp(n);
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi) tmp[o++] = less(idx[b], idx[a]) ? idx[b++] : idx[a++];
      while (a < mid) tmp[o++] = idx[a++];
      while (b < hi) tmp[o++] = idx[b++];
    }
    idx.swap(tmp);
  }
}

}  // namespace

String ClassName(const TObject* obj) {
  if (!obj) return u"nil";
  const char* mangled = typeid(*obj).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                   std::free);
  std::string name = (status == 0 && demangled) ? demangled.get() : mangled;
  const auto lt = name.find('<');
  const auto colons = name.rfind("::", lt);
  if (colons != std::string::npos) name.erase(0, colons + 2);
  return Utf8ToString(name);
}

// ================================================================ TPersistent

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  throw EConvertError(u"Cannot assign a " + ClassName(source) + u" to a " + ClassName(this));
}

// ================================================================ TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  RemoveFreeNotifications();
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Free() {
  Destroying();
  delete this;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(WithNumber(u"List index out of bounds (%d)", index));
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::ValidateRename(TComponent* component, const String& newName) const {
  if (newName.empty()) return;
  TComponent* other = FindComponent(newName);
  if (other && other != component) throw EComponentError(u"A component named " + newName + u" already exists");
}

void TComponent::SetName(const String& newName) {
  if (newName == name_) return;
  if (!newName.empty() && !IsValidIdent(newName))
    throw EComponentError(u"'" + newName + u"' is not a valid component name");
  if (owner_) owner_->ValidateRename(this, newName);
  name_ = newName;
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  ValidateRename(component, component->name_);
  // A component has one owner: moving it must not leave it in two lists,
  // where both owners would free it.
  if (component->owner_) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  component->owner_ = this;
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, opRemove);
  const auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    // Siblings that asked to hear of it are told through the owner; others
    // are simply taken out of the list before they go.
    if (c->state_.Contains(csFreeNotification)) {
      RemoveComponent(c);
    } else {
      components_.pop_back();
      c->owner_ = nullptr;
    }
    delete c;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  // Components of one owner hear of each other through that owner.
  if (!owner_ || component->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
      freeNotifies_.push_back(component);
      component->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  auto& mine = freeNotifies_;
  const auto it = std::find(mine.begin(), mine.end(), component);
  if (it == mine.end()) return;
  mine.erase(it);
  auto& theirs = component->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::RemoveFreeNotifications() {
  // Both links go before the other side hears of it, so an override of
  // Notification that does not call the default cannot make this loop forever.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Handlers may free components; walk down by index and re-check the bound.
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) continue;
    components_[static_cast<size_t>(i)]->Notification(component, operation);
  }
}

void TComponent::BeginLoading() {
  state_.Include(csLoading);
  state_.Include(csReading);
}

void TComponent::EndReading() { state_.Exclude(csReading); }

void TComponent::Loaded() { state_.Exclude(csLoading); }

// ================================================================ TList

TList::~TList() { Clear(); }

void TList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw EListError(WithNumber(u"List index out of bounds (%d)", index));
}

int TList::Add(void* item) {
  const int index = Count();
  Insert(index, item);
  return index;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) throw EListError(WithNumber(u"List index out of bounds (%d)", index));
  items_.insert(items_.begin() + index, item);
  capacity_ = std::max(capacity_, Count());
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index);
  void* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  const int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnExtracted);
  return item;
}

int TList::IndexOf(void* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  void* item = items_[static_cast<size_t>(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

void TList::Sort(const TListSortCompare& compare) {
  if (Count() < 2) return;
  std::vector<int> idx(items_.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
  MergeSortPositions(idx, [&](int a, int b) { return compare(items_[a], items_[b]) < 0; });
  std::vector<void*> sorted;
  sorted.reserve(items_.size());
  for (int i : idx) sorted.push_back(items_[static_cast<size_t>(i)]);
  items_.swap(sorted);
}

void TList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::SetCount(int newCount) {
  if (newCount < 0) throw EListError(WithNumber(u"List count out of bounds (%d)", newCount));
  if (newCount > Count()) {
    items_.resize(static_cast<size_t>(newCount), nullptr);
    capacity_ = std::max(capacity_, newCount);
  } else {
    for (int i = Count() - 1; i >= newCount; --i) Delete(i);
  }
}

void TList::SetCapacity(int newCapacity) {
  if (newCapacity < Count()) throw EListError(WithNumber(u"List capacity out of bounds (%d)", newCapacity));
  items_.reserve(static_cast<size_t>(newCapacity));
  if (newCapacity == 0) items_.shrink_to_fit();
  capacity_ = newCapacity;
}

void* TList::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  CheckIndex(index);
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

// ================================================================ TStrings

void TStrings::Error(const char16_t* message, int data) { throw EStringListError(WithNumber(message, data)); }

int TStrings::CompareStrings(const String& a, const String& b) const { return AnsiCompareText(a, b); }

void TStrings::Put(int index, const String& s) {
  TObject* obj = GetObject(index);
  WithinUpdate(*this, [&] {
    Delete(index);
    InsertObject(index, s, obj);
  });
}

void TStrings::InsertObject(int index, const String& s, TObject* obj) {
  Insert(index, s);
  PutObject(index, obj);
}

int TStrings::Add(const String& s) {
  const int index = Count();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const String& s, TObject* obj) {
  const int index = Add(s);
  PutObject(index, obj);
  return index;
}

void TStrings::AddStrings(const TStrings* strings) {
  if (!strings) return;
  // Copy first: strings may be this list.
  const int n = strings->Count();
  std::vector<std::pair<String, TObject*>> lines;
  lines.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) lines.emplace_back(strings->Get(i), strings->GetObject(i));
  WithinUpdate(*this, [&] {
    for (auto& [s, obj] : lines) AddObject(s, obj);
  });
}

void TStrings::Exchange(int index1, int index2) {
  const String s1 = Get(index1), s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  WithinUpdate(*this, [&] {
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  });
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  const String s = Get(curIndex);
  TObject* obj = GetObject(curIndex);
  WithinUpdate(*this, [&] {
    Delete(curIndex);
    InsertObject(newIndex, s, obj);
  });
}

int TStrings::IndexOf(const String& s) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    const String s = Get(i);
    const auto p = s.find(nameValueSeparator_);
    if (p != String::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (GetObject(i) == obj) return i;
  return -1;
}

bool TStrings::Equals(const TStrings* other) const {
  if (!other || other->Count() != Count()) return false;
  for (int i = 0, n = Count(); i < n; ++i)
    if (Get(i) != other->Get(i)) return false;
  return true;
}

String TStrings::Names(int index) const {
  const String s = Get(index);
  const auto p = s.find(nameValueSeparator_);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::Values(const String& name) const {
  const int i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& name, const String& value) {
  int i = IndexOfName(name);
  if (!value.empty()) {
    const String line = name + nameValueSeparator_ + value;
    if (i < 0)
      Add(line);
    else
      Put(i, line);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::ValueFromIndex(int index) const {
  const String s = Get(index);
  const auto p = s.find(nameValueSeparator_);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const String& value) {
  if (!value.empty()) {
    if (index < 0) index = Add(String());
    Put(index, Names(index) + nameValueSeparator_ + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

String TStrings::Text() const {
  String out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Get(i);
    out += lineBreak_;
  }
  return out;
}

void TStrings::SetText(const String& text) {
  WithinUpdate(*this, [&] {
    Clear();
    const bool anyBreak = lineBreak_ == u"\r\n" || lineBreak_ == u"\n" || lineBreak_ == u"\r" || lineBreak_.empty();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
      size_t start = i;
      if (anyBreak) {
        while (i < n && text[i] != u'\r' && text[i] != u'\n') ++i;
        Add(text.substr(start, i - start));
        if (i < n && text[i] == u'\r') ++i;
        if (i < n && text[i] == u'\n') ++i;
      } else {
        const size_t at = text.find(lineBreak_, i);
        const size_t end = at == String::npos ? n : at;
        Add(text.substr(start, end - start));
        i = at == String::npos ? n : at + lineBreak_.size();
      }
    }
  });
}

String TStrings::Delimited(char16_t delimiter, char16_t quote, bool strict) const {
  const int n = Count();
  if (n == 1 && Get(0).empty()) return String(2, quote);  // keeps one empty line distinct from none
  String out;
  for (int i = 0; i < n; ++i) {
    const String s = Get(i);
    const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](char16_t c) {
      return c == quote || c == delimiter || (!strict && c <= u' ');
    });
    if (i > 0) out.push_back(delimiter);
    out += needsQuotes ? AnsiQuotedStr(s, quote) : s;
  }
  return out;
}

void TStrings::SetDelimited(const String& text, char16_t delimiter, char16_t quote, bool strict) {
  auto isBlank = [&](char16_t c) { return !strict && c >= 1 && c <= u' '; };
  WithinUpdate(*this, [&] {
    Clear();
    const char16_t* p = text.c_str();
    const char16_t* const end = p + text.size();
    while (p < end && isBlank(*p)) ++p;
    while (p < end) {
      String s;
      if (*p == quote) {
        s = AnsiExtractQuotedStr(p, quote);
      } else {
        const char16_t* start = p;
        while (p < end && *p != delimiter && !(strict ? false : *p <= u' ')) ++p;
        s.assign(start, p);
      }
      Add(s);
      while (p < end && isBlank(*p)) ++p;
      if (p < end && *p == delimiter) {
        if (p + 1 == end) Add(String());
        do ++p;
        while (p < end && isBlank(*p));
      } else if (p < end && !strict && *p < 1) {
        ++p;  // an embedded NUL separates like a blank instead of stalling
      }
    }
  });
}

String TStrings::DelimitedText() const { return Delimited(delimiter_, quoteChar_, strictDelimiter_); }
void TStrings::SetDelimitedText(const String& text) { SetDelimited(text, delimiter_, quoteChar_, strictDelimiter_); }
String TStrings::CommaText() const { return Delimited(u',', u'"', false); }
void TStrings::SetCommaText(const String& text) { SetDelimited(text, u',', u'"', false); }

void TStrings::LoadFromStream(TStream* stream) {
  // Read to the end rather than trusting Size, which a pipe cannot tell.
  std::string bytes;
  const Int64 remaining = stream->Size() - stream->Position();
  if (remaining > 0) bytes.reserve(static_cast<size_t>(remaining));
  char chunk[65536];
  for (Int64 n; (n = stream->Read(chunk, sizeof chunk)) > 0;) bytes.append(chunk, static_cast<size_t>(n));

  auto utf16 = [&](size_t from, bool bigEndian) {
    String s;
    s.reserve((bytes.size() - from) / 2);
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
      const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
      s.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0)));
    }
    return s;
  };
  String text;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    encoding_ = TTextEncoding::UTF8;
    text = Utf8ToString(std::string_view(bytes).substr(3));
  } else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
    encoding_ = TTextEncoding::Unicode;
    text = utf16(2, false);
  } else if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFE\xFF") == 0) {
    encoding_ = TTextEncoding::BigEndianUnicode;
    text = utf16(2, true);
  } else {
    encoding_ = TTextEncoding::Ansi;
    text = AnsiToString(bytes);
  }
  SetText(text);
}

void TStrings::LoadFromFile(const String& fileName) {
  TFileStream fs(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

void TStrings::SaveToStream(TStream* stream, TTextEncoding encoding) const {
  const String text = Text();
  std::string bytes;
  switch (encoding) {
    case TTextEncoding::Ansi: bytes = StringToAnsi(text); break;
    case TTextEncoding::UTF8: bytes = "\xEF\xBB\xBF" + StringToUtf8(text); break;
    case TTextEncoding::Unicode:
    case TTextEncoding::BigEndianUnicode: {
      const bool be = encoding == TTextEncoding::BigEndianUnicode;
      bytes = be ? "\xFE\xFF" : "\xFF\xFE";
      for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        bytes.push_back(be ? hi : lo);
        bytes.push_back(be ? lo : hi);
      }
      break;
    }
  }
  stream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

void TStrings::SaveToFile(const String& fileName, TTextEncoding encoding) const {
  TFileStream fs(fileName, fmCreate);
  SaveToStream(&fs, encoding);
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TStrings*>(source)) {
    if (src == this) return;
    WithinUpdate(*this, [&] {
      Clear();
      delimiter_ = src->delimiter_;
      quoteChar_ = src->quoteChar_;
      nameValueSeparator_ = src->nameValueSeparator_;
      strictDelimiter_ = src->strictDelimiter_;
      lineBreak_ = src->lineBreak_;
      AddStrings(src);
    });
    return;
  }
  TPersistent::Assign(source);
}

// ================================================================ TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error(u"List index out of bounds (%d)", index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::CompareStrings(const String& a, const String& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

String TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].s;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].obj;
}

void TStringList::Put(int index, const String& s) {
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].s = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* obj) {
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].obj = obj;
  Changed();
}

void TStringList::InsertItem(int index, const String& s, TObject* obj) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, obj});
  Changed();
}

void TStringList::InsertObject(int index, const String& s, TObject* obj) {
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  if (index < 0 || index > Count()) Error(u"List index out of bounds (%d)", index);
  InsertItem(index, s, obj);
}

int TStringList::AddObject(const String& s, TObject* obj) {
  int index;
  if (!sorted_) {
    index = Count();
  } else if (Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore: return index;
      case dupError: Error(u"String list does not allow duplicates", 0);
      case dupAccept: break;
    }
  }
  InsertItem(index, s, obj);
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  // Checked before anything moves: a refused move must not lose the line.
  if (curIndex == newIndex) return;
  if (sorted_) Error(u"Operation not allowed on sorted list", 0);
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  Item item = std::move(items_[static_cast<size_t>(curIndex)]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(item));
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::SetCapacity(int capacity) {
  if (capacity < Count()) Error(u"List capacity out of bounds (%d)", capacity);
  items_.reserve(static_cast<size_t>(capacity));
}

bool TStringList::Find(const String& s, int& index) const {
  bool found = false;
  int lo = 0, hi = Count() - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(items_[static_cast<size_t>(mid)].s, s);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) lo = mid;
      }
    }
  }
  index = lo;
  return found;
}

void TStringList::SortWith(const TStringListSortCompare& compare) {
  std::vector<int> idx(items_.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = static_cast<int>(i);
  MergeSortPositions(idx, [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : idx) sorted.push_back(items_[static_cast<size_t>(i)]);
  items_.swap(sorted);
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (sorted_ || Count() < 2) return;
  Changing();
  SortWith(compare);
  Changed();
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->items_[static_cast<size_t>(a)].s, list->items_[static_cast<size_t>(b)].s);
  });
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool on) {
  if (on == caseSensitive_) return;
  caseSensitive_ = on;
  if (sorted_) {
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

// ================================================================ TCollection

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  const auto& v = collection_->items_;
  const auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TCollectionItem::SetIndex(int index) {
  const int cur = Index();
  if (cur < 0 || index < 0 || index == cur) return;
  auto& v = collection_->items_;
  if (index >= static_cast<int>(v.size())) index = static_cast<int>(v.size()) - 1;
  v.erase(v.begin() + cur);
  v.insert(v.begin() + index, this);
  Changed(true);
}

String TCollectionItem::DisplayName() const { return ClassName(this); }

TPersistent* TCollectionItem::GetOwner() { return collection_; }

void TCollectionItem::Changed(bool allItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->ItemChanged(allItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass itemClass) : itemClass_(std::move(itemClass)) {}

TCollection::~TCollection() {
  // No Update calls from a collection that is going away.
  ++updateCount_;
  while (!items_.empty()) {
    TCollectionItem* item = items_.back();
    items_.pop_back();
    item->collection_ = nullptr;
    delete item;
  }
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  const auto it = std::find(items_.begin(), items_.end(), item);
  if (it != items_.end()) items_.erase(it);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::ItemChanged(TCollectionItem* item) { Update(item); }

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

TCollectionItem* TCollection::Add() {
  if (!itemClass_) throw EInvalidOperation(u"Collection has no item class");
  return itemClass_(this);
}

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  WithinUpdate(*this, [&] {
    while (!items_.empty()) delete items_.back();
  });
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(WithNumber(u"List index out of bounds (%d)", index));
  return items_[static_cast<size_t>(index)];
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ <= 0) return;
  if (--updateCount_ == 0) Changed();
}

void TCollection::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TCollection*>(source)) {
    if (src == this) return;
    WithinUpdate(*this, [&] {
      Clear();
      for (TCollectionItem* item : src->items_) Add()->Assign(item);
    });
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace rtl
