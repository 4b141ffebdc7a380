// The edit's clipboard on X11, against a private Xvfb: copied text is offered
// on the CLIPBOARD selection to another client, and text another client owns
// is pasted into the edit. Skips when Xvfb is not installed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/Backend.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include "tests/support/Xvfb.h"

namespace {

using namespace forms;

using testsupport::Xvfb;

// Another client owning CLIPBOARD with a UTF-8 text, answering requests on its own thread.
class ClipboardOwner {
 public:
  ClipboardOwner(const std::string& display, const std::string& text) : text_(text) {
    d_ = XOpenDisplay(display.c_str());
    w_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    clip_ = XInternAtom(d_, "CLIPBOARD", False);
    utf8_ = XInternAtom(d_, "UTF8_STRING", False);
    targets_ = XInternAtom(d_, "TARGETS", False);
    XSetSelectionOwner(d_, clip_, w_, CurrentTime);
    XSync(d_, False);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardOwner() {
    stop_ = true;
    thread_.join();
    XDestroyWindow(d_, w_);
    XCloseDisplay(d_);
  }
  bool Owns() { return XGetSelectionOwner(d_, clip_) == w_; }

 private:
  void Serve() {
    while (!stop_) {
      while (XPending(d_)) {
        XEvent ev;
        XNextEvent(d_, &ev);
        if (ev.type != SelectionRequest) continue;
        XSelectionRequestEvent& r = ev.xselectionrequest;
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.time = r.time;
        reply.xselection.property = r.property ? r.property : r.target;
        if (r.target == utf8_) {
          XChangeProperty(d_, r.requestor, reply.xselection.property, utf8_, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text_.data()), int(text_.size()));
        } else if (r.target == targets_) {
          Atom t[] = {utf8_};
          XChangeProperty(d_, r.requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                          reinterpret_cast<unsigned char*>(t), 1);
        } else {
          reply.xselection.property = 0;
        }
        XSendEvent(d_, r.requestor, False, 0, &reply);
        XFlush(d_);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ::Display* d_;
  ::Window w_;
  Atom clip_, utf8_, targets_;
  std::string text_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// What the CLIPBOARD owner gives another client as UTF-8.
std::string ReadClipboard(const std::string& display) {
  ::Display* d = XOpenDisplay(display.c_str());
  ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom into = XInternAtom(d, "TVL_PASTE", False);
  XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, "UTF8_STRING", False), into, w, CurrentTime);
  XFlush(d);
  std::string text = "<none>";
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);  // a bound for a broken run
  // The owner is this process's GUI thread: keep its loop running while we wait.
  while (std::chrono::steady_clock::now() < until) {
    Application->ProcessMessages();
    XEvent ev;
    if (XCheckTypedWindowEvent(d, w, SelectionNotify, &ev)) {
      if (ev.xselection.property == into) {
        Atom type;
        int format;
        unsigned long items, rest;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, w, into, 0, 1024, True, AnyPropertyType, &type, &format, &items, &rest, &data) ==
                Success &&
            data) {
          text.assign(reinterpret_cast<char*>(data), items);
          XFree(data);
        }
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  XDestroyWindow(d, w);
  XCloseDisplay(d);
  return text;
}

TEST(StdCtrlsX11, EditClipboardRoundTripThroughTheClipboardSelection) {
  Xvfb x;
  if (!x.Start()) GTEST_SKIP() << "Xvfb is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  InitForms();
  {
    auto* f = new TForm(Application);
    f->SetBounds(20, 20, 300, 120);
    f->AfterConstruction();
    auto* a = new TEdit(f);
    a->SetParent(f);
    a->SetBounds(10, 10, 200, 21);
    auto* b = new TEdit(f);
    b->SetParent(f);
    b->SetBounds(10, 40, 200, 21);
    f->Show();
    Application->ProcessMessages();

    a->SetText(u"转换后的 files.mp4");
    a->SelectAll();
    a->CopyToClipboard();
    EXPECT_EQ(ReadClipboard(x.Display()), "转换后的 files.mp4");

    {
      ClipboardOwner other(x.Display(), "来自别的程序 text");
      ASSERT_TRUE(other.Owns());
      b->PasteFromClipboard();
      EXPECT_EQ(b->Text(), u"来自别的程序 text");
    }
  }
  DoneForms();
  win::ShutdownWindowSystem();
}

}  // namespace
