// Driving helpers for the General and Support pages: what Wine itself reports about the machine,
// clicks on pictures, the layout DPI of the next start, and a stand-in for the web browser.
#pragma once

#include "tests/e2e/ui_driver.h"

#include <string>
#include <vector>

namespace talvex::e2e {

// What Wine reports: Winsock's host name, the IPv4 addresses its adapters list (learnt apart
// from the resolver the program asks), and NetBIOS's adapter status for LANA 0 ("" when NetBIOS
// gives none).
std::string WineHostName();
std::vector<std::string> WineIPv4Addresses();
std::string WineMacAddressOfLana0();

// Programs started from now on lay themselves out at this DPI (0: the system's own).
void SetLayoutDpi(int dpi);

// Web addresses the shell opens are appended to this file, one a line, instead of reaching a
// browser.
class BrowserStandIn {
  public:
    BrowserStandIn();
    ~BrowserStandIn();
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;
    std::vector<std::string> Opened() const;

  private:
    std::string log_;
    std::string previous_;
};

// A click on a picture where a user clicks: a press and a release in its middle.
void ClickPicture(HWND picture);

// The colour on the screen at a point of a window's client area.
COLORREF ScreenColour(HWND window, int x, int y);

} // namespace talvex::e2e
