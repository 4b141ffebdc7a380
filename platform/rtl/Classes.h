// The object model the converter is written against: persistent objects,
// owned components with free notification, pointer lists, string lists and
// collections.
//
// Ownership: a TComponent frees the components it owns when it is destroyed;
// a TCollection owns its items; TList and TStrings never own what their
// pointers and Objects refer to. Everything here belongs to one thread at a
// time (in practice the GUI thread); nothing locks.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

namespace rtl {

// A small set of enumeration values (up to 64), as the framework's sets.
template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }
  constexpr bool Contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
  constexpr void Include(E e) { bits_ |= std::uint64_t{1} << static_cast<unsigned>(e); }
  constexpr void Exclude(E e) { bits_ &= ~(std::uint64_t{1} << static_cast<unsigned>(e)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet operator+(TSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TSet operator-(TSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TSet operator*(TSet o) const { return FromBits(bits_ & o.bits_); }
  friend constexpr bool operator==(TSet, TSet) = default;

 private:
  static constexpr TSet FromBits(std::uint64_t b) {
    TSet s;
    s.bits_ = b;
    return s;
  }
  std::uint64_t bits_ = 0;
};

// The class name of an object's dynamic type without namespaces ("TStringList").
String ClassName(const TObject* obj);

// ------------------------------------------------------------------ TPersistent

// Assign copies Source into this object. The default asks Source to AssignTo
// this object, which by default refuses with EConvertError "Cannot assign a
// <source class> to a <target class>".
class TPersistent : public TObject {
 public:
  virtual void Assign(TPersistent* source);
  virtual TPersistent* GetOwner() { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);
};

// ------------------------------------------------------------------ TComponent

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor,
  csUpdating, csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

// Owned components are freed, last first, when the owner is destroyed. Before
// that, the owner and everything it owns are marked csDestroying.
//
// Notification(AComponent, op) tells a component that AComponent was inserted
// into or is being removed from its owner, or, after FreeNotification, that
// AComponent is being destroyed; the default passes it on to every owned
// component. FreeNotification works both ways: whichever of the two is
// destroyed first tells the other.
//
// `delete` destroys a component; Free() does the same but marks it
// csDestroying before the destructors of derived classes run.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  void Free();

  TComponent* Owner() const { return owner_; }
  const String& Name() const { return name_; }
  // Raises EComponentError when the name is not an identifier or another
  // component of the same owner already has it (names match without case).
  virtual void SetName(const String& newName);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;
  int ComponentIndex() const;
  TComponent* FindComponent(const String& name) const;
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();
  void Destroying();

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  // The loading bracket of a form builder: BeginLoading marks csLoading and
  // csReading while properties are set, EndReading clears csReading, and
  // Loaded (called on each component at the end) clears csLoading.
  void BeginLoading();
  void EndReading();
  virtual void Loaded();
  void Updating() { state_.Include(csUpdating); }
  void Updated() { state_.Exclude(csUpdating); }

  TPersistent* GetOwner() override { return owner_; }
  virtual void Notification(TComponent* component, TOperation operation);

 protected:
  // Marks or unmarks a state flag for classes that manage their own states.
  void SetState(TComponentStateItem item, bool on) { on ? state_.Include(item) : state_.Exclude(item); }

 private:
  void RemoveFreeNotifications();
  void ValidateRename(TComponent* component, const String& newName) const;

  TComponent* owner_ = nullptr;
  String name_;
  std::intptr_t tag_ = 0;
  TComponentState state_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
};

// unique_ptr deleter that frees a component through Free().
struct TComponentFree {
  void operator()(TComponent* c) const {
    if (c) c->Free();
  }
};

// ------------------------------------------------------------------ TList

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of untyped pointers. Index errors raise EListError
// "List index out of bounds (%d)".
class TList : public TObject {
 public:
  ~TList() override;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Removes the first occurrence; returns its former index or -1.
  int Remove(void* item);
  // As Remove, reporting lnExtracted; returns item, or null when absent.
  void* Extract(void* item);
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Sort(const TListSortCompare& compare);
  void Clear();
  // Drops the null entries.
  void Pack();

  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int newCount);
  int Capacity() const { return capacity_; }
  void SetCapacity(int newCapacity);
  void* Items(int index) const;
  void* operator[](int index) const { return Items(index); }
  void Put(int index, void* item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }

 protected:
  // Called for non-null pointers that enter or leave the list.
  virtual void Notify(void* item, TListNotification action) {}

 private:
  void CheckIndex(int index) const;
  std::vector<void*> items_;
  int capacity_ = 0;
};

// ------------------------------------------------------------------ TStrings

enum TDuplicates { dupIgnore, dupAccept, dupError };

// How a string list's text is stored in a file or stream.
enum class TTextEncoding {
  Ansi,              // the ANSI code page (UTF-8 here), no signature
  UTF8,              // UTF-8 with its signature EF BB BF
  Unicode,           // UTF-16LE with FF FE
  BigEndianUnicode,  // UTF-16BE with FE FF
};

inline constexpr const char16_t* sLineBreak = u"\r\n";

// An abstract list of strings, each with an associated object pointer (not
// owned). Descendants supply storage through Get/GetCount/Insert/Delete/Clear
// and, optionally, GetObject/PutObject. Names and values are lines of the
// form name<NameValueSeparator>value; names compare through CompareStrings,
// without case unless a descendant says otherwise.
class TStrings : public TPersistent {
 public:
  virtual int Count() const = 0;
  virtual String Get(int index) const = 0;
  virtual TObject* GetObject(int index) const { return nullptr; }
  virtual void Put(int index, const String& s);
  virtual void PutObject(int index, TObject* obj) {}
  virtual void Insert(int index, const String& s) = 0;
  virtual void InsertObject(int index, const String& s, TObject* obj);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const String& s);
  virtual int AddObject(const String& s, TObject* obj);
  void Append(const String& s) { Add(s); }
  virtual void AddStrings(const TStrings* strings);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  virtual int IndexOf(const String& s) const;
  virtual int IndexOfName(const String& name) const;
  virtual int IndexOfObject(const TObject* obj) const;
  bool Equals(const TStrings* other) const;
  virtual int Capacity() const { return Count(); }
  virtual void SetCapacity(int) {}

  String Strings(int index) const { return Get(index); }
  String operator[](int index) const { return Get(index); }
  TObject* Objects(int index) const { return GetObject(index); }

  // Text before the first separator; empty for a line without one.
  String Names(int index) const;
  // The value of the first line named name; empty when there is none.
  String Values(const String& name) const;
  // Sets or adds name=value; an empty value deletes the line.
  void SetValue(const String& name, const String& value);
  String ValueFromIndex(int index) const;
  void SetValueFromIndex(int index, const String& value);

  // Every line followed by LineBreak.
  virtual String Text() const;
  // Splits at CR LF, LF or CR (or at LineBreak when it is something else); a
  // final line break does not add an empty line.
  virtual void SetText(const String& text);
  // The lines joined by Delimiter; a line holding a blank, a control
  // character, the delimiter or the quote is quoted (quotes doubled).
  String DelimitedText() const;
  // Unquoted blanks separate items too, unless StrictDelimiter.
  void SetDelimitedText(const String& text);
  // DelimitedText with ',' and '"', blanks separating.
  String CommaText() const;
  void SetCommaText(const String& text);

  char16_t Delimiter() const { return delimiter_; }
  void SetDelimiter(char16_t c) { delimiter_ = c; }
  char16_t QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char16_t c) { quoteChar_ = c; }
  char16_t NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char16_t c) { nameValueSeparator_ = c; }
  bool StrictDelimiter() const { return strictDelimiter_; }
  void SetStrictDelimiter(bool on) { strictDelimiter_ = on; }
  const String& LineBreak() const { return lineBreak_; }
  void SetLineBreak(const String& lb) { lineBreak_ = lb; }

  // Reads from the position to the end; a signature selects UTF-8, UTF-16LE
  // or UTF-16BE, otherwise the bytes are ANSI. The encoding found is kept and
  // used by the saves that name none.
  void LoadFromStream(TStream* stream);
  void LoadFromFile(const String& fileName);
  void SaveToStream(TStream* stream) const { SaveToStream(stream, encoding_); }
  void SaveToStream(TStream* stream, TTextEncoding encoding) const;
  void SaveToFile(const String& fileName) const { SaveToFile(fileName, encoding_); }
  void SaveToFile(const String& fileName, TTextEncoding encoding) const;
  TTextEncoding Encoding() const { return encoding_; }

  // Brackets a batch of changes: OnChanging at the first BeginUpdate,
  // OnChange at the last EndUpdate, none in between.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  // From another TStrings: its lines, objects and formatting characters.
  void Assign(TPersistent* source) override;

 protected:
  virtual void SetUpdateState(bool updating) {}
  // Without case (every cased letter folds) unless overridden.
  virtual int CompareStrings(const String& a, const String& b) const;
  [[noreturn]] static void Error(const char16_t* message, int data);

 private:
  String Delimited(char16_t delimiter, char16_t quote, bool strict) const;
  void SetDelimited(const String& text, char16_t delimiter, char16_t quote, bool strict);

  int updateCount_ = 0;
  char16_t delimiter_ = u',';
  char16_t quoteChar_ = u'"';
  char16_t nameValueSeparator_ = u'=';
  bool strictDelimiter_ = false;
  String lineBreak_ = sLineBreak;
  TTextEncoding encoding_ = TTextEncoding::Ansi;
};

