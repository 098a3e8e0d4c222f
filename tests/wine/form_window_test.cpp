// The control layer over real Win32 controls: state mirrored into controls, the user's
// changes read back before a handler, events routed, tab pages and run panels shown.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"
#include "ui/win32/form_window.h"

namespace tarvo {
namespace {

class TestForm : public Form {
 public:
  const char* Name() const override { return "TestForm"; }
  TabStrip tabs;
  CheckBox box;
  TextBox text, secret;
  ComboBox list;
  Label step;
  Control panel;
  Button ok;
};

std::string Text(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return FromWide(buffer);
}

class FormWindowTest : public ::testing::Test {
 protected:
  FormWindowTest() {
    f.caption = "Test";
    f.tabs.captions = {"One", "Two"};
    f.box.caption = "Tick me";
    f.secret.password = true;
    f.list.items = {"Alpha", "Beta", "Gamma"};
    f.ok.caption = "OK";
    f.loaded = true;
    w.AddTab(f.tabs, 10, {0, 0, 200, 100}, [this] { ++tabChanges; });
    w.AddCheck(f.box, 11, {5, 20, 100, 10}, [this] { seenValue = f.box.value; }, {&f.tabs, 0, nullptr, 'T'});
    w.AddText(f.text, 12, {5, 35, 100, 12}, {&f.tabs, 1, nullptr, 0});
    w.AddText(f.secret, 13, {5, 50, 100, 12});
    w.AddCombo(f.list, 14, {5, 65, 100, 60}, [this] { seenText = f.list.text; });
    w.AddLabel(f.step, 15, {5, 110, 100, 8}, {nullptr, -1, &f.panel, 0});
    w.AddButton(f.ok, 16, {5, 125, 50, 14}, [this] { Clicked(); });
    w.ApplyLayout();
    ui.SetRefresh(&FormWindow::RefreshAll);
  }

  HWND Item(int id) { return w.Item(id); }
  void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }

  std::function<void()> onOk;
  void Clicked() {
    ++okClicks;
    if (onOk) onOk();
  }

