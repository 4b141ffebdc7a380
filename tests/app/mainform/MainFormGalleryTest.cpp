// Gallery: the main window in every stored skin, with the empty-queue
// picture and with rows in the queue, written as PNG files to the build
// folder (TVL_TEST_PICTURES, else the working folder).
#include <cstdlib>

#include "platform/forms/FormRender.h"
#include "resources/tvlResources.h"
#include "tests/app/mainform/MainFormTestUtil.h"
#include "tests/support/Looks.h"

namespace mainformtest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

TEST_F(MainFormTest, GalleryOfEveryStoredSkin) {
  Create();
  Show();
  std::vector<testsupport::TShot> empty, emptyStart;
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    form->ApplySkin(i);
    Pump();
    ASSERT_EQ(form->bsSkinData1->SkinIndex(), i);
    EXPECT_EQ(form->ClientWidth(), 805) << i;
    EXPECT_EQ(form->ClientHeight(), 541) << i;
    // The menu bar keeps the row the layout gives it in every skin.
    EXPECT_EQ(form->bsSkinMainMenuBar1->Height(), form->bsSkinToolBar2->Top()) << i;
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/mainform_skin" + std::to_string(i) + "_empty.png"));
    empty.push_back(testsupport::Shot(form));
    emptyStart.push_back(testsupport::Shot(form->bsSkinButton2));
    // Each skin draws the window its own way.
    for (int k = 0; k < i; ++k)
      EXPECT_GT(testsupport::Changed(empty[std::size_t(i)], empty[std::size_t(k)]), 0.0) << i << " as " << k;
  }
  const std::string a = Clip("旅行片段.avi"), b = Clip("b.avi");
  AddFiles({a, b, a});
  ASSERT_EQ(form->RowCount(), 3);
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    form->ApplySkin(i);
    Pump();
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/mainform_skin" + std::to_string(i) + "_rows.png"));
    // The start command, off on the empty queue, is drawn on; the selected
    // row is drawn selected.
    SCOPED_TRACE(i);
    EXPECT_GT(testsupport::Changed(testsupport::Shot(form->bsSkinButton2), emptyStart[std::size_t(i)]), 0.0)
        << "the start button as on the empty queue";
    const int selected = form->SelectedRow();
    ASSERT_GE(selected, 0);
    testsupport::ExpectStateShows("the selected row", form->lvFiles, [&] { form->lvFiles->SetItemIndex(-1), Pump(); },
                                  [&] { form->lvFiles->SetItemIndex(selected), Pump(); });
  }
}

}  // namespace
}  // namespace mainformtest
