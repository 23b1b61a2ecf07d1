#include "gui/dialogs.h"

#include "gui/modal_form.h"
#include "platform/win32/picture.h"
#include "resources/resources.h"
#include "shell/form1.h"

namespace talvex::win32 {
namespace {

enum : int { kIdImage1 = 1, kIdLbNoCard, kIdOKButton = IDOK };

// clang-format off
constexpr ChildLayout kNoAdapterFoundChildren[] = {
    {kIdOKButton, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {2280, 840, 1215, 375}},
    {kIdImage1, kPictureClassName, RESOURCE_TEXT(IDI_TALVEX), 0, {360, 300, 480, 480}},
    {kIdLbNoCard, "STATIC", "No network adapter. Program will terminate.", SS_LEFT, {1200, 360, 4095, 255}},
};
// clang-format on

enum : int { kIdRebootImage1 = 1, kIdLabel1, kIdCbYes = IDYES, kIdCbNo = IDNO };

// YES comes first in tab order, so it has the focus when the dialog opens.
// clang-format off
constexpr ChildLayout kRebootChildren[] = {
    {kIdCbYes, "BUTTON", "YES", BS_DEFPUSHBUTTON | WS_TABSTOP, {1800, 960, 1215, 375}},
    {kIdCbNo, "BUTTON", "NO", BS_PUSHBUTTON | WS_TABSTOP, {3360, 960, 1215, 375}},
    {kIdRebootImage1, kPictureClassName, RESOURCE_TEXT(IDI_REBOOT), 0, {240, 240, 480, 480}},
    {kIdLabel1, "STATIC", "After you chagne the setting of adapter, you must reboot the system. Do you want to reboot system now?", SS_LEFT, {960, 240, 4935, 495}},
};
// clang-format on

} // namespace

bool ShowRebootDialog() {
    return RunModalForm({kAppTitle, 6315, 1485, kRebootChildren}) == kIdCbYes;
}

void ShowNoAdapterFoundDialog() {
    RunModalForm({kAppTitle, 5775, 1380, kNoAdapterFoundChildren});
}

} // namespace talvex::win32
