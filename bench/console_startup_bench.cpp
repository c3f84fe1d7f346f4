// Start-up of the console against a bare Qt main window, both offscreen,
// each in a fresh process, the fastest of several runs:
//  - console: from the process start to the status bar showing the printer
//    that the console identified on the simulated printer (COM1 9600 on the
//    command line, as the demo starts it);
//  - bare: from the process start to a plain QMainWindow being shown.
// The console opens the port twice before it shows the printer, and each
// opening ends with the link's fixed 200 ms pause; the figure is given with
// those pauses and without them.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/application.h"
#include "operator_console/main_window.h"
#include "operator_console/startup.h"
#include "printer_link/api/link_instance.h"
#include "printer_link/port/comm.h"
#include "tools/printer_sim/printer_sim.h"

extern char** environ;

namespace {

long long NowNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

int Bare(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.resize(602, 414);
  window.show();
  QCoreApplication::processEvents();
  std::printf("%lld\n", NowNs());
  return 0;
}

int Console(int argc, char** argv, bool pauses) {
  forms::Application app(argc, argv);
  if (!pauses) kavoruw::Link().ConnectSettleMs = 0;
  std::unique_ptr<TGlowneOkno> window =
      StartConsole({"COM1", "9600"}, "bench-" + std::to_string(::getpid()));
  if (!FirstCopy(*window)) return 1;
  ShowConsole(*window);
  QElapsedTimer waited;
  waited.start();
  while (window->PanelText(0).isEmpty() && waited.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  const long long ready = NowNs();
  const bool identified = !window->PanelText(0).isEmpty();
  StopConsole(window);
  if (!identified) return 2;
  std::printf("%lld\n", ready);
  return 0;
}

// Runs this program in the given mode; the time from the spawn to its ready
// line, in ms (negative on failure).
double Run(const char* self, const char* mode) {
  int out[2];
  if (pipe(out) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* args[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
  pid_t child = 0;
  const long long start = NowNs();
  const int spawned = posix_spawn(&child, self, &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return -1;
  }
  std::string text;
  char buffer[64];
  ssize_t n = 0;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty()) return -1;
  return static_cast<double>(std::stoll(text) - start) / 1e6;
}

double Fastest(const char* self, const char* mode, int runs) {
  double best = -1;
  for (int i = 0; i < runs; ++i) {
    const double ms = Run(self, mode);
    if (ms < 0) return -1;
    best = best < 0 ? ms : std::min(best, ms);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (argc > 1 && std::string(argv[1]) == "--bare") return Bare(argc, argv);
  if (argc > 1 && std::string(argv[1]) == "--console") return Console(argc, argv, true);
  if (argc > 1 && std::string(argv[1]) == "--console-no-pause") return Console(argc, argv, false);

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kavoruw-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  setenv("KAVORUW_PORT_DIR", dir.c_str(), 1);
  printer_sim::PrinterSim sim(3);
  if (!sim.Start() || !sim.LinkPort(dir.string(), 1)) {
    std::fprintf(stderr, "cannot start the simulated printer\n");
    return 1;
  }
  const char* self = "/proc/self/exe";
  char path[4096];
  const ssize_t length = readlink(self, path, sizeof path - 1);
  if (length <= 0) return 1;
  path[length] = '\0';

  const int runs = 7;
  const double bare = Fastest(path, "--bare", runs);
  const double console = Fastest(path, "--console", runs);
  const double noPause = Fastest(path, "--console-no-pause", runs);
  sim.Stop();
  std::filesystem::remove_all(dir);
  if (bare <= 0 || console <= 0 || noPause <= 0) {
    std::fprintf(stderr, "a run failed\n");
    return 1;
  }
  std::printf("bare Qt main window shown:                 %8.1f ms\n", bare);
  std::printf("console showing the printer:               %8.1f ms  ratio %.2f\n", console,
              console / bare);
  std::printf("the same without the link's opening pauses: %7.1f ms  ratio %.2f\n", noPause,
              noPause / bare);
  return 0;
}
