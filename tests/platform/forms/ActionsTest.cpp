// Actions: what a control takes from its action, changes reaching every
// client, one execution per click, and links that never dangle.
#include <memory>

#include "platform/forms/Actions.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

class TActionButton : public TTestButton {
 public:
  using TTestButton::TTestButton;
  using TTestButton::ActionChange;
};

TEST_F(FormsTest, ActionChangeKeepsTheControlsOwnValuesOnlyWhenCheckingDefaults) {
  struct Case {
    const char* name;
    const char16_t* caption;  // the control's own, before
    bool enabled, visible;
    const char16_t* hint;
    bool checkDefaults;
    const char16_t* wantCaption;
    bool wantEnabled, wantVisible;
    const char16_t* wantHint;
  } cases[] = {
      {"from code: everything", u"Own", true, true, u"own hint", false, u"Run", false, false, u"run hint"},
      {"defaults: own values stay", u"Own", true, true, u"own hint", true, u"Own", false, false, u"own hint"},
      {"defaults: empty caption taken", u"", false, false, u"", true, u"Run", false, false, u"run hint"},
      {"defaults: caption equal to the name taken", u"btn", true, true, u"x", true, u"Run", false, false, u"x"},
      {"defaults: disabled and hidden stay so", u"Own", false, false, u"x", true, u"Own", false, false, u"x"},
  };
  TForm* f = MakeForm();
  TAction action(nullptr);
  action.SetCaption(u"Run");
  action.SetEnabled(false);
  action.SetVisible(false);
  action.SetHint(u"run hint");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto b = std::make_unique<TActionButton>(nullptr);
    b->SetName(u"btn");
    b->SetParent(f);
    b->SetCaption(c.caption);
    b->SetEnabled(c.enabled);
    b->SetVisible(c.visible);
    b->SetHint(c.hint);
    if (c.checkDefaults)
      b->ActionChange(&action, true);
    else
      b->SetAction(&action);
    EXPECT_EQ(b->Caption(), c.wantCaption);
    EXPECT_EQ(b->Enabled(), c.wantEnabled);
    EXPECT_EQ(b->Visible(), c.wantVisible);
    EXPECT_EQ(b->Hint(), c.wantHint);
  }
  // A basic action carries no properties: nothing changes.
  TBasicAction basic(nullptr);
  auto b = std::make_unique<TActionButton>(nullptr);
  b->SetCaption(u"Own");
  b->SetAction(&basic);
  EXPECT_EQ(b->Action(), &basic);
  EXPECT_EQ(b->Caption(), u"Own");
  EXPECT_TRUE(b->Enabled());
}

TEST_F(FormsTest, ActionChangesReachEveryClientAndGroupsCheckOne) {
  TForm* f = MakeForm();
  auto* a = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* b = Make<TTestButton>(f, 10, 40, 75, 25);
  TActionList list(f);
  auto* run = new TAction(f);
  run->SetActionList(&list);
  a->SetAction(run);
  b->SetAction(run);
  EXPECT_EQ(run->ClientCount(), 2);
  run->SetCaption(u"Go");
  run->SetEnabled(false);
  run->SetHint(u"tip");
  for (TTestButton* c : {a, b}) {
    EXPECT_EQ(c->Caption(), u"Go");
    EXPECT_FALSE(c->Enabled());
    EXPECT_EQ(c->Hint(), u"tip");
  }
  // Dropping the action leaves the control as it is and unhooks it.
  b->SetAction(nullptr);
  EXPECT_EQ(run->ClientCount(), 1);
  run->SetCaption(u"Again");
  EXPECT_EQ(a->Caption(), u"Again");
  EXPECT_EQ(b->Caption(), u"Go");

  // Checked actions of one group in one list: checking one unchecks the rest.
  auto* left = new TAction(f);
  auto* right = new TAction(f);
  auto* other = new TAction(f);
  for (TAction* x : {left, right, other}) x->SetActionList(&list);
  left->SetGroupIndex(1);
  right->SetGroupIndex(1);
  other->SetGroupIndex(2);
  other->SetChecked(true);
  left->SetChecked(true);
  right->SetChecked(true);
  EXPECT_FALSE(left->Checked());
  EXPECT_TRUE(right->Checked());
  EXPECT_TRUE(other->Checked());
}

TEST_F(FormsTest, AClickRunsTheActionOnceUnlessOnClickIsAnotherHandler) {
  TForm* f = MakeForm();
  auto* b = Make<TTestButton>(f, 10, 10, 75, 25);
  // Clicks apart in time, so none pairs up into a double click.
  auto click = [&] {
    win::headless::AdvanceClock(1000);
    Click(b);
  };
  TAction action(nullptr);
  int executed = 0, clicked = 0, updates = 0;
  TComponent* component = nullptr;
  action.OnExecute = [&](rtl::TObject* s) {
    EXPECT_EQ(s, &action);
    component = action.ActionComponent();
    ++executed;
  };
  b->SetAction(&action);
  click();
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(component, b) << "the clicked control is the action's component while it runs";
  EXPECT_EQ(action.ActionComponent(), nullptr);

  // OnClick with the action's own handler code: the action runs, once.
  executed = 0;
  b->OnClick = action.OnExecute;
  click();
  EXPECT_EQ(executed, 1);

  // Another handler: OnClick alone.
  executed = 0;
  b->OnClick = [&](rtl::TObject*) { ++clicked; };
  click();
  EXPECT_EQ(executed, 0);
  EXPECT_EQ(clicked, 1);

  // OnUpdate runs first; an action it disables does not run.
  b->OnClick = nullptr;
  executed = 0;
  action.OnUpdate = [&](rtl::TObject*) {
    ++updates;
    action.SetEnabled(false);
  };
  b->ActionLink()->Execute(b);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(executed, 0);
  EXPECT_FALSE(b->Enabled()) << "the update reached the control";
}

TEST_F(FormsTest, FreeingEitherSideOfAnActionLinkLeavesNothingDangling) {
  TForm* f = MakeForm();
  auto* b = Make<TTestButton>(f, 10, 10, 75, 25);
  int executed = 0;
  // Action freed first, owned elsewhere than the control.
  auto* action = new TAction(nullptr);
  action->OnExecute = [&](rtl::TObject*) { ++executed; };
  b->SetAction(action);
  delete action;
  EXPECT_EQ(b->Action(), nullptr);
  EXPECT_EQ(b->ActionLink(), nullptr);
  Click(b);
  EXPECT_EQ(executed, 0);
  EXPECT_EQ(b->clicks, 1);

  // Action freed first, owned by the same form as the control.
  auto* owned = new TAction(f);
  b->SetAction(owned);
  owned->Free();
  EXPECT_EQ(b->Action(), nullptr);

  // Control freed first: the action forgets it.
  TAction kept(nullptr);
  kept.OnExecute = [&](rtl::TObject*) { ++executed; };
  b->SetAction(&kept);
  EXPECT_EQ(kept.ClientCount(), 1);
  delete b;
  EXPECT_EQ(kept.ClientCount(), 0);
  kept.SetCaption(u"nobody listens");
  EXPECT_TRUE(kept.Execute());
  EXPECT_EQ(executed, 1);

  // Form holding controls, list and actions all at once.
  auto* c = Make<TTestButton>(f, 10, 40, 75, 25);
  auto* list = new TActionList(f);
  auto* late = new TAction(f);
  late->SetActionList(list);
  c->SetAction(late);
  delete f;
}

}  // namespace
}  // namespace formstest
