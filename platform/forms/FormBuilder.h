// The form-builder pattern: each form of the program is built in C++ by one
// builder (the form's description). Components are made through it and their
// properties set while they are loading (csLoading and csReading), as when a
// form is read from a stored description; Finish ends reading, calls Loaded on
// every component in creation order (the form first) and then fires the
// form's OnCreate.
//
//   TFormBuilder b(this);
//   auto* ok = b.Make<TButton>(u"OkButton", this);
//   ok->SetBounds(...); ok->OnClick = ...;
//   b.Finish();
#pragma once

#include <type_traits>
#include <vector>

#include "platform/forms/Forms.h"

namespace forms {

class TFormBuilder {
 public:
  explicit TFormBuilder(TCustomForm* form) : form_(form) { Begin(form); }
  TFormBuilder(const TFormBuilder&) = delete;
  TFormBuilder& operator=(const TFormBuilder&) = delete;
  ~TFormBuilder() {
    if (!finished_) End();
  }

  // A component owned by the form, named, and for controls placed on `parent`.
  template <class T>
  T* Make(const String& name, TWinControl* parent = nullptr) {
    T* c = new T(form_);
    Begin(c);
    if (!name.empty()) c->SetName(name);
    if constexpr (std::is_base_of_v<TControl, T>) {
      if (parent) c->SetParent(parent);
    }
    return c;
  }
  // Brings a component made elsewhere into the bracket.
  void Adopt(TComponent* c) { Begin(c); }

  void Finish() {
    if (finished_) return;
    End();
    form_->AfterConstruction();
  }

 private:
  void Begin(TComponent* c) {
    c->BeginLoading();
    loading_.push_back(c);
  }
  void End() {
    finished_ = true;
    for (TComponent* c : loading_) c->EndReading();
    for (TComponent* c : loading_) c->Loaded();
  }

  TCustomForm* form_;
  std::vector<TComponent*> loading_;
  bool finished_ = false;
};

}  // namespace forms
