// kavor-printer-sim: a simulated fiscal printer on a pseudo-terminal.
//
// Prints the slave path (and the COM link) as soon as the printer answers,
// then runs until SIGINT or SIGTERM, or until stdin reaches its end when it
// is a pipe or socket (a terminal or /dev/null is not watched, so that the
// program also runs in the background of a script).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/printer_sim/printer_sim.h"

namespace {

void Usage() {
  std::fprintf(
      stderr,
      "usage: kavor-printer-sim [--kind N] [--version V] [--port-dir DIR --com N] [--log]\n"
      "  --kind N      device kind 0..7 (default 3)\n"
      "  --version V   firmware version 0..255 (default 6)\n"
      "  --port-dir DIR --com N   also create DIR/COM<N> linking to the terminal\n"
      "  --log         print every byte: '>' to the printer, '<' from it\n");
}

bool ParseNumber(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 0);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

// Prints the log from index `from` on, one line per run of one direction.
void PrintLog(const printer_sim::PrinterSim& sim, size_t& from, size_t& notesFrom) {
  std::vector<printer_sim::LogEntry> entries = sim.Log(from);
  from += entries.size();
  std::string line;
  for (size_t i = 0; i < entries.size(); ++i) {
    bool newLine = i == 0 || entries[i].direction != entries[i - 1].direction || line.size() >= 49;
    if (newLine) {
      if (!line.empty()) std::printf("%s\n", line.c_str());
      line = entries[i].direction == printer_sim::Direction::ToPrinter ? ">" : "<";
    }
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", entries[i].byte);
    line += hex;
  }
  if (!line.empty()) std::printf("%s\n", line.c_str());
  std::vector<std::string> notes = sim.Notes();
  for (; notesFrom < notes.size(); ++notesFrom) std::printf("# %s\n", notes[notesFrom].c_str());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  long kind = 3, version = 6, com = -1;
  std::string portDir;
  bool log = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (arg == "--kind" && hasValue && ParseNumber(argv[i + 1], 0, 7, kind)) {
      ++i;
    } else if (arg == "--version" && hasValue && ParseNumber(argv[i + 1], 0, 255, version)) {
      ++i;
    } else if (arg == "--port-dir" && hasValue) {
      portDir = argv[++i];
    } else if (arg == "--com" && hasValue && ParseNumber(argv[i + 1], 1, 255, com)) {
      ++i;
    } else if (arg == "--log") {
      log = true;
    } else {
      Usage();
      return 2;
    }
  }
  if (portDir.empty() != (com < 0)) {
    Usage();
    return 2;
  }

  // Signals arrive through a descriptor; the simulator's thread inherits the
  // mask, so only the main loop sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
  if (signalFd < 0) {
    std::perror("kavor-printer-sim: signalfd");
    return 1;
  }

  printer_sim::PrinterSim sim(static_cast<uint8_t>(kind));
  sim.SetVersion(static_cast<uint8_t>(version));
  if (!sim.Start()) {
    std::perror("kavor-printer-sim: pseudo-terminal");
    return 1;
  }
  std::string link;
  if (!portDir.empty()) {
    link = portDir + "/COM" + std::to_string(com);
    if (!sim.LinkPort(portDir, static_cast<int>(com))) {
      std::fprintf(stderr, "kavor-printer-sim: cannot create %s: %s\n", link.c_str(),
                   std::strerror(errno));
      return 1;
    }
  }
  std::printf("%s\n", sim.SlavePath().c_str());
  if (!link.empty()) std::printf("%s\n", link.c_str());
  std::fflush(stdout);

  struct stat input {};
  const bool watchStdin =
      fstat(STDIN_FILENO, &input) == 0 && (S_ISFIFO(input.st_mode) || S_ISSOCK(input.st_mode));
  const std::string slavePath = sim.SlavePath();
  size_t logFrom = 0, notesFrom = 0;
  for (bool running = true; running;) {
    pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    int r = poll(fds, watchStdin ? 2 : 1, log ? 50 : -1);
    if (r < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) running = false;
    if (watchStdin && fds[1].revents != 0) {
      char buffer[256];
      ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) running = false;
    }
    if (log) PrintLog(sim, logFrom, notesFrom);
  }
  sim.Stop();
  if (log) PrintLog(sim, logFrom, notesFrom);
  // The link would point at nothing once the terminal is gone (unless
  // someone has replaced it meanwhile).
  char target[256];
  ssize_t length = link.empty() ? -1 : readlink(link.c_str(), target, sizeof target - 1);
  if (length > 0 && std::string(target, static_cast<size_t>(length)) == slavePath)
    unlink(link.c_str());
  close(signalFd);
  return 0;
}
