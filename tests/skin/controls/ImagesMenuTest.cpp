// The images menu headless: grid layout and window size, button and header
// rows, the order of its events, closing without a choice, keyboard moves
// through the grid, placement above a rectangle, the cell looks and hints.
#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinImagesMenu.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

// A hint component that records what it is asked.
struct TRecordingHint : rtl::TComponent, TbsImagesMenuHint {
  explicit TRecordingHint(std::vector<std::string>* l) : TComponent(nullptr), log(l) {}
  void ActivateHint2(const String& h) override { log->push_back("hint " + rtl::StringToUtf8(h)); }
  void HideHint() override { hides++; }
  std::vector<std::string>* log;
  int hides = 0;
};

class ImagesMenuTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    images = new forms::TImageList(form);
    images->SetWidth(16);
    images->SetHeight(16);
    for (rtl::TColor c : {0x0000FF, 0x00FF00, 0xFF0000}) {
      gdi::TBitmap b(16, 16);
      b.Canvas()->Brush()->SetColor(c);
      b.Canvas()->FillRect({0, 0, 16, 16});
      images->Add(&b, nullptr);
    }
    im = new TbsSkinImagesMenu(form);
    im->SetImages(images);
    im->SetColumnsCount(4);
  }
  // The application's loop: its message filters run.
  void Run() {
    for (int i = 0; i < 3; ++i) {
      forms::Application->ProcessMessages();
      win::headless::Pump();
    }
  }
  void PressKey(int vk) {
    win::headless::PressKey(vk);
    Run();
  }
  void AddCells(int n) {
    for (int i = 0; i < n; ++i) im->Items.emplace_back(u"", i % 3);
  }
  TbsSkinImagesMenuPopupWindow* W() { return im->PopupWindow(); }
  rtl::TRect Cell(int i) { return im->Items[std::size_t(i)].ItemRect; }
  win::POINT CellPoint(int i) {
    return {W()->Left() + (Cell(i).Left + Cell(i).Right) / 2, W()->Top() + (Cell(i).Top + Cell(i).Bottom) / 2};
  }
  void Events() {
    im->FOnInternalMenuClose = Logger("internal close");
    im->OnMenuClose = Logger("close");
    im->OnItemClick = Logger("item click");
    im->FOnInternalChange = Logger("internal change");
    im->OnChange = Logger("change");
    for (std::size_t i = 0; i < im->Items.size(); ++i) im->Items[i].FOnClick = Logger("click " + std::to_string(i));
  }

  forms::TImageList* images = nullptr;
  TbsSkinImagesMenu* im = nullptr;
};

TEST_F(ImagesMenuTest, GridCellsAndWindowSize) {
  AddCells(6);
  im->PopupFromRect({200, 200, 260, 225});
  Run();
  ASSERT_TRUE(im->PopupShown());
  const rtl::TRect want[] = {{5, 5, 31, 31},   {31, 5, 57, 31},  {57, 5, 83, 31},
                             {83, 5, 109, 31}, {5, 32, 31, 58},  {31, 32, 57, 58}};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Cell(i), want[i]) << i;
  EXPECT_EQ(W()->Width(), 114);
  EXPECT_EQ(W()->Height(), 63);
  EXPECT_EQ(W()->Left(), 200);
  EXPECT_EQ(W()->Top(), 225) << "below the rectangle";
}

TEST_F(ImagesMenuTest, ButtonAndHeaderRowsSpanTheRow) {
  AddCells(2);
  im->Items.emplace_back(u"More colours", 2);
  im->Items.back().FButton = true;
  im->Items.emplace_back(u"Recent");
  im->Items.back().FHeader = true;
  AddCells(1);
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  EXPECT_EQ(Cell(2), (rtl::TRect{5, 32, 109, 58})) << "a new row, full width";
  EXPECT_EQ(Cell(3), (rtl::TRect{5, 59, 109, 85}));
  EXPECT_EQ(Cell(4), (rtl::TRect{5, 86, 31, 112}));
  EXPECT_EQ(W()->CellAtPos({50, 70}), -1) << "a header is never under the mouse";
  win::headless::MouseMove(CellPoint(3));
  Run();
  EXPECT_EQ(W()->MouseInItem, -1);
  W()->ImagesMenuKeyDown(win::VK_UP);  // none highlighted: the last item
  EXPECT_EQ(W()->MouseInItem, 4);
  W()->ImagesMenuKeyDown(win::VK_UP);  // over the header to the button
  EXPECT_EQ(W()->MouseInItem, 2);
  W()->ImagesMenuKeyDown(win::VK_DOWN);
  EXPECT_EQ(W()->MouseInItem, 4);
}

