#include "skin/controls/bsAppMessageFilters.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/forms/Forms.h"

namespace skin {

namespace {

struct Entry {
  const void* Key;
  std::shared_ptr<TAppMessageFilter> Filter;
};

struct Filters {
  forms::TApplication* App = nullptr;
  std::vector<Entry> List;
};

Filters& State() {
  static Filters F;
  return F;
}

bool RunFilters(win::MSG& Msg) {
  // A copy: filters may add or remove filters while they run.
  const std::vector<Entry> Now = State().List;
  for (const Entry& E : Now) {
    bool Present = false;
    for (const Entry& L : State().List) Present |= L.Filter == E.Filter;
    if (Present && (*E.Filter)(Msg)) return true;
  }
  return false;
}

void Install() {
  Filters& F = State();
  forms::TApplication* App = forms::Application;
  if (!App || (F.App == App && App->OnMessage)) return;
  F.App = App;
  forms::TMessageEvent Previous = App->OnMessage;
  App->OnMessage = [Previous](win::MSG& Msg, bool& Handled) {
    if (RunFilters(Msg)) {
      Handled = true;
      return;
    }
    if (Previous) Previous(Msg, Handled);
  };
}

}  // namespace

void AddAppMessageFilter(const void* Key, TAppMessageFilter Filter) {
  Install();
  auto& L = State().List;
  for (Entry& E : L)
    if (E.Key == Key) {
      E.Filter = std::make_shared<TAppMessageFilter>(std::move(Filter));
      return;
    }
  L.push_back({Key, std::make_shared<TAppMessageFilter>(std::move(Filter))});
}

void RemoveAppMessageFilter(const void* Key) {
  auto& L = State().List;
  for (auto it = L.begin(); it != L.end(); ++it)
    if (it->Key == Key) {
      L.erase(it);
      return;
    }
}

}  // namespace skin
