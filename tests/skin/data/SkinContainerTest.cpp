#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "SkinFixtures.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsSkinPicture.h"
#include "skin/data/bszlibcompress.h"

namespace skin {
namespace {

std::vector<std::uint8_t> Bytes(rtl::TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return p ? std::vector<std::uint8_t>(p, p + s.Size()) : std::vector<std::uint8_t>{};
}

void Put(std::vector<std::uint8_t>& v, std::int32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(std::uint32_t(x) >> (8 * i)));
}

void Append(std::vector<std::uint8_t>& v, const std::vector<std::uint8_t>& more) { v.insert(v.end(), more.begin(), more.end()); }

const std::string kMinimalText =
    "[VERSION]\r\nver=1\r\nskinname=text only\r\n[PICTURES]\r\npicture=\r\n[FORMINFO]\r\nborderwidth=4\r\n"
    "[SKINOBJECTS]\r\ncount=0\r\n[SKINCONTROLS]\r\ncount=1\r\n0=panel:panel\r\n[panel]\r\nskinrect=1,2,3,4\r\n";

// A stored skin whose payload the test lays out byte by byte.
std::unique_ptr<TbsCompressedStoredSkin> StoredPayload(const std::vector<std::uint8_t>& payload) {
  rtl::TMemoryStream raw;
  if (!payload.empty()) raw.WriteBuffer(payload.data(), rtl::Int64(payload.size()));
  auto stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
  CompressMemoryStream(&raw, &stored->CompressedStream());
  return stored;
}

std::vector<std::uint8_t> PayloadHead(std::int32_t version) {
  std::vector<std::uint8_t> p;
  Put(p, version);
  return p;
}

TEST(SkinContainer, EmptyStoredSkinWritesEightBytesAndReadsBackEmpty) {
  TbsCompressedStoredSkin stored(nullptr);
  rtl::TMemoryStream out;
  stored.SaveToCompressStream(out);
  EXPECT_EQ(Bytes(out), (std::vector<std::uint8_t>{3, 0, 0, 0, 0, 0, 0, 0}));
  TbsCompressedStoredSkin back(nullptr);
  back.LoadFromCompressStream(out);
  EXPECT_TRUE(back.Empty());
  test::TempDir dir;
  stored.SaveToCompressFile(dir.S("none.skn"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.skn")));
}

TEST(SkinContainer, HeaderVersionsAndSizes) {
  struct Case {
    const char* what;
    std::int32_t version, size;
    size_t dataBytes;
    bool empty;
    bool readError;
  };
  const Case cases[] = {
      {"version 3", 3, 5, 5, false, false}, {"version 0", 0, 5, 5, false, false},
      {"version 2", 2, 5, 5, false, false}, {"version 4", 4, 5, 5, true, false},
      {"negative size", 3, -5, 5, true, false}, {"zero size", 3, 0, 5, true, false},
      {"size beyond data", 3, 0x7FFFFFFF, 5, false, true}, {"one byte short", 3, 6, 5, false, true}};
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes;
    Put(bytes, c.version);
    Put(bytes, c.size);
    for (size_t i = 0; i < c.dataBytes; ++i) bytes.push_back(std::uint8_t(i + 1));
    rtl::TMemoryStream in;
    in.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
    // The reader starts from position 0 wherever the stream was.
    TbsCompressedStoredSkin stored(nullptr);
    if (c.readError) {
      EXPECT_THROW(stored.LoadFromCompressStream(in), rtl::EReadError) << c.what;
      continue;
    }
    stored.LoadFromCompressStream(in);
    EXPECT_EQ(stored.Empty(), c.empty) << c.what;
    if (!c.empty) {
      EXPECT_EQ(Bytes(stored.CompressedStream()), (std::vector<std::uint8_t>{1, 2, 3, 4, 5})) << c.what;
    }
  }
}

TEST(SkinContainer, ContainerRoundTripIsByteIdentical) {
  test::TempDir dir;
  test::WriteSmallSkin(dir);
  TbsCompressedStoredSkin stored(nullptr);
  stored.LoadFromIniFile(dir.S("skin.ini"));
  ASSERT_FALSE(stored.Empty());
  const auto z = Bytes(stored.CompressedStream());
  EXPECT_EQ(z[0], 0x78);
  EXPECT_EQ(z[1], 0xDA);
  rtl::TMemoryStream container;
  stored.SaveToCompressStream(container);
  TbsCompressedStoredSkin back(nullptr);
  back.LoadFromCompressStream(container);
  EXPECT_EQ(Bytes(back.CompressedStream()), z);
  // The skin list item stores a whole container as its "Skin".
  TbsCompressedSkinList list(nullptr);
  auto* item = list.Skins()->AddItem();
  container.SetPosition(3);
  item->ReadSkin(container);
  rtl::TMemoryStream again;
  item->WriteSkin(again);
  EXPECT_EQ(Bytes(again), Bytes(container));
  // Copying the list copies the skins.
  TbsCompressedSkinList copy(nullptr);
  copy.SetSkins(list.Skins());
  EXPECT_EQ(Bytes(copy.Skins()->GetItem(0)->Skin()->CompressedStream()), z);
}

// A list as the form designer holds it.
class DesignedList : public TbsCompressedSkinList {
 public:
  DesignedList() : TbsCompressedSkinList(nullptr) { SetState(rtl::csDesigning, true); }
  void SetLoading(bool On) { SetState(rtl::csLoading, On); }
};

TEST(SkinContainer, ListItemsFillFromFilesOnlyWhileDesigned) {
  test::TempDir dir;
  test::WriteSmallSkin(dir);
  TbsCompressedStoredSkin packed(nullptr);
  packed.LoadFromIniFile(dir.S("skin.ini"));
  packed.SaveToCompressFile(dir.S("skin.skn"));
  const auto z = Bytes(packed.CompressedStream());

  // At run time the names are kept as given and no file is opened.
  TbsCompressedSkinList running(nullptr);
  auto* r = running.Skins()->AddItem();
  r->SetFileName(dir.S("missing.ini"));
  r->SetCompressedFileName(dir.S("missing.skn"));
  EXPECT_EQ(r->FileName(), dir.S("missing.ini"));
  EXPECT_EQ(r->CompressedFileName(), dir.S("missing.skn"));
  EXPECT_TRUE(r->Skin()->Empty());

  DesignedList designed;
  auto* a = designed.Skins()->AddItem();
  a->SetFileName(dir.S("skin.ini"));
  EXPECT_EQ(a->FileName(), u"skin.ini");
  EXPECT_EQ(Bytes(a->Skin()->CompressedStream()), z);
  auto* b = designed.Skins()->AddItem();
  b->SetCompressedFileName(dir.S("skin.skn"));
  EXPECT_EQ(b->CompressedFileName(), u"skin.skn");
  EXPECT_EQ(Bytes(b->Skin()->CompressedStream()), z);
  EXPECT_THROW(b->SetCompressedFileName(dir.S("missing.skn")), rtl::Exception);
  EXPECT_EQ(b->CompressedFileName(), u"skin.skn");
  // While the form description is read the stored names come back unchanged.
  designed.SetLoading(true);
  b->SetFileName(dir.S("missing.ini"));
  EXPECT_EQ(b->FileName(), dir.S("missing.ini"));
  EXPECT_EQ(Bytes(b->Skin()->CompressedStream()), z);
}

TEST(SkinContainer, PayloadLayoutsThatLoad) {
  const auto frame = test::Bmp24(8, 6, 1);
  const auto extra = test::Bmp8(5, 3);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> payload;
    bool frameExpected;
    size_t pictures;
  };
  std::vector<std::uint8_t> v3 = PayloadHead(3);
  v3.push_back(0);
  Append(v3, frame);
  v3.push_back(1);
  v3.push_back(7);  // any non-zero flag: no picture
  Put(v3, 1);
  Append(v3, extra);
  Append(v3, std::vector<std::uint8_t>(kMinimalText.begin(), kMinimalText.end()));
  std::vector<std::uint8_t> v2 = PayloadHead(2);
  v2.push_back(0);
  Append(v2, frame);
  v2.push_back(1);
  v2.push_back(1);
  v2.push_back(0);
  Append(v2, extra);  // two extra pictures, read and dropped
  v2.push_back(0);
  Append(v2, frame);
  Put(v2, 1);
  Append(v2, extra);
  Append(v2, std::vector<std::uint8_t>(kMinimalText.begin(), kMinimalText.end()));
  std::vector<std::uint8_t> textOnly = PayloadHead(3);
  for (int i = 0; i < 3; ++i) textOnly.push_back(1);
  Put(textOnly, 0);
  const std::string bom = "\xEF\xBB\xBF" + kMinimalText;
  Append(textOnly, std::vector<std::uint8_t>(bom.begin(), bom.end()));
  std::vector<std::uint8_t> negative = PayloadHead(1);
  for (int i = 0; i < 3; ++i) negative.push_back(1);
  Put(negative, -3);
  Append(negative, std::vector<std::uint8_t>(kMinimalText.begin(), kMinimalText.end()));
  const Case cases[] = {{"version 3", v3, true, 1},
                        {"version 2 with extras", v2, true, 1},
                        {"flags only, UTF-8 signature", textOnly, false, 0},
                        {"negative picture count", negative, false, 0}};
  for (const auto& c : cases) {
    auto stored = StoredPayload(c.payload);
    TbsSkinData data(nullptr);
    data.LoadCompressedStoredSkin(stored.get());
    EXPECT_FALSE(data.Empty) << c.what;
    EXPECT_EQ(!data.Picture().Empty(), c.frameExpected) << c.what;
    if (c.frameExpected) {
      EXPECT_EQ(data.Picture().Data(), frame) << c.what;
    }
    EXPECT_TRUE(data.InActivePicture().Empty()) << c.what;
    EXPECT_EQ(data.ActivePictures().size(), c.pictures) << c.what;
    EXPECT_EQ(data.SkinName, u"text only") << c.what;
    EXPECT_EQ(data.BorderW, 4) << c.what;
    ASSERT_EQ(data.CtrlList.size(), 1u) << c.what;
    EXPECT_EQ(data.CtrlList[0]->SkinRect, (TRect{1, 2, 3, 4})) << c.what;
  }
}

TEST(SkinContainer, LaterPayloadVersionEndsTheChangeEmpty) {
  auto stored = StoredPayload(PayloadHead(4));
  TbsSkinData data(nullptr);
  data.LoadCompressedStoredSkin(stored.get());
  EXPECT_TRUE(data.Empty);
  EXPECT_FALSE(data.ChangeSkinDataProcess);
}

TEST(SkinContainer, DamagedPicturesInsideAPayloadAreRejected) {
  const auto good = test::Bmp24(8, 6, 1);
  auto with = [](auto edit) {
    auto bmp = test::Bmp24(8, 6, 1);
    edit(bmp);
    return bmp;
  };
  auto put32 = [](std::vector<std::uint8_t>& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = std::uint8_t(v >> (8 * i));
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bmp;
  };
  const Case cases[] = {
      {"signature", with([](auto& b) { b[0] = 'X'; })},
      {"header size", with([&](auto& b) { put32(b, 14, 41); })},
      {"zero width", with([&](auto& b) { put32(b, 18, 0); })},
      {"huge width", with([&](auto& b) { put32(b, 18, 0x40000000); })},
      {"huge height", with([&](auto& b) { put32(b, 22, 0x80000000u); })},
      {"bit count", with([](auto& b) { b[28] = 7; })},
      {"palette larger than the depth", with([&](auto& b) { b[28] = 1; put32(b, 46, 3); })},
      {"image size below the rows", with([&](auto& b) { put32(b, 34, 10); })},
      {"image size beyond the payload", with([&](auto& b) { put32(b, 34, 0x7FFFFFF0); })},
      {"compression", with([&](auto& b) { put32(b, 30, 9); })},
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + 40)},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> payload = PayloadHead(3);
    payload.push_back(0);
    Append(payload, c.bmp);
    if (std::string(c.what) != "truncated") {
      payload.push_back(1);
      payload.push_back(1);
      Put(payload, 0);
    }
    auto stored = StoredPayload(payload);
    TbsSkinData data(nullptr);
    EXPECT_THROW(data.LoadCompressedStoredSkin(stored.get()), rtl::EInvalidGraphic) << c.what;
    EXPECT_TRUE(data.Empty) << c.what;
  }
}

