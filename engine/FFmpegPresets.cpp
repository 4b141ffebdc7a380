// Targets (disc and camcorder parameter sets), stored and file presets, video
// statistics, bit-stream filters and the plain setters.
#include <cmath>
#include <cstdarg>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/FFmpeg.h"
#include "engine/Printf.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

namespace {

// --- stored presets ------------------------------------------------------------
//
// The H.264 presets keep their names and intent; their lines are written in
// the option names the bound libx264 wrapper accepts (its own options such
// as coder, partitions, me_method, direct-pred, mixed-refs, weightb, 8x8dct,
// fast-pskip, wpredp and qp, beside the generic codec options).

using TLines = std::vector<std::pair<std::string, std::string>>;

const TLines& DefaultLines() {
  static const TLines lines = {
      {"coder", "1"},        {"flags", "+loop"},     {"cmp", "+chroma"},
      {"partitions", "i8x8,i4x4,p8x8,b8x8"},         {"me_method", "hex"},
      {"subq", "7"},         {"me_range", "16"},     {"g", "250"},
      {"keyint_min", "25"},  {"sc_threshold", "40"}, {"i_qfactor", "0.71"},
      {"b_strategy", "1"},   {"qcomp", "0.6"},       {"qmin", "10"},
      {"qmax", "51"},        {"qdiff", "4"},         {"bf", "3"},
      {"refs", "3"},         {"direct-pred", "1"},   {"trellis", "1"},
      {"mixed-refs", "1"},   {"weightb", "1"},       {"8x8dct", "1"},
      {"fast-pskip", "1"},   {"wpredp", "2"}};
  return lines;
}

// ABase with the keys of AChanges replaced (or appended when new).
TLines Vary(const TLines& ABase, const TLines& AChanges) {
  TLines out = ABase;
  for (const auto& [k, v] : AChanges) {
    bool done = false;
    for (auto& line : out)
      if (line.first == k) {
        line.second = v;
        done = true;
      }
    if (!done) out.emplace_back(k, v);
  }
  return out;
}

std::string Text(const TLines& ALines) {
  std::string t;
  for (const auto& [k, v] : ALines) t += k + "=" + v + "\n";
  return t;
}

const std::vector<std::pair<std::string, std::string>>& StoredPresetTable() {
  static const std::vector<std::pair<std::string, std::string>> table = [] {
    const TLines& def = DefaultLines();
    const TLines ultrafast = Vary(def, {{"coder", "0"}, {"flags", "-loop"}, {"partitions", "none"},
                                        {"me_method", "dia"}, {"subq", "0"}, {"sc_threshold", "0"},
                                        {"b_strategy", "0"}, {"bf", "0"}, {"refs", "1"},
                                        {"trellis", "0"}, {"mixed-refs", "0"}, {"weightb", "0"},
                                        {"8x8dct", "0"}, {"wpredp", "0"}});
    const TLines superfast = Vary(def, {{"partitions", "i8x8,i4x4"}, {"me_method", "dia"},
                                        {"subq", "1"}, {"refs", "1"}, {"trellis", "0"},
                                        {"mixed-refs", "0"}, {"weightb", "0"}, {"wpredp", "0"}});
    const TLines veryfast =
        Vary(def, {{"subq", "2"}, {"refs", "1"}, {"trellis", "0"}, {"mixed-refs", "0"}, {"wpredp", "0"}});
    const TLines faster = Vary(def, {{"subq", "4"}, {"refs", "2"}, {"mixed-refs", "0"}, {"wpredp", "1"}});
    const TLines fast = Vary(def, {{"subq", "6"}, {"refs", "2"}});
    const TLines slow = Vary(def, {{"me_method", "umh"}, {"subq", "8"}, {"refs", "5"},
                                   {"b_strategy", "2"}, {"direct-pred", "3"}});
    const TLines slower = Vary(slow, {{"partitions", "all"}, {"subq", "9"}, {"refs", "8"}, {"trellis", "2"}});
    const TLines veryslow = Vary(slower, {{"subq", "10"}, {"me_range", "24"}, {"refs", "16"}, {"bf", "8"}});
    const TLines placebo = Vary(veryslow, {{"me_method", "tesa"}, {"bf", "16"}, {"fast-pskip", "0"}});
    const TLines hq = Vary(def, {{"me_method", "umh"}, {"subq", "8"}, {"b_strategy", "2"},
                                 {"refs", "4"}, {"direct-pred", "3"}});
    // A first pass only gathers statistics: no partitions, the quickest search.
    auto firstpass = [](const TLines& ABase) {
      return Vary(ABase, {{"partitions", "none"}, {"me_method", "dia"}, {"subq", "2"},
                          {"refs", "1"}, {"trellis", "0"}, {"8x8dct", "0"}});
    };
    auto lossless = [](const TLines& ABase) {
      return Vary(ABase, {{"qmin", "0"}, {"qp", "0"}});
    };
    const TLines slowfirstpass =
        Vary(slow, {{"me_method", "dia"}, {"subq", "2"}, {"refs", "1"}, {"trellis", "0"}});
    return std::vector<std::pair<std::string, std::string>>{
        {"libx264-baseline", Text({{"coder", "0"}, {"bf", "0"}, {"weightb", "0"}, {"8x8dct", "0"},
                                   {"wpredp", "0"}})},
        {"libx264-default", Text(def)},
        {"libx264-fast", Text(fast)},
        {"libx264-fast_firstpass", Text(firstpass(fast))},
        {"libx264-faster", Text(faster)},
        {"libx264-faster_firstpass", Text(firstpass(faster))},
        {"libx264-fastfirstpass", Text(firstpass(def))},
        {"libx264-hq", Text(hq)},
        {"libx264-ipod320", Text({{"coder", "0"}, {"bf", "0"}, {"weightb", "0"}, {"8x8dct", "0"},
                                  {"level", "13"}, {"maxrate", "768000"}, {"bufsize", "3000000"},
                                  {"wpredp", "0"}})},
        {"libx264-ipod640", Text({{"coder", "0"}, {"bf", "0"}, {"refs", "1"}, {"weightb", "0"},
                                  {"8x8dct", "0"}, {"level", "30"}, {"maxrate", "10000000"},
                                  {"bufsize", "10000000"}, {"wpredp", "0"}})},
        {"libx264-lossless_fast", Text(lossless(fast))},
        {"libx264-lossless_max", Text(lossless(placebo))},
        {"libx264-lossless_medium", Text(lossless(def))},
        {"libx264-lossless_slow", Text(lossless(slow))},
        {"libx264-lossless_slower", Text(lossless(slower))},
        {"libx264-lossless_ultrafast", Text(lossless(ultrafast))},
        {"libx264-main", Text({{"8x8dct", "0"}})},
        {"libx264-max", Text(placebo)},
        {"libx264-medium", Text(def)},
        {"libx264-medium_firstpass", Text(firstpass(def))},
        {"libx264-normal", Text(Vary(def, {{"subq", "6"}}))},
        {"libx264-placebo", Text(placebo)},
        {"libx264-placebo_firstpass", Text(Vary(placebo, {{"me_method", "dia"}, {"subq", "2"}}))},
        {"libx264-slow", Text(slow)},
        {"libx264-slow_firstpass", Text(firstpass(slow))},
        {"libx264-slower", Text(slower)},
        {"libx264-slower_firstpass", Text(firstpass(slower))},
        {"libx264-slowfirstpass", Text(slowfirstpass)},
        {"libx264-superfast", Text(superfast)},
        {"libx264-superfast_firstpass", Text(firstpass(superfast))},
        {"libx264-ultrafast", Text(ultrafast)},
        {"libx264-ultrafast_firstpass", Text(firstpass(ultrafast))},
        {"libx264-veryfast", Text(veryfast)},
        {"libx264-veryfast_firstpass", Text(firstpass(veryfast))},
        {"libx264-veryslow", Text(veryslow)},
        {"libx264-veryslow_firstpass", Text(Vary(veryslow, {{"me_method", "dia"}, {"subq", "2"}}))},
    };
  }();
  return table;
}

enum TNorm { nPAL, nNTSC, nFilm, nUnknown };
constexpr const char16_t* kFrameRates[] = {u"25", u"30000/1001", u"24000/1001"};

TNorm NormOfRate(int64_t AFr) {
  if (AFr == 25000) return nPAL;
  if (AFr == 29970 || AFr == 23976) return nNTSC;
  return nUnknown;
}

}  // namespace

