#include "app/forms/OptionsDialog.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace appforms {

TForm5::TForm5(rtl::TComponent* AOwner, skin::TbsSkinData* SkinData, app::TOptionIni& Ini,
               TPreviewSetter SetPreview)
    : forms::TForm(AOwner), FIni(Ini), FSetPreview(std::move(SetPreview)) {
  OnCreate = [this](rtl::TObject* S) { FormCreate(S); };
  BuildForm5(this, SkinData);
}

std::array<skin::TbsSkinCheckRadioBox*, 4> TForm5::AfterDoneBoxes() const {
  return {bsSkinCheckRadioBox1, bsSkinCheckRadioBox2, bsSkinCheckRadioBox4, bsSkinCheckRadioBox5};
}

std::array<skin::TbsSkinCheckRadioBox*, 4> TForm5::PriorityBoxes() const {
  return {bsSkinCheckRadioBox9, bsSkinCheckRadioBox10, bsSkinCheckRadioBox11, bsSkinCheckRadioBox12};
}

namespace {

// The index of the checked box of a group, -1 when none is.
template <std::size_t N>
int CheckedIndex(const std::array<skin::TbsSkinCheckRadioBox*, N>& Boxes) {
  for (std::size_t i = 0; i < N; ++i)
    if (Boxes[i]->Checked()) return int(i);
  return -1;
}

}  // namespace

int TForm5::ThreadCount() const {
  if (!bsSkinCheckRadioBox7->Checked()) return 1;
  const int n = rtl::StrToIntDef(bsSkinComboBox2->Text(), 1);
  return n >= 1 && n <= 19 ? n : 1;
}

app::TConversionOptions TForm5::Options() const {
  app::TConversionOptions o;
  o.ThreadCount = ThreadCount();
  o.AfterDone = std::max(0, CheckedIndex(AfterDoneBoxes()));
  o.ShowPreview = bsSkinCheckRadioBox8->Checked();
  o.ThreadPriority = CheckedIndex(PriorityBoxes());
  if (o.ThreadPriority < 0) o.ThreadPriority = 3;
  o.Overwrite = bsSkinCheckRadioBox3->Checked();
  return o;
}

void TForm5::FormCreate(rtl::TObject*) { Button1->Click(); }

void TForm5::Button1Click(rtl::TObject*) {
  app::TConversionOptions current = Options();
  current.ThreadCount = bsSkinComboBox2->ItemIndex() + 1;
  app::TConversionOptions o;
  try {
    o = FIni.ReadOptions(current);
  } catch (const app::EOptionIniWriteError& E) {
    // The controls keep their states; start-up goes on.
    FLastError = E.Message();
    return;
  }
  FLastError.clear();
  if (o.ThreadCount >= 1 && o.ThreadCount <= bsSkinComboBox2->Items()->Count())
    bsSkinComboBox2->SetItemIndex(o.ThreadCount - 1);
  AfterDoneBoxes()[std::size_t(std::clamp(o.AfterDone, 0, 3))]->SetChecked(true);
  PriorityBoxes()[std::size_t(std::clamp(o.ThreadPriority, 0, 3))]->SetChecked(true);
  (o.Overwrite ? bsSkinCheckRadioBox3 : bsSkinCheckRadioBox6)->SetChecked(true);
  bsSkinCheckRadioBox8->SetChecked(o.ShowPreview);
}

void TForm5::Button2Click(rtl::TObject*) {
  // Every key of a group without a checked box is left as it is in the file;
  // the radio groups here always have one.
  FIni.WriteOptions(Options());
}

void TForm5::bsSkinButton6Click(rtl::TObject*) {
  Button2->Click();
  if (Modal()) SetModalResult(forms::mrOk);
  else Close();
}

void TForm5::bsSkinButton1Click(rtl::TObject*) {
  if (Modal()) SetModalResult(forms::mrCancel);
  else Close();
}

void TForm5::bsSkinCheckRadioBox7Click(rtl::TObject*) {
  bsSkinComboBox2->SetEnabled(bsSkinCheckRadioBox7->Checked());
}

void TForm5::bsSkinCheckRadioBox8Click(rtl::TObject*) {
  if (FSetPreview) FSetPreview(bsSkinCheckRadioBox8->Checked());
}

}  // namespace appforms
