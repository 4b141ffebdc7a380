// The whole main window as the user meets it, headless: the queue's bars,
// the skin loaded at start-up, folders in name order, the pickers that say
// what a row converts with (checked on the outputs with ffprobe), the add
// commands after a run and Clear, and a refused output that stops Start.
#include <algorithm>
#include <numeric>

#include "app/tables/PresetTexts.h"
#include "engine/MyUtils.h"
#include "platform/forms/FormRender.h"
#include "platform/rtl/SysUtils.h"
#include "resources/tvlResources.h"
#include "skin/data/bsSkinFormRegistry.h"
#include "tests/app/mainform/MainFormRunTestUtil.h"

namespace mainformtest {
namespace {

using app::TForm1;

// ---------------------------------------------------------------- the queue's bars

class MainFormWindowTest : public MainFormTest {
 protected:
  void Key(int vk) {
    win::headless::PressKey(vk);
    Pump();
  }
  // The bar and the list agree; the selected row is on the page.
  void ExpectInStep(const char* what) {
    auto* v = form->bsSkinScrollBar2;
    const int page = form->lvFiles->GetCountPerPage();
    ASSERT_TRUE(v->Visible()) << what;
    EXPECT_EQ(v->Position(), form->lvFiles->TopIndex()) << what;
    EXPECT_EQ(v->PageSize(), page) << what;
    const int sel = form->lvFiles->ItemIndex();
    if (sel >= 0) {
      EXPECT_GE(sel, form->lvFiles->TopIndex()) << what;
      EXPECT_LT(sel, form->lvFiles->TopIndex() + page) << what;
    }
  }
};

TEST_F(MainFormWindowTest, QueueBarsShowForOverflowAndFollowWheelKeysAndMovesInEverySkin) {
  Create();
  Show();
  const std::string clip = Clip("bar clip.avi", 1);
  auto* v = form->bsSkinScrollBar2;
  auto* h = form->bsSkinScrollBar1;
  EXPECT_EQ(form->lvFiles->VScrollBar(), v);
  EXPECT_EQ(form->lvFiles->HScrollBar(), h);
  EXPECT_EQ(v->Kind(), forms::sbVertical);
  EXPECT_FALSE(v->Visible());
  EXPECT_FALSE(h->Visible());

  const int page = form->lvFiles->GetCountPerPage();
  ASSERT_GE(page, 6);
  AddFiles(std::vector<std::string>(std::size_t(page), clip));
  Pump();
  ASSERT_EQ(form->RowCount(), page);
  EXPECT_FALSE(v->Visible()) << "a full page needs no bar";
  const int listWidth = form->lvFiles->Width();
  AddFiles(std::vector<std::string>(std::size_t(14 - page), clip));
  Pump();
  ASSERT_EQ(form->RowCount(), 14);
  ASSERT_TRUE(v->Visible()) << "rows beyond the page";
  EXPECT_EQ(form->lvFiles->Width(), listWidth - v->Width()) << "the bar takes its room from the list";
  EXPECT_EQ(v->Max(), 13);
  EXPECT_FALSE(h->Visible());

  form->lvFiles->SetFocus();
  for (int skin = 0; skin < resources::StoredSkinCount(); ++skin) {
    SCOPED_TRACE("skin " + std::to_string(skin));
    form->ApplySkin(skin);
    form->lvFiles->SetFocus();
    Pump();
    Key(win::VK_HOME);
    EXPECT_EQ(form->lvFiles->ItemIndex(), 0);
    ExpectInStep("home");
    EXPECT_EQ(v->Position(), 0);
    win::headless::Wheel(form->lvFiles->ClientToScreen({60, 60}), -120);
    Pump();
    EXPECT_GT(form->lvFiles->TopIndex(), 0) << "the wheel scrolls the list";
    EXPECT_EQ(v->Position(), form->lvFiles->TopIndex());
    Key(win::VK_END);
    EXPECT_EQ(form->lvFiles->ItemIndex(), 13);
    ExpectInStep("end");
    EXPECT_EQ(v->Position(), 14 - page);
    // Moving the last row up to the top keeps it in view all the way.
    for (int i = 0; i < 13; ++i) {
      form->bsSkinButton3->ButtonClick();
      Pump();
    }
    EXPECT_EQ(form->lvFiles->ItemIndex(), 0);
    ExpectInStep("moved to the top");
    EXPECT_EQ(v->Position(), 0);
    form->bsSkinButton4->ButtonClick();
    Pump();
    ExpectInStep("moved down");
    // The bar drags the list.
    v->SetPosition(v->Max() - v->PageSize() + 1);
    Pump();
    EXPECT_EQ(form->lvFiles->TopIndex(), 14 - page);
  }

  // Columns wider than the list bring the horizontal bar.
  form->lvFiles->Columns()->Items(0)->SetWidth(900);
  Pump();
  EXPECT_TRUE(h->Visible());
  EXPECT_TRUE(h->Both()) << "with the vertical bar, the corner square";
  form->btnClear->Click();
  Pump();
  EXPECT_FALSE(v->Visible());
}

// The main window as the application's main form (whose hint component
// every hint uses), with the test's environment.
struct TMainForm1 : app::TForm1 {
  static inline app::TMainFormEnvironment Env;
  explicit TMainForm1(rtl::TComponent* owner) : TForm1(owner, Env) {}
};

// Gallery: fourteen rows and the hint of the queue's move-down button, in
// two light and two dark skins; each picture is the window with the hint
// window laid over it where it shows on the screen.
TEST_F(MainFormWindowTest, GalleryOfFourteenRowsAndAHintInFourSkins) {
  TMainForm1::Env.OptionIniFile = S((home / "option.ini").string());
  TMainForm1::Env.Dialogs = &dialogs;
  TMainForm1::Env.CreatePlayer = false;
  form = forms::Application->CreateForm<TMainForm1>();
  Show();
  AddFiles(std::vector<std::string>(14, Clip("旅行片段.avi", 1)));
  ASSERT_EQ(form->RowCount(), 14);
  const char* dir = std::getenv("TVL_TEST_PICTURES");
  const std::string pictures = dir ? dir : ".";
  for (int skin : {0, 4, 6, 8}) {
    SCOPED_TRACE("skin " + std::to_string(skin));
    form->ApplySkin(skin);
    Pump();
    forms::Application->CancelHint();
    win::headless::MouseMove(form->bsSkinButton4->ClientToScreen({4, 4}));
    Pump();
    for (int t = 0; t < forms::Application->HintPause + 50; t += 10) {
      win::headless::AdvanceClock(10);
      Pump();
    }
    auto* hint = dynamic_cast<skin::TbsSkinHintWindow*>(forms::Application->HintWindow());
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(hint->Visible());
    EXPECT_EQ(hint->Caption(), u"下移");
    EXPECT_EQ(hint->SkinInUse(), form->bsSkinData1);
    EXPECT_TRUE(form->bsSkinScrollBar2->Visible());
    const std::string base = pictures + "/mainform_skin" + std::to_string(skin) + "_14rows";
    ASSERT_TRUE(forms::RenderToPng(form, base + "_window.png"));
    ASSERT_TRUE(forms::RenderToPng(hint, base + "_hint.png"));
    win::RECT fr, hr;
    win::GetWindowRect(form->Handle(), &fr);
    win::GetWindowRect(hint->Handle(), &hr);
    const std::string cmd = "convert '" + base + "_window.png' '" + base + "_hint.png' -geometry +" +
                            std::to_string(hr.Left - fr.Left) + "+" + std::to_string(hr.Top - fr.Top) +
                            " -composite '" + base + "_hint_over.png' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
  }
}

// ---------------------------------------------------------------- skin at start-up

// Counts the skins loaded: the registry that delivers the skin messages,
// wrapped.
class TCountingRegistry : public skin::IbsSkinFormRegistry {
 public:
  explicit TCountingRegistry(skin::IbsSkinFormRegistry* inner) : inner_(inner) {}
  std::vector<skin::IbsSkinForm*> Forms() const override {
    std::vector<skin::IbsSkinForm*> forms = inner_ ? inner_->Forms() : std::vector<skin::IbsSkinForm*>{};
    forms.push_back(const_cast<TCountingForm*>(&counter_));
    return forms;
  }
  skin::IbsSkinForm* FormOf(const rtl::TComponent* c) const override { return inner_ ? inner_->FormOf(c) : nullptr; }
  std::vector<int> Loaded() const { return counter_.loaded; }

