#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/rtl/Strings.h"

using namespace rtl;

namespace {

// ================================================================ components

struct Journal {
  std::vector<std::string> lines;
};

// Records its own destruction (and whether it was already marked as
// destroying) and the notifications it receives; holds one reference that it
// drops when told the target goes away, as the framework's users do.
class Probe : public TComponent {
 public:
  // Named before it joins its owner, so the insertion notices carry the name.
  Probe(TComponent* owner, const char* name, Journal* j) : TComponent(nullptr), journal_(j) {
    SetName(Utf8ToString(name));
    if (owner) owner->InsertComponent(this);
  }
  ~Probe() override {
    journal_->lines.push_back("free " + U8(Name()) + (ComponentState().Contains(csDestroying) ? " destroying" : ""));
  }
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (c != this)
      journal_->lines.push_back(U8(Name()) + (op == opInsert ? " +" : " -") + U8(c->Name()));
    if (op == opRemove && c == ref) ref = nullptr;
  }
  void Refer(TComponent* target) {
    ref = target;
    target->FreeNotification(this);
  }
  TComponent* ref = nullptr;

 private:
  Journal* journal_;
};

bool Has(const Journal& j, const std::string& line) {
  return std::find(j.lines.begin(), j.lines.end(), line) != j.lines.end();
}

TEST(Component, OwnerFreesWhatItOwnsLastFirstAndMarksItDestroyingBeforehand) {
  // The owner's own destructor body runs first, then the owned components go,
  // last first; every one of them already sees csDestroying.
  Journal j;
  auto* form = new Probe(nullptr, "Form1", &j);
  auto* panel = new Probe(form, "Panel1", &j);
  new Probe(panel, "Button1", &j);
  new Probe(form, "Label1", &j);
  ASSERT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->FindComponent(u"LABEL1")->ComponentIndex(), 1);
  j.lines.clear();

  form->Free();
  const std::vector<std::string> expected = {
      "free Form1 destroying", "free Label1 destroying", "free Panel1 destroying", "free Button1 destroying"};
  EXPECT_EQ(j.lines, expected);
}

TEST(Component, InsertRemoveAndDirectDeletionKeepOwnersConsistent) {
  Journal j;
  Probe a(nullptr, "A", &j), b(nullptr, "B", &j);
  auto* child = new Probe(&a, "Child", &j);
  auto* sibling = new Probe(&a, "Sibling", &j);
  EXPECT_TRUE(Has(j, "Child +Sibling"));  // owned components hear of insertions

  b.InsertComponent(child);  // moves, never in two lists at once
  EXPECT_EQ(child->Owner(), &b);
  EXPECT_EQ(a.ComponentCount(), 1);
  EXPECT_EQ(b.Components(0), child);
  EXPECT_TRUE(Has(j, "A -Child"));

  j.lines.clear();
  delete sibling;  // a plain delete works too, only without the early mark
  EXPECT_EQ(a.ComponentCount(), 0);
  EXPECT_EQ(j.lines, (std::vector<std::string>{"free Sibling", "A -Sibling"}));
  EXPECT_THROW(a.Components(0), EListError);
}

TEST(Component, NamesAreIdentifiersUniqueWithinTheOwner) {
  Journal j;
  Probe owner(nullptr, "Owner", &j);
  Probe* x = new Probe(&owner, "Edit1", &j);
  Probe* y = new Probe(&owner, "", &j);
  try {
    y->SetName(u"EDIT1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"A component named EDIT1 already exists");
  }
  try {
    y->SetName(u"1st");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), u"'1st' is not a valid component name");
  }
  x->SetName(u"EDIT1");  // renaming itself is no clash
  EXPECT_EQ(owner.FindComponent(u"edit1"), x);
  EXPECT_EQ(owner.FindComponent(u""), nullptr);

  Probe other(nullptr, "Other", &j);
  Probe stranger(&other, "Edit1", &j);
  EXPECT_THROW(owner.InsertComponent(&stranger), EComponentError);
  EXPECT_EQ(stranger.Owner(), &other);
}

