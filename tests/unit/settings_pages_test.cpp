// The Advanced and VLAN pages, OK, Cancel and the restart, on in-memory parts.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "shell/form1.h"
#include "tests/doubles/memory_form1.h"
#include "tests/doubles/refusing_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <stdexcept>

namespace talvex {
namespace {

constexpr char kCard[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
constexpr char kParams[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

using Stored = MemoryRegistry::StoredValue;

Stored Dword(std::uint32_t v) {
    return {kRegDword,
            {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}
Stored Sz(const std::string& bytes) {
    return {kRegSz, {bytes.begin(), bytes.end()}};
}

class SettingsPages : public testing::Test {
  protected:
    SettingsPages() {
        memory.SeedString(kHKeyLocalMachine, kCard, "Title", "Adapter");
        memory.SeedString(kHKeyLocalMachine, kCard, "ProductName", "TVR8Q");
        memory.SeedString(kHKeyLocalMachine, kCard, "ServiceName", "TVR8Q1");
    }

    void Set(const std::string& name, const Stored& value) {
        memory.Seed(kHKeyLocalMachine, kParams, name, value.type, value.data);
    }
    void Remove(const std::string& name) {
        RegKey key = 0;
        memory.OpenKey(kHKeyLocalMachine, kParams, &key);
        memory.DeleteValue(key, name);
        memory.CloseKey(key);
    }
    std::optional<Stored> Get(const std::string& name) const {
        return memory.Lookup(kHKeyLocalMachine, kParams, name);
    }
    // The driver's usual parameters.
    void SeedAll() {
        Set("ConnectionType", Dword(3));
        Set("NetworkAddress", Sz(std::string("02004C4F4F50") + '\0'));
        Set("RxBuffer", Dword(32));
        Set("TxBuffer", Dword(16));
        Set("TxStartThreshold", Dword(512));
        Set("EnableTagging", Dword(1));
        Set("EnableGVRP", Dword(0));
        Set("VLANID", Dword(5));
    }

    Form1& Start() {
        form.emplace(ui.Controls(), services, registry);
        EXPECT_TRUE(form->InitializeWindow());
        return *form;
    }
    void ClickTab(int tab) {
        ui.tabs.Select(tab);
        form->WyncorTabStrip_Click();
    }
    void SelectProperty(int row) {
        adv.lstAdv_AdaptInfo.SetListIndex(row);
        form->advanced.lstAdv_AdaptInfo_Click();
    }
    void PickValue(int index) {
        adv.cbAdv_KeyValue.SetListIndex(index);
        form->advanced.cbAdv_KeyValue_Click();
    }
    void TypeValue(const std::string& text) {
        adv.txtAdv_KeyValue.SetText(text);
        form->advanced.txtAdv_KeyValue_Change();
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const ShownMessage& m : services.messages)
            texts.push_back(m.title + ": " + m.text);
        return texts;
    }

    RefusingRegistry registry;
    MemoryRegistry& memory = registry;
    MemoryServices services;
    MemoryForm1 ui;
    MemoryAdvancedPage& adv = ui.advanced;
    MemoryVlanPage& vlan = ui.vlan;
    std::optional<Form1> form;
};

// --- Advanced page ---------------------------------------------------------------------------

TEST_F(SettingsPages, StartUpLoadsTheAdvancedPageAndShowsConnectionType) {
    SeedAll();
    Form1& f = Start();
    const std::vector<std::string> rows = {"Connection Type", "NetworkAddress", "Receive Buffers",
                                           "Transmit Buffers", "Transmit Threshold"};
    ASSERT_EQ(adv.lstAdv_AdaptInfo.ListCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(adv.lstAdv_AdaptInfo.List(i), rows[i]);
    EXPECT_EQ(adv.lstAdv_AdaptInfo.ListIndex(), 0);
    EXPECT_TRUE(adv.cbAdv_KeyValue.InFront());
    const std::vector<std::string> connectionTypes = {"AutoSense", "10BaseT", "10BaseT FD",
                                                      "100BaseTX", "100BaseTX FD"};
    ASSERT_EQ(adv.cbAdv_KeyValue.ListCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(adv.cbAdv_KeyValue.List(i), connectionTypes[i]);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), 3);
    EXPECT_EQ(f.advanced.AdvNetworkAddress, std::string("02004C4F4F50") + '\0');
    EXPECT_EQ(f.advanced.AdvRxBuffer, 32);
    EXPECT_EQ(f.advanced.AdvTxBuffer, 16);
    EXPECT_EQ(f.advanced.AdvThresholdIndex, 1);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(SettingsPages, EachPropertyShowsItsEditorAndValue) {
    SeedAll();
    Set("TxStartThreshold", Dword(8188));
    Start();
    SelectProperty(1);
    EXPECT_TRUE(adv.txtAdv_KeyValue.InFront());
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "02004C4F4F50"); // without the terminator
    SelectProperty(2);
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "32");
    SelectProperty(3);
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "16");
    SelectProperty(4);
    EXPECT_TRUE(adv.cbAdv_KeyValue.InFront());
    const std::vector<std::string> thresholds = {"256", "512", "768", "1024", "Store and Forward"};
    ASSERT_EQ(adv.cbAdv_KeyValue.ListCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(adv.cbAdv_KeyValue.List(i), thresholds[i]);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), 4); // 8188 is Store and Forward
}

TEST_F(SettingsPages, OkAfterVisitingAdvancedRewritesTheFiveValuesUnchanged) {
    SeedAll();
    Set("NetworkAddress", Sz(std::string("02004C4F4F50") + '\0' + '\0')); // two terminators
    Form1& f = Start();
    ClickTab(2);
    services.rebootAnswer = false;
    f.cbOK_Click();
    EXPECT_EQ(Get("ConnectionType"), Dword(3));
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("02004C4F4F50") + '\0'));
    EXPECT_EQ(Get("RxBuffer"), Dword(32));
    EXPECT_EQ(Get("TxBuffer"), Dword(16));
    EXPECT_EQ(Get("TxStartThreshold"), Dword(512));
    EXPECT_TRUE(f.bNeedReboot);
    EXPECT_EQ(services.calls, std::vector<std::string>{"dlgReboot"});
    EXPECT_FALSE(ui.window.Visible());
    EXPECT_FALSE(ui.window.unloaded());
    // Read and written back again, the address keeps its bytes.
    f.cbCancel_Click();
    f.cbOK_Click();
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("02004C4F4F50") + '\0'));
}

