// Forms, the application object and the screen.
//
// A form is a top-level TWinControl. Its life, in the framework's order:
// constructed (its builder sets properties inside the loading bracket, then
// Loaded runs on each component), OnCreate, then OnShow when first shown,
// OnActivate/OnDeactivate as it gains and loses the active state,
// OnCloseQuery/OnClose when closed, OnHide when hidden, OnDestroy when freed.
//
// Application: the first form made by CreateForm is the main form; closing
// it ends Run. Application->Handle is a hidden top-level window that owns the
// program's popups and hints. An exception escaping an event handler is
// given to HandleException (OnException, or a message box) and the loop goes on.
//
// Threads: GUI thread only, except TApplication::Terminate which may be
// called from any thread.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/forms/Controls.h"

namespace forms {

class TMainMenu;
class TIcon;

enum TModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8,
  mrNoToAll = 9, mrYesToAll = 10, mrClose = 11
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TShortCutEvent = std::function<void(win::MSG& Msg, bool& Handled)>;
using TMessageEvent = std::function<void(win::MSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

// ------------------------------------------------------------------ TCustomForm
class TCustomForm : public TCustomControl {
 public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Fires OnCreate once; Application->CreateForm and the form builders call it
  // when the form is complete.
  void AfterConstruction();

  void Show();
  void Hide() { SetVisible(false); }
  int ShowModal();
  void Close();
  virtual bool CloseQuery();
  void Release() { TControl::Release(); }
  bool Active() const { return active_; }
  bool Modal() const { return inModal_; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int v) { modalResult_ = v; }

  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* c);
  // Gives the focus to a control of the form (the control is remembered and
  // focused when the form becomes active). Raises EInvalidOperation when it
  // cannot take the focus.
  void FocusControl(TWinControl* c);
  // Called when a control of the form got the keyboard focus.
  bool SetFocusedControl(TWinControl* c);
  void DefocusControl(TWinControl* c, bool removing);
  // CM_CANCELMODE (LParam = sender) to the focused control.
  void SendCancelMode(TControl* sender);

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons v);
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle v);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TWindowState WindowState() const;
  void SetWindowState(TWindowState v);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool v) { keyPreview_ = v; }
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* m);
  TIcon* Icon();
  bool AutoScroll() const { return false; }
  const String& HelpFile() const { return helpFile_; }
  void SetHelpFile(const String& v) { helpFile_ = v; }

  // Shortcuts: OnShortCut first, then the main menu's items.
  virtual bool IsShortCut(win::MSG& msg);

  TNotifyEvent OnCreate, OnShow, OnHide, OnActivate, OnDeactivate, OnDestroy, OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;

  void Dispatch(TMessage& message) override;
  void Notification(TComponent* component, rtl::TOperation operation) override;
  bool Showing() const override;
  // A form's key events run before its controls' when KeyPreview is on.
  bool PreviewKeyDown(rtl::Word& key, TShiftState shift);
  bool PreviewKeyPress(char16_t& key);
  bool PreviewKeyUp(rtl::Word& key, TShiftState shift);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Paint() override;
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  void CMDialogKey(TMessage& m);
  void VisibleChanged();
  void PlaceOnFirstShow();
  void SetActive(bool active);
  void CloseModal();
  void ApplyIcon();

  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle formStyle_ = fsNormal;
  TPosition position_ = poDesigned;
  bool keyPreview_ = false;
  bool active_ = false;
  bool inModal_ = false;
  bool created_ = false;
  bool destroyed_ = false;
  bool shownOnce_ = false;
  int modalResult_ = 0;
  TMainMenu* menu_ = nullptr;
  std::unique_ptr<TIcon> icon_;
  String helpFile_;
};

class TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// ------------------------------------------------------------------ hints
// The window that shows a hint. The skin library replaces it through
// Application->HintWindowClass.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  // Shows the text in a rectangle of the screen.
  virtual void ActivateHint(TRect rect, const String& hint);
  // The rectangle (at 0, 0) the text needs, lines broken at maxWidth.
  virtual TRect CalcHintRect(int maxWidth, const String& hint);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
  void Dispatch(TMessage& message) override;
};
using THintWindowClass = std::function<THintWindow*(TComponent* owner)>;

// What a hint about to be shown will be; OnShowHint may change it.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint HintPos;  // screen
  int HintMaxWidth = 0;
  TColor HintColor = gdi::clInfoBk;
  TRect CursorRect;  // control coordinates: the hint stays while the pointer stays here
  TPoint CursorPos;  // control coordinates
  String HintStr;
  int HideTimeout = 0;
};
using TShowHintEvent = std::function<void(String& HintStr, bool& CanShow, THintInfo& HintInfo)>;

