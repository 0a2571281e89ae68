#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

// A part of a test run as a process of its own, for what only a process shows: a kill
// part-way through, a limit on file size, several games saving at once, or a sandbox in
// which every run has the same PID.
class Child {
public:
  enum Where { OwnProcess, Sandboxed };
  // The exit status of a Sandboxed child on a machine that gives no PID namespaces.
  static constexpr int NoNamespaces = 125;
  // A bound for a hang only: each child's work takes well under a second.
  static constexpr int HangLimitMs = 60000;

  // Starts `work` in a new process; what it returns is the exit status. Sandboxed runs it
  // in a PID namespace of its own under a PID 1 that only waits, as sandboxed desktops run
  // programs: there every run has the same PID.
  explicit Child(const std::function<int()>& work, Where where = OwnProcess);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Waits for the end, polling, and kills the child after `limitMs`; false on a hang.
  bool finish(int limitMs = HangLimitMs);
  bool exitedWith(int code) const;
  bool killedBy(int signal) const;
  // How it ended, for a failure's message.
  std::string how() const;

private:
  pid_t pid = 0;
  int status = 0;
};
