#include "TextureUnit.h"

#include <cstring>

#include "GlLoader.h"

namespace textureunit {

namespace {

constexpr int kFirstVersionWithActiveTexture = 13;
constexpr char kMultitexture[] = "GL_ARB_multitexture";

// True when `name` is one whole space-separated entry of `list`, so that a
// longer name that merely starts with it does not count.
bool ListHasName(const char* list, const char* name) {
    const std::size_t length = std::strlen(name);
    for (const char* found = std::strstr(list, name); found != nullptr;
         found = std::strstr(found + 1, name)) {
        const bool startsEntry = found == list || found[-1] == ' ';
        const char after = found[length];
        if (startsEntry && (after == ' ' || after == '\0')) return true;
    }
    return false;
}

}  // namespace

Decision Decide(int version, const char* extensions) {
    if (version <= 0) return Decision::kUndecided;
    if (version >= kFirstVersionWithActiveTexture) return Decision::kCall;
    if (extensions == nullptr) return Decision::kUndecided;
    return ListHasName(extensions, kMultitexture) ? Decision::kCall : Decision::kSkip;
}

void UnitZeroSelector::Select() {
    if (decision_ == Decision::kUndecided) {
        const int version = loader_.version();
        // The extension string is read only when the version alone cannot
        // decide: core contexts from 3.2 on have none to give.
        const char* const extensions =
            version > 0 && version < kFirstVersionWithActiveTexture ? loader_.extensions() : nullptr;
        decision_ = Decide(version, extensions);
    }
    if (decision_ == Decision::kCall) loader_.activeTexture(kUnitZero);
}

namespace {

// Constant-initialised: ready before any static initialiser of the library
// runs, and never destroyed.
UnitZeroSelector librarySelector(
    {glloader::ContextVersion, glloader::ContextExtensions, glloader::ActiveTexture});

}  // namespace

void SelectUnitZero() { librarySelector.Select(); }

}  // namespace textureunit
