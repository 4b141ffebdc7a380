// The option vocabulary: every name through the dispatcher, the handlers'
// checks and messages, targets and presets.
#include <cmath>
#include <functional>

#include "TranscoderTestUtils.h"
#include "engine/MyUtils.h"

namespace {

using engine::TCustomFFmpeg;
using transcodertest::LogCapture;
using transcodertest::MessageOf;
using transcodertest::TranscoderTest;

using Check = std::function<bool(TCustomFFmpeg&)>;

struct OptionCase {
  const char* Name;
  const char* Value;
  Check Expect;          // checked after the option applied
  const char* Error;     // or the message it must fail with
};

bool Logged(const std::string& AText) { return LogCapture::Get().Count(AText) > 0; }

Check DoesNothing(const char* AName) {
  std::string line = std::string("Do nothing: option - ") + AName;
  return [line](TCustomFFmpeg&) { return Logged(line); };
}

std::string Matrix(int ACount) {
  std::string m;
  for (int i = 0; i < ACount; ++i) m += (i ? "," : "") + std::to_string(i + 1);
  return m;
}

TEST_F(TranscoderTest, EveryOptionNameReachesItsFieldOrItsFailure) {
  enginetest::TempDir tmp;
  const std::string presetFile = tmp / "two.ffpreset";
  enginetest::WriteFile(presetFile, "bf=2\n");
  const std::string m64 = Matrix(64);
  using T = TCustomFFmpeg;
  const std::vector<OptionCase> cases = {
      {"L", "", DoesNothing("L"), nullptr},
      {"h", "", DoesNothing("h"), nullptr},
      {"version", "", DoesNothing("version"), nullptr},
      {"formats", "", DoesNothing("formats"), nullptr},
      {"codecs", "", DoesNothing("codecs"), nullptr},
      {"bsfs", "", DoesNothing("bsfs"), nullptr},
      {"protocols", "", DoesNothing("protocols"), nullptr},
      {"filters", "", DoesNothing("filters"), nullptr},
      {"i", "x.avi", DoesNothing("i"), nullptr},
      {"y", "", DoesNothing("y"), nullptr},
      {"benchmark", "", DoesNothing("benchmark"), nullptr},
      {"loglevel", "debug", [](T&) { return engine::GetFFLogger()->LogLevel() == engine::llDebug; }, nullptr},
      {"timelimit", "10", [](T&) { return Logged("Warning: -timelimit not implemented on Windows"); }, nullptr},
      {"threads", "2", nullptr, "TODO: option - threads"},
      {"padtop", "8", nullptr, "Please use vfilters=pad"},
      {"padbottom", "8", nullptr, "Please use vfilters=pad"},
      {"padleft", "8", nullptr, "Please use vfilters=pad"},
      {"padright", "8", nullptr, "Please use vfilters=pad"},
      {"padcolor", "000000", nullptr, "Please use vfilters=pad"},
      {"dump", "1", [](T& t) { return t.Fdo_pkt_dump; }, nullptr},
      {"hex", "1", [](T& t) { return t.Fdo_hex_dump; }, nullptr},
      {"re", "1", [](T& t) { return t.Frate_emu; }, nullptr},
      {"loop_input", "1", [](T& t) { return t.Floop_input; }, nullptr},
      {"shortest", "1", [](T& t) { return t.Fopt_shortest; }, nullptr},
      {"intra", "1", [](T& t) { return t.Fintra_only; }, nullptr},
      {"vn", "1", [](T& t) { return t.Fvideo_disable; }, nullptr},
      {"sameq", "1", [](T& t) { return t.Fsame_quality && Logged("\"sameq\" has no effect"); }, nullptr},
      {"deinterlace", "1", [](T& t) { return t.Fdo_deinterlace; }, nullptr},
      {"psnr", "1", [](T& t) { return t.Fdo_psnr; }, nullptr},
      {"qphist", "1", [](T& t) { return t.Fqp_hist; }, nullptr},
      {"force_fps", "1", [](T& t) { return t.Fforce_fps; }, nullptr},
      {"an", "1", [](T& t) { return t.Faudio_disable; }, nullptr},
      {"sn", "1", [](T& t) { return t.Fsubtitle_disable; }, nullptr},
      {"isync", "1", [](T& t) { return t.Finput_sync; }, nullptr},
      {"copyts", "0", [](T& t) { return t.Fcopy_ts; }, nullptr},
      {"xerror", "0", [](T& t) { return t.Fexit_on_error; }, nullptr},
      {"fs", "0x10", [](T& t) { return t.Flimit_filesize == 16; }, nullptr},
      {"dframes", "5", [](T& t) { return t.Fmax_frames[AVMEDIA_TYPE_DATA] == 5; }, nullptr},
      {"vframes", "10", [](T& t) { return t.Fmax_frames[AVMEDIA_TYPE_VIDEO] == 10; }, nullptr},
      {"aframes", "$10", [](T& t) { return t.Fmax_frames[AVMEDIA_TYPE_AUDIO] == 16; }, nullptr},
      {"loop_output", "3", [](T& t) { return t.Floop_output == 3; }, nullptr},
      {"v", "2", [](T& t) { return t.Fverbose == 2; }, nullptr},
      {"vsync", "1", [](T& t) { return t.Fvideo_sync_method == 1; }, nullptr},
      {"async", "2", [](T& t) { return t.Faudio_sync_method == 2; }, nullptr},
      {"adrift_threshold", "0.5", [](T& t) { return t.Faudio_drift_threshold == 0.5f; }, nullptr},
      {"vglobal", "2", [](T& t) { return t.Fvideo_global_header == 2; }, nullptr},
      {"dts_delta_threshold", "5", [](T& t) { return t.Fdts_delta_threshold == 5.0f; }, nullptr},
      {"programid", "3", [](T& t) { return t.Fopt_programid == 3; }, nullptr},
      {"copyinkf", "1", [](T& t) { return t.Fcopy_initial_nonkeyframes == 1; }, nullptr},
      {"vdt", "8", [](T& t) { return t.Fvideo_discard == 8; }, nullptr},
      {"me_threshold", "4", [](T& t) { return t.Fme_threshold == 4 && Logged("\"me_threshold\" has no effect"); }, nullptr},
      {"top", "1", [](T& t) { return t.Ftop_field_first == 1; }, nullptr},
      {"dc", "10", [](T& t) { return t.Fintra_dc_precision == 10; }, nullptr},
      {"aq", "3", [](T& t) { return t.Faudio_qscale == 3.0f; }, nullptr},
      {"vol", "512", [](T& t) { return t.Faudio_volume == 512; }, nullptr},
      {"vc", "1", [](T& t) { return t.Fvideo_channel == 1 && Logged("\"vc\" has no effect"); }, nullptr},
      {"muxdelay", "0.2", [](T& t) { return t.Fmux_max_delay == 0.2f; }, nullptr},
      {"muxpreload", "0.3", [](T& t) { return t.Fmux_preload == 0.3f; }, nullptr},
      {"vlang", "eng", [](T& t) { return t.Fvideo_language == u"eng"; }, nullptr},
      {"alang", "fre", [](T& t) { return t.Faudio_language == u"fre"; }, nullptr},
      {"slang", "ger", [](T& t) { return t.Fsubtitle_language == u"ger"; }, nullptr},
      {"passlogfile", "pass", [](T& t) { return t.Fpass_logfilename_prefix == "pass"; }, nullptr},
      {"f", "mp4", [](T& t) { return t.Flast_asked_format == "mp4"; }, nullptr},
      {"map", "0:1",
       [](T& t) {
         return t.Fnb_stream_maps == 1 && t.Fstream_maps[0].stream_index == 1 &&
                t.Fstream_maps[0].sync_stream_index == 1;
       }, nullptr},
      {"map_meta_data", "1:0",
       [](T& t) { return t.Fnb_meta_data_maps == 1 && t.Fmeta_data_maps[0].out_file == 1; }, nullptr},
      {"t", "00:01:30",
       [](T& t) { return t.Frecording_time == 90000000 && t.FTotalOutputDuration == 90000000; }, nullptr},
      {"ss", "10", [](T& t) { return t.Fstart_time == 10000000; }, nullptr},
      {"itsoffset", "2.5", [](T& t) { return t.Finput_ts_offset == 2500000; }, nullptr},
      {"itsscale", "1:0.5", [](T& t) { return t.Finput_files_ts_scale[0][1] == 0.5; }, nullptr},
      {"timestamp", "1970-01-02T00:00:00Z", [](T& t) { return t.Frecording_timestamp == 86400; }, nullptr},
      {"metadata", "title=My film",
       [](T& t) { return t.Fmetadata.size() == 1 && t.Fmetadata[0].second == "My film"; }, nullptr},
      {"target", "pal-vcd", [](T& t) { return t.Fframe_width == 352 && t.Fframe_height == 288; }, nullptr},
      {"b", "300000", [](T& t) { return GenericInt(t, AVMEDIA_TYPE_VIDEO, "b") == 300000; }, nullptr},
      {"vb", "500000", [](T& t) { return GenericInt(t, AVMEDIA_TYPE_VIDEO, "b") == 500000; }, nullptr},
      {"ab", "128000", [](T& t) { return GenericInt(t, AVMEDIA_TYPE_AUDIO, "b") == 128000; }, nullptr},
      {"r", "30000/1001", [](T& t) { return t.Fframe_rate.num == 30000 && t.Fframe_rate.den == 1001; }, nullptr},
      {"s", "qcif", [](T& t) { return t.Fframe_width == 176 && t.Fframe_height == 144; }, nullptr},
      {"aspect", "16:9", [](T& t) { return std::fabs(t.Fframe_aspect_ratio - 16.0f / 9) < 1e-5; }, nullptr},
      {"pix_fmt", "yuv422p", [](T& t) { return t.Fframe_pix_fmt == AV_PIX_FMT_YUV422P; }, nullptr},
      {"croptop", "10", nullptr, "Vertical crop dimensions are outside the range of the original image."},
      {"cropbottom", "10", nullptr, "Vertical crop dimensions"},
      {"cropleft", "10", nullptr, "Horizontal crop dimensions are outside the range of the original image."},
      {"cropright", "10", nullptr, "Horizontal crop dimensions"},
      {"qscale", "5", [](T& t) { return t.Fvideo_qscale == 5.0f; }, nullptr},
      {"rc_override", "0,100,2", [](T& t) { return t.Fvideo_rc_override_string == "0,100,2"; }, nullptr},
      {"vcodec", "mpeg4", [](T& t) { return t.Fvideo_codec_name == "mpeg4"; }, nullptr},
      {"pass", "1", [](T& t) { return t.Fdo_pass == 1; }, nullptr},
      {"vstats", "", [](T& t) { return t.Fvstats_filename.find("vstats_") != std::string::npos; }, nullptr},
      {"vstats_file", "stats.log", [](T& t) { return t.Fvstats_filename == "stats.log"; }, nullptr},
      {"vhook", "/nonexistent/hook.so", nullptr, "Failed to add video hook function: /nonexistent/hook.so"},
      {"vfilters", "scale=160:120", [](T& t) { return t.Fvfilters == u"scale=160:120"; }, nullptr},
      {"vf", "hflip", [](T& t) { return t.Fvfilters == u"hflip"; }, nullptr},
      {"intra_matrix", m64.c_str(),
       [](T& t) { return t.Fintra_matrix.size() == 64 && t.Fintra_matrix[63] == 64; }, nullptr},
      {"inter_matrix", m64.c_str(),
       [](T& t) { return t.Finter_matrix.size() == 64 && t.Finter_matrix[0] == 1; }, nullptr},
      {"vtag", "XVID", [](T& t) { return t.Fvideo_codec_tag == 1145656920u; }, nullptr},
      {"newvideo", "", nullptr, "At least one output file must be specified"},
      {"streamid", "0:256", [](T& t) { return t.Fstreamid_map[0] == 256; }, nullptr},
      {"ar", "22050", [](T& t) { return t.Faudio_sample_rate == 22050; }, nullptr},
      {"ac", "1", [](T& t) { return t.Faudio_channels == 1; }, nullptr},
      {"acodec", "aac", [](T& t) { return t.Faudio_codec_name == "aac"; }, nullptr},
      {"atag", "mp4a", [](T& t) { return t.Faudio_codec_tag == MKTAG('m', 'p', '4', 'a'); }, nullptr},
      {"newaudio", "", nullptr, "At least one output file must be specified"},
      {"sample_fmt", "s16", [](T& t) { return t.Faudio_sample_fmt == AV_SAMPLE_FMT_S16; }, nullptr},
      {"scodec", "srt", [](T& t) { return t.Fsubtitle_codec_name == "srt"; }, nullptr},
      {"newsubtitle", "", nullptr, "At least one output file must be specified"},
      {"stag", "text", [](T& t) { return t.Fsubtitle_codec_tag == MKTAG('t', 'e', 'x', 't'); }, nullptr},
      {"tvstd", "pal", [](T& t) { return t.Fvideo_standard == "pal" && Logged("\"tvstd\" has no effect"); }, nullptr},
      {"absf", "aac_adtstoasc", [](T& t) { return t.Faudio_bitstream_filters.size() == 1; }, nullptr},
      {"vbsf", "h264_mp4toannexb", [](T& t) { return t.Fvideo_bitstream_filters.size() == 1; }, nullptr},
      {"sbsf", "null", [](T& t) { return t.Fsubtitle_bitstream_filters.size() == 1; }, nullptr},
      {"apre", "libx264-main",
       [](T& t) { return t.FPrivateOptions.size() == 1 && t.FPrivateOptions[0].MediaType == AVMEDIA_TYPE_AUDIO; }, nullptr},
      {"vpre", "libx264-default", [](T& t) { return GenericInt(t, AVMEDIA_TYPE_VIDEO, "g") == 250; }, nullptr},
      {"spre", "libx264-main",
       [](T& t) { return t.FPrivateOptions.size() == 1 && t.FPrivateOptions[0].MediaType == AVMEDIA_TYPE_SUBTITLE; }, nullptr},
      {"fpre", presetFile.c_str(), [](T& t) { return GenericInt(t, AVMEDIA_TYPE_VIDEO, "bf") == 2; }, nullptr},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + "=" + c.Value);
    LogCapture::Get().Clear();
    auto t = Make();
    if (c.Error) {
      EXPECT_NE(MessageOf([&] { Apply(*t, c.Name, c.Value); }).find(c.Error), std::string::npos)
          << MessageOf([&] { Apply(*t, c.Name, c.Value); });
    } else {
      EXPECT_EQ(MessageOf([&] { Apply(*t, c.Name, c.Value); }), "<none>");
      EXPECT_TRUE(c.Expect(*t));
    }
  }
  engine::GetFFLogger()->SetLogLevel(engine::llVerbose);
}

