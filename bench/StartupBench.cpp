// SPDX-License-Identifier: GPL-3.0-or-later
// Time from exec to a visible window: starts each program in turn on the X display and waits
// for its first top-level window to be mapped, then ends it. Pairs alternate between the
// baseline and the program; the medians and their ratio are printed, for the time on the
// clock and for the processor time the program had used by then (all its threads), which
// other work on a shared machine disturbs less.
//
// Usage: marovane_startup_bench BASELINE PROGRAM [pairs]   (on an X display: bench/startup)
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Times {
  double wallMs = -1.0;
  double cpuMs = 0.0;
};

// Processor time of every thread of `pid` so far, from the scheduler's own count.
double CpuMilliseconds(pid_t pid) {
  double ns = 0.0;
  std::error_code error;
  for (const auto& task :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    std::ifstream stat(task.path() / "schedstat");
    double run = 0.0;
    if (stat >> run) {
      ns += run;
    }
  }
  return ns / 1e6;
}

void Drain(xcb_connection_t* connection) {
  xcb_flush(connection);
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
    std::free(event);
  }
}

// From the spawn of `program` to the map of its first top-level window; a negative wall time
// when none came within 20 s. The program's output is dropped.
Times TimesToWindow(xcb_connection_t* connection, const char* program) {
  Drain(connection);
  char* argv[] = {const_cast<char*>(program), nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program, &quiet, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (failed != 0) {
    std::fprintf(stderr, "startup: cannot start %s\n", program);
    std::exit(1);
  }
  Times times;
  pollfd watch{xcb_get_file_descriptor(connection), POLLIN, 0};
  while (times.wallMs < 0.0 && Clock::now() - start < std::chrono::seconds(20)) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
      if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
          reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect == 0 &&
          times.wallMs < 0.0) {
        times.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        times.cpuMs = CpuMilliseconds(pid);
      }
      std::free(event);
    }
    if (times.wallMs < 0.0) {
      poll(&watch, 1, 100);
    }
  }
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  Drain(connection);
  return times;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fputs("usage: marovane_startup_bench BASELINE PROGRAM [pairs]\n", stderr);
    return 2;
  }
  const int pairs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 8;
  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection) != 0) {
    std::fputs("startup: no X display\n", stderr);
    return 1;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) {
    xcb_screen_next(&screens);
  }
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, screens.data->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection);

  const char* programs[] = {argv[1], argv[2]};
  for (const char* program : programs) {
    TimesToWindow(connection, program);  // the files into the page cache
  }
  std::vector<double> wall[2];
  std::vector<double> cpu[2];
  for (int pair = 0; pair < pairs; ++pair) {
    for (int which = 0; which < 2; ++which) {
      const Times times = TimesToWindow(connection, programs[which]);
      if (times.wallMs < 0.0) {
        std::fprintf(stderr, "startup: %s showed no window\n", programs[which]);
        return 1;
      }
      wall[which].push_back(times.wallMs);
      cpu[which].push_back(times.cpuMs);
    }
  }
  const char* name = std::strrchr(argv[2], '/') != nullptr ? std::strrchr(argv[2], '/') + 1 : argv[2];
  const double ratio = Median(wall[1]) / Median(wall[0]);
  std::printf("exec to a visible window, medians of %d alternating pairs:\n"
              "  on the clock:  bare Qt window %.1f ms, %s %.1f ms, ratio %.2f (target: at most 1.2)\n"
              "  processor:     bare Qt window %.1f ms, %s %.1f ms, ratio %.2f\n",
              pairs, Median(wall[0]), name, Median(wall[1]), ratio, Median(cpu[0]), name,
              Median(cpu[1]), Median(cpu[1]) / Median(cpu[0]));
  xcb_disconnect(connection);
  return ratio > 1.2 ? 3 : 0;
}
