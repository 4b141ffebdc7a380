// Pictures out of a file: decoding in order, seeking, stepping back, the end
// of the file, and pictures as bitmaps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "engine/probe/AVProbe.h"
#include "platform/rtl/Exceptions.h"
#include "tests/engine/probe/ProbeTestUtils.h"

using namespace player;
using engine::sfBackward;
using engine::sfByte;
using probetest::Media;
using rtl::S;
using rtl::U8;

namespace {

class AVProbeDecodeTest : public ::testing::Test {
 protected:
  void SetUp() override { probetest::LoadProbeLibraries(); }

  // A probe with the fixture open.
  std::unique_ptr<TAVProbe> Open(const std::string& AName) {
    auto probe = std::make_unique<TAVProbe>(nullptr);
    EXPECT_TRUE(probe->LoadFile(S(Media::Get()(AName)))) << U8(probe->LastErrMsg());
    return probe;
  }
};

struct BGR {
  int B, G, R;
};

BGR PixelOf(gdi::TBitmap& ABitmap, int AX, int AY) {
  const uint8_t* p = static_cast<const uint8_t*>(ABitmap.ScanLine(AY)) + 3 * AX;
  return {p[0], p[1], p[2]};
}

void ExpectNear(BGR AActual, BGR AExpected, int ATolerance) {
  EXPECT_NEAR(AActual.B, AExpected.B, ATolerance);
  EXPECT_NEAR(AActual.G, AExpected.G, ATolerance);
  EXPECT_NEAR(AActual.R, AExpected.R, ATolerance);
}

uint32_t LE(const std::string& AData, size_t AOffset, int ABytes) {
  uint32_t v = 0;
  for (int i = ABytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(AData[AOffset + i]);
  return v;
}

}  // namespace

TEST_F(AVProbeDecodeTest, DecodesPicturesInOrder) {
  auto probe = Open("av.mp4");
  struct Expected {
    int64_t PTS;
    bool Key;
    TPictureType Type;
  } expected[] = {{0, true, ptI}, {40000, false, ptP}, {80000, false, ptP}};
  int64_t lastPos = -1;
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.PTS);
    ASSERT_TRUE(probe->Decode()) << U8(probe->LastErrMsg());
    const TFrameInfo& f = probe->FrameInfo();
    EXPECT_TRUE(f.Ready);
    EXPECT_EQ(f.PTS, e.PTS);
    EXPECT_EQ(f.IsKeyFrame, e.Key);
    EXPECT_EQ(f.PictureType, e.Type);
    EXPECT_EQ(f.Width, 160);
    EXPECT_EQ(f.Height, 120);
    EXPECT_EQ(f.PixFmt, AV_PIX_FMT_YUV420P);
    EXPECT_EQ(f.StreamIndex, 0);
    EXPECT_EQ(f.OriginalPTS, e.PTS * 12800 / 1000000) << "in the stream's time base";
    EXPECT_GE(f.Position, lastPos);
    lastPos = f.Position;
  }

  ASSERT_TRUE(probe->DecodeNextKeyFrame());
  EXPECT_EQ(probe->FrameInfo().PTS, 400000);
  EXPECT_TRUE(probe->FrameInfo().IsKeyFrame);
  ASSERT_TRUE(probe->DecodeNextKeyFrame());
  EXPECT_EQ(probe->FrameInfo().PTS, 800000);
}

TEST_F(AVProbeDecodeTest, StepsBackToPicturesAndKeyFrames) {
  auto probe = Open("av.mp4");
  for (int i = 0; i <= 12; ++i) ASSERT_TRUE(probe->Decode());
  ASSERT_EQ(probe->FrameInfo().PTS, 480000);

  struct Step {
    bool KeyFrame;  // else the previous picture
    int64_t PTS;
  } steps[] = {{false, 440000}, {false, 400000}, {true, 0}, {false, 0}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.PTS);
    ASSERT_TRUE(s.KeyFrame ? probe->DecodePreviousKeyFrame() : probe->DecodePreviousFrame())
        << U8(probe->LastErrMsg());
    EXPECT_EQ(probe->FrameInfo().PTS, s.PTS);
  }

  ASSERT_TRUE(probe->Seek(1300000));
  ASSERT_TRUE(probe->Decode());
  ASSERT_EQ(probe->FrameInfo().PTS, 1600000);
  ASSERT_TRUE(probe->DecodePreviousKeyFrame());
  EXPECT_EQ(probe->FrameInfo().PTS, 1200000);
  EXPECT_TRUE(probe->FrameInfo().IsKeyFrame);

  // From the end of the file, one step back is the last picture but one.
  while (probe->Decode()) {
  }
  ASSERT_TRUE(probe->Eof());
  ASSERT_TRUE(probe->DecodePreviousFrame()) << U8(probe->LastErrMsg());
  EXPECT_EQ(probe->FrameInfo().PTS, 1920000);
}