 private:
  struct TCountingForm : skin::IbsSkinForm {
    rtl::String FormClassName() const override { return u"TCounter"; }
    void SendSkinMessage(unsigned msg, std::uintptr_t w, std::intptr_t) override {
      if (msg == skin::MSG_SKIN_CHANGED) loaded.push_back(reinterpret_cast<skin::TbsSkinData*>(w)->SkinIndex());
    }
    std::vector<int> loaded;
  };
  skin::IbsSkinFormRegistry* inner_;
  TCountingForm counter_;
};

TEST_F(MainFormWindowTest, StartUpLoadsTheFormsSkinOnceThenTheStoredChoice) {
  struct Case {
    const char* stored;  // SetSkin in option.ini; nullptr: none
    std::vector<int> loaded;
  };
  for (const Case& c : {Case{"1", {1}}, Case{"4", {1, 4}}, Case{nullptr, {1, 0}}}) {
    SCOPED_TRACE(c.stored ? c.stored : "none");
    fs::remove(home / "option.ini");
    if (c.stored) std::ofstream(home / "option.ini") << "[Skin]\nSetSkin=" << c.stored << "\n";
    skin::IbsSkinFormRegistry* inner = skin::SkinFormRegistry();
    TCountingRegistry counting(inner);
    skin::SetSkinFormRegistry(&counting);
    Create();
    skin::SetSkinFormRegistry(inner);
    EXPECT_EQ(counting.Loaded(), c.loaded);
    EXPECT_EQ(form->bsSkinData1->SkinIndex(), c.loaded.back());
    EXPECT_EQ(form->bsSkinData1->ResourceStrData(), form->bsResourceStrData1);
    delete form;
    form = nullptr;
  }
}

// ---------------------------------------------------------------- folders

TEST_F(MainFormWindowTest, AFolderIsListedInNameOrderAndWalkedFromItsLastName) {
  Create();
  const fs::path folder = home / "片段";
  fs::create_directories(folder);
  const std::string clip = Clip("folder clip.avi", 1);
  const std::vector<std::string> order = {"Clip1.avi", "clip2.avi", "CLIP3.avi", "clip10.avi", "Clip20.avi"};
  for (const char* name : {"clip10.avi", "CLIP3.avi", "Clip20.avi", "Clip1.avi", "clip2.avi"})
    fs::copy_file(clip, folder / name);
  dialogs.FolderAnswers.push_back(S(folder.string()));
  form->Button12->Click();
  ASSERT_EQ(form->ListBox1->Items()->Count(), int(order.size()));
  ASSERT_EQ(form->RowCount(), int(order.size())) << U(form->mmoLog->Lines()->Text());
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(form->ListBox1->Items()->Get(int(i)), S((folder / order[i]).string())) << i;
    EXPECT_EQ(Caption(int(order.size() - 1 - i)), S((folder / order[i]).string())) << i;
  }
}

// An error inside the selection handling ends it silently: the pickers keep
// what the steps before the error set.
TEST_F(MainFormWindowTest, AnErrorWhileSelectingARowEndsTheHandlingSilently) {
  Create();
  const std::string clip = Clip("guarded.avi", 1);
  AddOne(clip);
  form->bsSkinOfficeComboBox2->SetIndex(5);  // the row's format changes to the first audio one
  ASSERT_EQ(form->RowCount(), 1);
  form->lvFiles->SetItemIndex(-1);
  form->bsSkinOfficeComboBox2->SetIndex(0);  // no row selected: only the pickers
  // The last step, opening the preview, fails.
  form->Button31->OnClick = [](rtl::TObject*) { throw rtl::Exception(u"no preview"); };
  EXPECT_NO_THROW(form->lvFiles->SetItemIndex(0));
  EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemIndex(), 5) << "the steps before the error stay done";
}

