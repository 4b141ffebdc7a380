// Gallery of the list boxes and combo boxes in three stored skins and plain,
// written as PNG files to the build folder: the form, and the open drop-down
// lists of a combo box and an office combo box on their own.
#include <cstdlib>

#include "platform/forms/ImgList.h"
#include "tests/skin/controls/ListsCombosTestUtil.h"

namespace skinctltest {
namespace {

class ListsGalleryTest : public ListsTest {
 protected:
  // Two 24-pixel pictures: a blue square and a green disc.
  void MakeImages() {
    images = std::make_unique<forms::TCustomImageList>(nullptr, 24, 24);
    gdi::TBitmap strip(48, 24);
    strip.Canvas()->Brush()->SetColor(0x2080E0);
    strip.Canvas()->FillRect({0, 0, 24, 24});
    strip.Canvas()->Brush()->SetColor(0x40A040);
    strip.Canvas()->Ellipse(26, 2, 46, 22);
    images->Add(&strip, nullptr);
  }
  void Build(TbsSkinData* skin) {
    form->SetBounds(100, 100, 560, 340);
    form->SetCaption(u"Lists");
    MakeImages();

    list = new TbsSkinListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 170, 150);
    for (const char16_t* s : {u"320x240", u"480x320", u"640x480", u"800x480", u"854x480", u"960x540", u"1280x720",
                              u"1920x1080", u"自定义"})
      list->Items()->Add(s);
    list->SetItemIndex(2);

    captioned = new TbsSkinListBox(form);
    captioned->SetParent(form);
    captioned->SetBounds(10, 170, 170, 150);
    captioned->SetCaptionMode(true);
    captioned->SetCaption(u"帧率");
    for (const char16_t* s : {u"15", u"23.976", u"25", u"29.97", u"30"}) captioned->Items()->Add(s);
    captioned->SetItemIndex(1);

    combo = new TbsSkinComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(200, 10, 150, 20);
    for (const char16_t* s : {u"128kbps", u"160kbps", u"192kbps", u"256kbps", u"320kbps", u"64kbps", u"96kbps",
                              u"112kbps", u"224kbps", u"32kbps"})
      combo->Items()->Add(s);
    combo->SetItemIndex(0);

    dropped = new TbsSkinComboBox(form);
    dropped->SetParent(form);
    dropped->SetBounds(200, 40, 150, 20);
    for (int i = 0; i < 12; ++i) dropped->Items()->Add(u"44100Hz 选项 " + rtl::IntToStr(i));
    dropped->SetItemIndex(3);

    edit = new TbsSkinComboBox(form);
    edit->SetParent(form);
    edit->SetBounds(200, 70, 150, 20);
    for (const char16_t* s : {u"4:3", u"16:9", u"自动"}) edit->Items()->Add(s);
    edit->SetStyle(bscbEditStyle);
    edit->SetItemIndex(1);

    disabled = new TbsSkinComboBox(form);
    disabled->SetParent(form);
    disabled->SetBounds(200, 100, 150, 20);
    disabled->Items()->Add(u"禁用");
    disabled->SetItemIndex(0);
    disabled->SetEnabled(false);

    office = new TbsSkinOfficeComboBox(form);
    office->SetParent(form);
    office->SetBounds(370, 10, 180, 41);
    office->SetToolButtonStyle(true);
    office->SetListBoxItemHeight(50);
    office->SetListBoxHeaderHeight(20);
    office->SetImages(images.get());
    FillCatalogue(office->Items());
    office->SetItemIndex(1);

    officeList = new TbsSkinOfficeListBox(form);
    officeList->SetParent(form);
    officeList->SetBounds(370, 70, 180, 250);
    officeList->SetItemHeight(50);
    officeList->SetImages(images.get());
    officeList->SetShowLines(true);
    FillCatalogue(officeList->Items());
    officeList->SetItemIndex(2);