TEST(Component, FreeNotificationReachesWhicheverSideSurvives) {
  // Across owners, in both directions.
  for (bool freeTargetFirst : {true, false}) {
    Journal j;
    auto* formA = new Probe(nullptr, "FormA", &j);
    auto* formB = new Probe(nullptr, "FormB", &j);
    auto* user = new Probe(formA, "User", &j);
    auto* images = new Probe(formB, "Images", &j);
    user->Refer(images);
    if (freeTargetFirst) {
      formB->Free();
      EXPECT_EQ(user->ref, nullptr);
      EXPECT_TRUE(Has(j, "User -Images"));
      formA->Free();
    } else {
      formA->Free();  // the target must forget the user, or freeing it would touch freed memory
      EXPECT_TRUE(Has(j, "Images -User"));
      formB->Free();
    }
  }
  // Between siblings, while their owner frees them.
  Journal j;
  auto* form = new Probe(nullptr, "Form", &j);
  auto* user = new Probe(form, "User", &j);
  auto* images = new Probe(form, "Images", &j);  // freed first: added last
  user->Refer(images);
  form->Free();
  EXPECT_TRUE(Has(j, "User -Images"));
  // Removing the notification stops it.
  auto* p = new Probe(nullptr, "P", &j);
  auto* q = new Probe(nullptr, "Q", &j);
  p->Refer(q);
  p->RemoveFreeNotification(q);
  delete q;
  EXPECT_FALSE(Has(j, "P -Q"));
  delete p;
}

TEST(Component, LoadingBracket) {
  TComponent c(nullptr);
  c.BeginLoading();
  EXPECT_EQ(c.ComponentState(), (TComponentState{csLoading, csReading}));
  c.EndReading();
  EXPECT_EQ(c.ComponentState(), TComponentState{csLoading});
  c.Loaded();
  EXPECT_TRUE(c.ComponentState().Empty());
}

TEST(Persistent, DefaultAssignRefusesWithBothClassNames) {
  TStringList list;
  TComponent comp(nullptr);
  try {
    list.Assign(&comp);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TComponent to a TStringList");
  }
  try {
    comp.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a nil to a TComponent");
  }
}

// ================================================================ TList

class CountingList : public TList {
 public:
  int added = 0, deleted = 0, extracted = 0;

 protected:
  void Notify(void*, TListNotification a) override { (a == lnAdded ? added : a == lnDeleted ? deleted : extracted)++; }
};

TEST(List, EditingOperationsAndNotifications) {
  int v[5] = {0, 1, 2, 3, 4};
  CountingList l;
  for (int i = 0; i < 4; ++i) l.Add(&v[i]);
  l.Insert(0, &v[4]);  // 4 0 1 2 3
  l.Move(0, 4);        // 0 1 2 3 4
  l.Exchange(0, 1);    // 1 0 2 3 4
  EXPECT_EQ(l.Remove(&v[2]), 2);
  EXPECT_EQ(l.Remove(&v[2]), -1);
  EXPECT_EQ(l.Extract(&v[3]), &v[3]);
  l.Add(nullptr);
  l.Pack();
  ASSERT_EQ(l.Count(), 3);
  EXPECT_EQ(l[0], &v[1]);
  EXPECT_EQ(l[1], &v[0]);
  EXPECT_EQ(l.Last(), &v[4]);
  EXPECT_EQ(l.IndexOf(&v[4]), 2);
  l.Sort([](void* a, void* b) { return *static_cast<int*>(b) - *static_cast<int*>(a); });
  EXPECT_EQ(l.First(), &v[4]);
  l.Clear();
  EXPECT_EQ(l.added, 5);
  EXPECT_EQ(l.deleted, 4);
  EXPECT_EQ(l.extracted, 1);
}

