// The parameter registry every plug-in instance (and the prototype) fills
// from its constructor. The dispatcher answers the host's questions about
// parameter names, types and defaults, input frames and time support from
// the prototype's registry.
#pragma once

#include <cstdint>

#include "FreeFrameGL.h"

namespace ffgl {

// One registered parameter. Records never change after registration.
struct ParameterRecord {
    std::uint32_t index;  // the host-visible parameter number
    // The registration text up to its terminator, zero-padded; a name of
    // 16 or more characters keeps its first 16 and has no terminator.
    char name[16];
    std::uint32_t type;  // ParameterType
    std::int32_t extraValueA;  // 1 for every parameter
    std::int32_t extraValueB;  // 0 for every parameter
    // Standard: the default clamped into 0..1. Boolean: 1.0 or 0.0. Text: 0.0.
    float defaultValue;
    char* defaultText;  // text parameters: a private copy; otherwise null
    ParameterRecord* next;  // registration order
};

class CFFGLPluginManager {
public:
    CFFGLPluginManager() = default;
    CFFGLPluginManager(const CFFGLPluginManager&) = delete;
    CFFGLPluginManager& operator=(const CFFGLPluginManager&) = delete;
    // Releases every record and its default text.
    virtual ~CFFGLPluginManager();

    // Registration, from the owner's constructor only. Each throws
    // std::bad_alloc when memory runs out, leaving the registry as it was,
    // so that the owner's construction fails as a whole.
    void AddTextParameter(std::uint32_t index, const char* name, std::uint32_t type,
                          const char* defaultText);
    void AddFloatParameter(std::uint32_t index, const char* name, std::uint32_t type,
                           float defaultValue);
    void AddBoolParameter(std::uint32_t index, const char* name, std::uint32_t type,
                          bool defaultValue);
    void SetMinInputs(std::int32_t n) { minInputFrames = n; }
    void SetMaxInputs(std::int32_t n) { maxInputFrames = n; }

    // Lookups. Each takes the first record registered under `index`.
    std::uint32_t GetNumParams() const { return count; }
    const char* GetParamName(std::uint32_t index) const;   // 16 bytes, or null
    std::int32_t GetParamType(std::uint32_t index) const;  // or -1
    // Text parameters: the default text's address; others: the default's
    // 32 float bits in the low half; unregistered: -1 in the low half.
    HostWord GetParamDefault(std::uint32_t index) const;
    std::int32_t GetParamExtraA(std::uint32_t index) const;  // or -1
    std::int32_t GetParamExtraB(std::uint32_t index) const;  // or -1

    std::int32_t GetMinInputs() const { return minInputFrames; }
    std::int32_t GetMaxInputs() const { return maxInputFrames; }
    bool IsTimeSupported() const { return timeSupported; }

private:
    const ParameterRecord* Find(std::uint32_t index) const;
    void Append(std::uint32_t index, const char* name, std::uint32_t type, float defaultValue,
                const char* defaultText);

    std::uint32_t count = 0;
    ParameterRecord* first = nullptr;
    ParameterRecord* last = nullptr;
    std::int32_t minInputFrames = 0;
    std::int32_t maxInputFrames = 0;
    bool timeSupported = false;
};

}  // namespace ffgl