TEST_F(SettingsPages, PickedEntriesAreStoredByTheirTableValues) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    PickValue(2); // "10BaseT FD"
    SelectProperty(4);
    PickValue(4); // "Store and Forward"
    SelectProperty(0);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), 2); // the pick is kept across rows
    f.cbOK_Click();
    EXPECT_EQ(Get("ConnectionType"), Dword(2));
    EXPECT_EQ(Get("TxStartThreshold"), Dword(8188));
}

TEST_F(SettingsPages, MissingValuesShowDefaultsAndAreNotWrittenUnlessChanged) {
    Set("RxBuffer", Dword(64)); // the only one stored
    Form1& f = Start();
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), 0); // AutoSense
    SelectProperty(1);
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "No Value");
    SelectProperty(3);
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "0");
    SelectProperty(4);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), -1); // nothing stored, nothing selected
    // A threshold picked and then cancelled is forgotten: the list shows what the key holds.
    PickValue(4);
    f.cbCancel_Click();
    SelectProperty(4);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), -1);
    ClickTab(2);
    ClickTab(3);
    f.cbOK_Click();
    for (const char* name : {"ConnectionType", "NetworkAddress", "TxBuffer", "TxStartThreshold",
                             "EnableTagging", "EnableGVRP", "VLANID"})
        EXPECT_FALSE(Get(name)) << name << " was invented";
    EXPECT_EQ(Get("RxBuffer"), Dword(64));

    // Once the user changes one, it is written.
    SelectProperty(3);
    TypeValue("8");
    vlan.txtVLAN_ID.SetText("12");
    f.cbOK_Click();
    EXPECT_EQ(Get("TxBuffer"), Dword(8));
    EXPECT_EQ(Get("VLANID"), Dword(12));
    EXPECT_FALSE(Get("NetworkAddress"));
    EXPECT_FALSE(Get("EnableTagging"));
}

