#include "shell/general_page.h"

#include "shell/vb_netbios_info.h"

#include <algorithm>

namespace talvex {
namespace {

// The C locale's upper case: a host name is ASCII, and the user's locale must not change it.
std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    });
    return text;
}

} // namespace

GeneralInfo ReadGeneralInfo(Services& services) {
    GeneralInfo info;
    info.macAddress = vbNetBiosInfo::ReadMacAddress(services, 0);
    info.ipAddress = services.LocalIP();
    info.hostName = UpperCase(services.LocalHostName());
    return info;
}

void GeneralPage::ShowGeneralInfo() {
    // Without borders the three values read like labels on the page.
    c_.txtEthernetAddress->RemoveBorder();
    c_.txtIPAddress->RemoveBorder();
    c_.txtLocalHostName->RemoveBorder();
    ResetTransImg1();
    const GeneralInfo info = ReadGeneralInfo(services_);
    c_.txtEthernetAddress->SetText(info.macAddress);
    c_.txtIPAddress->SetText(info.ipAddress);
    c_.txtLocalHostName->SetText(info.hostName);
}

void GeneralPage::ResetTransImg1() {
    c_.TransImg1->SetHighlighted(false);
}

} // namespace talvex
