// The link label: colours and underline by skin, hover and glow; the glow's
// room above the text; the embossed disabled look; a click opens the address
// through a faked opener, passed as one argument and never through a shell.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/rtl/Strings.h"
#include "platform/shell/SystemServices.h"
#include "skin/controls/bsSkinLinkLabel.h"
#include "tests/skin/controls/PagesTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

constexpr rtl::TColor kLabelText = 0x0000C0, kLabelHover = 0x00A000;

class LinkLabelTest : public PagesTest {
 protected:
  TbsSkinLinkLabel* MakeLabel(bool skinned) {
    if (skinned) {
      Skin();
      auto d = std::make_unique<TbsDataSkinStdLabelControl>(u"stdlabel");
      d->FontName = u"Arial";
      d->FontHeight = 16;
      d->FontColor = kLabelText;
      d->ActiveFontColor = kLabelHover;
      sd->CtrlList.push_back(std::move(d));
    }
    auto* l = new TbsSkinLinkLabel(form);
    l->SetParent(form);
    l->SetBounds(20, 20, 10, 10);
    l->SetCaption(u"WWWWWW");
    if (skinned) l->SetSkinData(sd.get());
    Pump();
    return l;
  }
};

TEST_F(LinkLabelTest, ColourAndUnderlineBySkinHoverAndGlow) {
  const std::uint32_t plainText = Rgb(gdi::ColorToRGB(gdi::TFont().Color())), blue = Rgb(gdi::clBlue);
  struct Case {
    bool skinned, hover, glow, underline;
    std::uint32_t text;  // the colour of the glyphs (and of the underline)
  } cases[] = {
      {false, false, false, true, plainText}, {false, true, false, true, blue},
      {false, true, false, false, blue},      {true, false, false, true, Rgb(kLabelText)},
      {true, true, false, true, Rgb(kLabelHover)}, {true, true, true, true, Rgb(kLabelText)},
      {true, false, false, false, Rgb(kLabelText)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "skinned " << c.skinned << " hover " << c.hover << " glow " << c.glow
                                    << " underline " << c.underline);
    auto* l = MakeLabel(c.skinned);
    l->SetGlowEffect(c.glow);
    l->SetUseUnderLine(c.underline);
    l->SetAutoSize(false);
    l->SetWidth(l->Width() + 20);
    l->SetHeight(l->Height() + 20);
    if (c.hover) Enter(l); else Leave();
    ASSERT_EQ(l->MouseIn(), c.hover);
    const Shot s = Grab(l);
    EXPECT_GT(s.Count(c.text), 2);  // antialiased glyphs: a few exact pixels
    // An underline is one run of the text colour across most of the caption.
    const int run = s.LongestRun(c.text);
    if (c.underline) {
      EXPECT_GT(run, (l->Width() - 20) * 3 / 4);
    } else {
      EXPECT_LT(run, (l->Width() - 20) / 3);
    }
    delete l;
    sd.reset();
  }
}

TEST_F(LinkLabelTest, GlowKeepsRoomAboveTheTextHoveredOrNot) {
  auto* l = MakeLabel(true);
  l->SetAutoSize(false);
  l->SetBounds(20, 20, 120, 50);
  const std::uint32_t text = Rgb(kLabelText);
  const int plainTop = Grab(l).FirstRow(text);
  l->SetGlowEffect(true);
  l->Invalidate();
  const int glowTop = Grab(l).FirstRow(text);
  Enter(l);
  const int hoverTop = Grab(l).FirstRow(text);
  ASSERT_GE(plainTop, 0);
  EXPECT_EQ(glowTop, plainTop + 7);
  EXPECT_EQ(hoverTop, plainTop + 7);
  // The glow is drawn in the hover colour's hue around the text.
  EXPECT_EQ(Grab(l).Count(Rgb(kLabelHover)), 0);  // blended, never the plain hover text
}

