#include "HostCalls.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tests {

namespace {

constexpr std::size_t kSlots = 4;
constexpr std::size_t kLongestText = 4096;  // characters, before the terminator
constexpr std::size_t kCommandBytes = 2048;  // what the plug-in may read of a text

// A fault the plug-in must never show; stops the run where it happened.
void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "host call check failed: %s\n", what);
    std::abort();
}

// Reads the string front to back; past its end every read is zero.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : bytes(data), byteCount(size) {}
    bool AtEnd() const { return offset >= byteCount; }
    std::uint8_t Byte() { return offset < byteCount ? bytes[offset++] : 0; }
    std::uint16_t Word16() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    std::uint32_t Word32() {
        const std::uint32_t low = Word16();
        return low | std::uint32_t{Word16()} << 16;
    }
    // Up to `count` bytes, fewer when the string ends.
    std::size_t Take(char* out, std::size_t count) {
        const std::size_t taken = std::min(count, byteCount - std::min(byteCount, offset));
        if (taken > 0) std::memcpy(out, bytes + offset, taken);
        offset += taken;
        return taken;
    }

private:
    const std::uint8_t* bytes;
    std::size_t byteCount;
    std::size_t offset = 0;
};

// Two readable pages followed by one that cannot be read, made once.
struct GuardedPages {
    char* readable = nullptr;  // two pages
    char* unreadable = nullptr;  // the third, PROT_NONE
    std::size_t pageSize = 0;
};