TEST_F(SettingsPages, StoredValuesTheListsCannotShowSelectNothingAndAreKept) {
    SeedAll();
    Set("ConnectionType", Dword(7));
    Set("TxStartThreshold", Dword(0x10100)); // 256 in its low 16 bits
    Form1& f = Start();
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), -1);
    SelectProperty(4);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), -1);
    ClickTab(2);
    f.cbOK_Click();
    EXPECT_EQ(Get("ConnectionType"), Dword(7));
    EXPECT_EQ(Get("TxStartThreshold"), Dword(0x10100));

    Set("TxStartThreshold", Dword(2048));
    f.cbCancel_Click();
    SelectProperty(4);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), -1);
    PickValue(3);
    f.cbOK_Click();
    EXPECT_EQ(Get("TxStartThreshold"), Dword(1024));
    EXPECT_EQ(Get("ConnectionType"), Dword(7));
}

// Found by fuzzing: an address stored as a DWORD or as binary bytes was rewritten at OK as the
// text up to its first NUL, losing its bytes although nobody edited it.
TEST_F(SettingsPages, AnAddressStoredAsAnotherTypeIsKeptUntilEdited) {
    SeedAll();
    const std::vector<Stored> others = {Dword(0),
                                        {kRegBinary, {0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x50}}};
    for (const Stored& stored : others) {
        Set("NetworkAddress", stored);
        Form1& f = form ? *form : Start();
        f.cbCancel_Click();
        ClickTab(2);
        f.cbOK_Click();
        EXPECT_EQ(Get("NetworkAddress"), stored);
    }
    // Edited, it is stored as text, and a text address is rewritten as before.
    SelectProperty(1);
    TypeValue("02004C4F4F51");
    form->cbOK_Click();
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("02004C4F4F51") + '\0'));
    Set("NetworkAddress", Sz("02004C4F4F52")); // without its terminator
    form->cbCancel_Click();
    form->cbOK_Click();
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("02004C4F4F52") + '\0'));
    const std::string expandable = std::string("02004C4F4F53") + '\0';
    Set("NetworkAddress", {kRegExpandSz, {expandable.begin(), expandable.end()}}); // text too
    form->cbCancel_Click();
    form->cbOK_Click();
    EXPECT_EQ(Get("NetworkAddress"), Sz(expandable));
}

TEST_F(SettingsPages, NumbersStoredAsTextReadAsTheNumberTheySay) {
    SeedAll();
    Set("ConnectionType", Sz(std::string("3") + '\0'));
    Set("RxBuffer", Sz(std::string("48") + '\0'));
    Set("TxStartThreshold", Sz(std::string("768") + '\0'));
    Set("EnableTagging", Sz(std::string("0") + '\0'));
    Set("VLANID", Sz(std::string("42") + '\0'));
    Form1& f = Start();
    EXPECT_EQ(f.advanced.AdvConnectionType, 3);
    EXPECT_EQ(f.advanced.AdvRxBuffer, 48);
    EXPECT_EQ(f.advanced.AdvThresholdIndex, 2);
    EXPECT_EQ(vlan.chkEnableVLAN.Value(), 0);
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "42");
    ClickTab(2);
    ClickTab(3);
    f.cbOK_Click();
    EXPECT_EQ(Get("ConnectionType"), Dword(3));
    EXPECT_EQ(Get("RxBuffer"), Dword(48));
    EXPECT_EQ(Get("TxStartThreshold"), Dword(768));
    EXPECT_EQ(Get("VLANID"), Dword(42));
}

