// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/OutputFile.hpp"

#include <cerrno>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include "export/OutputFileParts.hpp"

// The writer on Windows: paths in their wide form, a file written beside its target under a
// temporary name and then moved over it, a device directly.
namespace marovane {

namespace {

namespace fs = std::filesystem;

using namespace detail;  // OutputFileParts.hpp

// The errno closest to a Windows error, for the message.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    default: return EIO;
  }
}

// Where a chain of symbolic links ends; the file itself when it is no link.
fs::path FollowLinks(fs::path file, const fs::path& shown) {
  std::error_code ec;
  for (int depth = 0; fs::is_symlink(file, ec); ++depth) {
    if (depth == 40) {
      Fail(shown, ELOOP);
    }
    const fs::path next = fs::read_symlink(file, ec);
    if (ec) {
      Fail(shown, ec.value());
    }
    file = next.is_absolute() ? next : file.parent_path() / next;
  }
  return file;
}

// Writes all of `bytes` to `fd` and closes it; 0 or the errno of the first failure.
int WriteAndClose(int fd, std::string_view bytes) {
  int error = 0;
  while (!bytes.empty() && error == 0) {
    const unsigned chunk =
        bytes.size() < (1u << 30) ? static_cast<unsigned>(bytes.size()) : (1u << 30);
    const int written = _write(fd, bytes.data(), chunk);
    if (written <= 0) {
      error = written < 0 && errno != 0 ? errno : EIO;
    } else {
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
  }
  if (_close(fd) != 0 && error == 0) {
    error = errno != 0 ? errno : EIO;
  }
  return error;
}

void WriteDirectly(const fs::path& file, const fs::path& shown, std::string_view bytes) {
  int fd = -1;
  if (_wsopen_s(&fd, file.c_str(), _O_WRONLY | _O_BINARY, _SH_DENYNO, 0) != 0) {
    Fail(shown, errno);
  }
  if (const int error = WriteAndClose(fd, bytes); error != 0) {
    Fail(shown, error);
  }
}

// `path` made full, for ReplaceFileW: wine's refuses a relative one ("The directory name is
// invalid").
fs::path Full(const fs::path& path) {
  std::error_code ec;
  fs::path full = fs::absolute(path, ec);
  return ec ? path : full;
}

void WritePath(const fs::path& file, std::string_view bytes, Target allowed = Target::Any,
               const FileIdentity* input = nullptr) {
  const fs::path target = FollowLinks(file, file);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    Fail(file, EISDIR);
  }
  if (exists && input != nullptr && SameFile(IdentityOf(target), *input)) {
    FailInput(file);
  }
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Fail(file, EACCES);  // replacing it would get round its protection
  }
  std::error_code ec;
  if (exists && !fs::is_regular_file(fs::status(target, ec))) {
    if (allowed == Target::RegularFile) {
      FailNotRegular(file);
    }
    WriteDirectly(target, file, bytes);  // a device such as NUL
    return;
  }
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = target.parent_path() / TemporaryName();
    if (_wsopen_s(&fd, temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO,
                  _S_IREAD | _S_IWRITE) != 0) {
      const int error = errno;
      fd = -1;
      if (error == EEXIST && attempt < 100) {
        continue;
      }
      if (exists && error == EACCES) {
        throw FileError(file, "Cannot write",
                        "its folder takes no new file, so it cannot be replaced safely");
      }
      Fail(file, error);
    }
  }
  int error = WriteAndClose(fd, bytes);
  // A replaced file keeps its rights and attributes: ReplaceFileW gives them to the new one.
  if (error == 0 && exists &&
      !::ReplaceFileW(Full(target).c_str(), Full(temporary).c_str(), nullptr,
                      REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    const DWORD why = ::GetLastError();
    // The old file went but the new one did not take its name: it is given the name as new.
    if (why != ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
        !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
      error = ErrnoOf(why);
    }
  }
  if (error == 0 && !exists &&
      !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = ErrnoOf(::GetLastError());
  }
  if (error != 0) {
    // Unless the old file is gone, and the temporary file holds the only whole content.
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
      ::DeleteFileW(temporary.c_str());
    }
    Fail(file, error);
  }
}

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& file, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return ::_wfopen(file.c_str(), wideMode.c_str());
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes, Target target) {
  WritePath(file, bytes, target);
}

OutputFolder::OutputFolder(const std::filesystem::path& folder) : path_(folder) {}

OutputFolder::~OutputFolder() {}

void OutputFolder::write(const std::filesystem::path& name, std::string_view bytes) {
  const FileIdentity* input = input_.found ? &input_ : nullptr;
  WritePath(path_ / name, bytes, Target::Any, input);
}

FileIdentity IdentityOf(const std::filesystem::path& file) {
  const HANDLE handle =
      ::CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return {};
  }
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = ::GetFileInformationByHandle(handle, &information) != 0;
  ::CloseHandle(handle);
  if (!known) {
    return {};
  }
  return {true, information.dwVolumeSerialNumber,
          (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

// The handlers are POSIX ones (Interruptions.cpp): there is nothing to set up here.
void RemoveTemporariesOnInterruption() {}

}  // namespace marovane
