#include "engine/TranscodeHooks.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "engine/FFmpeg.h"
#include "engine/FrameHook.h"
#include "engine/Previewer.h"
#include "engine/TranscodeCommon.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Strings.h"

namespace engine {

namespace {

// The bitmap's rows back into the picture, in the picture's own format.
bool WriteBack(TRGBConvertContext& AContext, AVFrame* AFrame) {
  gdi::TBitmap* bmp = AContext.Bitmap.get();
  if (!bmp || bmp->Height() < 1 || bmp->Width() != AFrame->width || bmp->Height() != AFrame->height) return false;
  AContext.fromRGB_convert_ctx = ff::sws_getCachedContext(
      AContext.fromRGB_convert_ctx, AFrame->width, AFrame->height, AContext.RGBPixFmt, AFrame->width, AFrame->height,
      static_cast<AVPixelFormat>(AFrame->format), SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!AContext.fromRGB_convert_ctx) return false;
  const uint8_t* src[4] = {static_cast<const uint8_t*>(bmp->ScanLine(0)), nullptr, nullptr, nullptr};
  int stride[4] = {0, 0, 0, 0};
  stride[0] = bmp->Height() > 1 ? static_cast<int>(static_cast<const uint8_t*>(bmp->ScanLine(1)) - src[0])
                                : AFrame->width * 3;
  ff::sws_scale(AContext.fromRGB_convert_ctx, src, stride, 0, AFrame->height, AFrame->data, AFrame->linesize);
  return true;
}

}  // namespace

bool DeinterlacePicture(AVFrame* AFrame) {
  const AVPixFmtDescriptor* d = ff::av_pix_fmt_desc_get(static_cast<AVPixelFormat>(AFrame->format));
  if (!d || (d->flags & (AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_HWACCEL)) ||
      (d->nb_components > 1 && !(d->flags & AV_PIX_FMT_FLAG_PLANAR)) || AFrame->height < 3)
    return false;
  int planes = 0;
  for (int c = 0; c < d->nb_components; ++c) {
    if (d->comp[c].depth != 8 || d->comp[c].step != 1) return false;
    planes = std::max(planes, d->comp[c].plane + 1);
  }
  std::vector<uint8_t> saved;
  for (int p = 0; p < planes; ++p) {
    const bool chroma = p == 1 || p == 2;
    const int w = chroma ? -((-AFrame->width) >> d->log2_chroma_w) : AFrame->width;
    const int h = chroma ? -((-AFrame->height) >> d->log2_chroma_h) : AFrame->height;
    uint8_t* base = AFrame->data[p];
    const int stride = AFrame->linesize[p];
    if (!base || h < 3) continue;
    // Each line of the second field becomes a blend of the lines of the
    // first field around it (taps -1 4 2 4 -1, over eighths), computed from
    // the picture as it came: the field's lines above are kept unchanged in
    // a copy while the lines are rewritten from the top.
    saved.assign(static_cast<size_t>(w) * 2, 0);
    uint8_t* prevOdd = saved.data();      // line y - 2 as it came
    uint8_t* thisOdd = saved.data() + w;  // line y as it came
    auto line = [&](int y) { return base + static_cast<ptrdiff_t>(y) * stride; };
    for (int y = 1; y < h; y += 2) {
      std::memcpy(thisOdd, line(y), static_cast<size_t>(w));
      const uint8_t* above2 = y >= 3 ? prevOdd : thisOdd;
      const uint8_t* above = line(y - 1);
      const uint8_t* below = y + 1 < h ? line(y + 1) : above;
      const uint8_t* below2 = y + 2 < h ? line(y + 2) : thisOdd;
      uint8_t* out = line(y);
      for (int x = 0; x < w; ++x) {
        const int v = (-above2[x] + 4 * above[x] + 2 * thisOdd[x] + 4 * below[x] - below2[x] + 4) >> 3;
        out[x] = static_cast<uint8_t>(std::clamp(v, 0, 255));
      }
      std::swap(prevOdd, thisOdd);
    }
  }
  return true;
}

void PreProcessVideoFrame(TCustomFFmpeg& E, AVFrame* AFrame, int64_t APtsUs) {
  ++E.FHookFrameNumber;
  const bool vhook = E.Fusing_vhook && E.FFirstHook;
  if (!E.Fdo_deinterlace && !E.FOnCustomHook && !vhook) return;
  // The picture is changed in place: the decoder's buffer is copied first
  // when it is shared.
  if (ff::av_frame_make_writable(AFrame) < 0) {
    LogText(&E, llError, "hook buf malloc error.");
    return;
  }
  if (E.Fdo_deinterlace && !DeinterlacePicture(AFrame)) LogText(&E, llError, "Deinterlacing failed.");
  if (!E.FOnCustomHook) {
    if (!vhook) return;
    TFrameHookPicture pict;
    for (int i = 0; i < 4; ++i) {
      pict.data[i] = AFrame->data[i];
      pict.linesize[i] = AFrame->linesize[i];
    }
    FrameHookProcess(E.FFirstHook, &pict, AFrame->format, AFrame->width, AFrame->height, APtsUs);
    return;
  }
  if (!E.FHookContext) E.FHookContext = std::make_unique<TRGBConvertContext>();
  TRGBConvertContext& ctx = *E.FHookContext;
  bool stop = false;
  if (!PictureToBitmap(ctx, AFrame)) {
    LogText(&E, llError, "Cannot initialize the toRGB conversion context");
    stop = true;
  } else {
    bool update = true;
    try {
      E.FOnCustomHook(&E, ctx.Bitmap.get(), E.FHookFrameNumber, APtsUs, update, stop);
    } catch (const rtl::Exception& e) {
      LogText(&E, llError, "Error occurs OnCustomHook: " + rtl::U8(e.Message()));
      update = false;
    } catch (const std::exception& e) {
      LogText(&E, llError, std::string("Error occurs OnCustomHook: ") + e.what());
      update = false;
    }
    if (update) {
      if (!WriteBack(ctx, AFrame)) {
        LogText(&E, llError, "Cannot initialize the fromRGB conversion context");
        stop = true;
      }
    }
  }
  if (stop) {
    E.FOnCustomHook = nullptr;
    E.Fusing_vhook = false;
  }
}

void RunPostHooks(TCustomFFmpeg& E, const AVFrame* APicture, int AFrameNumber, int64_t APtsUs) {
  // Under the lock: which preview, the throttle, and the preview window's
  // state. The bitmap event and the painting (both wait for the GUI thread)
  // run after the lock is released.
  TPostHook kind;
  std::shared_ptr<TPreviewWindow> window;
  {
    std::lock_guard<std::recursive_mutex> g(PostHookLock());
    const TPostHooks hooks = E.FPostHooks;
    if (hooks.Contains(phBitmap) && E.FOnPreviewBitmap)
      kind = phBitmap;
    else if (hooks.Contains(phPreview))
      kind = phPreview;
    else
      return;
    E.FPostContext.preview_cur_time = ff::av_gettime();
    if (E.FPostContext.preview_last_time != 0 &&
        E.FPostContext.preview_cur_time - E.FPostContext.preview_last_time < E.PreviewInterval)
      return;
    E.FPostContext.preview_last_time = E.FPostContext.preview_cur_time;
    if (kind == phPreview) {
      if (!E.FPostContext.Previewer) E.FPostContext.Previewer = std::make_unique<TPreviewer>();
      window = static_cast<TPreviewer*>(E.FPostContext.Previewer.get())->Share();
    }
  }
  if (!E.FPostContext.Context) E.FPostContext.Context = std::make_unique<TRGBConvertContext>();
  bool keep;
  if (!PictureToBitmap(*E.FPostContext.Context, APicture)) {
    LogText(&E, llError, "Cannot initialize the toRGB conversion context");
    keep = false;
  } else if (kind == phBitmap) {
    E.FOnPreviewBitmap(&E, E.FPostContext.Context->Bitmap.get(), AFrameNumber, APtsUs);
    keep = true;
  } else {
    // False once the user has closed the window.
    keep = window->PaintFrame(E.FPostContext.Context->Bitmap.get(), AFrameNumber, APtsUs);
  }
  if (!keep) {
    std::lock_guard<std::recursive_mutex> g(PostHookLock());
    TPostHooks hooks = E.FPostHooks;
    hooks.Bits &= static_cast<uint8_t>(~(1u << kind));
    E.SetPostHooks(hooks);
  }
}

}  // namespace engine
