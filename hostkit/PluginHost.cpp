#include "PluginHost.h"

#include <dlfcn.h>

#include <cstring>

namespace hostkit {

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, int dlopenFlags,
                                                   std::string* error) {
    void* handle = dlopen(path.c_str(), dlopenFlags | RTLD_NOW);
    if (handle == nullptr) {
        if (error != nullptr) *error = dlerror();
        return nullptr;
    }
    void* symbol = dlsym(handle, "plugMain");
    if (symbol == nullptr) {
        if (error != nullptr) *error = path + ": no plugMain: not a FreeFrame GL plug-in";
        dlclose(handle);
        return nullptr;
    }
    auto plugMain = reinterpret_cast<PlugMainFunction>(symbol);
    return std::unique_ptr<PluginLibrary>(new PluginLibrary(handle, plugMain, path));
}

std::unique_ptr<PluginLibrary> PluginLibrary::Load(const std::string& path, std::string* error) {
    return Load(path, RTLD_LOCAL, error);
}

PluginLibrary::~PluginLibrary() { dlclose(libraryHandle); }

ffgl::HostWord PluginLibrary::Call(std::uint32_t code, ffgl::HostWord input, void* instance) const {
    return entryPoint(code, input, instance);
}

const ffgl::PluginInfoRecord* PluginLibrary::Info() const {
    return ffgl::AddressOf<const ffgl::PluginInfoRecord>(Call(ffgl::kGetInfo));
}

const ffgl::PluginExtendedInfoRecord* PluginLibrary::ExtendedInfo() const {
    return ffgl::AddressOf<const ffgl::PluginExtendedInfoRecord>(Call(ffgl::kGetExtendedInfo));
}

std::string PluginLibrary::Name() const {
    const auto* info = Info();
    if (info == nullptr) return {};
    const char* name = reinterpret_cast<const char*>(info->name);
    return std::string(name, strnlen(name, sizeof info->name));
}

std::string PluginLibrary::UniqueId() const {
    const auto* info = Info();
    if (info == nullptr) return {};
    const char* id = reinterpret_cast<const char*>(info->uniqueId);
    return std::string(id, strnlen(id, sizeof info->uniqueId));
}

std::uint32_t PluginLibrary::ParameterCount() const { return Call32(ffgl::kGetNumParameters); }

std::string PluginLibrary::ParameterName(std::uint32_t index) const {
    const char* name = ffgl::AddressOf<const char>(Call(ffgl::kGetParameterName, index));
    return name != nullptr ? std::string(name, strnlen(name, 16)) : std::string();
}

std::int32_t PluginLibrary::ParameterType(std::uint32_t index) const {
    const std::uint32_t type = Call32(ffgl::kGetParameterType, index);
    return type == ffgl::kFailure ? -1 : static_cast<std::int32_t>(type);
}

std::uint32_t PluginLibrary::Capability(std::uint32_t capability) const {
    return Call32(ffgl::kGetPluginCaps, capability);
}

std::vector<ParameterInfo> PluginLibrary::Parameters() const {
    std::vector<ParameterInfo> parameters;
    const std::uint32_t count = ParameterCount();
    if (count == ffgl::kFailure) return parameters;
    for (std::uint32_t index = 0; index < count; ++index) {
        ParameterInfo parameter{index, ParameterName(index), ParameterType(index), 0.0f, {}};
        const ffgl::HostWord value = Call(ffgl::kGetParameterDefault, index);
        if (parameter.type == ffgl::kTypeText) {
            const char* text = ffgl::AddressOf<const char>(value);
            if (text != nullptr) parameter.defaultText = text;
        } else {
            parameter.defaultValue = ffgl::FloatOf(value);
        }
        parameters.push_back(std::move(parameter));
    }
    return parameters;
}

std::int64_t PluginLibrary::FindParameter(const std::string& name) const {
    const std::uint32_t count = ParameterCount();
    if (count == ffgl::kFailure) return -1;
    for (std::uint32_t index = 0; index < count; ++index) {
        if (ParameterName(index) == name) return index;
    }
    return -1;
}

PluginInstance::PluginInstance(const PluginLibrary& library, ffgl::ViewportRecord viewport)
    : owner(library), viewportRecord(viewport) {
    const ffgl::HostWord handle = owner.Call(ffgl::kInstantiate, ffgl::WordFromAddress(&viewportRecord));
    instanceHandle = handle == ffgl::kAllOnes ? nullptr : ffgl::AddressOf<void>(handle);
}

PluginInstance::~PluginInstance() { Release(); }

std::uint32_t PluginInstance::Release() {
    if (instanceHandle == nullptr) return ffgl::kFailure;
    const std::uint32_t status = owner.Call32(ffgl::kDeinstantiate, 0, instanceHandle);
    instanceHandle = nullptr;
    return status;
}

std::uint32_t PluginInstance::SetWord(std::uint32_t index, ffgl::HostWord value) const {
    ffgl::SetParameterRecord record{index, 0, value};
    return owner.Call32(ffgl::kSetParameter, ffgl::WordFromAddress(&record), instanceHandle);
}

std::uint32_t PluginInstance::Set(std::uint32_t index, float value) const {
    return SetWord(index, ffgl::WordFromFloat(value));
}

std::uint32_t PluginInstance::Set(std::uint32_t index, bool value) const {
    return SetWord(index, value ? 1u : 0u);
}

std::uint32_t PluginInstance::Set(std::uint32_t index, const char* text) const {
    return SetWord(index, ffgl::WordFromAddress(text));
}

ffgl::HostWord PluginInstance::Get(std::uint32_t index) const {
    return owner.Call(ffgl::kGetParameter, index, instanceHandle);
}

std::string PluginInstance::Display(std::uint32_t index) const {
    const ffgl::HostWord word = owner.Call(ffgl::kGetParameterDisplay, index, instanceHandle);
    if (word == ffgl::kAllOnes || word == 0) return {};
    return ffgl::AddressOf<const char>(word);
}

std::uint32_t PluginInstance::ProcessFrame(const ffgl::ProcessOpenGLRecord& frame) const {
    return owner.Call32(ffgl::kProcessOpenGL, ffgl::WordFromAddress(&frame), instanceHandle);
}

}  // namespace hostkit
