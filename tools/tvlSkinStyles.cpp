// The looks of the eleven stored skins, in the order of the skin choice.
#include "tools/tvlSkins.h"

namespace tools {

namespace {

SkinStyle Office2007Blue() {
  SkinStyle s{};
  s.Name = "OFFICE2007蓝色";
  s.Id = "office2007blue";
  s.Look = "light sky-blue glossy faces with amber hot and orange pressed states under a pale blue caption";
  s.Face0 = Hex(0xEAF3FF), s.Face1 = Hex(0xC6DBF6);
  s.Hot0 = Hex(0xFFF6D2), s.Hot1 = Hex(0xFFD86B);
  s.Down0 = Hex(0xFCC27E), s.Down1 = Hex(0xFDA04A);
  s.Border = Hex(0x8DB2E3), s.HotBorder = Hex(0xDBB96A), s.DownBorder = Hex(0xC2904A);
  s.Accent = Hex(0x3C7FD6), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xD5E4F7);
  s.Text = Hex(0x15428B), s.HotText = Hex(0x15428B), s.DisabledText = Hex(0x8DA2C0), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0xE4EFFD), s.Cap1 = Hex(0xB7D1F2), s.CapBorder = Hex(0x6F93C5);
  s.CapText = Hex(0x15428B), s.CapTextInactive = Hex(0x6A84AC);
  s.Menu = Hex(0xFAFBFE), s.MenuText = Hex(0x15428B);
  s.Radius = 3, s.FrameRadius = 6, s.Gloss = 0.55f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle Metal() {
  SkinStyle s{};
  s.Name = "金属光泽";
  s.Id = "metal";
  s.Look = "brushed steel: grey streaked faces, a dark gunmetal caption with white text, steel-blue hot rims";
  s.Face0 = Hex(0xE6E7E9), s.Face1 = Hex(0xB9BCC1);
  s.Hot0 = Hex(0xEEF3F8), s.Hot1 = Hex(0xC3CFDC);
  s.Down0 = Hex(0xA2A7AE), s.Down1 = Hex(0xCDD1D6);
  s.Border = Hex(0x6B7077), s.HotBorder = Hex(0x4D7AA8), s.DownBorder = Hex(0x4A4F56);
  s.Accent = Hex(0x4A78A8), s.Window = Hex(0xF7F7F8), s.Body = Hex(0xCBCDD1);
  s.Text = Hex(0x1E2126), s.HotText = Hex(0x10375E), s.DisabledText = Hex(0x8A8E94), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x7A8087), s.Cap1 = Hex(0x3B4046), s.CapBorder = Hex(0x2C3035);
  s.CapText = Hex(0xFFFFFF), s.CapTextInactive = Hex(0xB8BCC2);
  s.Menu = Hex(0xF1F2F3), s.MenuText = Hex(0x1E2126);
  s.Radius = 3, s.FrameRadius = 5, s.Gloss = 0.15f;
  s.FaceTex = Texture::Brushed, s.FaceTexAmount = 0.10f;
  s.CapTex = Texture::Brushed, s.CapTexAmount = 0.16f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle Silver() {
  SkinStyle s{};
  s.Name = "银色天地";
  s.Id = "silver";
  s.Look = "bright silver: near-white satin faces, a pearl-grey caption, cool blue-grey hot rims";
  s.Face0 = Hex(0xFDFDFD), s.Face1 = Hex(0xDADCE0);
  s.Hot0 = Hex(0xFFFFFF), s.Hot1 = Hex(0xE2EAF4);
  s.Down0 = Hex(0xCACFD6), s.Down1 = Hex(0xE9ECEF);
  s.Border = Hex(0xA3A8AF), s.HotBorder = Hex(0x7F97B8), s.DownBorder = Hex(0x7D848D);
  s.Accent = Hex(0x7088A8), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xEDEEF0);
  s.Text = Hex(0x2A2D31), s.HotText = Hex(0x23395A), s.DisabledText = Hex(0xA3A7AD), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0xFAFAFB), s.Cap1 = Hex(0xCFD2D7), s.CapBorder = Hex(0x9298A0);
  s.CapText = Hex(0x30343A), s.CapTextInactive = Hex(0x9096A0);
  s.Menu = Hex(0xFFFFFF), s.MenuText = Hex(0x2A2D31);
  s.Radius = 3, s.FrameRadius = 6, s.Gloss = 0.6f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 28;
  return s;
}

