// What a settings page loaded of each of its parameters, for OK to tell the values the user
// changed from those another program changed since.
#pragma once

#include "settings/driver_parameters.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace talvex {

class LoadedParameters {
  public:
    // What the page shows of each parameter, in the page's order.
    using Shown = std::vector<std::string>;

    explicit LoadedParameters(std::span<const Param> params);

    void Loaded(const ParameterReadings& readings, const Shown& shown);
    // Whether the page shows anything other than what it loaded or last saved.
    bool Edited(const Shown& shown) const;
    // Whether the key holds anything other than what the page loaded or last saved.
    bool ChangedSince(const ParameterReadings& now) const;

    // What OK does with each value, given what the page shows and what the key holds now.
    struct SavePlan {
        std::vector<bool> write;
        std::vector<std::string> keptOutside; // labels of values left as another program stored
    };
    SavePlan PlanSave(const Shown& shown, const ParameterReadings& now) const;
    // After a save that wrote all it planned: those values are what the page now stands on.
    void Saved(const SavePlan& plan, const Shown& shown, const ParameterReadings& now);

  private:
    struct Value {
        Param param;
        std::optional<RegistryValue> stored;
        bool held = false;
        std::string shown;
    };
    std::vector<Value> values_;
};

} // namespace talvex
