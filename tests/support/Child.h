#pragma once

#include <sys/types.h>

#include <functional>

// Parts of a test run as processes of their own, for what only a process shows: a kill
// part-way through, a limit on file size, games saving at once, a sandbox's repeated PID.
namespace Child {
// The exit status of a sandboxed start on a machine that gives no PID namespaces.
constexpr int NoNamespaces = 125;
// Runs `work` in a new process; what it returns is the exit status. Sandboxed, it runs in
// a PID namespace of its own under a PID 1 that only waits, as sandboxed desktops run
// programs: there every run has the same PID.
pid_t start(const std::function<int()>& work, bool sandboxed = false);
// Its wait status once it has ended, polled for; a hang is killed after a minute and fails
// the test.
int finish(pid_t child);
}  // namespace Child
