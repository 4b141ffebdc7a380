// Drawing one stored skin and writing its description.
#include "tools/tvlSkins.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <array>

#include "platform/rtl/Strings.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsIniFiles.h"
#include "skin/data/bsSkinData.h"
#include "tools/tvlSkinPaint.h"

namespace tools {

namespace {

using rtl::String;
using rtl::TPoint;
using rtl::TRect;
using namespace skin;

// Active pictures of every stored skin; a skin's own extra pictures (glow
// frames, the layer frame) follow from kFirstExtra on.
enum { kControls = 0, kCaptionButtons = 1, kMenu = 2, kPopup = 3, kHint = 4, kFirstExtra = 5 };
constexpr int kFrameW = 360, kFrameH = 260, kBorder = 4;
constexpr const char16_t* kFont = u"Arial";
constexpr int kFontHeight = 14;
// The transparency key of glyphs drawn over other pictures (magenta).
constexpr Rgba kGripKey{1, 0, 1, 1};

// The nine-part layout of a control image whose corners are Corner wide.
void NinePart(TbsDataSkinCustomControl& c, const TRect& r, int corner, bool stretch = true) {
  const int w = r.Width(), h = r.Height();
  c.SkinRect = r;
  c.LTPoint = {corner, corner};
  c.RTPoint = {w - corner, corner};
  c.LBPoint = {corner, h - corner};
  c.RBPoint = {w - corner, h - corner};
  c.ClRect = {corner, corner, w - corner, h - corner};
  c.LeftStretch = c.TopStretch = c.RightStretch = c.BottomStretch = stretch;
  c.StretchEffect = stretch;
  c.StretchType = bsstFull;
}

// Three slices along x (fixed height) or along y (fixed width).
void HorzParts(TbsDataSkinCustomControl& c, const TRect& r, int left, int right, const TRect& client) {
  c.SkinRect = r;
  c.LTPoint = {left, 0};
  c.RTPoint = {r.Width() - right, 0};
  c.LBPoint = c.RBPoint = {0, 0};
  c.ClRect = client;
  c.StretchEffect = true;
  c.LeftStretch = c.TopStretch = c.RightStretch = c.BottomStretch = true;
}

void VertParts(TbsDataSkinCustomControl& c, const TRect& r, int top, int bottom, const TRect& client) {
  c.SkinRect = r;
  c.LTPoint = {0, top};
  c.LBPoint = {0, r.Height() - bottom};
  c.RTPoint = c.RBPoint = {0, 0};
  c.ClRect = client;
  c.StretchEffect = true;
  c.LeftStretch = c.TopStretch = c.RightStretch = c.BottomStretch = true;
}

template <class T>
void Font(T& d, const Rgba& color, int height = kFontHeight, TFontStyles style = 0) {
  d.FontName = kFont;
  d.FontHeight = height;
  d.FontStyle = style;
  d.FontColor = ToTColor(color);
}

class Builder {
 public:
  Builder(const SkinStyle& s, TbsSkinData& m)
      : s_(s), m_(m), ctl_(480, s.Body), cap_(220, s.Body), menu_(260, s.Menu) {}

  void Build() {
    Frame();
    CaptionButtons();
    Menus();
    Hint();
    Buttons();
    Panels();
    CheckRadio();
    Labels();
    Edits();
    Lists();
    ScrollBars();
    Slider();
    Tabs();
    Splitters();
    Views();
    if (s_.Glow) Glows();
    if (s_.ShadowBorder) ShadowBorder();
  }

  Image FramePicture, FrameMask, PopupPicture, HintPicture;
  // The skin's extra active pictures, in index order from kFirstExtra.
  std::vector<std::pair<std::string, Image>> Extra;
  // The eight system-colour replacements of SKINCOLORS.
  std::vector<std::pair<const char16_t*, TColor>> Colors;
  Atlas& Controls() { return ctl_; }
  Atlas& CaptionAtlas() { return cap_; }
  Atlas& MenuAtlas() { return menu_; }

 private:
  template <class T>
  T& Control(const char16_t* name) {
    auto d = std::make_unique<T>(name);
    T& ref = *d;
    ref.PictureIndex = kControls;
    m_.CtrlList.push_back(std::move(d));
    return ref;
  }

  template <class T>
  T& Object(const char16_t* name) {
    auto d = std::make_unique<T>(name);
    T& ref = *d;
    m_.ObjectList.push_back(std::move(d));
    return ref;
  }

  // One face image per state.
  TRect FaceImage(int w, int h, float radius, St st, const Rgba& bg, float gloss = 1.0f) {
    Image img(w, h, bg);
    DrawFace(img, {0, 0, float(w), float(h)}, radius, s_, st, gloss);
    return ctl_.Put(img);
  }

  Rgba ToolTop() const { return Mix(s_.Face0, s_.Body, 0.35f); }
  Rgba ToolBottom() const { return Mix(s_.Face1, s_.Body, 0.25f); }

  // ---- Frame -------------------------------------------------------------

  void Frame() {
    const int ch = s_.CaptionHeight;
    const float fr = s_.FrameRadius;
    Image img(kFrameW, kFrameH, s_.CapBorder);
    const RectF all{0, 0, float(kFrameW), float(kFrameH)};
    Fill(img, Path().RoundRect4(all, fr, fr, 2, 2), Solid(s_.CapBorder));
    const RectF in = all.Inset(1);
    // Caption band and the borders continue the caption's colours.
    Fill(img, Path().RoundRect4(in, fr - 1, fr - 1, 1, 1),
         Textured(Linear(0, in.y0, 0, in.y1,
                         {{0.0f, s_.Cap0}, {float(ch) / kFrameH, s_.Cap1}, {1.0f, Mix(s_.Cap1, s_.CapBorder, 0.3f)}}),
                  s_.CapTex, s_.CapTexAmount));
    const float g = std::min(1.0f, s_.Gloss + 0.2f);
    const RectF glossBand{in.x0, in.y0, in.x1, in.y0 + std::floor(ch * 0.5f)};
    Fill(img, Path().RoundRect4(glossBand, fr - 1, fr - 1, 0, 0),
         Vertical(glossBand.y0, glossBand.y1, Rgba{1, 1, 1, 0.35f * g}, Rgba{1, 1, 1, 0.08f * g}));
    Path rim;
    rim.RoundRect4(in, fr - 1, fr - 1, 1, 1).RoundRect4(in.Inset(1), fr - 2, fr - 2, 0, 0);
    Fill(img, rim, Vertical(0, float(kFrameH), Rgba{1, 1, 1, s_.Dark ? 0.18f : 0.45f}, Rgba{1, 1, 1, 0.05f}), true);
    // Client area with a thin sunken edge.
    const RectF cl{float(kBorder) - 1, float(ch) - 1, float(kFrameW - kBorder) + 1, float(kFrameH - kBorder) + 1};
    Fill(img, Path().RoundRect(cl, 0), Solid(Darker(s_.Cap1, 0.25f)));
    Fill(img, Path().RoundRect(cl.Inset(1), 0), Textured(Solid(s_.Body), s_.FaceTex, s_.FaceTexAmount * 0.5f));
    FramePicture = img;

    // Mask: only the rounded top corners are outside.
    FrameMask = Image(kFrameW, kFrameH, Hex(0x000000));
    Image cover(kFrameW, kFrameH);
    Fill(cover, Path().RoundRect4(all, fr, fr, 2, 2), Solid(Hex(0xFFFFFF)));
    for (int y = 0; y < kFrameH; ++y)
      for (int x = 0; x < kFrameW; ++x)
        if (cover.At(x, y).a < 0.5f) FrameMask.At(x, y) = Hex(0xFFFFFF);

    const int corner = std::max(int(fr) + 4, 12);
    m_.LTPoint = {corner, ch};
    m_.RTPoint = {kFrameW - corner, ch};
    m_.LBPoint = {corner, kFrameH - kBorder};
    m_.RBPoint = {kFrameW - corner, kFrameH - kBorder};
    m_.ClRect = {kBorder, ch, kFrameW - kBorder, kFrameH - kBorder};
    m_.HitTestLTPoint = m_.LTPoint;
    m_.HitTestRTPoint = m_.RTPoint;
    m_.HitTestLBPoint = m_.LBPoint;
    m_.HitTestRBPoint = m_.RBPoint;
    m_.MaskRectArea = {0, int(std::ceil(fr)), kFrameW, kFrameH};
    m_.LeftStretch = m_.RightStretch = m_.TopStretch = m_.BottomStretch = true;
    m_.StretchEffect = false;  // the client background is tiled
    m_.StretchType = bsstFull;
    m_.BGPictureIndex = -1;
    m_.MDIBGPictureIndex = -1;
    m_.BorderW = kBorder;
    m_.FormMinWidth = 160;
    m_.AutoRenderingInActiveImage = true;
    m_.InActiveEffect = s_.Dark ? ieDarkness : ieBrightness;
    m_.ButtonsOffset = s_.Buttons == CaptionButtons::Round ? 6 : 2;
    const int bh = ButtonH();
    const int top = (ch - bh) / 2;
    m_.CaptionRect = {kBorder + 4, top, kFrameW - kBorder - 4, top + bh};
    m_.ButtonsRect = {};
    m_.LayerFrame->PictureIndex = -1;

    auto& caption = Object<TbsDataSkinCaption>(u"caption");
    caption.SkinRect = m_.CaptionRect;
    caption.TextRct = {6, 0, m_.CaptionRect.Width() - 6, bh};
    Font(caption, s_.CapTextInactive, 15, fsBold);
    caption.ActiveFontColor = ToTColor(s_.CapText);
    caption.Alignment = s_.Buttons == CaptionButtons::Round ? taCenter : taLeftJustify;
    caption.Shadow = s_.Dark || Luma(s_.CapText) > 0.6f;
    caption.ShadowColor = ToTColor(Darker(s_.Cap1, 0.3f));
    caption.ActiveShadowColor = ToTColor(Darker(s_.Cap1, 0.5f));
  }

