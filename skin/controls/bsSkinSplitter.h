// Skinned splitter: the framework's splitter (it resizes its aligned
// neighbour when dragged) drawn as a strip from the skin's "vsplitter" or
// "hsplitter" description, with an optional gripper centred on it.
//
// A skin change sizes the splitter across: DefaultSize when unskinned or
// transparent, else the description's thickness. Unskinned, or aligned none
// or client, it keeps the framework's own look. GUI thread only.
#pragma once

#include "platform/forms/ExtCtrls.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

class TbsSkinSplitter : public forms::TSplitter, public TbsSkinChangeable {
 public:
  explicit TbsSkinSplitter(TComponent* AOwner);
  ~TbsSkinSplitter() override;

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  int DefaultSize = 10;
  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }

  void GetSkinData();
  void ChangeSkinData() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void Paint() override;
  void RequestAlign() override;

 private:
  bool HorizontalStrip() const { return Align() == forms::alTop || Align() == forms::alBottom; }

  bool FTransparent = false;
  int FIndex = -1;
  TbsSkinData* FSD = nullptr;
  String FSkinDataName = u"vsplitter";
  bool FSplitterEntry = false;  // the description found is a splitter's
  TPoint LTPt{}, RTPt{}, LBPt{};
  TRect SkinRect{};
  TBitmap* FSkinPicture = nullptr;
  bool StretchEffect = false;
  TRect GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 0;
};

}  // namespace skin
