#include "tools/tvlGallery.h"

#include <algorithm>
#include <memory>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Strings.h"
#include "tools/tvlSkinPaint.h"
#include "tools/tvlSkinRects.h"

namespace tools {

namespace {

using rtl::TPoint;
using rtl::TRect;
using namespace skin;

Image FromPicture(const TbsSkinPicture& p) {
  Image img(std::max(p.Width(), 1), std::max(p.Height(), 1));
  const std::vector<std::uint32_t> px = p.ToPixels();
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) img.At(x, y) = Hex(px[size_t(y) * p.Width() + x] & 0xFFFFFF);
  return img;
}

Image Cut(const Image& pic, const TRect& r) {
  Image out(r.Width(), r.Height());
  out.Copy(pic, r.Left, r.Top, r.Width(), r.Height(), 0, 0);
  return out;
}

// Copies src's part into dst's part: scaled when stretching, else tiled 1:1.
void Put(Image& dst, const Image& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh, bool stretch) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  if (stretch || (sw == dw && sh == dh)) {
    dst.StretchCopy(src, sx, sy, sw, sh, dx, dy, dw, dh);
    return;
  }
  for (int y = 0; y < dh; y += sh)
    for (int x = 0; x < dw; x += sw) dst.Copy(src, sx, sy, std::min(sw, dw - x), std::min(sh, dh - y), dx + x, dy + y);
}

struct NineParts {
  TPoint LT, RT, LB, RB;
  TRect Cl;
  bool Stretch = true, StretchClient = true;
};

// The nine-part composition of a skin image at W x H.
Image Compose(const Image& pic, const TRect& R, const NineParts& n, int W, int H) {
  Image b(W, H, Hex(0xFF00FF));
  const int W0 = R.Width(), H0 = R.Height(), dW = W - W0, dH = H - H0;
  const TPoint LT = n.LT, RT = n.RT, LB = n.LB, RB = n.RB;
  const TRect Cl = n.Cl;
  const TPoint NLT = LT, NRT{RT.X + dW, RT.Y}, NLB{LB.X, LB.Y + dH}, NRB{RB.X + dW, RB.Y + dH};
  const TRect NCl{Cl.Left, Cl.Top, Cl.Right + dW, Cl.Bottom + dH};
  const int ox = R.Left, oy = R.Top;
  auto part = [&](int sx0, int sy0, int sx1, int sy1, int dx0, int dy0, int dx1, int dy1, bool stretch) {
    Put(b, pic, ox + sx0, oy + sy0, sx1 - sx0, sy1 - sy0, dx0, dy0, dx1 - dx0, dy1 - dy0, stretch);
  };
  part(LT.X, 0, RT.X, Cl.Top, NLT.X, 0, NRT.X, NCl.Top, n.Stretch);
  part(LB.X, Cl.Bottom, RB.X, H0, NLB.X, NCl.Bottom, NRB.X, H, n.Stretch);
  part(0, LT.Y, Cl.Left, LB.Y, 0, NLT.Y, NCl.Left, NLB.Y, n.Stretch);
  part(Cl.Right, RT.Y, W0, RB.Y, NCl.Right, NRT.Y, W, NRB.Y, n.Stretch);
  part(0, 0, LT.X, Cl.Top, 0, 0, NLT.X, NCl.Top, false);
  part(0, Cl.Top, Cl.Left, LT.Y, 0, NCl.Top, NCl.Left, NLT.Y, false);
  part(RT.X, 0, W0, Cl.Top, NRT.X, 0, W, NCl.Top, false);
  part(Cl.Right, Cl.Top, W0, RT.Y, NCl.Right, NCl.Top, W, NRT.Y, false);
  part(0, LB.Y, Cl.Left, H0, 0, NLB.Y, NCl.Left, H, false);
  part(Cl.Left, Cl.Bottom, LB.X, H0, NCl.Left, NCl.Bottom, NLB.X, H, false);
  part(RB.X, Cl.Bottom, W0, H0, NRB.X, NCl.Bottom, W, H, false);
  part(Cl.Right, RB.Y, W0, Cl.Bottom, NCl.Right, NRB.Y, W, NCl.Bottom, false);
  part(Cl.Left, Cl.Top, Cl.Right, Cl.Bottom, NCl.Left, NCl.Top, NCl.Right, NCl.Bottom, n.StretchClient);
  return b;
}

