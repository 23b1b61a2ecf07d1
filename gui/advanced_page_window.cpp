#include "gui/advanced_page_window.h"

namespace talvex::win32 {
namespace {

// The two value editors share one rectangle and clip each other, so the one in front is the one
// seen; the list is created first, so it starts in front.
// A combo box's height is that of its dropped-down list; its field is the text box's height.
// clang-format off
constexpr ChildLayout kAdvancedChildren[] = {
    {kIdAdvTitle, "STATIC", "Click the properties you want to change on the left,and then select its new value on the right.", SS_LEFT, {240, 240, 4815, 495}},
    {kIdAdvProperties, "STATIC", "Properties:", SS_LEFT, {240, 1080, 1815, 255}},
    {kIdAdvAdaptInfo, "LISTBOX", "", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, {240, 1440, 2655, 1950}},
    {kIdAdvValue, "STATIC", "Value:", SS_LEFT, {3120, 1080, 1815, 255}},
    {kIdAdvKeyValueList, WC_COMBOBOXA, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS, {3120, 1440, 1935, 1800}},
    {kIdAdvKeyValueText, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS, {3120, 1440, 1935, 315}},
};
// clang-format on

} // namespace

void AdvancedPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, kAdvancedChildren, dpi, font);
    lstAdv_AdaptInfo_.Attach(Child(kIdAdvAdaptInfo));
    cbAdv_KeyValue_.Attach(Child(kIdAdvKeyValueList));
    txtAdv_KeyValue_.Attach(Child(kIdAdvKeyValueText));
    txtAdv_KeyValue_.Subclass();
    cbAdv_KeyValue_.SetText("Property Value");

    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(cbAdv_KeyValue_.hwnd(), &info) && info.hwndItem) {
        cbAdv_KeyValueEdit_.Attach(info.hwndItem);
        cbAdv_KeyValueEdit_.Subclass(
            [this](int& key) {
                if (page_) page_->cbAdv_KeyValue_KeyPress(key);
            },
            true);
    }
}

bool AdvancedPageWindow::OnCommand(int id, int code) {
    if (!page_) return false;
    switch (id) {
    case kIdAdvAdaptInfo:
        if (code == LBN_SELCHANGE) page_->lstAdv_AdaptInfo_Click();
        return true;
    case kIdAdvKeyValueList:
        if (code == CBN_SELCHANGE) page_->cbAdv_KeyValue_Click();
        return true;
    case kIdAdvKeyValueText:
        if (code == EN_CHANGE) page_->txtAdv_KeyValue_Change();
        return true;
    }
    return false;
}

} // namespace talvex::win32