SkinStyle Mac() {
  SkinStyle s{};
  s.Name = "Mac风格";
  s.Id = "mac";
  s.Look = "Mac aqua: pill-shaped white gel buttons turning aqua blue, red/amber/green round caption lights";
  s.Face0 = Hex(0xFFFFFF), s.Face1 = Hex(0xE3E3E3);
  s.Hot0 = Hex(0xC9E5FB), s.Hot1 = Hex(0x5DA9EA);
  s.Down0 = Hex(0x8FC3F0), s.Down1 = Hex(0x2F7FCF);
  s.Border = Hex(0x9A9A9A), s.HotBorder = Hex(0x3A75B0), s.DownBorder = Hex(0x24578C);
  s.Accent = Hex(0x3D8FDB), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xE8E8E8);
  s.Text = Hex(0x111111), s.HotText = Hex(0x0B2A4A), s.DisabledText = Hex(0xA8A8A8), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0xEDEDED), s.Cap1 = Hex(0xC4C4C4), s.CapBorder = Hex(0x8E8E8E);
  s.CapText = Hex(0x262626), s.CapTextInactive = Hex(0x8A8A8A);
  s.Menu = Hex(0xFAFAFA), s.MenuText = Hex(0x111111);
  s.Radius = 9, s.FrameRadius = 7, s.Gloss = 0.7f;
  s.Buttons = CaptionButtons::Round, s.CaptionHeight = 26;
  s.Glow = true, s.ShadowBorder = true;
  return s;
}

SkinStyle Stripes() {
  SkinStyle s{};
  s.Name = "条纹色调";
  s.Id = "stripes";
  s.Look = "striped: pinstriped cream faces and panels, a diagonally striped amber caption, orange accents";
  s.Face0 = Hex(0xFFF8EE), s.Face1 = Hex(0xEBDCC6);
  s.Hot0 = Hex(0xFFF1D9), s.Hot1 = Hex(0xFFC978);
  s.Down0 = Hex(0xF3A24A), s.Down1 = Hex(0xFFC98A);
  s.Border = Hex(0xB89D78), s.HotBorder = Hex(0xD98A2B), s.DownBorder = Hex(0xA8641C);
  s.Accent = Hex(0xE07B1A), s.Window = Hex(0xFFFDF9), s.Body = Hex(0xF1E8DA);
  s.Text = Hex(0x4A3418), s.HotText = Hex(0x5A3000), s.DisabledText = Hex(0xB9A88E), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0xF8B64C), s.Cap1 = Hex(0xD9701A), s.CapBorder = Hex(0x9E5412);
  s.CapText = Hex(0xFFFFFF), s.CapTextInactive = Hex(0xFBE3C4);
  s.Menu = Hex(0xFFFBF4), s.MenuText = Hex(0x4A3418);
  s.Radius = 4, s.FrameRadius = 6, s.Gloss = 0.3f;
  s.FaceTex = Texture::Pinstripe, s.FaceTexAmount = 0.06f;
  s.CapTex = Texture::Diagonal, s.CapTexAmount = 0.12f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle Textured() {
  SkinStyle s{};
  s.Name = "纹理风格";
  s.Id = "texture";
  s.Look = "textured: grainy parchment faces, a dark leather-brown grained caption, bronze accents";
  s.Face0 = Hex(0xE9DDC4), s.Face1 = Hex(0xC8B28A);
  s.Hot0 = Hex(0xF3E9D2), s.Hot1 = Hex(0xD8BE8C);
  s.Down0 = Hex(0xB09466), s.Down1 = Hex(0xCDB68E);
  s.Border = Hex(0x7E6440), s.HotBorder = Hex(0xA0642A), s.DownBorder = Hex(0x5E4526);
  s.Accent = Hex(0xA0642A), s.Window = Hex(0xFBF6EC), s.Body = Hex(0xDCCDAF);
  s.Text = Hex(0x3A2812), s.HotText = Hex(0x4E2A08), s.DisabledText = Hex(0xA8977A), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x7A5A36), s.Cap1 = Hex(0x4A3420), s.CapBorder = Hex(0x33230F);
  s.CapText = Hex(0xF8EAD0), s.CapTextInactive = Hex(0xB8A080);
  s.Menu = Hex(0xF8F1E2), s.MenuText = Hex(0x3A2812);
  s.Radius = 3, s.FrameRadius = 5, s.Gloss = 0.1f;
  s.FaceTex = Texture::Grain, s.FaceTexAmount = 0.12f;
  s.CapTex = Texture::Grain, s.CapTexAmount = 0.2f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle Ampix() {
  SkinStyle s{};
  s.Name = "Ampix效果";
  s.Id = "ampix";
  s.Look = "Ampix media-player look: dark graphite glass with light text and glowing cyan hot and focus rims";
  s.Face0 = Hex(0x555B64), s.Face1 = Hex(0x2D3138);
  s.Hot0 = Hex(0x4C6A80), s.Hot1 = Hex(0x24485F);
  s.Down0 = Hex(0x1B2F3D), s.Down1 = Hex(0x2F5670);
  s.Border = Hex(0x1A1C20), s.HotBorder = Hex(0x3FC7FF), s.DownBorder = Hex(0x22A4DD);
  s.Accent = Hex(0x2EB8F0), s.Window = Hex(0x22252A), s.Body = Hex(0x363A41);
  s.Text = Hex(0xE2E7EE), s.HotText = Hex(0xFFFFFF), s.DisabledText = Hex(0x7A808A), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x3A3F46), s.Cap1 = Hex(0x16181B), s.CapBorder = Hex(0x0C0D0F);
  s.CapText = Hex(0xBFEFFF), s.CapTextInactive = Hex(0x7E8690);
  s.Menu = Hex(0x2A2D32), s.MenuText = Hex(0xE2E7EE);
  s.Radius = 4, s.FrameRadius = 6, s.Gloss = 0.28f;
  s.Buttons = CaptionButtons::Glass, s.CaptionHeight = 30, s.Dark = true;
  return s;
}

