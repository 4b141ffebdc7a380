#include "skin/dialogs/bsDialogRes.h"

#include <vector>

#include "skin/data/bsResourceStrData.h"

namespace skin {

namespace {

using gdi::TBitmap;

constexpr TColor kKey = 0xFF00FF;  // transparent (magenta)
constexpr TColor kInk = 0x404040, kFolder = 0x38B8F0, kFolderDark = 0x1878B0, kGreen = 0x208020,
                 kBlue = 0xC06020, kWhite = 0xFFFFFF;

void Clear(TBitmap& B) {
  B.Canvas()->Brush()->SetColor(kKey);
  B.Canvas()->FillRect({0, 0, B.Width(), B.Height()});
}

void Fill(gdi::TCanvas* C, int L, int T, int R, int Bo, TColor Col) {
  C->Brush()->SetColor(Col);
  C->FillRect({L, T, R, Bo});
}

void Poly(gdi::TCanvas* C, std::vector<rtl::TPoint> P, TColor Col) {
  C->Pen()->SetColor(Col);
  C->Brush()->SetColor(Col);
  C->Polygon(P);
}

void Folder(gdi::TCanvas* C, int X, int Y) {
  Fill(C, X, Y + 2, X + 6, Y + 4, kFolderDark);
  Fill(C, X, Y + 3, X + 13, Y + 12, kFolderDark);
  Fill(C, X + 1, Y + 4, X + 12, Y + 11, kFolder);
}

void DrawGlyph(TBitmap& B, int Which) {
  gdi::TCanvas* C = B.Canvas();
  switch (Which) {
    case 0:  // back: a left arrow
      Poly(C, {{2, 8}, {8, 2}, {8, 5}, {14, 5}, {14, 11}, {8, 11}, {8, 14}}, kGreen);
      break;
    case 1:  // up: a folder with an arrow pointing up
      Folder(C, 0, 2);
      Poly(C, {{11, 1}, {15, 6}, {13, 6}, {13, 12}, {9, 12}, {9, 6}, {7, 6}}, kGreen);
      break;
    case 2:  // new folder: a folder with a star
      Folder(C, 0, 3);
      Fill(C, 12, 0, 13, 7, kBlue);
      Fill(C, 9, 3, 16, 4, kBlue);
      C->SetPixels(10, 1, kBlue);
      C->SetPixels(14, 1, kBlue);
      C->SetPixels(10, 5, kBlue);
      C->SetPixels(14, 5, kBlue);
      break;
    case 3:  // view style: rows of little icons
      for (int r = 0; r < 3; ++r) {
        Fill(C, 1, 2 + r * 5, 5, 5 + r * 5, kBlue);
        Fill(C, 7, 3 + r * 5, 15, 4 + r * 5, kInk);
      }
      break;
    case 4:  // stretch: a frame with arrows to the corners
      C->Pen()->SetColor(kInk);
      C->Brush()->SetStyle(gdi::bsClear);
      C->Rectangle(1, 1, 15, 15);
      Poly(C, {{3, 3}, {8, 3}, {3, 8}}, kBlue);
      Poly(C, {{12, 12}, {7, 12}, {12, 7}}, kBlue);
      break;
  }
  C->SetPixels(0, B.Height() - 1, kKey);
}

const char16_t* const kGlyphNames[] = {u"BS_BACK", u"BS_UP", u"BS_NEWFOLDER", u"BS_LVSTYLE", u"BS_STRETCH"};

void RegisterGlyphs() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  for (int i = 0; i < 5; ++i) {
    if (gdi::FindBitmapResource(kGlyphNames[i])) continue;
    TBitmap B(16, 16);
    Clear(B);
    DrawGlyph(B, i);
    gdi::RegisterBitmapResource(kGlyphNames[i], gdi::WriteBmp(B));
  }
}

}  // namespace

String DialogText(TbsSkinData* SD, const char16_t* Key, const char16_t* Default) {
  if (SD && SD->ResourceStrData()) return SD->ResourceStrData()->GetResStr(Key);
  return Default;
}

void LoadDialogGlyph(gdi::TBitmap* B, const String& Name) {
  RegisterGlyphs();
  B->LoadFromResourceName(0, Name);
  B->SetTransparent(true);
}

void LoadSystemIcon(gdi::TBitmap* B, int Id) {
  if (Id < IDI_HAND || Id > IDI_ASTERISK) {
    B->SetSize(0, 0);
    return;
  }
  B->SetSize(32, 32);
  gdi::TCanvas* C = B->Canvas();
  C->Brush()->SetColor(kKey);
  C->FillRect({0, 0, 32, 32});
  TColor Body = 0, Mark = kWhite;
  String Sign;
  switch (Id) {
    case IDI_HAND: Body = 0x2020D0; Sign = u"×"; break;
    case IDI_QUESTION: Body = 0xC07020; Sign = u"?"; break;
    case IDI_EXCLAMATION: Body = 0x10C8F0; Mark = 0x202020; Sign = u"!"; break;
    case IDI_ASTERISK: Body = 0xD08030; Sign = u"i"; break;
  }
  C->Pen()->SetColor(Body);
  C->Brush()->SetColor(Body);
  if (Id == IDI_EXCLAMATION)
    C->Polygon({{16, 2}, {30, 29}, {2, 29}});
  else
    C->Ellipse(2, 2, 30, 30);
  C->Brush()->SetStyle(gdi::bsClear);
  C->Font()->SetName(u"Arial");
  C->Font()->SetHeight(-20);
  C->Font()->SetStyle({gdi::fsBold});
  C->Font()->SetColor(Mark);
  const int W = C->TextWidth(Sign), H = C->TextHeight(Sign);
  C->TextOut(16 - W / 2, (Id == IDI_EXCLAMATION ? 19 : 16) - H / 2, Sign);
  C->SetPixels(0, 31, kKey);
  B->SetTransparent(true);
}

}  // namespace skin
