// SPDX-License-Identifier: GPL-3.0-or-later
// The one writer of the program's files, case by case. Cases about permissions mean nothing
// to root, which may write anything: run as root (as CI does), they run again in a child
// process that has become nobody.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TestFiles.hpp"
#include "export/OutputFile.hpp"

namespace marovane {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

// The ways into the writer: by path, through an open folder, and with named temporaries as on
// a file system without unnamed files.
enum class Way { Path, Folder, Named };

void Write(Way way, const fs::path& file, std::string_view bytes) {
  detail::UseNamedTemporaries(way == Way::Named);
  struct Reset {
    ~Reset() { detail::UseNamedTemporaries(false); }
  } reset;
  if (way == Way::Folder) {
    OutputFolder(file.parent_path()).write(file.filename(), bytes);
  } else {
    WriteFileBytes(file, bytes);
  }
}

// What a case found wrong, one line each; empty when it held.
struct Findings {
  std::string text;
  void check(bool holds, const std::string& what) {
    if (!holds) {
      text += what + "\n";
    }
  }
  // The write fails, naming `file`, with `reason`.
  void refused(Way way, const fs::path& file, std::string_view bytes, const std::string& reason,
               const fs::path& named = {}) {
    try {
      Write(way, file, bytes);
      check(false, "no error writing " + file.string());
    } catch (const FileError& e) {
      const fs::path shown = named.empty() ? file : named;
      check(e.what() == "Cannot write " + shown.string() + ": " + reason && e.file() == shown,
            std::string("message: ") + e.what());
    }
  }
  void content(const fs::path& file, const std::string& expected) {
    std::error_code ec;
    check(fs::is_regular_file(file, ec) && test::ReadBytes(file) == expected,
          file.filename().string() + " does not hold " + expected.substr(0, 20));
  }
};

std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += name + " ";
  }
  return text;
}

struct stat Status(const fs::path& file) {
  struct stat st {};
  ::lstat(file.c_str(), &st);
  return st;
}

// Sets the file size limit, as a shell's ulimit -f, for the life of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
    handler_ = std::signal(SIGXFSZ, SIG_IGN);  // the write reports EFBIG instead
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, handler_);
  }

 private:
  rlimit saved_{};
  void (*handler_)(int) = nullptr;
};

// A file's mode and extended attributes, its access list among them, as text: "mode 640
// system.posix_acl_access=\x02... user.source=lats.txt". A file without its owner's read bit
// is given it for the reading, as user attributes are read with it.
std::string Attributes(const fs::path& file) {
  const mode_t mode = Status(file).st_mode & 07777;
  char octal[8];
  std::snprintf(octal, sizeof octal, "%o", static_cast<unsigned>(mode));
  std::string text = std::string("mode ") + octal;
  if ((mode & S_IRUSR) == 0) {
    ::chmod(file.c_str(), mode | S_IRUSR);
  }
  std::vector<char> names(65536);
  const ssize_t listed = ::llistxattr(file.c_str(), names.data(), names.size());
  std::vector<std::string> sorted;
  for (ssize_t at = 0; at < listed; at += static_cast<ssize_t>(sorted.back().size()) + 1) {
    sorted.emplace_back(names.data() + at);
  }
  std::sort(sorted.begin(), sorted.end());
  for (const std::string& name : sorted) {
    std::vector<char> value(65536);
    const ssize_t length = ::lgetxattr(file.c_str(), name.c_str(), value.data(), value.size());
    text += " " + name + "=";
    for (ssize_t i = 0; i < length; ++i) {
      const auto c = static_cast<unsigned char>(value[static_cast<std::size_t>(i)]);
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, c > ' ' && c < 127 ? "%c" : "\\x%02x", c);
      text += escaped;
    }
    if (length < 0) {
      text += "unreadable";
    }
  }
  if ((mode & S_IRUSR) == 0) {
    ::chmod(file.c_str(), mode);
  }
  return text;
}

// Runs a command of the acl package; whether it did its work.
bool Run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

class Umask {
 public:
  explicit Umask(mode_t mask) : saved_(::umask(mask)) {}
  ~Umask() { ::umask(saved_); }

 private:
  mode_t saved_;
};

