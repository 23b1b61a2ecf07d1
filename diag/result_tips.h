// What a test saw, in words: the info tip of a tested item in the Diagnostic page's list.
#pragma once

#include <string>

namespace talvex {

std::string ExplainRegisterTest(bool passed);
std::string ExplainSromTest(bool passed);
std::string ExplainCableTest(bool passed);
extern const char kLibraryFaultTip[];

} // namespace talvex