String FindStoredPreset(const String& AName) {
  for (const auto& [name, text] : StoredPresetTable())
    if (rtl::SameText(rtl::Utf8ToString(name), AName)) return rtl::Utf8ToString(text);
  return String();
}

std::vector<String> StoredPresetNames() {
  std::vector<String> names;
  for (const auto& entry : StoredPresetTable()) names.push_back(rtl::Utf8ToString(entry.first));
  return names;
}

void TCustomFFmpeg::SetTarget(const String& AType, const String& ANorm, const String& ADefaultNorm) {
  TNorm norm = ANorm == u"pal" ? nPAL : ANorm == u"ntsc" ? nNTSC : ANorm == u"film" ? nFilm : nUnknown;
  if (norm == nUnknown) {
    if (Fframe_rate.den == 0) throw FFmpegException("frame_rate is invalid.");
    norm = NormOfRate(std::llrint(std::nearbyint(Fframe_rate.num * 1000.0 / Fframe_rate.den)));
    for (int j = 0; j < Fnb_input_files && norm == nUnknown; ++j) {
      AVFormatContext* ic = Finput_files[j];
      for (unsigned i = 0; i < ic->nb_streams && norm == nUnknown; ++i) {
        AVStream* st = ic->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
        AVRational r = st->r_frame_rate;
        if (r.den) norm = NormOfRate(std::llrint(std::nearbyint(r.num * 1000.0 / r.den)));
      }
    }
    if (norm == nUnknown) norm = ADefaultNorm == u"film" ? nFilm : ADefaultNorm == u"ntsc" ? nNTSC : nPAL;
    if (Fverbose > 0)
      Log(llVerbose, FmtA("Assuming %s for target.", norm == nPAL ? "PAL" : "NTSC"));
  }
  const bool pal = norm == nPAL;
  const String rate = kFrameRates[norm];
  auto generic = [this](const char* AName, const char* AValue) { SetGenericOption(AName, AValue); };
  auto aspect = [this](const char* AAssume, const char16_t* AValue) {
    if (Fframe_aspect_ratio != 0) return;
    Log(llInfo, std::string("Assuming ") + AAssume + " for aspect ratio");
    SetAspectRatio(AValue);
  };

  if (AType == u"vcd") {
    SetVideoCodec(u"mpeg1video");
    SetAudioCodec(u"mp2");
    SetFormat(u"vcd");
    SetFrameSize(pal ? u"352x288" : u"352x240");
    SetFrameRate(rate);
    generic("g", pal ? "15" : "18");
    generic("b", "1150000");
    generic("maxrate", "1150000");
    generic("minrate", "1150000");
    generic("bufsize", "327680");
    generic("ab", "224000");
    Faudio_sample_rate = 44100;
    Faudio_channels = 2;
    generic("packetsize", "2324");
    generic("muxrate", "1411200");
    Fmux_preload = 0.44f;
    aspect("4:3", u"4:3");
  } else if (AType == u"svcd") {
    SetVideoCodec(u"mpeg2video");
    SetAudioCodec(u"mp2");
    SetFormat(u"svcd");
    SetFrameSize(pal ? u"480x576" : u"480x480");
    SetFrameRate(rate);
    generic("g", pal ? "15" : "18");
    generic("b", "2040000");
    generic("maxrate", "2516000");
    generic("minrate", "0");
    generic("bufsize", "1835008");
    // The scan offset is the MPEG-2 encoder's own option now.
    generic("scan_offset", "1");
    generic("ab", "224000");
    Faudio_sample_rate = 44100;
    generic("packetsize", "2324");
    if (Faudio_channels == 1) Faudio_channels = 2;
    aspect("4:3", u"4:3");
  } else if (AType == u"dvd") {
    SetVideoCodec(u"mpeg2video");
    SetAudioCodec(u"ac3");
    SetFormat(u"dvd");
    SetFrameSize(pal ? u"720x576" : u"720x480");
    SetFrameRate(rate);
    generic("g", pal ? "15" : "18");
    generic("b", "6000000");
    generic("maxrate", "9000000");
    generic("minrate", "0");
    generic("bufsize", "1835008");
    generic("packetsize", "2048");
    generic("muxrate", "10080000");
    generic("ab", "448000");
    Faudio_sample_rate = 48000;
    if (Faudio_channels == 1) Faudio_channels = 2;
    aspect("16:9", u"16:9");
  } else if (AType == u"dv" || AType == u"dv50") {
    SetFormat(u"dv");
    SetFrameSize(pal ? u"720x576" : u"720x480");
    SetPixelFormat(AType == u"dv50" ? "yuv422p" : pal ? "yuv420p" : "yuv411p");
    SetFrameRate(rate);
    Faudio_sample_rate = 48000;
    Faudio_channels = 2;
  } else {
    throw FFmpegException("Unknown target type");
  }
}

