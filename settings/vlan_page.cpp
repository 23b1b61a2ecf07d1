#include "settings/vlan_page.h"

#include "settings/numbers.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

#include <optional>

namespace talvex {

namespace {

// 0, 1 and 2 are a check box's states; any other stored number still means "on".
int CheckState(std::int32_t stored) {
    return stored >= 0 && stored <= 2 ? stored : 1;
}

} // namespace

// A missing flag reads as unchecked, a missing VLAN ID as 0. Numbers stored as decimal text
// read as the number they say.
void VlanPage::LoadVLANSettings() {
    vbRegistry registry(registry_);
    const std::string P = DriverParametersPath(driverKeyName_);
    const auto tagging = registry.ReadNumber(kHKeyLocalMachine, P + "EnableTagging");
    const auto gvrp = registry.ReadNumber(kHKeyLocalMachine, P + "EnableGVRP");
    const auto id = registry.ReadNumber(kHKeyLocalMachine, P + "VLANID");
    c_.chkEnableVLAN->SetValue(CheckState(tagging.value_or(0)));
    chkEnableVLAN_Click(); // a change of its state runs its click behaviour
    c_.chkEnableGVRP->SetValue(CheckState(gvrp.value_or(0)));
    c_.txtVLAN_ID->SetText(std::to_string(id.value_or(0)));
    loaded_.Loaded({tagging.has_value(), gvrp.has_value(), id.has_value()}, Shown());
}

LoadedValues<VlanPage::kValues>::Shown VlanPage::Shown() const {
    return {std::to_string(c_.chkEnableVLAN->Value()), std::to_string(c_.chkEnableGVRP->Value()),
            c_.txtVLAN_ID->Text()};
}

// The VLAN ID must be one or more digits and at most 4094: the empty text after Delete and
// pasted letters are refused like 4095. Then all three values are written, whatever the
// tagging state, or none of them.
SaveResult VlanPage::SaveVLANSettings() {
    const std::optional<std::int32_t> id = ParseDigits(c_.txtVLAN_ID->Text());
    if (!id || *id > kMaxVlanId) {
        services_.MsgBox("VLAN ID Invalid.", "Alert", MsgBoxStyle::CriticalOk);
        return {SaveResult::Refused};
    }
    const std::string P = DriverParametersPath(driverKeyName_);
    const auto shown = Shown();
    const auto shouldWrite = [&](Value value) { return loaded_.ShouldWrite(value, shown); };
    ParameterWriter writer(registry_);
    if (shouldWrite(kTagging))
        writer.WriteDword(P + "EnableTagging", c_.chkEnableVLAN->Value() == 1 ? 1 : 0);
    if (shouldWrite(kGvrp)) writer.WriteDword(P + "EnableGVRP", c_.chkEnableGVRP->Value());
    if (shouldWrite(kVlanId)) writer.WriteDword(P + "VLANID", *id);
    const SaveResult result = writer.Finish();
    if (result.outcome == SaveResult::Written) loaded_.Saved(shown);
    return result;
}

// Text that is not a number leaves the up-down as it is; a number beyond its range is clamped
// by the up-down, while the text stays for OK to refuse.
void VlanPage::SetUpDownFromText() {
    if (const auto id = ParseDigits(c_.txtVLAN_ID->Text())) c_.UpDownVLAN_ID->SetValue(*id);
}

// Nothing is written or marked changed: the dependent controls only follow the box.
void VlanPage::chkEnableVLAN_Click() {
    const bool enabled = c_.chkEnableVLAN->Value() == 1;
    Control* const dependents[] = {c_.txtVLAN_ID, c_.txtVLANDescription, c_.lblVLAN_ID,
                                   c_.UpDownVLAN_ID, c_.chkEnableGVRP};
    for (Control* control : dependents)
        control->SetEnabled(enabled);
}

// Digits only: backspace and control keys such as Ctrl+V are cancelled too. Keys that type no
// character (Delete, the arrows) never come here.
void VlanPage::txtVLAN_ID_KeyPress(int& KeyAscii) {
    if (KeyAscii < '0' || KeyAscii > '9') KeyAscii = 0;
}

void VlanPage::UpDownVLAN_ID_Change() {
    c_.txtVLAN_ID->SetText(std::to_string(c_.UpDownVLAN_ID->Value()));
}

} // namespace talvex
