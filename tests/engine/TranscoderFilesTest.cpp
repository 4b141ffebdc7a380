// Opening inputs and outputs: what an input leaves in the option fields, the
// streams and encoders an output gets, joins and the failure texts.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "TranscoderTestUtils.h"
#include "engine/FFUtils.h"
#include "engine/MyUtils.h"

namespace {

using engine::TCustomFFmpeg;
using engine::TOutputFile;
using transcodertest::Fixture;
using transcodertest::LogCapture;
using transcodertest::MessageOf;
using transcodertest::TranscoderTest;

TEST_F(TranscoderTest, InputsFillTheOptionFields) {
  auto t = Make();
  ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv"))) << rtl::U8(t->LastErrMsg());
  EXPECT_EQ(t->nb_input_files(), 1);
  EXPECT_EQ(t->Fframe_width, 320);
  EXPECT_EQ(t->Fframe_height, 240);
  EXPECT_NEAR(t->Fframe_aspect_ratio, 4.0 / 3, 1e-5);
  EXPECT_EQ(t->Fframe_pix_fmt, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(t->Fframe_rate.num, 25);
  EXPECT_EQ(t->Fframe_rate.den, 1);
  EXPECT_EQ(t->Faudio_sample_rate, 44100);
  EXPECT_EQ(t->Faudio_channels, 2);
  EXPECT_EQ(t->Faudio_sample_fmt, AV_SAMPLE_FMT_S16);
  EXPECT_EQ(t->Fnb_icodecs, 2);
  EXPECT_NEAR(t->FTotalOutputDuration, 1000000, 50000);
  bool v, a, s;
  t->GetInputStreamKinds(v, a, false, s);
  EXPECT_TRUE(v && a && !s);

  // Further inputs: the last video or audio stream's values stay.
  ASSERT_TRUE(OpenInput(*t, Fixture("twoaudio.mkv")));
  EXPECT_EQ(t->Faudio_sample_rate, 48000);
  EXPECT_EQ(t->Faudio_channels, 2);
  EXPECT_EQ(t->Fnb_icodecs, 4);
  ASSERT_TRUE(OpenInput(*t, Fixture("subs.mkv")));
  t->GetInputStreamKinds(v, a, true, s);
  EXPECT_FALSE(s);  // the first input only
  t->GetInputStreamKinds(v, a, false, s);
  EXPECT_TRUE(s);
  EXPECT_EQ(t->nb_input_files(), 3);
}

TEST_F(TranscoderTest, InputAspectRatioFollowsTheSampleAspect) {
  struct Case {
    const char* File;
    double Aspect;
  };
  // The sample aspect times the size, or the size alone when the pixels' shape is unknown.
  for (const Case& c : {Case{"pal.mkv", 4.0 / 3}, Case{"rate30.mkv", 4.0 / 3}, Case{"wide.mkv", 16.0 / 9},
                        Case{"nosar.nut", 352.0 / 240}}) {
    SCOPED_TRACE(c.File);
    auto t = Make();
    ASSERT_TRUE(OpenInput(*t, Fixture(c.File)));
    EXPECT_NEAR(t->Fframe_aspect_ratio, c.Aspect, 1e-5);
  }
}

TEST_F(TranscoderTest, InputOptionsAreConsumedByTheOpening) {
  auto t = Make();
  Apply(*t, "ss", "0.5");
  Apply(*t, "acodec", "pcm_s16le");
  ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv")));
  EXPECT_EQ(t->Fstart_time, 0);
  EXPECT_TRUE(t->Faudio_codec_name.empty());
  EXPECT_EQ(t->Finput_files_ts_offset[0], -500000);
  ASSERT_NE(t->Finput_codecs[1], nullptr);  // the named decoder
  EXPECT_EQ(t->Finput_codecs[1]->id, AV_CODEC_ID_PCM_S16LE);

  auto c = Make();
  Apply(*c, "copyts", "1");
  Apply(*c, "ss", "0.5");
  Apply(*c, "itsoffset", "2");
  ASSERT_TRUE(OpenInput(*c, Fixture("av.mkv")));
  EXPECT_EQ(c->Finput_files_ts_offset[0], 2000000);  // the start position is ignored

  auto d = Make();
  Apply(*d, "vn", "1");
  ASSERT_TRUE(OpenInput(*d, Fixture("av.mkv")));
  EXPECT_EQ(d->Finput_files[0]->streams[0]->discard, AVDISCARD_ALL);
}

TEST_F(TranscoderTest, InputFailures) {
  enginetest::TempDir tmp;
  const std::string missing = tmp / "missing.avi";
  auto t = Make();
  Apply(*t, "vcodec", "mpeg4");
  EXPECT_FALSE(OpenInput(*t, missing));
  EXPECT_EQ(rtl::U8(t->LastErrMsg()), missing + ": No such file or directory");
  EXPECT_TRUE(t->Fvideo_codec_name.empty());  // consumed on failure too
  EXPECT_EQ(t->nb_input_files(), 0);

  struct Case {
    const char* Option;
    const char* Value;
    const char* Message;
  };
  const Case cases[] = {
      {"acodec", "mpeg4", "Invalid decoder type 'mpeg4'"},
      {"vcodec", "nosuchcodec", "Unknown decoder 'nosuchcodec'"},
      {"programid", "7", "Specified program id not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Option);
    auto u = Make();
    Apply(*u, c.Option, c.Value);
    EXPECT_FALSE(OpenInput(*u, Fixture("av.mkv")));
    EXPECT_EQ(rtl::U8(u->LastErrMsg()), c.Message);
    EXPECT_EQ(u->nb_input_files(), 0);
  }
  auto f = Make();
  Apply(*f, "f", "nosuchformat");
  EXPECT_EQ(MessageOf([&] { OpenInput(*f, Fixture("av.mkv")); }),
            "Unknown input format: \"nosuchformat\"");

  auto text = Make();
  const std::string junk = tmp / "junk.avi";
  enginetest::WriteFile(junk, std::string(4096, 'x'));
  EXPECT_FALSE(OpenInput(*text, junk));
  EXPECT_EQ(rtl::U8(text->LastErrMsg()).rfind(junk + ": ", 0), 0u);
}

// --- outputs -------------------------------------------------------------------

struct OutputCase {
  const char* Ext;
  AVCodecID Video;  // AV_CODEC_ID_NONE: no video stream
  AVCodecID Audio;
};

TEST_F(TranscoderTest, OutputsGetTheirContainersStreamsAndEncoders) {
  enginetest::TempDir tmp;
  const OutputCase cases[] = {
      {"mp4", AV_CODEC_ID_H264, AV_CODEC_ID_AAC},
      {"3gp", AV_CODEC_ID_H263, AV_CODEC_ID_AMR_NB},
      {"avi", AV_CODEC_ID_MPEG4, AV_CODEC_ID_MP3},
      {"flv", AV_CODEC_ID_FLV1, AV_CODEC_ID_MP3},
      {"mkv", AV_CODEC_ID_H264, AV_CODEC_ID_VORBIS},
      {"wmv", AV_CODEC_ID_MSMPEG4V3, AV_CODEC_ID_WMAV2},
      {"asf", AV_CODEC_ID_MSMPEG4V3, AV_CODEC_ID_WMAV2},
      {"mpg", AV_CODEC_ID_MPEG1VIDEO, AV_CODEC_ID_MP2},
      {"vob", AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MP2},
      {"mp3", AV_CODEC_ID_NONE, AV_CODEC_ID_MP3},
      {"wav", AV_CODEC_ID_NONE, AV_CODEC_ID_PCM_S16LE},
      {"amr", AV_CODEC_ID_NONE, AV_CODEC_ID_AMR_NB},
  };
  for (const OutputCase& c : cases) {
    SCOPED_TRACE(c.Ext);
    auto t = Make();
    ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv")));
    const std::string path = tmp / (std::string("out.") + c.Ext);
    ASSERT_EQ(t->OpenOutputFile(rtl::S(path), false), 1) << rtl::U8(t->LastErrMsg());
    TOutputFile* file = t->OutputFile(0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(t->Foutput_files[0], file->ctx);
    // Nothing is created before the run starts.
    EXPECT_FALSE(std::filesystem::exists(path));
    std::vector<AVCodecID> want;
    if (c.Video != AV_CODEC_ID_NONE) want.push_back(c.Video);
    want.push_back(c.Audio);
    ASSERT_EQ(file->streams.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      const engine::TOutputStreamSetup& s = *file->streams[i];
      EXPECT_EQ(s.enc->codec_id, want[i]) << i;
      EXPECT_EQ(s.st->codecpar->codec_id, want[i]) << i;
      EXPECT_FALSE(s.stream_copy);
      // Every stream has an encoder: FFmpeg's, or the engine's own for AMR-NB.
      EXPECT_TRUE(s.codec != nullptr || s.own_amrnb) << i;
    }
    if (c.Audio == AV_CODEC_ID_AMR_NB) {
      const AVCodecContext* enc = file->streams.back()->enc;
      EXPECT_TRUE(file->streams.back()->own_amrnb);
      EXPECT_EQ(enc->sample_rate, 8000);
      EXPECT_EQ(enc->ch_layout.nb_channels, 1);
    }
    if (c.Video != AV_CODEC_ID_NONE) {
      const AVCodecContext* enc = file->streams[0]->enc;
      EXPECT_EQ(enc->width, 320);
      EXPECT_EQ(enc->height, 240);
      EXPECT_EQ(enc->time_base.den, 25);
    }
  }
}

TEST_F(TranscoderTest, OutputEncodersByNameAndTheirSettings) {
  enginetest::TempDir tmp;
  auto t = Make();
  ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv")));
  Apply(*t, "vcodec", "mpeg4");
  Apply(*t, "vtag", "XVID");
  Apply(*t, "acodec", "libfaac");  // the native AAC encoder stands in
  Apply(*t, "ar", "22050");
  Apply(*t, "ac", "1");
  Apply(*t, "s", "176x144");
  Apply(*t, "r", "15");
  Apply(*t, "qscale", "4");
  Apply(*t, "rc_override", "0,100,2/200,300,-50");
  Apply(*t, "streamid", "0:256");
  Apply(*t, "alang", "eng");
  Apply(*t, "metadata", "title=Test");
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "out.avi"), false), 1) << rtl::U8(t->LastErrMsg());
  TOutputFile* file = t->OutputFile(0);
  ASSERT_EQ(file->streams.size(), 2u);
  const AVCodecContext* v = file->streams[0]->enc;
  EXPECT_EQ(v->codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(v->codec_tag, 1145656920u);
  EXPECT_EQ(v->width, 176);
  EXPECT_EQ(v->time_base.den, 15);
  EXPECT_TRUE(v->flags & AV_CODEC_FLAG_QSCALE);
  EXPECT_EQ(v->global_quality, 4 * FF_QP2LAMBDA);
  ASSERT_EQ(v->rc_override_count, 2);
  EXPECT_EQ(v->rc_override[1].start_frame, 200);
  EXPECT_FLOAT_EQ(v->rc_override[1].quality_factor, 0.5f);
  EXPECT_EQ(file->streams[0]->st->id, 256);
  const AVCodecContext* a = file->streams[1]->enc;
  EXPECT_EQ(a->codec_id, AV_CODEC_ID_AAC);
  EXPECT_EQ(a->sample_rate, 22050);
  EXPECT_EQ(a->ch_layout.nb_channels, 1);
  EXPECT_EQ(a->sample_fmt, AV_SAMPLE_FMT_FLTP);  // the encoder's own format
  EXPECT_STREQ(ff::av_dict_get(file->streams[1]->st->metadata, "language", nullptr, 0)->value, "eng");
  EXPECT_STREQ(ff::av_dict_get(file->ctx->metadata, "title", nullptr, 0)->value, "Test");
  // Opening consumed the per-output options.
  EXPECT_TRUE(t->Fvideo_codec_name.empty());
  EXPECT_TRUE(t->Fmetadata.empty());
  EXPECT_EQ(t->Fstreamid_map[0], 0);
  ASSERT_EQ(t->Foutput_codecs.size(), 2u);
  EXPECT_NE(t->Foutput_codecs[0], nullptr);

  // newaudio adds to the last output with the options given since.
  Apply(*t, "acodec", "mp2");
  Apply(*t, "newaudio", "");
  ASSERT_EQ(file->streams.size(), 3u);
  EXPECT_EQ(file->streams[2]->enc->codec_id, AV_CODEC_ID_MP2);
}

TEST_F(TranscoderTest, OutputStreamChoices) {
  enginetest::TempDir tmp;
  // An audio-only input gives an mp4 only its audio stream.
  auto a = Make();
  ASSERT_TRUE(OpenInput(*a, Fixture("audio.wav")));
  ASSERT_EQ(a->OpenOutputFile(rtl::S(tmp / "a.mp4"), false), 1);
  ASSERT_EQ(a->OutputFile(0)->streams.size(), 1u);
  EXPECT_EQ(a->OutputFile(0)->streams[0]->type, AVMEDIA_TYPE_AUDIO);

  // "vn" stays for later outputs: only a created video stream clears it.
  auto v = Make();
  ASSERT_TRUE(OpenInput(*v, Fixture("av.mkv")));
  Apply(*v, "vn", "1");
  ASSERT_EQ(v->OpenOutputFile(rtl::S(tmp / "v1.avi"), false), 1);
  ASSERT_EQ(v->OpenOutputFile(rtl::S(tmp / "v2.avi"), false), 2);
  EXPECT_EQ(v->OutputFile(1)->streams.size(), 1u);
  EXPECT_TRUE(v->Fvideo_disable);

  // A copied video stream takes its shape from the aspect ratio.
  auto c = Make();
  ASSERT_TRUE(OpenInput(*c, Fixture("pal.mkv")));
  Apply(*c, "vcodec", "copy");
  ASSERT_EQ(c->OpenOutputFile(rtl::S(tmp / "c.mkv"), false), 1);
  const engine::TOutputStreamSetup& s = *c->OutputFile(0)->streams[0];
  EXPECT_TRUE(s.stream_copy);
  EXPECT_EQ(s.st->sample_aspect_ratio.num, 16);
  EXPECT_EQ(s.st->sample_aspect_ratio.den, 15);

  // Subtitles of the input get the container's subtitle encoder.
  auto sub = Make();
  ASSERT_TRUE(OpenInput(*sub, Fixture("subs.mkv")));
  ASSERT_EQ(sub->OpenOutputFile(rtl::S(tmp / "s.mkv"), false), 1);
  ASSERT_EQ(sub->OutputFile(0)->streams.size(), 2u);
  EXPECT_EQ(sub->OutputFile(0)->streams[1]->type, AVMEDIA_TYPE_SUBTITLE);
  EXPECT_NE(sub->OutputFile(0)->streams[1]->codec, nullptr);

  // An unsupported sample rate moves to the encoder's nearest, with a warning.
  auto r = Make();
  ASSERT_TRUE(OpenInput(*r, Fixture("audio.wav")));
  Apply(*r, "acodec", "ac3");
  ASSERT_EQ(r->OpenOutputFile(rtl::S(tmp / "r.ac3"), false), 1);
  EXPECT_EQ(r->OutputFile(0)->streams[0]->enc->sample_rate, 32000);
  EXPECT_EQ(LogCapture::Get().Count("Requested sampling rate unsupported using closest supported (32000)",
                                    engine::llWarning), 1);
}

TEST_F(TranscoderTest, TargetsReachTheMuxer) {
  enginetest::TempDir tmp;
  auto t = Make();
  ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv")));
  Apply(*t, "target", "pal-vcd");
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "out.mpg"), false), 1) << rtl::U8(t->LastErrMsg());
  TOutputFile* file = t->OutputFile(0);
  EXPECT_STREQ(file->ctx->oformat->name, "vcd");
  EXPECT_STREQ(ff::av_dict_get(file->muxer_opts, "muxrate", nullptr, 0)->value, "1411200");
  EXPECT_STREQ(ff::av_dict_get(file->muxer_opts, "preload", nullptr, 0)->value, "440000");
  EXPECT_EQ(file->ctx->packet_size, 2324u);
  EXPECT_EQ(file->streams[0]->enc->codec_id, AV_CODEC_ID_MPEG1VIDEO);
  EXPECT_EQ(file->streams[0]->enc->width, 352);
  EXPECT_EQ(file->streams[1]->enc->codec_id, AV_CODEC_ID_MP2);
  EXPECT_EQ(file->streams[1]->enc->bit_rate, 224000);

  auto s = Make();
  ASSERT_TRUE(OpenInput(*s, Fixture("av.mkv")));
  Apply(*s, "target", "pal-svcd");
  ASSERT_EQ(s->OpenOutputFile(rtl::S(tmp / "out.vob"), false), 1) << rtl::U8(s->LastErrMsg());
  int64_t scanOffset = 0;
  ff::av_opt_get_int(s->OutputFile(0)->streams[0]->enc->priv_data, "scan_offset", 0, &scanOffset);
  EXPECT_EQ(scanOffset, 1);
}

