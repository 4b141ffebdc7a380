// libFuzzer target: the skin description text.
//
// The input is the text of a stored skin without pictures; it is parsed, read
// into the model (every description kind it names), written back and read
// again. Reading what was written must not fail.
#include <cstddef>
#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bszlibcompress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rtl::TMemoryStream payload;
  const std::uint8_t head[] = {3, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0};  // version, three empty pictures, no others
  payload.WriteBuffer(head, sizeof head);
  if (size > 0) payload.WriteBuffer(data, rtl::Int64(size));
  skin::TbsCompressedStoredSkin stored(nullptr);
  skin::CompressMemoryStream(&payload, &stored.CompressedStream());
  skin::TbsSkinData skinData(nullptr);
  try {
    skinData.LoadCompressedStoredSkin(&stored);
  } catch (const rtl::Exception&) {
    return 0;
  }
  skin::TbsCompressedStoredSkin again(nullptr);
  try {
    again.LoadFromSkinData(&skinData);
  } catch (const rtl::EIniFileException&) {
    // A description named by a text that cannot be a section name of the
    // written description (e.g. one holding "]") is refused, not lost.
    return 0;
  } catch (const rtl::Exception&) {
    __builtin_trap();
  }
  skin::TbsSkinData reread(nullptr);
  try {
    reread.LoadCompressedStoredSkin(&again);
  } catch (const rtl::Exception&) {
    // Negative coordinates are written with their sign and read without it;
    // nothing written by the model may fail to read.
    __builtin_trap();
  }
  return 0;
}