// Three slices along x or y.
Image ComposeSlices(const Image& pic, const TRect& R, int a, int b, int len, bool horizontal) {
  const int W = horizontal ? len : R.Width(), H = horizontal ? R.Height() : len;
  Image out(W, H);
  if (horizontal) {
    out.Copy(pic, R.Left, R.Top, a, R.Height(), 0, 0);
    out.Copy(pic, R.Right - b, R.Top, b, R.Height(), W - b, 0);
    out.StretchCopy(pic, R.Left + a, R.Top, R.Width() - a - b, R.Height(), a, 0, W - a - b, H);
  } else {
    out.Copy(pic, R.Left, R.Top, R.Width(), a, 0, 0);
    out.Copy(pic, R.Left, R.Bottom - b, R.Width(), b, 0, H - b);
    out.StretchCopy(pic, R.Left, R.Top + a, R.Width(), R.Height() - a - b, 0, a, W, H - a - b);
  }
  return out;
}

// The image of a custom control at a sample size, by its resize mode.
Image Sample(const Image& pic, const TbsDataSkinCustomControl& c, const TRect& r) {
  const int W0 = r.Width(), H0 = r.Height();
  if (c.RBPoint.X != 0 && c.RBPoint.Y != 0)
    return Compose(pic, r, {c.LTPoint, c.RTPoint, c.LBPoint, c.RBPoint, c.ClRect, true, c.StretchEffect},
                   W0 + std::max(40, W0 / 2), H0 + std::min(24, H0));
  if (c.RTPoint.X != 0) return ComposeSlices(pic, r, c.LTPoint.X, W0 - c.RTPoint.X, W0 + 60, true);
  if (c.LBPoint.Y != 0) return ComposeSlices(pic, r, c.LTPoint.Y, H0 - c.LBPoint.Y, H0 + 40, false);
  return Cut(pic, r);
}

// A sheet of pictures and labels; labels are drawn by the text layer last.
class Sheet {
 public:
  Sheet(int width, const Rgba& bg) : width_(width), bg_(bg) {}

  void Heading(const std::string& text) {
    NewRow();
    labels_.push_back({text, x_, y_, 15, true});
    y_ += 24;
  }

  // A labelled block of images in a row.
  void Block(const std::string& label, const std::vector<std::pair<std::string, Image>>& images) {
    int w = 0, h = 0;
    auto span = [](const std::string& n, const Image& img) { return std::max(img.W(), int(n.size()) * 6 + 2) + 6; };
    for (const auto& [n, img] : images) w += span(n, img), h = std::max(h, img.H());
    w = std::max(w, int(label.size()) * 7);
    if (x_ > 10 && x_ + w > width_ - 10) NewRow();
    labels_.push_back({label, x_, y_, 12, true});
    int x = x_;
    for (const auto& [n, img] : images) {
      items_.push_back({img, x, y_ + 16});
      if (!n.empty()) labels_.push_back({n, x, y_ + 18 + img.H(), 10, false});
      x += span(n, img);
    }
    x_ += w + 18;
    rowH_ = std::max(rowH_, h + 36);
  }

  void NewRow() {
    if (x_ > 10) y_ += rowH_ + 6;
    x_ = 10;
    rowH_ = 0;
  }

