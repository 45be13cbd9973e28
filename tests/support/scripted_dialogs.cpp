#include "scripted_dialogs.h"

#include <stdexcept>
#include <thread>

namespace vt::testing {

ScriptedDialogs::ScriptedDialogs() { previous_ = setDialogs(this); }

ScriptedDialogs::~ScriptedDialogs() { setDialogs(previous_); }

std::vector<std::string> ScriptedDialogs::messageTexts() const {
  std::vector<std::string> texts;
  for (const ShownBox& box : boxes_) {
    if (box.kind == ShownBox::Kind::kMessage) texts.push_back(box.text);
  }
  return texts;
}

Answer ScriptedDialogs::message(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                                DefaultButton defaultButton) {
  boxes_.push_back({ShownBox::Kind::kMessage, text, buttons, icon, title, defaultButton, {}});
  if (messageHook_) messageHook_(boxes_.back());
  if (answers_.empty()) return buttons == Buttons::kYesNo ? Answer::kYes : Answer::kOk;
  Answer a = answers_.front();
  answers_.pop_front();
  return a;
}

std::optional<std::string> ScriptedDialogs::input(const std::string& prompt, const std::string& title,
                                                  const std::string& defaultText) {
  boxes_.push_back({ShownBox::Kind::kInput, prompt, Buttons::kOkCancel, Icon::kNone, title,
                    DefaultButton::kFirst, defaultText});
  if (inputs_.empty()) throw std::logic_error("input box shown with no answer queued: " + prompt);
  std::optional<std::string> a = inputs_.front();
  inputs_.pop_front();
  return a;
}

void ScriptedDialogs::showModal(WindowPresenter& presenter) {
  windowsShown_.emplace_back(presenter.formName());
  presenter.load();
  if (presenter.isClosed()) return;
  auto found = scripts_.find(std::string(presenter.formName()));
  if (found == scripts_.end()) {
    throw std::logic_error("no script for window " + std::string(presenter.formName()));
  }
  found->second(presenter);
  // A script that leaves the window open closes it as the title-bar box would.
  if (!presenter.isClosed()) presenter.close();
}

bool ScriptedDialogs::waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause) {
  pauses_.emplace_back(notice, pause);
  std::this_thread::sleep_for(pause);
  return !waitHook_ || waitHook_(notice);
}

ThrowingEndHook::ThrowingEndHook() {
  previous_ = setEndHook([](EndReason reason) { throw ProgramEnded{reason, endingStatus()}; });
}

ThrowingEndHook::~ThrowingEndHook() { setEndHook(std::move(previous_)); }

}  // namespace vt::testing
