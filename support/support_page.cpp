#include "support/support_page.h"

namespace talvex {
namespace {

constexpr int kShowNormal = 5; // the browser opens in its current size and position

} // namespace

// Every name begins with "www.": the shell takes a bare name for a web address only by that
// prefix; without it the name would be looked for as a file and nothing would open.
void SupportPage::ImgAustralia_Click() {
    OpenSite("www.talvex.com.au");
}
void SupportPage::ImgCanada_Click() {
    OpenSite("www.talvex.ca");
}
void SupportPage::ImgChina_Click() {
    OpenSite("www.talvex.com.cn");
}
void SupportPage::ImgDenmark_Click() {
    OpenSite("www.talvex.dk");
}
// Egypt is served by the Middle East site.
void SupportPage::ImgEgypt_Click() {
    OpenSite("www.talvex-me.com");
}
void SupportPage::ImgFrance_Click() {
    OpenSite("www.talvex.fr");
}
void SupportPage::ImgGermany_Click() {
    OpenSite("www.talvex.de");
}
void SupportPage::ImgIndia_Click() {
    OpenSite("www.talvex.co.in");
}
void SupportPage::ImgJapan_Click() {
    OpenSite("www.talvex.co.jp");
}
// Singapore is served by the international site.
void SupportPage::ImgSingapore_Click() {
    OpenSite("www.talvex.com");
}
void SupportPage::ImgSweden_Click() {
    OpenSite("www.talvex.se");
}
void SupportPage::ImgTaiwan_Click() {
    OpenSite("www.talvex.com.tw");
}
void SupportPage::ImgUK_Click() {
    OpenSite("www.talvex.co.uk");
}
void SupportPage::ImgUSA_Click() {
    OpenSite("www.talvex-usa.com");
}

// One shell call per click; whether a browser opened is not examined.
void SupportPage::OpenSite(const std::string& hostName) {
    services_.ShellExecuteA(window_.hWnd(), "open", hostName, "", "", kShowNormal);
}

} // namespace talvex