// ---------------------------------------------------------------- presets

// An aspect text the pickers do not know keeps the field as it was.
TEST_F(MainFormWindowTest, AnUnknownAspectTextKeepsTheField) {
  Create();
  form->Video.Video_FrameAspectRatio = u"16:9";
  EXPECT_EQ(form->ApplyPresetText(tables::pbAspectMode, u"宽屏电影模式"), u"16:9");
  EXPECT_EQ(form->ApplyPresetText(tables::pbAspectMode, u"普通视频4:3模式"), u"4:3");
  EXPECT_EQ(form->ApplyPresetText(tables::pbAspectMode, u"保持原视频模式"), u"");
}

// The log of an opened preview describes the file the player opened, from the
// player's own probe, not the file the engine's probe read last.
TEST_F(MainFormWindowTest, TheOpenLogDescribesThePlayersFile) {
  app::TMainFormEnvironment env;
  env.OptionIniFile = S((home / "option.ini").string());
  env.Dialogs = &dialogs;
  env.CreatePlayer = true;
  form = new TForm1(forms::Application, env);
  const std::string played = Clip("played.avi", 1), probed = Clip("probed.avi", 1);
  // The libraries as an add command loads them; the engine's probe then
  // reads a file of its own.
  ASSERT_TRUE(form->FFVCL->AVLibLoaded() || form->FFVCL->LoadAVLib(engine::GetExePath() + u"LibAV"));
  ASSERT_TRUE(form->FFVCL->AVProbe()->LoadFile(S(probed)));
  ASSERT_TRUE(form->RIDodevu->AVProbe()->LoadFile(S(played)));
  form->mmoLog->Lines()->Clear();
  int w = 0, h = 0;
  form->FFPlayerFileOpen(form->RIDodevu, 1000000, 160, 120, w, h);
  EXPECT_TRUE(LogHas(u"File Name: " + S(played)));
  EXPECT_FALSE(LogHas(u"File Name: " + S(probed)));
  EXPECT_TRUE(LogHas(u"frame size: 160x120")) << U(form->mmoLog->Lines()->Text());
}

