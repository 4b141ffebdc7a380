// The skinned tree view: the framework's tree view with colours and font from
// the skin's "treeview" entry, no native bars or border, and two external
// skinned scroll bars that mirror and drive its native scroll state. The
// skinned shell folder tree derives from it.
// GUI thread only.
#pragma once

#include "platform/forms/TreeView.h"
#include "skin/controls/bsSkinViewBase.h"

namespace skin {

class TbsSkinCustomTreeView : public TbsSkinViewBase<forms::TCustomTreeView, TbsDataSkinTreeView> {
 public:
  explicit TbsSkinCustomTreeView(TComponent* AOwner);

  void ChangeSkinData() override;
  void UpDateScrollBars() override;
  void Loaded() override;
  void WndProc(forms::TMessage& M) override;

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void CreateWnd() override;
  void Change(forms::TTreeNode* Node) override;
  void VScrollBarChange(TObject* Sender) override;
  void HScrollBarChange(TObject* Sender) override;

 private:
  void ScrollTo(int Bar, int Position);
};

class TbsSkinTreeView : public TbsSkinCustomTreeView {
 public:
  explicit TbsSkinTreeView(TComponent* AOwner) : TbsSkinCustomTreeView(AOwner) {}
};

}  // namespace skin