const GuardedPages& Pages() {
    static const GuardedPages pages = [] {
        GuardedPages made;
        made.pageSize = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        void* const base = mmap(nullptr, 3 * made.pageSize, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        Check(base != MAP_FAILED, "mmap of the guarded pages");
        made.readable = static_cast<char*>(base);
        made.unreadable = made.readable + 2 * made.pageSize;
        Check(mprotect(made.unreadable, made.pageSize, PROT_NONE) == 0, "mprotect");
        return made;
    }();
    return pages;
}

class Session {
public:
    Session(PlugMainFunction plugMain, Reader& reader) : entryPoint(plugMain), in(reader) {
        const std::uint32_t count = Call32(ffgl::kGetNumParameters, 0, nullptr);
        parameterCount = count == ffgl::kFailure ? 0 : count;
    }
    ~Session() {
        for (void*& handle : slots) Release(handle);
        Call(ffgl::kDeinitialise, 0, nullptr);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void Step() {
        switch (in.Byte() % kOperationCount) {
        case kInstantiate: Instantiate(); break;
        case kDeinstantiate: Release(Slot()); break;
        case kSetWord: SetWord(); break;
        case kSetText: SetText(); break;
        case kSetRun: SetRun(); break;
        case kSetSwitch: SetSwitch(); break;
        case kGet: Get(); break;
        case kDisplay: Display(); break;
        case kInstanceCode: InstanceCode(); break;
        case kFrame: Frame(); break;
        case kCodeWithoutInstance: CodeWithoutInstance(); break;
        case kDeinitialise: Call(ffgl::kDeinitialise, 0, nullptr); break;
        default: break;
        }
    }

private:
    ffgl::HostWord Call(std::uint32_t code, ffgl::HostWord input, void* instance) {
        return entryPoint(code, input, instance);
    }
    std::uint32_t Call32(std::uint32_t code, ffgl::HostWord input, void* instance) {
        return ffgl::NumberOf(Call(code, input, instance));
    }

    void*& Slot() { return slots[in.Byte() % kSlots]; }

    // Mostly the registered indices and a few beyond; now and then any.
    std::uint32_t Index() {
        const std::uint8_t choice = in.Byte();
        if (choice >= 0xF0) return in.Word32();
        return choice % (parameterCount + 4);
    }

    void Instantiate() {
        void*& handle = Slot();
        Release(handle);
        const bool withViewport = (in.Byte() & 1) == 0;
        const ffgl::HostWord made =
            Call(ffgl::kInstantiate, withViewport ? ffgl::WordFromAddress(&viewportRecord) : 0, nullptr);
        if (!withViewport) Check(made == ffgl::kAllOnes, "code 18 without a viewport fails");
        handle = made == ffgl::kAllOnes ? nullptr : ffgl::AddressOf<void>(made);
    }

    void Release(void*& handle) {
        if (handle == nullptr) return;
        Check(Call32(ffgl::kDeinstantiate, 0, handle) == ffgl::kSuccess, "code 19 succeeds");
        handle = nullptr;
    }

    void Set(void* handle, std::uint32_t index, ffgl::HostWord value) {
        const ffgl::SetParameterRecord record{index, 0, value};
        const std::uint32_t status = Call32(ffgl::kSetParameter, ffgl::WordFromAddress(&record), handle);
        if (handle != nullptr) Check(status == ffgl::kSuccess, "every set on an instance succeeds");
    }

    void SetWord() {
        void* const handle = Slot();
        const std::uint32_t index = Index();
        const std::uint32_t value = in.Word32();
        // The one text parameter takes an address: played by SetText.
        if (index == 0) return SetTextOn(handle, 0);
        Set(handle, index, value);
    }

    void SetText() {
        void* const handle = Slot();
        SetTextOn(handle, Index() % 2 == 0 ? 0 : Index());
    }

    // Sends a text to `index`, placed as the next byte says.
    void SetTextOn(void* handle, std::uint32_t index) {
        const GuardedPages& pages = Pages();
        const std::uint8_t placement = in.Byte() % 5;
        const std::size_t length = in.Word16() % (kLongestText + 1);
        switch (placement) {
        case 0: {  // a text on the heap, its terminator the buffer's last byte
            std::vector<char> text(length + 1, '\0');
            in.Take(text.data(), length);
            Set(handle, index, ffgl::WordFromAddress(text.data()));
            CheckCommand(handle);
            return;
        }
        case 1:  // null
            Set(handle, index, 0);
            return;
        case 2:  // an address that cannot be read
            Set(handle, index, ffgl::WordFromAddress(pages.unreadable + length % pages.pageSize));
            return;
        case 3: {  // no terminator in the bytes the plug-in may read
            char* const text = pages.unreadable - kCommandBytes;
            std::memset(text, 'x', kCommandBytes);
            const std::size_t taken = in.Take(text, std::min(length, kCommandBytes));
            for (std::size_t i = 0; i < taken; ++i) {
                if (text[i] == '\0') text[i] = ' ';
            }
            Set(handle, index, ffgl::WordFromAddress(text));
            CheckCommand(handle);
            return;
        }
        default: {  // terminated on the last readable byte
            const std::size_t shown = std::min(length, 2 * pages.pageSize - 1);
            char* const text = pages.unreadable - shown - 1;
            std::memset(text, 'y', shown);
            in.Take(text, shown);
            text[shown] = '\0';
            Set(handle, index, ffgl::WordFromAddress(text));
            CheckCommand(handle);
            return;
        }
        }
    }

    // The command a host reads back is always terminated within 2048 bytes.
    void CheckCommand(void* handle) {
        if (handle == nullptr) return;
        const auto* const text = ffgl::AddressOf<const char>(Call(ffgl::kGetParameter, 0, handle));
        Check(text != nullptr, "the command text has an address");
        Check(strnlen(text, kCommandBytes) < kCommandBytes, "the command text is terminated");
    }

    void SetRun() {
        void* const handle = Slot();
        Set(handle, 1, in.Word32());
    }

    void SetSwitch() {
        void* const handle = Slot();
        const std::uint32_t which[] = {2, 3, parameterCount - 1};
        const std::uint32_t index = which[in.Byte() % 3];
        Set(handle, index, in.Byte() & 1);
    }

    void Get() {
        void* const handle = Slot();
        const std::uint32_t index = Index();
        const ffgl::HostWord value = Call(ffgl::kGetParameter, index, handle);
        if (handle == nullptr) Check(ffgl::NumberOf(value) == ffgl::kFailure, "code 9 needs an instance");
        if (handle != nullptr && index == 0) CheckCommand(handle);
    }

    void Display() {
        void* const handle = Slot();
        const std::uint32_t index = Index();
        const ffgl::HostWord word = Call(ffgl::kGetParameterDisplay, index, handle);
        if (handle == nullptr) return Check(word == ffgl::kAllOnes, "code 7 needs an instance");
        if (word == 0 || word == ffgl::kAllOnes) return;
        // Read the whole text, as a host shows it.
        const std::size_t shown = std::strlen(ffgl::AddressOf<const char>(word));
        if (index == 1) Check(shown >= 6, "the run position shows its step");
    }

    void InstanceCode() {
        void* const handle = Slot();
        const std::uint8_t choice = in.Byte();
        const std::uint32_t index = Index();
        switch (choice % 10) {
        case 0: Call(ffgl::kGetInputStatus, index, handle); break;
        case 1: Call(ffgl::kConnect, 0, handle); break;
        case 2: Call(ffgl::kDisconnect, 0, handle); break;
        case 3: Call(ffgl::kResize, ffgl::WordFromAddress(&viewportRecord), handle); break;
        case 4: {
            double time = static_cast<double>(index) / 7.0;
            Call(ffgl::kSetTime, ffgl::WordFromAddress(&time), handle);
            break;
        }
        case 5: Call(ffgl::kGetParameterExtraA, index, handle); break;
        case 6: Call(ffgl::kGetParameterExtraB, index, handle); break;
        case 7: Call(ffgl::kGetPrototypeValue, 0, handle); break;
        case 8: {
            const auto* const name = ffgl::AddressOf<const char>(Call(ffgl::kGetParameterName, index, handle));
            if (name != nullptr) (void)strnlen(name, 16);
            break;
        }
        default: {
            const ffgl::HostWord value = Call(ffgl::kGetParameterDefault, index, handle);
            if (index == 0) (void)std::strlen(ffgl::AddressOf<const char>(value));
            break;
        }
        }
    }

    // Frames with nothing to draw: they must answer without touching OpenGL,
    // so they can be played without a context.
    void Frame() {
        void* const handle = Slot();
        ffgl::TextureRecord texture{64, 64, 64, 64, 1};
        ffgl::TextureRecord* textures[1] = {&texture};
        ffgl::ProcessOpenGLRecord frame{0, 0, nullptr};
        switch (in.Byte() % 5) {
        case 0: break;  // no texture listed
        case 1: frame = {in.Word32() | 1, 0, nullptr}; break;  // a count, no array
        case 2: textures[0] = nullptr; frame = {1, 0, textures}; break;
        case 3: texture.hardwareWidth = 0; frame = {1, 0, textures}; break;
        default:
            Check(Call32(ffgl::kProcessOpenGL, 0, handle) == ffgl::kFailure, "code 17 needs a record");
            return;
        }
        Call(ffgl::kProcessOpenGL, ffgl::WordFromAddress(&frame), handle);
    }

    // Any code with no instance. Code 18 would make one: played as such.
    void CodeWithoutInstance() {
        const std::uint8_t choice = in.Byte();
        const std::uint32_t code = choice >= 0xF0 ? in.Word32() : choice % 40u;
        const ffgl::HostWord input = in.Word32();
        if (code == ffgl::kInstantiate) return;
        const ffgl::HostWord result = Call(code, input, nullptr);
        if (code == ffgl::kGetParameterName && result != 0) {
            (void)strnlen(ffgl::AddressOf<const char>(result), 16);
        }
    }

    PlugMainFunction entryPoint;
    Reader& in;
    std::uint32_t parameterCount = 0;
    std::array<void*, kSlots> slots{};
    ffgl::ViewportRecord viewportRecord{0, 0, 640, 360};
};

}  // namespace

void Play(PlugMainFunction plugMain, const std::uint8_t* data, std::size_t size) {
    Reader reader(data, size);
    Session session(plugMain, reader);
    while (!reader.AtEnd()) session.Step();
}

}  // namespace tests
