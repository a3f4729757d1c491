// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>

#include "cli/CommandLine.hpp"
#include "export/OutputFile.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

namespace {

// UTF-8 text to a Windows console as UTF-16, which shows every character whatever the
// console's code page. A character cut between two writes waits for its last bytes.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      pending_ += traits_type::to_char_type(c);
    }
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    pending_.append(s, static_cast<std::size_t>(n));
    if (pending_.size() >= kFlushSize && sync() != 0) {
      return 0;
    }
    return n;
  }
  int sync() override {
    // Up to the last whole character: a lead byte whose continuation bytes are all there.
    std::size_t whole = pending_.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, pending_.size()); ++back) {
      const auto byte = static_cast<unsigned char>(pending_[pending_.size() - back]);
      if ((byte & 0xC0u) == 0x80u) {
        continue;  // a continuation byte
      }
      const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      if (length > back) {
        whole = pending_.size() - back;
      }
      break;
    }
    if (whole == 0) {
      return 0;
    }
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(whole), wide.data(), size);
    pending_.erase(0, whole);
    for (std::size_t done = 0; done < wide.size();) {
      DWORD written = 0;
      const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
      if (!WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) {
        return -1;
      }
      done += written;
    }
    return 0;
  }

 private:
  static constexpr std::size_t kFlushSize = 1 << 16;
  HANDLE console_;
  std::string pending_;
};

// The console behind a standard handle, or nullptr when it goes to a file or a pipe.
HANDLE ConsoleOf(DWORD standardHandle) {
  HANDLE handle = GetStdHandle(standardHandle);
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// A wide argument in UTF-8; false for one that holds half a surrogate pair, which no UTF-8
// text can carry.
bool Utf8Argument(const wchar_t* wide, std::string& utf8) {
  const int length = static_cast<int>(wcslen(wide));
  utf8.clear();
  if (length == 0) {
    return true;
  }
  const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) {
    return false;
  }
  utf8.resize(static_cast<std::size_t>(size));
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, utf8.data(), size, nullptr,
                      nullptr);
  return true;
}

}  // namespace

// The arguments in their wide form: the narrow ones pass through the ANSI code page, which
// turns "Ωmega.csv" into "Omega.csv" and "日本.csv" into "??.csv".
int wmain(int argc, wchar_t** argv) {
  // Standard output carries the file's own bytes: text mode would put a CR before every LF,
  // CR CR LF after each line.
  _setmode(_fileno(stdout), _O_BINARY);
  std::ostream* out = &std::cout;
  std::ostream* err = &std::cerr;
  std::ostream consoleOut(nullptr);
  std::ostream consoleErr(nullptr);
  std::unique_ptr<ConsoleBuffer> outBuffer;
  std::unique_ptr<ConsoleBuffer> errBuffer;
  if (HANDLE console = ConsoleOf(STD_OUTPUT_HANDLE)) {
    outBuffer = std::make_unique<ConsoleBuffer>(console);
    consoleOut.rdbuf(outBuffer.get());
    out = &consoleOut;
  }
  if (HANDLE console = ConsoleOf(STD_ERROR_HANDLE)) {
    errBuffer = std::make_unique<ConsoleBuffer>(console);
    consoleErr.rdbuf(errBuffer.get());
    consoleErr.setf(std::ios::unitbuf);
    err = &consoleErr;
  }

  std::vector<std::string> arguments(static_cast<std::size_t>(argc));
  std::vector<const char*> pointers;
  for (int i = 0; i < argc; ++i) {
    if (!Utf8Argument(argv[i], arguments[static_cast<std::size_t>(i)])) {
      *err << "Argument " << i << " is no valid Unicode text (half a surrogate pair).\n";
      return 2;
    }
    pointers.push_back(arguments[static_cast<std::size_t>(i)].c_str());
  }
  const int status = marovane::RunCommandLine(argc, pointers.data(), *out, *err);
  out->flush();
  err->flush();
  return status;
}

#else

int main(int argc, char** argv) {
  marovane::RemoveTemporariesOnInterruption();
  return marovane::RunCommandLine(argc, argv, std::cout, std::cerr);
}

#endif
