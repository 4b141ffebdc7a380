// Selection, scrolling and search of a list of rows.
#include <gtest/gtest.h>

#include <vector>

#include "platform/forms/ListModel.h"
#include "platform/rtl/Strings.h"

namespace forms {
namespace {

using TKey = TListModel::TKey;

TListModel Make(int rows, int visibleRows, bool multi = false) {
  TListModel m;
  m.Insert(0, rows);
  m.SetViewport(visibleRows * 16 + 5, 16);  // a part row below the last whole one
  m.SetMultiSelect(multi);
  return m;
}

struct NavCase {
  int start;
  TKey key;
  int index, top;
};

TEST(ListModel, KeysMoveTheSelectionAndKeepItVisible) {
  const std::vector<NavCase> cases = {
      {-1, TKey::Down, 0, 0}, {-1, TKey::Up, 0, 0},    {0, TKey::Up, 0, 0},
      {4, TKey::Down, 5, 1},  {0, TKey::PageDown, 4, 0}, {9, TKey::PageUp, 5, 5},
      {3, TKey::End, 19, 15}, {19, TKey::Home, 0, 0},  {19, TKey::Down, 19, 15},
  };
  for (const NavCase& c : cases) {
    TListModel m = Make(20, 5);
    m.SetItemIndex(c.start);
    m.MakeVisible(c.start);
    m.Navigate(c.key);
    EXPECT_EQ(m.ItemIndex(), c.index) << c.start << " key " << static_cast<int>(c.key);
    EXPECT_EQ(m.TopIndex(), c.top) << c.start << " key " << static_cast<int>(c.key);
  }
  TListModel empty = Make(0, 5);
  EXPECT_FALSE(empty.Navigate(TKey::Down));
  EXPECT_EQ(empty.ItemIndex(), -1);
}

TEST(ListModel, ItemIndexWritesAndRowChangesKeepTheSelectedRow) {
  TListModel m = Make(10, 4);
  m.SetItemIndex(12);
  EXPECT_EQ(m.ItemIndex(), -1);
  m.SetItemIndex(5);
  m.Insert(2);
  EXPECT_EQ(m.ItemIndex(), 6);
  m.Remove(0, 2);
  EXPECT_EQ(m.ItemIndex(), 4);
  m.Remove(4);
  EXPECT_EQ(m.ItemIndex(), -1);
  EXPECT_EQ(m.Count(), 8);
  m.SetTopIndex(100);
  EXPECT_EQ(m.TopIndex(), 4);  // the last page stays full
  m.Remove(0, 6);
  EXPECT_EQ(m.TopIndex(), 0);
}

TEST(ListModel, MultiSelectionWithCtrlShiftAndKeys) {
  TListModel m = Make(10, 4, true);
  m.ClickRow(2);
  m.ClickRow(5, /*shift=*/true);
  EXPECT_EQ(m.SelectedRows(), (std::vector<int>{2, 3, 4, 5}));
  m.ClickRow(3, false, /*ctrl=*/true);
  EXPECT_EQ(m.SelectedRows(), (std::vector<int>{2, 4, 5}));
  EXPECT_EQ(m.CaretRow(), 3);
  m.Navigate(TKey::Down, /*shift=*/true);
  EXPECT_EQ(m.SelectedRows(), (std::vector<int>{3, 4}));
  m.Navigate(TKey::Down);
  EXPECT_EQ(m.SelectedRows(), (std::vector<int>{5}));
  m.SetMultiSelect(false);
  EXPECT_EQ(m.SelCount(), 1);
}

TEST(ListModel, HitTestingAndScrollState) {
  TListModel m = Make(10, 4);
  m.SetTopIndex(3);
  EXPECT_EQ(m.RowAt(0, true), 3);
  EXPECT_EQ(m.RowAt(33, true), 5);
  EXPECT_EQ(m.RowAt(-1, true), 2);
  EXPECT_EQ(m.RowAt(500, true), -1);
  EXPECT_EQ(m.RowAt(500, false), 9);
  EXPECT_EQ(m.RowTop(5), 32);
  auto s = m.VerticalScroll();
  EXPECT_EQ(s.Max, 9);
  EXPECT_EQ(s.Page, 4);
  EXPECT_EQ(s.Pos, 3);
}

TEST(ListModel, PrefixSearchStartsAfterTheIndexAndWraps) {
  const std::vector<rtl::String> items = {u"Apple", u"banana", u"Avocado", u"视频", u"avi"};
  auto text = [&](int i) { return items[i]; };
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"a", -1), 0);
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"a", 0), 2);
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"A", 2), 4);
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"a", 4), 0);
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"视", 0), 3);
  EXPECT_EQ(TListModel::FindPrefix(text, 5, u"z", -1), -1);
  EXPECT_EQ(TListModel::FindPrefix(text, 0, u"a", -1), -1);
}

}  // namespace
}  // namespace forms