TEST_F(AVProbeDecodeTest, PreviousKeyFrameSearchGivesUpAtTheFirstPicture) {
  // A stream cut in the middle of a group of pictures: its first decodable
  // picture lies after the stream's start, and there is nothing before it.
  const std::string whole = probetest::ReadFile(Media::Get()("gop.ts"));
  const std::string cut = Media::Get().PathOf("cut.ts");
  probetest::WriteFile(cut, whole.substr((whole.size() / 3 / 188) * 188));
  TAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(cut))) << U8(probe.LastErrMsg());
  ASSERT_TRUE(probe.Decode()) << U8(probe.LastErrMsg());
  const int64_t first = probe.FrameInfo().PTS;
  ASSERT_GT(first, 0);

  EXPECT_FALSE(probe.DecodePreviousKeyFrame());
  EXPECT_EQ(U8(probe.LastErrMsg()).rfind("Could not seek to the previous key-frame. ", 0), 0u)
      << U8(probe.LastErrMsg());
}

TEST_F(AVProbeDecodeTest, SeeksByTimeAndByPosition) {
  auto probe = Open("av.mp4");
  struct Case {
    int64_t Target;
    engine::TSeekFlags Flags;
    int64_t PTS;  // of the picture decoded next
  } cases[] = {
      {1000000, {sfBackward}, 800000},  // the key frame at or before
      {1000000, {}, 1200000},           // the key frame at or after
      {-5, {}, 0},                      // before the start: the start
      {0, {sfBackward}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Target);
    ASSERT_TRUE(probe->Decode());
    EXPECT_TRUE(probe->Seek(c.Target, c.Flags)) << U8(probe->LastErrMsg());
    EXPECT_FALSE(probe->FrameInfo().Ready) << "a seek drops the held picture";
    ASSERT_TRUE(probe->Decode());
    EXPECT_EQ(probe->FrameInfo().PTS, c.PTS);
    EXPECT_TRUE(probe->FrameInfo().IsKeyFrame);
  }

  auto ts = Open("av.ts");
  const int64_t half = ts->FileSize() / 2;
  ASSERT_TRUE(ts->Seek(half, {sfByte})) << U8(ts->LastErrMsg());
  EXPECT_GE(ts->Position(), half);
  ASSERT_TRUE(ts->Decode()) << U8(ts->LastErrMsg());
  EXPECT_GT(ts->FrameInfo().PTS, 200000);
}

TEST_F(AVProbeDecodeTest, EndOfFileHoldsUntilTheNextSeek) {
  auto probe = Open("av.mp4");
  int pictures = 0;
  while (probe->Decode()) ++pictures;
  EXPECT_EQ(pictures, 50);
  EXPECT_TRUE(probe->Eof());
  EXPECT_EQ(U8(probe->LastErrMsg()), "stream eof reached.");
  EXPECT_FALSE(probe->Decode());

  ASSERT_TRUE(probe->Seek(0));
  EXPECT_FALSE(probe->Eof());
  ASSERT_TRUE(probe->Decode());
  EXPECT_EQ(probe->FrameInfo().PTS, 0);

  // A seek past the end of a Matroska file runs into the end of the input:
  // it fails and the end holds until a seek succeeds.
  auto mkv = Open("twocolor.mkv");
  probetest::LogSpy spy;
  EXPECT_FALSE(mkv->Seek(5000000));
  EXPECT_TRUE(mkv->Eof());
  bool logged = false;
  for (const auto& l : spy.From(mkv.get()))
    logged = logged || (l.Level == engine::llError && l.Text == "could not seek to position 5.000 seconds");
  EXPECT_TRUE(logged);
  EXPECT_FALSE(mkv->Decode());
  EXPECT_EQ(U8(mkv->LastErrMsg()), "stream eof reached.");
  ASSERT_TRUE(mkv->Seek(-1));
  EXPECT_FALSE(mkv->Eof());
  ASSERT_TRUE(mkv->Decode());
  EXPECT_EQ(mkv->FrameInfo().PTS, 0);

  // A new file starts without a picture and without the old end.
  ASSERT_TRUE(probe->LoadFile(S(Media::Get()("twocolor.mkv"))));
  EXPECT_FALSE(probe->FrameInfo().Ready);
  EXPECT_FALSE(probe->Eof());
  EXPECT_EQ(probe->FrameInfo().PTS, AV_NOPTS_VALUE);
}

