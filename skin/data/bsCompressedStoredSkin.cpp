#include "skin/data/bsCompressedStoredSkin.h"

#include <fstream>
#include <iterator>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bszlibcompress.h"

namespace skin {

namespace {

constexpr std::int32_t kContainerVersion = 3;

void WriteInt(rtl::TStream& s, std::int32_t v) { s.WriteBuffer(&v, 4); }
void WriteFlag(rtl::TStream& s, std::uint8_t v) { s.WriteBuffer(&v, 1); }

void WriteFlaggedPicture(rtl::TStream& s, const TbsSkinPicture& picture) {
  WriteFlag(s, picture.Empty() ? 1 : 0);
  picture.SaveToStream(s);
}

}  // namespace

TbsCompressedStoredSkin::TbsCompressedStoredSkin(rtl::TComponent* AOwner) : rtl::TComponent(AOwner) {}

void TbsCompressedStoredSkin::CompressPayload(rtl::TMemoryStream& Payload) {
  rtl::TMemoryStream packed;
  CompressMemoryStream(&Payload, &packed);
  FCompressedStream.Clear();
  packed.SaveToStream(&FCompressedStream);
}

void TbsCompressedStoredSkin::LoadFromSkinData(TbsSkinData* ASkinData) {
  rtl::TMemoryStream payload;
  WriteInt(payload, kContainerVersion);
  WriteFlaggedPicture(payload, ASkinData->Picture());
  WriteFlaggedPicture(payload, ASkinData->InActivePicture());
  WriteFlaggedPicture(payload, ASkinData->Mask());
  WriteInt(payload, static_cast<std::int32_t>(ASkinData->ActivePictures().size()));
  for (const auto& picture : ASkinData->ActivePictures()) picture->SaveToStream(payload);
  TMemIniFile ini;
  ASkinData->WriteSkinDescription(ini);
  const std::string text = rtl::StringToAnsi(GetIniText(ini));
  payload.WriteBuffer(text.data(), rtl::Int64(text.size()));
  CompressPayload(payload);
}

void TbsCompressedStoredSkin::LoadFromIniFile(const String& AFileName) {
  std::ifstream in(rtl::StringToUtf8(AFileName), std::ios::binary);
  if (!in) throw rtl::EFOpenError(u"Cannot open file \"" + AFileName + u"\"");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TMemIniFile ini(AFileName);
  if (!IsSkinDescription(ini)) return;
  const String folder = rtl::ExtractFilePath(AFileName);
  rtl::TMemoryStream payload;
  WriteInt(payload, kContainerVersion);
  for (const char16_t* key : {u"picture", u"inactivepicture", u"mask"}) {
    TbsSkinPicture work;
    const String name = ini.ReadString(u"PICTURES", key, String());
    if (!name.empty()) work.LoadFromFile(folder + name);
    WriteFlaggedPicture(payload, work);
  }
  std::vector<String> names;
  ReadIniStrings(ini, u"PICTURES", u"activepictures", names);
  WriteInt(payload, static_cast<std::int32_t>(names.size()));
  for (const String& name : names) {
    TbsSkinPicture work;
    work.LoadFromFile(folder + name);
    work.SaveToStream(payload);
  }
  payload.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
  CompressPayload(payload);
}

void TbsCompressedStoredSkin::LoadFromCompressStream(rtl::TStream& Stream) {
  FCompressedStream.Clear();
  Stream.SetPosition(0);
  std::int32_t version = 0;
  Stream.ReadBuffer(&version, 4);
  if (version > kContainerVersion) return;
  std::int32_t size = 0;
  Stream.ReadBuffer(&size, 4);
  // A negative size is no container of ours: treated like a later version.
  if (size <= 0) return;
  const rtl::Int64 available = Stream.Size() - Stream.Position();
  if (size > available) throw rtl::EReadError("Stream read error");
  FCompressedStream.CopyFrom(&Stream, size);
}

void TbsCompressedStoredSkin::LoadFromCompressFile(const String& AFileName) {
  rtl::TFileStream file(AFileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromCompressStream(file);
}

void TbsCompressedStoredSkin::SaveToCompressStream(rtl::TStream& Stream) {
  WriteInt(Stream, kContainerVersion);
  WriteInt(Stream, static_cast<std::int32_t>(FCompressedStream.Size()));
  if (FCompressedStream.Size() > 0) FCompressedStream.SaveToStream(&Stream);
}

void TbsCompressedStoredSkin::SaveToCompressFile(const String& AFileName) {
  if (Empty()) return;
  rtl::TFileStream file(AFileName, rtl::fmCreate);
  SaveToCompressStream(file);
}

void TbsCompressedStoredSkin::DeCompressToStream(rtl::TMemoryStream& Stream) {
  DecompressToMemoryStream(&Stream, &FCompressedStream);
}

void TbsCompressedStoredSkin::ReadCompressedData(rtl::TStream& Stream) {
  FCompressedStream.Clear();
  Stream.SetPosition(0);
  FCompressedStream.CopyFrom(&Stream, Stream.Size());
}

void TbsCompressedStoredSkin::WriteCompressedData(rtl::TStream& Stream) {
  if (FCompressedStream.Size() > 0) FCompressedStream.SaveToStream(&Stream);
}

}  // namespace skin