TEST(List, IndexErrorsNameTheIndex) {
  int x = 0;
  TList l;
  l.Add(&x);
  struct Case {
    const char* what;
    std::function<void()> op;
    const char16_t* message;
  };
  const Case cases[] = {
      {"Items past the end", [&] { l.Items(1); }, u"List index out of bounds (1)"},
      {"negative", [&] { l.Items(-1); }, u"List index out of bounds (-1)"},
      {"Delete", [&] { l.Delete(3); }, u"List index out of bounds (3)"},
      {"Insert beyond Count", [&] { l.Insert(2, &x); }, u"List index out of bounds (2)"},
      {"Exchange", [&] { l.Exchange(0, 7); }, u"List index out of bounds (7)"},
      {"Move", [&] { l.Move(0, 1); }, u"List index out of bounds (1)"},
      {"Capacity below Count", [&] { l.SetCapacity(0); }, u"List capacity out of bounds (0)"},
  };
  for (const auto& c : cases) {
    try {
      c.op();
      ADD_FAILURE() << c.what;
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), c.message) << c.what;
    }
  }
  l.Insert(1, &x);  // at Count is an append
  EXPECT_EQ(l.Count(), 2);
}

TEST(List, SortSurvivesAnInconsistentComparison) {
  std::vector<int> v(200);
  TList l;
  for (auto& x : v) l.Add(&x);
  unsigned seed = 1;
  l.Sort([&](void*, void*) { return static_cast<int>((seed = seed * 1103515245 + 12345) >> 16) % 3 - 1; });
  EXPECT_EQ(l.Count(), 200);
  for (auto& x : v) EXPECT_GE(l.IndexOf(&x), 0);
}

// ================================================================ string lists

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(U8(s[i]));
  return out;
}

using V = std::vector<std::string>;

TEST(StringList, SortedInsertAndDuplicates) {
  struct Case {
    TDuplicates dup;
    V lines;
    int indexOfSecondB;
  };
  const Case cases[] = {
      {dupIgnore, {"a", "B", "c"}, 1},
      {dupAccept, {"a", "b", "B", "c"}, 1},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetSorted(true);
    l.SetDuplicates(c.dup);
    for (const char* s : {"c", "B", "a"}) l.Add(S(s));
    EXPECT_EQ(l.Add(u"b"), c.indexOfSecondB);
    EXPECT_EQ(Lines(l), c.lines);
  }
  TStringList l;
  l.SetSorted(true);
  l.SetDuplicates(dupError);
  l.Add(u"x");
  try {
    l.Add(u"X");
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"String list does not allow duplicates");
  }
  // Case-sensitive lists tell "X" from "x".
  l.SetCaseSensitive(true);
  l.Add(u"X");
  EXPECT_EQ(l.Count(), 2);
  EXPECT_EQ(l.IndexOf(u"X"), l.Count() - 1 - l.IndexOf(u"x"));
}

TEST(StringList, SortedListsRefusePositionalChangesWithoutLosingLines) {
  TStringList l;
  l.SetCommaText(u"c,a,b");
  l.SetSorted(true);
  EXPECT_EQ(Lines(l), (V{"a", "b", "c"}));
  EXPECT_THROW(l.Insert(0, u"z"), EStringListError);
  EXPECT_THROW(l.Put(0, u"z"), EStringListError);
  EXPECT_THROW(l.Move(0, 2), EStringListError);
  EXPECT_EQ(Lines(l), (V{"a", "b", "c"}));
  EXPECT_EQ(l.UpdateCount(), 0) << "a refused change still ends its batch";
  TStringList dup;
  dup.SetCommaText(u"b,x");
  l.SetDuplicates(dupError);
  EXPECT_THROW(l.AddStrings(&dup), EStringListError);
  EXPECT_EQ(l.UpdateCount(), 0);
  EXPECT_EQ(l.IndexOf(u"B"), 1);
  int at;
  EXPECT_FALSE(l.Find(u"bb", at));
  EXPECT_EQ(at, 2);
  try {
    l.Delete(3);
    FAIL();
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), u"List index out of bounds (3)");
  }
}