SkinStyle Green() {
  SkinStyle s{};
  s.Name = "绿色世界";
  s.Id = "green";
  s.Look = "green world: fresh leaf-green caption, mint glossy faces, lime hot and deep green pressed states";
  s.Face0 = Hex(0xF1FBEC), s.Face1 = Hex(0xC6E8B4);
  s.Hot0 = Hex(0xF7FFEC), s.Hot1 = Hex(0xB4E58A);
  s.Down0 = Hex(0x8CCB6A), s.Down1 = Hex(0xC4EAAE);
  s.Border = Hex(0x6FA85A), s.HotBorder = Hex(0x4F9E2A), s.DownBorder = Hex(0x3C7A20);
  s.Accent = Hex(0x3E9E2C), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xDDF0D2);
  s.Text = Hex(0x1F4412), s.HotText = Hex(0x183A08), s.DisabledText = Hex(0x98B48A), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x8CD166), s.Cap1 = Hex(0x3D8E2A), s.CapBorder = Hex(0x2D6A1E);
  s.CapText = Hex(0xFFFFFF), s.CapTextInactive = Hex(0xD8EECC);
  s.Menu = Hex(0xFBFFF8), s.MenuText = Hex(0x1F4412);
  s.Radius = 4, s.FrameRadius = 7, s.Gloss = 0.5f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle DeepBlue() {
  SkinStyle s{};
  s.Name = "深蓝色彩";
  s.Id = "deepblue";
  s.Look = "deep blue: navy panels and midnight caption with pale text, sapphire glossy buttons, sky-blue highlights";
  s.Face0 = Hex(0x3A5C9A), s.Face1 = Hex(0x1D3868);
  s.Hot0 = Hex(0x5582C8), s.Hot1 = Hex(0x2A4F90);
  s.Down0 = Hex(0x14284E), s.Down1 = Hex(0x274A86);
  s.Border = Hex(0x0E1C38), s.HotBorder = Hex(0x7FB6FF), s.DownBorder = Hex(0x5AA0FF);
  s.Accent = Hex(0x5AA0FF), s.Window = Hex(0x16264A), s.Body = Hex(0x22375E);
  s.Text = Hex(0xE4ECFA), s.HotText = Hex(0xFFFFFF), s.DisabledText = Hex(0x7386A8), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x274C8C), s.Cap1 = Hex(0x0B1F4A), s.CapBorder = Hex(0x06122E);
  s.CapText = Hex(0xE8F1FF), s.CapTextInactive = Hex(0x8597BC);
  s.Menu = Hex(0x1B2E54), s.MenuText = Hex(0xE4ECFA);
  s.Radius = 3, s.FrameRadius = 6, s.Gloss = 0.35f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30, s.Dark = true;
  return s;
}

