// The FreeFrame GL 1.x host interface, 64-bit build: the one entry point,
// its function codes, the value words it passes and the records it reads
// and writes by address. Everything here is a binary contract with hosts
// built elsewhere; field order, widths and offsets must not change.
//
// Lifetime
// - Load: the library's static initialiser registers its CPluginInfo
//   before the host can call; nothing else runs at load (no thread, socket
//   or GL object is made). Unload releases the record's text copies, and
//   the prototype if the host never sent kDeinitialise.
// - The prototype: one plug-in object made on first need by the codes
//   marked "prototype" below, kept until kDeinitialise; it answers every
//   question about the plug-in as a whole and is never drawn, sent a
//   default, InitGL or Connect.
// - An instance: made by kInstantiate with every parameter at its default
//   and InitGL done, owned by the host until kDeinstantiate deletes it.
//   The library keeps no list of instances.
//
// Threads: the host calls one library from one thread at a time (each
// instance's calls on the thread that draws it, with its OpenGL context
// current for kProcessOpenGL). The library takes no locks and makes no
// threads; the prototype and the display buffers are shared by all of a
// library's instances.
//
// Failures are return values only: nothing is thrown out of plugMain,
// logged or shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Function codes of plugMain, one line each: who answers (scope), what the
// input word carries ("in"), and what comes back ("ok", and "fail" on
// failure). Scopes:
//   L  the library; the instance handle is not read.
//   P  the library, answered by the prototype, which the call makes if
//      there is none yet (the "fail" answer when it cannot be made).
//   I  the instance in the handle, forwarded to its virtual operation;
//      a null handle gives the "fail" answer and touches nothing.
// Every call comes on the host's thread, one at a time per library;
// kProcessOpenGL also with the host's OpenGL context current.
// Codes not listed (3, 11, 12, 14, 24 to 30, 34 and above) answer kFailure.
enum FunctionCode : std::uint32_t {
    kGetInfo = 0,             // L  ok &PluginInfoRecord             fail null (no record)
    kInitialise = 1,          // P  ok 0, the prototype made         fail kFailure
    kDeinitialise = 2,        // L  deletes the prototype, if any    ok 0 always
    kGetNumParameters = 4,    // P  ok parameter count               fail kFailure
    kGetParameterName = 5,    // P  in index  ok &name[16]           fail null (unregistered)
    kGetParameterDefault = 6, // P  in index  ok text: &default text; else the float's bits
                              //              fail kFailure in the low half (unregistered)
    kGetParameterDisplay = 7, // I  in index  ok &display text, valid until the next one
                              //              fail kAllOnes (no instance), null (unregistered)
    kSetParameter = 8,        // I  in &SetParameterRecord  ok the typed set's status
                              //              fail kFailure (no instance or record)
    kGetParameter = 9,        // I  in index  ok text: address; boolean: 0 or 1; else float bits
    kGetPluginCaps = 10,      // P  in Capability  ok its answer (0 for unknown)  fail kFailure
    kGetExtendedInfo = 13,    // L  ok &PluginExtendedInfoRecord (code 0's + 32)  fail null
    kGetParameterType = 15,   // P  in index  ok ParameterType       fail kFailure (unregistered)
    kGetInputStatus = 16,     // I  in input index  ok 1 below the maximum inputs  fail kFailure
    kProcessOpenGL = 17,      // I  in &ProcessOpenGLRecord  ok the draw's status (Connect first
                              //              on an unconnected instance)  fail kFailure (null)
    kInstantiate = 18,        // P  in &ViewportRecord  ok the new instance's address
                              //              fail kAllOnes (no record or viewport, no object,
                              //              a refused default or InitGL; nothing is left)
    kDeinstantiate = 19,      // I  Disconnect if connected, DeInitGL, delete  ok 0
    kSetTime = 20,            // I  in &double seconds  ok SetTime's status  fail kFailure (null)
    kConnect = 21,            // I  ok 0, and the instance counts as connected
    kDisconnect = 22,         // I  ok 0, and the instance no longer counts as connected
    kResize = 23,             // I  in &ViewportRecord, passed on untested  ok Resize's status
    kGetParameterExtraA = 31, // P  in index  ok the record's extraValueA  fail kFailure
    kGetParameterExtraB = 32, // P  in index  ok the record's extraValueB  fail kFailure
    kGetPrototypeValue = 33,  // P  ok the prototype's 64-bit value  fail 0 (no prototype)
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
// as a function code (FunctionCode above), an input word (a number, or the
// address of one of the records above) and an instance handle (the address
// kInstantiate returned, or anything for codes of scope L and P). Hosts
// find it by name; the definition exports it.
extern "C" ffgl::HostWord plugMain(std::uint32_t code, ffgl::HostWord input, void* instance);

// Its type, for hosts that look it up in a loaded library.
using PlugMainFunction = decltype(&plugMain);
