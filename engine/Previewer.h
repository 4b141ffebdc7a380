// TPreviewer: the live-preview window of a running conversion. The
// conversion thread hands it a bitmap every preview interval; the window
// shows it on top of the other windows, with the frame's time as its
// caption, and can be dragged by the picture. Once the user has closed the
// window, PaintFrame returns false and draws nothing more.
//
// Threads: PaintFrame is called on the conversion thread and draws on the
// GUI thread (the caller waits, so its bitmap stays untouched while drawn).
// Destroying a previewer does not wait for the GUI thread: the window is
// closed there later, so a conversion thread that holds a lock while it
// drops its previewer cannot block the GUI thread waiting for that lock.
// The window's state is shared with the GUI thread, so a PaintFrame through
// Share() stays valid even when the previewer is dropped meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/rtl/Object.h"
#include "platform/win/WinTypes.h"

namespace gdi {
class TBitmap;
}

namespace engine {

class TPreviewWindow;

class TPreviewer : public rtl::TObject {
 public:
  TPreviewer();
  ~TPreviewer() override;

  // Shows the frame; false once the user has closed the window.
  bool PaintFrame(gdi::TBitmap* ABitmap, int32_t AFrameNumber, int64_t APTS);
  bool Closed() const;
  // The window, nullptr before the first frame.
  win::HWND FormHandle() const;
  std::shared_ptr<TPreviewWindow> Share() const { return FWindow; }

 private:
  std::shared_ptr<TPreviewWindow> FWindow;
};

// The state behind a previewer, shared between the conversion thread and
// the GUI thread.
class TPreviewWindow : public std::enable_shared_from_this<TPreviewWindow> {
 public:
  bool PaintFrame(gdi::TBitmap* ABitmap, int32_t AFrameNumber, int64_t APTS);
  std::atomic<bool> FClosed{false};
  // The previewer is gone (preview turned off, or the run over): a frame
  // still on its way to the GUI thread opens no window any more.
  std::atomic<bool> FDropped{false};
  std::atomic<win::HWND> FFormHandle{nullptr};

 private:
  friend class TPreviewer;
  void ShowFrame();
  void CreateForm();
  gdi::TBitmap* FBitmap = nullptr;
  int32_t FFrameNumber = 0;
  int64_t FPTS = 0;
};

}  // namespace engine
