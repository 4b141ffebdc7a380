// libFuzzer target: stored skin containers and skin payloads.
//
// The first input byte chooses what the rest is: a whole container (as read
// from a file or a form description) or an uncompressed payload (pictures and
// text), which is compressed here so that the picture and text readers are
// reached. Any outcome but an rtl::Exception or a clean load is a fault.
//
// Build by hand, e.g.:
//   clang++ -std=c++20 -fsanitize=fuzzer,address -I. tests/skin/data/fuzz/SkinContainerFuzz.cpp \
//     <tvl_skin_data, tvl_gdi and tvl_rtl built with -fsanitize=fuzzer-no-link,address> -lz ...
#include <cstddef>
#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bszlibcompress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool container = data[0] & 1;
  rtl::TMemoryStream input;
  if (size > 1) input.WriteBuffer(data + 1, rtl::Int64(size - 1));
  skin::TbsCompressedStoredSkin stored(nullptr);
  skin::TbsSkinData skinData(nullptr);
  try {
    if (container) {
      stored.LoadFromCompressStream(input);
    } else {
      skin::CompressMemoryStream(&input, &stored.CompressedStream());
    }
    skinData.LoadCompressedStoredSkin(&stored);
    // Every picture the checks let in must also decode safely, both by the
    // skin's own pixel reader and by the framework's bitmap reader.
    auto decode = [](const skin::TbsSkinPicture& picture) {
      if (picture.Empty()) return;
      (void)picture.ToPixels();
      try {
        (void)picture.Bitmap();
      } catch (const rtl::Exception&) {
      }
    };
    decode(skinData.Picture());
    decode(skinData.InActivePicture());
    decode(skinData.Mask());
    for (const auto& picture : skinData.ActivePictures()) decode(*picture);
    if (!skinData.Empty) {
      // A loaded skin must pack again, unless it names a description by a
      // text that cannot be a section name of the written description
      // (e.g. one holding "]"): that is refused with the INI file's error.
      skin::TbsCompressedStoredSkin again(nullptr);
      try {
        again.LoadFromSkinData(&skinData);
      } catch (const rtl::EIniFileException&) {
      }
    }
  } catch (const rtl::Exception&) {
    if (skinData.ChangeSkinDataProcess || !skinData.Empty) __builtin_trap();
  }
  return 0;
}
