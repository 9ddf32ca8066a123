// Selecting texture unit 0 before the pass-through binds its input, on any
// platform's OpenGL loader (GlLoader.h). glActiveTexture exists only from
// OpenGL 1.3 or with GL_ARB_multitexture, and some loaders abort the process
// when asked for an entry point the context lacks, so whether to call it is
// decided once, from the first context that answers, and kept for the life
// of the loaded library.
#pragma once

namespace textureunit {

// GL_TEXTURE0.
constexpr unsigned kUnitZero = 0x84C0;

enum class Decision {
    kUndecided,  // no context has answered yet: ask again next frame
    kCall,       // the context provides glActiveTexture
    kSkip,       // it does not: draw on whatever unit is active
};

// What one context's answers decide. `version` is major * 10 + minor, 0 when
// unreadable; `extensions` is the space-separated extension string or null.
// The extension string is consulted only for versions below 1.3.
Decision Decide(int version, const char* extensions);

// Where the answers come from and where the call goes; the library uses the
// glloader functions, tests their own.
struct Loader {
    int (*version)();
    const char* (*extensions)();
    void (*activeTexture)(unsigned unit);
};

// The decision for one loader, taken at the first Select whose context
// answers and never taken again.
class UnitZeroSelector {
public:
    explicit constexpr UnitZeroSelector(Loader loader) : loader_(loader) {}

    // Makes unit 0 active when the context provides glActiveTexture; asks
    // the loader for version and extensions only while undecided.
    void Select();
    Decision decision() const { return decision_; }

private:
    Loader loader_;
    Decision decision_ = Decision::kUndecided;
};

// Select() on the library's one selector, shared by all its instances and
// bound to the glloader loader.
void SelectUnitZero();

}  // namespace textureunit