TEST_F(SettingsPages, BufferTextThatIsNotANumberKeepsTheNumberAndStopsTheSave) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    SelectProperty(2);
    // Just beyond 32 bits either way, and the characters on each side of the digits.
    for (const char* text :
         {"", "12x", "-", "4294967296", "1 2", "2147483648", "-2147483649", "/", ":", "1/", "9:"}) {
        TypeValue(text);
        EXPECT_EQ(f.advanced.AdvRxBuffer, 32) << '"' << text << '"';
    }
    const std::pair<const char*, std::int32_t> numbers[] = {
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"+09", 9}, {"0", 0}, {"-3", -3}};
    for (const auto& [text, number] : numbers) {
        TypeValue(text);
        EXPECT_EQ(f.advanced.AdvRxBuffer, number) << text;
    }
    TypeValue("64");
    SelectProperty(3);
    TypeValue("abc");
    PickValue(1); // not shown: the text box is in front
    f.cbOK_Click();
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "Alert: Transmit Buffers must be a whole number. The Advanced "
                              "settings were not saved."});
    EXPECT_EQ(Get("RxBuffer"), Dword(32));
    EXPECT_FALSE(f.bNeedReboot);
    EXPECT_TRUE(services.calls.empty());
    EXPECT_FALSE(ui.window.Visible());

    SelectProperty(2); // the bad text is gone: the kept 64 is shown
    EXPECT_EQ(adv.txtAdv_KeyValue.Text(), "64");
    f.cbOK_Click();
    EXPECT_EQ(Get("RxBuffer"), Dword(64));
}

TEST_F(SettingsPages, BalloonSaysWhenTheDriverWillNotTakeTheAddress) {
    SeedAll();
    Start();
    SelectProperty(1);
    EXPECT_EQ(adv.txtAdv_KeyValue.Balloon(), ""); // showing a value raises none
    const std::pair<const char*, bool> cases[] = {
        {"02004C4F4F5", true},        {"02-00-4c-4f-4f-50", false},
        {"02:00:4C:4F:4F:50", false}, {"01005E000001", true},
        {"FFFFFFFFFFFF", true},       {"000000000000", true},
        {"02004C4F4F5G", true},       {"", false},
        {"02004C4F4F50", false},      {"0-2004C4F4F50", false},
        {"02004C4F4F500", true},      {"03004C4F4F50", true}};
    for (const auto& [text, warned] : cases) {
        TypeValue(text);
        EXPECT_EQ(adv.txtAdv_KeyValue.Balloon().empty(), !warned) << text;
    }
    TypeValue("01005E000001");
    EXPECT_NE(adv.txtAdv_KeyValue.Balloon().find("multicast"), std::string::npos);
    SelectProperty(2);
    EXPECT_EQ(adv.txtAdv_KeyValue.Balloon(), "");
    SelectProperty(1);
    TypeValue("XYZ"); // never blocks OK
    ClickTab(2);
    form->cbOK_Click();
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("XYZ") + '\0'));
}

// --- VLAN page -------------------------------------------------------------------------------

TEST_F(SettingsPages, VlanLoadAppliesTheEnablingRule) {
    SeedAll();
    Start();
    EXPECT_EQ(vlan.chkEnableVLAN.Value(), 1);
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "5");
    for (const Control* c : std::initializer_list<const Control*>{
             &vlan.txtVLAN_ID, &vlan.txtVLANDescription, &vlan.lblVLAN_ID, &vlan.UpDownVLAN_ID,
             &vlan.chkEnableGVRP})
        EXPECT_TRUE(c->Enabled());
    vlan.chkEnableVLAN.Click();
    form->vlan.chkEnableVLAN_Click();
    for (const Control* c : std::initializer_list<const Control*>{
             &vlan.txtVLAN_ID, &vlan.txtVLANDescription, &vlan.lblVLAN_ID, &vlan.UpDownVLAN_ID,
             &vlan.chkEnableGVRP})
        EXPECT_FALSE(c->Enabled());
    EXPECT_TRUE(vlan.chkEnableVLAN.Enabled());
    EXPECT_TRUE(vlan.txtVLANDescription.ReadOnly());
}