// ------------------------------------------------------------------ TApplication
class TApplication : public TComponent {
 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  void Initialize();
  // Creates a form of type F owned by the application; the first one becomes
  // the main form.
  template <class F>
  F* CreateForm() {
    F* f = new F(this);
    AddCreatedForm(f);
    return f;
  }
  void Run();
  // Runs every pending message, then returns.
  void ProcessMessages();
  // Runs one message, or idles and waits for one.
  void HandleMessage();
  bool ProcessMessage(win::MSG& msg);
  void Terminate();
  bool Terminated() const { return terminated_; }
  void Minimize();
  void Restore();
  void BringToFront();

  HWND Handle();  // the hidden window that owns popups and hints
  TCustomForm* MainForm() const { return mainForm_; }
  const String& Title() const { return title_; }
  void SetTitle(const String& v);
  const String& HelpFile() const { return helpFile_; }
  void SetHelpFile(const String& v) { helpFile_ = v; }
  bool Active() const { return activeCount_ > 0; }

  // Exceptions from event handlers.
  void HandleException(TObject* sender);
  void ShowException(const std::exception& e);
  int MessageBox(const String& text, const String& caption, unsigned flags = 0);

  // Hints.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  int HintPause = 500, HintShortPause = 50, HintHidePause = 2500;
  TColor HintColor = gdi::clInfoBk;
  // The class of the hint window (empty: THintWindow); setting it drops the
  // hint window made so far.
  const THintWindowClass& HintWindowClass() const { return hintWindowClass_; }
  void SetHintWindowClass(THintWindowClass cls);
  void ActivateHint(TPoint cursorPos);
  void CancelHint();
  void HideHint();
  THintWindow* HintWindow() const { return hintWindow_; }
  TControl* HintControl() const { return hintControl_; }
  // Called for mouse messages of controls (hint timing follows the pointer).
  void HintMouseMessage(TControl* control, const TMessage& m);

  TMessageEvent OnMessage;
  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TShowHintEvent OnShowHint;
  TNotifyEvent OnHint, OnActivate, OnDeactivate, OnMinimize, OnRestore;

  // Called by forms as they are activated (true) and deactivated.
  void FormActivated(TCustomForm* f, bool active);
  void Notification(TComponent* component, rtl::TOperation operation) override;

 private:
  void AddCreatedForm(TCustomForm* f);
  void Idle();
  void HintTimerExpired();
  void StartHintTimer(int ms, int kind);
  void StopHintTimer();
  static win::LRESULT AppWndProc(HWND h, win::UINT msg, win::WPARAM w, win::LPARAM l);

  HWND handle_ = nullptr;
  win::DWORD guiThread_ = 0;
  THintWindowClass hintWindowClass_;
  TCustomForm* mainForm_ = nullptr;
  String title_, helpFile_;
  std::atomic<bool> terminated_{false};
  bool running_ = false;
  int activeCount_ = 0;
  bool showHint_ = true;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TLiveness hintControlLive_;
  TRect hintCursorRect_;
  int hintTimerKind_ = 0;  // 0 none, 1 show, 2 hide
  std::uintptr_t hintTimerId_ = 0;
  bool hintActive_ = false;
  bool handlingException_ = false;
};

// ------------------------------------------------------------------ TScreen
class TScreen : public TComponent {
 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int FormCount() const { return int(forms_.size()); }
  TCustomForm* Forms(int i) const { return forms_.at(std::size_t(i)); }
  int CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(int i) const { return Forms(i); }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TCustomForm* ActiveCustomForm() const { return activeForm_; }
  TWinControl* ActiveControl() const;

  // Screen-wide cursor (crDefault: each control's own).
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  win::HCURSOR Cursors(TCursor c) const;
  void SetCursors(TCursor c, win::HCURSOR h);

  int Width() const;
  int Height() const;
  TRect WorkAreaRect() const;
  int WorkAreaLeft() const { return WorkAreaRect().Left; }
  int WorkAreaTop() const { return WorkAreaRect().Top; }
  int WorkAreaWidth() const { return WorkAreaRect().Width(); }
  int WorkAreaHeight() const { return WorkAreaRect().Height(); }
  int MonitorCount() const;
  int PixelsPerInch() const { return 96; }
  // Font families installed (sorted, no duplicates).
  rtl::TStrings* Fonts();
  gdi::TFont* HintFont() { return hintFont_.get(); }
  gdi::TFont* MenuFont() { return menuFont_.get(); }
  gdi::TFont* IconFont() { return iconFont_.get(); }

  TNotifyEvent OnActiveFormChange, OnActiveControlChange;

  void AddForm(TCustomForm* f);
  void RemoveForm(TCustomForm* f);
  void SetActiveForm(TCustomForm* f);
  // Moves a form to the front of Forms (forms are kept in z-order of activation).
  void FormToFront(TCustomForm* f);

 private:
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCursor cursor_ = crDefault;
  std::unique_ptr<rtl::TStringList> fonts_;
  std::unique_ptr<gdi::TFont> hintFont_, menuFont_, iconFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// Creates Application and Screen (once) over an initialised window system.
void InitForms();
// Frees every form, Application and Screen.
void DoneForms();

}  // namespace forms
