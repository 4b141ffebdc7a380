// Gallery: the options dialog and the About box in four stored skins (a dark
// one among them) and in the plain look, written as PNG files to the build
// folder.
#include "app/forms/AboutBox.h"
#include "app/forms/OptionsDialog.h"
#include "tests/app/forms/AppFormsTestUtil.h"
#include "tests/support/Looks.h"

namespace appformstest {
namespace {

class DialogsGalleryTest : public AppFormsTest {
 protected:
  template <class Make>
  void Render(const std::string& Prefix, Make make) {
    const struct {
      int index;
      const char* name;
    } looks[] = {{-1, "plain"}, {0, "office2007blue"}, {1, "metal"}, {3, "mac"}, {6, "ampix"}};
    testsupport::TShot plain;
    for (const auto& l : looks) {
      skin::TbsSkinData* sd = l.index < 0 ? nullptr : Skin(l.index);
      forms::TForm* f = make(sd);
      f->Show();
      win::SetForegroundWindow(f->Handle());
      Advance(100);
      EXPECT_TRUE(forms::RenderToPng(f, PictureDir() + "/" + Prefix + "_" + l.name + ".png"));
      // Skinned, the dialog is not drawn as the plain one; its focused
      // control is drawn focused.
      SCOPED_TRACE(Prefix + "_" + l.name);
      const testsupport::TShot now = testsupport::Shot(f);
      if (l.index < 0)
        plain = now;
      else
        EXPECT_GT(testsupport::Changed(now, plain), 0.0) << "drawn as in the plain look";
      forms::TWinControl* focused = f->ActiveControl();
      forms::TWinControl* next = focused ? f->FindNextControl(focused, true, true, false) : nullptr;
      EXPECT_NE(focused, nullptr) << "nothing focused";
      if (focused && next && next != focused)
        testsupport::ExpectStateShows("the focused control", focused, [&] { next->SetFocus(), Advance(100); },
                                      [&] { focused->SetFocus(), Advance(100); });
      delete f;
      Pump();
    }
  }
};

TEST_F(DialogsGalleryTest, OptionsDialogAndAboutBox) {
  app::TOptionIni ini(rtl::Utf8ToString(iniFile));
  Render("form5", [&](skin::TbsSkinData* sd) { return new appforms::TForm5(forms::Application, sd, ini); });
  Render("form2", [&](skin::TbsSkinData* sd) { return new appforms::TForm2(forms::Application, sd); });
}

}  // namespace
}  // namespace appformstest