TEST_F(SettingsPages, VlanCheckStatesFromTheRegistry) {
    const std::tuple<std::optional<std::uint32_t>, int> cases[] = {
        {0u, 0}, {1u, 1}, {2u, 2}, {7u, 1}, {0xFFFFFFFFu, 1}, {std::nullopt, 0}};
    for (const auto& [stored, state] : cases) {
        for (const char* name : {"EnableTagging", "EnableGVRP"}) {
            if (stored)
                Set(name, Dword(*stored));
            else
                Remove(name);
        }
        MemoryForm1 fresh;
        Form1 f(fresh.Controls(), services, registry);
        ASSERT_TRUE(f.InitializeWindow());
        EXPECT_EQ(fresh.vlan.chkEnableVLAN.Value(), state);
        EXPECT_EQ(fresh.vlan.chkEnableGVRP.Value(), state);
        EXPECT_EQ(fresh.vlan.txtVLAN_ID.Enabled(), state == 1);
    }
}

TEST_F(SettingsPages, VlanOkWritesAllThreeWhateverTheTaggingState) {
    SeedAll();
    Set("EnableGVRP", Dword(2));
    Form1& f = Start();
    ClickTab(3);
    vlan.chkEnableVLAN.Click();
    f.vlan.chkEnableVLAN_Click();
    vlan.txtVLAN_ID.SetText("007");
    f.cbOK_Click();
    EXPECT_EQ(Get("EnableTagging"), Dword(0));
    EXPECT_EQ(Get("EnableGVRP"), Dword(2));
    EXPECT_EQ(Get("VLANID"), Dword(7));
    EXPECT_EQ(services.calls, std::vector<std::string>{"dlgReboot"});
    vlan.txtVLAN_ID.SetText("4094");
    f.cbOK_Click();
    EXPECT_EQ(Get("VLANID"), Dword(4094));
    vlan.txtVLAN_ID.SetText("0");
    f.cbOK_Click();
    EXPECT_EQ(Get("VLANID"), Dword(0));
    vlan.chkEnableVLAN.SetValue(2); // greyed is not checked: tagging stays off
    f.cbOK_Click();
    EXPECT_EQ(Get("EnableTagging"), Dword(0));
}

TEST_F(SettingsPages, InvalidVlanIdIsRefusedAndWritesNothingOfThePage) {
    SeedAll();
    Form1& f = Start();
    ClickTab(3);
    for (const char* text : {"4095", "99999999999999", "", "12a", "-1", " 5", ":", "1:", "/"}) {
        services.messages.clear();
        services.calls.clear();
        vlan.txtVLAN_ID.SetText(text);
        vlan.chkEnableVLAN.SetValue(0);
        f.cbOK_Click();
        EXPECT_EQ(Messages(), std::vector<std::string>{"Alert: VLAN ID Invalid."}) << text;
        EXPECT_EQ(services.messages[0].style, MsgBoxStyle::CriticalOk);
        EXPECT_TRUE(services.calls.empty()) << "no restart question for " << text;
        EXPECT_EQ(Get("VLANID"), Dword(5));
        EXPECT_EQ(Get("EnableTagging"), Dword(1));
        EXPECT_FALSE(ui.window.Visible());
        EXPECT_EQ(vlan.txtVLAN_ID.Text(), text); // the rejected text stays
    }
}

TEST_F(SettingsPages, RejectedVlanIdDoesNotStopTheAdvancedSave) {
    SeedAll();
    Form1& f = Start();
    ClickTab(3);
    ClickTab(2);
    PickValue(4);
    vlan.txtVLAN_ID.SetText("4095");
    f.cbOK_Click();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Alert: VLAN ID Invalid."});
    EXPECT_EQ(Get("ConnectionType"), Dword(4));
    EXPECT_EQ(Get("VLANID"), Dword(5));
    EXPECT_TRUE(f.bNeedReboot);
    EXPECT_EQ(services.calls, std::vector<std::string>{"dlgReboot"});
}

