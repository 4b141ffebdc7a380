// The skinned list view: the framework's list view with colours and font
// from the skin's "listview" entry, its native bars replaced by two external
// skinned scroll bars, and its column header ("SysHeader32") subclassed and
// painted from a skin button entry ("resizetoolbutton", or the skin's header
// variant of it, "resizetoolbuttonheader", when it has one): sections in a
// normal and a pressed look, captions with an optional image and an ellipsis.
//
// The header is found when the list view creates it (WM_PARENTNOTIFY) and
// given back its own window procedure when a new header replaces it or the
// list view is destroyed.
// GUI thread only.
#pragma once

#include <functional>

#include "platform/forms/ListView.h"
#include "skin/controls/bsSkinViewBase.h"

namespace skin {

// Paints the header into the device context in WParam.
constexpr unsigned MSG_PAINT_HEADER_TO_DC = win::WM_USER + 451;

// Draws a header section's caption (and whatever else) in place of the
// default; R is the section bitmap's rectangle, origin (0, 0).
using TbsDrawHeaderSectionEvent =
    std::function<void(gdi::TCanvas* Cnvs, forms::TListColumn* Column, bool Pressed, TRect& R)>;

class TbsSkinCustomListView : public TbsSkinViewBase<forms::TCustomListView, TbsDataSkinListView> {
 public:
  explicit TbsSkinCustomListView(TComponent* AOwner);
  ~TbsSkinCustomListView() override;

  String HeaderSkinDataName = u"resizetoolbutton";
  // Columns can be reordered: sections are laid out through the order array.
  bool FullDrag = false;
  TbsDrawHeaderSectionEvent OnDrawHeaderSection;

  void ChangeSkinData() override;
  void UpDateScrollBars() override;
  void Loaded() override;
  void WndProc(forms::TMessage& M) override;

  // The subclassed header window (nullptr when none), and its state.
  win::HWND HeaderHandle() const { return FHeaderHandle; }
  int ActiveSection() const { return FActiveSection; }
  bool HeaderDown() const { return FHeaderDown; }
  bool DividerDown() const { return FDevDown; }
  int HeaderSkinIndex() const { return FHIndex; }
  // Paints the whole header into DC (its own paint when DC is nullptr).
  void PaintHeader(win::HDC DC);

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void Change(forms::TListItem* Item, int AChange) override;
  void VScrollBarChange(TObject* Sender) override;
  void HScrollBarChange(TObject* Sender) override;

 private:
  friend struct TbsListViewHeaderHook;
  forms::LRESULT HeaderWndProc(win::UINT Msg, forms::WPARAM W, forms::LPARAM L);
  void SubclassHeader(win::HWND H);
  void ReleaseHeader();
  void GetHeaderSkinData();
  TRect GetHeaderSectionRect(int I);
  void DrawHeaderSection(gdi::TCanvas* Cnvs, forms::TListColumn* Column, bool Pressed, TRect R);
  void DrawSectionCaption(gdi::TCanvas* C, forms::TListColumn* Column, const TRect& R);
  void ComposeHeaderImage(TBitmap* B, TRect Src, int W, int H, bool NoRightEdge);
  void RedrawHeader();
  int Item0Height();
  void CheckReportScrollBars();
  void CheckListScrollBars();
  void CheckIconScrollBars();

  bool FDevDown = false;
  bool FromSB = false;
  int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
  win::HWND FHeaderHandle = nullptr;
  win::WNDPROC FDefHeaderProc = nullptr;
  int FActiveSection = -1;
  bool FHeaderDown = false;
  int FHIndex = -1;
  TPoint HLTPt{}, HRTPt{}, HLBPt{}, HRBPt{};
  TRect HSkinRect{}, HClRect{};
  TPoint HNewLTPoint{}, HNewRTPoint{}, HNewLBPoint{}, HNewRBPoint{};
  TRect HNewClRect{};
  TBitmap* HPicture = nullptr;
  TColor HFontColor = 0, HActiveFontColor = 0, HDownFontColor = 0;
  TRect HActiveSkinRect{}, HDownSkinRect{};
  bool HStretchEffect = false, HLeftStretch = false, HTopStretch = false, HRightStretch = false,
       HBottomStretch = false;
  TbsStretchType HStretchType = bsstFull;
};

class TbsSkinListView : public TbsSkinCustomListView {
 public:
  explicit TbsSkinListView(TComponent* AOwner) : TbsSkinCustomListView(AOwner) {}
};

}  // namespace skin
