#include "engine/TranscodePacketWriter.h"

#include <algorithm>
#include <cmath>

#include "engine/FFUtils.h"
#include "platform/rtl/Strings.h"

namespace engine {

TPacketWriter::TPacketWriter(AVFormatContext* AOutput, AVStream* AStream, const std::vector<std::string>& ABsfNames,
                             const char* ACodecName, bool AExitOnError, rtl::TObject* ASender)
    : FOutput(AOutput), FStream(AStream), FCodecName(ACodecName ? ACodecName : "copy"), FExitOnError(AExitOnError),
      FSender(ASender) {
  const AVCodecParameters* par = AStream->codecpar;
  AVRational tb = AStream->time_base;
  for (const std::string& name : ABsfNames) {
    const AVBitStreamFilter* f = ff::av_bsf_get_by_name(name.c_str());
    AVBSFContext* ctx = nullptr;
    if (!f || ff::av_bsf_alloc(f, &ctx) < 0) {
      for (AVBSFContext*& c : FBsfs) ff::av_bsf_free(&c);
      throw ETranscodeError("Unknown bitstream filter " + name);
    }
    ff::avcodec_parameters_copy(ctx->par_in, par);
    ctx->time_base_in = tb;
    int r = ff::av_bsf_init(ctx);
    if (r < 0) {
      ff::av_bsf_free(&ctx);
      for (AVBSFContext*& c : FBsfs) ff::av_bsf_free(&c);
      throw ETranscodeError(ErrorText(name, r));
    }
    par = ctx->par_out;
    tb = ctx->time_base_out;
    FBsfs.push_back(ctx);
  }
}

TPacketWriter::~TPacketWriter() {
  for (AVBSFContext*& c : FBsfs) ff::av_bsf_free(&c);
}

void TPacketWriter::Write(AVPacket* APacket, AVRational ATimeBase) {
  APacket->stream_index = FStream->index;
  ff::av_packet_rescale_ts(APacket, ATimeBase, FStream->time_base);
  if (FBsfs.empty()) {
    Mux(APacket);
    return;
  }
  // Each filter may give none, one or several packets for one.
  std::vector<AVPacket*> cur{ff::av_packet_clone(APacket)};
  ff::av_packet_unref(APacket);
  for (AVBSFContext* bsf : FBsfs) {
    std::vector<AVPacket*> next;
    for (AVPacket* p : cur) {
      AVPacket* keep = ff::av_packet_clone(p);
      int r = ff::av_bsf_send_packet(bsf, p);
      if (r < 0) {
        std::string msg = FormatText("%s failed for stream %d, codec %s", bsf->filter->name, FStream->index,
                                     FCodecName.c_str());
        msg = ErrorText(msg, r);
        ff::av_packet_free(&p);
        if (FExitOnError) {
          ff::av_packet_free(&keep);
          for (AVPacket*& q : next) ff::av_packet_free(&q);
          for (AVPacket*& q : cur) if (q) ff::av_packet_free(&q);
          throw ETranscodeError(msg);
        }
        LogText(FSender, llError, msg);
        next.push_back(keep);  // the unfiltered packet goes on
        continue;
      }
      ff::av_packet_free(&keep);
      ff::av_packet_free(&p);
      for (;;) {
        AVPacket* out = ff::av_packet_alloc();
        if (ff::av_bsf_receive_packet(bsf, out) < 0) {
          ff::av_packet_free(&out);
          break;
        }
        next.push_back(out);
      }
    }
    cur.swap(next);
  }
  std::exception_ptr err;
  for (AVPacket*& p : cur) {
    if (!err) {
      try {
        Mux(p);
      } catch (...) {
        err = std::current_exception();
      }
    }
    ff::av_packet_free(&p);
  }
  if (err) std::rethrow_exception(err);
}

void TPacketWriter::Mux(AVPacket* APacket) {
  // Timestamps that go back would make the muxer refuse the packet: keep
  // them strictly increasing (an encoder's rounding can repeat one).
  if (APacket->dts != AV_NOPTS_VALUE && FLastDts != AV_NOPTS_VALUE && APacket->dts <= FLastDts &&
      !(FOutput->oformat->flags & AVFMT_NOTIMESTAMPS)) {
    const int64_t fixed = FLastDts + 1;
    if (APacket->pts != AV_NOPTS_VALUE && APacket->pts < fixed) APacket->pts = fixed;
    APacket->dts = fixed;
  }
  if (APacket->dts != AV_NOPTS_VALUE) FLastDts = APacket->dts;
  const int64_t ts = APacket->pts != AV_NOPTS_VALUE ? APacket->pts : APacket->dts;
  if (ts != AV_NOPTS_VALUE) {
    const double end = static_cast<double>(ts + std::max<int64_t>(APacket->duration, 0)) * av_q2d(FStream->time_base);
    FOutputTime = std::max(FOutputTime, end);
  }
  ++FPackets;
  const int r = ff::av_interleaved_write_frame(FOutput, APacket);
  if (r < 0) throw ETranscodeError(ErrorText("av_interleaved_write_frame()", r));
}

std::array<std::atomic<int32_t>, 52> QPHistogram{};

std::string QPHistogramText(float AQuality) {
  const long qp = std::lrint(AQuality);
  if (qp >= 0 && qp < 52) QPHistogram[static_cast<size_t>(qp)].fetch_add(1);
  std::string text;
  for (int j = 0; j < 32; ++j)
    text += FormatText("%X", static_cast<int>(std::lrint(std::log10(QPHistogram[j].load() + 1.0) / std::log10(2.0))));
  return text;
}

TProgressValues BuildProgress(const std::vector<TProgressVideo>& AVideo, const std::vector<double>& AOutputTimes,
                              int64_t ASize, double AElapsed, bool ALast, int ADup, int ADrop, bool AQpHist) {
  TProgressValues v;
  v.size = ASize;
  std::string text;
  bool videoSeen = false;
  for (const TProgressVideo& s : AVideo) {
    if (videoSeen) {
      text += FormatText("q=%2.1f ", s.quality);
      continue;
    }
    if (!s.show_fps) continue;
    if (s.frame_number < 1) {
      v.skipped = true;
      return v;
    }
    v.frame_number = static_cast<int>(s.frame_number);
    v.fps = AElapsed > 1.0 ? static_cast<int>(s.frame_number / AElapsed + 0.5) : 0;
    v.quality = s.quality;
    text += FormatText("frame=%5d fps=%3d q=%3.1f ", v.frame_number, v.fps, v.quality);
    if (ALast) text += "L";
    if (AQpHist) text += QPHistogramText(s.quality);
    if (s.psnr) {
      text += "PSNR=";
      double error = 0, scale = 0;
      for (int j = 0; j < 3; ++j) {
        double planeScale = static_cast<double>(s.width) * s.height * 255.0 * 255.0;
        if (ALast) planeScale *= static_cast<double>(s.frame_number);
        if (j) planeScale /= 4;
        error += s.error[j];
        scale += planeScale;
        text += FormatText("%c:%2.2f ", "YUV"[j], PlanePSNR(s.error[j], planeScale));
      }
      text += FormatText("*:%2.2f ", PlanePSNR(error, scale));
    }
    videoSeen = true;
  }
  // The time all streams have reached: one that wrote nothing yet holds it.
  double t = 0;
  if (!AOutputTimes.empty()) t = *std::min_element(AOutputTimes.begin(), AOutputTimes.end());
  v.time = std::max(t, 0.0);
  if (t < 0.01) t = 0.01;
  v.bitrate = static_cast<double>(ASize) * 8 / t / 1000.0;
  text += FormatText("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", static_cast<double>(ASize) / 1024.0, t,
                     v.bitrate);
  if (ADup || ADrop) text += FormatText(" dup=%d drop=%d", ADup, ADrop);
  v.text = std::move(text);
  return v;
}

}  // namespace engine
