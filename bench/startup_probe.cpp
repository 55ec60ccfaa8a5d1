// Measures how long programs take from launch until their first window is mapped on the X
// display, and their peak memory until then. Programs are run interleaved, several times.
//
//   startup_probe RUNS PROGRAM...
//
// Prints one line per program: the median and the spread of the times, the median peak
// resident size, and each program's ratio to the first program.
#include <signal.h>  // NOLINT(modernize-deprecated-headers): kill() is POSIX, not in <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Sample {
  double ms = 0;
  long peakKiB = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Runs one program until its first top-level window is mapped, then ends it.
bool RunOnce(xcb_connection_t* c, xcb_window_t root, const char* program, Sample& out) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  bool mapped = false;
  while (!mapped) {
    xcb_generic_event_t* e = xcb_wait_for_event(c);
    if (e == nullptr) break;
    if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
      auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
      mapped = m->event == root && !m->override_redirect;
    }
    free(e);
  }
  out.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  kill(pid, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  out.peakKiB = usage.ru_maxrss;
  return mapped;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_probe RUNS PROGRAM...\n");
    return 2;
  }
  const int runs = static_cast<int>(std::clamp(std::strtol(argv[1], nullptr, 10), 1L, 100000L));
  const std::vector<std::string> programs(argv + 2, argv + argc);

  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) {
    std::fprintf(stderr, "startup_probe: cannot connect to the X display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);

  std::vector<std::vector<double>> times(programs.size());
  std::vector<std::vector<double>> peaks(programs.size());
  for (int r = 0; r < runs + 1; ++r) {  // the first round warms the caches and is not counted
    for (size_t p = 0; p < programs.size(); ++p) {
      Sample s;
      if (!RunOnce(c, root, programs[p].c_str(), s)) {
        std::fprintf(stderr, "startup_probe: %s showed no window\n", programs[p].c_str());
        return 1;
      }
      if (r > 0) {
        times[p].push_back(s.ms);
        peaks[p].push_back(static_cast<double>(s.peakKiB));
      }
    }
  }
  const double baseTime = Median(times[0]);
  const double basePeak = Median(peaks[0]);
  for (size_t p = 0; p < programs.size(); ++p) {
    const double t = Median(times[p]);
    const double m = Median(peaks[p]);
    std::printf("%-40s median %7.1f ms (min %6.1f, max %6.1f)  peak %7.0f KiB  time x%.3f  memory x%.3f\n",
                programs[p].c_str(), t, *std::min_element(times[p].begin(), times[p].end()),
                *std::max_element(times[p].begin(), times[p].end()), m, t / baseTime, m / basePeak);
  }
  xcb_disconnect(c);
  return 0;
}