  int ButtonW() const { return s_.Buttons == CaptionButtons::Round ? 16 : 26; }
  int ButtonH() const { return s_.Buttons == CaptionButtons::Round ? 16 : 19; }

  int AddPicture(const std::string& Name, Image Img) {
    Extra.emplace_back(Name, std::move(Img));
    return kFirstExtra + int(Extra.size()) - 1;
  }

  // ---- Glow frames and the shadow border -------------------------------

  // Distance of (x, y) outside the rounded box R (0 inside).
  static float OutsideBox(float x, float y, const RectF& R, float radius) {
    const float dx = std::max({R.x0 + radius - x, 0.0f, x - (R.x1 - radius)});
    const float dy = std::max({R.y0 + radius - y, 0.0f, y - (R.y1 - radius)});
    return std::max(0.0f, std::hypot(dx, dy) - radius);
  }

  // A halo M pixels wide around a w x h box in the accent colour: the picture
  // and its mask (grey = alpha). The box itself stays clear, so the glow lies
  // around the button and never over it.
  std::pair<int, int> GlowPictures(const std::string& Stem, int w, int h, float radius, int M) {
    const int W = w + 2 * M, H = h + 2 * M;
    // The layered window takes colours already weighted by their alpha.
    const Rgba c = Lighter(s_.Accent, 0.35f);
    Image pic(W, H, Hex(0x000000)), mask(W, H, Hex(0x000000));
    const RectF box{float(M), float(M), float(M + w), float(M + h)};
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        const float d = OutsideBox(x + 0.5f, y + 0.5f, box, radius);
        const float a = d <= 0 ? 0.0f : std::pow(std::max(0.0f, 1.0f - d / float(M)), 1.5f);
        mask.At(x, y) = Rgba{a, a, a, 1};
        pic.At(x, y) = Rgba{c.r * a, c.g * a, c.b * a, 1};
      }
    const int p = AddPicture(Stem + ".bmp", pic);
    const int m = AddPicture(Stem + "mask.bmp", mask);
    return {p, m};
  }

  void Glows() {
    constexpr int M = 6;
    const float capRadius = s_.Buttons == CaptionButtons::Round ? ButtonW() / 2.0f : 3.5f;
    const auto cap = GlowPictures("captionglow", ButtonW(), ButtonH(), capRadius, M);
    const int closeW = s_.Buttons == CaptionButtons::Glass ? ButtonW() + 14 : ButtonW();
    const auto close = closeW == ButtonW() ? cap : GlowPictures("closeglow", closeW, ButtonH(), capRadius, M);
    for (auto& o : m_.ObjectList) {
      auto* b = dynamic_cast<TbsDataSkinStdButton*>(o.get());
      if (!b || b->Command == cmSysMenu) continue;
      const auto& g = b->Command == cmClose ? close : cap;
      b->GlowLayerPictureIndex = g.first;
      b->GlowLayerMaskPictureIndex = g.second;
      b->GlowLayerOffsetX = b->GlowLayerOffsetY = M;
      b->GlowLayerAlphaBlendValue = 230;
    }
    const int idx = m_.GetControlIndex(u"button");
    auto* button = idx >= 0 ? dynamic_cast<TbsDataSkinButtonControl*>(m_.CtrlList[size_t(idx)].get()) : nullptr;
    if (!button) return;
    const auto g = GlowPictures("buttonglow", button->SkinRect.Width(), button->SkinRect.Height(), s_.Radius, M);
    button->GlowLayerPictureIndex = g.first;
    button->GlowLayerMaskPictureIndex = g.second;
    // The halo's straight middle stretches with the button.
    button->GlowLayerOffsetLeft = button->GlowLayerOffsetRight = M + 6;
    button->GlowLayerOffsetTop = button->GlowLayerOffsetBottom = M + 4;
    button->GlowLayerShowOffsetX = button->GlowLayerShowOffsetY = M;
    button->GlowLayerAlphaBlendValue = 230;
  }

  // A soft shadow around the window, a little heavier below it: 191 x 160
  // with the window's rectangle at (27, 24, 164, 132) left clear.
  void ShadowBorder() {
    constexpr int W = 191, H = 160;
    const TRect cl{27, 24, 164, 132};
    // Black: the layered window adds nothing where the shadow is clear.
    Image pic(W, H, Hex(0x000000)), mask(W, H, Hex(0x000000));
    const RectF shadow{float(cl.Left), float(cl.Top) + 3, float(cl.Right), float(cl.Bottom) + 3};
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        if (x >= cl.Left && x < cl.Right && y >= cl.Top && y < cl.Bottom) continue;
        const float d = OutsideBox(x + 0.5f, y + 0.5f, shadow, 6.0f);
        const float a = 0.85f * std::pow(std::max(0.0f, 1.0f - d / 24.0f), 2.0f);
        mask.At(x, y) = Rgba{a, a, a, 1};
      }
    TbsDataSkinLayerFrame& lf = *m_.LayerFrame;
    lf.PictureIndex = AddPicture("layerframe.bmp", pic);
    lf.MaskPictureIndex = AddPicture("layerframemask.bmp", mask);
    lf.InActivePictureIndex = lf.InActiveMaskPictureIndex = -1;
    lf.LTPoint = {40, 37};
    lf.RTPoint = {152, 37};
    lf.LBPoint = {45, 123};
    lf.RBPoint = {146, 123};
    lf.ClRect = cl;
    lf.AlphaBlendValue = 120;
    lf.InActiveAlphaBlendValue = 100;
    lf.BorderRect = {};
    lf.HitTestEnable = false;
  }

  // ---- Caption buttons --------------------------------------------------

  Image CaptionButton(Glyph g, int state /*0 normal,1 hot,2 down,3 inactive,4 disabled*/, int w, int h) {
    const Rgba bg = Mix(s_.Cap0, s_.Cap1, 0.45f);
    Image img(w, h, bg);
    const RectF r{0, 0, float(w), float(h)};
    if (s_.Buttons == CaptionButtons::Round) {
      Rgba c = g == Glyph::Close ? Hex(0xF0544C) : g == Glyph::Minimize ? Hex(0xF5BE3A) : g == Glyph::Maximize ? Hex(0x5FC453)
                                                                                                      : Hex(0x9AA3AD);
      if (g == Glyph::Restore) c = Hex(0x5FC453);
      if (state == 3 || state == 4) c = Mix(Hex(0xD4D4D4), c, state == 3 ? 0.15f : 0.0f);
      if (state == 2) c = Darker(c, 0.25f);
      const float cx = w / 2.0f, cy = h / 2.0f, rad = w / 2.0f - 1.5f;
      Fill(img, Path().Ellipse(cx, cy, rad + 0.8f, rad + 0.8f), Solid(Darker(c, 0.35f)));
      Fill(img, Path().Ellipse(cx, cy, rad, rad), Radial(cx, cy + rad * 0.6f, rad * 1.6f, Lighter(c, 0.35f), c));
      Fill(img, Path().Ellipse(cx, cy - rad * 0.45f, rad * 0.6f, rad * 0.38f),
           Vertical(cy - rad, cy, Rgba{1, 1, 1, 0.8f}, Rgba{1, 1, 1, 0.1f}));
      if (state == 1 || state == 2) DrawGlyph(img, g, r.Inset(2), Rgba{0.25f, 0.1f, 0.05f, 0.75f});
      return img;
    }
    // Square and glass buttons: a face only where the pointer is (or always
    // for the glass close button).
    const bool glass = s_.Buttons == CaptionButtons::Glass;
    Rgba glyph = s_.CapText;
    if (state == 3 || state == 4) glyph = WithAlpha(s_.CapTextInactive, state == 4 ? 0.5f : 1.0f);
    if (glass || state == 1 || state == 2) {
      Rgba top = Lighter(s_.Cap0, 0.35f), bottom = s_.Cap1, border = Darker(s_.Cap1, 0.35f);
      if (g == Glyph::Close && (glass || state == 1 || state == 2)) {
        top = Hex(0xE8A090), bottom = Hex(0xC0281C), border = Hex(0x6E1410);
        glyph = Hex(0xFFFFFF);
      } else if (state == 1) {
        top = Lighter(s_.Accent, 0.55f), bottom = s_.Accent, border = Darker(s_.Accent, 0.4f);
        glyph = Hex(0xFFFFFF);
      } else if (state == 0 || state == 3) {
        top = WithAlpha(Lighter(s_.Cap0, 0.3f), 0.55f), bottom = WithAlpha(s_.Cap1, 0.55f), border = WithAlpha(border, 0.7f);
      }
      if (state == 2) top = Darker(top, 0.2f), bottom = Darker(bottom, 0.15f);
      if (state == 3 || state == 4) top = Mix(top, bg, 0.6f), bottom = Mix(bottom, bg, 0.6f), border = Mix(border, bg, 0.6f);
      Fill(img, Path().RoundRect(r, 3.5f), Solid(border));
      Fill(img, Path().RoundRect(r.Inset(1), 2.5f), Vertical(1, float(h - 1), top, bottom));
      Fill(img, Path().RoundRect4(RectF{1, 1, float(w - 1), float(h) / 2}, 2.5f, 2.5f, 0, 0),
           Vertical(1, float(h) / 2, Rgba{1, 1, 1, 0.5f}, Rgba{1, 1, 1, 0.12f}));
    }
    // A soft shadow under the glyph keeps it readable on any caption.
    Image shadow(w, h);
    DrawGlyph(shadow, g, RectF{0, 1, float(w), float(h) + 1}, Rgba{0, 0, 0, Luma(glyph) > 0.5f ? 0.35f : 0.0f});
    img.Draw(shadow, 0, 0);
    DrawGlyph(img, g, r, glyph);
    return img;
  }

