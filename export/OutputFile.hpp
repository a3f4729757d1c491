// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string_view>

// Opening and writing the program's files the same way on every platform: paths in the
// platform's own form (wide on Windows), errors that name the file and the system's reason,
// and no half-written file under a final name.
namespace marovane {

// A file that could not be read or written; what() names the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& file, std::string_view action, int error);
  const std::filesystem::path& file() const { return file_; }

 private:
  std::filesystem::path file_;
};

// std::fopen for a path of any platform; nullptr and errno set on failure.
std::FILE* OpenFile(const std::filesystem::path& file, const char* mode);

// Replaces the content of `file` by `bytes`. A regular file (or one that does not exist yet)
// is written to a temporary file beside it, which then takes its place: an interrupted or
// failed write leaves the old content, never a truncated file. An existing file keeps its
// permissions, and a symbolic link keeps pointing where it did: the file it points to is
// replaced. Standard output, devices and pipes are written directly. Throws FileError.
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);

}  // namespace marovane
