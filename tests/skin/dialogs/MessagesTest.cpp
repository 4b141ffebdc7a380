// The skinned message dialog: layout of the built form, the buttons' roles
// and modal results through keys, clicks and closing, texts from the skin,
// the "do not show again" box, and a gallery in three stored skins.
#include <stdexcept>

#include "skin/dialogs/bsMessages.h"
#include "tests/skin/dialogs/DialogsTestUtil.h"

namespace dlgtest {
namespace {

using forms::TCustomForm;

class MessagesTest : public DialogsTest {
 protected:
  void TearDown() override {
    built.reset();
    DialogsTest::TearDown();
  }
  TbsMessageForm* Build(TMsgDlgButtons Buttons, const String& Msg = u"Message", TMsgDlgType T = mtWarning) {
    built.reset(msg.BuildForm(TbsSkinMessage::bkType, Msg, {}, T, nullptr, 0, Buttons, -10001, -10001));
    return built.get();
  }
  std::vector<std::string> Names(TbsMessageForm* F) {
    std::vector<std::string> n;
    for (int i = 0; i < F->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TbsSkinButton*>(F->Controls(i))) n.push_back(rtl::StringToUtf8(b->Name()));
    return n;
  }
  TbsSkinMessage msg{nullptr};
  std::unique_ptr<TbsMessageForm, rtl::TComponentFree> built;
};

TEST_F(MessagesTest, ButtonsComeInTableOrderWithTheirDefaultAndCancelRoles) {
  const struct {
    TMsgDlgButtons buttons;
    std::vector<std::string> order;
    const char* def;
    const char* cancel;
  } cases[] = {
      {{mbOK}, {"OK"}, "OK", "OK"},
      {{mbCancel, mbOK}, {"OK", "Cancel"}, "OK", "Cancel"},
      {{mbCancel, mbNo, mbYes}, {"Yes", "No", "Cancel"}, "Yes", "Cancel"},
      {{mbYes, mbNo}, {"Yes", "No"}, "Yes", "No"},
      {{mbIgnore, mbRetry, mbAbort}, {"Abort", "Retry", "Ignore"}, "Retry", ""},
      {{mbClose, mbHelp, mbYesToAll, mbNoToAll, mbAll}, {"All", "NoToAll", "YesToAll", "Help", "Close"}, "", ""},
  };
  for (const auto& c : cases) {
    TbsMessageForm* F = Build(c.buttons);
    EXPECT_EQ(Names(F), c.order);
    std::string def, cancel;
    const int n = int(c.order.size()), W = n * 70 + (n - 1) * 10;
    int x = (F->ClientWidth() - W) / 2;
    for (int i = 0; i < F->ControlCount(); ++i) {
      auto* b = dynamic_cast<TbsSkinButton*>(F->Controls(i));
      if (!b) continue;
      if (b->Default()) def += rtl::StringToUtf8(b->Name());
      if (b->Cancel) cancel += rtl::StringToUtf8(b->Name());
      EXPECT_EQ(b->Left(), x);
      EXPECT_EQ(b->Top(), F->ClientHeight() - 25 - 10);
      EXPECT_EQ(b->Width(), 70);
      x += 80;
    }
    EXPECT_EQ(def, c.def);
    EXPECT_EQ(cancel, c.cancel);
  }
  // Modal results and default captions of the whole table.
  TbsMessageForm* F = Build({mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll,
                             mbHelp, mbClose});
  const int results[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10, 0, 11};
  const char16_t* captions[] = {u"&Yes", u"&No", u"OK", u"Cancel", u"&Abort", u"&Retry", u"&Ignore",
                                u"&All", u"N&oToAll", u"&YesToAll", u"&Help", u"Close"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(F->Button(TMsgDlgBtn(i))->ModalResult, results[i]) << i;
    EXPECT_EQ(F->Button(TMsgDlgBtn(i))->Caption(), captions[i]) << i;
  }
}

TEST_F(MessagesTest, LayoutFollowsTheLabelAndTheButtonRow) {
  TbsMessageForm* F = Build({mbOK, mbCancel}, u"Short");
  const int R = F->Message->Left() + F->Message->Width();
  EXPECT_EQ(F->Message->Left(), 50);
  EXPECT_EQ(F->Message->Top(), 15);
  EXPECT_EQ(F->ClientHeight(), 25 + F->Message->Height() + 50);
  EXPECT_EQ(F->ClientWidth(), std::max(R, 150) + 40);
  EXPECT_EQ(F->Caption(), u"Warning");
  ASSERT_NE(F->Image, nullptr);
  EXPECT_EQ(F->Image->Left(), 5);
  EXPECT_EQ(F->Image->Width(), 32);
  EXPECT_EQ(F->Image->Top(), 10);  // a one-line label would put it above 10
  EXPECT_EQ(F->Image->Picture()->Width(), 32);

  // No buttons: the client width comes from the label alone.
  F = Build({}, u"A message that is wider than nothing");
  EXPECT_EQ(F->ClientWidth(), F->Message->Left() + F->Message->Width() + 40);
  EXPECT_TRUE(Names(F).empty());

  // More lines raise the form by the label's height, and the icon follows the middle.
  F = Build({mbOK}, u"one\ntwo\nthree\nfour");
  const int h = F->Message->Height();
  EXPECT_EQ(F->ClientHeight(), 25 + h + 50);
  EXPECT_EQ(F->Image->Top(), std::max(15 + h / 2 - 16, 10));
  EXPECT_EQ(F->Button(mbOK)->Top(), h + 40);

  // A very long line is cut at the frame's greatest width.
  F = Build({mbOK}, String(600, u'W'));
  EXPECT_EQ(F->Width(), F->BSF->GetMaxWidth());

  // mtCustom: the application's title, no icon picture.
  forms::Application->SetTitle(u"TavrelAndroid手机视频转换器");
  F = Build({mbOK}, u"x", mtCustom);
  EXPECT_EQ(F->Caption(), u"TavrelAndroid手机视频转换器");
  EXPECT_EQ(F->Image->Picture()->Width(), 0);

  // Position: below -10000 centres, -10000 itself is a position.
  built.reset(msg.BuildForm(TbsSkinMessage::bkType, u"x", {}, mtWarning, nullptr, 0, {mbOK}, -10000, 7));
  EXPECT_EQ(built->Left(), -10000);
  EXPECT_EQ(built->Top(), 7);
  EXPECT_EQ(built->Position(), forms::poDesigned);
  built.reset(msg.BuildForm(TbsSkinMessage::bkType, u"x", {}, mtWarning, nullptr, 0, {mbOK}, -10001, 7));
  EXPECT_EQ(built->Position(), forms::poScreenCenter);
}

TEST_F(MessagesTest, ImageListPictureIsOnlyShownForAValidIndexAndIsNotHeldAtTen) {
  forms::TCustomImageList images(nullptr, 16, 16);
  gdi::TBitmap b(16, 16);
  images.AddMasked(&b, 0xFF00FF);
  std::unique_ptr<TbsMessageForm, rtl::TComponentFree> F(
      msg.BuildForm(TbsSkinMessage::bkCustom, u"x", u"Cap", mtCustom, &images, 0, {mbOK}, -10001, 0));
  ASSERT_NE(F->Image, nullptr);
  EXPECT_EQ(F->Image->Width(), 16);
  EXPECT_EQ(F->Image->Top(), 15 + F->Message->Height() / 2 - 16);
  EXPECT_LT(F->Image->Top(), 10);
  EXPECT_EQ(F->Caption(), u"Cap");
  F.reset(msg.BuildForm(TbsSkinMessage::bkCustom, u"x", u"Cap", mtCustom, &images, 1, {mbOK}, -10001, 0));
  EXPECT_EQ(F->Image, nullptr);
  EXPECT_EQ(F->Message->Left(), 50);
  F.reset(msg.BuildForm(TbsSkinMessage::bkCustom, u"x", u"Cap", mtCustom, nullptr, 0, {mbOK}, -10001, 0));
  EXPECT_EQ(F->Image, nullptr);
}

TEST_F(MessagesTest, TheProgramsMessageAnswersOneToEnterAndToEsc) {
  for (int vk : {VK_RETURN, VK_ESCAPE}) {
    String caption;
    WhenShown([&](TCustomForm* f) {
      caption = f->Caption();
      EXPECT_TRUE(dynamic_cast<TbsMessageForm*>(f)->BSF->BorderIcons().Empty());
      QueueKey(vk);
    });
    EXPECT_EQ(ShowSkinMessage(&msg, u"请先添加文件！"), 1) << vk;
    EXPECT_EQ(caption, u"提示");
  }
}

TEST_F(MessagesTest, ModalResultsOfKeysClicksAndClosing) {
  const struct {
    const char* how;
    int expected;
  } cases[] = {{"enter", 1}, {"esc", 2}, {"click cancel", 2}, {"click ok", 1}, {"close", 2}, {"click help", 2}};
  for (const auto& c : cases) {
    int helpCalls = 0, helpCtx = -1;
    SetMessageHelpHandler([&](const String&, int ctx) {
      ++helpCalls;
      helpCtx = ctx;
    });
    WhenShown([&](TCustomForm* f) {
      auto* F = dynamic_cast<TbsMessageForm*>(f);
      const std::string how = c.how;
      if (how == "enter") QueueKey(VK_RETURN);
      if (how == "esc") QueueKey(VK_ESCAPE);
      if (how == "click cancel") QueueClick(F->Button(mbCancel));
      if (how == "click ok") QueueClick(F->Button(mbOK));
      if (how == "close") QueueClose(F);
      if (how == "click help") {
        QueueClick(F->Button(mbHelp));  // stays open
        QueueKey(VK_ESCAPE);
      }
    });
    EXPECT_EQ(msg.MessageDlg(u"Overwrite?", mtWarning, {mbOK, mbCancel, mbHelp}, 77), c.expected) << c.how;
    EXPECT_EQ(helpCalls, std::string(c.how) == "click help" ? 1 : 0) << c.how;
    if (helpCalls) {
      EXPECT_EQ(helpCtx, 77);
    }
  }
  SetMessageHelpHandler(nullptr);
  // Yes / No answer 6 / 7.
  WhenShown([&](TCustomForm*) { QueueKey(VK_ESCAPE); });
  EXPECT_EQ(msg.MessageDlg(u"?", mtConfirmation, {mbYes, mbNo}, 0), 7);
  WhenShown([&](TCustomForm*) { QueueKey(VK_RETURN); });
  EXPECT_EQ(msg.MessageDlg(u"?", mtConfirmation, {mbYes, mbNo}, 0), 6);
}

TEST_F(MessagesTest, TextsComeFromTheSkinsStringsAndAMissingKeyIsEmpty) {
  TbsSkinData& skin = Skin();
  skin.SetResourceStrData(Strings({u"MSG_BTN_OK=好", u"MSG_CAP_WARNING=警告"}));
  msg.SetCtrlSkinData(&skin);
  TbsMessageForm* F = Build({mbOK, mbCancel});
  EXPECT_EQ(F->Button(mbOK)->Caption(), u"好");
  EXPECT_EQ(F->Button(mbCancel)->Caption(), u"");
  EXPECT_EQ(F->Caption(), u"警告");
  F = Build({mbOK}, u"x", mtError);
  EXPECT_EQ(F->Caption(), u"");
  // The check box falls back to the program's text.
  msg.ShowAgainFlag = true;
  F = Build({mbOK});
  ASSERT_NE(F->DisplayCheckBox, nullptr);
  EXPECT_EQ(F->DisplayCheckBox->Caption(), u"Do not display this message again");
  msg.SetCtrlSkinData(nullptr);
  EXPECT_EQ(MessageButtonCaption(mbClose, nullptr), u"Close");
  EXPECT_EQ(MessageTypeCaption(mtInformation, nullptr), u"Information");
  EXPECT_EQ(MessageTypeCaption(mtCustom, &skin), u"");
}

TEST_F(MessagesTest, SkinButtonHeightSetsTheRow) {
  TbsSkinData& skin = Skin();
  auto* d = dynamic_cast<TbsDataSkinButtonControl*>(skin.CtrlList[std::size_t(skin.GetControlIndex(u"button"))].get());
  const int plain = Build({mbOK})->ClientHeight();
  d->SkinRect = {0, 0, 20, 30};
  msg.SetCtrlSkinData(&skin);
  TbsMessageForm* F = Build({mbOK});
  EXPECT_EQ(F->ClientHeight(), plain + 5);
  EXPECT_EQ(F->Button(mbOK)->Top(), F->ClientHeight() - 30 - 10);
}

TEST_F(MessagesTest, ShowAgainBoxStartsTickedAndWritesItsAnswerBack) {
  msg.ShowAgainFlag = true;
  msg.ShowAgainFlagValue = false;
  TbsMessageForm* F = Build({mbOK});
  const int withBox = F->ClientHeight();
  ASSERT_NE(F->DisplayCheckBox, nullptr);
  EXPECT_TRUE(F->DisplayCheckBox->Checked());
  EXPECT_EQ(F->DisplayCheckBox->Top(), F->Message->Height() + 40);
  EXPECT_EQ(F->Button(mbOK)->Top(), F->Message->Height() + 80);
  EXPECT_GE(F->ClientWidth(), F->DisplayCheckBox->Width() + 5);
  msg.ShowAgainFlag = false;
  EXPECT_EQ(Build({mbOK})->ClientHeight(), withBox - 40);
  msg.ShowAgainFlag = true;

  // Left ticked: False; cleared: True.
  WhenShown([&](TCustomForm*) { QueueKey(VK_RETURN); });
  msg.MessageDlg(u"x", mtInformation, {mbOK}, 0);
  EXPECT_FALSE(msg.ShowAgainFlagValue);
  WhenShown([&](TCustomForm* f) {
    QueueClick(dynamic_cast<TbsMessageForm*>(f)->DisplayCheckBox);
    QueueKey(VK_ESCAPE);
  });
  msg.MessageDlg(u"x", mtInformation, {mbOK}, 0);
  EXPECT_TRUE(msg.ShowAgainFlagValue);

  // The wide routines show no box and leave the value alone.
  bool hasBox = true;
  WhenShown([&](TCustomForm* f) {
    hasBox = dynamic_cast<TbsMessageForm*>(f)->DisplayCheckBox != nullptr;
    QueueKey(VK_RETURN);
  });
  EXPECT_EQ(msg.WideMessageDlg(u"宽", mtInformation, {mbOK}, 0), 1);
  EXPECT_FALSE(hasBox);
  EXPECT_TRUE(msg.ShowAgainFlagValue);
}

TEST_F(MessagesTest, PositionEventMovesThePositionedDialogAndAnExceptionStillFreesTheForm) {
  int seenW = 0;
  msg.OnSetShowPos = [&](int& X, int& Y, int W, int) {
    seenW = W;
    X = 40;
    Y = 50;
  };
  TPoint at{};
  WhenShown([&](TCustomForm* f) {
    at = {f->Left(), f->Top()};
    QueueKey(VK_RETURN);
  });
  EXPECT_EQ(msg.MessageDlgPos(u"x", mtInformation, {mbOK}, 0, 300, 300), 1);
  EXPECT_EQ(at.X, 40);
  EXPECT_EQ(at.Y, 50);
  EXPECT_GT(seenW, 0);

  msg.ShowAgainFlag = true;
  msg.ShowAgainFlagValue = true;  // the box starts cleared and writes True back
  msg.OnSetShowPos = [&](int&, int&, int, int) { throw std::runtime_error("boom"); };
  const int before = forms::Screen->FormCount();
  EXPECT_THROW(msg.CustomMessageDlgPos(u"x", u"c", nullptr, 0, {mbOK}, 0, 10, 10), std::runtime_error);
  EXPECT_EQ(forms::Screen->FormCount(), before);
  EXPECT_TRUE(msg.ShowAgainFlagValue);
  msg.ShowAgainFlagValue = false;  // ticked: False, also on the way out
  EXPECT_THROW(msg.CustomMessageDlgPos(u"x", u"c", nullptr, 0, {mbOK}, 0, 10, 10), std::runtime_error);
  EXPECT_FALSE(msg.ShowAgainFlagValue);
}

TEST_F(MessagesTest, ComponentForgetsRemovedSkinData) {
  auto* a = new TbsSkinData(nullptr);
  auto* b = new TbsSkinData(nullptr);
  msg.SetSkinData(a);
  msg.SetCtrlSkinData(b);
  delete a;
  delete b;
  EXPECT_EQ(msg.SkinData(), nullptr);
  EXPECT_EQ(msg.CtrlSkinData(), nullptr);
}

TEST_F(MessagesTest, Gallery) {
  const struct {
    std::u16string skin;
    std::string name;
  } looks[] = {{u"", "plain"}, {u"金属光泽", "metal"}, {u"OFFICE2007蓝色", "office2007blue"}, {u"Mac风格", "mac"}};
  for (const auto& l : looks) {
    TbsSkinData* s = l.skin.empty() ? nullptr : StoredSkin(l.skin);
    msg.SetSkinData(s);
    msg.SetCtrlSkinData(s);
    msg.ShowAgainFlag = false;
    const struct {
      const char* name;
      TMsgDlgType type;
      TMsgDlgButtons buttons;
      const char16_t* text;
      bool flag;
    } shots[] = {
        {"info", mtInformation, {mbOK}, u"在该目录没有发现可以用的视频或音频文件！", false},
        {"warning", mtWarning, {mbOK, mbCancel}, u"Do you want to overwrite old file?", false},
        {"confirm", mtConfirmation, {mbYes, mbNo, mbCancel}, u"第一行\n第二行\n第三行", true},
        {"error", mtError, {mbAbort, mbRetry, mbIgnore}, u"Error", false},
    };
    for (const auto& sh : shots) {
      msg.ShowAgainFlag = sh.flag;
      const std::string path = PicturePath("message_" + std::string(sh.name) + "_" + l.name);
      WhenShown([&](TCustomForm* f) {
        Pump();
        EXPECT_TRUE(forms::RenderToPng(f, path)) << path;
        // The focus of the message buttons is not asserted here.
        CheckDialogLooks(f, std::string("message_") + sh.name, l.skin.empty(), false);
        QueueClose(f);  // abort/retry/ignore has no cancel button
      });
      msg.MessageDlg(sh.text, sh.type, sh.buttons, 0);
    }
    msg.SetSkinData(nullptr);
    msg.SetCtrlSkinData(nullptr);
  }
}

}  // namespace
}  // namespace dlgtest