const std::string kOld = "old content\r\n";
const std::string kLong = std::string(6000, 'n');  // more than the 4,096-byte limit below

void ReplacesTheWholeContent(const fs::path& dir, Way way, Findings& f) {
  test::WriteText(dir / "out.csv", std::string(100000, 'x'));
  for (const std::string& text : {std::string("new\r\n"), std::string(), kLong}) {
    Write(way, dir / "out.csv", text);
    f.content(dir / "out.csv", text);
  }
  Write(way, dir / "new.csv", "");
  f.content(dir / "new.csv", "");
  f.check(Names(dir) == std::vector<std::string>{"new.csv", "out.csv"}, Joined(Names(dir)));
}

// A planted 0600 for new files fails here.
void ModesOfNewAndReplacedFiles(const fs::path& dir, Way way, Findings& f) {
  const Umask usual(022);
  const std::pair<mode_t, mode_t> masks[] = {{022, 0644}, {027, 0640}, {077, 0600}};
  for (const auto& [mask, mode] : masks) {
    const Umask set(mask);
    const fs::path file = dir / ("new" + std::to_string(mask));
    Write(way, file, kOld);
    f.check(
        (Status(file).st_mode & 07777) == mode,
        "umask " + std::to_string(mask) + " gave " + std::to_string(Status(file).st_mode & 07777));
  }
  for (const mode_t mode : {0600, 0640, 0666, 0750, 0602}) {
    const fs::path file = dir / ("kept" + std::to_string(mode));
    test::WriteText(file, kOld);
    ::chmod(file.c_str(), mode);
    Write(way, file, "new");
    f.content(file, "new");
    f.check((Status(file).st_mode & 07777) == mode, "mode " + std::to_string(mode) + " lost");
  }
}

// A replaced file keeps its access list (a named user's entry, the group's own bits below the
// mask) and its extended attributes, and takes nothing of a folder's default access list; a
// file with nothing of the kind gets nothing. Where the writer may not read an attribute (a
// user's write-only file) the file is rewritten in place, which keeps everything. Through an
// open folder the files are written one after the other into one folder, after a new one.
void AccessListsAndAttributesKept(const fs::path& dir, Way way, Findings& f) {
  fs::create_directory(dir / "inherits");
  f.check(Run("setfacl -d -m u:4321:rwx,g::rwx,o::rwx '" + (dir / "inherits").string() + "'"),
          "no default access list on the scratch folder");
  const struct {
    const char* name;
    mode_t mode;
    const char* acl;
    bool attribute;
  } files[] = {
      {"acl.csv", 0640, "u:4321:rw-", true},
      {"attribute.csv", 0640, nullptr, true},
      {"plain.csv", 0640, nullptr, false},  // after one of its mode: the folder's habits
      {"writeonly.csv", 0200, nullptr, true},
  };
  for (const fs::path& folder : {dir, dir / "inherits"}) {
    std::vector<std::string> before;
    for (const auto& file : files) {
      const fs::path path = folder / file.name;
      test::WriteText(path, kOld);
      f.check(Run("setfacl -b '" + path.string() + "'"), "setfacl -b");
      ::chmod(path.c_str(), file.mode);  // an access list then widens the mask to its entry
      if (file.acl != nullptr) {
        f.check(Run("setfacl -m " + std::string(file.acl) + " '" + path.string() + "'"),
                "no access list on the scratch file");
      }
      if (file.attribute) {
        f.check(::setxattr(path.c_str(), "user.source", "lats.txt", 8, 0) == 0,
                "no attribute on the scratch file");
      }
      before.push_back(Attributes(path));
      f.check(
          (before.back().find("system.posix_acl_access") != std::string::npos) ==
                  (file.acl != nullptr) &&
              (before.back().find("user.source=lats.txt") != std::string::npos) == file.attribute,
          file.name + std::string(": ") + before.back());
    }
    std::optional<OutputFolder> open;
    if (way == Way::Folder) {
      open.emplace(folder);
      open->write("new.csv", "n");
    }
    for (const std::string& text : {kLong, std::string("short")}) {
      for (std::size_t i = 0; i < std::size(files); ++i) {
        const fs::path path = folder / files[i].name;
        if (open) {
          open->write(files[i].name, text);
        } else {
          Write(way, path, text);
        }
        if ((files[i].mode & S_IRUSR) == 0) {  // given the read bit for the reading
          ::chmod(path.c_str(), files[i].mode | S_IRUSR);
          f.content(path, text);
          ::chmod(path.c_str(), files[i].mode);
        } else {
          f.content(path, text);
        }
        f.check(Attributes(path) == before[i],
                path.string() + ": " + Attributes(path) + " instead of " + before[i]);
      }
    }
    f.check(Names(folder).size() == std::size(files) + (open ? 1 : 0) + (folder == dir),
            "litter: " + Joined(Names(folder)));
  }
}

