#include "PowerSaving.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <algorithm>

namespace {

// The X protocol carries the time-out as a signed 16-bit number of seconds.
constexpr int LongestXTimeout = 32767;

struct Saved {
  Display* display = nullptr;
  bool valid = false;
  int timeout = 0, interval = 0, preferBlanking = 0, allowExposures = 0;
  bool hasDpms = false;
  BOOL dpmsWasOn = False;
};

Saved saved;

bool serverHasDpms(Display* display) {
  int event = 0, error = 0;
  return DPMSQueryExtension(display, &event, &error) && DPMSCapable(display);
}

}  // namespace

namespace PowerSaving {

void save() {
  if (saved.display) return;
  saved.display = XOpenDisplay(nullptr);
  if (!saved.display) return;
  XGetScreenSaver(saved.display, &saved.timeout, &saved.interval, &saved.preferBlanking,
                  &saved.allowExposures);
  saved.hasDpms = serverHasDpms(saved.display);
  if (saved.hasDpms) {
    CARD16 level = 0;
    DPMSInfo(saved.display, &level, &saved.dpmsWasOn);
  }
  saved.valid = true;
}

void keepAwake() {
  if (!saved.valid) return;
  XSetScreenSaver(saved.display, std::min(GameTimeoutSeconds, LongestXTimeout), saved.interval,
                  saved.preferBlanking, saved.allowExposures);
  if (saved.hasDpms && serverHasDpms(saved.display)) DPMSDisable(saved.display);
  XSync(saved.display, False);
}

void restore() {
  if (!saved.valid) return;
  XSetScreenSaver(saved.display, saved.timeout, saved.interval, saved.preferBlanking,
                  saved.allowExposures);
  if (saved.hasDpms && serverHasDpms(saved.display)) {
    if (saved.dpmsWasOn)
      DPMSEnable(saved.display);
    else
      DPMSDisable(saved.display);
  }
  XSync(saved.display, False);
  XCloseDisplay(saved.display);
  saved = Saved();
}

int currentTimeout() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return -1;
  int timeout = 0, interval = 0, blanking = 0, exposures = 0;
  XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
  XCloseDisplay(display);
  return timeout;
}

int currentPowerManagement() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return -1;
  int result = 0;
  if (serverHasDpms(display)) {
    CARD16 level = 0;
    BOOL on = False;
    DPMSInfo(display, &level, &on);
    result = on ? 1 : 0;
  }
  XCloseDisplay(display);
  return result;
}

}  // namespace PowerSaving
