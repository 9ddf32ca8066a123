// The entry point: every call a FreeFrame GL 1.x host makes arrives here as
// a function code, an input word and an instance handle, on the host's
// thread, one call at a time per library. Nothing is thrown, logged or
// shown to the host: every failure is a return value.
#include "FreeFrameGL.h"
#include "FreeFrameGLPlugin.h"
#include "Platform.h"
#include "PluginInfo.h"

using ffgl::HostWord;

namespace {

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

constexpr HostWord kFailureWord = ffgl::kFailure;

// True when the factory made an object: its status is anything but the
// failure value and it stored an address.
bool CallFactory(PluginFactory factory, CFreeFrameGLPlugin** made) {
    *made = nullptr;
    return factory(made) != ffgl::kFailure && *made != nullptr;
}

// The prototype's GetParamType of indices 0 .. kCachedTypes-1, read when
// the prototype is made. A registry never changes after its owner's
// constructor, so the copy holds for as long as that prototype lives, and
// parameter sets (many per frame) skip the registry's list walk.
constexpr std::uint32_t kCachedTypes = 64;
std::int32_t prototypeTypes[kCachedTypes];

void CachePrototypeTypes(const CFreeFrameGLPlugin& proto) {
    for (std::uint32_t index = 0; index < kCachedTypes; ++index) {
        prototypeTypes[index] = proto.GetParamType(index);
    }
}

// Makes the prototype; null when there is no registered record or the
// factory fails. Out of line: it runs once, and the calls that find the
// prototype made then need no registers saved for it (bench/run counts a
// within-step "Run" set, 8 instructions more with this inlined).
[[gnu::noinline]] CFreeFrameGLPlugin* MakePrototype() {
    const CPluginInfo* const info = RegisteredPluginInfo();
    if (info == nullptr) return nullptr;
    if (!CallFactory(info->factory, &prototype)) {
        prototype = nullptr;
    } else {
        CachePrototypeTypes(*prototype);
    }
    return prototype;
}

// The prototype, made on first need.
CFreeFrameGLPlugin* EnsurePrototype() {
    return prototype != nullptr ? prototype : MakePrototype();
}

// The prototype's type for `index`, -1 when unregistered or unavailable.
std::int32_t PrototypeType(std::uint32_t index) {
    const CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return -1;
    return index < kCachedTypes ? prototypeTypes[index] : proto->GetParamType(index);
}

// Routes one value to the typed set operation, the way code 8 does.
std::uint32_t SetByType(CFreeFrameGLPlugin* instance, std::int32_t type, std::uint32_t index,
                        HostWord value) {
    switch (type) {
    case ffgl::kTypeText:
        return instance->SetTextParameter(index, ffgl::AddressOf<const char>(value));
    case ffgl::kTypeBoolean:
    case ffgl::kTypeEvent:
        return instance->SetBoolParameter(index, ffgl::NumberOf(value) != 0);
    default:
        return instance->SetFloatParameter(index, ffgl::FloatOf(value));
    }
}

HostWord SetParameter(CFreeFrameGLPlugin* instance, HostWord input) {
    const auto* const record = ffgl::AddressOf<const ffgl::SetParameterRecord>(input);
    if (instance == nullptr || record == nullptr) return kFailureWord;
    return SetByType(instance, PrototypeType(record->index), record->index, record->value);
}

HostWord GetParameter(CFreeFrameGLPlugin* instance, std::uint32_t index) {
    if (instance == nullptr) return kFailureWord;
    switch (PrototypeType(index)) {
    case ffgl::kTypeText:
        return ffgl::WordFromAddress(instance->GetTextParameter(index));
    case ffgl::kTypeBoolean:
        return instance->GetBoolParameter(index) ? 1u : 0u;
    default:
        return ffgl::WordFromFloat(instance->GetFloatParameter(index));
    }
}

std::uint32_t NonNegative(std::int32_t n) { return n < 0 ? 0u : static_cast<std::uint32_t>(n); }

HostWord Capability(std::uint32_t capability) {
    const CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return kFailureWord;
    switch (capability) {
    case ffgl::kCapProcessOpenGL: return 1;
    case ffgl::kCapSetTime: return proto->IsTimeSupported() ? 1u : 0u;
    case ffgl::kCapMinInputFrames: return NonNegative(proto->GetMinInputs());
    case ffgl::kCapMaxInputFrames: return NonNegative(proto->GetMaxInputs());
    default: return 0;
    }
}

// Applies every registered default to a new instance in index order, the
// type read before the default, routed as code 8 routes a host's value.
bool ApplyDefaults(const CFreeFrameGLPlugin& proto, CFreeFrameGLPlugin* instance) {
    for (std::uint32_t index = 0; index < proto.GetNumParams(); ++index) {
        const std::int32_t type = proto.GetParamType(index);
        const HostWord value = proto.GetParamDefault(index);
        if (SetByType(instance, type, index, value) == ffgl::kFailure) return false;
    }
    return true;
}

HostWord Instantiate(const ffgl::ViewportRecord* viewport) {
    const CPluginInfo* const info = RegisteredPluginInfo();
    if (info == nullptr || viewport == nullptr) return ffgl::kAllOnes;
    const CFreeFrameGLPlugin* const proto = EnsurePrototype();
    if (proto == nullptr) return ffgl::kAllOnes;

    CFreeFrameGLPlugin* instance = nullptr;
    if (!CallFactory(info->factory, &instance)) return ffgl::kAllOnes;
    instance->selfRegistry = instance;
    if (!ApplyDefaults(*proto, instance)) {
        delete instance;
        return ffgl::kAllOnes;
    }
    if (instance->InitGL(viewport) != ffgl::kSuccess) {
        instance->DeInitGL();
        delete instance;
        return ffgl::kAllOnes;
    }
    return ffgl::WordFromAddress(instance);
}

HostWord Deinstantiate(CFreeFrameGLPlugin* instance) {
    if (instance == nullptr) return kFailureWord;
    if (instance->connected) {
        instance->Disconnect();
        instance->connected = false;
    }
    instance->DeInitGL();
    delete instance;
    return ffgl::kSuccess;
}

HostWord ProcessOpenGL(CFreeFrameGLPlugin* instance, HostWord input) {
    const auto* const frame = ffgl::AddressOf<const ffgl::ProcessOpenGLRecord>(input);
    if (instance == nullptr || frame == nullptr) return kFailureWord;
    if (!instance->connected) {
        instance->Connect();
        instance->connected = true;
    }
    return instance->ProcessOpenGL(frame);
}

// Kept out of plugMain so that parameter sets do not pay for its frame.
[[gnu::noinline]] HostWord Dispatch(std::uint32_t code, HostWord input,
                                    CFreeFrameGLPlugin* instance) {
    const std::uint32_t index = ffgl::NumberOf(input);
    switch (code) {
    case ffgl::kSetParameter:
        return SetParameter(instance, input);
    case ffgl::kProcessOpenGL:
        return ProcessOpenGL(instance, input);
    case ffgl::kGetParameter:
        return GetParameter(instance, index);
    case ffgl::kGetParameterDisplay:
        return instance != nullptr ? ffgl::WordFromAddress(instance->GetParameterDisplay(index))
                                   : ffgl::kAllOnes;
    case ffgl::kGetInfo: {
        CPluginInfo* const info = RegisteredPluginInfo();
        return ffgl::WordFromAddress(info != nullptr ? &info->info : nullptr);
    }
    case ffgl::kGetExtendedInfo: {
        CPluginInfo* const info = RegisteredPluginInfo();
        return ffgl::WordFromAddress(info != nullptr ? &info->extendedInfo : nullptr);
    }
    case ffgl::kInitialise:
        return EnsurePrototype() != nullptr ? HostWord{ffgl::kSuccess} : kFailureWord;
    case ffgl::kDeinitialise:
        delete prototype;
        prototype = nullptr;
        return ffgl::kSuccess;
    case ffgl::kGetNumParameters: {
        const CFreeFrameGLPlugin* const proto = EnsurePrototype();
        return proto != nullptr ? proto->GetNumParams() : kFailureWord;
    }
    case ffgl::kGetParameterName: {
        const CFreeFrameGLPlugin* const proto = EnsurePrototype();
        return ffgl::WordFromAddress(proto != nullptr ? proto->GetParamName(index) : nullptr);
    }
    case ffgl::kGetParameterDefault: {
        const CFreeFrameGLPlugin* const proto = EnsurePrototype();
        return proto != nullptr ? proto->GetParamDefault(index) : kFailureWord;
    }
    case ffgl::kGetPluginCaps:
        return Capability(index);
    case ffgl::kGetParameterType: {
        const std::int32_t type = PrototypeType(index);
        return type < 0 ? kFailureWord : static_cast<std::uint32_t>(type);
    }
    case ffgl::kGetInputStatus:
        return instance != nullptr ? instance->GetInputStatus(index) : kFailureWord;
    case ffgl::kInstantiate:
        return Instantiate(ffgl::AddressOf<const ffgl::ViewportRecord>(input));
    case ffgl::kDeinstantiate:
        return Deinstantiate(instance);
    case ffgl::kSetTime: {
        const double* const time = ffgl::AddressOf<const double>(input);
        if (instance == nullptr || time == nullptr) return kFailureWord;
        return instance->SetTime(*time);
    }
    case ffgl::kConnect: {
        if (instance == nullptr) return kFailureWord;
        const std::uint32_t status = instance->Connect();
        if (status == ffgl::kSuccess) instance->connected = true;
        return status;
    }
    case ffgl::kDisconnect: {
        if (instance == nullptr) return kFailureWord;
        const std::uint32_t status = instance->Disconnect();
        if (status == ffgl::kSuccess) instance->connected = false;
        return status;
    }
    case ffgl::kResize:
        if (instance == nullptr) return kFailureWord;
        return instance->Resize(ffgl::AddressOf<const ffgl::ViewportRecord>(input));
    case ffgl::kGetParameterExtraA:
    case ffgl::kGetParameterExtraB: {
        const CFreeFrameGLPlugin* const proto = EnsurePrototype();
        if (proto == nullptr) return kFailureWord;
        const std::int32_t extra = code == ffgl::kGetParameterExtraA
                                       ? proto->GetParamExtraA(index)
                                       : proto->GetParamExtraB(index);
        return static_cast<std::uint32_t>(extra);
    }
    case ffgl::kGetPrototypeValue: {
        CFreeFrameGLPlugin* const proto = EnsurePrototype();
        return proto != nullptr ? proto->GetPrototypeValue() : 0;
    }
    default:
        return kFailureWord;
    }
}

}  // namespace

VARNELO_EXPORT HostWord plugMain(std::uint32_t code, HostWord input, void* instance) {
    try {
        // Parameter sets come many times per frame: they skip the general
        // switch and its register saves.
        if (code == ffgl::kSetParameter) {
            return SetParameter(static_cast<CFreeFrameGLPlugin*>(instance), input);
        }
        return Dispatch(code, input, static_cast<CFreeFrameGLPlugin*>(instance));
    } catch (...) {
        // Nothing in the plug-in throws past its factory; this only keeps a
        // future fault from unwinding into the host.
        return kFailureWord;
    }
}