class TStringList;
// <0, 0, >0 as the item at index1 sorts before, with or after the one at index2.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

// The concrete string list. A sorted list keeps its order on Add (binary
// insertion) and refuses Insert, Put and Move with EStringListError;
// Duplicates applies to sorted lists only. OnChanging/OnChange bracket every
// change (outside BeginUpdate/EndUpdate).
class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  String Get(int index) const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const String& s) override;
  void PutObject(int index, TObject* obj) override;
  void Insert(int index, const String& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const String& s, TObject* obj) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const String& s) override { return AddObject(s, nullptr); }
  int AddObject(const String& s, TObject* obj) override;
  void Exchange(int index1, int index2) override;
  void Move(int curIndex, int newIndex) override;
  int IndexOf(const String& s) const override;
  int Capacity() const override { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity) override;

  // Binary search of a sorted list: true when s is present, with index at
  // its first occurrence (any occurrence unless dupAccept); otherwise index
  // is where s would be inserted.
  bool Find(const String& s, int& index) const;
  // Sorts an unsorted list; a sorted one is already in order.
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool on);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool updating) override;
  int CompareStrings(const String& a, const String& b) const override;

 private:
  struct Item {
    String s;
    TObject* obj = nullptr;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const String& s, TObject* obj);
  void SortWith(const TStringListSortCompare& compare);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// ------------------------------------------------------------------ TCollection