SkinStyle Office2007Black() {
  SkinStyle s{};
  s.Name = "OFFICE2007";
  s.Id = "office2007";
  s.Look = "Office 2007 black: charcoal caption with silver text over light grey ribbon faces and amber hot states";
  s.Face0 = Hex(0xF4F4F4), s.Face1 = Hex(0xCFCFD1);
  s.Hot0 = Hex(0xFFF6D2), s.Hot1 = Hex(0xFFD86B);
  s.Down0 = Hex(0xFCC27E), s.Down1 = Hex(0xFDA04A);
  s.Border = Hex(0x8B8B8E), s.HotBorder = Hex(0xDBB96A), s.DownBorder = Hex(0xC2904A);
  s.Accent = Hex(0x4C4C4E), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xDADADC);
  s.Text = Hex(0x262626), s.HotText = Hex(0x262626), s.DisabledText = Hex(0xA0A0A2), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0x5E5E60), s.Cap1 = Hex(0x262628), s.CapBorder = Hex(0x111112);
  s.CapText = Hex(0xE8E8EA), s.CapTextInactive = Hex(0x9A9A9C);
  s.Menu = Hex(0xFAFAFA), s.MenuText = Hex(0x262626);
  s.Radius = 3, s.FrameRadius = 6, s.Gloss = 0.55f;
  s.Buttons = CaptionButtons::Square, s.CaptionHeight = 30;
  return s;
}

SkinStyle Vista() {
  SkinStyle s{};
  s.Name = "Vista皮肤";
  s.Id = "vista";
  s.Look = "Vista glass: a glossy translucent-looking teal-blue caption with a red glass close button, two-tone grey buttons glowing light blue";
  s.Face0 = Hex(0xF4F4F4), s.Face1 = Hex(0xD6D6D6);
  s.Hot0 = Hex(0xEAF6FD), s.Hot1 = Hex(0xA7D9F5);
  s.Down0 = Hex(0xC4E5F6), s.Down1 = Hex(0x6CB6E0);
  s.Border = Hex(0x707070), s.HotBorder = Hex(0x3C7FB1), s.DownBorder = Hex(0x2C628B);
  s.Accent = Hex(0x3399FF), s.Window = Hex(0xFFFFFF), s.Body = Hex(0xF0F0F0);
  s.Text = Hex(0x1A1A1A), s.HotText = Hex(0x0A2A44), s.DisabledText = Hex(0xA0A0A0), s.SelText = Hex(0xFFFFFF);
  s.Cap0 = Hex(0xA4C6E4), s.Cap1 = Hex(0x4E7FAF), s.CapBorder = Hex(0x2A4D70);
  s.CapText = Hex(0x0E2238), s.CapTextInactive = Hex(0x5A6E82);
  s.Menu = Hex(0xF5F6F7), s.MenuText = Hex(0x1A1A1A);
  s.Radius = 3, s.FrameRadius = 7, s.Gloss = 0.75f;
  s.Buttons = CaptionButtons::Glass, s.CaptionHeight = 30;
  s.Glow = true;
  return s;
}

}  // namespace

const std::vector<SkinStyle>& SkinStyles() {
  static const std::vector<SkinStyle> styles{Office2007Blue(), Metal(),  Silver(),   Mac(),
                                             Stripes(),        Textured(), Ampix(), Green(),
                                             DeepBlue(),       Office2007Black(), Vista()};
  return styles;
}

}  // namespace tools