    if (!skin) return;
    for (TbsSkinControl* c : std::initializer_list<TbsSkinControl*>{list, captioned, combo, dropped, edit, disabled,
                                                                     office, officeList})
      c->SetSkinData(skin);
  }
  static void FillCatalogue(TbsSkinOfficeItems* items) {
    const struct {
      bool header;
      const char16_t* title;
      const char16_t* caption;
      int image;
    } rows[] = {{true, u"", u"Android视频", -1},
                {false, u"Android手机MPEG-4视频(*.mp4)", u"MPEG-4 640x480", 0},
                {false, u"Android手机H.264视频(*.mp4)", u"H.264 高清", 1},
                {true, u"", u"常用音频", -1},
                {false, u"MP3音频(*.mp3)", u"128kbps 44100Hz", 0},
                {false, u"", u"无标题的项", 1}};
    for (auto& r : rows) {
      TbsSkinOfficeItem* it = items->Add();
      it->SetHeader(r.header);
      it->SetTitle(r.title);
      it->SetCaption(r.caption);
      it->SetImageIndex(r.image);
    }
  }
  void SavePopup(forms::TWinControl* popup, const std::string& name) {
    const char* dir = std::getenv("TVL_TEST_PICTURES");
    const std::string path = std::string(dir ? dir : ".") + "/" + name + "_" + kLooks[look] + ".png";
    EXPECT_TRUE(forms::RenderToPng(popup, path)) << path;
  }

