// Item identifier lists: the paths of the shell namespace.
//
// A list is a run of items, each a 16-bit little-endian byte count `cb` (the
// two count bytes included) followed by cb - 2 bytes of payload, ended by a
// terminator item whose cb is 0. The list holding only the terminator (the
// empty list) names the desktop. Having no list (a null pointer) is distinct
// from the empty list.
//
// Payload of our items: one kind byte, one flag byte, then bytes:
//   'V' a virtual folder; the bytes are its id ("computer")
//   'M' a file-system folder reached directly (home, user folders, mount
//       points, "/"); the bytes are its absolute path
//   'N' one name inside the folder before it; the bytes are the file name as
//       the file system holds it (not necessarily UTF-8)
// The flag byte records what enumeration saw (folder, link); it never takes
// part in equality.
//
// Every list made here comes from malloc and is freed with ItemListRelease.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

using PItemIDList = std::uint8_t*;
using PCItemIDList = const std::uint8_t*;

enum class TItemKind : std::uint8_t { Virtual = 'V', Mount = 'M', Name = 'N' };
constexpr std::uint8_t ifFolder = 0x01;
constexpr std::uint8_t ifLink = 0x02;

// Zero-filled block of Size bytes, or null when memory is short.
PItemIDList ItemListAlloc(std::size_t Size);
void ItemListRelease(PCItemIDList List);
// The item after the first one of List (List must not be the terminator).
PCItemIDList ItemListNextId(PCItemIDList List);
int ItemListCount(PCItemIDList List);
// Whether List is at its terminator (an empty list, or the end of one).
inline bool ItemListAtEnd(PCItemIDList List) { return List[0] == 0 && List[1] == 0; }
// Sum of the items' cb plus 2 for the terminator; 0 for null.
std::size_t ItemListByteSize(PCItemIDList List);
PItemIDList ItemListClone(PCItemIDList List);
// First (may be null) without its terminator, then Second with its terminator.
PItemIDList ItemListJoin(PCItemIDList First, PCItemIDList Second);
// Cuts the last item off in place; an empty or null list stays as it is.
void ItemListStripLast(PItemIDList List);
// A copy of the last item as a one-item list (the empty list for the empty list).
PItemIDList ItemListLastId(PCItemIDList List);
// New copies of every proper prefix of List, shortest first.
std::vector<PItemIDList> ItemListAncestors(PCItemIDList List);
void ItemListAncestorsFree(std::vector<PItemIDList>& Lists);
// Byte-wise equality, flags ignored (see ItemListsEqual for path equality).
bool ItemListsSame(PCItemIDList A, PCItemIDList B);

// --- Our items --------------------------------------------------------------

PItemIDList MakeItem(TItemKind Kind, std::uint8_t Flags, std::string_view Bytes);
PItemIDList EmptyItemList();

// The first item of a list, read. Kind 0 for the terminator.
struct TItemView {
  TItemKind Kind{};
  std::uint8_t Flags = 0;
  std::string_view Bytes;
  bool Valid = false;
};
TItemView ReadItem(PCItemIDList Item);
// The last item of List; Valid false for the empty list or null.
TItemView LastItem(PCItemIDList List);

// Owning holder for code that keeps lists in containers.
class TItemList {
 public:
  TItemList() = default;
  explicit TItemList(PItemIDList Owned) : p_(Owned) {}
  TItemList(const TItemList& o) : p_(ItemListClone(o.p_)) {}
  TItemList(TItemList&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
  TItemList& operator=(TItemList o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~TItemList() { ItemListRelease(p_); }
  PItemIDList get() const { return p_; }
  PItemIDList release() {
    PItemIDList p = p_;
    p_ = nullptr;
    return p;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  PItemIDList p_ = nullptr;
};

}  // namespace shell
