// Helpers of the transcode suites: probing outputs with the ffprobe tool and
// a recording encoder port.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "engine/TranscodeCommon.h"
#include "tests/engine/EngineTestUtils.h"

namespace transcodetest {

// "key=value" lines of ffprobe for the streams (prefixed "s<index>.") and
// the format ("format."), e.g. s0.codec_name, s1.sample_rate, format.duration.
inline std::map<std::string, std::string> Probe(const std::string& path) {
  std::map<std::string, std::string> r;
  std::string cmd = "ffprobe -v error -show_entries "
                    "stream=index,codec_name,codec_type,width,height,r_frame_rate,sample_rate,"
                    "channels,nb_frames,duration:format=format_name,duration "
                    "-of flat=s=. '" + path + "' 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return r;
  char line[1024];
  while (fgets(line, sizeof line, f)) {
    std::string s(line);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
    auto eq = s.find('=');
    if (eq == std::string::npos) continue;
    std::string k = s.substr(0, eq), v = s.substr(eq + 1);
    if (v.size() >= 2 && v.front() == '"') v = v.substr(1, v.size() - 2);
    if (k.rfind("streams.stream.", 0) == 0) k = "s" + k.substr(15);
    r[k] = v;
  }
  pclose(f);
  return r;
}

inline double ToDouble(const std::string& s) { return s.empty() ? -1.0 : std::atof(s.c_str()); }

// Counts decoded frames of the first stream of a type ("v" or "a") with ffprobe.
inline int CountFrames(const std::string& path, const char* sel) {
  std::string cmd = std::string("ffprobe -v error -count_frames -select_streams ") + sel +
                    ":0 -show_entries stream=nb_read_frames -of csv=p=0 '" + path + "' 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  if (!f) return -1;
  char line[256] = {};
  int n = fgets(line, sizeof line, f) ? std::atoi(line) : -1;
  pclose(f);
  return n;
}

// The CRC of an Ogg page (polynomial 0x04c11db7, no reflection).
inline uint32_t OggCrc(const std::string& APage) {
  uint32_t crc = 0;
  for (unsigned char c : APage) {
    crc ^= static_cast<uint32_t>(c) << 24;
    for (int k = 0; k < 8; ++k) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04c11db7u : crc << 1;
  }
  return crc;
}

// Adds ADelta to the granule position of every Ogg page from page AFirst on,
// with the page checksums made right again.
inline std::string ShiftOggGranules(std::string AData, int AFirst, uint64_t ADelta) {
  size_t at = 0;
  for (int page = 0; (at = AData.find("OggS", at)) != std::string::npos; ++page) {
    const unsigned segments = static_cast<unsigned char>(AData[at + 26]);
    size_t size = 27 + segments;
    for (unsigned k = 0; k < segments; ++k) size += static_cast<unsigned char>(AData[at + 27 + k]);
    uint64_t granule = 0;
    for (int b = 7; b >= 0; --b) granule = granule << 8 | static_cast<unsigned char>(AData[at + 6 + b]);
    if (page >= AFirst && granule != UINT64_MAX) {
      granule += ADelta;
      for (int b = 0; b < 8; ++b) AData[at + 6 + b] = static_cast<char>(granule >> (8 * b));
      for (int b = 0; b < 4; ++b) AData[at + 22 + b] = 0;
      const uint32_t crc = OggCrc(AData.substr(at, size));
      for (int b = 0; b < 4; ++b) AData[at + 22 + b] = static_cast<char>(crc >> (8 * b));
    }
    at += size;
  }
  return AData;
}

// An encoder port that keeps the frames it is sent and answers each with a
// packet as large as the frame's sample count.
class TRecordingPort : public engine::TEncoderPort {
 public:
  struct TFrameInfo {
    int nb_samples, format, channels;
    int64_t pts;
    std::vector<float> first;  // first samples of channel 0 as float
  };
  std::vector<TFrameInfo> Frames;
  bool Drained = false;
  int SendFrame(const AVFrame* f) override {
    if (!f) {
      Drained = true;
      return 0;
    }
    TFrameInfo i{f->nb_samples, f->format, f->ch_layout.nb_channels, f->pts, {}};
    for (int k = 0; k < f->nb_samples && k < 256; ++k) {
      float v = 0;
      switch (f->format) {
        case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const int16_t*>(f->data[0])[k * f->ch_layout.nb_channels]; break;
        case AV_SAMPLE_FMT_S16P: v = reinterpret_cast<const int16_t*>(f->data[0])[k]; break;
        case AV_SAMPLE_FMT_FLTP: v = reinterpret_cast<const float*>(f->data[0])[k]; break;
        case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float*>(f->data[0])[k * f->ch_layout.nb_channels]; break;
        default: break;
      }
      i.first.push_back(v);
    }
    Frames.push_back(i);
    pending_ = f->nb_samples;
    return 0;
  }
  int ReceivePacket(AVPacket* p) override {
    if (pending_ <= 0) return Drained ? AVERROR_EOF : AVERROR(EAGAIN);
    ff::av_new_packet(p, pending_);
    pending_ = 0;
    return 0;
  }
  int64_t TotalSamples() const {
    int64_t n = 0;
    for (auto& f : Frames) n += f.nb_samples;
    return n;
  }

 private:
  int pending_ = 0;
};

}  // namespace transcodetest
