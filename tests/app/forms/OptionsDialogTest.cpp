// The options dialog against option.ini: first start, recognised and repaired
// values, the live-preview hand-off, OK writes and Cancel does not.
#include "app/forms/OptionsDialog.h"

#include <string>
#include <vector>

#include "app/forms/AboutBox.h"

#include "tests/app/forms/AppFormsTestUtil.h"

namespace appformstest {
namespace {

using appforms::TForm5;

class OptionsDialogTest : public AppFormsTest {
 protected:
  TForm5* Make(skin::TbsSkinData* SD = nullptr) {
    ini = std::make_unique<app::TOptionIni>(rtl::Utf8ToString(iniFile));
    return new TForm5(forms::Application, SD, *ini, [this](bool p) { previews.push_back(p); });
  }
  std::unique_ptr<app::TOptionIni> ini;
  std::vector<bool> previews;
};

TEST_F(OptionsDialogTest, FirstStartShowsAndWritesTheDefaults) {
  TForm5* d = Make();
  EXPECT_TRUE(d->LastError().empty());
  EXPECT_EQ(Value("Options", "Thread_Count"), "0");
  EXPECT_EQ(Value("Options", "After_Done"), "0");
  EXPECT_EQ(Value("Options", "Show_Preview"), "0");
  EXPECT_EQ(Value("Options", "Thread_Priority"), "3");
  EXPECT_EQ(Value("Options", "Overwrite_File"), "1");
  EXPECT_EQ(rtl::U8(d->bsSkinComboBox2->Text()), "1");
  EXPECT_TRUE(d->bsSkinCheckRadioBox1->Checked());
  EXPECT_TRUE(d->bsSkinCheckRadioBox6->Checked());
  EXPECT_FALSE(d->OverwriteOutput());
  EXPECT_TRUE(d->bsSkinCheckRadioBox12->Checked());
  EXPECT_FALSE(d->bsSkinCheckRadioBox8->Checked());
  EXPECT_TRUE(d->bsSkinCheckRadioBox7->Checked());
  EXPECT_FALSE(d->bsSkinCheckRadioBox7->Visible());
  EXPECT_TRUE(d->bsSkinComboBox2->Enabled());
  EXPECT_EQ(d->ThreadCount(), 1);
  EXPECT_EQ(previews, std::vector<bool>{false});  // the reader sets the preview box
  EXPECT_EQ(rtl::U8(d->Caption()), "选项");
  // The multi-thread box governs the thread-count box.
  d->bsSkinComboBox2->SetItemIndex(3);
  EXPECT_EQ(d->ThreadCount(), 4);
  d->bsSkinCheckRadioBox7->SetChecked(false);
  EXPECT_FALSE(d->bsSkinComboBox2->Enabled());
  EXPECT_EQ(d->ThreadCount(), 1);
  d->bsSkinCheckRadioBox7->SetChecked(true);
  EXPECT_TRUE(d->bsSkinComboBox2->Enabled());
  EXPECT_EQ(d->bsBusinessSkinForm1->BorderIcons(), skin::TbsBorderIcons{});
}

TEST_F(OptionsDialogTest, StoredValuesAreShownAndBadOnesRepaired) {
  struct Case {
    const char* text;
    int threads, afterDone, priority;
    bool overwrite, preview;
    const char *count, *after, *prio, *over, *show;  // the file afterwards
  } cases[] = {
      {"[Options]\nThread_Count=4\nAfter_Done=3\nShow_Preview=1\nThread_Priority=1\nOverwrite_File=0\n", 4, 3, 1,
       true, true, "4", "3", "1", "0", "1"},
      {"[options]\nthread_count=19\nafter_done=2\nshow_preview=0\nthread_priority=0\noverwrite_file=1\n", 19, 2,
       0, false, false, "19", "2", "0", "1", "0"},
      {"[Options]\nThread_Count=25\nAfter_Done=x\nShow_Preview=yes\nThread_Priority=Error\nOverwrite_File=2\n", 1,
       0, 3, false, false, "0", "0", "3", "1", "0"},
      {"[Options]\nThread_Count=word\nAfter_Done=\nShow_Preview=01\nThread_Priority=4\nOverwrite_File=\n", 1, 0,
       3, false, false, "0", "0", "3", "1", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    WriteIni(c.text);
    previews.clear();
    TForm5* d = Make();
    EXPECT_EQ(d->ThreadCount(), c.threads);
    const app::TConversionOptions o = d->Options();
    EXPECT_EQ(o.AfterDone, c.afterDone);
    EXPECT_EQ(o.ThreadPriority, c.priority);
    EXPECT_EQ(d->OverwriteOutput(), c.overwrite);
    EXPECT_EQ(o.ShowPreview, c.preview);
    // Setting the preview box reaches the engine.
    EXPECT_EQ(previews, std::vector<bool>{c.preview});
    EXPECT_EQ(Value("Options", "Thread_Count"), c.count);
    EXPECT_EQ(Value("Options", "After_Done"), c.after);
    EXPECT_EQ(Value("Options", "Thread_Priority"), c.prio);
    EXPECT_EQ(Value("Options", "Overwrite_File"), c.over);
    EXPECT_EQ(Value("Options", "Show_Preview"), c.show);
    delete d;
  }
}

TEST_F(OptionsDialogTest, OkWritesTheChoicesAndTheNextDialogReadsThem) {
  TForm5* d = Make();
  d->OnShow = [&](rtl::TObject*) {
    QueueSeparateClick(d->bsSkinCheckRadioBox5, 6);
    QueueSeparateClick(d->bsSkinCheckRadioBox3, 6);
    QueueSeparateClick(d->bsSkinCheckRadioBox9, 6);
    QueueSeparateClick(d->bsSkinCheckRadioBox8, 6);
    QueueSeparateClick(d->bsSkinButton6);
  };
  d->bsSkinComboBox2->SetItemIndex(5);
  EXPECT_EQ(d->Execute(), forms::mrOk);
  EXPECT_FALSE(d->Visible());
  EXPECT_EQ(previews, (std::vector<bool>{false, true}));
  EXPECT_EQ(Value("Options", "Thread_Count"), "6");
  EXPECT_EQ(Value("Options", "After_Done"), "3");
  EXPECT_EQ(Value("Options", "Show_Preview"), "1");
  EXPECT_EQ(Value("Options", "Thread_Priority"), "0");
  EXPECT_EQ(Value("Options", "Overwrite_File"), "0");
  delete d;
  TForm5* next = Make();
  EXPECT_EQ(next->ThreadCount(), 6);
  EXPECT_TRUE(next->bsSkinCheckRadioBox5->Checked());
  EXPECT_TRUE(next->OverwriteOutput());
  EXPECT_TRUE(next->bsSkinCheckRadioBox9->Checked());
  EXPECT_TRUE(next->bsSkinCheckRadioBox8->Checked());
}

TEST_F(OptionsDialogTest, CancelKeepsTheFileButTheControlsKeepTheChoice) {
  TForm5* d = Make();
  const std::string before = IniText();
  d->OnShow = [&](rtl::TObject*) {
    QueueSeparateClick(d->bsSkinCheckRadioBox10, 6);
    QueueSeparateClick(d->bsSkinButton1);
  };
  EXPECT_EQ(d->Execute(), forms::mrCancel);
  EXPECT_EQ(IniText(), before);
  EXPECT_EQ(d->Options().ThreadPriority, 1);
  // The frame's own close (Escape on the cancel button) also writes nothing.
  d->OnShow = [&](rtl::TObject*) { win::headless::PressKey(win::VK_ESCAPE); };
  EXPECT_EQ(d->Execute(), forms::mrCancel);
  EXPECT_EQ(IniText(), before);
}

TEST_F(OptionsDialogTest, AFileThatCannotBeWrittenDoesNotStopTheCreation) {
  // A folder where the file should be: nothing can be read or written there.
  iniFile = (dir / "blocked").string();
  fs::create_directories(dir / "blocked");
  TForm5* d = Make();
  EXPECT_NE(rtl::U8(d->LastError()).find("Unable to write to"), std::string::npos);
  EXPECT_TRUE(d->bsSkinCheckRadioBox12->Checked());
  EXPECT_TRUE(d->bsSkinCheckRadioBox6->Checked());
}

}  // namespace
}  // namespace appformstest

namespace appformstest {
namespace {

// A label counts as skinned also where the skin describes no labels: it then
// draws in the skin's colours.
template <class L>
bool LabelSkinned(const forms::TControl* C, skin::TbsSkinData* SD) {
  const auto* l = dynamic_cast<const L*>(C);
  return l && l->SkinData() == SD && (l->SkinIndex() != -1 || SD->GetControlIndex(l->SkinDataName()) == -1);
}

// The names of the shown controls of F that keep the plain look under the
// skin SD (pictures have none).
std::vector<std::string> PlainControls(forms::TWinControl* F, skin::TbsSkinData* SD) {
  std::vector<std::string> plain;
  for (int i = 0; i < F->ControlCount(); ++i) {
    forms::TControl* c = F->Controls(i);
    if (!c->Visible() || dynamic_cast<forms::TImage*>(c)) continue;
    const auto* w = dynamic_cast<skin::TbsSkinControl*>(c);
    const auto* g = dynamic_cast<skin::TbsGraphicSkinControl*>(c);
    const bool skinned = (w && w->SkinIndex() != -1) || (g && g->SkinIndex() != -1) ||
                         LabelSkinned<skin::TbsSkinStdLabel>(c, SD) || LabelSkinned<skin::TbsSkinLinkLabel>(c, SD);
    if (!skinned) plain.push_back(rtl::U8(c->Name()));
    if (auto* p = dynamic_cast<forms::TWinControl*>(c)) {
      const std::vector<std::string> inner = PlainControls(p, SD);
      plain.insert(plain.end(), inner.begin(), inner.end());
    }
  }
  return plain;
}

// Under a stored skin every shown control of the options dialog and the
// About box takes its skin description, the thread-count box among them:
// none keeps the plain look.
TEST_F(OptionsDialogTest, EveryShownControlOfTheDialogsTakesTheSkin) {
  for (int index : {0, 1, 6}) {
    skin::TbsSkinData* sd = Skin(index);
    app::TOptionIni ini(rtl::Utf8ToString(iniFile));
    auto* options = new appforms::TForm5(forms::Application, sd, ini);
    auto* about = new appforms::TForm2(forms::Application, sd);
    for (forms::TForm* f : {static_cast<forms::TForm*>(options), static_cast<forms::TForm*>(about)}) {
      f->Show();
      Pump();
      EXPECT_EQ(PlainControls(f, sd), std::vector<std::string>{}) << "skin " << index << ", " << rtl::U8(f->Name());
    }
    EXPECT_NE(options->bsSkinComboBox2->SkinIndex(), -1);
    EXPECT_EQ(options->bsSkinComboBox2->Style(), skin::bscbFixedStyle);
    delete options;
    delete about;
    Pump();
  }
}

}  // namespace
}  // namespace appformstest