  static constexpr const char* kLooks[] = {"plain", "metal", "office2007blue", "mac", "ampix"};
  int look = 0;
  std::unique_ptr<forms::TCustomImageList> images;
  TbsSkinListBox *list = nullptr, *captioned = nullptr;
  TbsSkinComboBox *combo = nullptr, *dropped = nullptr, *edit = nullptr, *disabled = nullptr;
  TbsSkinOfficeComboBox* office = nullptr;
  TbsSkinOfficeListBox* officeList = nullptr;
};

TEST_F(ListsGalleryTest, ListsAndCombosInThreeSkinsAndPlain) {
  RenderGallery("skin_lists", {u"listbox", u"combobox", u"vscrollbar"}, [this](TbsSkinData* skin) { Build(skin); },
                [this] {
                  combo->SetFocus();
                  Pump();
                  dropped->DropDown();
                  win::headless::MouseMove(RowPoint(dropped, 5));
                  Pump();
                  SavePopup(dropped->ListBox(), "skin_lists_dropdown");
                  dropped->CloseUp(false);
                  office->DropDown();
                  win::headless::MouseMove(RowPoint(office, 4));
                  Pump();
                  SavePopup(office->ListBox(), "skin_lists_officedropdown");
                  office->CloseUp(false);
                  Pump();
                  ++look;
                },
                [this](const std::string&) {
                  using testsupport::ExpectStateShows;
                  ExpectStateShows("selected list row", list, [this] { list->SetItemIndex(-1), Pump(); },
                                   [this] { list->SetItemIndex(2), Pump(); });
                  ExpectStateShows("focused combo box", combo, [this] { list->SetFocus(), Pump(); },
                                   [this] { combo->SetFocus(), Pump(); });
                  ExpectStateShows("disabled combo box", disabled, [this] { disabled->SetEnabled(true); },
                                   [this] { disabled->SetEnabled(false); });
                });
}

// Multi-column list boxes: rows flow down then across under a horizontal
// bar; the second one is scrolled to its selected last item.
TEST_F(ListsGalleryTest, MultiColumnListBoxes) {
  TbsSkinListBox *first = nullptr, *last = nullptr;
  RenderGallery(
      "skin_listcolumns", {u"listbox"},
      [&](TbsSkinData* skin) {
        form->SetBounds(100, 100, 400, 320);
        form->SetCaption(u"Columns");
        auto make = [&](int top, int columns, int index) {
          auto* l = new TbsSkinListBox(form);
          l->SetParent(form);
          l->SetBounds(10, top, 370, 125);
          for (int i = 0; i < 23; ++i) l->Items()->Add(u"文件 " + rtl::IntToStr(i + 1) + u".mp4");
          l->SetColumns(columns);
          l->SetItemIndex(index);
          if (skin) l->SetSkinData(skin);
          return l;
        };
        first = make(10, 3, 4);
        last = make(145, 2, 22);
      },
      [&] {
        EXPECT_NE(first->ScrollBar, nullptr);
        EXPECT_NE(last->ScrollBar, nullptr);
        if (last->ScrollBar) {
          EXPECT_EQ(last->ScrollBar->Position(), last->ScrollBar->Max() - 1);
        }
        ++look;
      });
}

// The main window's format picker as it drops down: 277 wide, rows of 60
// with a bold title over an image and a word-wrapped description, separator
// lines. A title wider than its row ends in an ellipsis inside the row: the
// last drawn columns of the title band hold only the dots, low on the line,
// never a glyph cut in the middle.
TEST_F(ListsGalleryTest, FormatPickerTitlesEndInAnEllipsis) {
  const struct {
    const char16_t* title;
    const char16_t* caption;
  } rows[] = {{u"Android手机MPEG-4视频(*.mp4)", u"MPEG-4 640x480"},
              {u"JVC DV摄像机MOD高清视频格式，转换为AVI视频格式(*.avi)", u"JVC MOD高清视频格式转换为AVI视频格式,采用DivX编码格式"},
              {u"3GPP2 -  第三代合作项目2-3G2视频+AMR音频(*.3g2)", u"第三代合作伙伴项目2-3GPP2制定的多媒体格式，手机视频格式.(AMR音频)"},
              {u"Apple TV MPEG-4高压缩视频480P(640X480)(*.mp4)", u"为Apple TV优化的MPEG-4视频预置方案.(640X480高压缩)"},
              {u"MP3音频(*.mp3)", u"128kbps 44100Hz"}};
  TbsSkinOfficeComboBox *picker = nullptr, *face = nullptr;
  RenderGallery(
      "skin_formatpicker", {u"listbox"},
      [&](TbsSkinData* skin) {
        form->SetBounds(100, 100, 300, 330);
        MakeImages();
        auto make = [&](int top, int index) {
          auto* p = new TbsSkinOfficeComboBox(form);
          p->SetParent(form);
          p->SetBounds(10, top, 277, 51);
          p->SetToolButtonStyle(true);
          p->SetImages(images.get());
          p->SetListBoxItemHeight(60);
          p->SetListBoxHeaderHeight(20);
          p->SetListBoxShowItemTitles(true);
          p->SetListBoxShowLines(true);
          p->SetDropDownCount(4);
          for (int i = 0; i < 5; ++i) {
            TbsSkinOfficeItem* it = p->Items()->Add();
            it->SetTitle(rows[i].title);
            it->SetCaption(rows[i].caption);
            it->SetImageIndex(i % 2);
          }
          p->SetItemIndex(index);
          if (skin) p->SetSkinData(skin);
          return p;
        };
        picker = make(10, 0);
        face = make(70, 1);  // closed, showing a long title
      },
      [&] {
        picker->DropDown();
        Pump();
        TbsSkinOfficeListBox* list = picker->ListBox();
        list->CalcItemRects();
        const gdi::Surface* shot = win::headless::BackBuffer(list->Handle());
        ASSERT_NE(shot, nullptr);
        auto px = [&](int x, int y) { return shot->GetPixel(x, y); };
        SavePopup(list, "skin_formatpicker_dropdown");
        // Rows 1 and 2 are not highlighted; their titles are far too long.
        for (int row : {1, 2}) {
          const rtl::TRect r = list->Items()->Items(row)->ItemRect;
          const std::uint32_t ground = px(r.Right - 3, r.Top + 3);
          const int bandTop = r.Top + 2, bandBottom = r.Top + 2 + 16;
          int last = -1;
          for (int x = r.Left; x < r.Right; ++x)
            for (int y = bandTop; y < bandBottom; ++y)
              if (px(x, y) != ground) last = x;
          EXPECT_GT(last, r.Left) << kLooks[look] << " row " << row;
          EXPECT_LE(last, r.Right - 3) << kLooks[look] << " row " << row;
          int top = bandBottom, bottom = bandTop - 1;
          for (int x = last - 10; x <= last; ++x)
            for (int y = bandTop; y < bandBottom; ++y)
              if (px(x, y) != ground) top = std::min(top, y), bottom = std::max(bottom, y);
          EXPECT_LE(bottom - top, 3) << kLooks[look] << " row " << row << ": the title's end is not an ellipsis";
        }
        picker->CloseUp(false);
        Pump();
        ++look;
      });
}

}  // namespace
}  // namespace skinctltest
