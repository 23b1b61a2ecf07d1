// The console tool's commands. Each checks its own usage first, then finds the adapter.
#pragma once

#include "console/arguments.h"
#include "console/environment.h"
#include "settings/driver_parameters.h"
#include "shell/find_adapter.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

namespace talvex::ctl {

// The adapter, as the window finds it; nullopt after telling the user there is none (failure).
std::optional<AdapterRecord> FindAdapterFor(CtlEnvironment& env, Failure& failure);

int RunShow(const ShowCommand& command, CtlEnvironment& env);
int RunSet(const SetCommand& command, CtlEnvironment& env);
int RunDiag(const DiagCommand& command, CtlEnvironment& env);
int RunConfirm(const ConfirmCommand& command, CtlEnvironment& env);
int RunRevert(const RevertCommand& command, CtlEnvironment& env);
int RunTest(const TestCommand& command, CtlEnvironment& env);

// Why the page would refuse the assignment's value; empty when it takes it, and value then holds
// it as written (a text in the ANSI code page).
std::string Judge(const DriverParameter& parameter, const Assignment& assignment,
                  CtlEnvironment& env, std::optional<ParameterValue>& value);
// "TalvexCtl: warning: ..." on standard error.
void TellWarning(CtlEnvironment& env, const std::string& warning);

// A document's "error": null, or {"status": N, "message": "..."}.
nlohmann::ordered_json ErrorJson(const Failure& failure);
// What --json prints for a command that failed before it had a result: the schema, the command's
// verdict false ("written" of set, "passed" of diag, ...) and the error.
nlohmann::ordered_json FailureDocument(std::string_view command, const Failure& failure);
void PrintJson(CtlEnvironment& env, const nlohmann::ordered_json& document);
// The failure document when json, on standard output; the failure's status.
int Failed(CtlEnvironment& env, bool json, std::string_view command, const Failure& failure);

} // namespace talvex::ctl
