// Small skins written by the tests: a description text and its BMP pictures.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinPicture.h"

namespace skin::test {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "skin-data-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  rtl::String S(const std::string& name) const { return rtl::Utf8ToString(File(name)); }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A picture whose pixels encode their coordinates and a seed.
inline std::vector<std::uint8_t> Bmp24(int w, int h, std::uint32_t seed) {
  std::vector<std::uint32_t> px(std::size_t(w) * std::size_t(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[std::size_t(y * w + x)] = 0xFF000000u | (seed << 16) | (std::uint32_t(y) << 8) | std::uint32_t(x);
  return MakeBmpFile(w, h, 24, px);
}

// An 8-bit palette picture (w x h, bottom-up), pixel value = (x + y) % 4.
inline std::vector<std::uint8_t> Bmp8(int w, int h) {
  const std::uint32_t stride = (std::uint32_t(w) + 3) & ~3u;
  const std::uint32_t palette = 4 * 4, image = stride * std::uint32_t(h);
  std::vector<std::uint8_t> f(14 + 40 + palette + image, 0);
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put(2, std::uint32_t(f.size()));
  put(10, 14 + 40 + palette);
  put(14, 40);
  put(18, std::uint32_t(w));
  put(22, std::uint32_t(h));
  f[26] = 1;
  f[28] = 8;
  put(34, image);
  put(46, 4);  // colours used
  for (std::uint32_t i = 0; i < 4; ++i) put(54 + 4 * i, 0x00102030u * (i + 1));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f[14 + 40 + palette + std::size_t(y) * stride + std::size_t(x)] = std::uint8_t((x + y) % 4);
  return f;
}

// A complete small skin: frame, mask, two active pictures, frame objects and
// the control descriptions of a plain window.
inline const char* kSkinText =
    "[VERSION]\r\nver=1\r\nskinname=Test skin\r\nskinauthor=Tests\r\n\r\n"
    "[PICTURES]\r\npicture=frame.bmp\r\ninactivepicture=\r\nmask=mask.bmp\r\n"
    "activepicturescount=2\r\n0=controls.bmp\r\n1=menu.bmp\r\n\r\n"
    "[FORMINFO]\r\nlefttoppoint=2,25\r\nrighttoppoint=60,5\r\nleftbottompoint=5,40\r\nrightbottompoint=60,40\r\n"
    "clientrect=2,25,62,42\r\nbgpictureindex=-1\r\nmaskrectarea=0,0,0,0\r\nhittestlefttoppoint=0,5\r\n"
    "buttonsrect=40,2,60,20\r\ncaptionrect=2,2,40,20\r\nborderwidth=3\r\nstretchtype=sthorz\r\n"
    "inactiveeffect=iedarkness\r\n\r\n"
    "[LAYERFRAME]\r\npictureindex=-1\r\nunknown=3\r\n\r\n"
    "[SKINCOLORS]\r\ncbtnface=12039860\r\n\r\n"
    "[SKINOBJECTS]\r\ncount=4\r\n0=caption:caption\r\n1=closebutton:stdbutton\r\n2=menuitem:menuitem\r\n"
    "3=odd:two:colons\r\n\r\n"
    "[caption]\r\nskinrect=2,2,40,20\r\nfontcolor=255\r\nalignment=taleftjustify\r\n\r\n"
    "[closebutton]\r\ncommand=cmclose\r\nhint=Close\r\nskinrect=44,4,56,16\r\nactivepictureindex=0\r\n\r\n"
    "[menuitem]\r\nactivepictureindex=1\r\nskinrect=0,0,20,10\r\ncheckimagerect=1,1,5,5\r\n\r\n"
    "[SKINCONTROLS]\r\ncount=6\r\n0=button:button\r\n1=panel:panel\r\n2=hscrollbar:scrollbar\r\n"
    "3=combobox:combobox\r\n4=Button:Button\r\n5=button:panel\r\n\r\n"
    "[button]\r\npictureindex=0\r\nskinrect=0,0,20,10\r\nlefttoppoint=3,3\r\nrighttoppoint=17,3\r\n"
    "leftbottompoint=3,7\r\nrightbottompoint=17,7\r\nclientrect=3,3,17,7\r\nactiveskinrect=0,10,20,20\r\n\r\n"
    "[panel]\r\npictureindex=0\r\nskinrect=20,0,30,10\r\nbgpictureindex=-1\r\n\r\n"
    "[hscrollbar]\r\npictureindex=0\r\nskinrect=0,20,30,30\r\nthumbminsize=10\r\n\r\n"
    "[combobox]\r\npictureindex=0\r\nlistboxname=listbox\r\n\r\n";

// Writes the skin into Dir as skin.ini with its four pictures.
inline void WriteSmallSkin(const TempDir& dir) {
  WriteFile(dir.File("skin.ini"), std::string(kSkinText));
  WriteFile(dir.File("frame.bmp"), Bmp24(64, 44, 1));
  WriteFile(dir.File("mask.bmp"), Bmp8(64, 44));
  WriteFile(dir.File("controls.bmp"), Bmp24(30, 30, 2));
  WriteFile(dir.File("menu.bmp"), Bmp8(20, 12));
}

}  // namespace skin::test
