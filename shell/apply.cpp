// OK and Cancel: the end of an editing visit, and the restart that makes new settings count.
#include "shell/form1.h"
#include "shell/restart.h"

#include <string>

namespace talvex {

namespace {

std::string WhyWriteFailed(std::int32_t error) {
    if (error == kErrorAccessDenied)
        return "Windows denied access to the driver's settings. Changing them needs an "
               "administrator: run Talvex Adapter Configuration as an administrator and try "
               "again.";
    return "The registry refused the change (error " + std::to_string(error) +
           "). Running Talvex Adapter Configuration as an administrator usually helps.";
}

} // namespace

// The VLAN page is written before the Advanced page, each only once its tab has been visited.
// A page counts as written only when all of its values were stored; a page that failed has been
// put back as it was and asks for no restart.
void Form1::cbOK_Click() {
    bNeedReboot = false;
    bRebootNow = false;
    std::string failedPages;
    SaveResult failure;
    std::vector<std::string> keptOutside;
    const auto account = [&](const SaveResult& result, const char* page) {
        if (result.outcome == SaveResult::Written) bNeedReboot = true;
        keptOutside.insert(keptOutside.end(), result.keptOutside.begin(), result.keptOutside.end());
        if (result.outcome != SaveResult::Failed) return;
        failedPages += failedPages.empty() ? page : std::string(" and ") + page;
        failure = {SaveResult::Failed, result.error, failure.restored && result.restored};
    };
    if (bVlanPageVisited) account(vlan.SaveVLANSettings(), "Virtual LAN");
    if (bAdvPageVisited) account(advanced.SaveAdvancedSettings(), "Advanced");
    if (!failedPages.empty()) TellSaveFailures(failedPages, failure);
    if (!keptOutside.empty()) TellKeptOutsideChanges(keptOutside);

    if (bNeedReboot) bRebootNow = services_.ShowRebootDialog();
    HideWindow();
    if (bNeedReboot && bRebootNow) {
        RequestRestart(services_);
        c_.window->Unload();
    }
}

void Form1::TellSaveFailures(const std::string& pages, const SaveResult& failure) {
    const std::string outcome =
        failure.restored ? "; the adapter keeps its previous settings. "
                         : ", and some of the values already written could not be put back "
                           "either: the driver's settings are now partly changed. Check them "
                           "before you restart Windows. ";
    services_.MsgBox("The " + pages + " settings could not be saved" + outcome +
                         WhyWriteFailed(failure.error),
                     kAppTitle, MsgBoxStyle::CriticalOk);
}

// One message for the whole OK, however many values were kept.
void Form1::TellKeptOutsideChanges(const std::vector<std::string>& labels) {
    std::string names;
    for (std::size_t i = 0; i < labels.size(); ++i)
        names += (i == 0 ? "" : i + 1 == labels.size() ? " and " : ", ") + labels[i];
    services_.MsgBox("While this window was open, another program changed " + names + ". OK left " +
                         (labels.size() == 1 ? "it" : "them") + " as that program stored " +
                         (labels.size() == 1 ? "it." : "them."),
                     kAppTitle, MsgBoxStyle::InformationOk);
}

// Discovery, the General page and the single-instance answer stay as they are; the visited
// marks stay set.
void Form1::cbCancel_Click() {
    InitializeWindow();
    HideWindow();
}

} // namespace talvex
