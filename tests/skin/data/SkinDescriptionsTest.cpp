#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <functional>
#include <string>

#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinDataControls.h"
#include "skin/data/bsSkinDataObjects.h"
#include "skin/data/bsSkinDataWindows.h"

namespace skin {
namespace {

std::unique_ptr<TMemIniFile> Ini(const String& text) {
  auto ini = std::make_unique<TMemIniFile>();
  SetIniText(*ini, text);
  return ini;
}

String Num(int v) { return rtl::Utf8ToString(std::to_string(v)); }

template <class T>
std::unique_ptr<T> Loaded(const String& kind, const String& name, TMemIniFile& ini) {
  auto c = CreateSkinControlByKind(kind, name);
  EXPECT_TRUE(c) << rtl::U8(kind);
  c->LoadFromFile(ini);
  auto* typed = dynamic_cast<T*>(c.get());
  EXPECT_TRUE(typed) << rtl::U8(kind);
  c.release();
  return std::unique_ptr<T>(typed);
}

const char16_t* const kControlKinds[] = {
    u"panel", u"expanel", u"menubutton", u"button", u"checkradio", u"gauge", u"splitter",
    u"trackbar", u"label", u"stdlabel", u"updown", u"grid", u"tab", u"mainmenubar",
    u"controlbar", u"memo", u"edit", u"checklistbox", u"listbox", u"combobox", u"scrollbar",
    u"spinedit", u"scrollbox", u"treeview", u"bevel", u"slider", u"listview", u"richedit"};

const char16_t* const kObjectKinds[] = {u"menuitem", u"mainmenubaritem", u"mainmenubarbutton", u"stdbutton",
                                        u"button",   u"caption",         u"userobject",        u"animate"};

bool IsNumber(const String& v) {
  int n = 0;
  return !v.empty() && v.find(u',') == String::npos && TryParseInt(v, n);
}

// Gives every key of the section a value of its own (rectangles, points,
// numbers and names distinct per key), so that a key read into one field and
// written from another shows up as a changed value.
void Perturb(TMemIniFile& written, const String& section, TMemIniFile& out) {
  int i = 2;
  for (const String& key : IniSectionKeys(written, section)) {
    String v = written.ReadString(section, key, u"");
    const int commas = static_cast<int>(std::count(v.begin(), v.end(), u','));
    if (commas == 3 && !v.starts_with(u"fs"))
      v = Num(i) + u"," + Num(i + 1) + u"," + Num(i + 2) + u"," + Num(i + 3);
    else if (commas == 1 && !v.starts_with(u"fs"))
      v = Num(i) + u"," + Num(i + 1);
    else if (IsNumber(v))
      v = Num(i);
    else if (v.empty() || v == u"Arial")
      v = key.find(u"fontstyle") != String::npos ? String(u"fsitalic") : u"name" + Num(i);
    out.WriteString(section, key, v);
    i += 10;
  }
}

void ExpectSameExceptBooleans(TMemIniFile& in, TMemIniFile& back, const String& section,
                              const String& what) {
  EXPECT_EQ(IniSectionKeys(in, section), IniSectionKeys(back, section)) << rtl::U8(what);
  for (const String& key : IniSectionKeys(in, section)) {
    const String a = in.ReadString(section, key, u"?"), b = back.ReadString(section, key, u"?");
    if (a == b) continue;
    // A boolean key reads any number but 1 as false.
    EXPECT_TRUE(IsNumber(a) && b == u"0") << rtl::U8(what) << " key " << rtl::U8(key) << ": " << rtl::U8(a)
                                          << " -> " << rtl::U8(b);
  }
}

// Creates each kind, writes its defaults, gives every key a value of its own,
// reads that back into a fresh description and expects the same keys out.
// Fixup adjusts the input for keys a kind does not keep.
template <class TCreate, class TKindOf, class TFixup>
void ExpectEveryKindRoundTrips(const auto& kinds, TCreate create, TKindOf kindOf, const String& section,
                               TFixup fixup) {
  for (const char16_t* kind : kinds) {
    auto fresh = create(kind, section);
    ASSERT_TRUE(fresh) << rtl::U8(kind);
    EXPECT_EQ(kindOf(*fresh), kind);
    TMemIniFile defaults;
    fresh->LoadFromFile(defaults);
    fresh->SaveToFile(defaults);
    TMemIniFile input;
    Perturb(defaults, section, input);
    auto loaded = create(kind, section);
    loaded->LoadFromFile(input);
    TMemIniFile back;
    loaded->SaveToFile(back);
    fixup(String(kind), input);
    ExpectSameExceptBooleans(input, back, section, kind);
  }
}

TEST(SkinControlDescriptions, EveryKindRoundTripsEveryKeyThroughItsOwnField) {
  ExpectEveryKindRoundTrips(kControlKinds, CreateSkinControlByKind, SkinControlKind, u"sec",
                            [](const String& kind, TMemIniFile& input) {
                              if (kind != u"updown") return;
                              // Its nine-part keys always read and write as zero.
                              for (const char16_t* k :
                                   {u"lefttoppoint", u"righttoppoint", u"leftbottompoint", u"rightbottompoint"})
                                input.WriteString(u"sec", k, u"0,0");
                              input.WriteString(u"sec", u"clientrect", u"0,0,0,0");
                            });
}

TEST(SkinObjectDescriptions, EveryKindRoundTripsEveryKeyThroughItsOwnField) {
  // Keywords must stay keywords: the command keeps its written value.
  ExpectEveryKindRoundTrips(kObjectKinds, CreateSkinObjectByKind, SkinObjectKind, u"obj",
                            [](const String&, TMemIniFile&) {});
}

TEST(SkinControlDescriptions, KindsAreExactAndDerivedClassesServeTheirParents) {
  EXPECT_EQ(CreateSkinControlByKind(u"Button", u"b"), nullptr);
  EXPECT_EQ(CreateSkinControlByKind(u"", u"b"), nullptr);
  auto menu = CreateSkinControlByKind(u"menubutton", u"toolmenubutton");
  EXPECT_NE(dynamic_cast<TbsDataSkinButtonControl*>(menu.get()), nullptr);
  EXPECT_EQ(dynamic_cast<TbsDataSkinListView*>(CreateSkinControlByKind(u"treeview", u"t").get()), nullptr);
  EXPECT_EQ(SkinControlKind(TbsDataSkinMemoControl(u"m")), u"memo");
  EXPECT_EQ(SkinControlKind(TbsDataSkinCheckListBox(u"c")), u"checklistbox");
  EXPECT_EQ(SkinControlKind(TbsDataSkinCustomControl(u"x")), u"");
}

const char16_t* const kButtonSection =
    u"[button]\npictureindex=4\nmaskpictureindex=-1\nskinrect=458,272,500,294\nlefttoppoint=3,9\n"
    u"righttoppoint=35,11\nleftbottompoint=0,0\nrightbottompoint=0,0\nclientrect=2,2,40,20\nleftstretch=0\n"
    u"topstretch=0\nrightstretch=0\nbottomstretch=0\nstretcheffect=0\nstretchtype=stfull\nfontname=Arial\n"
    u"fontheight=14\nfontstyle=\nfontcolor=0\nactivefontcolor=0\ndownfontcolor=0\ndisabledfontcolor=15916233\n"
    u"activeskinrect=458,298,500,320\ndownskinrect=458,324,500,346\nfocusedskinrect=0,0,0,0\n"
    u"disabledskinrect=503,272,545,294\nmorphing=1\nmorphkind=mkdefault\nanimateskinrect=0,0,0,0\n"
    u"framecount=0\nanimateinterval=20\nunknownkey=5\n";

TEST(SkinControlDescriptions, ButtonSectionLoadsAndSavesOnlyItsKeysInWrittenOrder) {
  auto iniOwner = Ini(kButtonSection);
  auto& ini = *iniOwner;
  auto b = Loaded<TbsDataSkinButtonControl>(u"button", u"button", ini);
  EXPECT_EQ(b->PictureIndex, 4);
  EXPECT_EQ(b->SkinRect, (TRect{458, 272, 500, 294}));
  EXPECT_EQ(b->LTPoint, (TPoint{3, 9}));
  EXPECT_EQ(b->ClRect, (TRect{2, 2, 40, 20}));
  EXPECT_EQ(b->ActiveSkinRect, (TRect{458, 298, 500, 320}));
  EXPECT_EQ(b->DownSkinRect, (TRect{458, 324, 500, 346}));
  EXPECT_EQ(b->DisabledSkinRect, (TRect{503, 272, 545, 294}));
  EXPECT_TRUE(b->Morphing);
  EXPECT_EQ(b->AnimateInterval, 20);
  EXPECT_EQ(b->DisabledFontColor, 15916233);
  // Keys the section lacks take their reader's values, not the constructor's.
  EXPECT_EQ(b->GlowLayerPictureIndex, -1);
  EXPECT_EQ(b->GlowLayerAlphaBlendValue, 255);
  b->SaveToFile(ini);
  auto keys = IniSectionKeys(ini, u"button");
  EXPECT_EQ(std::find(keys.begin(), keys.end(), u"unknownkey"), keys.end());
  EXPECT_EQ(keys[3], u"lefttoppoint");
  EXPECT_EQ(keys.back(), u"glowlayeralphablendvalue");
  const auto glow = std::find(keys.begin(), keys.end(), u"glowlayeroffsetleft");
  ASSERT_NE(glow, keys.end());
  EXPECT_EQ(std::vector<String>(glow, glow + 4), (std::vector<String>{u"glowlayeroffsetleft", u"glowlayeroffsetright",
                                                                       u"glowlayeroffsettop", u"glowlayeroffsetbottom"}));
}

TEST(SkinControlDescriptions, AbsentKeyValuesDifferFromConstructorValues) {
  TMemIniFile empty;
  struct Case {
    const char16_t* kind;
    std::function<void(TbsDataSkinControl&, bool loaded)> check;
  };
  const Case cases[] = {
      {u"treeview", [](TbsDataSkinControl& c, bool l) { EXPECT_EQ(dynamic_cast<TbsDataSkinTreeView&>(c).BGColor, l ? 0 : 16777215); }},
      {u"stdlabel", [](TbsDataSkinControl& c, bool l) {
         auto& s = dynamic_cast<TbsDataSkinStdLabelControl&>(c);
         EXPECT_EQ(s.FontHeight, l ? 14 : 12);
         EXPECT_EQ(s.ActiveFontColor, 16711680);
       }},
      {u"tab", [](TbsDataSkinControl& c, bool l) { EXPECT_EQ(dynamic_cast<TbsDataSkinTabControl&>(c).ButtonTransparentColor, l ? 0 : 16711935); }},
      {u"button", [](TbsDataSkinControl& c, bool l) {
         auto& b = dynamic_cast<TbsDataSkinButtonControl&>(c);
         EXPECT_EQ(b.AnimateInterval, l ? 25 : 0);
         EXPECT_EQ(b.FontHeight, l ? 14 : 12);
       }},
      {u"splitter", [](TbsDataSkinControl& c, bool l) { EXPECT_EQ(dynamic_cast<TbsDataSkinSplitterControl&>(c).GripperTransparentColor, l ? 0 : 16711935); }},
      {u"controlbar", [](TbsDataSkinControl& c, bool l) { EXPECT_EQ(dynamic_cast<TbsDataSkinControlBar&>(c).ItemOffset1, l ? 3 : 0); }},
      {u"scrollbar", [](TbsDataSkinControl& c, bool l) { EXPECT_EQ(dynamic_cast<TbsDataSkinScrollBarControl&>(c).ThumbTransparentColor, l ? 0 : 16711935); }},
      {u"listbox", [](TbsDataSkinControl& c, bool l) {
         auto& b = dynamic_cast<TbsDataSkinListBox&>(c);
         EXPECT_EQ(b.VScrollBarName, l ? u"vscrollbar" : u"");
         EXPECT_EQ(b.BothScrollBarName, l ? u"bothhscrollbar" : u"");
       }},
      {u"panel", [](TbsDataSkinControl& c, bool l) {
         auto& p = dynamic_cast<TbsDataSkinPanelControl&>(c);
         EXPECT_EQ(p.BGPictureIndex, -1);
         EXPECT_EQ(p.GripperTransparentColor, l ? 0 : 16711935);
       }},
  };
  for (const auto& c : cases) {
    auto d = CreateSkinControlByKind(c.kind, u"absent");
    c.check(*d, false);
    d->LoadFromFile(empty);
    c.check(*d, true);
    EXPECT_EQ(d->PictureIndex, -1);
    EXPECT_EQ(d->SkinRect, TRect{});
  }
}

TEST(SkinControlDescriptions, FixturesOfTheStoredSkins) {
  auto iniOwner = Ini(u"[tab]\ntabrect=67,105,118,126\nactivetabrect=4,110,55,132\nclientrect=2,5,57,50\n"
                 u"lefttoppoint=5,8\ntableftoffset=5\ntabstretcheffect=1\nupdown=hupdown\n"
                 u"[combobox]\nitemrect=320,5,359,23\nitemleftoffset=5\nitemtextrect=1,1,38,17\nbuttonrect=42,2,57,20\n"
                 u"activebuttonrect=360,25,375,43\nlistboxname=listbox\n"
                 u"[hscrollbar]\ntrackarea=16,0,52,17\nupbuttonrect=52,0,68,17\ndownbuttonrect=0,0,16,17\n"
                 u"thumbrect=181,109,195,126\nthumboffset1=3\nthumbminsize=10\nthumbminpagesize=17\nthumbtransparentcolor=16711935\n"
                 u"[statusbar]\ngripperrect=355,321,368,334\ngrippertransparent=1\ngrippertransparentcolor=16711935\nalignment=oops\n"
                 u"[memo]\nbgcolor=16777215\nactivebgcolor=16777215\nleftstretch=1\ntopstretch=1\nrightstretch=1\n"
                 u"bottomstretch=1\nstretchtype=sthorz\n"
                 u"[vupdown]\nlefttoppoint=5,5\nclientrect=1,1,10,10\nupbuttonrect=1,2,3,4\n"
                 u"[gauge]\nvertical=2\n");
  auto& ini = *iniOwner;
  auto tab = Loaded<TbsDataSkinTabControl>(u"tab", u"tab", ini);
  EXPECT_EQ(tab->TabRect, (TRect{67, 105, 118, 126}));
  EXPECT_EQ(tab->ActiveTabRect, (TRect{4, 110, 55, 132}));
  EXPECT_EQ(tab->ClRect, (TRect{2, 5, 57, 50}));
  EXPECT_EQ(tab->LTPoint, (TPoint{5, 8}));
  EXPECT_TRUE(tab->TabStretchEffect);
  EXPECT_EQ(tab->UpDown, u"hupdown");
  auto combo = Loaded<TbsDataSkinComboBox>(u"combobox", u"combobox", ini);
  EXPECT_EQ(combo->SItemRect, (TRect{320, 5, 359, 23}));
  EXPECT_EQ(combo->ItemTextRect, (TRect{1, 1, 38, 17}));
  EXPECT_EQ(combo->ActiveButtonRect, (TRect{360, 25, 375, 43}));
  EXPECT_EQ(combo->ListBoxName, u"listbox");
  auto bar = Loaded<TbsDataSkinScrollBarControl>(u"scrollbar", u"hscrollbar", ini);
  EXPECT_EQ(bar->TrackArea, (TRect{16, 0, 52, 17}));
  EXPECT_EQ(bar->DownButtonRect, (TRect{0, 0, 16, 17}));
  EXPECT_EQ(bar->ThumbOffset1, 3);
  EXPECT_EQ(bar->ThumbMinPageSize, 17);
  EXPECT_EQ(bar->ThumbTransparentColor, 16711935);
  auto status = Loaded<TbsDataSkinPanelControl>(u"panel", u"statusbar", ini);
  EXPECT_EQ(status->GripperRect, (TRect{355, 321, 368, 334}));
  EXPECT_TRUE(status->GripperTransparent);
  EXPECT_EQ(status->Alignment, taRightJustify);
  auto memo = Loaded<TbsDataSkinMemoControl>(u"memo", u"memo", ini);
  EXPECT_EQ(memo->BGColor, 16777215);
  EXPECT_TRUE(memo->LeftStretch && memo->BottomStretch);
  EXPECT_EQ(memo->StretchType, bsstHorz);
  auto updown = Loaded<TbsDataSkinUpDownControl>(u"updown", u"vupdown", ini);
  EXPECT_EQ(updown->LTPoint, TPoint{});
  EXPECT_EQ(updown->ClRect, TRect{});
  EXPECT_EQ(updown->UpButtonRect, (TRect{1, 2, 3, 4}));
  updown->RBPoint = {7, 7};
  updown->SaveToFile(ini);
  EXPECT_EQ(updown->RBPoint, TPoint{});
  EXPECT_EQ(ini.ReadString(u"vupdown", u"rightbottompoint", u"?"), u"0,0");
  EXPECT_FALSE(Loaded<TbsDataSkinGaugeControl>(u"gauge", u"gauge", ini)->Vertical);
}

TEST(SkinControlDescriptions, WriteOrdersThatControlsAndStoredSkinsShare) {
  auto keysAfterBase = [](TbsDataSkinControl& c, size_t base) {
    TMemIniFile out;
    c.SaveToFile(out);
    auto keys = IniSectionKeys(out, c.IDName);
    return std::vector<String>(keys.begin() + long(base), keys.end());
  };
  TbsDataSkinSlider slider(u"slider");
  EXPECT_EQ(keysAfterBase(slider, 3), (std::vector<String>{u"bgcolor", u"hrulerrect", u"hthumbrect", u"vrulerrect",
                                                          u"vthumbrect", u"edgesize", u"pointscolor"}));
  TbsDataSkinCheckListBox check(u"c");
  auto tail = keysAfterBase(check, 0);
  EXPECT_EQ(std::vector<String>(tail.end() - 3, tail.end()),
            (std::vector<String>{u"itemcheckrect", u"uncheckimagerect", u"checkimagerect"}));
  TbsDataSkinMenuButtonControl menu(u"m");
  EXPECT_EQ(keysAfterBase(menu, 0).back(), u"trackbuttonrect");
  TbsDataSkinPanelControl panel(u"p");
  auto p = keysAfterBase(panel, 14);
  EXPECT_EQ(p[0], u"bgpictureindex");
  EXPECT_EQ(p[1], u"captionrect");
  EXPECT_EQ(p[2], u"alignment");
  TbsDataSkinGridControl grid(u"g");
  auto g = keysAfterBase(grid, 12);
  EXPECT_EQ(std::vector<String>(g.begin(), g.begin() + 3), (std::vector<String>{u"linescolor", u"bgcolor", u"bgpictureindex"}));
  TbsDataSkinCheckRadioControl box(u"b");
  auto b = keysAfterBase(box, 14);
  EXPECT_EQ(b[3], u"fontcolor");
  EXPECT_EQ(b[4], u"framefontcolor");
}

TEST(SkinObjectDescriptions, CommandsRestoreHintsAndSpecialReaders) {
  auto iniOwner = Ini(u"[nocmd]\nhint=x\n[upper]\ncommand=CMCLOSE\n"
                 u"[max]\nhint=Maximize\ncommand=cmmaximize\n[maxlower]\nhint=maximize\ncommand=cmmaximize\n"
                 u"[roll]\nhint=Roll Up\ncommand=cmrollup\n[own]\nhint=Minimize\ncommand=cmminimize\nrestorehint=Back\n"
                 u"[user]\nhint=h\nactivepictureindex=3\nskinrect=1,2,3,4\n[anim]\nmorphing=1\nhint=Minimize\ncommand=cmminimize\n"
                 u"[item]\ncheckimagerect=10,20,25,35\nactivecheckimagerect=0,0,0,0\n[cap]\nreflectionoffset=-5\n");
  auto& ini = *iniOwner;
  auto std = [&](const char16_t* name) {
    TbsDataSkinStdButton b(name);
    b.LoadFromFile(ini);
    return std::pair{b.Command, b.RestoreHint};
  };
  EXPECT_EQ(std(u"nocmd").first, cmDefault);
  EXPECT_EQ(std(u"upper").first, cmMinimizeToTray);
  EXPECT_EQ(std(u"max").second, u"Restore");
  EXPECT_EQ(std(u"maxlower").second, u"");
  EXPECT_EQ(std(u"roll").second, u"Restore");
  EXPECT_EQ(std(u"own").second, u"Back");
  TbsDataUserObject user(u"user");
  user.LoadFromFile(ini);
  EXPECT_EQ(user.Hint, u"");
  EXPECT_EQ(user.ActivePictureIndex, -1);
  EXPECT_EQ(user.SkinRect, (TRect{1, 2, 3, 4}));
  TMemIniFile out;
  user.SaveToFile(out);
  EXPECT_EQ(IniSectionKeys(out, u"user"), std::vector<String>{u"skinrect"});
  TbsDataSkinAnimate anim(u"anim");
  anim.LoadFromFile(ini);
  EXPECT_FALSE(anim.Morphing);
  EXPECT_EQ(anim.RestoreHint, u"Restore");
  EXPECT_EQ(anim.CountFrames, 1);
  EXPECT_EQ(anim.TimerInterval, 50);
  TbsDataSkinMenuItem item(u"item");
  item.LoadFromFile(ini);
  EXPECT_EQ(item.ActiveCheckImageRect, (TRect{10, 20, 25, 35}));
  EXPECT_EQ(item.FontHeight, 14);
  TbsDataSkinCaption cap(u"cap");
  cap.LoadFromFile(ini);
  EXPECT_EQ(cap.ReflectionOffset, -5);
  EXPECT_EQ(cap.Alignment, taCenter);
  EXPECT_EQ(cap.GlowSize, 3);
  TbsDataSkinMainMenuBarItem bar(u"bar");
  bar.UnEnabledFontColor = 77;
  TMemIniFile barText;
  bar.SaveToFile(barText);
  auto keys = IniSectionKeys(barText, u"bar");
  EXPECT_NE(std::find(keys.begin(), keys.end(), u"unenabledfontColor"), keys.end());
  TbsDataSkinMainMenuBarItem back(u"bar");
  back.LoadFromFile(*Ini(u"[bar]\nunenabledfontcolor=77\n"));
  EXPECT_EQ(back.UnEnabledFontColor, 77);
}

TEST(SkinWindowDescriptions, AbsentSectionsAndConstructorValues) {
  TMemIniFile empty;
  TbsSkinColors colors;
  EXPECT_EQ(colors.cBtnFace, 0);
  colors.LoadFromFile(empty);
  TMemIniFile out;
  colors.SaveToFile(out);
  EXPECT_EQ(GetIniText(out), u"[SKINCOLORS]\r\ncbtnface=-16777201\r\ncbtntext=-16777198\r\ncwindow=-16777211\r\n"
                           u"cwindowtext=-16777208\r\nchighlight=-16777203\r\nchighlighttext=-16777202\r\n"
                           u"cbtnhighlight=-16777196\r\ncbtnshadow=-16777200\r\n\r\n");
  TbsDataSkinHintWindow hint;
  EXPECT_EQ(hint.FontHeight, 12);
  hint.LoadFromFile(empty);
  EXPECT_EQ(hint.FontHeight, 14);
  TbsDataSkinLayerFrame layer;
  layer.PictureIndex = 3;
  layer.LoadFromFile(empty);
  EXPECT_EQ(layer.PictureIndex, -1);
  EXPECT_EQ(layer.AlphaBlendValue, 255);
  EXPECT_EQ(layer.InActiveAlphaBlendValue, 255);
  EXPECT_FALSE(layer.HitTestEnable);
  TbsDataSkinPopupWindow popup;
  popup.LoadFromFile(*Ini(u"[POPUPWINDOW]\nwindowpictureindex=2\nitemsrect=1,2,3,4\nscrollmarkercolor=99\nstretchtype=stvert\n"));
  TMemIniFile popupOut;
  popup.SaveToFile(popupOut);
  TbsDataSkinPopupWindow again;
  again.LoadFromFile(popupOut);
  EXPECT_EQ(again.WindowPictureIndex, 2);
  EXPECT_EQ(again.ItemsRect, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(again.ScrollMarkerColor, 99);
  EXPECT_EQ(again.StretchType, bsstVert);
}

}  // namespace
}  // namespace skin
