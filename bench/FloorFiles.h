// SPDX-License-Identifier: GPL-3.0-or-later
// What the floor programs share: the files of a finished batch read into memory before the
// clock runs, so that only creating and writing them is timed.
#ifndef MAROVANE_FLOOR_FILES_H
#define MAROVANE_FLOOR_FILES_H

#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

struct FloorFile {
  char* path;  // where the floor writes it
  char* bytes;
  size_t size;
};

static void FloorDie(const char* what, const char* name) {
  fprintf(stderr, "floor: %s %s: ", what, name);
  perror(NULL);
  exit(1);
}

// Every *.out file of `source`, to be written into `target`.
static struct FloorFile* FloorLoad(const char* source, const char* target, size_t* count) {
  DIR* dir = opendir(source);
  if (dir == NULL) {
    FloorDie("cannot read", source);
  }
  size_t capacity = 1024;
  struct FloorFile* files = malloc(capacity * sizeof *files);
  *count = 0;
  struct dirent* entry;
  while ((entry = readdir(dir)) != NULL) {
    const size_t length = strlen(entry->d_name);
    if (length < 4 || strcmp(entry->d_name + length - 4, ".out") != 0) {
      continue;
    }
    if (*count == capacity) {
      capacity *= 2;
      files = realloc(files, capacity * sizeof *files);
    }
    struct FloorFile* file = &files[(*count)++];
    char from[4096];
    snprintf(from, sizeof from, "%s/%s", source, entry->d_name);
    const int fd = open(from, O_RDONLY | O_CLOEXEC);
    struct stat status;
    if (fd < 0 || fstat(fd, &status) != 0) {
      FloorDie("cannot read", from);
    }
    file->size = (size_t)status.st_size;
    file->bytes = malloc(file->size + 1);
    if (read(fd, file->bytes, file->size) != (ssize_t)file->size) {
      FloorDie("cannot read", from);
    }
    close(fd);
    const size_t pathSize = strlen(target) + length + 2;
    file->path = malloc(pathSize);
    snprintf(file->path, pathSize, "%s/%s", target, entry->d_name);
  }
  closedir(dir);
  return files;
}

static double FloorSeconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

static void FloorWriteAll(int fd, const struct FloorFile* file) {
  if (write(fd, file->bytes, file->size) != (ssize_t)file->size) {
    FloorDie("cannot write", file->path);
  }
}

#endif
