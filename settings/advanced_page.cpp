#include "settings/advanced_page.h"

#include "settings/driver_parameters.h"
#include "settings/network_address.h"
#include "settings/numbers.h"
#include "settings/parameter_writer.h"

#include <algorithm>

namespace talvex {

namespace {

// The page's property rows, in order.
constexpr Param kRowParameters[] = {Param::ConnectionType, Param::NetworkAddress, Param::RxBuffer,
                                    Param::TxBuffer, Param::TxStartThreshold};

} // namespace

AdvancedPage::AdvancedPage(const AdvancedControls& controls, Services& services,
                           RegistryApi& registry, const std::string& driverKeyName)
    : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName),
      loaded_(kRowParameters) {}

void AdvancedPage::InitAdvancedLists() {
    ConnectionTypeNames.clear();
    for (const ListEntry& entry : Parameter(Param::ConnectionType).entries)
        ConnectionTypeNames.emplace_back(entry.text);
    ThresholdNames.clear();
    ThresholdValues.clear();
    for (const ListEntry& entry : Parameter(Param::TxStartThreshold).entries) {
        ThresholdNames.emplace_back(entry.text);
        ThresholdValues.push_back(entry.stored);
    }
    for (Param row : kRowParameters)
        c_.lstAdv_AdaptInfo->AddItem(Parameter(row).label);
    FillConnectionTypeList();
    c_.cbAdv_KeyValue->SetListIndex(0);
}

// Read as the console tool reads them (ReadParameters). What the key held is remembered, so that
// OK neither stores a placeholder it shows for a missing value nor undoes another program's change.
void AdvancedPage::LoadAdvancedSettings() {
    const ParameterReadings read = ReadParameters(registry_, driverKeyName_, kRowParameters);
    const auto number = [&](Param param) {
        return std::get<std::int32_t>(Reading(read, param).value);
    };
    AdvConnectionType = number(Param::ConnectionType);
    AdvNetworkAddress = std::get<std::string>(Reading(read, Param::NetworkAddress).value);
    AdvRxBuffer = number(Param::RxBuffer);
    AdvTxBuffer = number(Param::TxBuffer);
    // A stored number with no entry selects none, and so does a missing one: the list shows
    // what the key holds.
    const ParameterReading& threshold = Reading(read, Param::TxStartThreshold);
    storedThreshold_ =
        threshold.held ? std::optional(number(Param::TxStartThreshold)) : std::nullopt;
    AdvThresholdIndex =
        ListIndexOf(Parameter(Param::TxStartThreshold), number(Param::TxStartThreshold));
    loaded_.Loaded(read, Kept());
}

// The address as shown, up to its first NUL, which is also all that save writes of it.
LoadedParameters::Shown AdvancedPage::Kept() const {
    return {std::to_string(AdvConnectionType),
            AdvNetworkAddress.substr(0, AdvNetworkAddress.find('\0')), std::to_string(AdvRxBuffer),
            std::to_string(AdvTxBuffer), std::to_string(AdvThresholdIndex)};
}

bool AdvancedPage::Edited() const {
    return loaded_.Edited(Kept());
}

bool AdvancedPage::ChangedSince(const ParameterReadings& now) const {
    return loaded_.ChangedSince(now);
}

// The entry picked, or a stored number the list has no entry for, written back as it was.
std::optional<std::int32_t> AdvancedPage::ThresholdToWrite() const {
    const bool listed =
        AdvThresholdIndex >= 0 && AdvThresholdIndex < static_cast<int>(ThresholdValues.size());
    return listed ? std::optional(ThresholdValues[AdvThresholdIndex]) : storedThreshold_;
}

// All or nothing: a buffer count that isn't a number stops the save before anything is
// written, and a write that fails puts back what this save had already written.
SaveResult AdvancedPage::SaveAdvancedSettings() {
    c_.txtAdv_KeyValue->HideBalloonTip(); // the window is about to hide
    const int row = c_.lstAdv_AdaptInfo->ListIndex();
    if (row == kRxBuffer || row == kTxBuffer) {
        const DriverParameter& shown = Parameter(kRowParameters[row]);
        if (!ParseParameterValue(shown, c_.txtAdv_KeyValue->Text())) {
            services_.MsgBox(RefusalText(shown) + " The Advanced settings were not saved.", "Alert",
                             MsgBoxStyle::CriticalOk);
            return {SaveResult::Refused};
        }
    }

    const auto kept = Kept();
    const auto plan =
        loaded_.PlanSave(kept, ReadParameters(registry_, driverKeyName_, kRowParameters));
    ParameterWriter writer(registry_);
    const auto write = [&](Row row, const std::optional<ParameterValue>& value) {
        if (plan.write[row] && value)
            WriteParameter(writer, driverKeyName_, Parameter(kRowParameters[row]), *value);
    };
    write(kConnectionType, AdvConnectionType);
    // Up to the first NUL, with the one terminator the write adds: read and written back any
    // number of times, the value keeps its bytes.
    write(kNetworkAddress, AdvNetworkAddress);
    write(kRxBuffer, AdvRxBuffer);
    write(kTxBuffer, AdvTxBuffer);
    const auto threshold = ThresholdToWrite();
    write(kThreshold, threshold ? std::optional<ParameterValue>(*threshold) : std::nullopt);

    SaveResult result = writer.Finish();
    if (result.outcome != SaveResult::Written) return result;
    loaded_.Saved(plan, kept, ReadParameters(registry_, driverKeyName_, kRowParameters));
    result.keptOutside = plan.keptOutside;
    return result;
}