// A chain of `length` links in `folder`, the last pointing to `end`; the first of them.
fs::path Chain(const fs::path& folder, int length, const fs::path& end) {
  const auto name = [&](int i) { return "c" + std::to_string(length) + "-" + std::to_string(i); };
  fs::create_directories(folder);
  for (int i = 1; i <= length; ++i) {
    fs::create_symlink(i == length ? end : fs::path(name(i + 1)), folder / name(i));
  }
  return folder / name(1);
}

void LinksKeepPointingWhereTheyDid(const fs::path& dir, Way way, Findings& f) {
  fs::create_directory(dir / "real");
  test::WriteText(dir / "real" / "target.csv", kOld);
  // Chains up to the 40 links the system follows; the longest dangles, and its end is made.
  for (const int length : {5, 39, 40}) {
    const fs::path end = dir / "real" / ("end" + std::to_string(length) + ".csv");
    if (length != 40) {
      test::WriteText(end, kOld);
    }
    const fs::path first = Chain(dir / "chains", length, end);
    Write(way, first, std::to_string(length));
    f.content(end, std::to_string(length));
    f.check(fs::read_symlink(first) == "c" + std::to_string(length) + "-2",
            "the chain of " + std::to_string(length) + " changed");
  }
  f.check(Names(dir / "chains").size() == 84, "litter: " + Joined(Names(dir / "chains")));
  fs::create_symlink("real/target.csv", dir / "link.csv");
  fs::create_symlink("link.csv", dir / "chain.csv");
  fs::create_symlink(dir / "real" / "absolute.csv", dir / "absolute.csv");
  fs::create_symlink("real/new.csv", dir / "dangling.csv");
  fs::create_symlink("../real/target.csv", dir / "real" / "up.csv");
  for (const char* link : {"link.csv", "chain.csv", "absolute.csv", "dangling.csv"}) {
    Write(way, dir / link, link);
    f.check(fs::is_symlink(dir / link), std::string(link) + " is no longer a link");
    f.content(dir / link, link);
  }
  f.check(fs::read_symlink(dir / "chain.csv") == "link.csv", "chain.csv changed");
  f.content(dir / "real" / "target.csv", "chain.csv");
  f.content(dir / "real" / "new.csv", "dangling.csv");
  f.check(Names(dir) == std::vector<std::string>{"absolute.csv", "chain.csv", "chains",
                                                 "dangling.csv", "link.csv", "real"},
          Joined(Names(dir)));
  f.check(Names(dir / "real") == std::vector<std::string>{"absolute.csv", "end39.csv", "end40.csv",
                                                          "end5.csv", "new.csv", "target.csv",
                                                          "up.csv"},
          Joined(Names(dir / "real")));
}

// Loops, and a chain of 41 links (one more than the system follows) to a file.
void LinkLoopIsRefused(const fs::path& dir, Way way, Findings& f) {
  fs::create_symlink("b", dir / "a");
  fs::create_symlink("a", dir / "b");
  fs::create_symlink("self", dir / "self");
  test::WriteText(dir / "end.csv", kOld);
  const fs::path chain = Chain(dir / "chain", 41, dir / "end.csv");
  for (const fs::path& file : {dir / "a", dir / "self", chain}) {
    f.refused(way, file, "new", "Too many levels of symbolic links");
  }
  f.check(fs::read_symlink(dir / "a") == "b" && fs::read_symlink(dir / "b") == "a" &&
              fs::read_symlink(dir / "self") == "self",
          "a link changed");
  f.content(dir / "end.csv", kOld);
  f.check(Names(dir / "chain").size() == 41, "litter: " + Joined(Names(dir / "chain")));
  f.check(Names(dir) == std::vector<std::string>{"a", "b", "chain", "end.csv", "self"},
          Joined(Names(dir)));
}

