// TalvexCtl test --from FILE [--json]: whether this machine holds the settings of another
// machine's show --json as set --from would write them. The detection half of a compliance check
// run on a schedule; set --from is its remediation.
#include "console/commands.h"

#include "console/from_file.h"
#include "console/settings_view.h"

namespace talvex::ctl {
namespace {

struct Difference {
    Param param;
    RegistryValue expected;
    std::optional<RegistryValue> actual; // nullopt: missing
};

struct TestReport {
    std::vector<std::string> warnings;
    std::vector<Difference> differences;
    std::size_t compared = 0;
    bool judged = false; // the file was read and compared
};

// A value differs where set --from would write it: not stored exactly as it would be written.
Failure Compare(const TestCommand& command, CtlEnvironment& env, TestReport& report) {
    std::vector<Assignment> assignments;
    if (Failure failure = AssignmentsFromFile(command.fromFile, "Nothing was compared.", env,
                                              report.warnings, assignments))
        return failure;
    Failure failure;
    const auto adapter = FindAdapterFor(env, failure);
    if (!adapter) return failure;
    const ParameterReadings readings = ReadParameters(env.registry, adapter->driverKeyName);
    for (const Assignment& assignment : assignments) {
        const DriverParameter& parameter = *FindDriverParameter(assignment.name);
        std::optional<ParameterValue> value;
        // A bare value no page would take asks for what no machine can hold: the file is wrong.
        if (const std::string why = Judge(parameter, assignment, env, value); !why.empty())
            return Tell(env, kExitUsage,
                        command.fromFile + " holds " + parameter.valueName + " \"" +
                            assignment.value + "\", which " + why + " Nothing was compared.");
        const auto param = static_cast<Param>(&parameter - DriverParameters().data());
        const auto& stored = Reading(readings, param).stored;
        const RegistryValue expected = WrittenValue(*value);
        ++report.compared;
        if (!(stored && *stored == expected)) report.differences.push_back({param, expected, stored});
    }
    report.judged = true;
    if (report.differences.empty()) return {};
    return Tell(env, kExitRefused,
                "the settings differ from " + command.fromFile + " in " +
                    std::to_string(report.differences.size()) + " of " +
                    std::to_string(report.compared) + " values.");
}

void TestText(Output& out, const TestReport& report, const AnsiToUtf8& utf8) {
    for (const Difference& difference : report.differences)
        out << Parameter(difference.param).valueName << ": expected "
            << utf8(StoredText(difference.expected)) << ", holds "
            << utf8(StoredText(difference.actual)) << "\n";
    if (report.differences.empty())
        out << "Matches: " << static_cast<int>(report.compared) << " values as the file gives them.\n";
}

nlohmann::ordered_json TestDocument(const TestReport& report, const Failure& failure,
                                    const AnsiToUtf8& utf8) {
    nlohmann::ordered_json differences = nlohmann::ordered_json::array();
    for (const Difference& difference : report.differences)
        differences.push_back({{"name", Parameter(difference.param).valueName},
                               {"expected", StoredJson(difference.expected, utf8)},
                               {"actual", StoredJson(difference.actual, utf8)}});
    return {{"schema", kJsonSchema},
            {"matches", report.judged && report.differences.empty()},
            {"differences", differences},
            {"warnings", report.warnings},
            {"error", ErrorJson(failure)}};
}

} // namespace

int RunTest(const TestCommand& command, CtlEnvironment& env) {
    TestReport report;
    const Failure failure = Compare(command, env, report);
    if (command.json)
        PrintJson(env, report.judged ? TestDocument(report, failure, env.utf8)
                                     : FailureDocument("test", failure));
    else if (report.judged)
        TestText(env.out, report, env.utf8);
    return failure.status;
}

} // namespace talvex::ctl
