#include "settings/loaded_parameters.h"

#include <utility>

namespace talvex {

LoadedParameters::LoadedParameters(std::span<const Param> params) {
    for (Param param : params)
        values_.push_back({param, std::nullopt, false, {}});
}

void LoadedParameters::Loaded(const ParameterReadings& readings, const Shown& shown) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const ParameterReading& read = Reading(readings, values_[i].param);
        values_[i] = {values_[i].param, read.stored, read.held, shown[i]};
    }
}

bool LoadedParameters::Edited(const Shown& shown) const {
    for (std::size_t i = 0; i < values_.size(); ++i)
        if (shown[i] != values_[i].shown) return true;
    return false;
}

bool LoadedParameters::ChangedSince(const ParameterReadings& now) const {
    for (const Value& value : values_)
        if (Reading(now, value.param).stored != value.stored) return true;
    return false;
}

// A value the user changed is written, whatever the key holds now. One the user left alone is
// written back as loaded only while the key still holds what the page loaded: another program's
// change since (a fleet tool's, say) is not undone by whoever presses OK later. A value the key
// did not hold is written only once changed.
LoadedParameters::SavePlan LoadedParameters::PlanSave(const Shown& shown,
                                                      const ParameterReadings& now) const {
    SavePlan plan;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const Value& loaded = values_[i];
        const bool edited = shown[i] != loaded.shown;
        const bool changedOutside = Reading(now, loaded.param).stored != loaded.stored;
        if (!edited && changedOutside) plan.keptOutside.emplace_back(Parameter(loaded.param).label);
        plan.write.push_back(edited || (!changedOutside && loaded.held));
    }
    return plan;
}

// A value kept as another program stored it still stands on what the page loaded, so that it is
// never taken for the page's own.
void LoadedParameters::Saved(const SavePlan& plan, const Shown& shown,
                             const ParameterReadings& now) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
        if (!plan.write[i]) continue;
        const ParameterReading& read = Reading(now, values_[i].param);
        values_[i] = {values_[i].param, read.stored, read.held, shown[i]};
    }
}

} // namespace talvex
