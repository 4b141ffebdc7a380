// The options dialog "选项": after-done action, overwrite policy, thread
// count, live preview and worker priority, read from option.ini when the
// dialog is created and written back by "确定".
//
// The rest of the program reads the dialog's controls, not the file: the
// accessors below give their current state. "取消" closes without writing,
// but the controls keep what the user set. The live-preview box reaches the
// engine at once through SetPreview, also when it is set by the reader.
//
// GUI thread only.
#pragma once

#include <array>
#include <functional>

#include "app/forms/PickerControls.h"
#include "app/options/OptionIni.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinCheckRadio.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace appforms {

class TForm5 : public forms::TForm {
 public:
  using TPreviewSetter = std::function<void(bool Preview)>;

  // Builds the dialog and reads the Options section of Ini into it (the
  // values that are not set or not recognised are written back as their
  // defaults). SkinData: the main window's (nullptr: the plain look).
  // SetPreview: the engine's live preview, called whenever the live-preview
  // box changes (may be empty). A write-back that fails does not stop the
  // creation: the controls keep what was read and LastError says why.
  TForm5(rtl::TComponent* AOwner, skin::TbsSkinData* SkinData, app::TOptionIni& Ini,
         TPreviewSetter SetPreview = {});

  // Shows the dialog modally; mrOk after "确定" wrote the file, else mrCancel.
  int Execute() { return ShowModal(); }

  // The controls' current state.
  app::TConversionOptions Options() const;
  // "直接覆盖输出文件" is checked.
  bool OverwriteOutput() const { return bsSkinCheckRadioBox3->Checked(); }
  // The number of files converted at once: the box's number when
  // multi-threading is on, else 1.
  int ThreadCount() const;
  const rtl::String& LastError() const { return FLastError; }

  // Handlers and hidden commands.
  void FormCreate(rtl::TObject* Sender);
  void Button1Click(rtl::TObject* Sender);  // "读取ini"
  void Button2Click(rtl::TObject* Sender);  // "写ini"
  void bsSkinButton6Click(rtl::TObject* Sender);  // "确定"
  void bsSkinButton1Click(rtl::TObject* Sender);  // "取消"
  void bsSkinCheckRadioBox7Click(rtl::TObject* Sender);
  void bsSkinCheckRadioBox8Click(rtl::TObject* Sender);

  skin::TbsBusinessSkinForm* bsBusinessSkinForm1 = nullptr;
  skin::TbsSkinGroupBox* bsSkinGroupBox1 = nullptr;  // "转换工作完成后"
  skin::TbsSkinGroupBox* bsSkinGroupBox2 = nullptr;  // "如果输出文件存在时"
  skin::TbsSkinGroupBox* bsSkinGroupBox3 = nullptr;  // "转换参数"
  skin::TbsSkinGroupBox* bsSkinGroupBox4 = nullptr;  // "转换时CPU利用方式"
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox1 = nullptr;   // after-done 0
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox2 = nullptr;   // after-done 1
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox4 = nullptr;   // after-done 2
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox5 = nullptr;   // after-done 3
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox3 = nullptr;   // overwrite
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox6 = nullptr;   // rename
  skin::TbsSkinStdLabel* bsSkinStdLabel1 = nullptr;
  TPresetComboBox* bsSkinComboBox2 = nullptr;                   // thread count "1" … "19"
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox7 = nullptr;   // multi-thread mode (hidden)
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox8 = nullptr;   // live preview
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox9 = nullptr;   // priority 0
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox10 = nullptr;  // priority 1
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox11 = nullptr;  // priority 2
  skin::TbsSkinCheckRadioBox* bsSkinCheckRadioBox12 = nullptr;  // priority 3
  skin::TbsSkinButton* bsSkinButton6 = nullptr;                 // "确定"
  skin::TbsSkinButton* bsSkinButton1 = nullptr;                 // "取消"
  forms::TButton* Button1 = nullptr;                            // "读取ini" (hidden)
  forms::TButton* Button2 = nullptr;                            // "写ini" (hidden)

 private:
  std::array<skin::TbsSkinCheckRadioBox*, 4> AfterDoneBoxes() const;
  std::array<skin::TbsSkinCheckRadioBox*, 4> PriorityBoxes() const;

  app::TOptionIni& FIni;
  TPreviewSetter FSetPreview;
  rtl::String FLastError;
};

// The form description (OptionsDialogLayout.cpp).
void BuildForm5(TForm5* Form, skin::TbsSkinData* SkinData);

}  // namespace appforms