TEST_F(LinkLabelTest, AutoSizeLeavesRoomForTheGlow) {
  auto* l = MakeLabel(true);
  const int h = l->Height();
  l->SetGlowEffect(true);
  EXPECT_EQ(l->Height(), h + 7);
  l->SetGlowSize(3);
  EXPECT_EQ(l->Height(), h + 3);
}

TEST_F(LinkLabelTest, DisabledIsEmbossedWhateverTheMouseDoes) {
  for (bool skinned : {false, true}) {
    auto* l = MakeLabel(skinned);
    l->SetEnabled(false);
    const std::uint32_t hi = Rgb(gdi::ColorToRGB(skinned ? sd->SkinColors().cBtnHighLight : gdi::clBtnHighlight));
    const std::uint32_t sh = Rgb(gdi::ColorToRGB(skinned ? sd->SkinColors().cBtnShadow : gdi::clBtnShadow));
    for (bool hover : {false, true}) {
      if (hover) Enter(l); else Leave();
      const Shot s = Grab(l);
      EXPECT_GT(s.Count(hi), 2) << skinned << hover;
      EXPECT_GT(s.Count(sh), 2) << skinned << hover;
      EXPECT_EQ(s.Count(Rgb(gdi::clBlue)), 0);
      EXPECT_EQ(s.Count(Rgb(kLabelHover)), 0);
    }
    delete l;
    sd.reset();
  }
}

// A fake opener that writes each of its arguments on a line of its own.
class FakeOpener {
 public:
  FakeOpener() {
    dir_ = std::filesystem::temp_directory_path() / ("tvl-opener-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    script_ = dir_ / "open";
    out_ = dir_ / "args";
    std::ofstream(script_) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << out_.string()
                           << ".tmp'\nmv '" << out_.string() << ".tmp' '" << out_.string() << "'\n";
    std::filesystem::permissions(script_, std::filesystem::perms::owner_all);
    shell::SetOpenCommandForTests(rtl::Utf8ToString(script_.string()));
  }
  ~FakeOpener() {
    shell::SetOpenCommandForTests(u"");
    std::filesystem::remove_all(dir_);
  }
  // The arguments the opener got, waiting for it to finish; empty when it
  // never ran.
  std::vector<std::string> Args(bool expectRun) {
    for (int i = 0; expectRun && i < 500 && !std::filesystem::exists(out_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<std::string> v;
    std::ifstream in(out_);
    for (std::string line; std::getline(in, line);) v.push_back(line);
    return v;
  }

 private:
  std::filesystem::path dir_, script_, out_;
};

TEST_F(LinkLabelTest, ClickOpensTheAddressAsOneArgument) {
  FakeOpener opener;
  auto* l = MakeLabel(false);
  l->OnClick = Logger("click");
  const std::string url = "https://example.com/a b;touch x?q=$(id)&r=1";
  l->SetURL(rtl::Utf8ToString(url));
  win::headless::Click(Scr(l, 3, l->Height() / 2));
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"click"});
  EXPECT_EQ(opener.Args(true), std::vector<std::string>{url});
  EXPECT_EQ(l->Cursor(), forms::crHandPoint);
}

TEST_F(LinkLabelTest, EmptyAddressOnlyFiresOnClick) {
  FakeOpener opener;
  auto* l = MakeLabel(false);
  l->OnClick = Logger("click");
  win::headless::Click(Scr(l, 3, l->Height() / 2));
  Pump();
  EXPECT_EQ(log, std::vector<std::string>{"click"});
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(opener.Args(false).empty());
}

TEST_F(LinkLabelTest, SkinChangeWalkAndSkinRemoval) {
  auto* l = MakeLabel(true);
  EXPECT_GE(l->SkinIndex(), 0);
  sd->Empty = true;
  SendSkinChange(form, sd.get());
  EXPECT_EQ(l->SkinIndex(), -1);
  sd->Empty = false;
  SendSkinChange(form, sd.get());
  EXPECT_GE(l->SkinIndex(), 0);
  sd.reset();  // the label forgets the freed skin
  EXPECT_EQ(l->SkinData(), nullptr);
  Grab(l);  // paints without it
}

}  // namespace
}  // namespace skinctltest
