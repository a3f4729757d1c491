// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

// Opening and writing the program's files the same way on every platform: paths in the
// platform's own form (wide on Windows), errors that name the file and the system's reason,
// and no half-written file under a final name.
namespace marovane {

// A file that could not be read or written. what() is "<action> <file>: <reason>" in UTF-8 on
// every platform, the reason being the system's text ("Permission denied") or, where the
// program itself turned the file down, why.
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& file, std::string_view action, int error);
  FileError(const std::filesystem::path& file, std::string_view action, std::string reason);
  const std::filesystem::path& file() const { return file_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path file_;
  std::string reason_;
};

// A path's name in UTF-8, whatever the platform's own form of it (wide on Windows).
std::string Utf8Path(const std::filesystem::path& path);

// std::fopen for a path of any platform; nullptr and errno set on failure.
std::FILE* OpenFile(const std::filesystem::path& file, const char* mode);

// Replaces the content of `file` by `bytes`; every file the program writes goes through here.
// Throws FileError ("Cannot write <file>: <reason>"), and then the file is as it was.
//
// - A new file, or one that replaces a regular file, is written in full before it takes the
//   name. On Linux a new file is written unnamed in the target's folder and linked in when
//   complete, so nothing of it shows however the program ends; a replaced file (and any file
//   where the file system has no unnamed files) is written beside under a short temporary
//   name and renamed over the target. On Windows it is written beside, then moved over it.
//   A failed write or a full disk leaves the old content.
// - A program ended by SIGINT, SIGTERM, SIGHUP or SIGQUIT leaves only whole files: where the
//   program has called RemoveTemporariesOnInterruption, its handlers remove a temporary name
//   that exists; elsewhere the writing thread holds those signals back while one exists, which
//   keeps the guarantee only where no other thread takes them (the batch's planning thread
//   never does). Only a SIGKILL or a crash while a file is replaced can leave a ".marovane-"
//   file beside it. A file rewritten in place holds the signals back in its thread, and the
//   handlers, taking one on another thread, wait for the end of the rewrite.
// - A new file gets the usual mode (0666 less the umask). A replaced file keeps its mode, and
//   its owner and group where the writer may set them (root may; others keep the group when
//   they belong to it). It keeps its access list and extended attributes too, and takes none
//   of its own (a folder's default access list gives the temporary file one, which goes);
//   where they cannot be carried over (an attribute the writer may not read or set), the file
//   is rewritten in place as below. On Windows the replaced file keeps its rights and
//   attributes (ReplaceFileW), and a new one takes the folder's inherited rights.
// - A file the writer may not write (mode 0444, or another user's) is refused with
//   "Permission denied", even where the folder would allow replacing it.
// - A symbolic link keeps pointing where it did, and the file it ends at is written (created
//   when the link dangles). A loop of links is refused with "Too many levels of symbolic
//   links" and nothing changes.
// - Where a replaced file cannot be swapped (a folder where the writer may create nothing, a
//   sticky folder such as /tmp holding another user's file), it is rewritten in place: the
//   room for the new content is reserved first, so a full disk, a quota or the file size
//   limit refuses the write with the old content whole; a file system that cannot reserve
//   room refuses it. Copy-on-write file systems may still run out of room midway, which is
//   then reported.
// - Any name and path the system accepts can be written (a 255-byte name, a 4,095-byte path):
//   the work is done relative to the open folder, and a temporary name is short.
// - Standard output (/dev/stdout), devices and pipes are written directly, a regular file
//   behind /dev/stdout at its end.
//
// On Linux a new file costs 7 system calls (4 through an OutputFolder after a new one) and a
// replaced one of the same owner and mode, without an access list or extended attributes, 10
// (6 through an OutputFolder after the first), or 12 (8) where the signals must be held back.
enum class Target { Any, RegularFile };
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes,
                    Target target = Target::Any);

// Which file a path leads to, through any links: its device and its number there (on Windows
// the volume's serial number and the file's index). Not `found` where no file is there.
struct FileIdentity {
  bool found = false;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
};
FileIdentity IdentityOf(const std::filesystem::path& file);

// Whether both are one file that was found: the check that keeps an output from replacing
// the input it is made from, whatever name or link leads to it.
bool SameFile(const FileIdentity& a, const FileIdentity& b);

// For a program's start: SIGINT, SIGTERM, SIGHUP and SIGQUIT, where they would end the program
// at once, first remove any temporary name of the writes under way, in whichever thread they
// are taken, and then end it as before. Writes then need not hold them back, which saves two
// system calls on each replaced file. A signal the program ignores or handles is left alone.
void RemoveTemporariesOnInterruption();

// A folder held open to write several files into it, as WriteFileBytes does, without looking
// the folder up again for each (a batch writes all its files into one folder).
class OutputFolder {
 public:
  // `folder` empty is the working folder. Throws FileError naming `folder`.
  explicit OutputFolder(const std::filesystem::path& folder);
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // WriteFileBytes(path() / name, bytes); errors name path() / name. One thread at a time.
  void write(const std::filesystem::path& name, std::string_view bytes);

  // From then on a write that would land on `input` (SameFile) is refused, "it is the input
  // file", and the file is left as it is; it costs no system call.
  void spare(const FileIdentity& input) { input_ = input; }

  // What the writes found of the folder itself, so that the next need not ask again: whether
  // the last file was new (the next is first tried as new, without looking for it), and the
  // owner, group and mode a temporary file made with `requestedMode` got here, and whether it
  // got extended attributes (a default access list) (a replaced file then has no temporary
  // file to look at, while the folder's set-group-ID bit and default access list and the
  // program's umask stay as they were).
  struct Habits {
    bool lastNew = false;
    bool madeKnown = false;
    unsigned requestedMode = 0;
    unsigned madeOwner = 0;
    unsigned madeGroup = 0;
    unsigned madeMode = 0;
    bool madeAttributes = false;
  };

 private:
  std::filesystem::path path_;
  int descriptor_ = -1;
  Habits habits_;
  FileIdentity input_;
};

namespace detail {
// For tests: write through short temporary names, as on a file system without unnamed files.
void UseNamedTemporaries(bool named);
}  // namespace detail

}  // namespace marovane