void AdvancedPage::ClearPropertyList() {
    for (int n = c_.lstAdv_AdaptInfo->ListCount(); n > 0; --n)
        c_.lstAdv_AdaptInfo->RemoveItem(0);
}

void AdvancedPage::ClearValueList() {
    for (int n = c_.cbAdv_KeyValue->ListCount(); n > 0; --n)
        c_.cbAdv_KeyValue->RemoveItem(0);
}

void AdvancedPage::FillConnectionTypeList() {
    for (const std::string& name : ConnectionTypeNames)
        c_.cbAdv_KeyValue->AddItem(name);
}

void AdvancedPage::FillThresholdList() {
    for (const std::string& name : ThresholdNames)
        c_.cbAdv_KeyValue->AddItem(name);
}

void AdvancedPage::SelectFirstProperty() {
    c_.lstAdv_AdaptInfo->SetListIndex(0);
    lstAdv_AdaptInfo_Click();
}

std::int32_t* AdvancedPage::BufferOfRow(int row) {
    return row == kRxBuffer ? &AdvRxBuffer : row == kTxBuffer ? &AdvTxBuffer : nullptr;
}

// A kept index the list has no entry for (a stored ConnectionType of 7, say) selects nothing.
void AdvancedPage::ShowInValueList(void (AdvancedPage::*fill)(), std::int32_t index) {
    c_.cbAdv_KeyValue->BringToFront();
    ClearValueList();
    (this->*fill)();
    const bool listed = index >= 0 && index < c_.cbAdv_KeyValue->ListCount();
    c_.cbAdv_KeyValue->SetListIndex(listed ? index : -1);
}

// Showing a value stores nothing back: every value shown is its kept value already (the
// address without its terminator, which save drops too).
void AdvancedPage::lstAdv_AdaptInfo_Click() {
    const int row = c_.lstAdv_AdaptInfo->ListIndex();
    c_.txtAdv_KeyValue->HideBalloonTip();
    switch (row) {
    case kConnectionType:
        ShowInValueList(&AdvancedPage::FillConnectionTypeList, AdvConnectionType);
        break;
    case kNetworkAddress:
        c_.txtAdv_KeyValue->BringToFront();
        c_.txtAdv_KeyValue->SetText(AdvNetworkAddress);
        break;
    case kRxBuffer:
    case kTxBuffer:
        c_.txtAdv_KeyValue->BringToFront();
        c_.txtAdv_KeyValue->SetText(std::to_string(*BufferOfRow(row)));
        break;
    case kThreshold: ShowInValueList(&AdvancedPage::FillThresholdList, AdvThresholdIndex); break;
    default: break; // no row selected
    }
}

void AdvancedPage::cbAdv_KeyValue_Click() {
    const int index = c_.cbAdv_KeyValue->ListIndex();
    if (index < 0) return;
    const int row = c_.lstAdv_AdaptInfo->ListIndex();
    if (row == kConnectionType) AdvConnectionType = index;
    if (row == kThreshold) AdvThresholdIndex = index;
}

// The value list's text changes only by picking an entry.
void AdvancedPage::cbAdv_KeyValue_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}

// A buffer count keeps its last number while the text is not one (empty while retyping, say).
// The address is the driver's to judge; the balloon only says when it will not take it.
void AdvancedPage::txtAdv_KeyValue_Change() {
    const int row = c_.lstAdv_AdaptInfo->ListIndex();
    const std::string text = c_.txtAdv_KeyValue->Text();
    if (row == kNetworkAddress) {
        AdvNetworkAddress = text;
        if (const auto problem = NetworkAddressProblem(text))
            c_.txtAdv_KeyValue->ShowBalloonTip(kNetworkAddressTipTitle, *problem);
        else
            c_.txtAdv_KeyValue->HideBalloonTip();
    } else if (std::int32_t* buffer = BufferOfRow(row)) {
        if (const auto number = ParseInt32(text)) *buffer = *number;
    }
}

} // namespace talvex
