// Drag and drop between two skinned list boxes on X11 against a private Xvfb,
// driven by xdotool: pressing a row, moving to the other list and releasing
// fires the drag events in order and moves the row. Skips when Xvfb or
// xdotool is missing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinListBox.h"
#include "tests/support/XdoTool.h"
#include "tests/support/Xvfb.h"

namespace {

using testsupport::XdoTool;

void Pump() { forms::Application->ProcessMessages(); }
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) { return testsupport::PumpUntil(Pump, done, ms); }

TEST(ListDragX11, ARowDraggedToTheOtherListMovesThere) {
  testsupport::Xvfb x;
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";
  if (!XdoTool::Available()) GTEST_SKIP() << "xdotool is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  std::vector<std::string> log;
  {
    auto* f = new forms::TForm(forms::Application);
    f->SetCaption(u"Lists");
    f->SetBounds(60, 60, 420, 260);
    f->AfterConstruction();
    auto makeList = [&](int left) {
      auto* l = new skin::TbsSkinListBox(f);
      l->SetParent(f);
      l->SetBounds(left, 20, 150, 180);
      return l;
    };
    skin::TbsSkinListBox* from = makeList(20);
    skin::TbsSkinListBox* to = makeList(240);
    for (const char16_t* s : {u"a.mp4", u"b.avi", u"c.mkv", u"d.flv"}) from->Items()->Add(s);
    to->Items()->Add(u"e.wmv");
    from->SetListBoxDragMode(forms::dmAutomatic);
    from->OnListBoxStartDrag() = [&](rtl::TObject*, forms::TDragObject*&) { log.push_back("start"); };
    to->OnListBoxDragOver() = [&](rtl::TObject*, rtl::TObject* src, int, int, forms::TDragState st, bool& accept) {
      if (st == forms::dsDragEnter) log.push_back("enter");
      accept = src == from->ListBox;
    };
    to->OnListBoxDragDrop() = [&](rtl::TObject*, rtl::TObject*, int, int) {
      log.push_back("drop");
      const int i = from->ItemIndex();
      to->Items()->Add(from->Items()->Get(i));
      from->Items()->Delete(i);
    };
    from->OnListBoxEndDrag() = [&](rtl::TObject*, rtl::TObject* target, int, int) {
      log.push_back(target == to->ListBox ? "end dropped" : "end");
    };
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);

    const rtl::TRect r = from->ListBox->ItemRect(1);
    const rtl::TPoint a = from->ListBox->ClientToScreen({r.Left + 20, (r.Top + r.Bottom) / 2});
    const rtl::TPoint b = to->ListBox->ClientToScreen({40, 100});
    auto step = [&](std::vector<std::string> args) {
      XdoTool t(std::move(args));
      PumpUntil([&] { return t.Done(); });
      PumpUntil([] { return false; }, 150);
    };
    step({"mousemove", std::to_string(a.X), std::to_string(a.Y), "sleep", "0.2", "mousedown", "1"});
    EXPECT_EQ(from->ItemIndex(), 1) << "the press selects the row";
    step({"mousemove", std::to_string(a.X + 30), std::to_string(a.Y)});
    step({"mousemove", std::to_string(b.X - 20), std::to_string(b.Y)});
    step({"mousemove", std::to_string(b.X), std::to_string(b.Y)});
    step({"mouseup", "1"});
    EXPECT_TRUE(PumpUntil([&] { return log.size() >= 4; }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "enter", "drop", "end dropped"}));
    EXPECT_EQ(from->Items()->Count(), 3);
    ASSERT_EQ(to->Items()->Count(), 2);
    EXPECT_EQ(to->Items()->Get(1), u"b.avi");
    EXPECT_EQ(forms::CaptureControl(), nullptr);
    delete f;
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
}

}  // namespace
