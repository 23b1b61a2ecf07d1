#include "settings/advanced_page.h"

#include "settings/network_address.h"
#include "settings/numbers.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

#include <algorithm>

namespace talvex {

namespace {

constexpr const char* kPropertyNames[] = {"Connection Type", "NetworkAddress", "Receive Buffers",
                                          "Transmit Buffers", "Transmit Threshold"};
constexpr const char* kConnectionTypeNames[] = {"AutoSense", "10BaseT", "10BaseT FD", "100BaseTX",
                                                "100BaseTX FD"};
constexpr const char* kThresholdNames[] = {"256", "512", "768", "1024", "Store and Forward"};
// Store and Forward is 0x1FFC, not 8192.
constexpr std::int32_t kThresholdValues[] = {256, 512, 768, 1024, 8188};

constexpr char kNoValue[] = "No Value";

std::string UpToNul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

} // namespace

void AdvancedPage::InitAdvancedLists() {
    ConnectionTypeNames.assign(std::begin(kConnectionTypeNames), std::end(kConnectionTypeNames));
    ThresholdNames.assign(std::begin(kThresholdNames), std::end(kThresholdNames));
    ThresholdValues.assign(std::begin(kThresholdValues), std::end(kThresholdValues));
    for (const char* name : kPropertyNames)
        c_.lstAdv_AdaptInfo->AddItem(name);
    FillConnectionTypeList();
    c_.cbAdv_KeyValue->SetListIndex(0);
}

// Numbers are read as the driver reads them, from a REG_DWORD or from decimal text. A missing
// or unreadable value shows as 0 ("No Value" for the address) and is remembered as missing, so
// that OK does not store that placeholder in the driver's key.
void AdvancedPage::LoadAdvancedSettings() {
    vbRegistry registry(registry_);
    const std::string P = DriverParametersPath(driverKeyName_);

    const auto connectionType = registry.ReadNumber(kHKeyLocalMachine, P + "ConnectionType");
    AdvConnectionType = connectionType.value_or(0);

    // Kept as read, terminator included; the text box shows it up to the NUL, and save writes
    // only that much. A stored text reads with its terminator, so only a missing value reads
    // as the bare default.
    AdvNetworkAddress = registry.ReadString(kHKeyLocalMachine, P + "NetworkAddress", kNoValue);
    // An address another tool stored as anything but text (a DWORD, binary bytes) shows as read
    // but counts as missing: rewritten as text up to its first NUL it would lose its bytes, so
    // it is written only once the user changed it.
    const auto address = registry.ReadValue(kHKeyLocalMachine, P + "NetworkAddress");
    const bool addressStored = AdvNetworkAddress != kNoValue && address &&
                               (address->type == kRegSz || address->type == kRegExpandSz);

    const auto rx = registry.ReadNumber(kHKeyLocalMachine, P + "RxBuffer");
    const auto tx = registry.ReadNumber(kHKeyLocalMachine, P + "TxBuffer");
    AdvRxBuffer = rx.value_or(0);
    AdvTxBuffer = tx.value_or(0);

    // The whole stored number is compared: 65792 is not 256 in disguise. A stored number with
    // no entry selects none and is written back as it is; a missing one leaves the index as it
    // was.
    storedThreshold_ = registry.ReadNumber(kHKeyLocalMachine, P + "TxStartThreshold");
    if (storedThreshold_) {
        const auto match =
            std::find(ThresholdValues.begin(), ThresholdValues.end(), *storedThreshold_);
        AdvThresholdIndex = match == ThresholdValues.end()
                                ? -1
                                : static_cast<std::int32_t>(match - ThresholdValues.begin());
    }

    loaded_.Loaded({connectionType.has_value(), addressStored, rx.has_value(), tx.has_value(),
                    storedThreshold_.has_value()},
                   Kept());
}

LoadedValues<AdvancedPage::kRows>::Shown AdvancedPage::Kept() const {
    return {std::to_string(AdvConnectionType), AdvNetworkAddress, std::to_string(AdvRxBuffer),
            std::to_string(AdvTxBuffer), std::to_string(AdvThresholdIndex)};
}

// All or nothing: a buffer count that isn't a number stops the save before anything is
// written, and a write that fails puts back what this save had already written.
SaveResult AdvancedPage::SaveAdvancedSettings() {
    c_.txtAdv_KeyValue->HideBalloonTip(); // the window is about to hide
    const int row = c_.lstAdv_AdaptInfo->ListIndex();
    if ((row == kRxBuffer || row == kTxBuffer) && !ParseInt32(c_.txtAdv_KeyValue->Text())) {
        services_.MsgBox(std::string(kPropertyNames[row]) +
                             " must be a whole number. The Advanced settings were not saved.",
                         "Alert", MsgBoxStyle::CriticalOk);
        return {SaveResult::Refused};
    }

    const std::string P = DriverParametersPath(driverKeyName_);
    const auto kept = Kept();
    const auto shouldWrite = [&](Row row) { return loaded_.ShouldWrite(row, kept); };
    ParameterWriter writer(registry_);
    if (shouldWrite(kConnectionType)) writer.WriteDword(P + "ConnectionType", AdvConnectionType);
    // Up to the first NUL, with the one terminator WriteString adds: read and written back any
    // number of times, the value keeps its bytes.
    if (shouldWrite(kNetworkAddress))
        writer.WriteString(P + "NetworkAddress", UpToNul(AdvNetworkAddress));
    if (shouldWrite(kRxBuffer)) writer.WriteDword(P + "RxBuffer", AdvRxBuffer);
    if (shouldWrite(kTxBuffer)) writer.WriteDword(P + "TxBuffer", AdvTxBuffer);
    const bool thresholdListed =
        AdvThresholdIndex >= 0 && AdvThresholdIndex < static_cast<int>(ThresholdValues.size());
    if (thresholdListed && shouldWrite(kThreshold))
        writer.WriteDword(P + "TxStartThreshold", ThresholdValues[AdvThresholdIndex]);
    else if (!thresholdListed && storedThreshold_)
        writer.WriteDword(P + "TxStartThreshold", *storedThreshold_);

    const SaveResult result = writer.Finish();
    if (result.outcome == SaveResult::Written) loaded_.Saved(kept);
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
