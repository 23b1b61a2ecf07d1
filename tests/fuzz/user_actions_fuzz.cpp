// libFuzzer target: any sequence of what a user does on the settings pages (tabs, property and
// entry choices, typing and pasting into the address, buffer and VLAN ID boxes, check-box and
// up-down clicks, OK with either answer to the restart question, Cancel), each reaching the
// pages' handlers as the Win32 layer calls them, over any driver key. Nothing crashes, no key
// stays open, and after each OK the key holds what each written page showed, while a page that
// was refused, failed or not visited is exactly as it was.
#include "parameters_fuzzing.h"

#include "shell/form1.h"

namespace talvex::fuzzing {
namespace {

// What a user types: mostly characters the boxes mean something with, sometimes any byte.
std::string TypedText(Input& in) {
    static constexpr char kUseful[] = "0123456789ABCDEFabcdef-:+ x";
    std::string text;
    const int length = in.Byte() % 16;
    for (int i = 0; i < length && !in.empty(); ++i) {
        const std::uint8_t key = in.Byte();
        text += (key & 0x80) ? static_cast<char>(in.Byte()) : kUseful[key % (sizeof kUseful - 1)];
    }
    return text;
}

class Session {
  public:
    Session(RefusingRegistry& registry, Input& in)
        : registry_(registry), in_(in), form_(ui_.Controls(), services_, registry) {}

    void Run() {
        Require(form_.InitializeWindow());
        while (!in_.empty() && !ui_.window.unloaded()) {
            Step(in_.Byte());
            Require(registry_.OpenHandleCount() == 0);
        }
    }

  private:
    enum Action {
        kTab,
        kDiagnosticPage,
        kProperty,
        kEntry,
        kTypeInValueBox,
        kPasteInValueBox,
        kBackspaceInValueBox,
        kTypeVlanId,
        kPasteVlanId,
        kDeleteInVlanId,
        kClickEnableVlan,
        kClickGvrp,
        kUpDown,
        kOk,
        kCancel,
        kActions
    };

    void Step(std::uint8_t action) {
        MemoryAdvancedPage& adv = ui_.advanced;
        MemoryVlanPage& vlan = ui_.vlan;
        switch (action % kActions) {
        case kTab:
            ui_.tabs.Select(in_.Byte() % 6);
            form_.WyncorTabStrip_Click();
            break;
        case kDiagnosticPage: form_.ShowDiagnosticPage(); break;
        case kProperty:
            ShowPage(ui_.frmAdvanced, 2);
            adv.lstAdv_AdaptInfo.SetListIndex(in_.Byte() % 7 - 1);
            form_.advanced.lstAdv_AdaptInfo_Click();
            break;
        case kEntry:
            ShowPage(ui_.frmAdvanced, 2);
            if (!adv.cbAdv_KeyValue.InFront()) SelectProperty(in_.Byte() & 1 ? 0 : 4);
            adv.cbAdv_KeyValue.SetListIndex(in_.Byte() % 7 - 1);
            form_.advanced.cbAdv_KeyValue_Click();
            break;
        case kTypeInValueBox:
            ShowValueBox();
            for (char c : TypedText(in_))
                ChangeValueBox(adv.txtAdv_KeyValue.Text() + c);
            break;
        case kPasteInValueBox:
            ShowValueBox();
            ChangeValueBox((in_.Byte() & 1 ? "" : adv.txtAdv_KeyValue.Text()) + TypedText(in_));
            break;
        case kBackspaceInValueBox:
            ShowValueBox();
            if (std::string text = adv.txtAdv_KeyValue.Text(); !text.empty()) {
                text.pop_back();
                ChangeValueBox(text);
            }
            break;
        case kTypeVlanId:
            ShowPage(ui_.frmVLAN, 3);
            if (!vlan.txtVLAN_ID.Enabled()) break;
            for (char c : TypedText(in_))
                TypeInVlanId(c);
            break;
        case kPasteVlanId: // a paste from the context menu meets no key filter
            ShowPage(ui_.frmVLAN, 3);
            if (!vlan.txtVLAN_ID.Enabled()) break;
            vlan.txtVLAN_ID.SetText(vlan.txtVLAN_ID.Text() + TypedText(in_));
            break;
        case kDeleteInVlanId: // Delete types no character: the filter never sees it
            ShowPage(ui_.frmVLAN, 3);
            if (!vlan.txtVLAN_ID.Enabled()) break;
            if (std::string text = vlan.txtVLAN_ID.Text(); !text.empty())
                vlan.txtVLAN_ID.SetText(text.substr(1));
            break;
        case kClickEnableVlan:
            ShowPage(ui_.frmVLAN, 3);
            vlan.chkEnableVLAN.Click();
            form_.vlan.chkEnableVLAN_Click();
            break;
        case kClickGvrp:
            ShowPage(ui_.frmVLAN, 3);
            if (vlan.chkEnableGVRP.Enabled()) vlan.chkEnableGVRP.Click();
            break;
        case kUpDown:
            ShowPage(ui_.frmVLAN, 3);
            if (!vlan.UpDownVLAN_ID.Enabled()) break;
            vlan.UpDownVLAN_ID.Click(in_.Byte() & 1 ? 1 : -1);
            form_.vlan.UpDownVLAN_ID_Change();
            break;
        case kOk: Ok(in_.Byte()); break;
        case kCancel: form_.cbCancel_Click(); break;
        }
    }

