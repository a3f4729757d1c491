// SPDX-License-Identifier: GPL-3.0-or-later
// Time from exec to a visible window: starts each program in turn on the X display and waits
// for its first top-level window to be mapped, then ends it. Rounds alternate between the
// program and its baselines; the medians and the ratios to each baseline are printed, for the
// time on the clock and for the processor time the program had used by then (all its
// threads), which other work on a shared machine disturbs less. The exit status judges the
// ratio on the clock to the last baseline.
//
// Usage: marovane_startup_bench PROGRAM BASELINE... [--rounds N]   (on a display: bench/startup)
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
  std::vector<const char*> programs;
  int rounds = 8;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
      rounds = std::max(1, std::atoi(argv[++i]));
    } else {
      programs.push_back(argv[i]);
    }
  }
  if (programs.size() < 2) {
    std::fputs("usage: marovane_startup_bench PROGRAM BASELINE... [--rounds N]\n", stderr);
    return 2;
  }
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

  for (const char* program : programs) {
    TimesToWindow(connection, program);  // the files into the page cache
  }
  std::vector<std::vector<double>> wall(programs.size());
  std::vector<std::vector<double>> cpu(programs.size());
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t which = 0; which < programs.size(); ++which) {
      const Times times = TimesToWindow(connection, programs[which]);
      if (times.wallMs < 0.0) {
        std::fprintf(stderr, "startup: %s showed no window\n", programs[which]);
        return 1;
      }
      wall[which].push_back(times.wallMs);
      cpu[which].push_back(times.cpuMs);
    }
  }
  auto name = [](const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
  };
  std::printf("exec to a visible window, medians of %d alternating rounds:\n", rounds);
  std::printf("  %-28s clock %5.1f ms   processor %5.1f ms\n", name(programs[0]), Median(wall[0]),
              Median(cpu[0]));
  double ratio = 0.0;
  for (std::size_t which = 1; which < programs.size(); ++which) {
    ratio = Median(wall[0]) / Median(wall[which]);
    std::printf(
        "  %-28s clock %5.1f ms   processor %5.1f ms   ratio %.2f on the clock, %.2f "
        "in processor time\n",
        name(programs[which]), Median(wall[which]), Median(cpu[which]), ratio,
        Median(cpu[0]) / Median(cpu[which]));
  }
  std::printf("target: at most 1.2 times %s on the clock\n", name(programs.back()));
  xcb_disconnect(connection);
  return ratio > 1.2 ? 3 : 0;
}