TEST_F(TranscoderTest, JoinedInputsShareOneOutput) {
  enginetest::TempDir tmp;
  auto t = Make();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(OpenInput(*t, Fixture("short.mkv")));
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "joined.avi"), true), 3);
  EXPECT_TRUE(t->FJoinMode);
  EXPECT_EQ(t->Foutput_files[0], t->Foutput_files[2]);
  EXPECT_EQ(t->OutputFile(0), t->OutputFile(2));
  EXPECT_NEAR(t->FTotalOutputDuration, 1500000, 100000);
  EXPECT_EQ(t->OpenOutputFile(rtl::S(tmp / "second.avi"), false), -1);
  EXPECT_EQ(rtl::U8(t->LastErrMsg()), "Cannot join more than one output file.");
  t->Reset();  // the shared output is released once
  EXPECT_EQ(t->nb_output_files(), 0);
}

TEST_F(TranscoderTest, OutputFailures) {
  enginetest::TempDir tmp;
  struct Case {
    const char* Option;  // applied as option=value before opening
    const char* Value;
    std::string File;
    std::string Message;
  };
  const std::string odd = tmp / "out.xyzzy";
  const std::string noFolder = tmp / "missing/out.mp4";
  const Case cases[] = {
      {nullptr, nullptr, odd, "Unable to find a suitable output format for '" + odd + "'"},
      {"f", "nosuchmuxer", tmp / "out.mp4",
       "Requested output format 'nosuchmuxer' is not a suitable output format"},
      {nullptr, nullptr, noFolder, noFolder + ": No such file or directory"},
      {"vcodec", "nosuchcodec", tmp / "out.avi", "new_video_stream fail: Unknown encoder 'nosuchcodec'"},
      {"acodec", "mpeg4", tmp / "out.avi", "new_audio_stream fail: Invalid encoder type 'mpeg4'"},
      {"rc_override", "0,100", tmp / "out.avi", "new_video_stream fail: error parsing rc_override"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    auto t = Make();
    ASSERT_TRUE(OpenInput(*t, Fixture("av.mkv")));
    if (c.Option) Apply(*t, c.Option, c.Value);
    EXPECT_EQ(t->OpenOutputFile(rtl::S(c.File), false), -1);
    EXPECT_EQ(rtl::U8(t->LastErrMsg()), c.Message);
    EXPECT_EQ(t->nb_output_files(), 0);
    EXPECT_FALSE(std::filesystem::exists(c.File));
  }
  // A folder that refuses writing: read-only for everybody when a file system
  // can be mounted here, else by its permissions (which the superuser skips).
  const std::string locked = tmp / "locked";
  std::filesystem::create_directory(locked);
  int code = 0;
  if (mount("tvlro", locked.c_str(), "tmpfs", MS_RDONLY, "size=16k") == 0)
    code = AVERROR(EROFS);
  else if (geteuid() != 0 && chmod(locked.c_str(), 0555) == 0)
    code = AVERROR(EACCES);
  if (code) {
    auto r = Make();
    EXPECT_TRUE(OpenInput(*r, Fixture("av.mkv")));
    const std::string out = locked + "/out.mp4";
    EXPECT_EQ(r->OpenOutputFile(rtl::S(out), false), -1);
    EXPECT_EQ(r->LastErrMsg(), engine::FFmpegErrorText(rtl::S(out), code));
    EXPECT_EQ(r->nb_output_files(), 0);
    if (code == AVERROR(EROFS)) umount(locked.c_str());
  }
  // An explicit format writes into a name no muxer claims.
  auto f = Make();
  ASSERT_TRUE(OpenInput(*f, Fixture("av.mkv")));
  Apply(*f, "f", "mp4");
  ASSERT_EQ(f->OpenOutputFile(rtl::S(odd), false), 1);
  EXPECT_STREQ(f->OutputFile(0)->ctx->oformat->name, "mp4");
}

TEST_F(TranscoderTest, MaxFilesBoundInputsAndOutputs) {
  enginetest::TempDir tmp;
  auto t = Make(1);
  ASSERT_TRUE(OpenInput(*t, Fixture("audio.wav")));
  EXPECT_FALSE(OpenInput(*t, Fixture("audio.wav")));
  EXPECT_EQ(rtl::U8(t->LastErrMsg()), "max input files 1 reached");
  // Scaling for an input that cannot come is refused, not written past the table.
  EXPECT_NE(MessageOf([&] { Apply(*t, "itsscale", "0:2"); }), "<none>");
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "a.wav"), false), 1);
  EXPECT_EQ(t->OpenOutputFile(rtl::S(tmp / "b.wav"), false), -1);
  EXPECT_EQ(rtl::U8(t->LastErrMsg()), "max output files 1 reached");
}

}  // namespace
