#include "Desktop.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <initializer_list>

namespace {

bool holds(int x, int y, int width, int height, int px, int py) {
  return x <= px && px < x + width && y <= py && py < y + height;
}

// Monitors arrived with XRandR 1.5; an older server leaves the whole screen's size.
void takeMonitorSize(Display* x, Window root, int px, int py, Desktop& desktop) {
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(x, root, True, &count);
  for (int i = 0; i < count; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    if (holds(m.x, m.y, m.width, m.height, px, py)) {
      desktop.width = m.width;
      desktop.height = m.height;
      break;
    }
  }
  if (monitors) XRRFreeMonitors(monitors);
}

double modeRate(const XRRModeInfo& mode) {
  double lines = mode.vTotal;
  if (mode.modeFlags & RR_DoubleScan) lines *= 2;
  if (mode.modeFlags & RR_Interlace) lines /= 2;
  return mode.hTotal && lines > 0 ? mode.dotClock / (mode.hTotal * lines) : 0;
}

double crtcRate(Display* x, Window root, int px, int py) {
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, root);
  if (!resources) return 0;
  double rate = 0;
  for (int c = 0; c < resources->ncrtc && rate == 0; ++c) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(x, resources, resources->crtcs[c]);
    if (!crtc) continue;
    if (crtc->mode != None &&
        holds(crtc->x, crtc->y, int(crtc->width), int(crtc->height), px, py)) {
      for (int m = 0; m < resources->nmode; ++m)
        if (resources->modes[m].id == crtc->mode) rate = modeRate(resources->modes[m]);
    }
    XRRFreeCrtcInfo(crtc);
  }
  XRRFreeScreenResources(resources);
  return rate;
}

// The extensions through which programs reach a GPU: Mesa's drivers (DRI3, DRI2) and
// NVIDIA's own.
bool offersGpu(Display* x) {
  int opcode = 0, event = 0, error = 0;
  for (const char* name : {"DRI3", "DRI2", "NV-GLX"})
    if (XQueryExtension(x, name, &opcode, &event, &error)) return true;
  return false;
}

}  // namespace

Desktop findDesktop() {
  Desktop desktop;
  Display* x = XOpenDisplay(nullptr);
  if (!x) return desktop;
  int screen = DefaultScreen(x);
  Window root = RootWindow(x, screen);
  desktop.width = DisplayWidth(x, screen);
  desktop.height = DisplayHeight(x, screen);
  desktop.gpu = offersGpu(x);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (XRRQueryExtension(x, &eventBase, &errorBase) && XRRQueryVersion(x, &major, &minor)) {
    Window rootBack = 0, child = 0;
    int px = 0, py = 0, wx = 0, wy = 0;
    unsigned int buttons = 0;
    XQueryPointer(x, root, &rootBack, &child, &px, &py, &wx, &wy, &buttons);
    if (major > 1 || minor >= 5) takeMonitorSize(x, root, px, py, desktop);
    if (major > 1 || minor >= 2) desktop.refreshHz = crtcRate(x, root, px, py);
  }
  XCloseDisplay(x);
  return desktop;
}
