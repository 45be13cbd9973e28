// The base of every window's presenter: the plain C++ object that holds a
// window's behaviour. The core drives it, tests drive it, and a thin Qt view
// shows its state and forwards events to it.
#pragma once

#include <string_view>

namespace vt {

struct ScreenSize;

// A window position or size in twips.
struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// A view listens to its presenter.
class WindowListener {
 public:
  virtual ~WindowListener() = default;
  // The presenter's visible state changed; the view shows it again.
  virtual void presenterChanged() = 0;
  // The presenter has closed; the view ends its modal loop.
  virtual void presenterClosed() = 0;
};

class WindowPresenter {
 public:
  virtual ~WindowPresenter() = default;

  // The window's form name ("Scelta", "FILESTAN", ...): tests and the Qt
  // dialog interface find the window's script or view by it.
  virtual std::string_view formName() const = 0;

  // Runs when the window is shown (its load and activation). It may close
  // the window at once.
  virtual void load() = 0;

  // Closes the window for whatever reason (a button, a key, the title-bar
  // close box): runs the closing handler once and tells the view.
  void close();
  bool isClosed() const { return closed_; }

  const TwipsRect& geometry() const { return geometry_; }

  void setListener(WindowListener* listener) { listener_ = listener; }

 protected:
  // The window's closing handler; runs once, from close().
  virtual void unload() {}

  // Tells the view to show the presenter's state again.
  void changed();

  // Sizes the window and centres it on a screen of `screen`: left =
  // (screen width - width) / 2, top likewise, truncated toward zero.
  void centre(int width, int height, const ScreenSize& screen);

 private:
  WindowListener* listener_ = nullptr;
  TwipsRect geometry_;
  bool closed_ = false;
};

}  // namespace vt