TEST(StringList, SortIsCaseInsensitiveForEveryScriptAndCustomSortIsSafe) {
  TStringList l;
  l.SetText(S("Ωmega\nalpha\nBeta\nωa\n"));
  l.Sort();
  EXPECT_EQ(Lines(l), (V{"alpha", "Beta", "ωa", "Ωmega"}));
  unsigned seed = 7;
  l.CustomSort([&](TStringList*, int, int) { return static_cast<int>((seed = seed * 1103515245 + 12345) >> 16) % 3 - 1; });
  EXPECT_EQ(l.Count(), 4);
  EXPECT_GE(l.IndexOf(u"beta"), 0);
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.SetText(u"Key=1\nplain line\nkey=2\nempty=\n=nameless\n");
  EXPECT_EQ(l.IndexOfName(u"KEY"), 0);  // first of two, without case
  EXPECT_EQ(l.Values(u"key"), u"1");
  EXPECT_EQ(l.Names(1), u"");
  EXPECT_EQ(l.ValueFromIndex(1), u"");
  EXPECT_EQ(l.ValueFromIndex(4), u"nameless");
  EXPECT_EQ(l.Values(u"missing"), u"");
  l.SetValue(u"KEY", u"a=b");  // replaces in place, keeping the given spelling
  EXPECT_EQ(l[0], u"KEY=a=b");
  EXPECT_EQ(l.Values(u"key"), u"a=b");
  l.SetValue(u"new", u"v");
  EXPECT_EQ(l[l.Count() - 1], u"new=v");
  l.SetValue(u"key", u"");  // an empty value deletes the first line of that name
  EXPECT_EQ(l.Values(u"key"), u"2");
  l.SetNameValueSeparator(u':');
  l.Add(u"a:b");
  EXPECT_EQ(l.Values(u"A"), u"b");
}

TEST(StringList, CommaTextQuotingRoundTrips) {
  struct Case {
    V lines;
    const char* text;
  };
  const Case cases[] = {
      {{"a", "b"}, "a,b"},
      {{"two words", "x"}, "\"two words\",x"},
      {{"a,b"}, "\"a,b\""},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {{"a", "", "b"}, "a,,b"},
      {{"a", ""}, "a,"},
      {{""}, "\"\""},
      {{}, ""},
      {{"tab\there"}, "\"tab\there\""},
      {{"中文", "名 字"}, "中文,\"名 字\""},
  };
  for (const auto& c : cases) {
    TStringList l;
    for (const auto& s : c.lines) l.Add(S(s));
    EXPECT_EQ(U8(l.CommaText()), c.text);
    TStringList back;
    back.SetCommaText(S(c.text));
    EXPECT_EQ(Lines(back), c.lines) << c.text;
  }
}

TEST(StringList, DelimitedTextParsing) {
  struct Case {
    char16_t delimiter;
    bool strict;
    const char* text;
    V lines;
  };
  const Case cases[] = {
      {u',', false, "a b,c", {"a", "b", "c"}},  // unquoted blanks separate
      {u',', false, "  \"x y\" ,  z  ", {"x y", "z"}},
      {u',', false, "\"unterminated", {"unterminated"}},
      {u',', false, "\"a\"b", {"a", "b"}},
      {u';', false, "1;2;\"3;4\"", {"1", "2", "3;4"}},
      {u';', true, " a b ; c", {" a b ", " c"}},
      {u'|', true, "x||", {"x", "", ""}},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetDelimiter(c.delimiter);
    l.SetStrictDelimiter(c.strict);
    l.SetDelimitedText(S(c.text));
    EXPECT_EQ(Lines(l), c.lines) << c.text;
  }
  TStringList l;
  l.SetDelimiter(u';');
  l.SetStrictDelimiter(true);
  l.SetCommaText(u"a b");  // CommaText keeps its own rules
  EXPECT_EQ(Lines(l), (V{"a", "b"}));
  l.SetDelimitedText(String(u"a\0b;c", 5));  // an embedded NUL never stalls the reader
  EXPECT_EQ(l.Count(), 2);
}

