// Composition of a control's picture from a rectangle of a skin picture.
//
// A skin picture holds each element drawn at one design size W0 x H0 (the
// rectangle R of the picture SB). These routines build a bitmap of any other
// size from it: corner pieces keep their size, edges and the client area are
// stretched or tiled. Corner points LT, RT, LB, RB and the client rectangle
// Cl are relative to R's top-left corner (for ComposeSkinBorderStrips to SB's);
// the new points NLT ... NCl are the caller's for the target size W x H.
//
// Copies go through the canvas's rectangle copy (nearest-neighbour scaling
// when the sizes differ). Tiles are laid from the start of their span with
// the source length as step and the last one cut, copied 1:1. A tile step of
// 0 draws nothing for that part. Nothing is reported: an empty SB, or RB on
// LT's column or row, leaves B sized but undrawn. A target size of 0 or less
// empties B; one whose pixels cannot be had raises rtl::EOutOfResources from
// the bitmap before anything is drawn.
// GUI thread; no state.
#pragma once

#include "platform/gdi/Bitmap.h"
#include "skin/data/bsSkinIniValues.h"

namespace skin {

using gdi::TBitmap;

void ComposeSkinImage(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                      TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool DrawClient,
                      bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch, bool StretchEffect,
                      TbsStretchType StretchType);
// The same operation with the same result (menus and hints call it).
void ComposeSkinImage2(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                       TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool DrawClient,
                       bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch, bool StretchEffect,
                       TbsStretchType StretchType);
// Corners are the four corners of Cl, everything stretched; B keeps its size.
void ComposeStretchedSkinImage(TBitmap* B, TBitmap* SB, TRect R, TRect Cl, bool DrawClient);
// No right edge and no right corners (list view header sections).
void ComposeSkinImageNoRightEdge(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT,
                                 TPoint NLB, TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                                 bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                                 bool BottomStretch, bool StretchEffect, TbsStretchType StretchType);

// Three slices along x; B's height is R's height (H is not used).
void ComposeHorzSkinImage(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Stretch);
void ComposeHorzSkinImageNoRightEdge(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                                     bool Stretch);
void ComposeHorzSkinImageMiddleOnly(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                                    bool Stretch);
// Three slices along y; B's width is R's width (W is not used).
void ComposeVertSkinImage(int TopHeight, int BottomHeight, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Stretch);

// The four border strips of a whole image (a mask) at width W, edges tiled.
// Laid out at (0, 0) top, (0, NCl.Top) left, (NCl.Right, NCl.Top) right,
// (0, NCl.Bottom) bottom. A strip with no area is not built.
void ComposeSkinBorderStrips(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                             TPoint NRB, TRect NCl, TBitmap* SB, TBitmap* TopB, TBitmap* LeftB, TBitmap* RightB,
                             TBitmap* BottomB, int W, int H);
// The four border strips of a skin rectangle, each edge stretched or tiled.
void ComposeSkinBorderStripsEx(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT,
                               TPoint NLB, TPoint NRB, TRect NCl, TBitmap* LeftB, TBitmap* TopB, TBitmap* RightB,
                               TBitmap* BottomB, TBitmap* SB, TRect R, int W, int H, bool LeftStretch,
                               bool TopStretch, bool RightStretch, bool BottomStretch);

// The building blocks, on device contexts. TileRect lays 1:1 copies of Src
// from Dst's top-left corner, cutting the last column and row at Dst's edges;
// a source or target without area draws nothing.
void TileRect(gdi::HDC DstDC, const TRect& Dst, gdi::HDC SrcDC, const TRect& Src);

}  // namespace skin