void TCustomFFmpeg::SetTargetText(const std::string& AValue) {
  String value = rtl::Trim(rtl::AnsiToString(AValue));
  String norm = u"auto";
  for (const char16_t* prefix : {u"pal-", u"ntsc-", u"film-"}) {
    String p = prefix;
    if (value.compare(0, p.size(), p) == 0) {
      norm = p.substr(0, p.size() - 1);
      value = value.substr(p.size());
      break;
    }
  }
  SetTarget(value, norm, u"ntsc");
}

bool TCustomFFmpeg::SetPresetOption(const std::string& AKey, const std::string& AValue, int AMediaType,
                                    const std::string& APreset, const std::string& ALine) {
  if (IsGenericOptionName(AKey)) return SetGenericOption(AKey, AValue);
  if (!AnyPrivateClassKnows(AKey)) return false;
  FPrivateOptions.push_back(TPrivateOption{AKey, AValue, AMediaType, true, APreset, ALine});
  return true;
}

void TCustomFFmpeg::ApplyPreset(const String& AOptionName, const String& AValue) {
  if (AOptionName.empty() || AValue.empty()) return;
  String presetName = AValue;
  String text;
  const char16_t kind = AOptionName[0];
  if (kind != u'f') {
    text = FindStoredPreset(AValue);
    if (text.empty()) {
      std::string codec;
      if (kind == u'v' && !Fvideo_codec_name.empty())
        codec = Fvideo_codec_name;
      else if (kind == u'a' && !Faudio_codec_name.empty())
        codec = Faudio_codec_name;
      else if (!Fsubtitle_codec_name.empty())
        codec = Fsubtitle_codec_name;
      if (!codec.empty()) presetName = rtl::AnsiToString(codec) + u"-" + AValue;
      text = FindStoredPreset(presetName);
    }
  }
  if (text.empty()) {
    std::error_code ec;
    const std::filesystem::path path(rtl::U8(AValue));
    if (!std::filesystem::is_regular_file(path, ec))
      throw FFmpegException(FmtA("Preset \"%s\" not found", rtl::U8(AValue).c_str()));
    std::ifstream in(path, std::ios::binary);
    text = rtl::AnsiToString(std::string(std::istreambuf_iterator<char>(in), {}));
  }
  text = rtl::Trim(text);
  text = rtl::StringReplace(text, u"\r\n", u"\n", {rtl::rfReplaceAll});
  text = rtl::StringReplace(text, u"\r", u"\n", {rtl::rfReplaceAll});

  const int mediaType = kind == u'a' ? AVMEDIA_TYPE_AUDIO
                        : kind == u's' ? AVMEDIA_TYPE_SUBTITLE
                                       : AVMEDIA_TYPE_VIDEO;
  const std::string preset8 = rtl::StringToAnsi(presetName);
  while (!text.empty()) {
    String line;
    SplitFirst(text, u"\n", true, line);
    line = rtl::Trim(line);
    if (line.empty()) continue;
    const size_t eq = line.find(u'=');
    const String key = eq == String::npos ? line : line.substr(0, eq);
    const String value = eq == String::npos ? String() : line.substr(eq + 1);
    const std::string line8 = rtl::StringToAnsi(line);
    if (key.empty() || value.empty())
      throw FFmpegException(FmtA("%s: Invalid syntax: \"%s\"", preset8.c_str(), line8.c_str()));
    if (rtl::SameText(key, u"acodec")) {
      SetAudioCodec(value);
    } else if (rtl::SameText(key, u"vcodec")) {
      SetVideoCodec(value);
    } else if (rtl::SameText(key, u"scodec")) {
      SetSubtitleCodec(value);
    } else {
      const std::string key8 = rtl::StringToAnsi(key), value8 = rtl::StringToAnsi(value);
      if (!SetPresetOption(key8, value8, mediaType, preset8, line8))
        throw FFmpegException(FmtA("%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
                                  preset8.c_str(), line8.c_str(), key8.c_str(), value8.c_str()));
    }
  }
}

