// The entry point and its dispatch. A call either concerns the library
// (answered from the registration record or the prototype) or one
// instance (forwarded to its virtual operations); each kind checks its
// precondition once. FreeFrameGL.h states what every code takes and gives.
#include "Export.h"
#include "FreeFrameGL.h"
#include "FreeFrameGLPlugin.h"
#include "PluginInfo.h"

namespace ffgl {
namespace {

constexpr HostWord kFailureWord = kFailure;

// The factory's bare object that answers every question about the plug-in
// as a whole. Never drawn, never sent defaults, InitGL or Connect.
CFreeFrameGLPlugin* prototype = nullptr;

// A host may unload the library without de-initialising it first: the
// prototype then goes with the library, so that every load and unload of
// the library leaves no memory behind.
struct PrototypeRelease {
    PrototypeRelease() = default;
    PrototypeRelease(const PrototypeRelease&) = delete;
    PrototypeRelease& operator=(const PrototypeRelease&) = delete;
    ~PrototypeRelease() {
        delete prototype;
        prototype = nullptr;
    }
} prototypeRelease;

// True when the factory made an object: its status is anything but the
// failure value and it stored an address.
bool CallFactory(PluginFactory factory, CFreeFrameGLPlugin** made) {
    *made = nullptr;
    return factory(made) != kFailure && *made != nullptr;
}

// The prototype's GetParamType of indices 0 .. kCachedTypes-1, read when
// the prototype is made. A registry never changes after its owner's
// constructor, so the copy holds for as long as that prototype lives, and
// parameter sets (many per frame) skip the registry's list walk.
constexpr std::uint32_t kCachedTypes = 64;
std::int32_t prototypeTypes[kCachedTypes];

// Made once per library (again only after kDeinitialise): cold, so that
// the calls that find the prototype made carry none of its code.
[[gnu::cold]] CFreeFrameGLPlugin* MakePrototype() {
    const CPluginInfo* const info = RegisteredPluginInfo();
    if (info == nullptr) return nullptr;
    if (!CallFactory(info->factory, &prototype)) {
        prototype = nullptr;
        return nullptr;
    }
    for (std::uint32_t index = 0; index < kCachedTypes; ++index) {
        prototypeTypes[index] = prototype->GetParamType(index);
    }
    return prototype;
}

// The prototype, made on first need; null when it cannot be made.
CFreeFrameGLPlugin* EnsurePrototype() {
    if (prototype != nullptr) [[likely]] return prototype;
    return MakePrototype();
}

// The prototype's type for `index`, -1 when unregistered or unavailable.
std::int32_t PrototypeType(std::uint32_t index) {
    const CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return -1;
    return index < kCachedTypes ? prototypeTypes[index] : proto->GetParamType(index);
}

// Routes one value to the typed set operation by the parameter's type.
std::uint32_t SetByType(CFreeFrameGLPlugin& instance, std::int32_t type, std::uint32_t index,
                        HostWord value) {
    switch (type) {
    case kTypeText: return instance.SetTextParameter(index, AddressOf<const char>(value));
    case kTypeBoolean:
    case kTypeEvent: return instance.SetBoolParameter(index, NumberOf(value) != 0);
    default: return instance.SetFloatParameter(index, FloatOf(value));
    }
}

// ---- Calls that concern the library (scopes L and P) --------------------

std::uint32_t NonNegative(std::int32_t n) { return n < 0 ? 0u : static_cast<std::uint32_t>(n); }

HostWord Capability(const CFreeFrameGLPlugin& proto, std::uint32_t capability) {
    switch (capability) {
    case kCapProcessOpenGL: return 1;
    case kCapSetTime: return proto.IsTimeSupported() ? 1u : 0u;
    case kCapMinInputFrames: return NonNegative(proto.GetMinInputs());
    case kCapMaxInputFrames: return NonNegative(proto.GetMaxInputs());
    default: return 0;
    }
}

// Applies every registered default to a new instance in index order, the
// type read before the default, routed as kSetParameter routes a host's
// value. False when a set refuses its default.
bool ApplyDefaults(const CFreeFrameGLPlugin& proto, CFreeFrameGLPlugin& instance) {
    for (std::uint32_t index = 0; index < proto.GetNumParams(); ++index) {
        const std::int32_t type = proto.GetParamType(index);
        const HostWord value = proto.GetParamDefault(index);
        if (SetByType(instance, type, index, value) == kFailure) return false;
    }
    return true;
}

HostWord Instantiate(const ViewportRecord* viewport) {
    const CPluginInfo* const info = RegisteredPluginInfo();
    if (info == nullptr || viewport == nullptr) return kAllOnes;
    const CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return kAllOnes;

    CFreeFrameGLPlugin* instance = nullptr;
    if (!CallFactory(info->factory, &instance)) return kAllOnes;
    instance->selfRegistry = instance;
    if (!ApplyDefaults(*proto, *instance)) {
        delete instance;
        return kAllOnes;
    }
    if (instance->InitGL(viewport) != kSuccess) {
        instance->DeInitGL();
        delete instance;
        return kAllOnes;
    }
    return WordFromAddress(instance);
}

// A code of scope P, asked of the prototype that exists.
HostWord AskPrototype(std::uint32_t code, std::uint32_t index, CFreeFrameGLPlugin& proto) {
    switch (code) {
    case kInitialise: return kSuccess;
    case kGetNumParameters: return proto.GetNumParams();
    case kGetParameterName: return WordFromAddress(proto.GetParamName(index));
    case kGetParameterDefault: return proto.GetParamDefault(index);
    case kGetPluginCaps: return Capability(proto, index);
    case kGetParameterType: {
        const std::int32_t type = PrototypeType(index);
        return type < 0 ? kFailureWord : static_cast<std::uint32_t>(type);
    }
    case kGetParameterExtraA: return static_cast<std::uint32_t>(proto.GetParamExtraA(index));
    case kGetParameterExtraB: return static_cast<std::uint32_t>(proto.GetParamExtraB(index));
    default: return proto.GetPrototypeValue();  // kGetPrototypeValue
    }
}

bool IsPrototypeCode(std::uint32_t code) {
    switch (code) {
    case kInitialise:
    case kGetNumParameters:
    case kGetParameterName:
    case kGetParameterDefault:
    case kGetPluginCaps:
    case kGetParameterType:
    case kGetParameterExtraA:
    case kGetParameterExtraB:
    case kGetPrototypeValue: return true;
    default: return false;
    }
}

// What a code of scope P answers when the prototype cannot be made.
HostWord NoPrototypeAnswer(std::uint32_t code) {
    if (code == kGetParameterName || code == kGetPrototypeValue) return 0;
    return kFailureWord;
}

// A host makes these calls when it loads the library and when it makes an
// instance, not per frame: cold, out of the way of the per-frame calls.
[[gnu::cold]] HostWord LibraryCall(std::uint32_t code, HostWord input) {
    switch (code) {
    case kGetInfo: {
        CPluginInfo* const info = RegisteredPluginInfo();
        return WordFromAddress(info != nullptr ? &info->info : nullptr);
    }
    case kGetExtendedInfo: {
        CPluginInfo* const info = RegisteredPluginInfo();
        return WordFromAddress(info != nullptr ? &info->extendedInfo : nullptr);
    }
    case kDeinitialise:
        delete prototype;
        prototype = nullptr;
        return kSuccess;
    case kInstantiate: return Instantiate(AddressOf<const ViewportRecord>(input));
    default: break;
    }
    if (!IsPrototypeCode(code)) return kFailureWord;
    CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return NoPrototypeAnswer(code);
    return AskPrototype(code, NumberOf(input), *proto);
}

// ---- Calls that concern one instance (scope I) ---------------------------

// Checks its own instance: plugMain calls it directly.
HostWord SetParameter(CFreeFrameGLPlugin* instance, HostWord input) {
    const auto* const record = AddressOf<const SetParameterRecord>(input);
    if (instance == nullptr || record == nullptr) return kFailureWord;
    return SetByType(*instance, PrototypeType(record->index), record->index, record->value);
}

HostWord GetParameter(CFreeFrameGLPlugin& instance, std::uint32_t index) {
    switch (PrototypeType(index)) {
    case kTypeText: return WordFromAddress(instance.GetTextParameter(index));
    case kTypeBoolean: return instance.GetBoolParameter(index) ? 1u : 0u;
    default: return WordFromFloat(instance.GetFloatParameter(index));
    }
}

HostWord ProcessOpenGL(CFreeFrameGLPlugin& instance, HostWord input) {
    const auto* const frame = AddressOf<const ProcessOpenGLRecord>(input);
    if (frame == nullptr) return kFailureWord;
    if (!instance.connected) {
        instance.Connect();
        instance.connected = true;
    }
    return instance.ProcessOpenGL(frame);
}

// The calls below come a few times in an instance's life, not per frame:
// cold, so that the per-frame calls do not save registers for them.

[[gnu::cold]] HostWord SetTime(CFreeFrameGLPlugin& instance, HostWord input) {
    const double* const time = AddressOf<const double>(input);
    if (time == nullptr) return kFailureWord;
    return instance.SetTime(*time);
}

[[gnu::cold]] HostWord Deinstantiate(CFreeFrameGLPlugin* instance) {
    if (instance->connected) {
        instance->Disconnect();
        instance->connected = false;
    }
    instance->DeInitGL();
    delete instance;
    return kSuccess;
}

// Sets `connected` when Connect (or Disconnect) answers success.
[[gnu::cold]] HostWord ConnectAs(CFreeFrameGLPlugin& instance, bool connect) {
    const std::uint32_t status = connect ? instance.Connect() : instance.Disconnect();
    if (status == kSuccess) instance.connected = connect;
    return status;
}

[[gnu::cold]] HostWord Resize(CFreeFrameGLPlugin& instance, HostWord input) {
    return instance.Resize(AddressOf<const ViewportRecord>(input));
}

bool IsInstanceCode(std::uint32_t code) {
    switch (code) {
    case kGetParameterDisplay:
    case kSetParameter:
    case kGetParameter:
    case kGetInputStatus:
    case kProcessOpenGL:
    case kDeinstantiate:
    case kSetTime:
    case kConnect:
    case kDisconnect:
    case kResize: return true;
    default: return false;
    }
}

// A call of scope I; `code` is an instance code (IsInstanceCode).
HostWord InstanceCall(std::uint32_t code, HostWord input, CFreeFrameGLPlugin* instance) {
    if (instance == nullptr) return code == kGetParameterDisplay ? kAllOnes : kFailureWord;
    const std::uint32_t index = NumberOf(input);
    switch (code) {
    case kSetParameter: return SetParameter(instance, input);
    case kGetParameter: return GetParameter(*instance, index);
    case kGetParameterDisplay: return WordFromAddress(instance->GetParameterDisplay(index));
    case kProcessOpenGL: return ProcessOpenGL(*instance, input);
    case kGetInputStatus: return instance->GetInputStatus(index);
    case kSetTime: return SetTime(*instance, input);
    case kConnect: return ConnectAs(*instance, true);
    case kDisconnect: return ConnectAs(*instance, false);
    case kResize: return Resize(*instance, input);
    default: return Deinstantiate(instance);  // kDeinstantiate
    }
}

// Any call, by its scope. Out of line: plugMain takes parameter sets the
// short way, and they need none of the registers the other calls keep.
[[gnu::noinline]] HostWord Dispatch(std::uint32_t code, HostWord input, void* instance) {
    if (IsInstanceCode(code)) {
        return InstanceCall(code, input, static_cast<CFreeFrameGLPlugin*>(instance));
    }
    return LibraryCall(code, input);
}

}  // namespace
}  // namespace ffgl

VARNELO_EXPORT ffgl::HostWord plugMain(std::uint32_t code, ffgl::HostWord input, void* instance) {
    try {
        // Hosts set parameters many times per frame and make every other
        // call at most once per frame: sets go the short way.
        if (code == ffgl::kSetParameter) [[likely]] {
            return ffgl::SetParameter(static_cast<ffgl::CFreeFrameGLPlugin*>(instance), input);
        }
        return ffgl::Dispatch(code, input, instance);
    } catch (...) {
        // Nothing in the plug-in throws past its factory; this only keeps a
        // future fault from unwinding into the host.
        return ffgl::kFailure;
    }
}
