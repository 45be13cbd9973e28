// What a person sees and answers, behind one small interface: message boxes,
// input boxes, the beep, the screen size, the modal showing of a window, and
// the wait for something another program holds.
// The program uses the Qt implementation (ui/qt/qt_dialogs.h); tests use a
// scripted one (tests/support/scripted_dialogs.h) that answers from a queue
// and records every box.
//
// Texts are single-byte Windows-1252 strings, exactly as the program builds
// them (line ends included); only the Qt implementation converts them.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace vt {

class WindowPresenter;

// The suite's line end, CR LF: between the lines of a box's text, and after
// every line of the text files the suite writes.
inline constexpr const char* kLineEnd = "\r\n";

enum class Buttons { kOk, kOkCancel, kYesNo };
enum class Icon { kNone, kCritical, kQuestion, kExclamation, kInformation };
enum class Answer { kOk, kCancel, kYes, kNo };
// The button that Enter presses: the first or the second of the box.
enum class DefaultButton { kFirst, kSecond };

// Screen size in twips (1,440 to the inch), the unit in which windows are
// sized and centred.
struct ScreenSize {
  int width = 0;
  int height = 0;
};

// A wait for something another program of the suite holds (the task
// semaphore), as the program tells it between two tries.
struct WaitNotice {
  std::string text;                  // the wait box's text: what is held, the refusal, the time waited
  std::chrono::milliseconds waited;  // since the first refusal
  bool boxShown = false;             // the wait has lasted long enough for the box to be on screen
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message box. An empty title shows the program's name, "VTMERV".
  virtual Answer message(const std::string& text, Buttons buttons, Icon icon,
                         const std::string& title = {},
                         DefaultButton defaultButton = DefaultButton::kFirst) = 0;

  // A modal input box. Cancel gives no answer; OK gives the field's text.
  virtual std::optional<std::string> input(const std::string& prompt, const std::string& title,
                                           const std::string& defaultText) = 0;

  // The system beep.
  virtual void beep() = 0;

  virtual ScreenSize screenSize() = 0;

  // Shows the window of `presenter` modally and returns when it has closed.
  virtual void showModal(WindowPresenter& presenter) = 0;

  // Between two tries of a wait: shows the wait box (or brings its text up
  // to date) when the notice says it is to be shown, and lets `pause` pass
  // with the program's windows still painted and answering the window
  // system, but no event reaching the program's own handlers except the
  // box's. False when the operator gave up (the box's "Annulla"); the wait
  // then ends without another try. An interface with no operator (the
  // default) lets the pause pass and waits on.
  virtual bool waitBetweenTries(const WaitNotice& notice, std::chrono::milliseconds pause);

  // The wait is over, whether what was held came free or the operator gave
  // up after `waited`: the wait box, if shown, closes. Never throws.
  virtual void waitEnded(std::chrono::milliseconds waited);
};

// The program's title for a box given none.
inline constexpr const char* kDefaultTitle = "VTMERV";

// The dialog interface in use. Set once by the executable, or by a test.
Dialogs& dialogs();
// Installs `d` (not owned) and returns the previous one.
Dialogs* setDialogs(Dialogs* d);

}  // namespace vt