  void CaptionButtons() {
    const int w = ButtonW(), h = ButtonH();
    auto row = [&](Glyph g, int width) {
      std::array<TRect, 5> rects;
      for (int st = 0; st < 5; ++st) rects[size_t(st)] = cap_.Put(CaptionButton(g, st, width, h));
      return rects;
    };
    const int closeW = s_.Buttons == CaptionButtons::Glass ? w + 14 : w;
    auto close = row(Glyph::Close, closeW), max = row(Glyph::Maximize, w), restore = row(Glyph::Restore, w),
         min = row(Glyph::Minimize, w), rollUp = row(Glyph::RollUp, w), rollDown = row(Glyph::RollDown, w),
         tray = row(Glyph::Tray, w), sys = row(Glyph::SysMenu, h);
    auto button = [&](const char16_t* name, TbsStdCommand cmd, const std::array<TRect, 5>& r, const char16_t* hint) {
      auto& b = Object<TbsDataSkinStdButton>(name);
      b.Command = cmd;
      b.Hint = hint;
      b.SkinRectInAPicture = true;
      b.ActivePictureIndex = kCaptionButtons;
      b.SkinRect = r[0];
      b.ActiveSkinRect = r[1];
      b.DownRect = r[2];
      b.InActiveSkinRect = r[3];
      b.DisableSkinRect = r[4];
      b.Morphing = true;
      b.MorphKind = mkDefault;
      return &b;
    };
    button(u"closebutton", cmClose, close, u"Close");
    auto* mx = button(u"maxbutton", cmMaximize, max, u"Maximize");
    mx->RestoreRect = restore[0], mx->RestoreActiveRect = restore[1], mx->RestoreDownRect = restore[2];
    mx->RestoreInActiveRect = restore[3];
    mx->RestoreHint = u"Restore";
    auto* mn = button(u"minbutton", cmMinimize, min, u"Minimize");
    mn->RestoreRect = restore[0], mn->RestoreActiveRect = restore[1], mn->RestoreDownRect = restore[2];
    mn->RestoreInActiveRect = restore[3];
    mn->RestoreHint = u"Restore";
    auto* ru = button(u"rollupbutton", cmRollUp, rollUp, u"Roll Up");
    ru->RestoreRect = rollDown[0], ru->RestoreActiveRect = rollDown[1], ru->RestoreDownRect = rollDown[2];
    ru->RestoreInActiveRect = rollDown[3];
    ru->RestoreHint = u"Restore";
    button(u"traybutton", cmMinimizeToTray, tray, u"Minimize to Tray");
    auto* sm = button(u"sysmenubutton", cmSysMenu, sys, u"System Menu");
    sm->Morphing = false;
  }

  // ---- Menus, popup and hint windows -----------------------------------

  void Menus() {
    const int rowW = 140, rowH = 22, gutter = 24;
    const Rgba gutterColor = Mix(s_.Menu, s_.Body, 0.55f);
    auto rowBase = [&]() {
      Image img(rowW, rowH, s_.Menu);
      img.FillRect(0, 0, gutter, rowH, gutterColor);
      img.FillRect(gutter, 0, gutter + 1, rowH, Mix(gutterColor, s_.Border, 0.35f));
      return img;
    };
    Image normal = rowBase();
    Image active = rowBase();
    const RectF sel{1, 1, float(rowW - 1), float(rowH - 1)};
    Fill(active, Path().RoundRect(sel, 3), Solid(Mix(s_.HotBorder, s_.Menu, 0.15f)));
    Fill(active, Path().RoundRect(sel.Inset(1), 2), Vertical(sel.y0, sel.y1, Mix(s_.Hot0, s_.Menu, 0.1f), s_.Hot1));
    Fill(active, Path().RoundRect4(RectF{2, 2, float(rowW - 2), float(rowH) / 2}, 2, 2, 0, 0),
         Vertical(2, float(rowH) / 2, Rgba{1, 1, 1, 0.35f * s_.Gloss}, Rgba{1, 1, 1, 0.05f}));
    const TRect normalRect = menu_.Put(normal), activeRect = menu_.Put(active);
    Image divider(rowW, 7, s_.Menu);
    divider.FillRect(0, 0, gutter, 7, gutterColor);
    divider.FillRect(gutter + 4, 3, rowW - 2, 4, Mix(s_.Menu, s_.Border, 0.55f));
    divider.FillRect(gutter + 4, 4, rowW - 2, 5, Lighter(s_.Menu, 0.6f));
    const TRect dividerRect = menu_.Put(divider);

    const Rgba text = s_.MenuText, activeText = s_.HotText;
    auto mark = [&](int kind, bool activeRow) {  // 0 check, 1 radio, 2 arrow
      Image shape(16, 16);
      const Rgba c = activeRow ? activeText : text;
      if (kind == 0) DrawCheckMark(shape, 3, 3, 10, c);
      if (kind == 1) Fill(shape, Path().Ellipse(8, 8, 3.2f, 3.2f), Radial(7, 7, 4, Lighter(c, 0.4f), c));
      if (kind == 2) DrawArrow(shape, 8, 8, 8, Dir::Right, c);
      return menu_.Put(Keyed(shape, kind == 2 ? (activeRow ? s_.Hot1 : s_.Menu) : (activeRow ? s_.Hot0 : gutterColor)));
    };
    auto& item = Object<TbsDataSkinMenuItem>(u"menuitem");
    item.ActivePictureIndex = kMenu;
    item.SkinRectInAPicture = true;
    item.SkinRect = normalRect;
    item.ActiveSkinRect = activeRect;
    item.DividerRect = dividerRect;
    item.DividerLO = gutter + 2, item.DividerRO = 4;
    item.ItemLO = gutter + 2, item.ItemRO = 4;
    item.TextRct = {gutter + 6, 0, rowW - 20, rowH};
    item.ImageRct = {4, 3, 20, 19};
    Font(item, text);
    item.ActiveFontColor = ToTColor(activeText);
    item.UnEnabledFontColor = ToTColor(s_.DisabledText);
    item.StretchEffect = true;
    item.DividerStretchEffect = true;
    item.CheckImageRect = mark(0, false), item.ActiveCheckImageRect = mark(0, true);
    item.RadioImageRect = mark(1, false), item.ActiveRadioImageRect = mark(1, true);
    item.ArrowImageRect = mark(2, false), item.ActiveArrowImageRect = mark(2, true);

    // Menu bar and its items.
    const int barW = 120, barH = 24;
    const Rgba barTop = Mix(s_.Body, Hex(0xFFFFFF), s_.Dark ? 0.05f : 0.45f), barBottom = s_.Body;
    auto bar = [&](int w, int st) {
      Image img(w, barH, s_.Body);
      DrawBand(img, {0, 0, float(w), float(barH)}, barTop, barBottom, s_.FaceTex, s_.FaceTexAmount * 0.6f);
      img.FillRect(0, barH - 1, w, barH, Mix(barBottom, s_.Border, 0.35f));
      if (st > 0) DrawFace(img, {1, 1, float(w - 1), float(barH - 1)}, 3, s_, st == 1 ? St::Hot : St::Down);
      return menu_.Put(img);
    };
    auto& mb = Control<TbsDataSkinMainMenuBar>(u"mainmenubar");
    mb.PictureIndex = kMenu;
    mb.SkinRect = bar(barW, 0);
    mb.ItemsRect = {2, 0, barW - 2, barH};
    mb.MenuBarItem = u"mainmenubaritem";
    mb.TrackMarkColor = ToTColor(s_.Border);
    mb.TrackMarkActiveColor = ToTColor(s_.Accent);
    mb.StretchEffect = true;
    auto& mbi = Object<TbsDataSkinMainMenuBarItem>(u"mainmenubaritem");
    mbi.ActivePictureIndex = kMenu;
    mbi.SkinRectInAPicture = true;
    mbi.SkinRect = bar(44, 0);
    mbi.ActiveSkinRect = bar(44, 1);
    mbi.DownRect = bar(44, 2);
    mbi.TextRct = {6, 0, 38, barH};
    mbi.ItemLO = 5, mbi.ItemRO = 5;
    Font(mbi, s_.Text);
    mbi.ActiveFontColor = ToTColor(s_.HotText);
    mbi.DownFontColor = ToTColor(s_.HotText);
    mbi.UnEnabledFontColor = ToTColor(s_.DisabledText);
    mbi.StretchEffect = true;

    // Popup window background: a whole picture of its own.
    const int pw = 64, ph = 64;
    PopupPicture = Image(pw, ph, s_.Menu);
    Fill(PopupPicture, Path().RoundRect(RectF{0, 0, float(pw), float(ph)}, 0), Solid(Mix(s_.Border, s_.Menu, 0.1f)));
    Fill(PopupPicture, Path().RoundRect(RectF{1, 1, float(pw - 1), float(ph - 1)}, 0), Solid(s_.Menu));
    PopupPicture.FillRect(2, 2, 2 + gutter, ph - 2, gutterColor);
    auto& pwd = *m_.PopupWindow;
    pwd.WindowPictureIndex = kPopup;
    pwd.LTPoint = {4, 4}, pwd.RTPoint = {pw - 4, 4}, pwd.LBPoint = {4, ph - 4}, pwd.RBPoint = {pw - 4, ph - 4};
    pwd.ItemsRect = {2, 2, pw - 2, ph - 2};
    pwd.ScrollMarkerColor = ToTColor(s_.MenuText);
    pwd.ScrollMarkerActiveColor = ToTColor(s_.Accent);
    pwd.LeftStretch = pwd.RightStretch = pwd.TopStretch = pwd.BottomStretch = true;
    pwd.StretchEffect = true;
  }

