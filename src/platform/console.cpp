#include "platform/console.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <streambuf>

#include "platform/cp1252.h"
#endif

namespace vt::platform {

#ifdef _WIN32

namespace {

// The most a stream keeps before it writes.
constexpr std::size_t kChunk = 4096;

// A standard stream of Windows-1252 text (see StandardText).
class Cp1252Buffer : public std::streambuf {
 public:
  explicit Cp1252Buffer(DWORD which) : handle_(GetStdHandle(which)) {
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && GetConsoleMode(handle_, &mode);
  }
  ~Cp1252Buffer() override { write(); }
  Cp1252Buffer(const Cp1252Buffer&) = delete;
  Cp1252Buffer& operator=(const Cp1252Buffer&) = delete;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    pending_.push_back(traits_type::to_char_type(c));
    return pending_.size() < kChunk || write() ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* text, std::streamsize n) override {
    pending_.append(text, static_cast<std::size_t>(n));
    return pending_.size() < kChunk || write() ? n : 0;
  }
  int sync() override { return write() ? 0 : -1; }

 private:
  bool write() {
    bool written = true;
    if (console_) {
      const std::wstring text = wideOf(pending_);
      for (std::size_t done = 0; written && done < text.size();) {
        DWORD n = 0;
        written = WriteConsoleW(handle_, text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) &&
                  n > 0;
        done += n;
      }
    } else {
      std::string text;
      for (char c : pending_) {
        if (c == '\n' && lastWritten_ != '\r') text.push_back('\r');
        text.push_back(c);
        lastWritten_ = c;
      }
      for (std::size_t done = 0; written && done < text.size();) {
        DWORD n = 0;
        written = WriteFile(handle_, text.data() + done, static_cast<DWORD>(text.size() - done), &n, nullptr) && n > 0;
        done += n;
      }
    }
    pending_.clear();
    return written;
  }

  HANDLE handle_;
  bool console_ = false;
  char lastWritten_ = '\0';
  std::string pending_;
};

}  // namespace

struct StandardText::Streams {
  Cp1252Buffer out{STD_OUTPUT_HANDLE};
  Cp1252Buffer err{STD_ERROR_HANDLE};
  std::streambuf* previousOut = nullptr;
  std::streambuf* previousErr = nullptr;
};

std::vector<std::string> commandArguments(int, char**) {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) {
    bool lossless = true;
    arguments.push_back(cp1252Of(std::wstring_view(wide[i]), lossless));
  }
  LocalFree(wide);
  return arguments;
}

StandardText::StandardText() : streams_(std::make_unique<Streams>()) {
  std::cout.flush();
  std::cerr.flush();
  streams_->previousOut = std::cout.rdbuf(&streams_->out);
  streams_->previousErr = std::cerr.rdbuf(&streams_->err);
}

StandardText::~StandardText() {
  std::cout.flush();
  std::cerr.flush();
  std::cout.rdbuf(streams_->previousOut);
  std::cerr.rdbuf(streams_->previousErr);
}

#else

struct StandardText::Streams {};

std::vector<std::string> commandArguments(int argc, char** argv) {
  return argc < 1 ? std::vector<std::string>{} : std::vector<std::string>(argv + 1, argv + argc);
}

StandardText::StandardText() = default;

StandardText::~StandardText() { std::cout.flush(); }

#endif

}  // namespace vt::platform
