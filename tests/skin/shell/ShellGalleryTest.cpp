// Gallery of the shell controls on a fixture tree, plain and in a stored
// skin, written as PNG files to the build folder.
#include <cstdlib>
#include <cstring>

#include "platform/forms/FormRender.h"
#include "platform/rtl/Streams.h"
#include "resources/tvlResources.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "tests/skin/shell/ShellViewsFixture.h"
#include "tests/support/Looks.h"

namespace shellctltest {
namespace {

std::unique_ptr<TbsCompressedStoredSkin> Stored(const std::u16string& name) {
  for (int i = 0; i < resources::StoredSkinCount(); ++i)
    if (resources::StoredSkinName(i) == name) {
      const auto& r = resources::StoredSkin(i);
      auto stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
      rtl::TMemoryStream in;
      in.WriteBuffer(r.Data, rtl::Int64(r.Size));
      stored->LoadFromCompressStream(in);
      return stored;
    }
  return nullptr;
}

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

TEST_F(ShellViewsTest, GalleryOnAFixtureTree) {
  tree.Dir("视频/2024 旅行/第一天");
  tree.Dir("视频/2024 旅行/第二天");
  tree.Dir("视频/毕业典礼");
  tree.Dir("视频/.缓存");
  tree.Dir("音乐");
  for (const char* f : {"海边 日落.mp4", "家庭聚会.avi", "片头.mkv", "配乐.mp3", "录音 01.wav", "封面.jpg",
                        "截图 2.png", "说明.txt", "字幕.srt"})
    tree.File(std::string("视频/2024 旅行/") + f, std::string(1000 + 37 * std::strlen(f), 'x'));
  const std::string shown = tree.Path("视频/2024 旅行");

  struct Look {
    std::u16string Skin;
    std::string File;
  } looks[] = {{u"", "skin_shell_plain.png"}, {u"金属光泽", "skin_shell_metal.png"},
               {u"OFFICE2007蓝色", "skin_shell_office2007blue.png"}};
  std::vector<testsupport::TShot> plain;
  for (const Look& l : looks) {
    delete form;
    form = new forms::TForm(forms::Application);
    form->SetBounds(40, 40, 760, 420);
    form->SetCaption(u"Shell controls");
    form->AfterConstruction();
    form->Show();
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    std::unique_ptr<TbsSkinData> sd;
    if (!l.Skin.empty()) {
      stored = Stored(l.Skin);
      ASSERT_TRUE(stored);
      sd = std::make_unique<TbsSkinData>(nullptr);
      sd->LoadCompressedStoredSkin(stored.get());
    }
    auto* cb = Make<TbsSkinShellComboBox>(250, 8, 500, 24);
    auto* tv = Make<TbsSkinDirTreeView>(8, 8, 215, 380);
    auto* tvBar = Make<TbsSkinScrollBar>(223, 8, 19, 380);
    tvBar->SetKind(sbVertical);
    tvBar->SetSkinDataName(u"vscrollbar");
    auto* lv = Make<TbsSkinFileListView>(250, 40, 481, 160);
    auto* lvBar = Make<TbsSkinScrollBar>(731, 40, 19, 160);
    lvBar->SetKind(sbVertical);
    lvBar->SetSkinDataName(u"vscrollbar");
    auto* icons = Make<TbsSkinFileListView>(250, 210, 500, 178);
    if (sd) {
      cb->SetSkinData(sd.get());
      tv->SetSkinData(sd.get());
      lv->SetSkinData(sd.get());
      icons->SetSkinData(sd.get());
      tvBar->SetSkinData(sd.get());
      lvBar->SetSkinData(sd.get());
    }
    tv->SetVScrollBar(tvBar);
    lv->SetVScrollBar(lvBar);
    lv->SetViewStyle(forms::vsReport);
    lv->SetRowSelect(true);
    tv->SetRoot(U(tree.Root()));
    tv->SetShellComboBox(cb);
    tv->SetShellListView(lv);
    icons->SetRoot(U(shown));
    tv->SetPath(U(shown));
    tv->Selected()->Expand(false);
    lv->SetItemIndex(2);
    Pump();
    EXPECT_EQ(lv->FolderCount(), 11);
    EXPECT_EQ(cb->Path(), U(shown));
    const std::string path = PictureDir() + "/" + l.File;
    EXPECT_TRUE(forms::RenderToPng(form, path)) << path;
    // The selected file's row and the shown folder's node are drawn
    // selected; skinned, every control differs from its plain look.
    SCOPED_TRACE(l.File);
    testsupport::ExpectStateShows("the selected file", lv, [&] { lv->SetItemIndex(-1), Pump(); },
                                  [&] { lv->SetItemIndex(2), Pump(); });
    forms::TControl* parts[] = {cb, tv, tvBar, lv, lvBar, icons};
    for (std::size_t i = 0; i < std::size(parts); ++i) {
      const testsupport::TShot now = testsupport::Shot(parts[i]);
      if (l.Skin.empty())
        plain.push_back(now);
      else
        EXPECT_GT(testsupport::Changed(now, plain[i]), 0.0) << "part " << i << " looks plain";
    }
    // The combo's drop-down list on its own.
    cb->DropDown();
    Pump();
    EXPECT_TRUE(cb->IsPopupVisible());
    EXPECT_TRUE(forms::RenderToPng(cb->ListBox(), PictureDir() + "/dropdown_" + l.File));
    cb->CloseUp(false);
    Pump();
  }
}

}  // namespace
}  // namespace shellctltest
