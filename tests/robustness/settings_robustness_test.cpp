// The settings pages over long runs of OK and Cancel, and OK with a registry write refused at each
// point, on in-memory parts. The test keeps its own account of what each page shows and of what
// the driver's key must hold, and compares the whole key, every value's type and bytes.
#include "tests/doubles/memory_form1.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "shell/form1.h"
#include "tests/fuzz/parameters_fuzzing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace talvex {
namespace {

using fuzzing::kParams;
using Stored = MemoryRegistry::StoredValue;
// The whole driver key, by value name.
using KeyValues = std::map<std::string, Stored>;

const std::set<std::string> kAdvancedValues = {"ConnectionType", "NetworkAddress", "RxBuffer",
                                               "TxBuffer", "TxStartThreshold"};
const std::set<std::string> kVlanValues = {"EnableTagging", "EnableGVRP", "VLANID"};
// The thresholds as the driver takes them, in the list's order.
constexpr std::int32_t kThresholds[] = {256, 512, 768, 1024, 8188};

Stored Dword(std::uint32_t v) {
    return {kRegDword, fuzzing::Le32(v)};
}
Stored Text(std::uint32_t type, const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return {type, bytes};
}

// The driver's eight values as the driver's own setup stores them.
KeyValues UsualKey() {
    return {{"ConnectionType", Dword(3)},     {"NetworkAddress", Text(kRegSz, "02004C4F4F50")},
            {"RxBuffer", Dword(32)},          {"TxBuffer", Dword(16)},
            {"TxStartThreshold", Dword(512)}, {"EnableTagging", Dword(1)},
            {"EnableGVRP", Dword(0)},         {"VLANID", Dword(5)}};
}

KeyValues DriverKey(const MemoryRegistry& registry) {
    KeyValues key;
    for (auto& [name, value] : registry.Values(kHKeyLocalMachine, kParams)
                                   .value_or(std::vector<std::pair<std::string, Stored>>{}))
        key.emplace(name, value);
    return key;
}

void Seed(MemoryRegistry& registry, const KeyValues& key) {
    fuzzing::Input none(nullptr, 0);
    fuzzing::SeedAdapter(registry, none);
    registry.Seed(kHKeyLocalMachine, kParams, "BaseAddress", kRegDword, fuzzing::Le32(0xE000));
    for (const auto& [name, value] : key)
        registry.Seed(kHKeyLocalMachine, kParams, name, value.type, value.data);
}

// A refusing registry that also records the name of every value set, in order.
class RecordingRegistry : public fuzzing::RefusingRegistry {
  public:
    std::int32_t SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t count) override {
        names.push_back(name);
        return RefusingRegistry::SetValueEx(key, name, type, data, count);
    }
    std::vector<std::string> names;
};

// The program on an installed adapter, driven as the Win32 layer drives it: each user action
// changes the control first, then runs the control's handler.
class Program {
  public:
    explicit Program(const KeyValues& key) {
        Seed(registry, key);
        EXPECT_TRUE(form.InitializeWindow());
    }

    void ClickTab(int tab) {
        ui.tabs.Select(tab);
        form.WyncorTabStrip_Click();
    }
    void SelectProperty(int row) {
        ui.advanced.lstAdv_AdaptInfo.SetListIndex(row);
        form.advanced.lstAdv_AdaptInfo_Click();
    }
    void PickValue(int index) {
        ui.advanced.cbAdv_KeyValue.SetListIndex(index);
        form.advanced.cbAdv_KeyValue_Click();
    }
    void TypeValue(const std::string& text) {
        ui.advanced.txtAdv_KeyValue.SetText(text);
        form.advanced.txtAdv_KeyValue_Change();
    }
    void ClickTagging() {
        ui.vlan.chkEnableVLAN.Click();
        form.vlan.chkEnableVLAN_Click();
    }
    void ClickGvrp() { ui.vlan.chkEnableGVRP.Click(); }
    // A paste: the key filter never sees it.
    void PasteVlanId(const std::string& text) { ui.vlan.txtVLAN_ID.SetText(text); }
    void ClickUpDown(int delta) {
        ui.vlan.UpDownVLAN_ID.Click(delta);
        form.vlan.UpDownVLAN_ID_Change();
    }

