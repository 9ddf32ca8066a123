// The readability test on Windows.
#include <windows.h>

#include "Platform.h"

namespace platform {

bool IsReadableByte(const void* address) {
    if (address == nullptr) return false;
    return IsBadReadPtr(address, 1) == 0;
}

}  // namespace platform
