// --set NAME=VALUE, checked against the plug-in's parameter table and
// turned into the value a host passes with code 8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Options.h"
#include "PluginHost.h"

namespace varnelohost {

struct ParameterValue {
    std::uint32_t index = 0;
    std::string name;
    std::int32_t type = 0;
    float number = 0.0f;        // standard and other float types
    bool on = false;            // boolean and event
    std::string text;           // text; the host keeps it alive while the instance lives
    std::string Shown() const;  // as the "set" line shows it
};

// The value to set, or null with a one-line reason: no parameter of that
// name, or a value that does not suit its type (switches take on/off,
// true/false, yes/no or 1/0; standard parameters a number from 0 to 1).
std::optional<ParameterValue> ResolveSetting(const std::vector<hostkit::ParameterInfo>& parameters,
                                             const ParameterSetting& setting, std::string* error);

// Code 8 with the value, routed by its type as a host does.
std::uint32_t Apply(const hostkit::PluginInstance& instance, const ParameterValue& value);

}  // namespace varnelohost