    // OK with the failAt-th value set refused (0: none); the messages and calls it caused.
    struct OkSeen {
        std::vector<ShownMessage> messages;
        bool restartAsked = false;
    };
    OkSeen ClickOk(int failAt) {
        const std::size_t messages = services.messages.size(), calls = services.calls.size();
        registry.failAt = failAt;
        registry.sets = 0;
        registry.names.clear();
        form.cbOK_Click();
        registry.failAt = 0;
        OkSeen seen;
        seen.messages.assign(services.messages.begin() + static_cast<std::ptrdiff_t>(messages),
                             services.messages.end());
        seen.restartAsked = std::count(services.calls.begin() + static_cast<std::ptrdiff_t>(calls),
                                       services.calls.end(), std::string("dlgReboot")) == 1;
        return seen;
    }

    RecordingRegistry registry;
    MemoryServices services; // NO to the restart question
    MemoryForm1 ui;
    Form1 form{ui.Controls(), services, registry};
};

// A failed save's one message names the pages that failed, and only those.
void ExpectFailureMessage(const std::vector<ShownMessage>& messages, bool vlanFailed,
                          bool advancedFailed) {
    std::size_t failures = 0;
    for (const ShownMessage& m : messages) {
        const auto end = m.text.find(" settings could not be saved");
        if (end == std::string::npos) continue;
        ++failures;
        EXPECT_EQ(m.style, MsgBoxStyle::CriticalOk);
        const std::string pages = m.text.substr(0, end);
        EXPECT_EQ(pages.find("Virtual LAN") != std::string::npos, vlanFailed) << m.text;
        EXPECT_EQ(pages.find("Advanced") != std::string::npos, advancedFailed) << m.text;
    }
    EXPECT_EQ(failures, vlanFailed || advancedFailed ? 1u : 0u);
}

// --- Many OK and Cancel cycles -----------------------------------------------------------------

// What the two pages show, as a user would note it down, and what that means for OK.
struct ShownPages {
    int connectionType = 0;
    std::string address; // up to its terminator
    std::int32_t rx = 0, tx = 0;
    int threshold = 0; // index in the list
    int row = 0;       // the selected property
    bool boxIsNumber = true;
    int tagging = 0, gvrp = 0;
    std::string vlanId;
    std::optional<std::int32_t> vlanDigits; // the ID's text when it is digits only
    int upDown = 0;
    bool advancedVisited = false, vlanVisited = false;

    // What a load from the key shows; the visits and the up-down are not part of a load.
    void Load(const KeyValues& key) {
        const auto number = [&](const char* name) {
            const auto& d = key.at(name).data;
            return static_cast<std::int32_t>(d[0] | d[1] << 8 | d[2] << 16 | d[3] << 24);
        };
        connectionType = number("ConnectionType");
        const auto& bytes = key.at("NetworkAddress").data;
        address = std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
        rx = number("RxBuffer");
        tx = number("TxBuffer");
        threshold = static_cast<int>(
            std::find(std::begin(kThresholds), std::end(kThresholds), number("TxStartThreshold")) -
            std::begin(kThresholds));
        row = 0;
        boxIsNumber = true;
        tagging = number("EnableTagging");
        gvrp = number("EnableGVRP");
        vlanDigits = number("VLANID");
        vlanId = std::to_string(*vlanDigits);
    }
    bool AdvancedRefused() const { return (row == 2 || row == 3) && !boxIsNumber; }
    bool VlanRefused() const { return !vlanDigits || *vlanDigits > kMaxVlanId; }
    void WriteAdvanced(KeyValues& key) const {
        key["ConnectionType"] = Dword(connectionType);
        key["NetworkAddress"] = Text(kRegSz, address);
        key["RxBuffer"] = Dword(rx);
        key["TxBuffer"] = Dword(tx);
        key["TxStartThreshold"] = Dword(kThresholds[threshold]);
    }
    void WriteVlan(KeyValues& key) const {
        key["EnableTagging"] = Dword(tagging == 1 ? 1 : 0);
        key["EnableGVRP"] = Dword(gvrp);
        key["VLANID"] = Dword(*vlanDigits);
    }
};

