#include "platform/win32/dialogs.h"

#include "platform/win32/modal_form.h"
#include "platform/win32/picture.h"
#include "resources/resources.h"
#include "shell/form1.h"

namespace talvex::win32 {
namespace {

enum : int { kIdImage1 = 1, kIdLbNoCard, kIdOKButton = IDOK };

constexpr ChildLayout kNoAdapterFoundChildren[] = {
    {kIdOKButton, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {2280, 840, 1215, 375}},
    {kIdImage1, kPictureClassName, RESOURCE_TEXT(IDI_TALVEX), 0, {360, 300, 480, 480}},
    {kIdLbNoCard,
     "STATIC",
     "No network adapter. Program will terminate.",
     SS_LEFT,
     {1200, 360, 4095, 255}},
};

} // namespace

void ShowNoAdapterFoundDialog() {
    RunModalForm({kAppTitle, 5775, 1380, kNoAdapterFoundChildren});
}

} // namespace talvex::win32
