#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "skin/data/bszlibcompress.h"

namespace skin {
namespace {

std::vector<std::uint8_t> Noise(size_t n, unsigned seed = 7) {
  std::mt19937 gen(seed);
  std::vector<std::uint8_t> v(n);
  for (auto& b : v) b = std::uint8_t(gen() % 7);  // compressible, not trivial
  return v;
}

std::vector<std::uint8_t> Bytes(rtl::TMemoryStream& s) {
  const auto* p = static_cast<const std::uint8_t*>(s.Memory());
  return p ? std::vector<std::uint8_t>(p, p + s.Size()) : std::vector<std::uint8_t>{};
}

std::unique_ptr<rtl::TMemoryStream> Packed(const std::vector<std::uint8_t>& data) {
  rtl::TMemoryStream src;
  auto dst = std::make_unique<rtl::TMemoryStream>();
  if (!data.empty()) src.WriteBuffer(data.data(), rtl::Int64(data.size()));
  CompressMemoryStream(&src, dst.get());
  return dst;
}

TEST(SkinZlib, RoundTripsAcrossBufferBoundaries) {
  for (size_t n : {size_t(0), size_t(1), size_t(8191), size_t(8192), size_t(100000)}) {
    const auto data = Noise(n);
    auto packedPtr = Packed(data);
    auto& packed = *packedPtr;
    const auto z = Bytes(packed);
    ASSERT_GE(z.size(), 2u);
    EXPECT_EQ(z[0], 0x78);
    EXPECT_EQ(z[1], 0xDA);  // level 9
    rtl::TMemoryStream out;
    DecompressToMemoryStream(&out, &packed);
    EXPECT_EQ(Bytes(out), data) << n;
    // zlib itself agrees that the stream is complete.
    std::vector<std::uint8_t> check(n + 1);
    uLongf len = uLongf(check.size());
    EXPECT_EQ(uncompress(check.data(), &len, z.data(), uLong(z.size())), Z_OK);
    EXPECT_EQ(len, n);
  }
}

TEST(SkinZlib, CompressionStreamPositionRateAndForbiddenOperations) {
  rtl::TMemoryStream dst;
  TCompressionStream zip(clMax, &dst);
  EXPECT_EQ(zip.CompressionRate(), 0.0f);
  const auto data = Noise(1000);
  zip.Write(data.data(), 10);
  EXPECT_EQ(zip.Position(), 10);
  EXPECT_THROW(zip.SetPosition(0), ECompressionError);
  char c;
  EXPECT_THROW(zip.Read(&c, 1), ECompressionError);
  zip.Write(data.data() + 10, 990);
  zip.Finish();
  const float expected = (1.0f - float(dst.Size()) / 1000.0f) * 100.0f;
  EXPECT_NEAR(zip.CompressionRate(), expected, 1.0f);  // zlib counts its own output exactly
  EXPECT_GT(zip.CompressionRate(), 0.0f);
}

TEST(SkinZlib, DecompressionReadsSeeksAndStopsAtStreamEnd) {
  const auto data = Noise(30000);
  auto packedPtr = Packed(data);
  auto& packed = *packedPtr;
  // Bytes after the end of the compressed stream are never read.
  const std::uint8_t trailer[] = {1, 2, 3, 4, 5};
  packed.SetPosition(packed.Size());
  packed.WriteBuffer(trailer, 5);
  packed.SetPosition(0);
  TDecompressionStream unzip(&packed);
  int progress = 0;
  unzip.OnProgress = [&](rtl::TObject* sender) {
    EXPECT_EQ(sender, &unzip);
    ++progress;
  };
  std::vector<std::uint8_t> first(100);
  EXPECT_EQ(unzip.Read(first.data(), 100), 100);
  EXPECT_EQ(unzip.Seek(20000, rtl::soCurrent), 20100);
  std::uint8_t b = 0;
  unzip.ReadBuffer(&b, 1);
  EXPECT_EQ(b, data[20100]);
  EXPECT_THROW(unzip.Seek(5, rtl::soBeginning), EDecompressionError);
  EXPECT_THROW(unzip.Seek(0, rtl::soEnd), EDecompressionError);
  EXPECT_THROW(unzip.Write(&b, 1), EDecompressionError);
  EXPECT_EQ(unzip.Seek(0, rtl::soBeginning), 0);
  std::vector<std::uint8_t> all(40000);
  EXPECT_EQ(unzip.Read(all.data(), 40000), 30000);
  all.resize(30000);
  EXPECT_EQ(all, data);
  EXPECT_EQ(unzip.Read(all.data(), 10), 0);
  EXPECT_TRUE(unzip.StreamEnded());
  EXPECT_GT(progress, 0);
  // Forward past the end: the full read fails.
  EXPECT_EQ(unzip.Seek(0, rtl::soBeginning), 0);
  EXPECT_THROW(unzip.Seek(30001, rtl::soCurrent), rtl::EReadError);
}

TEST(SkinZlib, TruncatedOrCorruptDataIsAnError) {
  const auto data = Noise(50000);
  auto packedPtr = Packed(data);
  auto& packed = *packedPtr;
  const auto z = Bytes(packed);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<std::uint8_t> flipped = z;
  flipped[z.size() / 2] ^= 0x55;
  std::vector<std::uint8_t> badSum = z;
  badSum.back() ^= 1;
  std::vector<std::uint8_t> dict = {0x78, 0xBB, 0, 0, 0, 1};  // asks for a preset dictionary
  const Case cases[] = {{"truncated", std::vector<std::uint8_t>(z.begin(), z.end() - 10)},
                        {"header only", std::vector<std::uint8_t>(z.begin(), z.begin() + 2)},
                        {"empty", {}},
                        {"flipped", flipped},
                        {"checksum", badSum},
                        {"dictionary", dict},
                        {"garbage", {1, 2, 3, 4, 5, 6, 7}}};
  for (const auto& c : cases) {
    rtl::TMemoryStream src, out;
    if (!c.bytes.empty()) src.WriteBuffer(c.bytes.data(), rtl::Int64(c.bytes.size()));
    EXPECT_THROW(DecompressToMemoryStream(&out, &src), EDecompressionError) << c.what;
  }
}

}  // namespace
}  // namespace skin
