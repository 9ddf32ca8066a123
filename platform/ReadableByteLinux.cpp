// The readability test on Linux.
#include "Platform.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace platform {

bool IsReadableByte(const void* address) {
    if (address == nullptr) return false;
    // Ask the kernel to copy the byte out of our own address space: an
    // unmapped or unreadable page answers EFAULT instead of a fault.
    char byte;
    iovec local{&byte, 1};
    iovec remote{const_cast<void*>(address), 1};
    if (process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == 1) return true;
    // A kernel that refuses the call itself (seccomp, no such call) cannot
    // tell: take the non-null address as readable, as a null check would.
    return errno != EFAULT;
}

namespace {

// The "C" locale object, made at the first conversion and released when
// the library is unloaded.
class CLocale {
public:
    ~CLocale() {
        if (locale_ != locale_t{}) freelocale(locale_);
    }
    locale_t Get() {
        if (locale_ == locale_t{}) locale_ = newlocale(LC_ALL_MASK, "C", locale_t{});
        return locale_;
    }

private:
    locale_t locale_{};
};

CLocale cLocale;

}  // namespace

double ParseDouble(const char* text) {
    const locale_t c = cLocale.Get();
    // newlocale("C") does not fail in practice; without it, the process
    // locale is the only conversion there is.
    return c != locale_t{} ? strtod_l(text, nullptr, c) : std::strtod(text, nullptr);
}

}  // namespace platform