// A name directly in "/", new and then replaced through a link: root writes it (and removes
// it, its name being the scratch folder's), anyone else is refused.
void NameInTheRootFolder(const fs::path& dir, Way way, Findings& f) {
  const fs::path top =
      "/" + dir.parent_path().filename().string() + "-" + dir.filename().string() + ".csv";
  fs::create_symlink(top, dir / "top.csv");
  if (::geteuid() != 0) {
    f.refused(way, top, kOld, "Permission denied");
    f.refused(way, dir / "top.csv", kOld, "Permission denied");
    f.check(!fs::exists(top), top.string() + " was made");
    return;
  }
  struct Remove {
    const fs::path& file;
    ~Remove() { ::unlink(file.c_str()); }
  } remove{top};
  f.check(!fs::exists(top), top.string() + " was there before");
  Write(way, top, kOld);
  f.content(top, kOld);
  Write(way, dir / "top.csv", kLong);
  f.content(top, kLong);
  f.check(fs::is_symlink(dir / "top.csv"), "top.csv is no longer a link");
}

// The longest name and nearly the longest path the system takes, new and replaced.
void LongNames(const fs::path& dir, Way way, Findings& f) {
  const fs::path name = dir / std::string(255, 'n');
  fs::path deep = dir;
  for (std::size_t room; (room = 4090 - deep.native().size() - 1) > 255;) {
    deep /= std::string(std::min<std::size_t>(200, room - 101), 'd');
  }
  deep /= std::string(4090 - deep.native().size() - 1, 'p');
  fs::create_directories(deep.parent_path());
  f.check(deep.native().size() == 4090, "path of " + std::to_string(deep.native().size()));
  for (const fs::path& file : {name, deep}) {
    for (const std::string& text : {kOld, kLong}) {
      Write(way, file, text);
      f.content(file, text);
    }
    f.check(Names(file.parent_path()).size() == (file == name ? 2u : 1u),
            "litter beside a long name");
  }
}

// A cut-off write (here by the file size limit) leaves what was there, also where the file is
// rewritten in place because its folder takes no new file.
void FailedWriteKeepsTheOldContent(const fs::path& dir, Way way, Findings& f) {
  test::WriteText(dir / "old.csv", kOld);
  fs::create_directory(dir / "closed");
  test::WriteText(dir / "closed" / "old.csv", kOld);
  ::chmod((dir / "closed").c_str(), 0555);
  {
    const FileSizeLimit limit(4096);
    for (const char* file : {"new.csv", "old.csv", "closed/old.csv"}) {
      f.refused(way, dir / file, kLong, "File too large");
    }
  }
  f.content(dir / "old.csv", kOld);
  f.content(dir / "closed" / "old.csv", kOld);
  f.check(Names(dir) == std::vector<std::string>{"closed", "old.csv"}, Joined(Names(dir)));
  // Without the limit the closed folder's file is rewritten, longer and then shorter.
  const struct stat before = Status(dir / "closed" / "old.csv");
  for (const std::string& text : {kLong, std::string("short")}) {
    Write(way, dir / "closed" / "old.csv", text);
    f.content(dir / "closed" / "old.csv", text);
  }
  f.check(Names(dir / "closed") == std::vector<std::string>{"old.csv"}, "litter in closed");
  const struct stat after = Status(dir / "closed" / "old.csv");
  f.check(after.st_mode == before.st_mode && after.st_uid == before.st_uid,
          "closed/old.csv changed");
  ::chmod((dir / "closed").c_str(), 0755);
}

