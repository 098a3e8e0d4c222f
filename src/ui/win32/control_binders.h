#pragma once
// The shadow of one real control: what was last put into it, how its state object is
// mirrored into it and how the user's changes are read back. One binder per control kind.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/controls.h"

namespace tarvo {

// Posted by a control's binder to its window (wParam: the control's id) for an event that
// must run after the control's own notification has returned.
constexpr UINT kDeferredEvent = WM_APP + 0x40;

// A position in dialog units, scaled by the window's font and DPI.
struct DluRect {
  int x, y, w, h;
};

// strip/page: shown only while strip shows that tab; panel: shown only while that control
// state is visible. mnemonic: the letter underlined in the caption.
struct ControlPlace {
  const TabStrip* strip = nullptr;
  int page = -1;
  const Control* panel = nullptr;
  char mnemonic = 0;
};

class ControlBinder {
 public:
  using Handler = std::function<void()>;
  ControlBinder(Control* state, int id, DluRect rect, ControlPlace place, Handler handler)
      : state(state), id(id), rect(rect), place(place), handler(std::move(handler)) {}
  virtual ~ControlBinder() = default;

  // Shows, enables and fills the control from its state; an unchanged state never
  // overwrites what the user typed.
  void Push(bool visible);
  // The user's changes into the state.
  virtual void Read() {}
  // True when a WM_COMMAND notification code of this control runs its handler.
  virtual bool Fires(int /*code*/) const { return false; }
  // A text box shown greyed paints its own background.
  virtual bool GreyBackground() const { return false; }
  virtual bool IsTab() const { return false; }
  // A WM_NOTIFY from this control: the handler the window runs for it (empty for none);
  // result answers the notification and may be set by that handler.
  virtual Handler Notify(const NMHDR& /*header*/, LRESULT& /*result*/) { return nullptr; }
  // A kDeferredEvent this control posted to its window: the handler to run, if any.
  virtual Handler Deferred() { return nullptr; }
  // After the window sized itself and its controls (DPI and font may have changed).
  virtual void Laid() {}

  Control* state;
  int id;
  DluRect rect;
  ControlPlace place;
  Handler handler;
  HWND hwnd = nullptr;

 protected:
  // The state into the control; first: nothing of it is shown yet.
  virtual void Refresh(bool /*first*/) {}
  void SetText(const std::string& text, bool mnemonic, bool first);
  std::string shownText;
  int shownValue = -1;

 private:
  bool pushed_ = false, shownVisible_ = false, shownEnabled_ = false;
};

class TabBinder : public ControlBinder {
 public:
  TabBinder(TabStrip& tab, int id, DluRect r, Handler h) : ControlBinder(&tab, id, r, {}, std::move(h)), tab_(tab) {}
  void Read() override;
  bool IsTab() const override { return true; }

 protected:
  void Refresh(bool first) override;

 private:
  TabStrip& tab_;
};

// Buttons and labels: a caption only.
class CaptionBinder : public ControlBinder {
 public:
  CaptionBinder(Control& state, std::string& caption, bool mnemonic, int id, DluRect r, ControlPlace p, Handler h)
      : ControlBinder(&state, id, r, p, std::move(h)), caption_(caption), mnemonic_(mnemonic) {}
  bool Fires(int code) const override { return code == BN_CLICKED; }

 protected:
  void Refresh(bool first) override { SetText(caption_, mnemonic_, first); }

 private:
  std::string& caption_;
  bool mnemonic_;
};

class CheckBinder : public ControlBinder {
 public:
  CheckBinder(CheckBox& box, int id, DluRect r, ControlPlace p, Handler h)
      : ControlBinder(&box, id, r, p, std::move(h)), box_(box) {}
  void Read() override;
  bool Fires(int code) const override { return code == BN_CLICKED; }

 protected:
  void Refresh(bool first) override;

 private:
  CheckBox& box_;
};

class OptionBinder : public ControlBinder {
 public:
  OptionBinder(OptionButton& option, int id, DluRect r, ControlPlace p, Handler h)
      : ControlBinder(&option, id, r, p, std::move(h)), option_(option) {}
  void Read() override;
  bool Fires(int code) const override { return code == BN_CLICKED; }

 protected:
  void Refresh(bool first) override;

 private:
  OptionButton& option_;
};

class TextBinder : public ControlBinder {
 public:
  TextBinder(TextBox& text, int id, DluRect r, ControlPlace p) : ControlBinder(&text, id, r, p, nullptr), text_(text) {}
  void Read() override;
  bool GreyBackground() const override { return text_.backColor == BackColor::ScrollBar; }

 protected:
  void Refresh(bool first) override;

 private:
  TextBox& text_;
  int shownColor_ = -1;
};

class ComboBinder : public ControlBinder {
 public:
  ComboBinder(ComboBox& combo, bool editable, int id, DluRect r, ControlPlace p, Handler h)
      : ControlBinder(&combo, id, r, p, std::move(h)), combo_(combo), editable_(editable) {}
  void Read() override;
  bool Fires(int code) const override { return code == CBN_SELCHANGE; }

 protected:
  void Refresh(bool first) override;

 private:
  ComboBox& combo_;
  bool editable_;
  std::vector<std::string> shownItems_;
};

class ListBinder : public ControlBinder {
 public:
  // font: the window's current font, for the horizontal scroll extent.
  ListBinder(ListBox& list, const HFONT& font, int id, DluRect r, ControlPlace p)
      : ControlBinder(&list, id, r, p, nullptr), list_(list), font_(font) {}
  void Read() override;

 protected:
  void Refresh(bool first) override;

 private:
  void Fill();
  ListBox& list_;
  const HFONT& font_;
  std::vector<std::string> shownItems_;
};

class ProgressBinder : public ControlBinder {
 public:
  ProgressBinder(ProgressBar& bar, int id, DluRect r, ControlPlace p)
      : ControlBinder(&bar, id, r, p, nullptr), bar_(bar) {}

 protected:
  void Refresh(bool first) override;

 private:
  ProgressBar& bar_;
  int shownMin_ = -1, shownMax_ = -1;
};

// Caption text with '&' inserted before the first occurrence of the letter (any case).
std::string WithMnemonic(const std::string& caption, char letter);

}  // namespace tarvo