TEST(StringList, TextSplitsAtEveryLineBreakStyle) {
  struct Case {
    const char* text;
    V lines;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n", {"a"}},
      {"\n", {""}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetText(S(c.text));
    EXPECT_EQ(Lines(l), c.lines) << c.text;
  }
  TStringList l;
  l.SetText(u"x\ny");
  EXPECT_EQ(l.Text(), u"x\r\ny\r\n");
  l.SetLineBreak(u"<br>");
  EXPECT_EQ(l.Text(), u"x<br>y<br>");
  l.SetText(u"1<br>2\n3");
  EXPECT_EQ(Lines(l), (V{"1", "2\n3"}));
}

TEST(StringList, StreamsDetectSignaturesAndSaveInTheEncodingFound) {
  struct Case {
    std::string bytes;
    TTextEncoding encoding;
  };
  const Case cases[] = {
      {"\xEF\xBB\xBF" "皮肤\r\nb\r\n", TTextEncoding::UTF8},
      {std::string("\xFF\xFE\x6E\x76\x0D\x00\x0A\x00" "b\x00\x0D\x00\x0A\x00", 14), TTextEncoding::Unicode},
      {std::string("\xFE\xFF\x76\x6E\x00\x0D\x00\x0A\x00" "b\x00\x0D\x00\x0A", 14), TTextEncoding::BigEndianUnicode},
      {"skin\r\nb\r\n", TTextEncoding::Ansi},
  };
  for (const auto& c : cases) {
    TStringStream in(c.bytes);
    TStringList l;
    l.LoadFromStream(&in);
    EXPECT_EQ(l.Encoding(), c.encoding);
    ASSERT_EQ(l.Count(), 2) << c.bytes;
    EXPECT_EQ(l[1], u"b");
    TStringStream out;
    l.SaveToStream(&out);
    EXPECT_EQ(out.Bytes(), c.bytes);
  }
  // A pipe cannot tell its size; the text is read to its end all the same.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ASSERT_EQ(::write(fds[1], "p\nq", 3), 3);
  ::close(fds[1]);
  TStringList piped;
  THandleStream pipeIn(fds[0]);
  piped.LoadFromStream(&pipeIn);
  ::close(fds[0]);
  EXPECT_EQ(Lines(piped), (V{"p", "q"}));

  TStringList l;
  TStringStream half(std::string("\xFF\xFE" "a\x00" "b", 5));  // an odd last byte is dropped
  l.LoadFromStream(&half);
  EXPECT_EQ(Lines(l), (V{"a"}));
}

TEST(StringList, ChangeEventsBracketEachChangeOrOneBatch) {
  TStringList l;
  std::string log;
  l.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    log += "<" + std::to_string(l.Count());
  };
  l.OnChange = [&](TObject*) { log += ">" + std::to_string(l.Count()); };
  l.Add(u"a");
  EXPECT_EQ(log, "<0>1");
  log.clear();
  l.BeginUpdate();
  l.Add(u"b");
  l.BeginUpdate();
  l.Delete(0);
  l.EndUpdate();
  l.Add(u"c");
  EXPECT_EQ(log, "<1");
  l.EndUpdate();
  EXPECT_EQ(log, "<1>2");
  log.clear();
  l.SetText(u"x\ny\nz");  // one batch
  EXPECT_EQ(log, "<2>3");
}