// One cycle's random edits, each made on the program and noted in the pages' account.
class RandomUser {
  public:
    RandomUser(Program& program, ShownPages& shown, std::uint32_t seed)
        : p_(program), shown_(shown), random_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    void Edit(std::string& log) {
        switch (Below(9)) {
        case 0: {
            const int tab = Below(2) ? 1 : 4; // General or Support: nothing to note
            p_.ClickTab(tab);
            log += " tab" + std::to_string(tab);
            break;
        }
        case 1:
        case 2: { // a connection type or a threshold, or a click beside the entries
            const int row = Below(2) ? 0 : 4;
            const int pick = Below(6) - 1;
            ShowAdvanced(row);
            p_.PickValue(pick);
            if (pick >= 0) (row == 0 ? shown_.connectionType : shown_.threshold) = pick;
            log += " pick" + std::to_string(row) + ":" + std::to_string(pick);
            break;
        }
        case 3: { // a buffer count, a number or not
            const int row = 2 + Below(2);
            ShowAdvanced(row);
            const auto [text, number] = BufferText();
            p_.TypeValue(text);
            shown_.boxIsNumber = number.has_value();
            if (number) (row == 2 ? shown_.rx : shown_.tx) = *number;
            log += " buffer" + std::to_string(row) + ":'" + text + "'";
            break;
        }
        case 4: { // an address, whatever the balloon says about it
            static const char* const kAddresses[] = {
                "02004C4F4F51",      "0200AABBCCDD", "",
                "01-00-5E-00-00-01", "FFFFFFFFFFFF", "not an address"};
            const std::string text = kAddresses[Below(6)];
            ShowAdvanced(1);
            p_.TypeValue(text);
            shown_.address = text;
            log += " address:'" + text + "'";
            break;
        }
        case 5:
            ShowVlan();
            p_.ClickTagging();
            shown_.tagging = shown_.tagging == 0 ? 1 : 0;
            log += " tagging";
            break;
        case 6:
            ShowVlan();
            if (shown_.tagging != 1) break; // disabled
            p_.ClickGvrp();
            shown_.gvrp = shown_.gvrp == 0 ? 1 : 0;
            log += " gvrp";
            break;
        case 7: {
            ShowVlan();
            if (shown_.tagging != 1) break;
            const auto [text, digits] = VlanIdText();
            p_.PasteVlanId(text);
            shown_.vlanId = text;
            shown_.vlanDigits = digits;
            log += " id:'" + text + "'";
            break;
        }
        case 8: {
            ShowVlan();
            if (shown_.tagging != 1) break;
            const int delta = Below(2) ? 1 : -1;
            p_.ClickUpDown(delta);
            shown_.upDown = std::clamp(shown_.upDown + delta, 0, kMaxVlanId);
            shown_.vlanId = std::to_string(shown_.upDown);
            shown_.vlanDigits = shown_.upDown;
            log += " updown" + std::to_string(delta);
            break;
        }
        }
    }

  private:
    // The tab is clicked every time, as a user does who is not sure it is in front.
    void ShowAdvanced(int row) {
        p_.ClickTab(2);
        shown_.advancedVisited = true;
        p_.SelectProperty(row);
        shown_.row = row;
        shown_.boxIsNumber = true; // a buffer row shows its count
    }
    void ShowVlan() {
        p_.ClickTab(3);
        shown_.vlanVisited = true;
        if (shown_.vlanDigits) shown_.upDown = std::min(*shown_.vlanDigits, kMaxVlanId);
    }

    std::pair<std::string, std::optional<std::int32_t>> BufferText() {
        const std::int32_t n = std::uniform_int_distribution<std::int32_t>(-5, 70000)(random_);
        switch (Below(8)) {
        case 0: return {"+" + std::to_string(std::abs(n)), std::abs(n)};
        case 1: return {"00" + std::to_string(std::abs(n)), std::abs(n)};
        case 2: return {"", std::nullopt};
        case 3: return {std::to_string(n) + "x", std::nullopt};
        case 4: return {"4294967296", std::nullopt};
        case 5: return {" " + std::to_string(n), std::nullopt};
        default: return {std::to_string(n), n};
        }
    }
    std::pair<std::string, std::optional<std::int32_t>> VlanIdText() {
        const std::int32_t n = std::uniform_int_distribution<std::int32_t>(0, 4200)(random_);
        switch (Below(6)) {
        case 0: return {"", std::nullopt};
        case 1: return {"1" + std::to_string(n) + "a", std::nullopt};
        case 2: return {"00" + std::to_string(n), n};
        case 3: return {"-" + std::to_string(n), std::nullopt};
        default: return {std::to_string(n), n};
        }
    }