TEST_F(TranscoderTest, FlagsAndUnknownNames) {
  auto t = Make();
  Apply(*t, "vn", "0");
  EXPECT_FALSE(t->Fvideo_disable);
  Apply(*t, "vn", "");
  EXPECT_TRUE(t->Fvideo_disable);
  // Names are exact: the upper-case form is no option and changes nothing.
  auto u = Make();
  EXPECT_EQ(MessageOf([&] { Apply(*u, "VN", "1"); }), "<none>");
  EXPECT_FALSE(u->Fvideo_disable);
  EXPECT_EQ(MessageOf([&] { Apply(*u, "no_such_option", "1"); }), "<none>");
  EXPECT_TRUE(u->FPrivateOptions.empty());
  EXPECT_EQ(MessageOf([&] { Apply(*u, "vframes", "ten"); }), "'ten' is not a valid integer value");
  EXPECT_EQ(MessageOf([&] { Apply(*u, "aq", "x"); }), "'x' is not a valid floating point value");
}

TEST_F(TranscoderTest, SettersKeepTheirNotSetValues) {
  auto t = Make();
  Apply(*t, "ar", "0");
  Apply(*t, "ac", "-1");
  EXPECT_EQ(t->Faudio_sample_rate, 44100);
  EXPECT_EQ(t->Faudio_channels, 2);
  Apply(*t, "vol", "-5");
  EXPECT_EQ(t->Faudio_volume, -5);  // the option stores it unchecked
  t->SetAudioVolume(-1);
  t->SetProgramID(-1);
  t->SetMuxPreload(-1.0f);
  t->SetMuxMaxDelay(0);
  t->SetStartTime(AV_NOPTS_VALUE);
  t->SetRecordingTime(AV_NOPTS_VALUE);
  EXPECT_EQ(t->Faudio_volume, -5);
  EXPECT_EQ(t->Fopt_programid, 0);
  EXPECT_EQ(t->Fmux_preload, 0.5f);
  EXPECT_EQ(t->Fmux_max_delay, 0.7f);
  EXPECT_EQ(t->Fstart_time, 0);
  EXPECT_EQ(t->Frecording_time, INT64_MAX);
}

