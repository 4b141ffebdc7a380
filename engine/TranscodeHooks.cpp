#include "engine/TranscodeHooks.h"

#include <mutex>

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

void PreProcessVideoFrame(TCustomFFmpeg& E, AVFrame* AFrame, int64_t APtsUs) {
  ++E.FHookFrameNumber;
  if (!E.FOnCustomHook) {
    if (!E.Fusing_vhook || !E.FFirstHook) return;
    // The hook libraries change the picture in place: the decoder's buffer
    // is copied first when it is shared.
    if (ff::av_frame_make_writable(AFrame) < 0) {
      LogText(&E, llError, "hook buf malloc error.");
      return;
    }
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
      if (ff::av_frame_make_writable(AFrame) < 0 || !WriteBack(ctx, AFrame)) {
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