  void Hint() {
    const int w = 48, h = 32;
    const Rgba top = s_.Dark ? Mix(s_.Face0, s_.Body, 0.3f) : Mix(Hex(0xFFFFFF), s_.Hot0, 0.25f);
    const Rgba bottom = s_.Dark ? s_.Body : Mix(s_.Window, s_.Face1, 0.45f);
    HintPicture = Image(w, h, s_.Body);
    Fill(HintPicture, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 0), Solid(Mix(s_.Border, s_.Accent, 0.3f)));
    Fill(HintPicture, Path().RoundRect(RectF{1, 1, float(w - 1), float(h - 1)}, 0), Vertical(1, float(h - 1), top, bottom));
    auto& hw = *m_.HintWindow;
    hw.WindowPictureIndex = kHint;
    hw.LTPoint = {4, 4}, hw.RTPoint = {w - 4, 4}, hw.LBPoint = {4, h - 4}, hw.RBPoint = {w - 4, h - 4};
    hw.ClRect = {4, 4, w - 4, h - 4};
    Font(hw, s_.Text);
    hw.LeftStretch = hw.RightStretch = hw.TopStretch = hw.BottomStretch = true;
    hw.StretchEffect = true;
  }

  // ---- Buttons -----------------------------------------------------------

  void ButtonStates(TbsDataSkinButtonControl& b, int w, int h, float radius, const Rgba& bg, bool flatNormal) {
    const int corner = std::max(int(std::ceil(radius)) + 2, 4);
    TRect normal;
    if (flatNormal) {
      Image img(w, h, bg);
      DrawBand(img, {0, 0, float(w), float(h)}, ToolTop(), ToolBottom(), s_.FaceTex, s_.FaceTexAmount);
      normal = ctl_.Put(img);
    } else {
      normal = FaceImage(w, h, radius, St::Normal, bg);
    }
    NinePart(b, normal, corner);
    // Rounder looks keep a client area tall enough for a caption and its
    // focus frame: the corners reach only part-way down.
    const int cornerY = std::min(corner, std::max(3, h / 2 - 6));
    b.LTPoint.Y = b.RTPoint.Y = cornerY;
    b.LBPoint.Y = b.RBPoint.Y = h - cornerY;
    b.ClRect.Top = cornerY;
    b.ClRect.Bottom = h - cornerY;
    b.ActiveSkinRect = FaceImage(w, h, radius, St::Hot, bg);
    b.DownSkinRect = FaceImage(w, h, radius, St::Down, bg);
    b.FocusedSkinRect = FaceImage(w, h, radius, St::Focused, bg);
    if (flatNormal) {
      Image img(w, h, bg);
      DrawBand(img, {0, 0, float(w), float(h)}, Mix(ToolTop(), s_.Body, 0.4f), Mix(ToolBottom(), s_.Body, 0.4f),
               s_.FaceTex, s_.FaceTexAmount);
      b.DisabledSkinRect = ctl_.Put(img);
    } else {
      b.DisabledSkinRect = FaceImage(w, h, radius, St::Disabled, bg);
    }
    Font(b, s_.Text);
    b.ActiveFontColor = ToTColor(s_.HotText);
    b.DownFontColor = ToTColor(s_.HotText);
    b.DisabledFontColor = ToTColor(s_.DisabledText);
    b.Morphing = true;
    b.MorphKind = mkDefault;
  }

  // A column-header section: the tool face with a raised edge (light rim at
  // the top and left), a separator line at the right and a rule along the
  // bottom, so neighbouring sections stay apart however they are stretched.
  TRect HeaderFace(int w, int h, const Rgba& top, const Rgba& bottom, bool raised) {
    Image img(w, h, bottom);
    DrawBand(img, {0, 0, float(w), float(h)}, top, bottom, s_.FaceTex, s_.FaceTexAmount);
    const Rgba edge = Mix(s_.Border, bottom, s_.Dark ? 0.2f : 0.35f);
    if (raised) {
      const Rgba rim = Lighter(top, s_.Dark ? 0.15f : 0.7f);
      img.FillRect(0, 0, w - 1, 1, rim);
      img.FillRect(0, 1, 1, h - 1, rim);
    }
    img.FillRect(w - 1, 3, w, h - 3, edge);
    img.FillRect(0, h - 1, w, h, edge);
    return ctl_.Put(img);
  }

  // The header face family: normal, hot, focused and disabled (sections have
  // none of these looks) from HeaderFace, pressed sunk in the tool's pressed colours; the tool face's
  // fonts and colours.
  void HeaderSections(TbsDataSkinButtonControl& h, const TbsDataSkinButtonControl& tool) {
    const int w = 40, hh = 22, corner = 4;
    NinePart(h, HeaderFace(w, hh, Lighter(ToolTop(), 0.25f), ToolBottom(), true), corner);
    h.ActiveSkinRect = h.FocusedSkinRect = h.DisabledSkinRect = h.SkinRect;
    h.DownSkinRect = HeaderFace(w, hh, s_.Down0, s_.Down1, false);
    h.FontName = tool.FontName;
    h.FontStyle = tool.FontStyle;
    h.FontHeight = tool.FontHeight;
    h.FontColor = tool.FontColor;
    h.ActiveFontColor = tool.FontColor;
    h.DownFontColor = tool.DownFontColor;
    h.DisabledFontColor = tool.DisabledFontColor;
  }

  void Buttons() {
    const float r = s_.Radius;
    auto& button = Control<TbsDataSkinButtonControl>(u"button");
    ButtonStates(button, 72, 25, r, s_.Body, false);
    button.ShowFocus = true;
    auto& resize = Control<TbsDataSkinButtonControl>(u"resizebutton");
    ButtonStates(resize, 40, 22, std::min(r, 5.0f), s_.Body, false);
    auto& tool = Control<TbsDataSkinButtonControl>(u"toolbutton");
    ButtonStates(tool, 48, 48, std::min(r + 1, 6.0f), ToolBottom(), true);
    auto& resizeTool = Control<TbsDataSkinButtonControl>(u"resizetoolbutton");
    ButtonStates(resizeTool, 40, 40, std::min(r + 1, 6.0f), ToolBottom(), true);
    HeaderSections(Control<TbsDataSkinButtonControl>(u"resizetoolbuttonheader"), resizeTool);
    auto& menuButton = Control<TbsDataSkinMenuButtonControl>(u"toolmenubutton");
    ButtonStates(menuButton, 48, 48, std::min(r + 1, 6.0f), ToolBottom(), true);
    // The drop-down marker beside the caption, in three looks.
    auto marker = [&](const Rgba& c, const Rgba& bg) {
      Image shape(9, 7);
      DrawArrow(shape, 4.5f, 3.5f, 7, Dir::Down, c);
      return ctl_.Put(Keyed(shape, bg));
    };
    menuButton.MenuMarkerFlatRect = marker(s_.Text, ToolBottom());
    menuButton.MenuMarkerRect = marker(s_.Text, s_.Face1);
    menuButton.MenuMarkerActiveRect = marker(s_.HotText, s_.Hot1);
    menuButton.MenuMarkerDownRect = marker(s_.HotText, s_.Down1);
    menuButton.MenuMarkerTransparentColor = kKeyColor;
  }

  // ---- Panels ------------------------------------------------------------

  TRect PanelImage(int w, int h, const Rgba& top, const Rgba& bottom, const Rgba& edge, float radius, const Rgba& bg) {
    Image img(w, h, bg);
    Fill(img, Path().RoundRect(RectF{0, 0, float(w), float(h)}, radius), Solid(edge));
    Fill(img, Path().RoundRect(RectF{1, 1, float(w - 1), float(h - 1)}, std::max(radius - 1, 0.0f)),
         Textured(Vertical(1, float(h - 1), top, bottom), s_.FaceTex, s_.FaceTexAmount));
    Path rim;
    rim.RoundRect(RectF{1, 1, float(w - 1), float(h - 1)}, std::max(radius - 1, 0.0f))
        .RoundRect(RectF{2, 2, float(w - 2), float(h - 2)}, std::max(radius - 2, 0.0f));
    Fill(img, rim, Solid(Rgba{1, 1, 1, s_.Dark ? 0.1f : 0.45f}), true);
    return ctl_.Put(img);
  }

  void Panels() {
    const Rgba edge = Mix(s_.Border, s_.Body, 0.45f);
    const float r = std::min(s_.Radius, 4.0f);
    auto& panel = Control<TbsDataSkinPanelControl>(u"panel");
    NinePart(panel, PanelImage(48, 48, Lighter(s_.Body, 0.12f), s_.Body, edge, r, s_.Body), int(r) + 3);
    Font(panel, s_.Text);

    // Group box: a caption tab on a framed body.
    const int gw = 96, gh = 64, capH = 20;
    Image g(gw, gh, s_.Body);
    Fill(g, Path().RoundRect(RectF{0, 0, float(gw), float(gh)}, r + 1), Solid(edge));
    Fill(g, Path().RoundRect(RectF{1, 1, float(gw - 1), float(gh - 1)}, r),
         Textured(Solid(Lighter(s_.Body, 0.1f)), s_.FaceTex, s_.FaceTexAmount));
    Fill(g, Path().RoundRect4(RectF{1, 1, float(gw - 1), float(capH)}, r, r, 0, 0),
         Textured(Vertical(1, float(capH), Mix(s_.Face0, s_.Body, 0.2f), Mix(s_.Face1, s_.Body, 0.3f)), s_.FaceTex,
                  s_.FaceTexAmount));
    g.FillRect(1, capH, gw - 1, capH + 1, edge);
    auto& group = Control<TbsDataSkinPanelControl>(u"groupbox");
    const TRect gr = ctl_.Put(g);
    NinePart(group, gr, int(r) + 3);
    group.LTPoint = {8, capH + 4};
    group.RTPoint = {gw - 8, capH + 4};
    group.ClRect = {4, capH + 4, gw - 4, gh - 4};
    group.CaptionRect = {6, 0, gw - 6, capH};
    group.Alignment = taLeftJustify;
    Font(group, s_.Text, kFontHeight, fsBold);

    auto& tool = Control<TbsDataSkinPanelControl>(u"toolpanel");
    NinePart(tool, PanelImage(48, 48, ToolTop(), ToolBottom(), edge, 0, s_.Body), 3);
    Font(tool, s_.Text);
    auto& resizeTool = Control<TbsDataSkinPanelControl>(u"resizetoolpanel");
    NinePart(resizeTool, PanelImage(48, 60, ToolTop(), ToolBottom(), edge, 0, s_.Body), 3);
    Font(resizeTool, s_.Text);
    auto& status = Control<TbsDataSkinPanelControl>(u"statusbar");
    NinePart(status, PanelImage(48, 22, Mix(s_.Face0, s_.Body, 0.5f), Mix(s_.Face1, s_.Body, 0.3f), edge, 0, s_.Body), 3);
    Font(status, s_.Text);
    auto& box = Control<TbsDataSkinScrollBoxControl>(u"scrollbox");
    NinePart(box, PanelImage(40, 40, s_.Body, s_.Body, edge, 0, s_.Body), 2);
  }

  // ---- Check and radio boxes --------------------------------------------

  TRect CheckImage(bool radio, bool checked, St st) {
    Image shape(15, 15);
    const RectF box{1, 1, 14, 14};
    const FaceColors f = FaceOf(s_, st);
    const Rgba inner0 = st == St::Disabled ? Mix(s_.Window, s_.Body, 0.5f) : s_.Window;
    const Rgba inner1 = st == St::Hot ? Mix(s_.Window, s_.Hot1, 0.45f) : Mix(s_.Window, s_.Face1, 0.45f);
    Path outer, inner;
    if (radio) {
      outer.Ellipse(7.5f, 7.5f, 6.5f, 6.5f);
      inner.Ellipse(7.5f, 7.5f, 5.5f, 5.5f);
    } else {
      outer.RoundRect(box, 2);
      inner.RoundRect(box.Inset(1), 1);
    }
    Fill(shape, outer, Solid(st == St::Hot ? s_.HotBorder : f.Border));
    Fill(shape, inner, Vertical(2, 13, inner1, inner0));
    if (checked) {
      const Rgba mark = st == St::Disabled ? s_.DisabledText : (s_.Dark ? s_.Accent : Mix(s_.Accent, s_.Text, 0.3f));
      if (radio)
        Fill(shape, Path().Ellipse(7.5f, 7.5f, 3.2f, 3.2f), Radial(6.5f, 6.5f, 4.5f, Lighter(mark, 0.5f), mark));
      else
        DrawCheckMark(shape, 2.5f, 2.5f, 10, mark);
    }
    return ctl_.Put(Keyed(shape, s_.Body));
  }

  void CheckRadio() {
    for (bool radio : {false, true}) {
      auto& c = Control<TbsDataSkinCheckRadioControl>(radio ? u"radiobox" : u"checkbox");
      c.CheckImageRect = CheckImage(radio, true, St::Normal);
      c.UnCheckImageRect = CheckImage(radio, false, St::Normal);
      c.ActiveCheckImageRect = CheckImage(radio, true, St::Hot);
      c.ActiveUnCheckImageRect = CheckImage(radio, false, St::Hot);
      c.UnEnabledCheckImageRect = CheckImage(radio, true, St::Disabled);
      c.UnEnabledUnCheckImageRect = CheckImage(radio, false, St::Disabled);
      if (!radio) {
        Image shape(15, 15);
        Fill(shape, Path().RoundRect(RectF{1, 1, 14, 14}, 2), Solid(s_.Border));
        Fill(shape, Path().RoundRect(RectF{2, 2, 13, 13}, 1), Solid(s_.Window));
        Fill(shape, Path().RoundRect(RectF{4, 4, 11, 11}, 1), Solid(WithAlpha(s_.Accent, 0.7f)));
        c.GrayedCheckImageRect = ctl_.Put(Keyed(shape, s_.Body));
        Fill(shape, Path().RoundRect(RectF{1, 1, 14, 14}, 2), Solid(WithAlpha(s_.HotBorder, 0.6f)), false, 0.5f);
        c.ActiveGrayedCheckImageRect = ctl_.Put(Keyed(shape, s_.Body));
      }
      Font(c, s_.Text);
      c.FrameFontColor = ToTColor(s_.Text);
      c.ActiveFontColor = ToTColor(s_.HotText);
      c.UnEnabledFontColor = ToTColor(s_.DisabledText);
    }
  }

  // ---- Labels ------------------------------------------------------------

  void Labels() {
    auto& std = Control<TbsDataSkinStdLabelControl>(u"stdlabel");
    std.PictureIndex = -1;
    Font(std, s_.Text);
    std.ActiveFontColor = ToTColor(s_.Accent);
    auto& label = Control<TbsDataSkinLabelControl>(u"label");
    NinePart(label, PanelImage(40, 20, Mix(s_.Face0, s_.Body, 0.6f), Mix(s_.Face1, s_.Body, 0.6f),
                               Mix(s_.Border, s_.Body, 0.6f), 2, s_.Body),
             3);
    Font(label, s_.Text);
    auto& header = Control<TbsDataSkinLabelControl>(u"menuheader");
    Image img(60, 20, s_.Menu);
    DrawBand(img, {0, 0, 60, 20}, Mix(s_.Cap0, s_.Menu, 0.3f), Mix(s_.Cap1, s_.Menu, 0.3f), s_.CapTex, s_.CapTexAmount);
    img.FillRect(0, 19, 60, 20, s_.CapBorder);
    NinePart(header, ctl_.Put(img), 2);
    Font(header, Luma(Mix(s_.Cap1, s_.Menu, 0.3f)) < 0.5f ? Hex(0xFFFFFF) : s_.Text, kFontHeight, fsBold);
  }

  // ---- Edits -------------------------------------------------------------

  TRect EditImage(int w, int h, bool active, const Rgba& bg, int buttonW = 0, St buttonState = St::Normal,
                  bool spin = false) {
    Image img(w, h, bg);
    const Rgba border = active ? s_.Accent : Mix(s_.Border, s_.Body, 0.2f);
    Fill(img, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 2), Solid(border));
    Fill(img, Path().RoundRect(RectF{1, 1, float(w - 1), float(h - 1)}, 1), Solid(s_.Window));
    img.FillRect(1, 1, w - 1, 2, Mix(s_.Window, s_.Border, 0.18f));  // a faint inner shadow on top
    if (buttonW > 0) {
      const float x0 = float(w - 1 - buttonW);
      if (spin) {
        const float mid = float(h) / 2;
        DrawFace(img, {x0, 1, float(w - 1), mid}, 1.5f, s_, buttonState);
        DrawFace(img, {x0, mid, float(w - 1), float(h - 1)}, 1.5f, s_, buttonState);
        DrawArrow(img, x0 + buttonW / 2.0f, mid / 2 + 0.5f, 6, Dir::Up, s_.Text);
        DrawArrow(img, x0 + buttonW / 2.0f, mid + (h - 1 - mid) / 2, 6, Dir::Down, s_.Text);
      } else {
        DrawFace(img, {x0, 1, float(w - 1), float(h - 1)}, 1.5f, s_, buttonState);
        DrawArrow(img, x0 + buttonW / 2.0f, float(h) / 2, 7, Dir::Down,
                  buttonState == St::Disabled ? s_.DisabledText : s_.Text);
      }
    }
    return ctl_.Put(img);
  }

  // A button image alone (edit, combo and spin buttons in their states).
  TRect ButtonPart(int w, int h, St st, Dir arrow, const Rgba& bg) {
    Image img(w, h, bg);
    DrawFace(img, {0, 0, float(w), float(h)}, 1.5f, s_, st);
    DrawArrow(img, w / 2.0f, h / 2.0f, std::min(7.0f, w * 0.45f), arrow,
              st == St::Disabled ? s_.DisabledText : (st == St::Normal ? s_.Text : s_.HotText));
    return ctl_.Put(img);
  }

  void Edits() {
    const int w = 80, h = 22, bw = 17;
    auto edit = [&](const char16_t* name) -> TbsDataSkinEditControl& {
      auto& e = Control<TbsDataSkinEditControl>(name);
      NinePart(e, EditImage(w, h, false, s_.Body), 3);
      e.ActiveSkinRect = EditImage(w, h, true, s_.Body);
      Font(e, s_.Text);
      e.ActiveFontColor = ToTColor(s_.Text);
      e.DisabledFontColor = ToTColor(s_.DisabledText);
      return e;
    };
    edit(u"edit");
    auto& be = Control<TbsDataSkinEditControl>(u"buttonedit");
    NinePart(be, EditImage(w, h, false, s_.Body, bw, St::Normal), 3);
    be.RTPoint = {w - bw - 4, 3};
    be.RBPoint = {w - bw - 4, h - 3};
    be.ClRect = {3, 3, w - bw - 3, h - 3};
    be.ActiveSkinRect = EditImage(w, h, true, s_.Body, bw, St::Normal);
    be.ButtonRect = {w - 1 - bw, 1, w - 1, h - 1};
    be.ActiveButtonRect = ButtonPart(bw, h - 2, St::Hot, Dir::Down, s_.Window);
    be.DownButtonRect = ButtonPart(bw, h - 2, St::Down, Dir::Down, s_.Window);
    be.UnEnabledButtonRect = ButtonPart(bw, h - 2, St::Disabled, Dir::Down, s_.Window);
    Font(be, s_.Text);
    be.ActiveFontColor = ToTColor(s_.Text);
    be.DisabledFontColor = ToTColor(s_.DisabledText);

    auto& memo = Control<TbsDataSkinMemoControl>(u"memo");
    NinePart(memo, EditImage(60, 40, false, s_.Body), 3);
    memo.ActiveSkinRect = EditImage(60, 40, true, s_.Body);
    Font(memo, s_.Text);
    memo.ActiveFontColor = ToTColor(s_.Text);
    memo.DisabledFontColor = ToTColor(s_.DisabledText);
    memo.BGColor = ToTColor(s_.Window);
    memo.ActiveBGColor = ToTColor(s_.Window);

    auto& spin = Control<TbsDataSkinSpinEditControl>(u"spinedit");
    const int sw = 15;
    NinePart(spin, EditImage(w, h, false, s_.Body, sw, St::Normal, true), 3);
    spin.RTPoint = {w - sw - 4, 3};
    spin.RBPoint = {w - sw - 4, h - 3};
    spin.ClRect = {3, 3, w - sw - 3, h - 3};
    spin.ActiveSkinRect = EditImage(w, h, true, s_.Body, sw, St::Normal, true);
    const int half = (h - 2) / 2;
    spin.UpButtonRect = {w - 1 - sw, 1, w - 1, 1 + half};
    spin.DownButtonRect = {w - 1 - sw, 1 + half, w - 1, h - 1};
    spin.ActiveUpButtonRect = ButtonPart(sw, half, St::Hot, Dir::Up, s_.Window);
    spin.DownUpButtonRect = ButtonPart(sw, half, St::Down, Dir::Up, s_.Window);
    spin.ActiveDownButtonRect = ButtonPart(sw, half, St::Hot, Dir::Down, s_.Window);
    spin.DownDownButtonRect = ButtonPart(sw, half, St::Down, Dir::Down, s_.Window);
    Font(spin, s_.Text);
    spin.ActiveFontColor = ToTColor(s_.Text);
    spin.DisabledFontColor = ToTColor(s_.DisabledText);
  }

  // ---- Lists and combo boxes ------------------------------------------

  TRect ItemStrip(int w, int h, int kind /*0 normal, 1 selected, 2 focused*/) {
    Image img(w, h, s_.Window);
    if (kind > 0) {
      const RectF r{0, 0, float(w), float(h)};
      const Rgba top = kind == 1 ? Lighter(s_.Accent, 0.25f) : Lighter(s_.Accent, 0.35f);
      Fill(img, Path().RoundRect(r, 2), Solid(Darker(s_.Accent, 0.2f)));
      Fill(img, Path().RoundRect(r.Inset(1), 1), Vertical(1, float(h - 1), top, s_.Accent));
      Fill(img, Path().RoundRect(RectF{1, 1, float(w - 1), float(h) / 2}, 1), Solid(Rgba{1, 1, 1, 0.18f}));
    }
    return ctl_.Put(img);
  }

  void Lists() {
    const int itemW = 48, itemH = 18;
    auto& lb = Control<TbsDataSkinListBox>(u"listbox");
    NinePart(lb, EditImage(60, 60, false, s_.Body), 3);
    lb.SItemRect = ItemStrip(itemW, itemH, 0);
    lb.ActiveItemRect = ItemStrip(itemW, itemH, 1);
    lb.FocusItemRect = ItemStrip(itemW, itemH, 2);
    lb.ItemLeftOffset = 3, lb.ItemRightOffset = 3;
    lb.ItemTextRect = {4, 0, itemW - 4, itemH};
    Font(lb, s_.Text);
    lb.ActiveFontColor = ToTColor(s_.SelText);
    lb.FocusFontColor = ToTColor(s_.SelText);
    lb.CaptionFontName = kFont;
    lb.CaptionFontHeight = kFontHeight;
    lb.CaptionFontColor = ToTColor(s_.Text);
    lb.VScrollBarName = u"vscrollbar";
    lb.HScrollBarName = u"hscrollbar";
    lb.BothScrollBarName = u"bothhscrollbar";
    lb.ShowFocus = true;

    const int w = 100, h = 22, bw = 18;
    auto& cb = Control<TbsDataSkinComboBox>(u"combobox");
    HorzParts(cb, EditImage(w, h, false, s_.Body, bw, St::Normal), 4, bw + 3, {3, 3, w - bw - 3, h - 3});
    cb.ActiveSkinRect = EditImage(w, h, true, s_.Body, bw, St::Normal);
    cb.SItemRect = ItemStrip(itemW, h - 6, 0);
    cb.ActiveItemRect = ItemStrip(itemW, h - 6, 0);
    cb.FocusItemRect = ItemStrip(itemW, h - 6, 2);
    cb.ItemLeftOffset = 2, cb.ItemRightOffset = 2;
    cb.ItemTextRect = {3, 0, itemW - 3, h - 6};
    Font(cb, s_.Text);
    cb.FocusFontColor = ToTColor(s_.SelText);
    cb.ActiveFontColor = ToTColor(s_.Text);
    cb.ButtonRect = {w - 1 - bw, 1, w - 1, h - 1};
    cb.ActiveButtonRect = ButtonPart(bw, h - 2, St::Hot, Dir::Down, s_.Window);
    cb.DownButtonRect = ButtonPart(bw, h - 2, St::Down, Dir::Down, s_.Window);
    cb.UnEnabledButtonRect = ButtonPart(bw, h - 2, St::Disabled, Dir::Down, s_.Window);
    cb.ItemStretchEffect = true;
    cb.FocusItemStretchEffect = true;
    cb.ListBoxName = u"listbox";
    cb.ShowFocus = true;
  }

  // ---- Scroll bars, up-downs, slider, gauge ------------------------------

  TRect Arrow(int w, int h, St st, Dir d) {
    Image img(w, h, s_.Body);
    DrawFace(img, {0, 0, float(w), float(h)}, std::min(s_.Radius, 3.0f), s_, st);
    DrawArrow(img, w / 2.0f, h / 2.0f, 7, d, st == St::Normal ? s_.Text : s_.HotText);
    return ctl_.Put(img);
  }

  TRect Thumb(int w, int h, St st) {
    Image img(w, h, s_.Body);
    // The track under the thumb's rounded ends.
    Fill(img, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 0), Solid(Mix(s_.Body, s_.Window, 0.35f)));
    const float r = std::min({s_.Radius + 1, float(std::min(w, h)) / 2 - 1});
    DrawFace(img, {1, 1, float(w - 1), float(h - 1)}, r, s_, st);
    return ctl_.Put(img);
  }

  // Three grip lines on the key colour, drawn centred on the thumb at any
  // length (the thumb's middle is stretched, the grip is not).
  TRect Grip(St st, bool horizontal) {
    const int w = horizontal ? 8 : 7, h = horizontal ? 7 : 8;
    Image img(w, h, kGripKey);
    const Rgba line = Darker(FaceOf(s_, st).Border, 0.1f), hi = Rgba{1, 1, 1, 1};
    for (int i = 0; i < 3; ++i) {
      if (horizontal) {
        img.FillRect(i * 3, 0, i * 3 + 1, h, line);
        img.FillRect(i * 3 + 1, 0, i * 3 + 2, h, hi);
      } else {
        img.FillRect(0, i * 3, w, i * 3 + 1, line);
        img.FillRect(0, i * 3 + 1, w, i * 3 + 2, hi);
      }
    }
    return ctl_.Put(img);
  }

  void ScrollBar(const char16_t* name, bool horizontal) {
    const int t = 17, len = 100, thumbLen = 30;
    auto& sb = Control<TbsDataSkinScrollBarControl>(name);
    const Dir up = horizontal ? Dir::Left : Dir::Up, down = horizontal ? Dir::Right : Dir::Down;
    // The whole bar at its design size: arrow, track, arrow.
    const int w = horizontal ? len : t, h = horizontal ? t : len;
    Image bar(w, h, s_.Body);
    const Rgba a = Mix(s_.Body, s_.Window, 0.5f), b = Mix(s_.Body, s_.Border, 0.12f);
    Fill(bar, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 0),
         horizontal ? Vertical(0, float(h), b, a) : Linear(0, 0, float(w), 0, {{0.0f, b}, {1.0f, a}}));
    auto arrowAt = [&](float x, float y, Dir d) {
      DrawFace(bar, {x, y, x + t, y + t}, std::min(s_.Radius, 3.0f), s_, St::Normal);
      DrawArrow(bar, x + t / 2.0f, y + t / 2.0f, 7, d, s_.Text);
    };
    arrowAt(0, 0, up);
    arrowAt(horizontal ? float(len - t) : 0, horizontal ? 0 : float(len - t), down);
    const TRect r = ctl_.Put(bar);
    if (horizontal)
      HorzParts(sb, r, t, t, {t, 0, len - t, t});
    else
      VertParts(sb, r, t, t, {0, t, t, len - t});
    sb.TrackArea = horizontal ? TRect{t, 0, len - t, t} : TRect{0, t, t, len - t};
    // The "up" button is the far one (right or bottom), which raises the position.
    sb.UpButtonRect = horizontal ? TRect{len - t, 0, len, t} : TRect{0, len - t, t, len};
    sb.DownButtonRect = {0, 0, t, t};
    sb.ActiveUpButtonRect = Arrow(t, t, St::Hot, down);
    sb.DownUpButtonRect = Arrow(t, t, St::Down, down);
    sb.ActiveDownButtonRect = Arrow(t, t, St::Hot, up);
    sb.DownDownButtonRect = Arrow(t, t, St::Down, up);
    const int tw = horizontal ? thumbLen : t, th = horizontal ? t : thumbLen;
    sb.ThumbRect = Thumb(tw, th, St::Normal);
    sb.ActiveThumbRect = Thumb(tw, th, St::Hot);
    sb.DownThumbRect = Thumb(tw, th, St::Down);
    sb.GlyphRect = Grip(St::Normal, horizontal);
    sb.ActiveGlyphRect = Grip(St::Hot, horizontal);
    sb.DownGlyphRect = Grip(St::Down, horizontal);
    sb.GlyphTransparent = true;
    sb.GlyphTransparentColor = 0xFF00FF;
    sb.ThumbOffset1 = sb.ThumbOffset2 = 6;
    sb.ThumbStretchEffect = true;
    sb.ThumbMinSize = 10;
    sb.ThumbMinPageSize = 17;
  }

  void ScrollBars() {
    ScrollBar(u"hscrollbar", true);
    ScrollBar(u"vscrollbar", false);
    ScrollBar(u"bothhscrollbar", true);
    for (bool horizontal : {true, false}) {
      auto& ud = Control<TbsDataSkinUpDownControl>(horizontal ? u"hupdown" : u"vupdown");
      const int bw = horizontal ? 15 : 17, bh = horizontal ? 17 : 11;
      const int w = horizontal ? 2 * bw : bw, h = horizontal ? bh : 2 * bh;
      Image img(w, h, s_.Body);
      const Dir first = horizontal ? Dir::Left : Dir::Up, second = horizontal ? Dir::Right : Dir::Down;
      DrawFace(img, {0, 0, float(bw), float(bh)}, 2, s_, St::Normal);
      DrawArrow(img, bw / 2.0f, bh / 2.0f, 6, first, s_.Text);
      const float x2 = horizontal ? float(bw) : 0, y2 = horizontal ? 0 : float(bh);
      DrawFace(img, {x2, y2, x2 + bw, y2 + bh}, 2, s_, St::Normal);
      DrawArrow(img, x2 + bw / 2.0f, y2 + bh / 2.0f, 6, second, s_.Text);
      ud.SkinRect = ctl_.Put(img);
      // "Up" is the right-hand button of a horizontal pair.
      const TRect firstR{0, 0, bw, bh}, secondR{int(x2), int(y2), int(x2) + bw, int(y2) + bh};
      ud.UpButtonRect = horizontal ? secondR : firstR;
      ud.DownButtonRect = horizontal ? firstR : secondR;
      const Dir upDir = horizontal ? Dir::Right : Dir::Up, downDir = horizontal ? Dir::Left : Dir::Down;
      ud.ActiveUpButtonRect = Arrow(bw, bh, St::Hot, upDir);
      ud.DownUpButtonRect = Arrow(bw, bh, St::Down, upDir);
      ud.ActiveDownButtonRect = Arrow(bw, bh, St::Hot, downDir);
      ud.DownDownButtonRect = Arrow(bw, bh, St::Down, downDir);
    }

    auto& gauge = Control<TbsDataSkinGaugeControl>(u"gauge");
    NinePart(gauge, EditImage(60, 18, false, s_.Body), 3);
    gauge.ProgressArea = {2, 2, 58, 16};
    Image prog(30, 14, s_.Window);
    DrawFace(prog, {0, 0, 30, 14}, 2, s_, St::Down);
    Fill(prog, Path().RoundRect(RectF{1, 1, 29, 13}, 1),
         Vertical(1, 13, WithAlpha(Lighter(s_.Accent, 0.35f), 0.85f), WithAlpha(s_.Accent, 0.85f)));
    gauge.ProgressRect = ctl_.Put(prog);
    gauge.BeginOffset = gauge.EndOffset = 3;
    gauge.ProgressStretch = true;
    Font(gauge, s_.Text);
  }

  void Slider() {
    auto& sl = Control<TbsDataSkinSlider>(u"slider");
    sl.SkinRect = {};
    auto ruler = [&](int w, int h) {
      Image img(w, h, s_.Body);
      const RectF r{0, 0, float(w), float(h)};
      const float rad = std::min(w, h) / 2.0f;
      Fill(img, Path().RoundRect(r, rad), Solid(Mix(s_.Border, s_.Body, 0.1f)));
      Fill(img, Path().RoundRect(r.Inset(1), rad - 1),
           Linear(0, 0, w > h ? 0 : float(w), w > h ? float(h) : 0,
                  {{0.0f, Darker(s_.Window, 0.12f)}, {1.0f, s_.Window}}));
      return ctl_.Put(img);
    };
    sl.HRulerRect = ruler(60, 6);
    sl.VRulerRect = ruler(6, 60);
    auto thumbs = [&](int w, int h, bool horizontal) {
      // Two states side by side: normal, pressed.
      Image img(2 * w, h, s_.Body);
      for (int i = 0; i < 2; ++i) {
        const float x = float(i * w);
        const St st = i == 0 ? St::Normal : St::Down;
        DrawFace(img, {x + 1, 1, x + w - 1, float(h - 1)}, std::min(w, h) / 2.0f - 1, s_, st);
        const Rgba dot = i == 0 ? s_.Accent : Lighter(s_.Accent, 0.3f);
        Fill(img, Path().Ellipse(x + w / 2.0f, h / 2.0f, 2.2f, 2.2f), Solid(dot));
      }
      (void)horizontal;
      return ctl_.Put(img);
    };
    sl.HThumbRect = thumbs(13, 19, true);
    sl.VThumbRect = thumbs(19, 13, false);
    sl.EdgeSize = 3;
    sl.BGColor = ToTColor(s_.Body);
    sl.PointsColor = ToTColor(s_.Border);
  }

  // ---- Tabs, splitters, views -----------------------------------------

  void Tabs() {
    auto& tab = Control<TbsDataSkinTabControl>(u"tab");
    const int w = 80, h = 60;
    const Rgba edge = Mix(s_.Border, s_.Body, 0.3f);
    Image page(w, h, s_.Body);
    Fill(page, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 0), Solid(edge));
    Fill(page, Path().RoundRect(RectF{1, 1, float(w - 1), float(h - 1)}, 0),
         Vertical(1, float(h - 1), Lighter(s_.Body, s_.Dark ? 0.06f : 0.25f), s_.Body));
    tab.SkinRect = ctl_.Put(page);
    tab.LTPoint = {4, 4}, tab.RTPoint = {w - 4, 4}, tab.LBPoint = {4, h - 4}, tab.RBPoint = {w - 4, h - 4};
    tab.ClRect = {3, 3, w - 3, h - 3};
    tab.LeftStretch = tab.RightStretch = tab.TopStretch = tab.BottomStretch = true;
    tab.StretchEffect = true;
    const int tw = 60, th = 22;
    auto tabImage = [&](St st, bool selected) {
      Image img(tw, th, s_.Body);
      const RectF r{0, selected ? 0.0f : 2.0f, float(tw), float(th) + 4};
      const FaceColors f = FaceOf(s_, st);
      Fill(img, Path().RoundRect4(r, 4, 4, 0, 0), Solid(selected ? edge : f.Border));
      const float lift = s_.Dark ? 0.12f : 0.5f;
      const Rgba top = selected ? Lighter(s_.Body, lift) : f.Top, bottom = selected ? Lighter(s_.Body, lift / 2) : f.Bottom;
      Fill(img, Path().RoundRect4(r.Inset(1), 3, 3, 0, 0), Vertical(r.y0, float(th), top, bottom));
      if (selected) img.FillRect(1, 1, tw - 1, 3, WithAlpha(s_.Accent, 0.85f));
      if (!selected) img.FillRect(0, th - 1, tw, th, edge);
      return ctl_.Put(img);
    };
    tab.TabRect = tabImage(St::Normal, false);
    tab.ActiveTabRect = tabImage(St::Normal, true);
    tab.FocusTabRect = tabImage(St::Focused, true);
    tab.MouseInTabRect = tabImage(St::Hot, false);
    tab.TabLeftOffset = tab.TabRightOffset = 5;
    tab.TabStretchEffect = true;
    Image tbg(20, th, s_.Body);
    tbg.FillRect(0, th - 1, 20, th, edge);
    tab.TabsBGRect = ctl_.Put(tbg);
    Font(tab, s_.Text);
    tab.ActiveFontColor = ToTColor(s_.Text);
    tab.FocusFontColor = ToTColor(s_.Text);
    tab.MouseInFontColor = ToTColor(s_.HotText);
    tab.UpDown = u"hupdown";
    tab.ShowFocus = true;
    tab.FocusOffsetX = tab.FocusOffsetY = 4;
  }

  void Splitters() {
    for (bool vertical : {true, false}) {
      auto& sp = Control<TbsDataSkinSplitterControl>(vertical ? u"vsplitter" : u"hsplitter");
      const int w = vertical ? 6 : 40, h = vertical ? 40 : 6;
      Image img(w, h, s_.Body);
      Fill(img, Path().RoundRect(RectF{0, 0, float(w), float(h)}, 0),
           vertical ? Linear(0, 0, float(w), 0, {{0.0f, Lighter(s_.Body, 0.3f)}, {1.0f, Darker(s_.Body, 0.08f)}})
                    : Vertical(0, float(h), Lighter(s_.Body, 0.3f), Darker(s_.Body, 0.08f)));
      const TRect r = ctl_.Put(img);
      if (vertical)
        VertParts(sp, r, 2, 2, {0, 2, w, h - 2});
      else
        HorzParts(sp, r, 2, 2, {2, 0, w - 2, h});
      Image grip(vertical ? 6 : 22, vertical ? 22 : 6);
      for (int i = 0; i < 5; ++i) {
        const float c = 3 + i * 4.0f;
        const float x = vertical ? 3 : c, y = vertical ? c : 3;
        Fill(grip, Path().Ellipse(x + 0.5f, y + 0.5f, 1.2f, 1.2f), Solid(Rgba{1, 1, 1, 0.8f}));
        Fill(grip, Path().Ellipse(x, y, 1.2f, 1.2f), Solid(Darker(s_.Border, 0.1f)));
      }
      sp.GripperRect = ctl_.Put(Keyed(grip, s_.Body));
      sp.GripperTransparent = true;
      sp.GripperTransparentColor = kKeyColor;
    }
  }

  void Views() {
    for (const char16_t* name : {u"listview", u"treeview"}) {
      auto d = name[0] == u'l' ? std::unique_ptr<TbsDataSkinControl>(new TbsDataSkinListView(name))
                               : std::unique_ptr<TbsDataSkinControl>(new TbsDataSkinTreeView(name));
      if (auto* lv = dynamic_cast<TbsDataSkinListView*>(d.get())) {
        Font(*lv, s_.Text);
        lv->BGColor = ToTColor(s_.Window);
      }
      if (auto* tv = dynamic_cast<TbsDataSkinTreeView*>(d.get())) {
        Font(*tv, s_.Text);
        tv->BGColor = ToTColor(s_.Window);
      }
      m_.CtrlList.push_back(std::move(d));
    }
    Colors = {{u"cbtnface", ToTColor(s_.Body)},
              {u"cbtntext", ToTColor(s_.Text)},
              {u"cwindow", ToTColor(s_.Window)},
              {u"cwindowtext", ToTColor(s_.Text)},
              {u"chighlight", ToTColor(s_.Accent)},
              {u"chighlighttext", ToTColor(s_.SelText)},
              {u"cbtnhighlight", ToTColor(Lighter(s_.Body, 0.6f))},
              {u"cbtnshadow", ToTColor(Darker(s_.Body, 0.3f))}};
  }

  const SkinStyle& s_;
  TbsSkinData& m_;
  Atlas ctl_, cap_, menu_;
};

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> Bmp(const Image& img) { return MakeBmpFile(img.W(), img.H(), 24, img.ToArgb(true)); }

}  // namespace