TEST_F(ImagesMenuTest, ChoosingFiresCloseThenClickThenChange) {
  AddCells(6);
  Events();
  im->SetItemIndex(2);
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  win::headless::Click(CellPoint(5));
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"internal close", "close", "click 5", "item click", "internal change",
                                           "change"}));
  EXPECT_EQ(im->ItemIndex(), 5);
  EXPECT_FALSE(im->PopupShown());

  log.clear();
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  win::headless::Click(CellPoint(5));
  Run();
  EXPECT_EQ(log, (std::vector<std::string>{"internal close", "close", "click 5", "item click"})) << "no change";

  log.clear();
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  PressKey(win::VK_RIGHT);
  PressKey(win::VK_RETURN);
  EXPECT_EQ(im->ItemIndex(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"internal close", "close", "click 0", "item click", "internal change",
                                           "change"}));
}

TEST_F(ImagesMenuTest, EscapeClickOutsideAndRightClickCloseWithoutAChoice) {
  AddCells(6);
  Events();
  im->SetItemIndex(1);
  const std::vector<std::string> closed{"internal close", "close"};
  std::function<void()> closers[] = {
      [&] { PressKey(win::VK_ESCAPE); },
      [&] {
        win::headless::Click(form->ClientToScreen({20, 150}));
        Run();
      },
      [&] {
        win::headless::Click(CellPoint(3), 1);
        Run();
      },
  };
  for (auto& close : closers) {
    log.clear();
    im->PopupFromRect({200, 200, 200, 200});
    Run();
    ASSERT_TRUE(im->PopupShown());
    close();
    EXPECT_FALSE(im->PopupShown());
    EXPECT_EQ(log, closed);
    EXPECT_EQ(im->ItemIndex(), 1);
  }
  // Keys reach the form again.
  int keys = 0;
  form->OnKeyDown = [&](rtl::TObject*, rtl::Word&, forms::TShiftState) { ++keys; };
  Key(win::VK_DOWN);
  EXPECT_EQ(keys, 1);
}

TEST_F(ImagesMenuTest, ArrowKeysMoveThroughTheGrid) {
  AddCells(6);
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  struct Step {
    int key, want;
  } steps[] = {
      {win::VK_DOWN, 0},  {win::VK_DOWN, 4}, {win::VK_DOWN, 4},  // no cell below in the last row
      {win::VK_RIGHT, 5}, {win::VK_RIGHT, 0},                   // wraps to the first
      {win::VK_LEFT, 5},  {win::VK_UP, 1},   {win::VK_UP, 1},   {win::VK_LEFT, 0},
  };
  for (const Step& s : steps) {
    PressKey(s.key);
    EXPECT_EQ(W()->MouseInItem, s.want) << "key " << s.key;
  }
}

TEST_F(ImagesMenuTest, OpensAboveWhenThereIsNoRoomBelow) {
  AddCells(6);
  im->PopupFromRect({300, 960, 340, 980});  // the work area ends at 984
  Run();
  EXPECT_EQ(W()->Top(), 960 - 63);
  im->Hide();
  im->PopupFromRect({1250, 200, 1270, 220});
  Run();
  EXPECT_EQ(W()->Left(), 1280 - 114);
}

TEST_F(ImagesMenuTest, SelectedCellPressedHotCellFramedAndHints) {
  AddCells(6);
  im->Items[4].FHint = u"Blue";
  TRecordingHint hint(&log);
  im->SetSkinHint(&hint);
  im->SetItemIndex(2);
  im->PopupFromRect({200, 200, 200, 200});
  Run();
  win::headless::MouseMove(CellPoint(4));
  Run();
  EXPECT_EQ(W()->MouseInItem, 4);
  EXPECT_EQ(log, (std::vector<std::string>{"hint Blue"}));
  gdi::TBitmap b(W()->Width(), W()->Height());
  W()->PaintTo(b.Canvas()->Handle(), 0, 0);
  auto px = [&](int x, int y) { return b.GetSurface()->GetPixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(px(Cell(2).Left + 2, Cell(2).Top + 2), 0x8593B5u) << "selected: pressed";
  EXPECT_EQ(px(Cell(4).Left + 2, Cell(4).Top + 2), 0xB6BDD2u) << "hot";
  EXPECT_EQ(px(Cell(4).Left, Cell(4).Top), 0x000080u) << "navy frame";
  EXPECT_EQ(px(Cell(1).Left + 2, Cell(1).Top + 2), Rgb(gdi::ColorToRGB(gdi::clWindow)));
  EXPECT_EQ(px(Cell(1).Left + 8, Cell(1).Top + 8), 0x00FF00u) << "image 1";
  im->Hide();
  EXPECT_GE(hint.hides, 1);
  im->SetSkinHint(nullptr);
}

TEST_F(ImagesMenuTest, NothingOpensWithoutImagesOrItems) {
  im->OnMenuPopup = Logger("popup");
  im->PopupFromRect({200, 200, 200, 200});
  EXPECT_FALSE(im->PopupShown()) << "no items";
  AddCells(2);
  im->SetImages(nullptr);
  im->PopupFromRect({200, 200, 200, 200});
  EXPECT_FALSE(im->PopupShown()) << "no images";
  EXPECT_EQ(log, (std::vector<std::string>{"popup", "popup"}));
  im->SetColumnsCount(0);
  im->SetColumnsCount(51);
  EXPECT_EQ(im->ColumnsCount(), 4);
}

}  // namespace
}  // namespace skinctltest