TEST_F(AVProbeDecodeTest, DelayedPicturesAreDeliveredAtTheEnd) {
  // Reordered pictures: the decoder holds some back until its input ends.
  auto probe = Open("bframes.mkv");
  std::vector<int64_t> stamps;
  while (probe->Decode()) stamps.push_back(probe->FrameInfo().PTS);
  ASSERT_EQ(stamps.size(), 50u);
  for (size_t i = 0; i < stamps.size(); ++i) EXPECT_EQ(stamps[i], static_cast<int64_t>(i) * 40000);
}

TEST_F(AVProbeDecodeTest, TruncatedFileEndsCleanly) {
  const std::string whole = probetest::ReadFile(Media::Get()("av.ts"));
  const std::string cut = Media::Get().PathOf("half.ts");
  probetest::WriteFile(cut, whole.substr(0, whole.size() / 2 + 77));
  TAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(cut))) << U8(probe.LastErrMsg());
  int pictures = 0;
  while (probe.Decode()) ++pictures;
  EXPECT_GT(pictures, 0);
  EXPECT_LT(pictures, 25);
  EXPECT_TRUE(probe.Eof());
  ASSERT_TRUE(probe.Seek(0));
  EXPECT_TRUE(probe.Decode());
}

TEST_F(AVProbeDecodeTest, DamagedMiddleIsDecodedPast) {
  // A tenth of the file overwritten with noise: the pictures after the
  // damage still come, and the file ends as any other.
  for (const char* name : {"gop.ts", "av.mp4", "bframes.mkv"}) {
    SCOPED_TRACE(name);
    std::string data = probetest::ReadFile(Media::Get()(name));
    uint32_t seed = 12345;
    for (size_t i = data.size() * 4 / 10; i < data.size() / 2; ++i) {
      seed = seed * 1103515245u + 12345u;
      data[i] = static_cast<char>(seed >> 24);
    }
    const std::string damaged = Media::Get().PathOf(std::string("damaged-") + name);
    probetest::WriteFile(damaged, data);
    TAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(S(damaged))) << U8(probe.LastErrMsg());
    int pictures = 0;
    int64_t last = -1;
    while (probe.Decode()) {
      ++pictures;
      last = probe.FrameInfo().PTS;
    }
    EXPECT_GT(pictures, 25);
    EXPECT_TRUE(probe.Eof());
    EXPECT_GE(last, 1800000) << "the last pictures were reached";
    ASSERT_TRUE(probe.Seek(0)) << U8(probe.LastErrMsg());
    EXPECT_TRUE(probe.Decode());
  }
}

TEST_F(AVProbeDecodeTest, UnloadingTheLibrariesReleasesTheFileFirst) {
  // Through the base class too: the decoder, the picture and the bitmap
  // cache all go before the libraries, and the probe is freed without them.
  {
    auto probe = Open("av.mp4");
    ASSERT_TRUE(probe->Decode());
    gdi::TBitmap bmp;
    ASSERT_TRUE(probe->CopyToBitmap(bmp));
    static_cast<TCustomAVProbe*>(probe.get())->UnloadAVLib();
    EXPECT_FALSE(probe->AVLibLoaded());
    EXPECT_EQ(probe->FileHandle(), nullptr);
    EXPECT_FALSE(probe->FrameInfo().Ready);
  }
  probetest::LoadProbeLibraries();
  auto probe = Open("av.mp4");
  EXPECT_TRUE(probe->Decode()) << "a probe works again once the libraries are back";
}

