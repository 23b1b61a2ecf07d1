#include "shell/general_page.h"

#include "platform/product.h"
#include "shell/pending_change.h"
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

namespace {

// Labels as the pages name them, at most three and then how many more: the line has room for
// three lines of text at most.
std::string Labels(const std::vector<std::string>& valueNames) {
    constexpr std::size_t kNamed = 3;
    std::string text;
    for (std::size_t i = 0; i < valueNames.size() && i < kNamed; ++i) {
        const DriverParameter* parameter = FindDriverParameter(valueNames[i]);
        text += (i == 0 ? "" : i + 1 == valueNames.size() ? " and " : ", ") +
                std::string(parameter ? parameter->label : valueNames[i].c_str());
    }
    if (valueNames.size() > kNamed) text += " and " + std::to_string(valueNames.size() - kNamed) + " more";
    return text;
}

std::vector<std::string> ValueNames(const PendingChange& change) {
    std::vector<std::string> names;
    for (const ChangedValue& value : change.values)
        names.emplace_back(Parameter(value.param).valueName);
    return names;
}

} // namespace

// Times in UTC, as the console tool gives them.
std::string ChangeStateText(const std::optional<PendingChange>& change,
                            const std::optional<LastRevert>& revert, Services& services) {
    if (change) {
        const std::string labels = Labels(ValueNames(*change));
        if (change->state != ChangeState::Applied) return "Being put back: " + labels + ".";
        const auto deadline = RevertDeadline(*change, services);
        if (!deadline) return "Waiting for a restart, then for confirmation: " + labels + ".";
        return "Waiting for confirmation: " + labels + ". Unless kept, put back at " +
               UtcText(*deadline).substr(11, 5) + " UTC.";
    }
    if (!revert) return {};
    const std::string at = UtcText(revert->at);
    return "Put back on " + at.substr(0, 10) + " at " + at.substr(11, 5) +
           " UTC: " + Labels(revert->values) + ".";
}

void GeneralPage::ShowChangeState() {
    const auto change = ReadPendingChange(registry_);
    c_.lblChange->SetText(ChangeStateText(change, ReadLastRevert(registry_), services_));
    c_.cbConfirmChange->SetVisible(change && change->state == ChangeState::Applied);
}

// An administrator at the machine keeps the change, as TalvexCtl confirm does.
void GeneralPage::cbConfirmChange_Click() {
    const auto change = ReadPendingChange(registry_);
    if (change && services_.MsgBox("Keep these settings? The new values of " +
                                       Labels(ValueNames(*change)) +
                                       " stay and are not put back.",
                                   kAppTitle, MsgBoxStyle::ExclamationYesNo) == MsgBoxResult::Yes) {
        const ConfirmResult result = ConfirmChange(registry_, services_);
        if (result.outcome == ConfirmResult::Refused)
            services_.MsgBox("Windows denied access to the record of the change (error " +
                                 std::to_string(result.error) +
                                 "). Keeping the settings needs an administrator: run Talvex "
                                 "Adapter Configuration as an administrator and try again.",
                             kAppTitle, MsgBoxStyle::CriticalOk);
        else if (result.outcome == ConfirmResult::BeingUndone)
            services_.MsgBox("The change is being put back already: it can't be kept.", kAppTitle,
                             MsgBoxStyle::InformationOk);
    }
    ShowChangeState();
}

} // namespace talvex