TEST_F(TranscoderTest, HandlerChecks) {
  struct Case {
    const char* Name;
    const char* Value;
    const char* Error;  // nullptr: accepted
  };
  const std::string m63 = Matrix(63);
  const Case cases[] = {
      {"aspect", "4:0", "Incorrect aspect ratio specification."},
      {"aspect", "abc", "Incorrect aspect ratio specification."},
      {"aspect", "1.5", nullptr},
      {"qscale", "0", "qscale must be > 0.0 and <= 255"},
      {"qscale", "256", "qscale must be > 0.0 and <= 255"},
      {"qscale", "255", nullptr},
      {"vtag", "DX5", "video tag parameter must be 4 chars"},
      {"atag", "mp4a5", "audio tag parameter must be 4 chars"},
      {"metadata", "abc", "Missing ="},
      {"itsscale", "25:2", "stream index over MAX_STREAMS(20)"},
      {"t", "abc", "Invalid duration specification for t: abc"},
      {"timestamp", "yesterday", "Invalid date specification for timestamp: yesterday"},
      {"r", "fast", "Incorrect frame rate"},
      {"s", "big", "Incorrect frame size"},
      {"pix_fmt", "rgb999", "Unknown pixel format requested: rgb999"},
      {"pass", "3", "pass number can be only 1 or 2"},
      {"intra_matrix", m63.c_str(), "Syntax error in matrix"},
      {"streamid", "0:", "Invalid value \"0:\" for option \"streamid\", required syntax is \"index:value\""},
      {"streamid", "25:1", "stream index over MAX_STREAMS(20)"},
      {"vbsf", "no_such_filter", "Unknown bitstream filter no_such_filter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Name) + "=" + c.Value);
    auto t = Make();
    std::string msg = MessageOf([&] { Apply(*t, c.Name, c.Value); });
    if (c.Error) {
      EXPECT_NE(msg.find(c.Error), std::string::npos) << msg;
    } else {
      EXPECT_EQ(msg, "<none>");
    }
  }
  auto t = Make();
  EXPECT_EQ(MessageOf([&] { Apply(*t, "intra_matrix", Matrix(63).c_str()); }),
            "Syntax error in matrix \"" + Matrix(63) + "\" at coeff 62");
  // A 0 coefficient (written or missing) would make the MPEG encoders divide
  // by zero when they open; a refused matrix keeps the one set before.
  Apply(*t, "inter_matrix", Matrix(64).c_str());
  for (const std::string& bad : {"2,0" + Matrix(64).substr(3), "2,x" + Matrix(64).substr(3)}) {
    EXPECT_EQ(MessageOf([&] { Apply(*t, "inter_matrix", bad.c_str()); }),
              "Syntax error in matrix \"" + bad + "\" at coeff 1");
    ASSERT_EQ(t->Finter_matrix.size(), 64u);
    EXPECT_EQ(t->Finter_matrix[1], 2);
  }
  EXPECT_TRUE(t->Fintra_matrix.empty());
  Apply(*t, "pix_fmt", "yuv420p");
  EXPECT_NE(MessageOf([&] { Apply(*t, "pix_fmt", "bogus"); }), "<none>");
  EXPECT_EQ(t->Fframe_pix_fmt, -1);  // a failed look-up leaves no format
}

TEST_F(TranscoderTest, CropsNeedAFrameSizeAndShrinkIt) {
  auto t = Make();
  Apply(*t, "s", "320x240");
  Apply(*t, "croptop", "10");
  Apply(*t, "cropleft", "20");
  EXPECT_EQ(t->Fframe_height, 230);
  EXPECT_EQ(t->Fframe_topBand, 10);
  EXPECT_EQ(t->Fframe_width, 300);
  EXPECT_EQ(LogCapture::Get().Count("CropTop is deprecated in favor of the crop avfilter",
                                    engine::llWarning), 1);
  EXPECT_NE(MessageOf([&] { Apply(*t, "cropbottom", "230"); }), "<none>");
  Apply(*t, "cropright", "0");  // nothing to crop
  EXPECT_EQ(t->Fframe_width, 300);
}

TEST_F(TranscoderTest, CodecNamesAndCopy) {
  auto t = Make();
  Apply(*t, "vcodec", "copy");
  Apply(*t, "vcodec", "mpeg4");
  // A later name does not undo an earlier copy.
  EXPECT_EQ(t->Fvideo_stream_copy, 1);
  EXPECT_EQ(t->Fvideo_codec_name, "mpeg4");
  Apply(*t, "vcodec", "");
  EXPECT_EQ(t->Fvideo_codec_name, "mpeg4");
}

TEST_F(TranscoderTest, MetadataMapsAndBitRateWarning) {
  auto t = Make();
  Apply(*t, "metadata", "a=b=c");
  ASSERT_EQ(t->Fmetadata.size(), 1u);
  EXPECT_EQ(t->Fmetadata[0].first, "a");
  EXPECT_EQ(t->Fmetadata[0].second, "b=c");
  Apply(*t, "map", "0:1:1:0");
  EXPECT_EQ(t->Fstream_maps[0].sync_file_index, 1);
  EXPECT_EQ(t->Fstream_maps[0].sync_stream_index, 0);
  Apply(*t, "b", "300");
  EXPECT_EQ(GenericInt(*t, AVMEDIA_TYPE_VIDEO, "b"), 300);
  EXPECT_EQ(LogCapture::Get().Count("The bitrate parameter is set too low", engine::llWarning), 1);
  Apply(*t, "b", "300000");
  EXPECT_EQ(LogCapture::Get().Count("The bitrate parameter is set too low"), 1);
}

TEST_F(TranscoderTest, VideoHookValuesSplitAtBarsOrSpaces) {
  EXPECT_EQ(engine::SplitVideoHookArgs("/opt/my hooks/x.so|-a|b c"),
            (std::vector<std::string>{"/opt/my hooks/x.so", "-a", "b c"}));
  EXPECT_EQ(engine::SplitVideoHookArgs("/opt/my hooks/x.so -a"),
            (std::vector<std::string>{"/opt/my", "hooks/x.so", "-a"}));
}

// --- targets -------------------------------------------------------------------

TEST_F(TranscoderTest, TargetsSetTheirGroups) {
  struct Case {
    const char* Target;
    int Width, Height, RateNum, RateDen, Gop, SampleRate;
    const char* VideoCodec;
    const char* AudioCodec;
    const char* Format;
    int64_t AudioBitRate;
  };
  const Case cases[] = {
      {"pal-dvd", 720, 576, 25, 1, 15, 48000, "mpeg2video", "ac3", "dvd", 448000},
      {"ntsc-dvd", 720, 480, 30000, 1001, 18, 48000, "mpeg2video", "ac3", "dvd", 448000},
      {"film-vcd", 352, 240, 24000, 1001, 18, 44100, "mpeg1video", "mp2", "vcd", 224000},
      {"pal-svcd", 480, 576, 25, 1, 15, 44100, "mpeg2video", "mp2", "svcd", 224000},
      {"ntsc-dv", 720, 480, 30000, 1001, 12, 48000, "", "", "dv", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Target);
    auto t = Make();
    Apply(*t, "target", c.Target);
    EXPECT_EQ(t->Fframe_width, c.Width);
    EXPECT_EQ(t->Fframe_height, c.Height);
    EXPECT_EQ(t->Fframe_rate.num, c.RateNum);
    EXPECT_EQ(t->Fframe_rate.den, c.RateDen);
    EXPECT_EQ(GenericInt(*t, AVMEDIA_TYPE_VIDEO, "g"), c.Gop);
    EXPECT_EQ(t->Faudio_sample_rate, c.SampleRate);
    EXPECT_EQ(t->Fvideo_codec_name, c.VideoCodec);
    EXPECT_EQ(t->Faudio_codec_name, c.AudioCodec);
    EXPECT_EQ(t->Flast_asked_format, c.Format);
    if (c.AudioBitRate) {
      EXPECT_EQ(GenericInt(*t, AVMEDIA_TYPE_AUDIO, "b"), c.AudioBitRate);
    }
  }
  auto dv = Make();
  Apply(*dv, "target", "ntsc-dv");
  EXPECT_EQ(dv->Fframe_pix_fmt, AV_PIX_FMT_YUV411P);
  LogCapture::Get().Clear();
  auto dvd = Make();
  Apply(*dvd, "target", "pal-dvd");
  EXPECT_NEAR(dvd->Fframe_aspect_ratio, 16.0 / 9, 1e-5);
  EXPECT_EQ(LogCapture::Get().Count("Assuming 16:9 for aspect ratio"), 1);
  EXPECT_EQ(GenericInt(*dvd, AVMEDIA_TYPE_VIDEO, "maxrate"), 9000000);
  EXPECT_EQ(dvd->FOptions.avformat_opts->packet_size, 2048u);
}

TEST_F(TranscoderTest, TargetNormIsGuessedFromTheRateThenTheInputs) {
  struct Case {
    const char* Rate;          // "" leaves no rate
    std::string Input;         // opened before the target, may be empty
    int Height;                // 288 PAL, 240 NTSC
    const char* Error;
  };
  const Case cases[] = {
      {"25", "", 288, nullptr},
      {"30000/1001", "", 240, nullptr},
      {"30", "", 240, nullptr},  // undecided: NTSC
      {"30", transcodertest::Fixture("pal.mkv"), 288, nullptr},
      {"", "", 0, "frame_rate is invalid."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Rate) + " " + c.Input);
    auto t = Make();
    if (!c.Input.empty()) {
      ASSERT_TRUE(OpenInput(*t, c.Input));
    }
    if (*c.Rate) Apply(*t, "r", c.Rate);
    std::string msg = MessageOf([&] { Apply(*t, "target", "vcd"); });
    if (c.Error) {
      EXPECT_EQ(msg, c.Error);
    } else {
      EXPECT_EQ(msg, "<none>");
      EXPECT_EQ(t->Fframe_height, c.Height);
    }
  }
  auto t = Make();
  EXPECT_EQ(MessageOf([&] { Apply(*t, "target", "pal-cd"); }), "Unknown target type");
}

