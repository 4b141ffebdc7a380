// TbsSkinLinkLabel: a hyperlink label. The text is drawn underlined in the
// skin's "stdlabel" font (or the label's own default font without a skin),
// takes the hover colour or a glow while the mouse is over it, is embossed
// when disabled, and a click opens URL with the desktop's opener (xdg-open,
// started directly, the address passed as one argument).
// GUI thread only.
#pragma once

#include <memory>

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

class TbsSkinLinkLabel : public forms::TCustomLabel, public TbsSkinChangeable {
 public:
  explicit TbsSkinLinkLabel(TComponent* AOwner);
  ~TbsSkinLinkLabel() override;

  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }

  bool GlowEffect() const { return FGlowEffect; }
  void SetGlowEffect(bool Value);
  int GlowSize() const { return FGlowSize; }
  void SetGlowSize(int Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  TColor DefaultActiveFontColor() const { return FDefaultActiveFontColor; }
  void SetDefaultActiveFontColor(TColor Value) { FDefaultActiveFontColor = Value; }
  const String& URL() const { return FURL; }
  void SetURL(const String& Value) { FURL = Value; }
  bool UseUnderLine() const { return FUseUnderLine; }
  void SetUseUnderLine(bool Value);
  bool MouseIn() const { return FMouseIn; }

  void GetSkinData();
  void ChangeSkinData() override;
  void Click() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;

 protected:
  void DoDrawText(TRect& R, unsigned Flags) override;

 private:
  // The font, colour and character set of the text in the current state.
  void PrepareFont(gdi::TFont* F);

  bool FGlowEffect = false;
  int FGlowSize = 7;
  bool FMouseIn = false;
  int FIndex = -1;
  TbsSkinData* FSD = nullptr;
  String FSkinDataName = u"stdlabel";
  std::unique_ptr<gdi::TFont> FDefaultFont;
  bool FUseSkinFont = true;
  TColor FDefaultActiveFontColor = gdi::clBlue;
  String FURL;
  bool FUseUnderLine = true;
  // From the skin's "stdlabel" description.
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0;
};

}  // namespace skin