void ReadOnlyFileAndFolderAreRefused(const fs::path& dir, Way way, Findings& f) {
  test::WriteText(dir / "locked.csv", kOld);
  ::chmod((dir / "locked.csv").c_str(), 0444);
  f.refused(way, dir / "locked.csv", "new", "Permission denied");
  f.content(dir / "locked.csv", kOld);
  f.check((Status(dir / "locked.csv").st_mode & 07777) == 0444, "locked.csv lost its mode");
  fs::create_directory(dir / "closed");
  ::chmod((dir / "closed").c_str(), 0555);
  f.refused(way, dir / "closed" / "new.csv", "new", "Permission denied");
  ::chmod((dir / "closed").c_str(), 0755);
  f.check(Names(dir / "closed").empty(), "a file in the read-only folder");
  f.check(Names(dir) == std::vector<std::string>{"closed", "locked.csv"}, Joined(Names(dir)));
}

// Prepared by root: a sticky folder with root's writable file, which nobody may write but not
// rename over.
void PrepareStickyFolder(const fs::path& dir) {
  fs::create_directory(dir / "sticky");
  ::chmod((dir / "sticky").c_str(), 01777);
  test::WriteText(dir / "sticky" / "theirs.csv", kOld);
  ::chmod((dir / "sticky" / "theirs.csv").c_str(), 0666);
}

void StickyFolder(const fs::path& dir, Way way, Findings& f) {
  const fs::path theirs = dir / "sticky" / "theirs.csv";
  for (const std::string& text : {kLong, std::string("short")}) {
    Write(way, theirs, text);
    f.content(theirs, text);
  }
  const struct stat st = Status(theirs);
  f.check(st.st_uid == 0 && (st.st_mode & 07777) == 0666, "theirs.csv changed owner or mode");
  f.check(Names(dir / "sticky") == std::vector<std::string>{"theirs.csv"}, "litter");
}

// Root replaces other users' files without taking them over.
void OwnerAndGroupKept(const fs::path& dir, Way way, Findings& f) {
  const struct {
    const char* name;
    uid_t owner;
    gid_t group;
    mode_t mode;
  } files[] = {{"theirs.csv", kNobody, kNogroup, 0600}, {"group.csv", 0, kNogroup, 02640}};
  for (const auto& file : files) {
    test::WriteText(dir / file.name, kOld);
    f.check(::chown((dir / file.name).c_str(), file.owner, file.group) == 0,
            std::string("cannot give ") + file.name + " its owner");
    ::chmod((dir / file.name).c_str(), file.mode);
    Write(way, dir / file.name, "new");
    f.content(dir / file.name, "new");
    const struct stat st = Status(dir / file.name);
    f.check(st.st_uid == file.owner && st.st_gid == file.group && (st.st_mode & 07777) == file.mode,
            std::string(file.name) + " lost its owner, group or mode");
  }
}

void ErrorsNameTheFileAndTheReason(const fs::path& dir, Way way, Findings& f) {
  fs::create_directory(dir / "folder.csv");
  test::WriteText(dir / "plain", kOld);
  f.refused(way, "/dev/full", kOld, "No space left on device");
  f.refused(way, dir / "folder.csv", kOld, "Is a directory");
  // Through an open folder, the folder is what the message names when it is at fault.
  const auto named = [&](const fs::path& file) {
    return way == Way::Folder ? file.parent_path() : file;
  };
  const fs::path underFile = dir / "plain" / "out.csv";
  f.refused(way, underFile, kOld, "Not a directory", named(underFile));
  const fs::path missing = dir / "m\xc3\xafssing" / "\xce\xa9mega.csv";
  f.refused(way, missing, kOld, "No such file or directory", named(missing));
  f.check(Names(dir) == std::vector<std::string>{"folder.csv", "plain"}, Joined(Names(dir)));
}