  void Write(const std::string& path, const Rgba& textColor) {
    NewRow();
    const int H = y_ + 10;
    Image canvas(width_, H, bg_);
    for (const Item& i : items_) canvas.Copy(i.Img, 0, 0, i.Img.W(), i.Img.H(), i.X, i.Y);
    auto surface = std::make_unique<gdi::Surface>(width_, H);
    const std::vector<std::uint32_t> px = canvas.ToArgb(true);
    for (int y = 0; y < H; ++y) std::copy_n(&px[size_t(y) * width_], width_, surface->Row32(y));
    gdi::HBITMAP bmp = gdi::CreateBitmapFromSurface(std::move(surface));
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ old = gdi::SelectObject(dc, bmp);
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    gdi::SetTextColor(dc, ToTColor(textColor));
    for (const Label& l : labels_) {
      gdi::HFONT font = gdi::CreateFont(-l.Size, 0, 0, 0, l.Bold ? 700 : 400, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
      gdi::HGDIOBJ oldFont = gdi::SelectObject(dc, font);
      const std::u16string text = rtl::Utf8ToString(l.Text);
      gdi::RECT rc{l.X, l.Y, width_ - 4, l.Y + l.Size + 6};
      gdi::DrawTextW(dc, text.c_str(), int(text.size()), &rc, gdi::DT_LEFT | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
      gdi::SelectObject(dc, oldFont);
      gdi::DeleteObject(font);
    }
    gdi::WriteDCPng(dc, path);
    gdi::SelectObject(dc, old);
    gdi::DeleteDC(dc);
    gdi::DeleteObject(bmp);
  }

  // Draws a text in the final pass at an absolute place (captions, items).
  void Text(const std::string& t, int x, int y, int size, bool bold) { labels_.push_back({t, x, y, size, bold}); }
  int X() const { return x_; }
  int Y() const { return y_; }

 private:
  struct Item {
    Image Img;
    int X, Y;
  };
  struct Label {
    std::string Text;
    int X, Y, Size;
    bool Bold;
  };
  int width_;
  Rgba bg_;
  int x_ = 10, y_ = 10, rowH_ = 0;
  std::vector<Item> items_;
  std::vector<Label> labels_;
};

template <class T>
const T* Find(TbsSkinData& sd, const char16_t* name) {
  const int i = sd.GetIndex(name);
  return i < 0 ? nullptr : dynamic_cast<const T*>(sd.ObjectList[size_t(i)].get());
}

Rgba FromTColor(rtl::TColor c) {
  const auto v = std::uint32_t(c);
  return Hex(((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF));
}

std::string Narrow(const rtl::String& s) { return rtl::StringToUtf8(s); }

// Draws keyed images (magenta = transparent) over a target.
void DrawKeyed(Image& dst, const Image& src, int dx, int dy) {
  for (int y = 0; y < src.H(); ++y)
    for (int x = 0; x < src.W(); ++x) {
      const Rgba& p = src.At(x, y);
      if (p.r > 0.99f && p.g < 0.01f && p.b > 0.99f) continue;
      if (dx + x >= 0 && dy + y >= 0 && dx + x < dst.W() && dy + y < dst.H()) dst.At(dx + x, dy + y) = p;
    }
}

}  // namespace

void WriteSkinGallery(TbsSkinData& sd, const SkinStyle& s, const std::string& PngPath) {
  const Rgba sheetBg = Mix(s.Body, Hex(s.Dark ? 0x000000 : 0xFFFFFF), 0.5f);
  Sheet sheet(1240, sheetBg);
  std::vector<Image> active;
  for (const auto& p : sd.ActivePictures()) active.push_back(FromPicture(*p));
  const Image frame = FromPicture(sd.Picture()), mask = FromPicture(sd.Mask());

  sheet.Heading(std::string(s.Name) + " — " + s.Look);

  // The frame at a sample size, masked, with its caption buttons in place.
  for (bool activeForm : {true, false}) {
    const int W = 430, H = 250;
    Image f = Compose(frame, {0, 0, frame.W(), frame.H()},
                      {sd.LTPoint, sd.RTPoint, sd.LBPoint, sd.RBPoint, sd.ClRect, true, sd.StretchEffect}, W, H);
    const Image m = Compose(mask, {0, 0, mask.W(), mask.H()},
                            {sd.LTPoint, sd.RTPoint, sd.LBPoint, sd.RBPoint, sd.ClRect, true, sd.StretchEffect}, W, H);
    if (!activeForm)
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          f.At(x, y) = sd.InActiveEffect == ieDarkness ? Darker(f.At(x, y), 0.3f) : Lighter(f.At(x, y), 0.35f);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (Luma(m.At(x, y)) > 0.01f) f.At(x, y) = sheetBg;
    TRect cap = sd.CaptionRect;
    cap.Right += W - frame.W();
    int x = cap.Right;
    for (const char16_t* name : {u"closebutton", u"maxbutton", u"minbutton", u"rollupbutton"}) {
      const auto* b = Find<TbsDataSkinStdButton>(sd, name);
      if (!b) continue;
      const TRect r = activeForm ? b->SkinRect : b->InActiveSkinRect;
      const Image& pic = active[size_t(b->ActivePictureIndex)];
      f.Copy(pic, r.Left, r.Top, r.Width(), r.Height(), x - r.Width(), cap.Top);
      x -= r.Width() + sd.ButtonsOffset;
    }
    if (const auto* sys = Find<TbsDataSkinStdButton>(sd, u"sysmenubutton")) {
      const TRect r = sys->SkinRect;
      f.Copy(active[size_t(sys->ActivePictureIndex)], r.Left, r.Top, r.Width(), r.Height(), cap.Left,
             cap.Top + cap.Height() / 2 - r.Height() / 2);
    }
    // A menu bar under the caption.
    const int ci = sd.GetControlIndex(u"mainmenubar");
    const auto* bar = ci < 0 ? nullptr : dynamic_cast<const TbsDataSkinMainMenuBar*>(sd.CtrlList[size_t(ci)].get());
    const auto* item = Find<TbsDataSkinMainMenuBarItem>(sd, u"mainmenubaritem");
    const int barTop = sd.ClRect.Top;
    if (bar && item) {
      const Image& mp = active[size_t(bar->PictureIndex)];
      const int bw = W - sd.ClRect.Left - (frame.W() - sd.ClRect.Right);
      f.StretchCopy(mp, bar->SkinRect.Left, bar->SkinRect.Top, bar->SkinRect.Width(), bar->SkinRect.Height(),
                    sd.ClRect.Left, barTop, bw, bar->SkinRect.Height());
      int ix = sd.ClRect.Left + 2;
      for (const TRect& r : {item->SkinRect, item->ActiveSkinRect, item->DownRect}) {
        const int iw = 52;
        const Image piece = ComposeSlices(mp, r, item->ItemLO, item->ItemRO, iw, true);
        f.Copy(piece, 0, 0, iw, piece.H(), ix, barTop);
        ix += iw;
      }
    }
    const int fx = sheet.X(), fy = sheet.Y();
    sheet.Block(activeForm ? "frame (active)" : "frame (inactive look)", {{"", f}});
    if (const auto* caption = Find<TbsDataSkinCaption>(sd, u"caption")) {
      const int left = cap.Left + 24, top = cap.Top + (cap.Height() - 16) / 2;
      (void)caption;
      sheet.Text("TavrelAndroid手机视频转换器", fx + left, fy + 16 + top, 13, true);
    }
    if (bar && item) {
      const char* names[] = {"文件", "编辑", "动作"};
      for (int i = 0; i < 3; ++i) sheet.Text(names[i], fx + sd.ClRect.Left + 14 + i * 52, fy + 16 + barTop + 4, 12, false);
    }
  }

  // A popup menu assembled from the popup picture and the menu-item rows.
  if (const auto* mi = Find<TbsDataSkinMenuItem>(sd, u"menuitem")) {
    const auto& pw = *sd.PopupWindow;
    const Image& pp = active[size_t(pw.WindowPictureIndex)];
    const Image& ip = active[size_t(mi->ActivePictureIndex)];
    const int mw = 200, rows = 5, rh = mi->SkinRect.Height(), dh = mi->DividerRect.Height();
    const int mh = pw.ItemsRect.Top + (pp.H() - pw.ItemsRect.Bottom) + rows * rh + dh;
    Image menu = Compose(pp, {0, 0, pp.W(), pp.H()},
                         {pw.LTPoint, pw.RTPoint, pw.LBPoint, pw.RBPoint,
                          {pw.LTPoint.X, pw.LTPoint.Y, pp.W() - (pp.W() - pw.RTPoint.X), pw.LBPoint.Y}, true, true},
                         mw, mh);
    const int iw = mw - pw.ItemsRect.Left - (pp.W() - pw.ItemsRect.Right);
    int y = pw.ItemsRect.Top;
    for (int i = 0; i < rows + 1; ++i) {
      if (i == 3) {
        menu.Copy(ComposeSlices(ip, mi->DividerRect, mi->DividerLO, mi->DividerRO, iw, true), 0, 0, iw, dh,
                  pw.ItemsRect.Left, y);
        y += dh;
        continue;
      }
      const bool sel = i == 1;
      const Image row = ComposeSlices(ip, sel ? mi->ActiveSkinRect : mi->SkinRect, mi->ItemLO, mi->ItemRO, iw, true);
      menu.Copy(row, 0, 0, iw, rh, pw.ItemsRect.Left, y);
      const TRect mark = i == 0 ? mi->CheckImageRect : i == 1 ? mi->ActiveRadioImageRect : i == 2 ? mi->ArrowImageRect : TRect{};
      if (!mark.IsEmpty()) {
        const int mx = i == 2 ? pw.ItemsRect.Left + iw - mark.Width() - 4 : pw.ItemsRect.Left + mi->ImageRct.Left;
        DrawKeyed(menu, Cut(ip, mark), mx, y + (rh - mark.Height()) / 2);
      }
      y += rh;
    }
    const int px = sheet.X(), py = sheet.Y();
    sheet.Block("popup menu", {{"", menu}});
    const char* texts[] = {"添加一个文件", "添加多个文件", "添加整个目录", "", "退出", "关于软件"};
    int ty = pw.ItemsRect.Top;
    for (int i = 0; i < rows + 1; ++i) {
      if (i == 3) {
        ty += dh;
        continue;
      }
      sheet.Text(texts[i], px + pw.ItemsRect.Left + mi->TextRct.Left, py + 16 + ty + (rh - 14) / 2, 12, false);
      ty += rh;
    }
  }
  {
    const auto& hw = *sd.HintWindow;
    const Image& hp = active[size_t(hw.WindowPictureIndex)];
    const Image hint = Compose(hp, {0, 0, hp.W(), hp.H()}, {hw.LTPoint, hw.RTPoint, hw.LBPoint, hw.RBPoint, hw.ClRect, true, true},
                               110, 26);
    const int hx = sheet.X(), hy = sheet.Y();
    sheet.Block("hint", {{"", hint}});
    sheet.Text("上移", hx + 8, hy + 16 + 5, 12, false);
  }

  // Caption buttons: every state of every button.
  sheet.Heading("caption buttons: normal, hot, pressed, inactive, disabled (+ restore look)");
  for (const auto& o : sd.ObjectList) {
    const auto* b = dynamic_cast<const TbsDataSkinStdButton*>(o.get());
    if (!b) continue;
    std::vector<std::pair<std::string, Image>> imgs;
    for (const NamedRect& r : ObjectRects(*b))
      if (r.Picture >= 0) imgs.push_back({"", Cut(active[size_t(r.Picture)], r.Rect)});
    sheet.Block(Narrow(b->IDName), imgs);
  }

  // Every control description: composed at a sample size, then its pictures.
  sheet.Heading("controls: sample size, then each picture rectangle (normal, hot, pressed, focused, disabled ...)");
  for (const auto& c : sd.CtrlList) {
    std::vector<std::pair<std::string, Image>> imgs;
    const auto* custom = dynamic_cast<const TbsDataSkinCustomControl*>(c.get());
    const bool hasPicture = c->PictureIndex >= 0 && size_t(c->PictureIndex) < active.size();
    if (hasPicture && custom && !c->SkinRect.IsEmpty())
      imgs.push_back({"sized", Sample(active[size_t(c->PictureIndex)], *custom, c->SkinRect)});
    if (hasPicture)
      for (const NamedRect& r : ControlRects(*c)) {
        if (r.Picture < 0) continue;
        std::string key = r.Key;
        for (const char* suffix : {"skinrect", "imagerect", "buttonrect", "rect"})
          if (key.size() > std::string(suffix).size() && key.ends_with(suffix)) {
            key.resize(key.size() - std::string(suffix).size());
            break;
          }
        Image cut = Cut(active[size_t(r.Picture)], r.Rect);
        Image shown(cut.W(), cut.H(), s.Body);
        DrawKeyed(shown, cut, 0, 0);
        imgs.push_back({key, shown});
      }
    if (imgs.empty()) {
      // Colour-only descriptions (labels, list and tree views): a swatch.
      Image sw(60, 20, Hex(0xFFFFFF));
      if (auto* v = dynamic_cast<const TbsDataSkinListView*>(c.get())) sw = Image(60, 20, FromTColor(v->BGColor));
      if (auto* v = dynamic_cast<const TbsDataSkinTreeView*>(c.get())) sw = Image(60, 20, FromTColor(v->BGColor));
      if (dynamic_cast<const TbsDataSkinStdLabelControl*>(c.get())) sw = Image(60, 20, s.Body);
      imgs.push_back({"colours", sw});
    }
    sheet.Block(Narrow(c->IDName) + " : " + Narrow(SkinControlKind(*c)), imgs);
  }
  sheet.Write(PngPath, s.Dark ? Hex(0xF0F0F0) : Hex(0x202020));
}

void WriteArtworkGallery(const std::vector<Artwork>& Art, const std::string& PngPath) {
  Sheet sheet(1440, Hex(0xFFFFFF));
  sheet.Heading("artwork on white");
  for (const Artwork& a : Art)
    if (a.Picture.W() > 0) {
      Image shown(a.Picture.W(), a.Picture.H(), Hex(0xFFFFFF));
      shown.Draw(a.Picture, 0, 0);
      sheet.Block(a.Name, {{"", shown}});
    }
  sheet.Heading("glyphs on a dark tool bar");
  for (const Artwork& a : Art)
    if (a.Name.starts_with("glyphs/")) {
      Image shown(a.Picture.W(), a.Picture.H(), Hex(0x3A3F46));
      shown.Draw(a.Picture, 0, 0);
      sheet.Block(a.Name.substr(7), {{"", shown}});
    }
  sheet.Write(PngPath, Hex(0x202020));
}

}  // namespace tools
