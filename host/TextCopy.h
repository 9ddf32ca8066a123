// Private copies of the texts that the registration record and the
// parameter registry own.
#pragma once

namespace ffgl {

// A copy of the zero-terminated `text`, terminator included, in a block
// from new[]; null when memory is exhausted. Throws nothing, so that it can
// serve while the library loads. Release the copy with delete[].
char* CopyText(const char* text);

}  // namespace ffgl