class TCollection;

// An item belongs to at most one collection, which frees it. Creating an item
// with a collection adds it there; destroying it takes it out.
class TCollectionItem : public TPersistent {
 public:
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* collection);
  // Unique within the collection, never reused.
  int ID() const { return id_; }
  int Index() const;
  virtual void SetIndex(int index);
  virtual String DisplayName() const;
  TPersistent* GetOwner() override;

 protected:
  // Tells the collection that this item (or, with allItems, every item) changed.
  void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// Makes the items of one class for a collection: Add, Insert and Assign use it.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection*)>;
template <class TItem>
TCollectionItemClass ItemClass() {
  return [](TCollection* c) -> TCollectionItem* { return new TItem(c); };
}

// Update(Item) is called after each change: with the item that changed, or
// null when several did or the list itself changed. BeginUpdate/EndUpdate
// hold the calls back and end with one Update(null).
class TCollection : public TPersistent {
 public:
  explicit TCollection(TCollectionItemClass itemClass);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  void Clear();
  TCollectionItem* Items(int index) const;
  int Count() const { return static_cast<int>(items_.size()); }
  TCollectionItem* FindItemID(int id) const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  const TCollectionItemClass& ItemClassFactory() const { return itemClass_; }
  // The object that holds the collection, as a descendant's GetOwner says.
  TPersistent* Owner() { return GetOwner(); }

  // From another collection: clears, then adds one item per source item and
  // assigns it from that item.
  void Assign(TPersistent* source) override;

 protected:
  virtual void Update(TCollectionItem* item) {}
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void ItemChanged(TCollectionItem* item);

  TCollectionItemClass itemClass_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

}  // namespace rtl
