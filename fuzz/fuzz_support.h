// What every fuzz target shares: a dialog interface that answers every box
// with its first button, an end of the program that throws instead of ending
// the process, and a scratch archives folder with a file table.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "core/dialogs.h"
#include "core/program_end.h"
#include "core/state.h"
#include "platform/files.h"

namespace vt::fuzz {

class QuietDialogs : public Dialogs {
 public:
  Answer message(const std::string&, Buttons buttons, Icon, const std::string&, DefaultButton) override {
    return buttons == Buttons::kYesNo ? Answer::kYes : Answer::kOk;
  }
  std::optional<std::string> input(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void beep() override { ++beeps; }
  ScreenSize screenSize() override { return {1440 * 16, 1440 * 10}; }
  void showModal(WindowPresenter&) override {}
  int beeps = 0;
};

// The scratch folder, made once per process and removed at its end.
inline const std::string& scratchFolder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/vtmerv-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
  }) == 0;
  (void)removedAtExit;
  return folder;
}

// A fresh process state, quiet dialogs and a throwing end; the scratch
// folder as PERARK. Returns its native path.
inline const std::string& freshRun() {
  static QuietDialogs quiet;
  static const bool endThrows = (setEndHook([](EndReason reason) { throw ProgramEnded{reason}; }), true);
  (void)endThrows;
  const std::string& folder = scratchFolder();
  platform::closeAllHandles();
  resetState();
  setDialogs(&quiet);
  S().PERARK = folder;
  S().NOMEPROGRAMMA = "VTMERV";
  return folder;
}

inline void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Takes bytes off the front of the fuzzer's input.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t byte() { return size_ == 0 ? 0 : (--size_, *data_++); }
  std::string take(std::size_t n) {
    n = std::min(n, size_);
    std::string bytes(reinterpret_cast<const char*>(data_), n);
    data_ += n;
    size_ -= n;
    return bytes;
  }
  std::string rest() { return take(size_); }
  bool empty() const { return size_ == 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace vt::fuzz
