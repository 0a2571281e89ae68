#pragma once

#include <sys/types.h>
#include <string>

// A private Xvfb server for one test: started on a free display number, made the
// DISPLAY of this process, and stopped (DISPLAY put back) when the object goes away.
class XvfbServer {
public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return pid > 0 && !display.empty(); }
  const std::string& name() const { return display; }

private:
  pid_t pid = -1;
  std::string display;
  std::string previousDisplay;
  bool hadDisplay = false;
};
