// SPDX-License-Identifier: GPL-3.0-or-later
// The plain floor of a batch: each file created (or truncated) and written under its final
// name, nothing more. Prints the seconds the writing took.
//   marovane_plain_floor SOURCE TARGET   writes the *.out files of SOURCE into TARGET
#include "FloorFiles.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: %s SOURCE TARGET\n", argv[0]);
    return 2;
  }
  size_t count = 0;
  const struct FloorFile* files = FloorLoad(argv[1], argv[2], &count);
  const double start = FloorSeconds();
  for (size_t i = 0; i < count; ++i) {
    const int fd = open(files[i].path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      FloorDie("cannot create", files[i].path);
    }
    FloorWriteAll(fd, &files[i]);
    if (close(fd) != 0) {
      FloorDie("cannot close", files[i].path);
    }
  }
  printf("%.6f\n", FloorSeconds() - start);
  return 0;
}
