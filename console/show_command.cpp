// TalvexCtl show [--json]: the adapter, its eight settings as stored and as shown, what the
// General page shows, and a change that waits for confirmation or was put back.
#include "console/commands.h"

#include "console/change_steps.h"
#include "console/settings_view.h"
#include "shell/general_page.h"

namespace talvex::ctl {
namespace {

// What is shown besides the settings.
struct Around {
    GeneralInfo general;
    std::optional<PendingChange> change;
    std::optional<LastRevert> lastRevert;
};

nlohmann::ordered_json ShowDocument(const AdapterRecord& adapter, const ParameterReadings& readings,
                                    const Around& around, CtlEnvironment& env) {
    const AnsiToUtf8& utf8 = env.utf8;
    const GeneralInfo& general = around.general;
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < kParamCount; ++i) {
        const DriverParameter& parameter = DriverParameters()[i];
        settings[parameter.valueName] = {
            {"label", parameter.label},
            {"stored", StoredJson(readings[i].stored, utf8)},
            {"shown", utf8(readings[i].shown)},
        };
    }
    return {
        {"schema", kJsonSchema},
        {"adapter",
         {{"entry", adapter.entry},
          {"title", utf8(adapter.title)},
          {"service", utf8(adapter.driverKeyName)}}},
        {"settings", settings},
        {"general",
         {{"hostName", utf8(general.hostName)},
          {"ipAddress", general.ipAddress},
          {"macAddress", general.macAddress}}},
        {"change", ChangeJson(around.change, env.services, utf8)},
        {"lastRevert", LastRevertJson(around.lastRevert)},
        {"error", nullptr},
    };
}

void ShowText(const AdapterRecord& adapter, const ParameterReadings& readings,
              const Around& around, CtlEnvironment& env) {
    Output& out = env.out;
    const AnsiToUtf8& utf8 = env.utf8;
    const GeneralInfo& general = around.general;
    out << "Adapter      " << utf8(adapter.title) << " (NetworkCards entry " << adapter.entry
        << ", driver " << utf8(adapter.driverKeyName) << ")\n"
        << "Host name    " << utf8(general.hostName) << "\n"
        << "IP address   " << general.ipAddress << "\n"
        << "MAC address  " << general.macAddress << "\n\n";
    const auto row = [&](const std::string& label, const std::string& name,
                         const std::string& stored, const std::string& shown) {
        out << Padded(label, 20) << Padded(name, 18) << Padded(stored, 28) << shown << "\n";
    };
    row("Setting", "Value name", "Stored", "Shown");
    for (std::size_t i = 0; i < kParamCount; ++i) {
        const DriverParameter& parameter = DriverParameters()[i];
        row(parameter.label, parameter.valueName, utf8(StoredText(readings[i].stored)),
            utf8(readings[i].shown));
    }
    ChangeText(out, around.change, around.lastRevert, env.services, utf8);
}

} // namespace

int RunShow(const ShowCommand& command, CtlEnvironment& env) {
    Failure failure;
    const auto found = FindAdapterFor(env, failure);
    if (!found) return Failed(env, command.json, "show", failure);
    const AdapterRecord& adapter = *found;
    const ParameterReadings readings = ReadParameters(env.registry, adapter.driverKeyName);
    const Around around{ReadGeneralInfo(env.services), ReadPendingChange(env.registry),
                        ReadLastRevert(env.registry)};
    if (command.json)
        PrintJson(env, ShowDocument(adapter, readings, around, env));
    else
        ShowText(adapter, readings, around, env);
    return kExitOk;
}

} // namespace talvex::ctl
