#include "XvfbServer.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <string>

XvfbServer::XvfbServer() {
  if (const char* old = std::getenv("DISPLAY")) {
    hadDisplay = true;
    previousDisplay = old;
  }
  int fds[2];
  if (pipe(fds) != 0) return;
  pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string fd = std::to_string(fds[1]);
    // -noreset: the server keeps its state when the last client leaves, as a desktop
    // session's server does.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-nolisten", "tcp", "-screen", "0",
           "640x480x16", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return;
  }
  // Xvfb writes its display number once it accepts clients.
  std::string number;
  pollfd waiting{fds[0], POLLIN, 0};
  while (poll(&waiting, 1, 10000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) return;
  display = ":" + number;
  setenv("DISPLAY", display.c_str(), 1);
}

XvfbServer::~XvfbServer() {
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  if (hadDisplay)
    setenv("DISPLAY", previousDisplay.c_str(), 1);
  else
    unsetenv("DISPLAY");
}
