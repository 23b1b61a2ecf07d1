// libFuzzer target: whatever the registry holds and whatever sequence of registry-class calls is
// made, nothing crashes, no key is left open, and discovery's results keep their invariants.
//
// Input: a stream of records. Each starts with an opcode byte; what follows depends on it.
#include "fuzz_input.h"
#include "tests/doubles/memory_form1.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "settings/vb_registry.h"
#include "shell/form1.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talvex {
namespace {

using fuzzing::Input;
using fuzzing::Require;

constexpr char kCards[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\)";
constexpr const char* kNames[] = {"Title", "ProductName", "ServiceName", ""};
constexpr std::uint32_t kTypes[] = {1, 4, 3, 7, 2, 0};

// The supported product name in any letter case, with trailing NULs or a stray letter, so the
// fuzzer reaches the found path without having to guess the name.
std::vector<std::uint8_t> NearlyTheProductName(Input& in) {
    const std::uint8_t shape = in.Byte();
    std::string name = "TVR8Q";
    for (std::size_t i = 0; i < name.size(); ++i)
        if (shape & (1u << i)) name[i] = static_cast<char>(std::tolower(name[i]));
    if (shape & 0x20) name += '\0';
    if (shape & 0x40) name += '\0';
    if (shape & 0x80) name.insert(name.begin(), static_cast<char>(in.Byte()));
    return {name.begin(), name.end()};
}

void SeedNetworkCards(MemoryRegistry& registry, Input& in) {
    const int records = in.Byte() % 24;
    for (int i = 0; i < records && !in.empty(); ++i) {
        const int entry = in.Byte() % 7;
        const std::uint8_t selector = in.Byte();
        const std::string name = kNames[selector % std::size(kNames)];
        const std::uint32_t type = kTypes[(selector >> 2) % std::size(kTypes)];
        auto data = (selector & 0x80) ? NearlyTheProductName(in) : in.Bytes(in.Byte());
        registry.Seed(kHKeyLocalMachine, kCards + std::to_string(entry), name, type,
                      std::move(data));
    }
}

void CheckDiscovery(MemoryRegistry& registry) {
    MemoryServices services;
    MemoryForm1 ui;
    const MemoryFormWindow& window = ui.window;
    const MemoryList& combo = ui.cbNetCardDesp;
    const MemoryControl& general = ui.frmGeneral;
    const MemoryMenuItem& showHide = ui.mnuShowHide;
    Form1 form(ui.Controls(), services, registry);
    const bool found = form.InitializeWindow();
    Require(registry.OpenHandleCount() == 0);
    Require(found == (services.noAdapterDialogs == 0));
    if (found) {
        Require(form.CurrentAdapter >= 1 && form.CurrentAdapter <= 5);
        Require(!form.DriverKeyName.empty());
        Require(form.DriverKeyName.find('\0') == std::string::npos);
        Require(combo.ListCount() == 1 && combo.ListIndex() == 0);
        Require(general.InFront() && !window.Visible());
        Require(showHide.Caption() == kShowWindowCaption);
    } else {
        Require(form.CurrentAdapter == 0 && form.DriverKeyName.empty());
        Require(combo.ListCount() == 0);
    }
}

// Paths over a small alphabet with backslashes in every position, so splitting, creating and
// deleting meet the same keys again.
std::string FuzzPath(Input& in) {
    static const char kAlphabet[] = {'\\', 'a', 'B', 'c', '\\', 'k', '\0', '1'};
    std::string path;
    const int length = in.Byte() % 12;
    for (int i = 0; i < length; ++i)
        path += kAlphabet[in.Byte() % sizeof kAlphabet];
    return path;
}

void RunRegistryClass(MemoryRegistry& registry, Input& in) {
    {
        vbRegistry object(registry);
        const int calls = in.Byte() % 32;
        for (int i = 0; i < calls && !in.empty(); ++i) {
            const std::string path = FuzzPath(in);
            switch (in.Byte() % 8) {
            case 0: object.WriteString(kHKeyLocalMachine, path, in.Text(in.Byte())); break;
            case 1:
                object.WriteDword(kHKeyLocalMachine, path,
                                  static_cast<std::int32_t>(in.Byte() * 0x01010101u));
                break;
            case 2: object.ReadLong(kHKeyLocalMachine, path, "No Value"); break;
            case 3: object.ReadString(kHKeyLocalMachine, path, "No Value"); break;
            case 4: object.DeleteString(kHKeyLocalMachine, path); break;
            case 5: object.ReadDefaultString(kHKeyLocalMachine, path, "No Value"); break;
            case 6: object.WriteDefaultString(kHKeyLocalMachine, path, in.Text(in.Byte())); break;
            case 7: registry.DenyWrites(in.Byte() & 1); break;
            }
            Require(registry.OpenHandleCount() <= 1);
        }
    }
    registry.DenyWrites(false);
    Require(registry.OpenHandleCount() == 0);
}

} // namespace
} // namespace talvex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace talvex;
    Input in(data, size);
    MemoryRegistry registry;
    SeedNetworkCards(registry, in);
    CheckDiscovery(registry);
    RunRegistryClass(registry, in);
    return 0;
}
