// Measures how long programs take from launch until their first window shows drawn content
// on the X display, and their peak memory until then. Programs are run interleaved, several
// times; the first program is the floor the others are compared with.
//
//   startup_probe [--max-ratio R] RUNS PROGRAM...
//
// Prints for each program the median and the spread of the times, the median processor time
// (user + system) and peak resident size, and its ratios to the first program. With --max-ratio, the exit
// status is 3 when any program's median time or median peak memory is more than R times the
// first program's.
//
// "Drawn content" is seen from outside, through the DAMAGE extension: every top-level window
// the program creates is watched, and after each drawing into it the window's pixels are read
// back; the first time they are not all one colour (a bare background), the window shows
// what the program drew.
#include <poll.h>
#include <signal.h>  // NOLINT(modernize-deprecated-headers): kill() is POSIX, not in <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Sample {
  double ms = 0;
  double cpuMs = 0;  // user + system time, a figure that a busy machine disturbs less
  long peakKiB = 0;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

struct Display {
  xcb_connection_t* c = nullptr;
  xcb_window_t root = 0;
  uint8_t damageEvent = 0;  // the DAMAGE extension's first event code
};

// Whether `window` is mapped and its pixels are not all one colour. A window that cannot be
// read (not mapped yet, already gone) shows nothing.
bool ShowsContent(const Display& d, xcb_window_t window) {
  Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(d.c, xcb_get_geometry(d.c, window), nullptr), &free);
  if (!geometry || geometry->width == 0 || geometry->height == 0) return false;
  Reply<xcb_get_image_reply_t> image(
      xcb_get_image_reply(
          d.c, xcb_get_image(d.c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width, geometry->height, ~0U),
          nullptr),
      &free);
  if (!image) return false;
  const int length = xcb_get_image_data_length(image.get());
  const uint8_t* data = xcb_get_image_data(image.get());
  // 24-bit visuals come back as 32 bits a pixel.
  if (length < 8) return false;
  for (int i = 4; i + 4 <= length; i += 4) {
    if (std::memcmp(data, data + i, 3) != 0) return true;
  }
  return false;
}

// How long a program may take to draw before the run is given up.
constexpr auto kPatience = std::chrono::seconds(20);

// The next event, or null when none comes before `deadline`.
xcb_generic_event_t* NextEvent(const Display& d, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (xcb_generic_event_t* e = xcb_poll_for_event(d.c)) return e;
    if (xcb_connection_has_error(d.c) != 0) return nullptr;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return nullptr;
    pollfd fd{xcb_get_file_descriptor(d.c), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(left.count()));
  }
}

// Runs one program until one of its top-level windows shows drawn content, then ends it.
// False when it drew nothing within kPatience.
bool RunOnce(const Display& d, const char* program, Sample& out) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  std::vector<xcb_damage_damage_t> damages;
  bool drawn = false;
  const auto deadline = start + kPatience;
  while (!drawn) {
    xcb_generic_event_t* e = NextEvent(d, deadline);
    if (e == nullptr) break;
    const uint8_t type = e->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
      // Watched from creation on: nothing it draws can slip past. Errors for windows that
      // cannot be watched (input-only helpers) arrive as events and are passed over.
      auto* created = reinterpret_cast<xcb_create_notify_event_t*>(e);
      if (created->parent == d.root && created->override_redirect == 0) {
        const xcb_damage_damage_t damage = xcb_generate_id(d.c);
        xcb_damage_create(d.c, damage, created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        damages.push_back(damage);
        xcb_flush(d.c);
      }
    } else if (type == d.damageEvent + XCB_DAMAGE_NOTIFY) {
      const auto seen = std::chrono::steady_clock::now();
      // Held still while its pixels are read, so that neither its time nor its processor
      // time runs on with work it does after the picture.
      kill(pid, SIGSTOP);
      auto* damaged = reinterpret_cast<xcb_damage_notify_event_t*>(e);
      // Cleared first, so the next drawing is reported again.
      xcb_damage_subtract(d.c, damaged->damage, XCB_NONE, XCB_NONE);
      drawn = ShowsContent(d, damaged->drawable);
      if (drawn) {
        out.ms = std::chrono::duration<double, std::milli>(seen - start).count();
      } else {
        kill(pid, SIGCONT);
      }
    }
    free(e);
  }
  for (const xcb_damage_damage_t damage : damages) xcb_damage_destroy(d.c, damage);
  xcb_flush(d.c);
  kill(pid, SIGKILL);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  out.peakKiB = usage.ru_maxrss;
  const auto ms = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
  };
  out.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
  return drawn;
}