    Program& p_;
    ShownPages& shown_;
    std::mt19937 random_;
};

// Each cycle: the window shown from the tray, a few random edits, then OK (now and then with a
// registry write refused) or Cancel. After every cycle no key is open and the driver's key is
// exactly what the last successful save of each page made it.
TEST(SettingsRobustness, TenThousandOkAndCancelCyclesKeepTheKeyAsTheLastSaveWroteIt) {
    constexpr std::uint32_t kSeed = 20261207;
    KeyValues expected = UsualKey();
    expected["Extra"] = {kRegBinary, {0xDE, 0xAD, 0x00}};
    Program p(expected);
    expected["BaseAddress"] = Dword(0xE000);
    ShownPages shown;
    shown.Load(expected);
    RandomUser user(p, shown, kSeed);
    int oks = 0, cancels = 0, refusedPages = 0, failedPages = 0, writtenPages = 0;

    for (int cycle = 1; cycle <= 10000; ++cycle) {
        std::string log = "cycle " + std::to_string(cycle) + ":";
        if (!p.ui.window.Visible()) p.form.mnuShowHide_Click();
        for (int edits = user.Below(6); edits > 0; --edits)
            user.Edit(log);

        if (user.Below(10) < 3) {
            log += " Cancel";
            p.form.cbCancel_Click();
            shown.Load(expected);
            ++cancels;
        } else {
            // VLAN writes its three values first, then Advanced its five.
            const bool vlanRefused = shown.vlanVisited && shown.VlanRefused();
            const bool advancedRefused = shown.advancedVisited && shown.AdvancedRefused();
            const int vlanWrites = shown.vlanVisited && !vlanRefused ? 3 : 0;
            const int advancedWrites = shown.advancedVisited && !advancedRefused ? 5 : 0;
            const int failAt = user.Below(8) == 0 ? 1 + user.Below(9) : 0;
            const bool vlanFailed = failAt >= 1 && failAt <= vlanWrites;
            const bool advancedFailed =
                failAt > vlanWrites && failAt <= vlanWrites + advancedWrites;
            log += " OK refusing write " + std::to_string(failAt);
            SCOPED_TRACE(log);

            const Program::OkSeen seen = p.ClickOk(failAt);
            if (vlanWrites > 0 && !vlanFailed) shown.WriteVlan(expected);
            if (advancedWrites > 0 && !advancedFailed) shown.WriteAdvanced(expected);
            const int written =
                (vlanWrites > 0 && !vlanFailed) + (advancedWrites > 0 && !advancedFailed);
            ExpectFailureMessage(seen.messages, vlanFailed, advancedFailed);
            ASSERT_EQ(seen.messages.size(),
                      std::size_t(vlanRefused + advancedRefused + (vlanFailed || advancedFailed)));
            ASSERT_EQ(seen.restartAsked, written > 0);
            ++oks;
            refusedPages += vlanRefused + advancedRefused;
            failedPages += vlanFailed + advancedFailed;
            writtenPages += written;
        }
        SCOPED_TRACE(log);
        ASSERT_EQ(p.registry.OpenHandleCount(), 0u);
        ASSERT_EQ(DriverKey(p.registry), expected);
        ASSERT_FALSE(p.ui.window.unloaded());
    }
    // The run reached every outcome often.
    EXPECT_GT(cancels, 2000);
    EXPECT_GT(refusedPages, 500);
    EXPECT_GT(failedPages, 200);
    EXPECT_GT(writtenPages, 5000);
    std::printf("%d OK (%d pages written, %d refused, %d failed), %d Cancel\n", oks, writtenPages,
                refusedPages, failedPages, cancels);
}

// --- A write refused at each point of an OK ----------------------------------------------------

