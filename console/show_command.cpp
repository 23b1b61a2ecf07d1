// TalvexCtl show [--json]: the adapter, its eight settings as stored and as shown, and what the
// General page shows.
#include "console/commands.h"

#include "console/settings_view.h"
#include "shell/general_page.h"

namespace talvex::ctl {
namespace {

nlohmann::ordered_json ShowDocument(const AdapterRecord& adapter, const ParameterReadings& readings,
                                    const GeneralInfo& general, const AnsiToUtf8& utf8) {
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
        {"error", nullptr},
    };
}

void ShowText(Output& out, const AdapterRecord& adapter, const ParameterReadings& readings,
              const GeneralInfo& general, const AnsiToUtf8& utf8) {
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
}

} // namespace

int RunShow(const ShowCommand& command, CtlEnvironment& env) {
    Failure failure;
    const auto found = FindAdapterFor(env, failure);
    if (!found) return Failed(env, command.json, "show", failure);
    const AdapterRecord& adapter = *found;
    const ParameterReadings readings = ReadParameters(env.registry, adapter.driverKeyName);
    const GeneralInfo general = ReadGeneralInfo(env.services);
    if (command.json)
        PrintJson(env, ShowDocument(adapter, readings, general, env.utf8));
    else
        ShowText(env.out, adapter, readings, general, env.utf8);
    return kExitOk;
}

} // namespace talvex::ctl
