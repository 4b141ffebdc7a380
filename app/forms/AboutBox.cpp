#include "app/forms/AboutBox.h"

namespace appforms {

TForm2::TForm2(rtl::TComponent* AOwner, skin::TbsSkinData* SkinData) : forms::TForm(AOwner) {
  BuildForm2(this, SkinData);
}

void TForm2::bsSkinButton1Click(rtl::TObject*) { Close(); }

}  // namespace appforms
