#include "PluginManager.h"

#include <cstring>
#include <memory>
#include <new>

#include "TextCopy.h"

namespace ffgl {

namespace {

// Copies up to 16 characters of `name`, reading no further than its
// terminator; the rest of the field stays zero.
void CopyName(char (&field)[16], const char* name) {
    std::memset(field, 0, sizeof field);
    for (std::size_t i = 0; i < sizeof field && name[i] != '\0'; ++i) field[i] = name[i];
}

float ClampToUnit(float value) {
    if (value > 1.0f) value = 1.0f;
    if (value < 0.0f) value = 0.0f;
    return value;
}

}  // namespace

CFFGLPluginManager::~CFFGLPluginManager() {
    for (ParameterRecord* record = first; record != nullptr;) {
        ParameterRecord* const next = record->next;
        delete[] record->defaultText;
        delete record;
        record = next;
    }
    first = last = nullptr;
}

void CFFGLPluginManager::Append(std::uint32_t index, const char* name, std::uint32_t type,
                                float defaultValue, const char* defaultText) {
    auto record = std::make_unique<ParameterRecord>();
    record->index = index;
    CopyName(record->name, name);
    record->type = type;
    record->extraValueA = 1;
    record->extraValueB = 0;
    record->defaultValue = defaultValue;
    if (defaultText != nullptr) {
        record->defaultText = CopyText(defaultText);
        if (record->defaultText == nullptr) throw std::bad_alloc();
    }
    record->next = nullptr;

    ParameterRecord* const added = record.release();
    if (first == nullptr) {
        first = added;
    } else {
        last->next = added;
    }
    last = added;
    ++count;
}

void CFFGLPluginManager::AddTextParameter(std::uint32_t index, const char* name,
                                          std::uint32_t type, const char* defaultText) {
    Append(index, name, type, 0.0f, defaultText != nullptr ? defaultText : "");
}

void CFFGLPluginManager::AddFloatParameter(std::uint32_t index, const char* name,
                                           std::uint32_t type, float defaultValue) {
    Append(index, name, type, ClampToUnit(defaultValue), nullptr);
}

void CFFGLPluginManager::AddBoolParameter(std::uint32_t index, const char* name,
                                          std::uint32_t type, bool defaultValue) {
    Append(index, name, type, defaultValue ? 1.0f : 0.0f, nullptr);
}

const ParameterRecord* CFFGLPluginManager::Find(std::uint32_t index) const {
    const ParameterRecord* record = first;
    while (record != nullptr && record->index != index) record = record->next;
    return record;
}

const char* CFFGLPluginManager::GetParamName(std::uint32_t index) const {
    const ParameterRecord* const record = Find(index);
    return record != nullptr ? record->name : nullptr;
}

std::int32_t CFFGLPluginManager::GetParamType(std::uint32_t index) const {
    const ParameterRecord* const record = Find(index);
    return record != nullptr ? static_cast<std::int32_t>(record->type) : -1;
}

HostWord CFFGLPluginManager::GetParamDefault(std::uint32_t index) const {
    const ParameterRecord* const record = Find(index);
    if (record == nullptr) return WordFromNumber(kFailure);
    if (record->type == kTypeText) return WordFromAddress(record->defaultText);
    return WordFromFloat(record->defaultValue);
}

std::int32_t CFFGLPluginManager::GetParamExtraA(std::uint32_t index) const {
    const ParameterRecord* const record = Find(index);
    return record != nullptr ? record->extraValueA : -1;
}

std::int32_t CFFGLPluginManager::GetParamExtraB(std::uint32_t index) const {
    const ParameterRecord* const record = Find(index);
    return record != nullptr ? record->extraValueB : -1;
}

}  // namespace ffgl
