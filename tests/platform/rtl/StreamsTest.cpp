#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/rtl/Strings.h"

using namespace rtl;
namespace fs = std::filesystem;

namespace {

class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tvl-streams-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  String Path(const std::string& name) const { return Utf8ToString((dir_ / name).string()); }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
};

TEST(MemoryStream, ShortTransfersRaiseWithTheFrameworkTexts) {
  TMemoryStream m;
  const char data[] = "abc";
  m.WriteBuffer(data, 3);
  m.SetPosition(1);
  char buf[8] = {};
  try {
    m.ReadBuffer(buf, 3);
    FAIL() << "a read past the end must raise";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), u"Stream read error");
  }
  m.SetPosition(0);
  m.ReadBuffer(buf, 0);  // nothing asked, nothing raised
  EXPECT_EQ(m.Read(buf, 10), 3);
  EXPECT_EQ(m.Read(buf, 10), 0);
}

TEST(MemoryStream, WritingBeyondTheEndFillsTheGapAndSetSizeClampsPosition) {
  TMemoryStream m;
  EXPECT_EQ(m.Seek(4, soFromBeginning), 4);
  EXPECT_EQ(m.Size(), 0);
  m.WriteBuffer("x", 1);
  ASSERT_EQ(m.Size(), 5);
  EXPECT_EQ(std::string(static_cast<const char*>(m.Memory()), 5), std::string("\0\0\0\0x", 5));
  EXPECT_EQ(m.Seek(-2, soEnd), 3);
  EXPECT_EQ(m.Seek(-10, soCurrent), -1);  // before the start: refused
  m.SetSize(2);
  EXPECT_EQ(m.Position(), 2);
  // Positions are 64-bit; seeking far does not allocate.
  EXPECT_EQ(m.Seek(Int64{5} << 32, soBeginning), Int64{5} << 32);
  EXPECT_EQ(m.Size(), 2);
}

TEST(MemoryStream, CopyFromZeroTakesTheWholeSourceFromItsStart) {
  TStringStream src(std::string("0123456789"));
  src.SetPosition(7);
  TMemoryStream dst;
  EXPECT_EQ(dst.CopyFrom(&src, 0), 10);
  EXPECT_EQ(std::string(static_cast<const char*>(dst.Memory()), 10), "0123456789");

  src.SetPosition(2);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(&src, 3), 3);
  EXPECT_EQ(std::string(static_cast<const char*>(part.Memory()), 3), "234");
  EXPECT_THROW(part.CopyFrom(&src, 100), EReadError);
}

TEST(StringStream, KeepsTextAndBytes) {
  TStringStream s(S("配置 ini"));
  EXPECT_EQ(s.Size(), 10);
  EXPECT_EQ(s.DataString(), S("配置 ini"));
  s.SetPosition(s.Size());
  s.WriteString(u"!");
  EXPECT_EQ(s.Bytes(), "配置 ini!");
  s.SetPosition(7);
  EXPECT_EQ(s.ReadString(100), u"ini!");
}

TEST_F(StreamFiles, OpenModes) {
  Put("a.bin", "hello");
  {  // read-only: writing moves nothing, WriteBuffer raises
    TFileStream f(Path("a.bin"), fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(f.Size(), 5);
    EXPECT_EQ(f.Write("x", 1), 0);
    EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
    char buf[5];
    f.ReadBuffer(buf, 5);
    EXPECT_EQ(std::string(buf, 5), "hello");
  }
  {  // write-only keeps the content it does not overwrite
    TFileStream f(Path("a.bin"), fmOpenWrite | fmShareExclusive);
    f.WriteBuffer("J", 1);
    char c;
    EXPECT_EQ(f.Read(&c, 1), 0);
  }
  EXPECT_EQ(Get("a.bin"), "Jello");
  {
    TFileStream f(Path("a.bin"), fmOpenReadWrite);
    f.Seek(0, soEnd);
    f.WriteBuffer("!", 1);
    f.SetPosition(0);
    char buf[6];
    f.ReadBuffer(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "Jello!");
  }
  {  // fmCreate empties an existing file
    TFileStream f(Path("a.bin"), fmCreate);
    EXPECT_EQ(f.Size(), 0);
    f.WriteBuffer("new", 3);
  }
  EXPECT_EQ(Get("a.bin"), "new");
}

TEST_F(StreamFiles, OpenAndCreateFailuresNameTheFileAndTheReason) {
  const String missing = Path("nope.bin");
  try {
    TFileStream f(missing, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), u"Cannot open file \"" + missing + u"\". No such file or directory");
  }
  const String inMissingDir = Path("no/dir/x.bin");
  try {
    TFileStream f(inMissingDir, fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_EQ(e.Message(), u"Cannot create file \"" + inMissingDir + u"\". No such file or directory");
  }
  // A folder is not a file, although Linux would open it for reading.
  EXPECT_THROW(TFileStream(Utf8ToString(dir_.string()), fmOpenRead), EFOpenError);
  // Both are stream errors, so callers can catch them together.
  EXPECT_THROW(TFileStream(missing, fmOpenReadWrite), EStreamError);
}

TEST_F(StreamFiles, SizesAndPositionsBeyondFourGigabytes) {
  const Int64 big = (Int64{1} << 32) + 10;
  TFileStream f(Path("sparse.bin"), fmCreate);
  f.SetSize(big);  // sparse: no real space is used
  EXPECT_EQ(f.Size(), big);
  EXPECT_EQ(f.Seek(-1, soFromEnd), big - 1);
  f.WriteBuffer("z", 1);
  EXPECT_EQ(f.Position(), big);
  f.SetSize(3);
  EXPECT_EQ(f.Position(), 3);
}

TEST_F(StreamFiles, MemoryStreamFileRoundTrip) {
  TMemoryStream m;
  m.WriteBuffer("\x00\x01\xFF", 3);
  m.SaveToFile(Path("m.bin"));
  TMemoryStream back;
  back.WriteBuffer("old content", 11);
  back.LoadFromFile(Path("m.bin"));
  EXPECT_EQ(back.Size(), 3);
  EXPECT_EQ(back.Position(), 0);
  EXPECT_EQ(std::string(static_cast<const char*>(back.Memory()), 3), std::string("\x00\x01\xFF", 3));
  EXPECT_THROW(back.LoadFromFile(Path("missing")), EFOpenError);
}

}  // namespace