std::vector<std::uint8_t> BuildSkin(const SkinStyle& Style, const std::string& Folder) {
  namespace fs = std::filesystem;
  fs::create_directories(Folder);
  TbsSkinData model(nullptr);
  Builder b(Style, model);
  b.Build();
  model.SkinName = rtl::Utf8ToString(Style.Id);
  model.SkinAuthor = u"Tavrel";
  model.SkinComments = rtl::Utf8ToString(Style.Look);

  const std::vector<std::pair<std::string, Image>> active{{"controls.bmp", b.Controls().Build()},
                                                         {"captionbuttons.bmp", b.CaptionAtlas().Build()},
                                                         {"menu.bmp", b.MenuAtlas().Build()},
                                                         {"popup.bmp", b.PopupPicture},
                                                         {"hint.bmp", b.HintPicture}};
  std::vector<std::pair<std::string, Image>> pictures = active;
  pictures.insert(pictures.end(), b.Extra.begin(), b.Extra.end());
  const fs::path dir(Folder);
  WriteFile(dir / "frame.bmp", Bmp(b.FramePicture));
  WriteFile(dir / "framemask.bmp", Bmp(b.FrameMask));
  for (const auto& [name, img] : pictures) {
    WriteFile(dir / name, Bmp(img));
    model.ActivePicturesNames().push_back(rtl::Utf8ToString(name));
  }
  TMemIniFile ini;
  model.WriteSkinDescription(ini);
  ini.WriteString(u"PICTURES", u"picture", u"frame.bmp");
  ini.WriteString(u"PICTURES", u"mask", u"framemask.bmp");
  for (const auto& [key, color] : b.Colors) ini.WriteInteger(u"SKINCOLORS", key, color);
  const std::string text = rtl::StringToUtf8(GetIniText(ini));
  WriteFile(dir / "skin.ini", std::vector<std::uint8_t>(text.begin(), text.end()));

  // What the reader makes of it is what gets packed.
  TbsSkinData loaded(nullptr);
  loaded.LoadFromFile(rtl::Utf8ToString((dir / "skin.ini").string()));
  if (loaded.Empty) throw std::runtime_error(std::string("skin does not load: ") + Style.Id);
  TbsCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(&loaded);
  rtl::TMemoryStream out;
  stored.SaveToCompressStream(out);
  const auto* p = static_cast<const std::uint8_t*>(out.Memory());
  return std::vector<std::uint8_t>(p, p + out.Size());
}

}  // namespace tools
