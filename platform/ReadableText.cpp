#include <cstdint>
#include <cstring>

#include "Platform.h"

namespace platform {

namespace {

// Pages are 4 KiB or a multiple of it on every platform built for, so a
// page boundary can only fall on a multiple of this.
constexpr std::uintptr_t kPageGranule = 4096;

}  // namespace

bool IsReadableText(const char* text, std::size_t maxLength) {
    if (!IsReadableByte(text)) return false;
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(text);
    const std::size_t toBoundary = kPageGranule - address % kPageGranule;
    if (toBoundary >= maxLength) return true;
    // The bytes up to the boundary share the first byte's page.
    if (std::memchr(text, '\0', toBoundary) != nullptr) return true;
    return IsReadableByte(text + toBoundary);
}

}  // namespace platform
