// The preview group: the selected file in the player on the video panel,
// the seek slider, play, pause, stop, mute, and snapshots of the picture on
// screen with their folder and picture type.
#include "app/mainform/MainForm.h"

#include "app/options/Snapshot.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/SystemServices.h"
#include "platform/win/WinApi.h"

namespace app {

namespace {

const char16_t* StateName(player::TPlayState s) {
  switch (s) {
    case player::psPlay: return u"Play";
    case player::psPause: return u"Pause";
    case player::psResume: return u"Resume";
    case player::psStep: return u"Step";
    case player::psStop: return u"Stop";
    case player::psEnd: return u"End";
  }
  return u"";
}

}  // namespace

void TForm1::Button31Click(rtl::TObject*) {
  if (!RIDodevu) return;
  if (playerWaits_ > 0) {
    // Another row chosen while the player opens or stops: it follows.
    previewPending_ = true;
    return;
  }
  if (!RIDodevu->AVLibLoaded()) {
    const rtl::String folder = env_.LibraryFolder.empty() ? ProgramFolder() + u"LibAV" : env_.LibraryFolder;
    if (!RIDodevu->LoadAVLib(folder)) {
      Log(RIDodevu->LastErrMsg());
      return;
    }
  }
  FScreenControl = nullptr;
  const rtl::String screen = cboScreens->ItemIndex() >= 0 ? cboScreens->Items()->Get(cboScreens->ItemIndex()) : rtl::String();
  for (int i = 0; i < ControlCount() && !FScreenControl; ++i)
    if (auto* w = dynamic_cast<forms::TWinControl*>(Controls(i)); w && w->Name() == screen) FScreenControl = w;
  const win::HWND handle = FScreenControl ? FScreenControl->Handle() : Panel6->Handle();
  {
    TPlayerWait wait(this);
    do {
      previewPending_ = false;
      if (!RIDodevu->Open(T_Movie_PLayer_FileName, handle, true)) Log(RIDodevu->LastErrMsg());
    } while (previewPending_ && !closeAfterWait_);
  }
  CloseIfAskedDuringWait();
}

void TForm1::FFPlayerFileOpen(rtl::TObject*, std::int64_t ADuration, int AFrameWidth, int AFrameHeight,
                              int& AScreenWidth, int& AScreenHeight) {
  // The file the player opened, described by the player's own probe.
  if (player::TAVProbe* probe = RIDodevu ? RIDodevu->AVProbe() : nullptr) Log(probe->FileInfoText());
  Log(rtl::Format(u"duration: %f, frame size: %dx%d", {double(ADuration) / 1000000.0, AFrameWidth, AFrameHeight}));
  if (FScreenControl) {
    AScreenWidth = FScreenControl->Width();
    AScreenHeight = FScreenControl->Height();
  } else {
    AScreenWidth = win::GetSystemMetrics(win::SM_CXSCREEN);
    AScreenHeight = win::GetSystemMetrics(win::SM_CYSCREEN);
  }
  FDuration = ADuration;
  bsSkinSlider1->SetIncrement(5);
  bsSkinSlider1->SetMaxValue(bsSkinSlider1->Width());
  bsSkinSlider1->SetValue(0);
  FTrackChanging = true;
  bsSkinSlider1->SetValue(0);
  FTrackChanging = false;
}

void TForm1::FFPlayerPosition(rtl::TObject*, std::int64_t APTS) {
  if (closing_ || bsSkinSlider1_down_UP != u"UP") return;
  if (APTS >= 0 && FDuration > 0) bsSkinSlider1->SetValue(int(std::int64_t(bsSkinSlider1->MaxValue()) * APTS / FDuration));
}

void TForm1::FFPlayerState(rtl::TObject*, player::TPlayState AState) {
  if (closing_) return;
  Log(StateName(AState));
  if (!RIDodevu) return;
  if (AState == player::psStop) {
    if (FScreenControl) {
      FScreenControl->Invalidate();
      FScreenControl->Update();
    }
  } else if (AState == player::psEnd) {
    RIDodevu->Seek(std::int64_t(0), engine::TSeekFlags{engine::sfAny}, false);
    RIDodevu->Pause();
  }
}

void TForm1::bsSkinSlider1MouseDown(rtl::TObject*) {
  bsSkinSlider1_down_UP = u"Down";
  if (RIDodevu) RIDodevu->Pause();
}

void TForm1::bsSkinSlider1MouseUp(rtl::TObject*) {
  if (RIDodevu) {
    RIDodevu->Pause();
    // Nothing to seek in before a file has opened, nor along an empty slider.
    if (FDuration > 0 && bsSkinSlider1->MaxValue() > 0)
      RIDodevu->Seek(FDuration * bsSkinSlider1->Value() / bsSkinSlider1->MaxValue(), engine::TSeekFlags{}, false);
    RIDodevu->Resume();
  }
  bsSkinSlider1_down_UP = u"UP";
}

void TForm1::bsSkinButton13Click(rtl::TObject*) {
  if (RIDodevu) RIDodevu->Resume();
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::bsSkinButton14Click(rtl::TObject*) {
  if (RIDodevu) RIDodevu->Pause();
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::bsSkinButton15Click(rtl::TObject*) {
  if (SelectedRow() < 0 || !RIDodevu) return;
  if (playerWaits_ > 0) {
    previewPending_ = true;
    return;
  }
  {
    TPlayerWait wait(this);
    try {
      RIDodevu->Stop(true);
      const win::HWND handle = FScreenControl ? FScreenControl->Handle() : Panel6->Handle();
      if (!RIDodevu->Open(T_Movie_PLayer_FileName, handle, true)) Log(RIDodevu->LastErrMsg());
      if (lvFiles->CanFocus()) lvFiles->SetFocus();
    } catch (const rtl::Exception&) {
      RIDodevu->Stop(true);
    }
  }
  CloseIfAskedDuringWait();
}

void TForm1::bsSkinButton16Click(rtl::TObject*) {
  if (RIDodevu) RIDodevu->SetMute(true);
  bsSkinButton20->SetVisible(true);
  bsSkinButton16->SetVisible(false);
}

void TForm1::bsSkinButton20Click(rtl::TObject*) {
  if (RIDodevu) RIDodevu->SetMute(false);
  bsSkinButton16->SetVisible(true);
  bsSkinButton20->SetVisible(false);
}

TSnapshotPicture TForm1::ResolvePictureType() {
  TSnapshotPicture picture = TSnapshotPicture::Bmp;
  try {
    picture = ini_->ReadPictureType();
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
  }
  const std::pair<forms::TMenuItem*, TSnapshotPicture> items[] = {
      {BMP1, TSnapshotPicture::Bmp}, {JPG1, TSnapshotPicture::Jpg}, {GIF1, TSnapshotPicture::Gif}, {PNG1, TSnapshotPicture::Png}};
  for (const auto& [item, type] : items)
    if (item && type == picture) item->SetChecked(true);
  return picture;
}

rtl::String TForm1::TakeSnapshot(gdi::TBitmap& frame) {
  rtl::String folder;
  try {
    folder = ini_->ResolveSnapshotFolder();
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
    folder = DefaultSnapshotFolder();
  }
  const TSnapshotPicture picture = ResolvePictureType();
  return SaveSnapshot(frame, folder, T_Movie_PLayer_FileName, picture);
}

void TForm1::bsSkinButton22Click(rtl::TObject*) {
  gdi::TBitmap frame;
  if (RIDodevu)
    if (gdi::TBitmap* current = RIDodevu->CurrentFrame()) frame.Assign(current);
  try {
    TakeSnapshot(frame);
  } catch (const rtl::Exception& e) {
    ShowMessage(rtl::String(e.Message()));
  }
}

void TForm1::bsSkinButton23Click(rtl::TObject*) { ResolvePictureType(); }

void TForm1::MenuItem1Click(rtl::TObject*) {
  rtl::String folder;
  try {
    folder = ini_->ResolveSnapshotFolder();
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
    return;
  }
  shell::OpenDocument(folder);
}

void TForm1::MenuItem2Click(rtl::TObject*) {
  if (env_.Dialogs) env_.Dialogs->ExecuteSelectDirectory(bsSkinSelectDirectoryDialog2);
  const rtl::String folder = bsSkinSelectDirectoryDialog2.Directory;
  if (folder.empty() || !rtl::DirectoryExists(folder)) return;
  try {
    ini_->WriteSnapshotFolder(folder);
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
  }
}

// ---------------------------------------------------------------- form description

void BuildForm1Preview(TForm1* f) {
  auto click = [f](void (TForm1::*handler)(rtl::TObject*)) {
    return [f, handler](rtl::TObject* sender) { (f->*handler)(sender); };
  };
  const std::pair<skin::TbsSkinButton**, const char16_t*> buttons[] = {
      {&f->bsSkinButton13, u"bsSkinButton13"}, {&f->bsSkinButton14, u"bsSkinButton14"},
      {&f->bsSkinButton15, u"bsSkinButton15"}, {&f->bsSkinButton16, u"bsSkinButton16"},
      {&f->bsSkinButton20, u"bsSkinButton20"}, {&f->bsSkinButton22, u"bsSkinButton22"},
      {&f->bsSkinButton23, u"bsSkinButton23"}};
  for (const auto& [field, name] : buttons) *field = dynamic_cast<skin::TbsSkinButton*>(f->FindComponent(name));
  f->bsSkinButton13->OnClick = click(&TForm1::bsSkinButton13Click);
  f->bsSkinButton14->OnClick = click(&TForm1::bsSkinButton14Click);
  f->bsSkinButton15->OnClick = click(&TForm1::bsSkinButton15Click);
  f->bsSkinButton16->OnClick = click(&TForm1::bsSkinButton16Click);
  f->bsSkinButton20->OnClick = click(&TForm1::bsSkinButton20Click);
  f->bsSkinButton22->OnClick = click(&TForm1::bsSkinButton22Click);
  f->bsSkinButton23->OnClick = click(&TForm1::bsSkinButton23Click);

  // The snapshot menu: folder commands and the picture type.
  f->bsSkinPopupMenu2 = new skin::TbsSkinPopupMenu(f);
  f->bsSkinPopupMenu2->SetName(u"bsSkinPopupMenu2");
  f->bsSkinPopupMenu2->SetSkinData(f->bsSkinData1);
  auto item = [f](forms::TMenuItem* parent, const char16_t* name, const char16_t* caption) {
    auto* it = new forms::TMenuItem(f);
    it->SetName(name);
    it->SetCaption(caption);
    parent->Add(it);
    return it;
  };
  forms::TMenuItem* root = f->bsSkinPopupMenu2->Items();
  f->MenuItem1 = item(root, u"MenuItem1", u"打开快照目录");
  f->MenuItem1->OnClick = click(&TForm1::MenuItem1Click);
  f->MenuItem2 = item(root, u"MenuItem2", u"设置快照目录");
  f->MenuItem2->OnClick = click(&TForm1::MenuItem2Click);
  item(root, u"MenuItem3", u"-");
  forms::TMenuItem* types = item(root, u"MenuItem4", u"快照保存类型");
  const std::tuple<forms::TMenuItem**, const char16_t*, const char16_t*, TSnapshotPicture> pictures[] = {
      {&f->BMP1, u"BMP1", u"BMP文件", TSnapshotPicture::Bmp},
      {&f->JPG1, u"JPG1", u"JPG文件", TSnapshotPicture::Jpg},
      {&f->GIF1, u"GIF1", u"GIF文件", TSnapshotPicture::Gif},
      {&f->PNG1, u"PNG1", u"PNG文件", TSnapshotPicture::Png}};
  for (const auto& [field, name, caption, picture] : pictures) {
    auto* it = item(types, name, caption);
    it->SetRadioItem(true);
    it->SetGroupIndex(1);
    it->OnClick = [f, it, picture = picture](rtl::TObject*) {
      try {
        f->OptionIni().WritePictureType(picture);
      } catch (const EOptionIniWriteError& e) {
        f->Log(rtl::String(e.Message()));
      }
      it->SetChecked(true);
    };
    *field = it;
  }
  f->BMP1->SetChecked(true);
  f->bsSkinButton23->SetPopupMenu(f->bsSkinPopupMenu2);
  f->bsSkinButton23->OnMouseDown = [f](rtl::TObject*, forms::TMouseButton button, forms::TShiftState, int, int) {
    if (button != forms::mbLeft) return;
    win::POINT p{};
    win::GetCursorPos(&p);
    f->bsSkinPopupMenu2->Popup(p.X, p.Y);
  };

  // The seek slider and the player.
  f->bsSkinSlider1->OnMouseDown = [f](rtl::TObject* s, forms::TMouseButton, forms::TShiftState, int, int) {
    f->bsSkinSlider1MouseDown(s);
  };
  f->bsSkinSlider1->OnMouseUp = [f](rtl::TObject* s, forms::TMouseButton, forms::TShiftState, int, int) {
    f->bsSkinSlider1MouseUp(s);
  };
  if (f->RIDodevu) {
    f->RIDodevu->OnFileOpen = [f](rtl::TObject* s, int64_t d, int w, int h, int& sw, int& sh) {
      f->FFPlayerFileOpen(s, d, w, h, sw, sh);
    };
    f->RIDodevu->OnPosition = [f](rtl::TObject* s, int64_t pts) { f->FFPlayerPosition(s, pts); };
    f->RIDodevu->OnState = [f](rtl::TObject* s, player::TPlayState st) { f->FFPlayerState(s, st); };
  }
}

}  // namespace app
