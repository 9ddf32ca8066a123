#include "TextCopy.h"

#include <cstring>
#include <new>

namespace ffgl {

char* CopyText(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* const copy = new (std::nothrow) char[size];
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

}  // namespace ffgl