TEST_F(AVProbeDecodeTest, SinglePictureIsDecodedOnceAndNeverSeeked) {
  auto probe = Open("still.png");
  ASSERT_TRUE(probe->Decode());
  const int64_t pos = probe->Position();
  const int64_t pts = probe->FrameInfo().PTS;
  ASSERT_TRUE(probe->Decode());
  EXPECT_EQ(probe->Position(), pos) << "nothing more was read";
  EXPECT_EQ(probe->FrameInfo().PTS, pts);
  EXPECT_TRUE(probe->FrameInfo().Ready);

  EXPECT_FALSE(probe->Seek(0));
  EXPECT_EQ(U8(probe->LastErrMsg()), "\"image2\" format cannot to be seeked.");
  EXPECT_TRUE(probe->FrameInfo().Ready) << "a refused seek keeps the picture";
  EXPECT_TRUE(probe->DecodePreviousFrame());

  gdi::TBitmap bmp;
  ASSERT_TRUE(probe->CopyToBitmap(bmp));
  EXPECT_EQ(bmp.Width(), 64);
  EXPECT_EQ(bmp.Height(), 48);
}

TEST_F(AVProbeDecodeTest, LentContextRefusesSeekingAndDecoding) {
  const std::string path = Media::Get()("av.mp4");
  AVFormatContext* ic = nullptr;
  ASSERT_EQ(ff::avformat_open_input(&ic, path.c_str(), nullptr, nullptr), 0);
  ASSERT_GE(ff::avformat_find_stream_info(ic, nullptr), 0);
  {
    TAVProbe probe(nullptr);
    probe.SetFileHandle(ic);
    EXPECT_EQ(probe.FirstVideoStreamIndex(), 0);
    const std::function<void()> calls[] = {
        [&] { probe.Decode(); },
        [&] { probe.Seek(0); },
        [&] { probe.DecodeNextKeyFrame(); },
        [&] { probe.DecodePreviousFrame(); },
        [&] { probe.DecodePreviousKeyFrame(); },
    };
    for (const auto& call : calls) {
      try {
        call();
        ADD_FAILURE() << "no exception";
      } catch (const rtl::Exception& e) {
        EXPECT_EQ(U8(e.Message()), "file cannot be seeked, handle is readonly.");
      }
    }
    EXPECT_EQ(U8(probe.LastErrMsg()), "file cannot be seeked, handle is readonly.");
    EXPECT_GE(probe.Position(), 0) << "reading the position is allowed";
  }
  ff::avformat_close_input(&ic);
}

TEST_F(AVProbeDecodeTest, RequestsThatCannotBeServed) {
  probetest::LogSpy spy;
  TAVProbe closed(nullptr);
  EXPECT_FALSE(closed.Decode());
  EXPECT_EQ(U8(closed.LastErrMsg()), "file not loaded.");
  EXPECT_FALSE(closed.Seek(0));
  EXPECT_EQ(closed.Position(), -1);

  auto audio = Open("tone.wav");
  EXPECT_FALSE(audio->Decode());
  EXPECT_EQ(U8(audio->LastErrMsg()), "no video stream.");
  ASSERT_TRUE(audio->Seek(500000)) << "audio-only files seek by their audio stream";

  auto probe = Open("av.mp4");
  struct Case {
    int Index;
    const char* Message;
  } cases[] = {{1, "stream #1 is not video stream."}, {7, "stream index #7 is invalid."}};
  for (const Case& c : cases) {
    EXPECT_FALSE(probe->Decode(c.Index));
    EXPECT_EQ(U8(probe->LastErrMsg()), c.Message);
    const auto lines = spy.From(probe.get());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().Level, engine::llError);
  }

  // mp4 files cannot be entered at a byte position.
  EXPECT_FALSE(probe->Seek(1000, {sfByte}));
  const auto lines = spy.From(probe.get());
  bool logged = false;
  for (const auto& l : lines) logged = logged || l.Text == "could not seek to position 1000 bytes";
  EXPECT_TRUE(logged);

  gdi::TBitmap bmp;
  bmp.SetPixelFormat(gdi::pf24bit);
  bmp.SetSize(7, 5);
  static_cast<uint8_t*>(bmp.ScanLine(0))[0] = 99;
  EXPECT_FALSE(probe->CopyToBitmap(bmp));
  EXPECT_EQ(U8(probe->LastErrMsg()), "picture not ready, please decode first");
  EXPECT_EQ(bmp.Width(), 7);
  EXPECT_EQ(static_cast<uint8_t*>(bmp.ScanLine(0))[0], 99) << "the bitmap is left alone";
}