TEST_F(SettingsPages, VlanIdKeysUpDownAndTabStep) {
    SeedAll();
    Set("VLANID", Dword(5000));
    Form1& f = Start();
    for (int key = 0; key < 256; ++key) {
        int code = key;
        f.vlan.txtVLAN_ID_KeyPress(code);
        EXPECT_EQ(code, key >= '0' && key <= '9' ? key : 0) << key;
    }
    ClickTab(3); // above the range: clamped, the text stays for OK to refuse
    EXPECT_EQ(vlan.UpDownVLAN_ID.Value(), 4094);
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "5000");
    vlan.UpDownVLAN_ID.Click(+1);
    f.vlan.UpDownVLAN_ID_Change();
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "4094");
    vlan.txtVLAN_ID.SetText("3");
    ClickTab(1);
    ClickTab(3);
    EXPECT_EQ(vlan.UpDownVLAN_ID.Value(), 3);
    vlan.txtVLAN_ID.SetText(""); // after Delete, or pasted letters: the up-down keeps its value
    ClickTab(3);
    vlan.txtVLAN_ID.SetText("ab");
    ClickTab(3);
    EXPECT_EQ(vlan.UpDownVLAN_ID.Value(), 3);
    for (int i = 0; i < 5; ++i) {
        vlan.UpDownVLAN_ID.Click(-1);
        f.vlan.UpDownVLAN_ID_Change();
    }
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "0");
}

// --- OK, Cancel and restart ------------------------------------------------------------------

TEST_F(SettingsPages, OkWithNoPageVisitedWritesNothingAndAsksNothing) {
    SeedAll();
    Form1& f = Start();
    ui.window.SetVisible(true);
    ClickTab(4);
    memory.DenyWrites(true); // any write would fail loudly
    f.cbOK_Click();
    EXPECT_TRUE(services.calls.empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(ui.window.Visible());
    EXPECT_EQ(ui.mnuShowHide.Caption(), "&Show Window");
}

TEST_F(SettingsPages, VlanIsWrittenBeforeAdvancedAndMarksStaySet) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    ClickTab(3);
    ClickTab(1);
    f.cbOK_Click();
    const std::vector<std::string> order = {"EnableTagging",  "EnableGVRP",      "VLANID",
                                            "ConnectionType", "NetworkAddress",  "RxBuffer",
                                            "TxBuffer",       "TxStartThreshold"};
    EXPECT_EQ(registry.sets, order);
    vlan.txtVLAN_ID.SetText("9");
    f.cbCancel_Click();
    EXPECT_TRUE(f.bAdvPageVisited);
    EXPECT_TRUE(f.bVlanPageVisited);
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "5"); // Cancel reloaded it
    registry.sets.clear();
    f.cbOK_Click(); // a later OK writes both again and asks again
    EXPECT_EQ(registry.sets, order);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"dlgReboot", "dlgReboot"}));
}

TEST_F(SettingsPages, AFailedWriteUndoesThePageAndIsSaid) {
    SeedAll();
    Set("RxBuffer", Sz(std::string("32") + '\0')); // put back as text, as it was
    Form1& f = Start();
    ClickTab(2);
    ClickTab(3);
    PickValue(1);
    SelectProperty(1);
    TypeValue("02AABBCCDDEE");
    SelectProperty(2);
    TypeValue("99");
    registry.refuse = {"TxBuffer"}; // after three Advanced writes
    f.cbOK_Click();
    // Nothing is written after the refusal; what was written is put back newest first.
    const std::vector<std::string> sets = {
        "EnableTagging", "EnableGVRP", "VLANID",   "ConnectionType", "NetworkAddress",
        "RxBuffer",      "TxBuffer",   "RxBuffer", "NetworkAddress", "ConnectionType"};
    EXPECT_EQ(registry.sets, sets);
    EXPECT_EQ(Get("ConnectionType"), Dword(3));
    EXPECT_EQ(Get("NetworkAddress"), Sz(std::string("02004C4F4F50") + '\0'));
    EXPECT_EQ(Get("RxBuffer"), Sz(std::string("32") + '\0'));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].title, "Talvex Adapter Configuration");
    EXPECT_NE(services.messages[0].text.find("The Advanced settings could not be saved"),
              std::string::npos);
    EXPECT_NE(services.messages[0].text.find("administrator"), std::string::npos);
    // The VLAN page was written, so the restart is still offered on its account alone.
    EXPECT_TRUE(f.bNeedReboot);
    EXPECT_EQ(services.calls, std::vector<std::string>{"dlgReboot"});

    // Both refused: one message names both, and no restart is offered.
    services.messages.clear();
    services.calls.clear();
    memory.DenyWrites(true);
    f.cbOK_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("The Virtual LAN and Advanced settings"),
              std::string::npos);
    EXPECT_FALSE(f.bNeedReboot);
    EXPECT_TRUE(services.calls.empty());
    EXPECT_FALSE(ui.window.Visible());
}