class MainFormPickersRunTest : public MainFormRunTest {
 protected:
  // The size and frame rate the pickers show for the selected row, as ffprobe
  // reports them for an output made from a 160x120, 10 fps source.
  std::pair<std::string, std::string> Shown() {
    const String size = form->bsSkinComboBox1->Text();
    const String rate = form->bsSkinComboBox9->Text();
    std::string wh = size == u"保持原分辨率" ? "160,120" : U(size);
    std::replace(wh.begin(), wh.end(), '*', ',');
    // A rate text such as "29.97" is taken as the exact fraction 2997/100.
    std::string digits = rate == u"保持原帧速率" ? std::string("10") : U(rate);
    long den = 1;
    if (const auto dot = digits.find('.'); dot != std::string::npos) {
      for (std::size_t i = dot + 1; i < digits.size(); ++i) den *= 10;
      digits.erase(dot, 1);
    }
    const long num = std::stol(digits), g = std::gcd(num, den);
    return {wh, std::to_string(num / g) + "/" + std::to_string(den / g)};
  }
  void SelectFormat(int category, int format) {
    form->bsSkinOfficeComboBox2->SetIndex(category);
    form->bsSkinOfficeComboBox1->SetIndex(format);
  }
};

// A row converts with exactly what the six pickers show when it is selected:
// for the three files added together (not only the one the add selects at
// its end), and for a file whose format was changed while its row was
// selected. "MP4 AVC视频(*.mp4)" shows "保持原分辨率" and "29.97" while its
// codec parameters name 320*240 and 25.
TEST_F(MainFormPickersRunTest, EveryRowConvertsWithWhatThePickersShowAndClearReenablesAdding) {
  CreateWithOptions();
  const std::string clip = Clip("pickers.avi", 1);
  runDialogs.OpenAnswers.push_back({S(clip)});
  form->btnAdd->Click();  // the first category's first format
  ASSERT_EQ(form->RowCount(), 1);
  SelectFormat(2, 3);  // its row selected: the row's format changes
  ASSERT_EQ(form->bsSkinOfficeComboBox1->SelectedTitle(), u"MP4 AVC视频(*.mp4)");
  AddFilesToRun({clip, clip, clip});
  ASSERT_EQ(form->RowCount(), 4);

  std::vector<std::pair<std::string, std::string>> expected;
  for (int row = 0; row < 4; ++row) {
    form->lvFiles->SetItemIndex(row);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->SelectedTitle(), u"MP4 AVC视频(*.mp4)") << row;
    expected.push_back(Shown());
  }
  EXPECT_EQ(expected[0], (std::pair<std::string, std::string>{"160,120", "2997/100"}));

  form->btnStart->Click();
  ASSERT_TRUE(WaitForEndOfQueue());
  for (int row = 0; row < 4; ++row) {
    SCOPED_TRACE(row);
    const std::string out = Out(row);
    ASSERT_TRUE(fs::exists(out)) << out;
    EXPECT_EQ(Probe(out, "stream=width,height", "v:0"), expected[std::size_t(row)].first);
    EXPECT_EQ(Probe(out, "stream=r_frame_rate", "v:0"), expected[std::size_t(row)].second);
  }

  // After the run the add commands are off everywhere; Clear brings all back.
  for (forms::TMenuItem* item : form->FileMenuAddItems) EXPECT_FALSE(item->Enabled());
  form->btnClear->Click();
  EXPECT_TRUE(form->bsSkinMenuSpeedButton1->Enabled());
  EXPECT_TRUE(form->btnAdd->Enabled());
  ASSERT_EQ(form->FileMenuAddItems.size(), 3u);
  for (forms::TMenuItem* item : form->FileMenuAddItems) EXPECT_TRUE(item->Enabled()) << U(item->Caption());
  for (forms::TMenuItem* item : {form->N11111, form->N2222, form->N3331}) EXPECT_TRUE(item->Enabled());
  EXPECT_EQ(form->FileMenuAddItems[0]->Name(), u"Item111");
  EXPECT_EQ(form->FileMenuAddItems[1]->Name(), u"Item121");
  EXPECT_EQ(form->FileMenuAddItems[2]->Name(), u"N21");
}

// The engine refusing the last row's output stops Start before anything runs.
TEST_F(MainFormPickersRunTest, ARefusedOutputOnTheLastRowStopsTheStart) {
  CreateWithOptions();
  const std::string clip = Clip("refused.avi", 1);
  AddFilesToRun({clip, clip});
  ASSERT_EQ(form->RowCount(), 2);
  form->SetCell(1, app::qcOutputName, u"refused.no-such-format");
  form->btnStart->Click();
  EXPECT_FALSE(form->FFVCL->Working());
  EXPECT_FALSE(form->btnStop->Enabled());
  EXPECT_TRUE(form->btnStart->Enabled());
  EXPECT_TRUE(form->QueueCommandEnabled(TForm1::qcClear));
  ASSERT_EQ(runDialogs.Messages.size(), 1u);
  EXPECT_EQ(runDialogs.Messages[0].rfind(u"refused.no-such-format", 0), 0u);
}

}  // namespace
}  // namespace mainformtest
