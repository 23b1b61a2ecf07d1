// The Support page: fourteen flags, each opening one of the maker's regional web sites.
#pragma once

#include "platform/controls.h"
#include "platform/services.h"

#include <string>

namespace talvex {

// The flags only raise clicks; nothing on the page changes.
struct SupportControls {};

class SupportPage {
  public:
    // window is Form1's: its handle is read at the moment of each click.
    SupportPage(const SupportControls& controls, Services& services, FormWindow& window)
        : services_(services), window_(window) {
        static_cast<void>(controls);
    }

    void ImgAustralia_Click();
    void ImgCanada_Click();
    void ImgChina_Click();
    void ImgDenmark_Click();
    void ImgEgypt_Click();
    void ImgFrance_Click();
    void ImgGermany_Click();
    void ImgIndia_Click();
    void ImgJapan_Click();
    void ImgSingapore_Click();
    void ImgSweden_Click();
    void ImgTaiwan_Click();
    void ImgUK_Click();
    void ImgUSA_Click();

  private:
    void OpenSite(const std::string& hostName);

    Services& services_;
    FormWindow& window_;
};

} // namespace talvex