// --- presets -------------------------------------------------------------------

TEST_F(TranscoderTest, EveryStoredPresetOpensAnH264Output) {
  enginetest::TempDir tmp;
  const std::vector<rtl::String> names = engine::StoredPresetNames();
  ASSERT_EQ(names.size(), 36u);
  for (const rtl::String& name : names) {
    SCOPED_TRACE(rtl::U8(name));
    auto t = Make();
    ASSERT_TRUE(OpenInput(*t, transcodertest::Fixture("av.mkv")));
    Apply(*t, "vcodec", "libx264");
    t->ApplyOption(u"vpre", name);
    EXPECT_EQ(t->OpenOutputFile(rtl::S(tmp / "out.mp4"), false), 1) << rtl::U8(t->LastErrMsg());
  }
}

TEST_F(TranscoderTest, PresetLookUpAndPrivateOptionsReachTheEncoder) {
  enginetest::TempDir tmp;
  EXPECT_EQ(engine::FindStoredPreset(u"LIBX264-DEFAULT"), engine::FindStoredPreset(u"libx264-default"));
  EXPECT_TRUE(engine::FindStoredPreset(u"libx264-nothing").empty());

  auto t = Make();
  ASSERT_TRUE(OpenInput(*t, transcodertest::Fixture("av.mkv")));
  Apply(*t, "vcodec", "libx264");
  Apply(*t, "vpre", "default");  // the codec's name completes the preset's
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "out.mp4"), false), 1) << rtl::U8(t->LastErrMsg());
  AVCodecContext* enc = t->OutputFile(0)->streams[0]->enc;
  int64_t coder = -1, bframes = 0;
  ff::av_opt_get_int(enc->priv_data, "coder", 0, &coder);
  ff::av_opt_get_int(enc, "bf", 0, &bframes);
  EXPECT_EQ(coder, 1);
  EXPECT_EQ(bframes, 3);

  // An encoder's own option given as a plain option reaches that encoder and
  // is passed over by others, as an unknown option always was.
  for (const char* codec : {"libx264", "mpeg4"}) {
    SCOPED_TRACE(codec);
    auto p = Make();
    ASSERT_TRUE(OpenInput(*p, transcodertest::Fixture("av.mkv")));
    Apply(*p, "vcodec", codec);
    Apply(*p, "crf", "30");
    ASSERT_EQ(p->OpenOutputFile(rtl::S(tmp / "crf.mp4"), false), 1) << rtl::U8(p->LastErrMsg());
    void* priv = p->OutputFile(0)->streams[0]->enc->priv_data;
    if (std::string(codec) == "libx264") {
      uint8_t* crf = nullptr;
      ASSERT_GE(ff::av_opt_get(priv, "crf", 0, &crf), 0);
      EXPECT_EQ(atof(reinterpret_cast<char*>(crf)), 30.0);
      ff::av_free(crf);
    }
  }

  // The encoder meant must know the preset's own options.
  auto m = Make();
  ASSERT_TRUE(OpenInput(*m, transcodertest::Fixture("av.mkv")));
  Apply(*m, "vcodec", "mpeg4");
  Apply(*m, "vpre", "libx264-default");
  EXPECT_EQ(m->OpenOutputFile(rtl::S(tmp / "out.mp4"), false), -1);
  EXPECT_EQ(rtl::U8(m->LastErrMsg()),
            "new_video_stream fail: libx264-default: Invalid option or argument: \"coder=1\", parsed "
            "as \"coder\" = \"1\"");
}

