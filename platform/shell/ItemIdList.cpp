#include "platform/shell/ItemIdList.h"

#include <cstdlib>
#include <cstring>

namespace shell {

namespace {

std::uint16_t Cb(PCItemIDList p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void PutCb(PItemIDList p, std::size_t cb) {
  p[0] = static_cast<std::uint8_t>(cb & 0xFF);
  p[1] = static_cast<std::uint8_t>(cb >> 8);
}

// Start of the last item, or null for the empty list.
PCItemIDList LastItemStart(PCItemIDList List) {
  PCItemIDList last = nullptr;
  for (PCItemIDList p = List; Cb(p) != 0; p += Cb(p)) last = p;
  return last;
}

}  // namespace

PItemIDList ItemListAlloc(std::size_t Size) {
  return static_cast<PItemIDList>(std::calloc(Size ? Size : 1, 1));
}

void ItemListRelease(PCItemIDList List) { std::free(const_cast<PItemIDList>(List)); }

PCItemIDList ItemListNextId(PCItemIDList List) { return List + Cb(List); }

int ItemListCount(PCItemIDList List) {
  int n = 0;
  if (!List) return 0;
  for (PCItemIDList p = List; Cb(p) != 0; p += Cb(p)) ++n;
  return n;
}

std::size_t ItemListByteSize(PCItemIDList List) {
  if (!List) return 0;
  std::size_t size = 2;
  for (PCItemIDList p = List; Cb(p) != 0; p += Cb(p)) size += Cb(p);
  return size;
}

PItemIDList ItemListClone(PCItemIDList List) {
  if (!List) return nullptr;
  const std::size_t size = ItemListByteSize(List);
  PItemIDList r = ItemListAlloc(size);
  if (r) std::memcpy(r, List, size);
  return r;
}

PItemIDList ItemListJoin(PCItemIDList First, PCItemIDList Second) {
  const std::size_t first = First ? ItemListByteSize(First) - 2 : 0;
  const std::size_t second = ItemListByteSize(Second);
  PItemIDList r = ItemListAlloc(first + second);
  if (!r) return nullptr;
  if (first) std::memcpy(r, First, first);
  if (second) std::memcpy(r + first, Second, second);
  return r;
}

void ItemListStripLast(PItemIDList List) {
  if (!List) return;
  if (PCItemIDList last = LastItemStart(List)) PutCb(const_cast<PItemIDList>(last), 0);
}

PItemIDList ItemListLastId(PCItemIDList List) {
  PCItemIDList last = List ? LastItemStart(List) : nullptr;
  return ItemListClone(last ? last : List);
}

std::vector<PItemIDList> ItemListAncestors(PCItemIDList List) {
  std::vector<PItemIDList> r;
  const int n = ItemListCount(List);
  PItemIDList work = ItemListClone(List);
  for (int i = n; i > 0; --i) {
    ItemListStripLast(work);
    r.insert(r.begin(), ItemListClone(work));
  }
  ItemListRelease(work);
  return r;
}

void ItemListAncestorsFree(std::vector<PItemIDList>& Lists) {
  for (PItemIDList l : Lists) ItemListRelease(l);
  Lists.clear();
}

bool ItemListsSame(PCItemIDList A, PCItemIDList B) {
  if (!A || !B) return A == B;
  for (;; A += Cb(A), B += Cb(B)) {
    if (Cb(A) != Cb(B)) return false;
    if (Cb(A) == 0) return true;
    TItemView a = ReadItem(A), b = ReadItem(B);
    if (a.Kind != b.Kind || a.Bytes != b.Bytes) return false;
  }
}

PItemIDList MakeItem(TItemKind Kind, std::uint8_t Flags, std::string_view Bytes) {
  // An item must fit its 16-bit count; names and paths of the file system do.
  const std::size_t cb = 4 + Bytes.size();
  if (cb > 0xFFFF) return nullptr;
  PItemIDList r = ItemListAlloc(cb + 2);
  if (!r) return nullptr;
  PutCb(r, cb);
  r[2] = static_cast<std::uint8_t>(Kind);
  r[3] = Flags;
  std::memcpy(r + 4, Bytes.data(), Bytes.size());
  return r;  // the terminator is already zero
}

PItemIDList EmptyItemList() { return ItemListAlloc(2); }

TItemView ReadItem(PCItemIDList Item) {
  TItemView v;
  if (!Item || Cb(Item) < 4) return v;
  v.Kind = static_cast<TItemKind>(Item[2]);
  v.Flags = Item[3];
  v.Bytes = std::string_view(reinterpret_cast<const char*>(Item + 4), Cb(Item) - 4u);
  v.Valid = true;
  return v;
}

TItemView LastItem(PCItemIDList List) {
  return List ? ReadItem(LastItemStart(List)) : TItemView{};
}

}  // namespace shell
