// The kavor-printer-sim program as a demo or a script runs it.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/printer_sim/host_port.h"

extern char** environ;

namespace printer_sim_test {
namespace {

using ::testing::HasSubstr;

// The program with its stdin and stdout on pipes.
class SimProgram {
 public:
  explicit SimProgram(std::vector<std::string> args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    args.insert(args.begin(), KAVOR_PRINTER_SIM);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
  }
  ~SimProgram() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      Wait();
    }
    CloseStdin();
    if (stdout_ >= 0) close(stdout_);
  }

  bool Started() const { return pid_ > 0; }

  // One line of its output; empty when none comes within a second.
  std::string ReadLine() {
    for (;;) {
      size_t end = output_.find('\n');
      if (end != std::string::npos) {
        std::string line = output_.substr(0, end);
        output_.erase(0, end + 1);
        return line;
      }
      if (!ReadMore()) return "";
    }
  }
  // The rest of its output, up to its end.
  std::string ReadAll() {
    while (ReadMore()) {
    }
    return output_;
  }
  void CloseStdin() {
    if (stdin_ >= 0) close(stdin_);
    stdin_ = -1;
  }
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }
  // Exit status, or -1 when it did not exit normally.
  int Wait() {
    int status = 0;
    if (pid_ <= 0) return -1;
    if (waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  bool ReadMore() {
    pollfd p{stdout_, POLLIN, 0};
    if (poll(&p, 1, 1000) != 1) return false;
    char buffer[512];
    ssize_t n = read(stdout_, buffer, sizeof buffer);
    if (n <= 0) return false;
    output_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string output_;
};

std::string MakeTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "printer_sim_XXXXXX").string();
  return mkdtemp(pattern.data()) ? pattern : std::string();
}

TEST(SimProgramTest, PrintsItsPortsAnswersAndLogsUntilStdinCloses) {
  const std::string dir = MakeTempDir();
  ASSERT_FALSE(dir.empty());
  SimProgram program({"--kind", "2", "--port-dir", dir, "--com", "4", "--log"});
  ASSERT_TRUE(program.Started());
  const std::string slave = program.ReadLine();
  EXPECT_THAT(slave, ::testing::StartsWith("/dev/pts/"));
  const std::string link = dir + "/COM4";
  EXPECT_EQ(program.ReadLine(), link);
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), slave);
  {
    HostPort port(link);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Talk({kEsc, 0xFF}, 2), Bytes({kAck, 44}));
    EXPECT_EQ(port.Talk({kEsc, 0xFE}, 1), Bytes({kNak}));
  }
  program.CloseStdin();
  const std::string log = program.ReadAll();
  EXPECT_EQ(program.Wait(), 0);
  EXPECT_THAT(log, HasSubstr("> 1B FF\n< 06 2C\n> 1B FE\n< 15\n"));
  // The link goes with the terminal.
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  std::filesystem::remove_all(dir);
}

TEST(SimProgramTest, EndsOnSigterm) {
  SimProgram program({"--kind", "6", "--version", "7"});
  ASSERT_TRUE(program.Started());
  const std::string slave = program.ReadLine();
  ASSERT_FALSE(slave.empty());
  {
    HostPort port(slave);
    EXPECT_EQ(port.Talk({kEsc, 0xFE}, 4), Bytes({kAck, 18, 7, 0x00}));
  }
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(), 0);
}

}  // namespace
}  // namespace printer_sim_test