TEST(SkinPicture, ReadsWhatARealEncoderWrites) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg not installed";
  test::TempDir dir;
  for (const char* fmt : {"bgr24", "pal8", "bgra", "rgb555le", "rgb565le", "rgb444le", "monob"}) {
    const std::string out = dir.File(std::string(fmt) + ".bmp");
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=33x17:rate=1 -frames:v 1 -pix_fmt " +
                            std::string(fmt) + " " + out;
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    TbsSkinPicture picture;
    picture.LoadFromFile(rtl::Utf8ToString(out));
    EXPECT_EQ(picture.Width(), 33) << fmt;
    EXPECT_EQ(picture.Height(), 17) << fmt;
    const auto pixels = picture.ToPixels();
    ASSERT_EQ(pixels.size(), 33u * 17u) << fmt;
    // The test picture is not one flat colour.
    EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 1u) << fmt;
    // And it travels through a stream unchanged, leaving nothing behind.
    rtl::TMemoryStream s;
    picture.SaveToStream(s);
    s.WriteBuffer("tail", 4);
    s.SetPosition(0);
    TbsSkinPicture back;
    back.LoadFromStream(s);
    EXPECT_EQ(back.Data(), picture.Data()) << fmt;
    EXPECT_EQ(s.Position(), s.Size() - 4) << fmt;
    // The framework's bitmap of the picture has the same size and pixels.
    gdi::TBitmap* bitmap = picture.Bitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), 33);
    EXPECT_EQ(bitmap->Height(), 17);
    for (int y : {0, 8, 16})
      for (int x : {0, 16, 32})
        EXPECT_EQ(bitmap->Canvas()->Pixels(x, y), gdi::TColor(((pixels[y * 33 + x] & 0xFF) << 16) | (pixels[y * 33 + x] & 0xFF00) |
                                                          ((pixels[y * 33 + x] >> 16) & 0xFF)))
            << fmt << " " << x << "," << y;
  }
}

}  // namespace
}  // namespace skin
