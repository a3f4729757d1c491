// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/OutputFile.hpp"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "export/Interruptions.hpp"
#include "export/OutputFileParts.hpp"

// The writer on POSIX systems: every file reached relative to its open folder, written unnamed
// or under a temporary name beside it, or in place where it cannot be swapped.
namespace marovane {

namespace {

namespace fs = std::filesystem;

using namespace detail;  // OutputFileParts.hpp and Interruptions.hpp
using detail::Fail;      // beside the Fail of a Shown below

// The path a message names, made only for a message: `folder` / `name`, or `name` alone.
struct Shown {
  const fs::path* folder;
  const fs::path& name;
  fs::path path() const { return folder != nullptr ? *folder / name : name; }
};

[[noreturn]] void Fail(const Shown& shown, int error) {
  Fail(shown.path(), error);
}

// Closes what it holds at the end of its scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.fd_, -1));
    }
    return *this;
  }
  int get() const { return fd_; }
  int close() { return ::close(std::exchange(fd_, -1)); }
  void reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }

 private:
  int fd_;
};

// A name in an open folder: `dir` is AT_FDCWD or the folder that `owned` holds.
struct Place {
  int dir = AT_FDCWD;
  Descriptor owned;
  std::string name;
};

// `path` (relative to `base`) as a name in its open folder.
Place Locate(int base, const std::string& path, const Shown& shown) {
  if (path.empty()) {
    Fail(shown, ENOENT);
  }
  Place place;
  place.dir = base;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    place.name = path;
    return place;
  }
  // "dir/" is the folder itself.
  place.name = slash + 1 == path.size() ? std::string(".") : path.substr(slash + 1);
  const std::string folder = slash == 0 ? std::string("/") : path.substr(0, slash);
  place.owned.reset(::openat(base, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (place.owned.get() < 0) {
    Fail(shown, errno);
  }
  place.dir = place.owned.get();
  return place;
}

bool InProc(int dir) {
  struct statfs info {};
  const int result = dir == AT_FDCWD ? ::statfs(".", &info) : ::fstatfs(dir, &info);
  return result == 0 && info.f_type == 0x9fa0;  // PROC_SUPER_MAGIC
}

enum class Kind { New, Regular, Direct };

// Follows `place` while it names a symbolic link, to the name the links end at; `st` gets
// that file's status. Links of /proc (/dev/stdout is one) lead to an open file, not to a
// name: they are written through, as is a link that ends at a device or a pipe.
Kind Follow(Place& place, struct stat& st, const Shown& shown) {
  struct stat end {};
  end.st_mode = S_IFIFO;  // what a dangling link of /proc stands for
  for (int hops = 0;; ++hops) {
    if (::fstatat(place.dir, place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) {
        return Kind::New;
      }
      Fail(shown, errno);
    }
    if (!S_ISLNK(st.st_mode)) {
      if (S_ISDIR(st.st_mode)) {
        Fail(shown, EISDIR);
      }
      return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Direct;
    }
    if (hops == 0) {
      if (::fstatat(place.dir, place.name.c_str(), &end, 0) == 0) {
        if (S_ISDIR(end.st_mode)) {
          Fail(shown, EISDIR);
        }
        if (!S_ISREG(end.st_mode)) {
          st = end;
          return Kind::Direct;
        }
      } else if (errno != ENOENT) {
        Fail(shown, errno);  // a loop ends here
      }
    }
    if (hops == 40) {
      Fail(shown, ELOOP);
    }
    if (InProc(place.dir)) {
      st = end;
      return Kind::Direct;
    }
    std::string text(256, '\0');
    for (;;) {
      const ssize_t length = ::readlinkat(place.dir, place.name.c_str(), text.data(), text.size());
      if (length < 0) {
        Fail(shown, errno);
      }
      if (static_cast<std::size_t>(length) < text.size()) {
        text.resize(static_cast<std::size_t>(length));
        break;
      }
      text.resize(text.size() * 4);
    }
    Place next = Locate(place.dir, text, shown);
    if (next.owned.get() < 0) {
      next.owned = std::move(place.owned);  // the link's own folder
    }
    place = std::move(next);
  }
}

// Writes all of `bytes`; 0 or the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    if (written == 0) {
      return EIO;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Devices, pipes, and the file behind standard output.
void WriteDirectly(const Place& place, const struct stat& st, const Shown& shown,
                   std::string_view bytes) {
  const int append = S_ISREG(st.st_mode) ? O_APPEND : 0;
  Descriptor fd(::openat(place.dir, place.name.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | append));
  if (fd.get() < 0) {
    Fail(shown, errno);
  }
  int error = WriteAll(fd.get(), bytes);
  if (fd.close() != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    Fail(shown, error);
  }
}

// For a file that cannot be swapped: the room is reserved before the old content is touched.
void WriteInPlace(const Place& place, const Shown& shown, std::string_view bytes) {
  Descriptor fd(
      ::openat(place.dir, place.name.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) {
    Fail(shown, errno);
  }
  const auto size = static_cast<off_t>(bytes.size());
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      bytes.size() > limit.rlim_cur) {
    Fail(shown, EFBIG);
  }
  if (size > 0 && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0) {
    if (errno == EOPNOTSUPP) {
      throw FileError(shown.path(), "Cannot write",
                      "it cannot be swapped for a new file here, and its file system cannot "
                      "reserve the room to rewrite it safely");
    }
    Fail(shown, errno);
  }
  const GuardedRewrite guard;
  int error = WriteAll(fd.get(), bytes);
  if (error == 0 && ::ftruncate(fd.get(), size) != 0) {
    error = errno;
  }
  if (fd.close() != 0 && error == 0) {
    error = errno;
  }
  if (error != 0) {
    Fail(shown, error);
  }
}

// The size of a list of extended attributes as listxattr gives it, 0 where the file system
// keeps none; -1 where it cannot be listed.
ssize_t ListedSize(ssize_t size) {
  return size < 0 && errno == ENOTSUP ? 0 : size;
}

// Reads a list or a value of extended attributes into `text` through `call(buffer, size)`,
// which answers as listxattr and getxattr do; false where it fails.
template <typename Call>
bool ReadAttributes(const Call& call, std::string& text) {
  for (;;) {
    const ssize_t size = call(nullptr, 0);
    if (size < 0) {
      return false;
    }
    text.resize(static_cast<std::size_t>(size));
    if (size == 0) {
      return true;
    }
    const ssize_t read = call(text.data(), text.size());
    if (read >= 0) {
      text.resize(static_cast<std::size_t>(read));
      return true;
    }
    if (errno != ERANGE) {  // else it grew meanwhile
      return false;
    }
  }
}

// Calls `each(name)` for every name of a list of extended attributes.
template <typename Each>
void ForEachName(const std::string& names, const Each& each) {
  for (std::size_t at = 0; at < names.size();) {
    const char* name = names.c_str() + at;
    each(name);
    at += std::char_traits<char>::length(name) + 1;
  }
}

bool Listed(const std::string& names, const char* name) {
  bool found = false;
  ForEachName(names, [&](const char* listed) { found = found || std::strcmp(listed, name) == 0; });
  return found;
}

// The extended attributes of the file a write replaces. Whether it has any is asked by its
// name in the open folder (listxattrat, Linux 6.13: one call, as cheap as a stat; its number
// is the same on every architecture but alpha); before that system, and to read them, by its
// name under /proc, or where /proc is missing, through the file opened to read.
#if defined(SYS_listxattrat)
constexpr long kListAttributesAt = SYS_listxattrat;
#elif defined(__linux__) && !defined(__alpha__)
constexpr long kListAttributesAt = 465;
#else
constexpr long kListAttributesAt = -1;
#endif

class OldAttributes {
 public:
  explicit OldAttributes(const Place& place) : place_(place) {
    if (kListAttributesAt >= 0) {
      size_ = ListedSize(::syscall(kListAttributesAt, place.dir, place.name.c_str(),
                                   AT_SYMLINK_NOFOLLOW, nullptr, std::size_t{0}));
      if (size_ >= 0) {
        return;
      }  // else an older system, or one whose filter refuses calls it does not know
    }
    size_ = ListedSize(list(nullptr, 0));
  }
  // The size of the list of names: 0 when there is none, -1 where it cannot be read.
  ssize_t size() const { return size_; }
  ssize_t list(char* names, std::size_t size) {
    reach();
    return fd_.get() >= 0 ? ::flistxattr(fd_.get(), names, size)
                          : ::llistxattr(path_.c_str(), names, size);
  }
  ssize_t get(const char* name, char* value, std::size_t size) {
    reach();
    return fd_.get() >= 0 ? ::fgetxattr(fd_.get(), name, value, size)
                          : ::lgetxattr(path_.c_str(), name, value, size);
  }

 private:
  void reach() {
    if (!path_.empty() || fd_.get() >= 0) {
      return;
    }
    if (place_.dir == AT_FDCWD) {
      path_ = place_.name;
      return;
    }
    path_ = "/proc/self/fd/" + std::to_string(place_.dir) + "/" + place_.name;
    if (::llistxattr(path_.c_str(), nullptr, 0) < 0 && errno == ENOENT) {
      fd_.reset(::openat(place_.dir, place_.name.c_str(),
                         O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    }
  }

  const Place& place_;
  std::string path_;
  Descriptor fd_;
  ssize_t size_ = -1;
};

// Gives the temporary file `fd` the extended attributes of the file it replaces, its access
// list among them, and takes away those it got of its own (a folder's default access list),
// an attribute that both have alike left as it is; false where that cannot be done.
bool CopyAttributes(int fd, OldAttributes& old, bool madeAttributes) {
  std::string names;
  std::string madeNames;
  if (old.size() < 0 ||
      (old.size() > 0 &&
       !ReadAttributes([&](char* b, std::size_t n) { return old.list(b, n); }, names)) ||
      (madeAttributes &&
       !ReadAttributes([&](char* b, std::size_t n) { return ::flistxattr(fd, b, n); },
                       madeNames))) {
    return false;
  }
  bool copied = true;
  ForEachName(madeNames, [&](const char* name) {
    copied = copied && (Listed(names, name) || ::fremovexattr(fd, name) == 0);
  });
  std::string value;
  std::string madeValue;
  ForEachName(names, [&](const char* name) {
    copied = copied &&
             ReadAttributes([&](char* b, std::size_t n) { return old.get(name, b, n); }, value) &&
             ((Listed(madeNames, name) &&
               ReadAttributes([&](char* b, std::size_t n) { return ::fgetxattr(fd, name, b, n); },
                              madeValue) &&
               madeValue == value) ||
              ::fsetxattr(fd, name, value.data(), value.size(), 0) == 0);
  });
  return copied;
}

// Gives the temporary file `fd`, made with `mode`, the owner, group, mode, access list and
// extended attributes of the file it replaces (`old`, when `replacing`); refuses a file that
// may not be written. False where the attributes cannot be carried over: the file is then
// rewritten in place. `habits`, for a file of the OutputFolder itself, tell what a file made
// with that mode gets there.
bool Prepare(int fd, mode_t mode, const Place& place, bool replacing, const struct stat& old,
             const Shown& shown, OutputFolder::Habits* habits) {
  if (!replacing) {
    return true;
  }
  struct stat made {};
  bool madeAttributes = false;
  if (habits != nullptr && habits->madeKnown && habits->requestedMode == mode) {
    made.st_uid = habits->madeOwner;
    made.st_gid = habits->madeGroup;
    made.st_mode = habits->madeMode;
    madeAttributes = habits->madeAttributes;
  } else {
    if (::fstat(fd, &made) != 0) {
      Fail(shown, errno);
    }
    madeAttributes = ListedSize(::flistxattr(fd, nullptr, 0)) != 0;
    if (habits != nullptr) {
      *habits = {habits->lastNew,      true,          mode, made.st_uid, made.st_gid,
                 made.st_mode & 07777, madeAttributes};
    }
  }
  // The owner may write what has its write bit; anyone else asks the system.
  if (!(made.st_uid == old.st_uid && (old.st_mode & S_IWUSR) != 0) &&
      ::faccessat(place.dir, place.name.c_str(), W_OK, AT_EACCESS) != 0) {
    Fail(shown, errno);
  }
  bool chowned = false;
  if (made.st_uid != old.st_uid || made.st_gid != old.st_gid) {
    chowned = ::fchown(fd, old.st_uid, old.st_gid) == 0 ||
              (made.st_gid != old.st_gid && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0);
  }
  // After the owner (a change of owner clears some attributes), before the mode (an access
  // list sets the group's bits, which the old mode then sets back as they were).
  OldAttributes oldAttributes(place);
  const bool attributes = oldAttributes.size() != 0 || madeAttributes;
  if (attributes && !CopyAttributes(fd, oldAttributes, madeAttributes)) {
    return false;
  }
  if ((chowned || attributes || (made.st_mode & 07777) != (old.st_mode & 07777)) &&
      ::fchmod(fd, old.st_mode & 07777) != 0) {
    Fail(shown, errno);
  }
  return true;
}

bool CannotCreate(int error) {
  return error == EACCES || error == EPERM;
}

// Links the unnamed file `fd` in as `name`; 0 or errno. Linking the descriptor itself is the
// cheaper way; a system that allows it only to privilege refuses it with ENOENT, and then the
// name under /proc is used, from then on.
int LinkUnnamed(int fd, int dir, const std::string& name) {
  static std::atomic<bool> throughProc{false};
  if (!throughProc.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) {
      return 0;
    }
    if (errno != ENOENT) {
      return errno;
    }
  }
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return errno;
  }
  throughProc.store(true, std::memory_order_relaxed);
  return 0;
}

enum class Outcome { Done, InPlace, Named, Taken };

// A new file: written unnamed and linked in under its name once whole, so that nothing of it
// shows if the program ends meanwhile, however it ends. Taken: the name exists (made
// meanwhile). `guess`: the name was not looked for, and any failure is left to the ordinary
// way (Taken), which looks and reports it.
Outcome WriteUnnamed(const Place& place, const Shown& shown, std::string_view bytes,
                     bool guess = false) {
  Descriptor fd(::openat(place.dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
      return Outcome::Named;  // EISDIR and EINVAL: a system older than unnamed files
    }
    if (guess) {
      return Outcome::Taken;
    }
    Fail(shown, errno);
  }
  if (const int error = WriteAll(fd.get(), bytes); error != 0) {
    if (guess) {
      return Outcome::Taken;
    }
    Fail(shown, error);
  }
  switch (const int error = LinkUnnamed(fd.get(), place.dir, place.name)) {
    case 0: return Outcome::Done;
    case ENOENT:
      return guess ? Outcome::Taken : Outcome::Named;  // a link dangles, or no way to link
    case EEXIST: return Outcome::Taken;
    default:
      if (guess) {
        return Outcome::Taken;
      }
      Fail(shown, error);
  }
}

// Through a temporary name beside, renamed over the name: for a file replaced (on tmpfs this
// costs less than an unnamed file linked under a temporary name and then renamed), and on file
// systems without unnamed files.
Outcome WriteNamed(const Place& place, bool replacing, const struct stat& old, const Shown& shown,
                   std::string_view bytes, OutputFolder::Habits* habits) {
  GuardedTemporary guard;
  const mode_t mode = replacing ? (old.st_mode & 0777) : 0666;
  std::string temporary;
  Descriptor fd;
  for (int attempt = 0; fd.get() < 0; ++attempt) {
    temporary = TemporaryName();
    guard.making(place.dir, temporary);
    fd.reset(::openat(place.dir, temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    guard.made(fd.get() >= 0);
    if (fd.get() < 0) {
      if (errno == EEXIST && attempt < 100) {
        continue;
      }
      if (replacing && CannotCreate(errno)) {
        return Outcome::InPlace;
      }
      Fail(shown, errno);
    }
  }
  bool prepared = false;
  try {
    prepared = Prepare(fd.get(), mode, place, replacing, old, shown, habits);
  } catch (const FileError&) {
    ::unlinkat(place.dir, temporary.c_str(), 0);
    throw;
  }
  if (!prepared) {
    fd.reset();
    ::unlinkat(place.dir, temporary.c_str(), 0);
    return Outcome::InPlace;
  }
  int error = WriteAll(fd.get(), bytes);
  if (fd.close() != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::renameat(place.dir, temporary.c_str(), place.dir, place.name.c_str()) == 0) {
    return Outcome::Done;
  }
  if (error == 0) {
    error = errno;
  }
  ::unlinkat(place.dir, temporary.c_str(), 0);
  guard.failed();
  if (replacing && CannotCreate(error)) {
    return Outcome::InPlace;
  }
  Fail(shown, error);
}

FileIdentity IdentityOf(const struct stat& st) {
  return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// `habits`: those of the OutputFolder `base`, or none. `input`: a file not to be written.
void WriteAt(int base, const std::string& path, const Shown& shown, std::string_view bytes,
             OutputFolder::Habits* habits = nullptr, Target target = Target::Any,
             const FileIdentity* input = nullptr) {
  Place place = Locate(base, path, shown);
  const bool unnamed = !gNamedTemporaries.load(std::memory_order_relaxed);
  if (place.dir != base) {
    habits = nullptr;  // they are the folder's own
  }
  if (habits != nullptr && habits->lastNew && unnamed) {
    const Outcome guessed = WriteUnnamed(place, shown, bytes, true);
    if (guessed == Outcome::Done) {
      return;
    }
    habits->lastNew = false;
  }
  struct stat old {};
  const Kind kind = Follow(place, old, shown);
  if (kind != Kind::New && input != nullptr && SameFile(IdentityOf(old), *input)) {
    FailInput(shown.path());
  }
  if (kind == Kind::Direct) {
    if (target == Target::RegularFile) {
      FailNotRegular(shown.path());
    }
    WriteDirectly(place, old, shown, bytes);
    return;
  }
  if (place.dir != base) {
    habits = nullptr;  // a link led elsewhere
  }
  bool replacing = kind == Kind::Regular;
  Outcome outcome = Outcome::Named;
  if (!replacing && unnamed) {
    outcome = WriteUnnamed(place, shown, bytes);
    if (habits != nullptr) {
      habits->lastNew = outcome == Outcome::Done;
    }
  }
  if (outcome == Outcome::Taken) {  // written meanwhile by someone else: replaced as any file
    const Kind now = Follow(place, old, shown);
    if (now != Kind::New && input != nullptr && SameFile(IdentityOf(old), *input)) {
      FailInput(shown.path());
    }
    if (now == Kind::Direct) {
      if (target == Target::RegularFile) {
        FailNotRegular(shown.path());
      }
      WriteDirectly(place, old, shown, bytes);
      return;
    }
    replacing = now == Kind::Regular;
    outcome = Outcome::Named;
  }
  if (outcome == Outcome::Named) {
    outcome = WriteNamed(place, replacing, old, shown, bytes, habits);
  }
  if (outcome == Outcome::InPlace) {
    WriteInPlace(place, shown, bytes);
  }
}

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& file, const char* mode) {
  return std::fopen(file.c_str(), mode);
}

void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes, Target target) {
  WriteAt(AT_FDCWD, file.native(), Shown{nullptr, file}, bytes, nullptr, target);
}

OutputFolder::OutputFolder(const std::filesystem::path& folder) : path_(folder) {
  if (!folder.empty()) {
    descriptor_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ < 0) {
      Fail(folder, errno);
    }
  }
}

OutputFolder::~OutputFolder() {
  if (descriptor_ >= 0) {
    ::close(descriptor_);
  }
}

void OutputFolder::write(const std::filesystem::path& name, std::string_view bytes) {
  const FileIdentity* input = input_.found ? &input_ : nullptr;
  WriteAt(descriptor_ >= 0 ? descriptor_ : AT_FDCWD, name.native(), Shown{&path_, name}, bytes,
          &habits_, Target::Any, input);
}

FileIdentity IdentityOf(const std::filesystem::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) {
    return {};
  }
  return IdentityOf(st);
}

}  // namespace marovane