// Devices, pipes and standard output are written as they are, never replaced.
void DevicesPipesAndStandardOutput(const fs::path& dir, Way way, Findings& f) {
  fs::create_symlink("/dev/null", dir / "null");
  Write(way, dir / "null", kOld);
  f.check(fs::is_symlink(dir / "null") && fs::is_character_file("/dev/null"), "/dev/null");

  ::mkfifo((dir / "pipe").c_str(), 0600);
  std::string received;
  std::thread reader([&] {
    std::FILE* in = std::fopen((dir / "pipe").c_str(), "rb");
    for (int c; in != nullptr && (c = std::fgetc(in)) != EOF;) {
      received += static_cast<char>(c);
    }
    if (in != nullptr) {
      std::fclose(in);
    }
  });
  Write(way, dir / "pipe", kLong);
  reader.join();
  f.check(received == kLong && fs::is_fifo(dir / "pipe"), "the pipe");

  // Standard output redirected to a file: written after what is there, in the same file.
  const int saved = ::dup(1);
  const int file = ::open((dir / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  f.check(::write(file, "head\n", 5) == 5, "head");
  const ino_t inode = Status(dir / "stdout.txt").st_ino;
  std::fflush(stdout);
  ::dup2(file, 1);
  try {
    Write(way, "/dev/stdout", "body\n");
  } catch (const FileError& e) {
    f.check(false, e.what());
  }
  ::dup2(saved, 1);
  ::close(saved);
  ::close(file);
  f.content(dir / "stdout.txt", "head\nbody\n");
  f.check(Status(dir / "stdout.txt").st_ino == inode, "stdout.txt was replaced");
}

// A program ended by SIGINT or SIGTERM while it writes leaves whole files and nothing else,
// also where files are rewritten in place (the "closed" folder). The first rounds write large
// files; the brief ones after them write a few bytes at a time from a second thread, thousands
// of files a second, so that the signal often comes as a write begins or ends.
void SignalsLeaveOnlyWholeFiles(const fs::path& dir, Way way, Findings& f) {
  constexpr int kLargeRounds = 12;
  constexpr int kRounds = kLargeRounds + 60;
  const std::string large[] = {kOld, std::string(200000, 'b')};
  const std::string brief[] = {std::string(3000, 'a'), "b"};
  const std::vector<std::string> names = {"0.csv", "1.csv", "2.csv", "3.csv"};
  for (const char* folder : {"open", "closed"}) {
    fs::create_directory(dir / folder);
    for (const std::string& name : names) {
      test::WriteText(dir / folder / name, kOld);
    }
    ::chmod((dir / folder).c_str(), folder == std::string("open") ? 0755 : 0555);
    for (int round = 0; round < kRounds; ++round) {
      // A third of the large rounds hold the signals back; the others have the program's
      // handlers remove the temporaries, half of them (and every brief round) writing from a
      // second thread while the first takes the signal, as in the window.
      const bool isBrief = round >= kLargeRounds;
      const std::string* contents = isBrief ? brief : large;
      const int style = isBrief ? 2 : round % 3;
      const pid_t writer = ::fork();
      if (writer == 0) {
        if (style != 0) {
          RemoveTemporariesOnInterruption();
        }
        auto writeForever = [&] {
          for (unsigned n = 0;; ++n) {
            try {
              Write(way, dir / folder / names[n % names.size()], contents[n / 3 % 2]);
            } catch (const std::exception& e) {
              std::fprintf(stderr, "the writer failed: %s\n", e.what());
              _exit(3);
            } catch (...) {
              _exit(3);
            }
          }
        };
        if (style == 2) {
          std::thread(writeForever).detach();
          for (;;) {
            ::pause();
          }
        }
        writeForever();
      }
      ::usleep(static_cast<useconds_t>(isBrief ? 500 + round % 8 * 300 : 1000 + round * 1500));
      const int sent = round % 2 == 0 ? SIGINT : SIGTERM;
      ::kill(writer, sent);
      int status = 0;
      ::waitpid(writer, &status, 0);
      f.check(WIFSIGNALED(status) && WTERMSIG(status) == sent,
              "the writer did not end by the signal: " + std::to_string(status));
    }
    f.check(Names(dir / folder) == names, std::string(folder) + ": " + Joined(Names(dir / folder)));
    for (const std::string& name : names) {
      const std::string text = test::ReadBytes(dir / folder / name);
      f.check(std::count(std::begin(large), std::end(large), text) +
                      std::count(std::begin(brief), std::end(brief), text) ==
                  1,
              name + " cut at " + std::to_string(text.size()) + " bytes");
    }
    ::chmod((dir / folder).c_str(), 0755);
  }
}

// One open folder guesses that a file is new after a new one, and that a temporary file gets
// what the last one got: after each new file, a file of every other kind is written as it is
// alone, also in a folder closed meanwhile (rewritten in place) and for another's file.
void AnOpenFolderGuessesNothingWrong(const fs::path& dir, Way way, Findings& f) {
  const bool root = ::geteuid() == 0;
  for (const char* name : {"plain.csv", "locked.csv", "closed/old.csv", "0600.csv", "0644.csv"}) {
    fs::create_directories((dir / name).parent_path());
    test::WriteText(dir / name, kOld);
  }
  ::chmod((dir / "locked.csv").c_str(), 0444);
  ::chmod((dir / "0600.csv").c_str(), 0600);
  fs::create_directory(dir / "folder.csv");
  fs::create_symlink("real/target.csv", dir / "link.csv");
  fs::create_directory(dir / "real");
  fs::create_symlink("loop.csv", dir / "loop.csv");
  if (root) {
    test::WriteText(dir / "theirs.csv", kOld);
    f.check(::chown((dir / "theirs.csv").c_str(), kNobody, kNogroup) == 0, "chown theirs.csv");
  }
  detail::UseNamedTemporaries(way == Way::Named);
  struct Reset {
    ~Reset() { detail::UseNamedTemporaries(false); }
  } reset;
  OutputFolder open(dir);
  OutputFolder closing(dir / "closed");
  int fresh = 0;
  const auto put = [&](OutputFolder& folder, const std::string& name, std::string_view bytes) {
    const std::string made = "new" + std::to_string(fresh++);
    if (way == Way::Path) {
      WriteFileBytes(folder.path() / made, "n");
      WriteFileBytes(folder.path() / name, bytes);
    } else {
      folder.write(made, "n");
      folder.write(name, bytes);
    }
    f.content(folder.path() / made, "n");
  };
  const auto refused = [&](const std::string& name, const std::string& reason) {
    try {
      put(open, name, "new");
      f.check(false, "no error writing " + name);
    } catch (const FileError& e) {
      f.check(e.reason() == reason, e.what());
    }
  };
  for (const char* name : {"plain.csv", "theirs.csv", "0644.csv", "0600.csv", "link.csv"}) {
    if (root || name != std::string("theirs.csv")) {
      put(open, name, name);
      f.content(dir / name, name);
    }
  }
  f.check((Status(dir / "0644.csv").st_mode & 07777) == 0644 &&
              (Status(dir / "0600.csv").st_mode & 07777) == 0600,
          "a mode was lost");
  f.check(fs::is_symlink(dir / "link.csv"), "link.csv is no longer a link");
  f.check(!root || Status(dir / "theirs.csv").st_uid == kNobody, "theirs.csv was taken over");
  refused("loop.csv", "Too many levels of symbolic links");
  refused("folder.csv", "Is a directory");
  if (root) {
    put(open, "locked.csv", "new");
  } else {
    refused("locked.csv", "Permission denied");
  }
  f.content(dir / "locked.csv", root ? "new" : kOld);
  closing.write("first.csv", "n");
  ::chmod((dir / "closed").c_str(), 0555);
  closing.write("old.csv", "new");
  f.content(dir / "closed" / "old.csv", "new");
  ::chmod((dir / "closed").c_str(), 0755);
  f.check(Names(dir / "closed") == std::vector<std::string>{"first.csv", "old.csv"},
          Joined(Names(dir / "closed")));
}

// Who a case runs as. Run by root, kAsUser cases run as nobody in a child process; run by
// anyone else, they run directly unless they need root to prepare them.
enum Runs : unsigned { kAsRoot = 1, kAsUser = 2, kNeedsRoot = 4 };

struct Case {
  const char* name;
  unsigned runs;
  void (*run)(const fs::path& dir, Way way, Findings& f);
  void (*prepare)(const fs::path& dir) = nullptr;  // by root, before the case
};

const Case kCases[] = {
    {"ReplacesTheWholeContent", kAsRoot | kAsUser, ReplacesTheWholeContent},
    {"ModesOfNewAndReplacedFiles", kAsRoot | kAsUser, ModesOfNewAndReplacedFiles},
    {"AccessListsAndAttributesKept", kAsRoot | kAsUser, AccessListsAndAttributesKept},
    {"LinksKeepPointingWhereTheyDid", kAsRoot | kAsUser, LinksKeepPointingWhereTheyDid},
    {"LinkLoopIsRefused", kAsRoot | kAsUser, LinkLoopIsRefused},
    {"NameInTheRootFolder", kAsRoot | kAsUser, NameInTheRootFolder},
    {"LongNames", kAsRoot | kAsUser, LongNames},
    {"FailedWriteKeepsTheOldContent", kAsRoot | kAsUser, FailedWriteKeepsTheOldContent},
    {"ReadOnlyFileAndFolderAreRefused", kAsUser, ReadOnlyFileAndFolderAreRefused},
    {"StickyFolder", kAsUser | kNeedsRoot, StickyFolder, PrepareStickyFolder},
    {"OwnerAndGroupKept", kAsRoot, OwnerAndGroupKept},
    {"ErrorsNameTheFileAndTheReason", kAsRoot | kAsUser, ErrorsNameTheFileAndTheReason},
    {"DevicesPipesAndStandardOutput", kAsRoot | kAsUser, DevicesPipesAndStandardOutput},
    {"SignalsLeaveOnlyWholeFiles", kAsRoot | kAsUser, SignalsLeaveOnlyWholeFiles},
    {"AnOpenFolderGuessesNothingWrong", kAsRoot | kAsUser, AnOpenFolderGuessesNothingWrong},
};

std::string RunCase(const Case& c, const fs::path& dir, Way way) {
  Findings f;
  try {
    c.run(dir, way, f);
  } catch (const std::exception& e) {
    f.check(false, std::string("threw: ") + e.what());
  }
  return f.text;
}

// Runs the case as nobody in a child process; what it found comes back through a pipe.
std::string RunAsNobody(const Case& c, const fs::path& dir, Way way) {
  int channel[2];
  if (::pipe(channel) != 0) {
    return "no pipe";
  }
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    std::string found;
    if (::setgroups(0, nullptr) != 0 || ::setresgid(kNogroup, kNogroup, kNogroup) != 0 ||
        ::setresuid(kNobody, kNobody, kNobody) != 0 || ::geteuid() != kNobody) {
      found = "could not become nobody\n";
    } else {
      found = RunCase(c, dir, way);
    }
    const bool sent =
        ::write(channel[1], found.data(), found.size()) == static_cast<ssize_t>(found.size());
    _exit(found.empty() && sent ? 0 : 1);
  }
  ::close(channel[1]);
  std::string found;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
    found.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || (WEXITSTATUS(status) != 0 && found.empty())) {
    found += "the child ended with status " + std::to_string(status) + "\n";
  }
  return found;
}

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class OutputFile : public ::testing::TestWithParam<Case> {};