TEST_F(AVProbeDecodeTest, PicturesBecomeBitmapsWithTheirColours) {
  // Blue band on top, red below; through the scaler (yuv, odd width) and
  // straight from 24-bit rows.
  struct Case {
    const char* File;
    int Width, Height;
    int Tolerance;
  } cases[] = {{"twocolor.mkv", 64, 48, 6}, {"rawbgr.nut", 64, 48, 3}, {"rawodd.nut", 33, 25, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    auto probe = Open(c.File);
    ASSERT_TRUE(probe->Decode()) << U8(probe->LastErrMsg());
    gdi::TBitmap bmp;
    ASSERT_TRUE(probe->CopyToBitmap(bmp));
    ASSERT_EQ(bmp.Width(), c.Width);
    ASSERT_EQ(bmp.Height(), c.Height);
    EXPECT_EQ(bmp.PixelFormat(), gdi::pf24bit);
    ExpectNear(PixelOf(bmp, c.Width / 2, 2), {255, 0, 0}, c.Tolerance);
    ExpectNear(PixelOf(bmp, c.Width / 2, c.Height - 3), {0, 0, 255}, c.Tolerance);

    // The same picture as a BMP file: bottom-up rows of padded triples.
    const std::string file = Media::Get().PathOf(std::string(c.File) + ".bmp");
    bmp.SaveToFile(S(file));
    const std::string data = probetest::ReadFile(file);
    const int rowSize = (c.Width * 3 + 3) / 4 * 4;
    ASSERT_EQ(data.size(), 54u + static_cast<size_t>(rowSize) * c.Height);
    EXPECT_EQ(data.substr(0, 2), "BM");
    EXPECT_EQ(LE(data, 18, 4), static_cast<uint32_t>(c.Width));
    EXPECT_EQ(LE(data, 22, 4), static_cast<uint32_t>(c.Height));
    EXPECT_EQ(LE(data, 28, 2), 24u);
    const size_t top = 54 + static_cast<size_t>(rowSize) * (c.Height - 1) + 3 * (c.Width / 2);
    EXPECT_NEAR(static_cast<uint8_t>(data[top]), 255, c.Tolerance) << "blue of the top row";
    EXPECT_NEAR(static_cast<uint8_t>(data[54 + 2]), 255, c.Tolerance) << "red of the bottom row";
  }
}

TEST_F(AVProbeDecodeTest, TestPatternMatchesTheReferenceRendering) {
  // The ffmpeg tool's own rendering of the first picture is the reference.
  const std::string ref = Media::Get().PathOf("ref.bgr");
  const std::string cmd = "ffmpeg -v error -nostdin -y -i '" + Media::Get()("av.mp4") +
                          "' -frames:v 1 -f rawvideo -pix_fmt bgr24 '" + ref + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  const std::string reference = probetest::ReadFile(ref);
  ASSERT_EQ(reference.size(), 160u * 120 * 3);

  auto probe = Open("av.mp4");
  ASSERT_TRUE(probe->Decode());
  gdi::TBitmap bmp;
  ASSERT_TRUE(probe->CopyToBitmap(bmp));
  const std::string file = Media::Get().PathOf("frame0.bmp");
  bmp.SaveToFile(S(file));
  const std::string saved = probetest::ReadFile(file);
  const int rowSize = 160 * 3;
  for (auto [x, y] : {std::pair{10, 10}, {80, 20}, {150, 30}, {40, 60}, {120, 90}, {5, 115}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y);
    for (int k = 0; k < 3; ++k) {
      const int want = static_cast<uint8_t>(reference[(y * 160 + x) * 3 + k]);
      EXPECT_NEAR(PixelOf(bmp, x, y).B * (k == 0) + PixelOf(bmp, x, y).G * (k == 1) +
                      PixelOf(bmp, x, y).R * (k == 2),
                  want, 4);
      EXPECT_NEAR(static_cast<uint8_t>(saved[54 + (119 - y) * rowSize + x * 3 + k]), want, 4);
    }
  }
}
