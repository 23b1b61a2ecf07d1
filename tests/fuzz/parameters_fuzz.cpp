// libFuzzer target: whatever another tool left in the driver's key, discovery and both settings
// pages load it, and OK with nothing edited saves it, without a crash or an open key, and keeps
// what the pages promise: a missing or unreadable value stays missing, a number stays the same
// number (a plain DWORD the same bytes), the address loses nothing but bytes after its NUL, and a
// second OK changes nothing more.
#include "parameters_fuzzing.h"

#include "shell/form1.h"

namespace talvex::fuzzing {
namespace {

// Stored as a page writes it: read and written back, the bytes stay.
bool Canonical(const std::optional<MemoryRegistry::StoredValue>& value, std::int32_t low,
               std::int32_t high) {
    if (!value || value->type != kRegDword || value->data.size() != 4) return false;
    const auto& d = value->data;
    const auto number =
        static_cast<std::int32_t>(d[0] | (std::uint32_t{d[1]} << 8) | (std::uint32_t{d[2]} << 16) |
                                  (std::uint32_t{d[3]} << 24));
    return number >= low && number <= high;
}

constexpr std::int32_t kAny = 0x7FFFFFFF;

void RequireUneditedKept(const Snapshot& before, const Snapshot& after, const OkOutcome& outcome) {
    const auto same = [&](const char* name) { return after.Value(name) == before.Value(name); };
    if (outcome.advanced == PageOutcome::Written) {
        for (const char* name : {"ConnectionType", "RxBuffer", "TxBuffer", "TxStartThreshold"}) {
            if (Canonical(before.Value(name), -kAny - 1, kAny)) Require(same(name));
            // The only rewrite of a number: decimal text becomes the same number as a DWORD.
            if (!same(name)) Require(Canonical(after.Value(name), -kAny - 1, kAny));
        }
        const auto address = before.Value("NetworkAddress");
        const auto now = after.Value("NetworkAddress");
        if (address && now && !same("NetworkAddress")) {
            // Grows by a missing terminator at most, and only a text value is rewritten.
            Require(address->type == kRegSz || address->type == kRegExpandSz);
            Require(now->data.size() <= address->data.size() + 1);
        }
    }
    if (outcome.vlan == PageOutcome::Written) {
        if (Canonical(before.Value("EnableTagging"), 0, 1)) Require(same("EnableTagging"));
        if (Canonical(before.Value("EnableGVRP"), 0, 2)) Require(same("EnableGVRP"));
        if (Canonical(before.Value("VLANID"), 0, 4094)) Require(same("VLANID"));
    }
}

void LoadAndSave(RefusingRegistry& registry, Input& in) {
    const Snapshot seeded = Take(registry);
    MemoryServices services;
    MemoryForm1 ui;
    Form1 form(ui.Controls(), services, registry);
    Require(form.InitializeWindow());
    Require(registry.OpenHandleCount() == 0);
    Require(Take(registry) == seeded); // loading writes nothing

    const std::uint8_t visits = in.Byte();
    for (int tab : {2, 3}) {
        if (!(visits & (tab - 1))) continue;
        ui.tabs.Select(tab);
        form.WyncorTabStrip_Click();
    }
    registry.failAt = (visits >> 2) % 8; // 0: every write succeeds
    std::optional<std::int32_t> numbers[kPageValues];
    for (int i = 0; i < kPageValues; ++i)
        numbers[i] = NumberOf(registry, kValueNames[i]);
    const OkOutcome first = ClickOk(form, services);
    Require(registry.OpenHandleCount() == 0);
    const Snapshot saved = Take(registry);
    RequireOkResult(registry, seeded, saved, first, form, ui);
    RequireUneditedKept(seeded, saved, first);
    // Nothing was edited, so nothing is invented: a value missing or not a number stays so.
    for (int i = 0; i < kPageValues; ++i) {
        const char* name = kValueNames[i];
        const bool missing = i == 1 ? !seeded.Value(name) : !numbers[i];
        if (missing) Require(saved.Value(name) == seeded.Value(name));
    }

    // Read back from the key and saved again, nothing changes any more.
    registry.failAt = 0;
    form.cbCancel_Click();
    const OkOutcome second = ClickOk(form, services);
    Require(registry.OpenHandleCount() == 0);
    const Snapshot again = Take(registry);
    if (first.advanced == PageOutcome::Written) {
        Require(second.advanced == PageOutcome::Written);
        for (int i = 0; i < 5; ++i)
            Require(again.Value(kValueNames[i]) == saved.Value(kValueNames[i]));
    }
    if (first.vlan == PageOutcome::Written) {
        Require(second.vlan == PageOutcome::Written);
        for (int i = 5; i < kPageValues; ++i)
            Require(again.Value(kValueNames[i]) == saved.Value(kValueNames[i]));
    }
}

} // namespace
} // namespace talvex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talvex::fuzzing;
    return OnSeededAdapter(
        data, size, [](RefusingRegistry& registry, Input& in) { LoadAndSave(registry, in); });
}
