// A whole skin (pictures and description text) as one compressed container.
//
// Container (little-endian): int32 version (3; a reader accepts up to 3),
// int32 size, then size bytes of one zlib stream. The stream inflates to the
// payload: int32 version, three flagged BMPs (frame, inactive frame, mask;
// flag 0 = a BMP follows), [two more flagged BMPs when the version is 2],
// int32 count and that many BMPs, then the description text to the end.
//
// The container reader rejects a version above 3 and a negative size (the
// stored skin stays empty), and a size larger than the bytes at hand raises
// rtl::EReadError before anything is allocated. GUI thread only.
#pragma once

#include <cstdint>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Streams.h"

namespace skin {

using rtl::String;

class TbsSkinData;

class TbsCompressedStoredSkin : public rtl::TComponent {
 public:
  explicit TbsCompressedStoredSkin(rtl::TComponent* AOwner);

  bool Empty() const { return FCompressedStream.Size() == 0; }

  void LoadFromSkinData(TbsSkinData* ASkinData);
  void LoadFromIniFile(const String& AFileName);
  void LoadFromCompressFile(const String& AFileName);
  void LoadFromCompressStream(rtl::TStream& Stream);
  void SaveToCompressFile(const String& AFileName);
  void SaveToCompressStream(rtl::TStream& Stream);
  // Inflates the whole compressed data and appends it to Stream.
  void DeCompressToStream(rtl::TMemoryStream& Stream);

  // The binary property "CompressedData": the zlib stream alone.
  void ReadCompressedData(rtl::TStream& Stream);
  void WriteCompressedData(rtl::TStream& Stream);
  rtl::TMemoryStream& CompressedStream() { return FCompressedStream; }

  String FileName;            // the description file it was packed from (name only)
  String CompressedFileName;  // the container file it was read from (name only)
  String Description;

 private:
  void CompressPayload(rtl::TMemoryStream& Payload);
  mutable rtl::TMemoryStream FCompressedStream;
};

}  // namespace skin
