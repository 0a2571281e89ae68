#include "Child.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace {
constexpr int PollMs = 5;
constexpr int HangLimitMs = 60000;  // each child's work takes well under a second

bool writeFile(const char* path, const std::string& text) {
  int fd = open(path, O_WRONLY | O_CLOEXEC);
  bool whole = fd >= 0 && write(fd, text.data(), text.size()) == ssize_t(text.size());
  return fd >= 0 && close(fd) == 0 && whole;
}

// As root at once; otherwise inside a user namespace in which the user stays themselves.
bool ownPidNamespace() {
  const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
  return unshare(CLONE_NEWPID) == 0 ||
         (unshare(CLONE_NEWUSER | CLONE_NEWPID) == 0 && writeFile("/proc/self/setgroups", "deny") &&
          writeFile("/proc/self/uid_map", uid + " " + uid + " 1") &&
          writeFile("/proc/self/gid_map", gid + " " + gid + " 1"));
}

pid_t forkDoing(const std::function<int()>& work) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // a hang's kill reaches a sandboxed child too
  const rlimit noCore{0, 0};         // one killed on purpose leaves no core behind
  setrlimit(RLIMIT_CORE, &noCore);
  _exit(work());
}
}  // namespace

namespace Child {
pid_t start(const std::function<int()>& work, bool sandboxed) {
  if (!sandboxed) return forkDoing(work);
  return forkDoing([&work] {
    if (!ownPidNamespace()) return NoNamespaces;
    // The namespace's first process is its PID 1, which only waits; the work comes second
    // and its end is passed on as this process's own.
    pid_t init = forkDoing([] {
      for (;;) pause();
      return 0;
    });
    int status = finish(forkDoing(work));
    kill(init, SIGKILL);
    if (WIFSIGNALED(status)) std::signal(WTERMSIG(status), SIG_DFL), raise(WTERMSIG(status));
    return WEXITSTATUS(status);
  });
}

int finish(pid_t child) {
  int status = 0;
  for (int waited = 0; waitpid(child, &status, WNOHANG) == 0; waited += PollMs) {
    if (waited >= HangLimitMs) {
      ADD_FAILURE() << "a child process still ran after " << HangLimitMs << " ms; killed";
      kill(child, SIGKILL);
    }
    usleep(PollMs * 1000);
  }
  return status;
}
}  // namespace Child
