// A dialog interface for tests: answers boxes from a queue, records every box
// shown, and drives each window shown modally with the script given for its
// form name.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/window.h"
#include "temp_install.h"

namespace vt::testing {

struct ShownBox {
  enum class Kind { kMessage, kInput } kind = Kind::kMessage;
  std::string text;  // the message text, or the input box's prompt
  Buttons buttons = Buttons::kOk;
  Icon icon = Icon::kNone;
  std::string title;  // as asked; "" when none was given
  DefaultButton defaultButton = DefaultButton::kFirst;
  std::string defaultText;  // input boxes only
};

class ScriptedDialogs : public Dialogs {
 public:
  // What a window's script does with the presenter once it has loaded.
  using WindowScript = std::function<void(WindowPresenter&)>;

  ScriptedDialogs();
  ~ScriptedDialogs() override;

  // The answer to the next message box; a box with no queued answer gets
  // its first button (OK, or Yes).
  void answer(Answer a) { answers_.push_back(a); }
  // The next input box's answer; std::nullopt is Cancel. An input box with
  // no queued answer is a test error.
  void type(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  // The script for every showing of the window named `formName`.
  void onWindow(const std::string& formName, WindowScript script) { scripts_[formName] = std::move(script); }
  // Runs before each message box is answered (to look at the world while it waits).
  void onMessage(std::function<void(const ShownBox&)> hook) { messageHook_ = std::move(hook); }
  // Runs after each pause of a wait (which really passes); false gives up.
  // Without one, every wait goes on until what it waits for is free.
  void onWait(std::function<bool(const WaitNotice&)> hook) { waitHook_ = std::move(hook); }

  const std::vector<ShownBox>& boxes() const { return boxes_; }
  std::vector<std::string> messageTexts() const;
  int beeps() const { return beeps_; }
  const std::vector<std::string>& windowsShown() const { return windowsShown_; }
  bool allAnswersUsed() const { return answers_.empty() && inputs_.empty(); }
  // Every pause of every wait, with the notice it came with.
  const std::vector<std::pair<WaitNotice, std::chrono::milliseconds>>& pauses() const { return pauses_; }
  // How long each wait that ended lasted, in milliseconds.
  const std::vector<double>& waitsEnded() const { return waitsEnded_; }

  Answer message(const std::string& text, Buttons buttons, Icon icon, const std::string& title,
                 DefaultButton defaultButton) override;
  std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) override;
  void beep() override { ++beeps_; }
  ScreenSize screenSize() override { return screen_; }
  void showModal(WindowPresenter& presenter) override;
  bool waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause) override;
  void waitEnded(std::chrono::milliseconds waited) override { waitsEnded_.push_back(static_cast<double>(waited.count())); }

  void setScreenSize(ScreenSize s) { screen_ = s; }

 private:
  std::deque<Answer> answers_;
  std::deque<std::optional<std::string>> inputs_;
  std::map<std::string, WindowScript> scripts_;
  std::function<void(const ShownBox&)> messageHook_;
  std::function<bool(const WaitNotice&)> waitHook_;
  std::vector<std::pair<WaitNotice, std::chrono::milliseconds>> pauses_;
  std::vector<double> waitsEnded_;
  std::vector<ShownBox> boxes_;
  std::vector<std::string> windowsShown_;
  ScreenSize screen_{1440 * 16, 1440 * 10};
  int beeps_ = 0;
  Dialogs* previous_ = nullptr;
};

// Replaces the end-of-program hook with one that throws ProgramEnded, for
// the life of the object, so a test sees the end instead of losing its process.
class ThrowingEndHook {
 public:
  ThrowingEndHook();
  ~ThrowingEndHook();
  ThrowingEndHook(const ThrowingEndHook&) = delete;
  ThrowingEndHook& operator=(const ThrowingEndHook&) = delete;

 private:
  EndHook previous_;
};

// A run over the sample installation, as most tests make one: a folder with
// the sample, the scripted dialog interface, the end hook that throws.
struct SampleRun {
  SampleRun() { folder.installSample(); }
  TempFolder folder;
  ScriptedDialogs boxes;
  ThrowingEndHook end;
};

}  // namespace vt::testing
