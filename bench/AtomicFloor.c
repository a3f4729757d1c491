// SPDX-License-Identifier: GPL-3.0-or-later
// The atomic floor of a batch: each file written where no one sees it and then put in place
// whole, in one of two ways. Prints the seconds the writing took.
//   marovane_atomic_floor unnamed SOURCE TARGET   an O_TMPFILE file linked in; an existing
//                                                  file is replaced through a linked name
//   marovane_atomic_floor rename SOURCE TARGET    a new file beside, renamed over the name
#include "FloorFiles.h"

#include <errno.h>

// The temporary name beside `file`: ".name.tmp".
static void BesideName(const struct FloorFile* file, char* beside, size_t size) {
  const char* slash = strrchr(file->path, '/');
  snprintf(beside, size, "%.*s/.%s.tmp", (int)(slash - file->path), file->path, slash + 1);
}

static void Unnamed(const struct FloorFile* file, const char* folderPath) {
  const int fd = open(folderPath, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    FloorDie("cannot create in", folderPath);
  }
  FloorWriteAll(fd, file);
  char self[32];
  snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  if (linkat(AT_FDCWD, self, AT_FDCWD, file->path, AT_SYMLINK_FOLLOW) != 0) {
    char beside[4096];
    BesideName(file, beside, sizeof beside);
    if (errno != EEXIST || linkat(AT_FDCWD, self, AT_FDCWD, beside, AT_SYMLINK_FOLLOW) != 0 ||
        rename(beside, file->path) != 0) {
      FloorDie("cannot link", file->path);
    }
  }
  if (close(fd) != 0) {
    FloorDie("cannot close", file->path);
  }
}

static void Beside(const struct FloorFile* file) {
  char beside[4096];
  BesideName(file, beside, sizeof beside);
  const int fd = open(beside, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    FloorDie("cannot create", beside);
  }
  FloorWriteAll(fd, file);
  if (close(fd) != 0 || rename(beside, file->path) != 0) {
    FloorDie("cannot rename", beside);
  }
}

int main(int argc, char** argv) {
  if (argc != 4 || (strcmp(argv[1], "unnamed") != 0 && strcmp(argv[1], "rename") != 0)) {
    fprintf(stderr, "usage: %s unnamed|rename SOURCE TARGET\n", argv[0]);
    return 2;
  }
  const int unnamed = strcmp(argv[1], "unnamed") == 0;
  size_t count = 0;
  const struct FloorFile* files = FloorLoad(argv[2], argv[3], &count);
  const double start = FloorSeconds();
  for (size_t i = 0; i < count; ++i) {
    if (unnamed) {
      Unnamed(&files[i], argv[3]);
    } else {
      Beside(&files[i]);
    }
  }
  printf("%.6f\n", FloorSeconds() - start);
  return 0;
}
