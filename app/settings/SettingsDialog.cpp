#include "app/settings/SettingsDialog.h"

#include "platform/rtl/Exceptions.h"

namespace settings {

// The format picker as the catalogue step fills it.
class TForm6::TFormatPicker : public tables::IFormatPicker {
 public:
  explicit TFormatPicker(TOfficePicker* APicker) : FPicker(APicker) {}
  void ClearItems() override { FPicker->Items()->Clear(); }
  void AddItem(const rtl::String& Title, const rtl::String& Caption, int ImageIndex) override {
    skin::TbsSkinOfficeItem* item = FPicker->Items()->Add();
    item->SetTitle(Title);
    item->SetCaption(Caption);
    item->SetImageIndex(ImageIndex);
  }
  void Repaint() override { FPicker->Repaint(); }
  void SetItemIndex(int Index) override { FPicker->SetItemIndex(Index); }

 private:
  TOfficePicker* FPicker;
};

// A preset box as the preset load fills it.
class TForm6::TPresetBox : public tables::IPresetBox {
 public:
  explicit TPresetBox(TPresetComboBox* ABox) : FBox(ABox) {}
  void ClearItems() override { FBox->Items()->Clear(); }
  void SetEnabled(bool Enabled) override { FBox->SetEnabled(Enabled); }
  void AddItem(const rtl::String& Text) override { FBox->Items()->Add(Text); }
  void SetItemIndex(int Index) override { FBox->SetItemIndex(Index); }

 private:
  TPresetComboBox* FBox;
};

TForm6::TForm6(rtl::TComponent* AOwner, const TSettingsHost& Host) : forms::TForm(AOwner), FHost(Host) {
  if (!FHost.Video) throw rtl::EInvalidOperation("The settings dialog needs the main window's fields");
  OnCreate = [this](rtl::TObject* S) { FormCreate(S); };
  BuildForm6(this, FHost.SkinData);
}

TForm6::~TForm6() = default;

tables::TProfileSelection TForm6::Selection() const {
  return {bsSkinOfficeComboBox2->ItemIndex(), bsSkinOfficeComboBox1->ItemIndex()};
}

tables::TPresetBoxes TForm6::PresetBoxes() {
  TPresetComboBox* const boxes[6] = {bsSkinComboBox1, bsSkinComboBox2,  bsSkinComboBox9,
                                     bsSkinComboBox3, bsSkinComboBox10, bsSkinComboBox4};
  tables::TPresetBoxes r{};
  for (int i = 0; i < 6; ++i) {
    if (!FPresetBoxes[i]) FPresetBoxes[i] = std::make_unique<TPresetBox>(boxes[i]);
    r[std::size_t(i)] = FPresetBoxes[i].get();
  }
  return r;
}

void TForm6::FormCreate(rtl::TObject*) { Button2->Click(); }

void TForm6::bsSkinOfficeComboBox2Change(rtl::TObject*) { Button2->Click(); }

void TForm6::bsSkinOfficeComboBox1Click(rtl::TObject*) { Button18->Click(); }

void TForm6::bsSkinButton2Click(rtl::TObject*) {
  forms::TLiveness live = Liveness();
  Button5->Click();
  if (!live.Alive()) return;
  Button13->Click();
  if (!live.Alive()) return;
  if (Modal()) SetModalResult(forms::mrOk);
  else Close();
}

void TForm6::bsSkinButton3Click(rtl::TObject*) { Close(); }

void TForm6::Button2Click(rtl::TObject*) {
  if (!FFormatPicker) FFormatPicker = std::make_unique<TFormatPicker>(bsSkinOfficeComboBox1);
  SettingsBuildFormatList(bsSkinOfficeComboBox2->ItemIndex(), *FFormatPicker);
}

void TForm6::Button5Click(rtl::TObject*) {
  TSettingsCodecInput input;
  input.Selection = Selection();
  if (FHost.OutputFolder) input.OutputFolder = FHost.OutputFolder();
  input.Overwrite = FHost.OverwriteOutput && FHost.OverwriteOutput();
  if (FHost.FileExists) SettingsCodecStep(*FHost.Video, input, FHost.FileExists);
  else SettingsCodecStep(*FHost.Video, input);
}

void TForm6::Button6Click(rtl::TObject*) { FHost.Video->Reset(); }

void TForm6::Button13Click(rtl::TObject*) {
  tables::TPresetTexts texts;
  texts[tables::pbFrameSize] = bsSkinComboBox1->Text();
  texts[tables::pbVideoBitrate] = bsSkinComboBox2->Text();
  texts[tables::pbFrameRate] = bsSkinComboBox9->Text();
  texts[tables::pbAudioBitrate] = bsSkinComboBox3->Text();
  texts[tables::pbSampleRate] = bsSkinComboBox10->Text();
  texts[tables::pbAspectMode] = bsSkinComboBox4->Text();
  SettingsApplyPresets(texts, *FHost.Video);
}

void TForm6::Button18Click(rtl::TObject*) { SettingsLoadPresets(Selection(), PresetBoxes(), *FHost.Video); }

}  // namespace settings
