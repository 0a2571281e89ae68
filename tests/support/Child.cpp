#include "Child.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {
constexpr int PollMs = 5;

bool writeFile(const char* path, const std::string& text) {
  int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool whole = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && whole;
}

// As root the PID namespace comes at once; otherwise inside a user namespace of its own,
// in which the test's user and group stay themselves.
bool ownPidNamespace() {
  if (unshare(CLONE_NEWPID) == 0) return true;
  const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
  return unshare(CLONE_NEWUSER | CLONE_NEWPID) == 0 && writeFile("/proc/self/setgroups", "deny") &&
         writeFile("/proc/self/uid_map", uid + " " + uid + " 1") &&
         writeFile("/proc/self/gid_map", gid + " " + gid + " 1");
}

[[noreturn]] void run(const std::function<int()>& work) {
  int status = 124;
  try {
    status = work();
  } catch (...) {
  }
  _exit(status);
}

// Ends the way a process that ended with `status` did, without leaving a core behind.
[[noreturn]] void endAs(int status) {
  if (WIFSIGNALED(status)) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(WTERMSIG(status), SIG_DFL);
    raise(WTERMSIG(status));
  }
  _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 124);
}
}  // namespace

Child::Child(const std::function<int()>& work, Where where) {
  pid = fork();
  if (pid != 0) return;
  if (where == OwnProcess) run(work);
  if (!ownPidNamespace()) _exit(NoNamespaces);
  // The namespace's first process is its PID 1, which only waits; the work comes second.
  const pid_t init = fork();
  if (init == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (;;) pause();
  }
  const pid_t second = init > 0 ? fork() : -1;
  if (second == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // a hang's kill reaches it too
    run(work);
  }
  int ended = 124 << 8;
  while (second > 0 && waitpid(second, &ended, 0) < 0 && errno == EINTR) {
  }
  if (init > 0) kill(init, SIGKILL);
  endAs(ended);
}

Child::~Child() {
  if (pid > 0) finish(0);
}

bool Child::finish(int limitMs) {
  for (int waited = 0; pid > 0; waited += PollMs) {
    if (waitpid(pid, &status, WNOHANG) == pid) break;
    if (waited >= limitMs) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      pid = 0;
      return false;
    }
    usleep(PollMs * 1000);
  }
  pid = 0;
  return true;
}

bool Child::exitedWith(int code) const {
  return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

bool Child::killedBy(int signal) const {
  return WIFSIGNALED(status) && WTERMSIG(status) == signal;
}

std::string Child::how() const {
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "exited with " + std::to_string(WEXITSTATUS(status));
}
