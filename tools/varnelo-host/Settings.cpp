#include "Settings.h"

#include <charconv>
#include <cmath>

#include "PluginDescription.h"
#include "Text.h"

namespace varnelohost {

namespace {

std::optional<bool> ParseSwitch(const std::string& text) {
    if (text == "on" || text == "true" || text == "yes" || text == "1") return true;
    if (text == "off" || text == "false" || text == "no" || text == "0") return false;
    return std::nullopt;
}

std::optional<float> ParseStandard(const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    if (text.empty() || failure != std::errc() || stop != end || !(value >= 0.0 && value <= 1.0)) {
        return std::nullopt;
    }
    return static_cast<float>(value);
}

const hostkit::ParameterInfo* FindByName(const std::vector<hostkit::ParameterInfo>& parameters,
                                         const std::string& name) {
    for (const hostkit::ParameterInfo& parameter : parameters) {
        if (parameter.name == name) return &parameter;
    }
    return nullptr;
}

std::string KnownNames(const std::vector<hostkit::ParameterInfo>& parameters) {
    std::string names;
    for (const hostkit::ParameterInfo& parameter : parameters) {
        if (!names.empty()) names += ", ";
        names += Quote(parameter.name);
    }
    return names;
}

}  // namespace

std::string ParameterValue::Shown() const {
    if (type == ffgl::kTypeText) return Quote(text);
    if (type == ffgl::kTypeBoolean || type == ffgl::kTypeEvent) return on ? "on" : "off";
    return FloatText(number);
}

std::optional<ParameterValue> ResolveSetting(const std::vector<hostkit::ParameterInfo>& parameters,
                                             const ParameterSetting& setting, std::string* error) {
    const hostkit::ParameterInfo* parameter = FindByName(parameters, setting.name);
    if (parameter == nullptr) {
        *error = "no parameter named " + Quote(setting.name) + " (the plug-in has " +
                 KnownNames(parameters) + ")";
        return std::nullopt;
    }
    ParameterValue value;
    value.index = parameter->index;
    value.name = parameter->name;
    value.type = parameter->type;
    const std::string prefix = "parameter " + Quote(parameter->name) + " is ";
    if (parameter->type == ffgl::kTypeText) {
        value.text = setting.value;
    } else if (parameter->type == ffgl::kTypeBoolean || parameter->type == ffgl::kTypeEvent) {
        const std::optional<bool> on = ParseSwitch(setting.value);
        if (!on) {
            *error = prefix + "a switch: give on or off, not " + Quote(setting.value);
            return std::nullopt;
        }
        value.on = *on;
    } else {
        const std::optional<float> number = ParseStandard(setting.value);
        if (!number) {
            *error = prefix + TypeName(parameter->type) + ": give a number from 0 to 1, not " +
                     Quote(setting.value);
            return std::nullopt;
        }
        value.number = *number;
    }
    return value;
}

std::uint32_t Apply(const hostkit::PluginInstance& instance, const ParameterValue& value) {
    if (value.type == ffgl::kTypeText) return instance.Set(value.index, value.text.c_str());
    if (value.type == ffgl::kTypeBoolean || value.type == ffgl::kTypeEvent) {
        return instance.Set(value.index, value.on);
    }
    return instance.Set(value.index, value.number);
}

}  // namespace varnelohost