    // A user acts on a page only once its tab brought it forward.
    void ShowPage(const MemoryControl& frame, int tab) {
        if (frame.InFront()) return;
        ui_.tabs.Select(tab);
        form_.WyncorTabStrip_Click();
    }

    void SelectProperty(int row) {
        ui_.advanced.lstAdv_AdaptInfo.SetListIndex(row);
        form_.advanced.lstAdv_AdaptInfo_Click();
    }

    // The address or buffer row, chosen first when another row is selected.
    void ShowValueBox() {
        ShowPage(ui_.frmAdvanced, 2);
        if (!ui_.advanced.txtAdv_KeyValue.InFront()) SelectProperty(1 + in_.Byte() % 3);
    }

    void ChangeValueBox(const std::string& text) {
        ui_.advanced.txtAdv_KeyValue.SetText(text);
        form_.advanced.txtAdv_KeyValue_Change();
    }

    void TypeInVlanId(char c) {
        int key = static_cast<unsigned char>(c);
        form_.vlan.txtVLAN_ID_KeyPress(key);
        if (key == 0) return;
        std::string text = ui_.vlan.txtVLAN_ID.Text();
        if (key == 8) {
            if (!text.empty()) text.pop_back();
        } else {
            text += static_cast<char>(key);
        }
        ui_.vlan.txtVLAN_ID.SetText(text);
    }

    // The restart question's answer, whether Windows restarts, and which write is refused.
    void Ok(std::uint8_t answers) {
        services_.rebootAnswer = answers & 1;
        services_.exitWindowsError = (answers & 2) ? kErrorAccessDenied : 0;
        registry_.failAt = (answers >> 2) % 6;
        registry_.sets = 0;
        const Snapshot before = Take(registry_);
        const OkOutcome outcome = ClickOk(form_, services_);
        registry_.failAt = 0;
        Require(registry_.OpenHandleCount() == 0);
        RequireOkResult(registry_, before, Take(registry_), outcome, form_, ui_);
        Require(!ui_.window.Visible());
    }

    RefusingRegistry& registry_;
    Input& in_;
    MemoryServices services_;
    MemoryForm1 ui_;
    Form1 form_;
};

} // namespace
} // namespace talvex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talvex::fuzzing;
    return OnSeededAdapter(
        data, size, [](RefusingRegistry& registry, Input& in) { Session(registry, in).Run(); });
}