// Driver keys as tools leave them: the usual one; numbers as text, an address in dashes, a
// threshold the list has no entry for and values missing; an address stored as bytes and numbers as
// expandable text.
std::vector<KeyValues> KeyShapes() {
    return {
        UsualKey(),
        {{"ConnectionType", Text(kRegSz, "3")},
         {"NetworkAddress", Text(kRegSz, "02-00-4c-4f-4f-50")},
         {"RxBuffer", Dword(32)},
         {"TxStartThreshold", Dword(2048)},
         {"EnableTagging", Text(kRegSz, "1")},
         {"Extra", {kRegBinary, {0xDE, 0xAD}}}},
        {{"NetworkAddress", {kRegBinary, {0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x50}}},
         {"RxBuffer", Text(kRegExpandSz, "64")},
         {"TxBuffer", {kRegDword, {1, 2}}}, // too short to be a number
         {"EnableGVRP", Text(kRegExpandSz, "1")},
         {"VLANID", Dword(4094)}},
    };
}

// The pages visited (bit 0 Advanced, bit 1 Virtual LAN) and, when edited, a change to every value
// of each visited page, the missing ones included.
void VisitAndEdit(Program& p, int pages, bool edited) {
    if (pages & 1) {
        p.ClickTab(2);
        if (edited) {
            p.PickValue(4);
            p.SelectProperty(1);
            p.TypeValue("0200AABBCCDD");
            p.SelectProperty(2);
            p.TypeValue("64");
            p.SelectProperty(3);
            p.TypeValue("48");
            p.SelectProperty(4);
            p.PickValue(4);
        }
    }
    if (pages & 2) {
        p.ClickTab(3);
        if (edited) {
            if (p.ui.vlan.chkEnableVLAN.Value() != 1) p.ClickTagging();
            p.ClickGvrp();
            p.PasteVlanId("100");
        }
    }
}

// For every key shape, set of visited pages and edit: an OK in which the 1st value set is refused,
// then one in which the 2nd is, and so on, until one past the last. The page whose write was
// refused is exactly as it was (the values it added are gone), the other page is saved, the user
// is told once which page failed, and the restart question comes only for a page saved.
TEST(SettingsRobustness, AWriteRefusedAtEachPointOfOkLeavesItsPageAsItWas) {
    int oks = 0;
    const std::vector<KeyValues> shapes = KeyShapes();
    for (std::size_t s = 0; s < shapes.size(); ++s) {
        const KeyValues& shape = shapes[s];
        for (int pages = 0; pages < 4; ++pages) {
            for (const bool edited : {false, true}) {
                // A run without a refusal: how many values OK sets, and the key after it.
                Program clean(shape);
                const KeyValues before = DriverKey(clean.registry);
                VisitAndEdit(clean, pages, edited);
                clean.ClickOk(INT_MAX);
                const std::vector<std::string> sets = clean.registry.names;
                const KeyValues saved = DriverKey(clean.registry);

                for (std::size_t failAt = 1; failAt <= sets.size() + 1; ++failAt) {
                    SCOPED_TRACE("shape " + std::to_string(s) + " pages " + std::to_string(pages) +
                                 (edited ? " edited" : "") +
                                 ", set refused: " + std::to_string(failAt));
                    Program p(shape);
                    VisitAndEdit(p, pages, edited);
                    const Program::OkSeen seen = p.ClickOk(static_cast<int>(failAt));
                    ++oks;

                    const bool refused = failAt <= sets.size();
                    const bool vlanFailed = refused && kVlanValues.count(sets[failAt - 1]);
                    const bool advancedFailed = refused && !vlanFailed;
                    // What the failed page owns is as before; everything else as saved.
                    KeyValues expected = saved;
                    for (const auto& names :
                         {vlanFailed ? kVlanValues : std::set<std::string>{},
                          advancedFailed ? kAdvancedValues : std::set<std::string>{}})
                        for (const std::string& name : names) {
                            expected.erase(name);
                            if (before.count(name)) expected[name] = before.at(name);
                        }
                    EXPECT_EQ(DriverKey(p.registry), expected);
                    EXPECT_EQ(p.registry.OpenHandleCount(), 0u);
                    ExpectFailureMessage(seen.messages, vlanFailed, advancedFailed);
                    EXPECT_EQ(seen.messages.size(), refused ? 1u : 0u);
                    const bool vlanSaved = (pages & 2) && !vlanFailed;
                    const bool advancedSaved = (pages & 1) && !advancedFailed;
                    EXPECT_EQ(seen.restartAsked, vlanSaved || advancedSaved);
                }
            }
        }
    }
    std::printf("%d OKs\n", oks);
}

} // namespace
} // namespace talvex