TEST_F(TranscoderTest, PresetFiles) {
  enginetest::TempDir tmp;
  struct Case {
    const char* Text;
    const char* Error;
  };
  const Case cases[] = {
      {"# note\n", "Invalid syntax: \"# note\""},
      {"bf = 2\n", "Invalid option or argument: \"bf = 2\", parsed as \"bf \" = \" 2\""},
      {"=2\n", "Invalid syntax: \"=2\""},
      {"bogus_option=1\n", "Invalid option or argument"},
      {"\r\n  vcodec=mpeg4\r\n\r\nbf=1\r\n", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::string path = tmp / "p.ffpreset";
    enginetest::WriteFile(path, c.Text);
    auto t = Make();
    std::string msg = MessageOf([&] { Apply(*t, "fpre", path.c_str()); });
    if (c.Error) {
      EXPECT_NE(msg.find(c.Error), std::string::npos) << msg;
      EXPECT_EQ(msg.rfind(path, 0), 0u) << msg;  // the preset's name leads
    } else {
      EXPECT_EQ(msg, "<none>");
      EXPECT_EQ(t->Fvideo_codec_name, "mpeg4");
      EXPECT_EQ(GenericInt(*t, AVMEDIA_TYPE_VIDEO, "bf"), 1);
    }
  }
  // A file preset never consults the stored table, even for a stored name.
  auto t = Make();
  EXPECT_EQ(MessageOf([&] { Apply(*t, "fpre", "libx264-default"); }),
            "Preset \"libx264-default\" not found");
  EXPECT_EQ(MessageOf([&] { Apply(*t, "vpre", "nothing"); }), "Preset \"nothing\" not found");
}

TEST_F(TranscoderTest, BitstreamFiltersQueueForTheNextStream) {
  auto t = Make();
  Apply(*t, "vbsf", "h264_mp4toannexb");
  Apply(*t, "vbsf", "dump_extra=freq=k");
  Apply(*t, "absf", "=x");  // no name: nothing
  EXPECT_EQ(t->Fvideo_bitstream_filters, (std::vector<std::string>{"h264_mp4toannexb", "dump_extra"}));
  EXPECT_TRUE(t->Faudio_bitstream_filters.empty());
}

}  // namespace
