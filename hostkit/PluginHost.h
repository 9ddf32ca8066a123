// A small FreeFrame GL 1.x host: loads a plug-in library with dlopen, calls
// its plugMain with 64-bit records as a host does, and reads the info
// records by address. Used by the tests and by the command-line host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FreeFrameGL.h"

namespace hostkit {

struct ParameterInfo {
    std::uint32_t index;
    std::string name;  // at most 16 characters
    std::int32_t type;  // ffgl::ParameterType, or -1
    float defaultValue;  // boolean and standard parameters
    std::string defaultText;  // text parameters
};

class PluginLibrary {
public:
    // Null with a one-line reason in `error` when the file cannot be loaded
    // or exports no plugMain. `dlopenFlags` as for dlopen (RTLD_NOW is added).
    static std::unique_ptr<PluginLibrary> Load(const std::string& path, int dlopenFlags,
                                               std::string* error);
    static std::unique_ptr<PluginLibrary> Load(const std::string& path, std::string* error = nullptr);
    ~PluginLibrary();  // dlclose
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    ffgl::HostWord Call(std::uint32_t code, ffgl::HostWord input = 0,
                        void* instance = nullptr) const;
    std::uint32_t Call32(std::uint32_t code, ffgl::HostWord input = 0,
                         void* instance = nullptr) const {
        return ffgl::NumberOf(Call(code, input, instance));
    }

    const ffgl::PluginInfoRecord* Info() const;  // code 0
    const ffgl::PluginExtendedInfoRecord* ExtendedInfo() const;  // code 13
    std::string Name() const;      // the 16-byte name, up to its first zero
    std::string UniqueId() const;  // the 4-byte identifier
    std::uint32_t ParameterCount() const;  // code 4
    std::string ParameterName(std::uint32_t index) const;  // code 5; "" for null
    std::int32_t ParameterType(std::uint32_t index) const;  // code 15; -1 on failure
    std::uint32_t Capability(std::uint32_t capability) const;  // code 10
    std::vector<ParameterInfo> Parameters() const;
    // The first index whose name is `name`, or -1.
    std::int64_t FindParameter(const std::string& name) const;

    const std::string& Path() const { return libraryPath; }

private:
    PluginLibrary(void* handle, PlugMainFunction plugMain, std::string path)
        : libraryHandle(handle), entryPoint(plugMain), libraryPath(std::move(path)) {}

    void* libraryHandle;
    PlugMainFunction entryPoint;
    std::string libraryPath;
};

// One instance, made by code 18 and released by code 19 when it goes away.
class PluginInstance {
public:
    explicit PluginInstance(const PluginLibrary& library,
                            ffgl::ViewportRecord viewport = {0, 0, 640, 360});
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    bool Valid() const { return instanceHandle != nullptr; }
    void* Handle() const { return instanceHandle; }
    // Code 19 now; answers its status. The destructor then does nothing.
    std::uint32_t Release();

    // Code 8 with a set-parameter record carrying the value as the type
    // of the overload: a float's bits, a boolean 1 or 0, a text address.
    std::uint32_t Set(std::uint32_t index, float value) const;
    std::uint32_t Set(std::uint32_t index, bool value) const;
    std::uint32_t Set(std::uint32_t index, const char* text) const;
    std::uint32_t SetWord(std::uint32_t index, ffgl::HostWord value) const;

    // Code 9, read as the type asked for.
    ffgl::HostWord Get(std::uint32_t index) const;
    float GetFloat(std::uint32_t index) const { return ffgl::FloatOf(Get(index)); }
    std::uint32_t GetNumber(std::uint32_t index) const { return ffgl::NumberOf(Get(index)); }
    const char* GetText(std::uint32_t index) const { return ffgl::AddressOf<const char>(Get(index)); }

    // Code 7: the display text, "" for null.
    std::string Display(std::uint32_t index) const;
    // Code 17.
    std::uint32_t ProcessFrame(const ffgl::ProcessOpenGLRecord& frame) const;

private:
    const PluginLibrary& owner;
    ffgl::ViewportRecord viewportRecord;
    void* instanceHandle = nullptr;
};

}  // namespace hostkit