// A registry that refuses the putting back as well leaves the page partly written: the message
// must not claim the previous settings are kept.
TEST_F(SettingsPages, AFailedWriteThatCanNotBePutBackIsSaidSo) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    PickValue(1);
    SelectProperty(2);
    TypeValue("99");
    registry.refuse = {"TxBuffer"}; // after three Advanced writes
    // Only the first value put back (the newest written) is refused; the others go back.
    registry.refusePutBack = "RxBuffer";
    f.cbOK_Click();
    EXPECT_EQ(Get("RxBuffer"), Dword(99)); // written, and could not be put back
    EXPECT_EQ(Get("ConnectionType"), Dword(3));
    ASSERT_EQ(services.messages.size(), 1u);
    const std::string& text = services.messages[0].text;
    EXPECT_NE(text.find("The Advanced settings could not be saved, and some of the values "
                        "already written could not be put back either"),
              std::string::npos);
    EXPECT_EQ(text.find("keeps its previous settings"), std::string::npos);
    EXPECT_FALSE(f.bNeedReboot);
    EXPECT_TRUE(services.calls.empty());

    // Both pages fail with another status: the VLAN page's putting back is refused, the
    // Advanced page's is not. The one message says the settings are partly changed all the same.
    ClickTab(3);
    registry.sets.clear();
    registry.refuse = {"VLANID", "TxBuffer"};
    registry.refusePutBack = "EnableGVRP";
    registry.refusal = 1009;
    services.messages.clear();
    f.cbOK_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              "The Virtual LAN and Advanced settings could not be saved, and some of the values "
              "already written could not be put back either: the driver's settings are now "
              "partly changed. Check them before you restart Windows. The registry refused the "
              "change (error 1009). Running Talvex Adapter Configuration as an administrator "
              "usually helps.");
    EXPECT_FALSE(f.bNeedReboot);
}

TEST_F(SettingsPages, AFailedWriteRemovesWhatItCreated) {
    Form1& f = Start(); // nothing stored at all
    ClickTab(2);
    SelectProperty(2);
    TypeValue("10");
    SelectProperty(4);
    PickValue(2);
    registry.refuse = {"TxStartThreshold"};
    // Refused with a status, then failing with none: a failure either way.
    for (bool throwing : {false, true}) {
        registry.refuseByThrowing = throwing;
        services.messages.clear();
        f.cbOK_Click();
        EXPECT_FALSE(Get("RxBuffer")) << throwing;
        EXPECT_FALSE(Get("TxStartThreshold")) << throwing;
        EXPECT_FALSE(f.bNeedReboot) << throwing;
        EXPECT_EQ(services.messages.size(), 1u) << throwing;
    }
}

TEST_F(SettingsPages, YesRestartsWindowsAndEndsTheProgram) {
    SeedAll();
    Form1& f = Start();
    ClickTab(3);
    services.rebootAnswer = true;
    f.cbOK_Click();
    EXPECT_TRUE(f.bRebootNow);
    EXPECT_EQ(services.calls, (std::vector<std::string>{"dlgReboot", "EnableShutdownPrivilege",
                                                        "ExitWindowsEx 2 0"}));
    EXPECT_FALSE(ui.window.Visible());
    EXPECT_TRUE(ui.window.unloaded());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(SettingsPages, ARefusedRestartIsSaidBeforeTheProgramEnds) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    services.rebootAnswer = true;
    services.exitWindowsError = 1314;
    f.cbOK_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find("Windows did not restart (error 1314)"),
              std::string::npos);
    EXPECT_TRUE(ui.window.unloaded());
}