bool Connect(Display& d) {
  d.c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(d.c) != 0) return false;
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(d.c, &xcb_damage_id);
  if (ext == nullptr || ext->present == 0) return false;
  d.damageEvent = ext->first_event;
  Reply<xcb_damage_query_version_reply_t> version(
      xcb_damage_query_version_reply(d.c, xcb_damage_query_version(d.c, 1, 1), nullptr), &free);
  if (!version) return false;
  d.root = xcb_setup_roots_iterator(xcb_get_setup(d.c)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(d.c, d.root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(d.c);
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  double maxRatio = 0;
  int first = 1;
  if (argc > 2 && std::strcmp(argv[1], "--max-ratio") == 0) {
    maxRatio = std::strtod(argv[2], nullptr);
    first = 3;
  }
  if (argc - first < 2) {
    std::fprintf(stderr, "usage: startup_probe [--max-ratio R] RUNS PROGRAM...\n");
    return 2;
  }
  const int runs = static_cast<int>(std::clamp(std::strtol(argv[first], nullptr, 10), 1L, 100000L));
  const std::vector<std::string> programs(argv + first + 1, argv + argc);

  Display d;
  if (!Connect(d)) {
    std::fprintf(stderr, "startup_probe: cannot connect to the X display or it lacks the DAMAGE extension\n");
    return 1;
  }

  std::vector<std::vector<double>> times(programs.size());
  std::vector<std::vector<double>> cpus(programs.size());
  std::vector<std::vector<double>> peaks(programs.size());
  for (int r = 0; r < runs + 1; ++r) {  // the first round warms the caches and is not counted
    for (size_t p = 0; p < programs.size(); ++p) {
      Sample s;
      if (!RunOnce(d, programs[p].c_str(), s)) {
        std::fprintf(stderr, "startup_probe: %s drew nothing within %d s\n", programs[p].c_str(),
                     static_cast<int>(kPatience.count()));
        return 1;
      }
      if (r > 0) {
        times[p].push_back(s.ms);
        cpus[p].push_back(s.cpuMs);
        peaks[p].push_back(static_cast<double>(s.peakKiB));
      }
    }
  }
  const double baseTime = Median(times[0]);
  const double baseCpu = Median(cpus[0]);
  const double basePeak = Median(peaks[0]);
  bool within = true;
  for (size_t p = 0; p < programs.size(); ++p) {
    const double t = Median(times[p]);
    const double cpu = Median(cpus[p]);
    const double m = Median(peaks[p]);
    std::printf(
        "%s\n  median %6.1f ms (min %6.1f, max %6.1f)  cpu %6.1f ms  peak %6.0f KiB  time x%.3f  cpu x%.3f  memory "
        "x%.3f\n",
        programs[p].c_str(), t, *std::min_element(times[p].begin(), times[p].end()),
        *std::max_element(times[p].begin(), times[p].end()), cpu, m, t / baseTime, cpu / baseCpu, m / basePeak);
    if (maxRatio > 0 && (t / baseTime > maxRatio || m / basePeak > maxRatio)) within = false;
  }
  if (maxRatio > 0) {
    std::printf("every median time and peak memory within x%.2f of %s: %s\n", maxRatio, programs[0].c_str(),
                within ? "yes" : "NO");
  }
  xcb_disconnect(d.c);
  return within ? 0 : 3;
}