TEST(StringList, AssignAndAddStrings) {
  TObject tag;
  TStringList src;
  src.SetDelimiter(u';');
  src.AddObject(u"one", &tag);
  src.Add(u"two");
  TStringList dst;
  dst.Add(u"old");
  dst.Assign(&src);
  EXPECT_EQ(Lines(dst), (V{"one", "two"}));
  EXPECT_EQ(dst.Objects(0), &tag);
  EXPECT_EQ(dst.IndexOfObject(&tag), 0);
  EXPECT_EQ(dst.DelimitedText(), u"one;two");
  EXPECT_TRUE(dst.Equals(&src));
  dst.AddStrings(&dst);  // from itself
  EXPECT_EQ(Lines(dst), (V{"one", "two", "one", "two"}));
  dst.Move(0, 3);
  dst.Exchange(0, 1);
  EXPECT_EQ(Lines(dst), (V{"one", "two", "two", "one"}));
  EXPECT_EQ(dst.Objects(3), &tag);
}

// ================================================================ collections

class Item : public TCollectionItem {
 public:
  explicit Item(TCollection* c) : TCollectionItem(c), name(u"item" + Utf8ToString(std::to_string(Index()))) {}
  ~Item() override { ++freed; }
  void Assign(TPersistent* source) override {
    if (auto* other = dynamic_cast<Item*>(source)) {
      name = other->name + u"'";
      return;
    }
    TCollectionItem::Assign(source);
  }
  void Touch(bool all) { Changed(all); }
  String name;
  static int freed;
};
int Item::freed = 0;

class ItemList : public TCollection {
 public:
  ItemList() : TCollection(ItemClass<Item>()) {}
  std::vector<std::string> updates;

 protected:
  void Update(TCollectionItem* item) override {
    updates.push_back(item ? U8(static_cast<Item*>(item)->name) : "all");
  }
};

TEST(Collection, ItemsIdsIndexesAndUpdates) {
  Item::freed = 0;
  {
    ItemList c;
    auto* a = static_cast<Item*>(c.Add());
    auto* b = static_cast<Item*>(c.Add());
    EXPECT_EQ(b->name, u"item1");  // an item is in its collection while it is being built
    EXPECT_EQ(c.updates, (V{"all", "all"}));
    c.updates.clear();
    b->Touch(false);
    a->Touch(true);
    EXPECT_EQ(c.updates, (V{"item1", "all"}));

    auto* front = static_cast<Item*>(c.Insert(0));
    EXPECT_EQ(front->Index(), 0);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(front->ID(), 2);
    c.Delete(1);  // a
    EXPECT_EQ(Item::freed, 1);
    EXPECT_EQ(c.FindItemID(0), nullptr);
    EXPECT_EQ(c.FindItemID(1), b);
    EXPECT_EQ(c.Add()->ID(), 3);  // IDs are never reused

    c.updates.clear();
    c.BeginUpdate();
    b->Touch(false);
    c.Add();
    delete b;  // an item freed directly leaves its collection
    c.EndUpdate();
    EXPECT_EQ(c.updates, (V{"all"}));
    EXPECT_EQ(c.Count(), 3);
    EXPECT_EQ(c.Items(0)->Collection(), &c);
    EXPECT_EQ(c.Items(0)->GetOwner(), &c);
    EXPECT_THROW(c.Items(3), EListError);
  }
  EXPECT_EQ(Item::freed, 5);  // the collection frees what is left
}

TEST(Collection, AssignCopiesItemByItem) {
  ItemList src, dst;
  src.Add();
  src.Add();
  dst.Add();
  dst.updates.clear();
  dst.Assign(&src);
  ASSERT_EQ(dst.Count(), 2);
  EXPECT_EQ(static_cast<Item*>(dst.Items(1))->name, u"item1'");
  EXPECT_EQ(dst.updates, (V{"all"}));
  TStringList notACollection;
  EXPECT_THROW(dst.Assign(&notACollection), EConvertError);
}

}  // namespace