// The console tool or a fleet script writes the driver's key while the program sits in the tray.
// Showing the window shows their values; a page with an edit pending keeps it, and OK then
// writes the user's changes without undoing theirs, and says which it left.
TEST_F(SettingsPages, AnotherProgramsChangesAreShownAndNeverUndoneByOk) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    ClickTab(3);
    f.cbCancel_Click();
    Set("VLANID", Dword(12));
    Set("TxStartThreshold", Dword(8188));
    f.mnuShowHide_Click(); // shown: nothing was edited, both pages load afresh
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "12");
    EXPECT_EQ(f.advanced.AdvThresholdIndex, 4);
    f.cbOK_Click();
    EXPECT_EQ(Get("VLANID"), Dword(12));
    EXPECT_EQ(Get("TxStartThreshold"), Dword(8188));
    EXPECT_TRUE(services.messages.empty());

    // An edit left pending by Hide Window, then changes outside: one the user also made, others
    // the user did not, a value deleted and one created.
    f.mnuShowHide_Click();
    SelectProperty(2);
    TypeValue("64");
    f.mnuShowHide_Click(); // Hide Window
    Remove("EnableGVRP");
    Set("RxBuffer", Dword(99));
    Set("ConnectionType", Dword(1));
    Remove("TxBuffer");
    Set("VLANID", Dword(7));
    f.mnuShowHide_Click();
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "7");      // no edit there: loaded afresh
    EXPECT_EQ(f.advanced.AdvConnectionType, 3);  // the edit pending there is kept
    EXPECT_EQ(f.advanced.AdvRxBuffer, 64);
    registry.sets.clear();
    services.calls.clear();
    f.cbOK_Click();
    EXPECT_EQ(Get("EnableGVRP"), std::nullopt); // deleted, and the page loaded afresh: not invented
    EXPECT_EQ(Get("VLANID"), Dword(7));
    EXPECT_EQ(Get("RxBuffer"), Dword(64)); // the user's change wins over another program's
    EXPECT_EQ(Get("ConnectionType"), Dword(1));
    EXPECT_EQ(Get("TxBuffer"), std::nullopt);
    EXPECT_EQ(registry.sets, (std::vector<std::string>{"EnableTagging", "VLANID", "NetworkAddress",
                                                       "RxBuffer", "TxStartThreshold"}));
    EXPECT_EQ(Messages(), std::vector<std::string>{
                              "Talvex Adapter Configuration: While this window was open, another "
                              "program changed Connection Type and Transmit Buffers. OK left them "
                              "as that program stored them."});
    EXPECT_EQ(services.calls, std::vector<std::string>{"dlgReboot"}); // the question as ever

    // Saved, the Advanced page stands on what it wrote: shown again, it shows the key.
    f.mnuShowHide_Click();
    EXPECT_EQ(f.advanced.AdvConnectionType, 1);
    EXPECT_EQ(f.advanced.AdvTxBuffer, 0);
}

TEST_F(SettingsPages, CancelReloadsBothPagesButNotDiscoveryOrTheGeneralPage) {
    SeedAll();
    Form1& f = Start();
    ClickTab(2);
    ui.window.SetVisible(true);
    PickValue(0);
    SelectProperty(2);
    TypeValue("100");
    vlan.chkEnableVLAN.Click();
    f.vlan.chkEnableVLAN_Click();
    vlan.txtVLAN_ID.SetText("77");
    memory.SeedString(kHKeyLocalMachine, kCard, "ProductName", "OTHER");
    f.cbCancel_Click();
    EXPECT_EQ(ui.cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(f.DriverKeyName, "TVR8Q1");
    EXPECT_EQ(adv.lstAdv_AdaptInfo.ListCount(), 5); // cleared, not doubled
    EXPECT_EQ(adv.lstAdv_AdaptInfo.ListIndex(), 0);
    EXPECT_EQ(adv.cbAdv_KeyValue.ListIndex(), 3);
    EXPECT_EQ(f.advanced.AdvRxBuffer, 32);
    EXPECT_EQ(vlan.chkEnableVLAN.Value(), 1);
    EXPECT_TRUE(vlan.txtVLAN_ID.Enabled());
    EXPECT_EQ(vlan.txtVLAN_ID.Text(), "5");
    EXPECT_TRUE(ui.frmAdvanced.InFront());
    EXPECT_FALSE(ui.window.Visible());
    EXPECT_TRUE(services.messages.empty());
}

} // namespace
} // namespace talvex
