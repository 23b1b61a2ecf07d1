#include "settings/vlan_page.h"

#include "settings/driver_parameters.h"
#include "settings/numbers.h"
#include "settings/parameter_writer.h"

#include <optional>

namespace talvex {

namespace {

// The page's values, in the order it writes them.
constexpr Param kPageParameters[] = {Param::EnableTagging, Param::EnableGVRP, Param::VLANID};
enum Value { kTagging, kGvrp, kVlanId };

} // namespace

VlanPage::VlanPage(const VlanControls& controls, Services& services, RegistryApi& registry,
                   const std::string& driverKeyName)
    : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName),
      loaded_(kPageParameters) {}

// Read as the console tool reads them (ReadParameters): a missing flag unchecked, a missing VLAN
// ID 0, numbers stored as decimal text as the number they say.
void VlanPage::LoadVLANSettings() {
    const ParameterReadings read = ReadParameters(registry_, driverKeyName_, kPageParameters);
    const auto number = [&](Param param) {
        return std::get<std::int32_t>(Reading(read, param).value);
    };
    c_.chkEnableVLAN->SetValue(number(Param::EnableTagging));
    chkEnableVLAN_Click(); // a change of its state runs its click behaviour
    c_.chkEnableGVRP->SetValue(number(Param::EnableGVRP));
    c_.txtVLAN_ID->SetText(std::to_string(number(Param::VLANID)));
    loaded_.Loaded(read, Shown());
}

LoadedParameters::Shown VlanPage::Shown() const {
    return {std::to_string(c_.chkEnableVLAN->Value()), std::to_string(c_.chkEnableGVRP->Value()),
            c_.txtVLAN_ID->Text()};
}

bool VlanPage::Edited() const {
    return loaded_.Edited(Shown());
}

bool VlanPage::ChangedSince(const ParameterReadings& now) const {
    return loaded_.ChangedSince(now);
}

// The VLAN ID must be one or more digits and at most 4094: the empty text after Delete and
// pasted letters are refused like 4095. Then all three values are written, whatever the
// tagging state, or none of them.
SaveResult VlanPage::SaveVLANSettings() {
    const DriverParameter& idParameter = Parameter(Param::VLANID);
    const auto id = ParseParameterValue(idParameter, c_.txtVLAN_ID->Text());
    if (!id) {
        services_.MsgBox(RefusalText(idParameter), "Alert", MsgBoxStyle::CriticalOk);
        return {SaveResult::Refused};
    }
    const auto shown = Shown();
    const auto plan =
        loaded_.PlanSave(shown, ReadParameters(registry_, driverKeyName_, kPageParameters));
    ParameterWriter writer(registry_);
    const auto write = [&](Value value, const ParameterValue& written) {
        if (plan.write[value])
            WriteParameter(writer, driverKeyName_, Parameter(kPageParameters[value]), written);
    };
    write(kTagging, c_.chkEnableVLAN->Value() == 1 ? 1 : 0);
    write(kGvrp, c_.chkEnableGVRP->Value());
    write(kVlanId, *id);
    SaveResult result = writer.Finish();
    if (result.outcome != SaveResult::Written) return result;
    loaded_.Saved(plan, shown, ReadParameters(registry_, driverKeyName_, kPageParameters));
    result.keptOutside = plan.keptOutside;
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
