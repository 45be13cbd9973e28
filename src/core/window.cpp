#include "core/window.h"

#include "core/dialogs.h"

namespace vt {

void WindowPresenter::close() {
  if (closed_) return;
  closed_ = true;
  unload();
  if (listener_ != nullptr) listener_->presenterClosed();
}

void WindowPresenter::changed() {
  if (listener_ != nullptr) listener_->presenterChanged();
}

void WindowPresenter::centre(int width, int height, const ScreenSize& screen) {
  geometry_.width = width;
  geometry_.height = height;
  geometry_.left = (screen.width - width) / 2;
  geometry_.top = (screen.height - height) / 2;
}

}  // namespace vt
