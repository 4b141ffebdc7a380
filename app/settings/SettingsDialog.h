// The settings dialog "设置选项" (TForm6): a category picker, a format picker
// and six preset boxes over the dialog's own copy of the profile tables, and
// OK, which writes the chosen profile's codec parameters, a unique output
// name and the preset choices into the main window's Video_ fields.
//
// The program creates it at start-up, last of its forms. Its creation builds
// the catalogue of category 0 and so loads the presets of profile 0, which
// sets Video_DisableVideo to False; it changes no other field. Every action
// is a hidden command button's click handler (Button2, Button5, Button6,
// Button13, Button18); the pickers, OK and the creation only click them.
//
// GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "app/settings/SettingsPickers.h"
#include "app/settings/SettingsSteps.h"
#include "app/tables/OutputFileName.h"
#include "app/tables/VideoFields.h"
#include "engine/FFmpegVCL.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinPageControl.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace settings {

// What the dialog uses of the main window and the options dialog.
struct TSettingsHost {
  tables::TVideoFields* Video = nullptr;       // the main window's Video_ fields (required)
  std::function<rtl::String()> OutputFolder;    // the output-folder edit's text
  std::function<bool()> OverwriteOutput;        // "直接覆盖输出文件" is checked
  skin::TbsSkinData* SkinData = nullptr;        // the main window's skin data (nullptr: plain look)
  tables::TFileExistsFunc FileExists;           // empty: the file system
};

class TForm6 : public forms::TForm {
 public:
  // Builds the dialog and runs its start-up (catalogue of category 0, presets
  // of profile 0). Raises EInvalidOperation without Host.Video.
  TForm6(rtl::TComponent* AOwner, const TSettingsHost& Host);
  ~TForm6() override;

  // Shows the dialog modally: mrOk after OK wrote the fields, else mrCancel.
  int Execute() { return ShowModal(); }

  // The profile the pickers show: category (the format group) and format.
  tables::TProfileSelection Selection() const;

  // Event handlers and commands.
  void FormCreate(rtl::TObject* Sender);
  void bsSkinOfficeComboBox2Change(rtl::TObject* Sender);  // category chosen
  void bsSkinOfficeComboBox1Click(rtl::TObject* Sender);   // format chosen
  void bsSkinButton2Click(rtl::TObject* Sender);           // OK
  void bsSkinButton3Click(rtl::TObject* Sender);           // Cancel
  void Button2Click(rtl::TObject* Sender);                 // catalogue step
  void Button5Click(rtl::TObject* Sender);                 // codec step
  void Button6Click(rtl::TObject* Sender);                 // reset
  void Button13Click(rtl::TObject* Sender);                // preset apply
  void Button18Click(rtl::TObject* Sender);                // preset load

  skin::TbsBusinessSkinForm* bsBusinessSkinForm1 = nullptr;
  skin::TbsSkinPanel* bsSkinPanel2 = nullptr;
  skin::TbsSkinTextLabel* bsSkinTextLabel5 = nullptr;  // "输出格式："
  TOfficePicker* bsSkinOfficeComboBox1 = nullptr;      // format picker
  TOfficePicker* bsSkinOfficeComboBox2 = nullptr;      // category picker
  skin::TbsSkinButton* bsSkinButton1 = nullptr;        // "设置", hidden
  forms::TPanel* Panel1 = nullptr;                     // command panel
  forms::TImage* Image1 = nullptr;
  forms::TButton* Button6 = nullptr;   // "初始化数据"
  forms::TButton* Button5 = nullptr;   // "根据combox添加数据"
  forms::TButton* Button7 = nullptr;   // "确认oo数据"
  forms::TButton* Button2 = nullptr;   // "添加combox"
  forms::TButton* Button13 = nullptr;  // "确认预置选项数据"
  forms::TButton* Button11 = nullptr;  // "onchange用"
  forms::TButton* Button18 = nullptr;  // "根据combox添加预设选项"
  engine::TFFmpegVCL* FFVCL = nullptr;
  forms::TImageList* ImageList1 = nullptr;
  forms::TImageList* ImageList2 = nullptr;
  skin::TbsSkinPageControl* bsSkinPageControl1 = nullptr;
  skin::TbsSkinTabSheet* bsSkinTabSheet1 = nullptr;  // "标准参数设置"
  skin::TbsSkinTabSheet* bsSkinTabSheet2 = nullptr;  // "剪辑设置"
  skin::TbsSkinTabSheet* bsSkinTabSheetFilter = nullptr;  // "滤镜设置" (component names are ASCII here)
  skin::TbsSkinTabSheet* bsSkinTabSheet3 = nullptr;  // "文字水印"
  skin::TbsSkinTextLabel* PresetLabels[6] = {};      // in fill order
  TPresetComboBox* bsSkinComboBox1 = nullptr;   // frame size
  TPresetComboBox* bsSkinComboBox2 = nullptr;   // video bit rate
  TPresetComboBox* bsSkinComboBox9 = nullptr;   // frame rate
  TPresetComboBox* bsSkinComboBox4 = nullptr;   // aspect mode
  TPresetComboBox* bsSkinComboBox3 = nullptr;   // audio bit rate
  TPresetComboBox* bsSkinComboBox10 = nullptr;  // audio sample rate
  skin::TbsSkinButton* bsSkinButton3 = nullptr;  // "取消"
  skin::TbsSkinButton* bsSkinButton2 = nullptr;  // "确定"

 private:
  class TFormatPicker;
  class TPresetBox;
  tables::TPresetBoxes PresetBoxes();

  TSettingsHost FHost;
  std::unique_ptr<TFormatPicker> FFormatPicker;
  std::unique_ptr<TPresetBox> FPresetBoxes[6];
};

// The form description (SettingsDialogLayout.cpp).
void BuildForm6(TForm6* Form, skin::TbsSkinData* SkinData);

}  // namespace settings