TEST_P(OutputFile, Holds) {
  const Case& c = GetParam();
  const bool root = ::geteuid() == 0;
  struct Run {
    const char* who;
    bool asNobody;
  };
  std::vector<Run> runs;
  if (root && (c.runs & kAsRoot) != 0) {
    runs.push_back({"root", false});
  }
  if ((c.runs & kAsUser) != 0 && (root || (c.runs & kNeedsRoot) == 0)) {
    runs.push_back({root ? "nobody" : "this user", root});
  }
  if (runs.empty()) {
    GTEST_SKIP() << "needs root";
  }
  test::ScratchDir scratch;
  ::chmod(scratch.path().c_str(), 0755);  // for nobody to pass
  int n = 0;
  for (const Run& run : runs) {
    for (const Way way : {Way::Path, Way::Folder, Way::Named}) {
      const fs::path dir = scratch / std::to_string(n++);
      fs::create_directory(dir);
      if (c.prepare != nullptr) {
        c.prepare(dir);
      }
      if (run.asNobody) {
        ASSERT_EQ(::chown(dir.c_str(), kNobody, kNogroup), 0) << dir;
      }
      const std::string found = run.asNobody ? RunAsNobody(c, dir, way) : RunCase(c, dir, way);
      EXPECT_EQ(found, "") << "as " << run.who << ", way " << static_cast<int>(way);
      // A case cut short may leave a folder closed; open them all for the clean-up.
      for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.symlink_status().type() == fs::file_type::directory) {
          ::chmod(entry.path().c_str(), 0755);
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OutputFile, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& tested) {
                           return std::string(tested.param.name);
                         });

}  // namespace
}  // namespace marovane
