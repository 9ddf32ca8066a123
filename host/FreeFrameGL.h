// The FreeFrame GL 1.x host interface, 64-bit build: the one entry point,
// its function codes, the value words it passes and the records it reads
// and writes by address. Everything here is a binary contract with hosts
// built elsewhere; field order, widths and offsets must not change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Platform.h"  // VARNELO_EXPORT

namespace ffgl {

// The 64-bit word that plugMain takes and returns. It carries a 32-bit
// number or the 32 bits of a float in its low half (the high half then
// carries no meaning), or a whole 64-bit address.
using HostWord = std::uint64_t;

// Status values. A 32-bit status occupies the low half of a HostWord.
constexpr std::uint32_t kSuccess = 0;
constexpr std::uint32_t kFailure = 0xFFFFFFFFu;
// The 64-bit value with every bit set: failure where an address is due.
constexpr HostWord kAllOnes = ~HostWord{0};

// Function codes of plugMain. Codes not listed here answer kFailure.
enum FunctionCode : std::uint32_t {
    kGetInfo = 0,
    kInitialise = 1,
    kDeinitialise = 2,
    kProcessFrame = 3,  // old frame processing, unsupported
    kGetNumParameters = 4,
    kGetParameterName = 5,
    kGetParameterDefault = 6,
    kGetParameterDisplay = 7,
    kSetParameter = 8,
    kGetParameter = 9,
    kGetPluginCaps = 10,
    kInstantiateOld = 11,    // unsupported
    kDeinstantiateOld = 12,  // unsupported
    kGetExtendedInfo = 13,
    kProcessFrameCopy = 14,  // unsupported
    kGetParameterType = 15,
    kGetInputStatus = 16,
    kProcessOpenGL = 17,
    kInstantiate = 18,
    kDeinstantiate = 19,
    kSetTime = 20,
    kConnect = 21,
    kDisconnect = 22,
    kResize = 23,
    kGetParameterExtraA = 31,
    kGetParameterExtraB = 32,
    kGetPrototypeValue = 33,
};

// Capability numbers asked with kGetPluginCaps.
enum Capability : std::uint32_t {
    kCapProcessOpenGL = 4,
    kCapSetTime = 5,
    kCapMinInputFrames = 10,
    kCapMaxInputFrames = 11,
};

// Parameter types as the host numbers them.
enum ParameterType : std::uint32_t {
    kTypeBoolean = 0,
    kTypeEvent = 1,
    kTypeStandard = 10,  // a float from 0 to 1
    kTypeText = 100,
};

// Plug-in types of the info record.
constexpr std::uint32_t kPluginTypeEffect = 0;
constexpr std::uint32_t kPluginTypeSource = 1;

// Read by the host at the address that code 0 returns.
struct PluginInfoRecord {
    std::uint32_t apiMajorVersion;
    std::uint32_t apiMinorVersion;
    std::uint8_t uniqueId[4];  // four characters, no terminator
    std::uint8_t name[16];     // zero-padded; no terminator at 16 characters
    std::uint32_t pluginType;  // kPluginTypeEffect or kPluginTypeSource
};

// Read by the host at the address that code 13 returns.
struct PluginExtendedInfoRecord {
    std::uint32_t pluginMajorVersion;
    std::uint32_t pluginMinorVersion;
    const char* description;  // zero-terminated
    const char* about;        // zero-terminated
    std::uint32_t extendedDataSize;
    std::uint32_t alignment;
    void* extendedData;
};

// Passed by address with code 8.
struct SetParameterRecord {
    std::uint32_t index;
    std::uint32_t alignment;
    // A text address, a 32-bit boolean (non-zero is true) or a float's
    // 32 bits in the low half, by the parameter's type.
    HostWord value;
};

// One input texture, as the host describes it.
struct TextureRecord {
    std::uint32_t width;   // picture size in texels
    std::uint32_t height;
    std::uint32_t hardwareWidth;   // allocated size, may exceed the picture
    std::uint32_t hardwareHeight;
    std::uint32_t textureName;     // the OpenGL texture handle
};

// Passed by address with code 17.
struct ProcessOpenGLRecord {
    std::uint32_t inputTextureCount;
    std::uint32_t alignment;
    TextureRecord** inputTextures;  // array of inputTextureCount addresses
};

// Passed by address with codes 18 and 23. The plug-in never reads it.
struct ViewportRecord {
    std::uint32_t x;
    std::uint32_t y;
    std::uint32_t width;
    std::uint32_t height;
};

static_assert(sizeof(void*) == 8, "the host records are laid out for 64-bit builds");
static_assert(offsetof(PluginInfoRecord, apiMinorVersion) == 4);
static_assert(offsetof(PluginInfoRecord, uniqueId) == 8);
static_assert(offsetof(PluginInfoRecord, name) == 12);
static_assert(offsetof(PluginInfoRecord, pluginType) == 28);
static_assert(sizeof(PluginInfoRecord) == 32);
static_assert(offsetof(PluginExtendedInfoRecord, pluginMinorVersion) == 4);
static_assert(offsetof(PluginExtendedInfoRecord, description) == 8);
static_assert(offsetof(PluginExtendedInfoRecord, about) == 16);
static_assert(offsetof(PluginExtendedInfoRecord, extendedDataSize) == 24);
static_assert(offsetof(PluginExtendedInfoRecord, extendedData) == 32);
static_assert(sizeof(PluginExtendedInfoRecord) == 40);
static_assert(offsetof(SetParameterRecord, value) == 8);
static_assert(sizeof(SetParameterRecord) == 16);
static_assert(offsetof(ProcessOpenGLRecord, inputTextures) == 8);
static_assert(sizeof(TextureRecord) == 20);

// Conversions between HostWord and what it carries.
inline HostWord WordFromNumber(std::uint32_t number) { return number; }
inline HostWord WordFromAddress(const void* address) {
    return reinterpret_cast<std::uintptr_t>(address);
}
inline HostWord WordFromFloat(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline std::uint32_t NumberOf(HostWord word) { return static_cast<std::uint32_t>(word); }
inline float FloatOf(HostWord word) {
    const std::uint32_t bits = NumberOf(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
template <typename T>
T* AddressOf(HostWord word) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(word));
}

}  // namespace ffgl

// The library's one exported symbol: every call a host makes arrives here
// as a function code, an input word (a number, or the address of one of the
// records above) and an instance handle (the address code 18 returned, or
// anything for codes that concern no instance). Codes and results: see
// FunctionCode and the dispatcher in plugMain.cpp. Hosts find it by name.
VARNELO_EXPORT ffgl::HostWord plugMain(std::uint32_t code, ffgl::HostWord input, void* instance);

// Its type, for hosts that look it up in a loaded library.
using PlugMainFunction = decltype(&plugMain);
