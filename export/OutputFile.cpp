// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/OutputFile.hpp"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace marovane {

namespace {

namespace fs = std::filesystem;

// Where a chain of symbolic links ends; the file itself when it is no link.
fs::path FollowLinks(fs::path file) {
  std::error_code ec;
  for (int depth = 0; depth < 40 && fs::is_symlink(file, ec); ++depth) {
    const fs::path next = fs::read_symlink(file, ec);
    if (ec) {
      break;
    }
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return file;
}

#ifdef _WIN32
int CreateExclusive(const fs::path& file) {
  int fd = -1;
  _wsopen_s(&fd, file.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO,
            _S_IREAD | _S_IWRITE);
  return fd;
}
std::FILE* StreamOf(int fd) { return _fdopen(fd, "wb"); }
void CloseDescriptor(int fd) { _close(fd); }
bool Writable(const fs::path& file) { return _waccess(file.c_str(), 2) == 0; }
void KeepPermissions(int, const fs::path&) {}  // a new file gets the folder's own rights
#else
int CreateExclusive(const fs::path& file) {
  return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
std::FILE* StreamOf(int fd) { return ::fdopen(fd, "wb"); }
void CloseDescriptor(int fd) { ::close(fd); }
bool Writable(const fs::path& file) { return ::access(file.c_str(), W_OK) == 0; }
void KeepPermissions(int fd, const fs::path& file) {
  struct stat old {};
  if (::stat(file.c_str(), &old) == 0) {
    ::fchmod(fd, old.st_mode & 07777);
  }
}
#endif

// A new file beside `target` that no other file shares a name with, open for writing.
// nullptr and errno set when none can be made.
std::FILE* CreateTemporary(const fs::path& target, bool keepPermissions, fs::path& temporary) {
  static std::atomic<unsigned> counter{0};
  const auto clock = static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned long long tag = clock * 31u + counter.fetch_add(1);
    temporary = target.parent_path() / (fs::path(".") += target.filename());
    temporary += ".";
    temporary += std::to_string(tag % 100000000u) + ".tmp";
    const int fd = CreateExclusive(temporary);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      return nullptr;
    }
    if (keepPermissions) {
      KeepPermissions(fd, target);
    }
    std::FILE* stream = StreamOf(fd);
    if (stream == nullptr) {
      const int error = errno;
      CloseDescriptor(fd);
      std::error_code ignored;
      fs::remove(temporary, ignored);
      errno = error;
    }
    return stream;
  }
  errno = EEXIST;
  return nullptr;
}

// Writes all of `bytes` and closes `stream`; 0 or the errno of the first failure.
int WriteAndClose(std::FILE* stream, std::string_view bytes) {
  int error = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() ||
      std::fflush(stream) != 0) {
    error = errno != 0 ? errno : EIO;
  }
  if (std::fclose(stream) != 0 && error == 0) {
    error = errno != 0 ? errno : EIO;
  }
  return error;
}

// For what cannot be replaced: standard output, devices, pipes, and files in a folder where
// nothing new may be created.
void WriteInPlace(const fs::path& file, const fs::path& shownName, std::string_view bytes) {
  std::FILE* stream = OpenFile(file, "wb");
  if (stream == nullptr) {
    throw FileError(shownName, "Cannot write", errno);
  }
  errno = 0;
  if (const int error = WriteAndClose(stream, bytes); error != 0) {
    // A truncated file must not pass for a complete one.
    std::error_code ignored;
    if (fs::is_regular_file(file, ignored)) {
      fs::remove(file, ignored);
    }
    throw FileError(shownName, "Cannot write", error);
  }
}

}  // namespace

FileError::FileError(const std::filesystem::path& file, std::string_view action, int error)
    : std::runtime_error(std::string(action) + " " + file.string() + ": " +
                         std::generic_category().message(error)),
      file_(file) {}

std::FILE* OpenFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(file.c_str(), wideMode.c_str());
#else
  return std::fopen(file.c_str(), mode);
#endif
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes) {
  const fs::path target = FollowLinks(file);
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  const bool exists = fs::exists(status);
  if (exists && !fs::is_regular_file(status)) {
    WriteInPlace(target, file, bytes);
    return;
  }
  if (exists && !Writable(target)) {
    // Replacing it would get round its write protection.
    throw FileError(file, "Cannot write", errno);
  }

  fs::path temporary;
  errno = 0;
  std::FILE* stream = CreateTemporary(target, exists, temporary);
  if (stream == nullptr) {
    const int error = errno;
    if (exists && (error == EACCES || error == EPERM || error == EROFS)) {
      WriteInPlace(target, file, bytes);
      return;
    }
    throw FileError(file, "Cannot write", error);
  }
  errno = 0;
  int error = WriteAndClose(stream, bytes);
  if (error == 0) {
    fs::rename(temporary, target, ec);
    error = ec ? ec.value() : 0;
  }
  if (error != 0) {
    fs::remove(temporary, ec);
    throw FileError(file, "Cannot write", error);
  }
}

}  // namespace marovane