void TCustomFFmpeg::SetVideoStatsFile(const std::string& AName) { Fvstats_filename = AName; }

void TCustomFFmpeg::SetVideoStats(bool AEnable) {
  Fvstats_filename.clear();
  if (!AEnable) return;
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char stamp[16];
  strftime(stamp, sizeof stamp, "%H%M%S", &local);
  Fvstats_filename = FmtA("%svstats_%s.log", rtl::StringToAnsi(GetExePath()).c_str(), stamp);
}

void TCustomFFmpeg::AddBitstreamFilter(const String& AOptionName, const String& AValue) {
  if (AOptionName.empty() || AValue.empty() || AValue[0] == u'=') return;
  const std::string name = rtl::StringToAnsi(AValue.substr(0, AValue.find(u'=')));
  if (!ff::av_bsf_get_by_name(name.c_str()))
    throw FFmpegException(FmtA("Unknown bitstream filter %s", rtl::U8(rtl::Trim(AValue)).c_str()));
  std::vector<std::string>& chain = AOptionName[0] == u'v'   ? Fvideo_bitstream_filters
                                    : AOptionName[0] == u'a' ? Faudio_bitstream_filters
                                                             : Fsubtitle_bitstream_filters;
  chain.push_back(name);
}

void TCustomFFmpeg::SetStartTime(int64_t AValue) {
  if (AValue != AV_NOPTS_VALUE) Fstart_time = AValue;
}

void TCustomFFmpeg::SetProgramID(int AValue) {
  if (AValue >= 0) Fopt_programid = AValue;
}

void TCustomFFmpeg::SetAudioVolume(int AValue) {
  if (AValue >= 0) Faudio_volume = AValue;
}

void TCustomFFmpeg::SetMuxMaxDelay(float AValue) {
  if (AValue > 0) Fmux_max_delay = AValue;
}

void TCustomFFmpeg::SetMuxPreload(float AValue) {
  if (AValue > 0) Fmux_preload = AValue;
}

void TCustomFFmpeg::SetPostHooks(TPostHooks AHooks) {
  if (AHooks == FPostHooks) return;
  if (FPostHooks.Contains(phPreview) && !AHooks.Contains(phPreview)) FPostContext.Previewer.reset();
  FPostHooks = AHooks;
}

void TCustomFFmpeg::SetPostHooksLocked(TPostHooks AHooks) {
  std::lock_guard<std::recursive_mutex> g(PostHookLock());
  SetPostHooks(AHooks);
}

TPostHooks TCustomFFmpeg::PostHooks() const {
  std::lock_guard<std::recursive_mutex> g(PostHookLock());
  return FPostHooks;
}

}  // namespace engine