  Win32Ui ui;
  TestForm f;
  FormWindow w{f, ui, L"TarvoTestForm", nullptr, 210, 150, WS_OVERLAPPEDWINDOW};
  int tabChanges = 0, okClicks = 0, seenValue = -1;
  std::string seenText;
};

TEST_F(FormWindowTest, StateIsMirroredIntoTheControls) {
  EXPECT_EQ(Text(Item(11)), "&Tick me");
  f.box.value = 1;
  f.box.caption = "Untick";
  f.box.enabled = false;
  f.secret.text = "hidden";
  w.Refresh();
  EXPECT_EQ(SendMessageW(Item(11), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Text(Item(11)), "Un&tick") << "the mnemonic letter is underlined where it first occurs";
  EXPECT_FALSE(IsWindowEnabled(Item(11)));
  EXPECT_EQ(Text(Item(13)), "hidden");
  EXPECT_NE(GetWindowLongW(Item(13), GWL_STYLE) & ES_PASSWORD, 0);
  EXPECT_EQ(GetWindowLongW(Item(12), GWL_STYLE) & ES_PASSWORD, 0);
}

TEST_F(FormWindowTest, ClickReadsTheBoxBackBeforeTheHandler) {
  Click(11);
  EXPECT_EQ(seenValue, 1);
  EXPECT_EQ(f.box.value, 1);
  Click(11);
  EXPECT_EQ(seenValue, 0);
}

TEST_F(FormWindowTest, TypingSurvivesARefreshUntilTheStateChanges) {
  SetWindowTextW(Item(13), L"typed");  // the user, between two handlers
  w.Refresh();
  EXPECT_EQ(Text(Item(13)), "typed");
  Click(16);  // any handler reads it back
  EXPECT_EQ(f.secret.text, "typed");
  f.secret.text.clear();  // a handler empties the box
  w.Refresh();
  EXPECT_EQ(Text(Item(13)), "");
}

TEST_F(FormWindowTest, TabShowsItsPageAndRunsTheHandler) {
  EXPECT_TRUE(IsWindowVisible(Item(11)) || !IsWindowVisible(w.hwnd()));
  EXPECT_EQ(GetWindowLongW(Item(12), GWL_STYLE) & WS_VISIBLE, 0) << "page 1 hidden on tab 0";
  SendMessageW(Item(10), TCM_SETCURFOCUS, 1, 0);
  EXPECT_EQ(tabChanges, 1);
  EXPECT_EQ(f.tabs.tab, 1);
  EXPECT_NE(GetWindowLongW(Item(12), GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_EQ(GetWindowLongW(Item(11), GWL_STYLE) & WS_VISIBLE, 0);
}

TEST_F(FormWindowTest, ComboShowsTheStateTextAndReadsTheChoice) {
  f.list.text = "Beta";  // text alone, as the profile lists are filled
  w.Refresh();
  EXPECT_EQ(SendMessageW(Item(14), CB_GETCURSEL, 0, 0), 1);
  SendMessageW(Item(14), CB_SETCURSEL, 2, 0);
  SendMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(14, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(14)));
  EXPECT_EQ(seenText, "Gamma");
  EXPECT_EQ(f.list.listIndex, 2);
  f.list.items = {"Only"};
  f.list.listIndex = 0;
  w.Refresh();
  EXPECT_EQ(SendMessageW(Item(14), CB_GETCOUNT, 0, 0), 1);
}

TEST_F(FormWindowTest, RunPanelAndCaptionsFollowTheStateWhileAHandlerPumps) {
  std::string midRun;
  bool panelShown = false;
  onOk = [&] {
    f.panel.visible = true;
    f.step.caption = "Write File 50%";
    ui.PumpMessages();  // what the runs do between steps
    midRun = Text(Item(15));
    panelShown = (GetWindowLongW(Item(15), GWL_STYLE) & WS_VISIBLE) != 0;
    f.panel.visible = false;
  };
  f.panel.visible = false;
  w.Refresh();
  EXPECT_EQ(GetWindowLongW(Item(15), GWL_STYLE) & WS_VISIBLE, 0);
  Click(16);
  EXPECT_EQ(midRun, "Write File 50%");
  EXPECT_TRUE(panelShown);
  EXPECT_EQ(GetWindowLongW(Item(15), GWL_STYLE) & WS_VISIBLE, 0) << "hidden again after the run";
}

TEST_F(FormWindowTest, AClickWhileAHandlerRunsIsNotASecondRun) {
  onOk = [&] {
    PostMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(16, BN_CLICKED), reinterpret_cast<LPARAM>(Item(16)));
    ui.PumpMessages();
  };
  Click(16);
  EXPECT_EQ(okClicks, 1);
}

TEST_F(FormWindowTest, ModalLoopEndsWhenTheFormUnloads) {
  onOk = [&] { f.loaded = false; };
  w.OnEscape([&] { f.loaded = false; });
  PostMessageW(w.hwnd(), WM_COMMAND, MAKEWPARAM(16, BN_CLICKED), reinterpret_cast<LPARAM>(Item(16)));
  w.RunModal();
  EXPECT_EQ(okClicks, 1);
  EXPECT_FALSE(f.visible);
  EXPECT_FALSE(IsWindowVisible(w.hwnd()));
}

TEST_F(FormWindowTest, CloseBoxRunsTheCloseHandlerOnly) {
  int closes = 0;
  w.OnClose([&] { ++closes; });
  SendMessageW(w.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(IsWindow(w.hwnd())) << "the form decides; the window layer does not destroy it";
}

TEST_F(FormWindowTest, RightClickInsideAFrameOpensItsMenuOnly) {
  w.AddFrame("Items", 17, {110, 20, 80, 40});
  w.ApplyLayout();
  ShowWindow(w.hwnd(), SW_SHOWNA);
  POINT seen{-1, -1};
  int opened = 0;
  w.OnContextMenu(17, [&](POINT at) {
    seen = at;
    ++opened;
  });
  RECT frame{};
  GetWindowRect(Item(17), &frame);
  const POINT inside{frame.left + 5, frame.top + 10};
  SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.hwnd()), MAKELPARAM(inside.x, inside.y));
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(seen.x, inside.x);
  EXPECT_EQ(seen.y, inside.y);
  SendMessageW(w.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(w.hwnd()),
               MAKELPARAM(frame.left - 20, frame.top - 20));
  EXPECT_EQ(opened, 1) << "outside the frame";
}

TEST(WithMnemonic, MarksTheFirstMatchingLetterOnce) {
  EXPECT_EQ(WithMnemonic("Quit", 'q'), "&Quit");
  EXPECT_EQ(WithMnemonic("Run daily", 'y'), "Run dail&y");
  EXPECT_EQ(WithMnemonic("Folder && file", 'f'), "Folder && file") << "captions with & are left as they are";
  EXPECT_EQ(WithMnemonic("OK", 'z'), "OK");
  EXPECT_EQ(WithMnemonic("OK", 0), "OK");
}

}  // namespace
}  // namespace tarvo
