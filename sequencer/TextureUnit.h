// Selecting texture unit 0 before the pass-through binds its input, through
// the platform's OpenGL loader (GlLoader.h). glActiveTexture exists from
// OpenGL 1.3, and some loaders abort the process when it is called in a
// context that cannot provide it, so the loader is initialised once per
// loaded library, and with it the decision whether to call glActiveTexture:
// - until then each frame reads the context's extension string; while it
//   is unreadable (null: no context, or a core profile) the frame skips the
//   call and the next frame reads it again;
// - the first frame that reads one initialises the loader in its context
//   and resolves glActiveTexture only if that context's version is 1.3 or
//   later; GL_ARB_multitexture on an older version does not count;
// - from then on every frame of every context follows that decision.
#pragma once

namespace sequencer {

// GL_TEXTURE0.
constexpr unsigned kUnitZero = 0x84C0;

// major * 10 + minor of the first OpenGL version with glActiveTexture.
constexpr int kFirstVersionWithActiveTexture = 13;

enum class UnitZeroDecision {
    kUndecided,  // no readable extension string yet: skip, read again next frame
    kCall,       // initialised at version 1.3 or later: call glActiveTexture
    kSkip,       // initialised below 1.3: draw on whatever unit is active
};

// What one context's answers decide. `extensions` is its extension string,
// null when unreadable; `version` is major * 10 + minor, 0 when unreadable,
// and counts only when `extensions` is not null. An unreadable version next
// to a readable extension string cannot show 1.3, so it decides kSkip. The
// extension string's contents do not matter, only that it can be read.
UnitZeroDecision DecideUnitZero(int version, const char* extensions);

// Where the answers come from and where the calls go; the library uses the
// platform loader functions (GlLoader.h), tests their own.
struct UnitZeroLoader {
    const char* (*extensions)();
    int (*version)();
    bool (*resolveActiveTexture)();  // once, in a context of 1.3 or later
    void (*activeTexture)(unsigned unit);
};

// The library's loader state: undecided until a frame reads an extension
// string, then decided for good.
class UnitZeroSelector {
public:
    explicit constexpr UnitZeroSelector(UnitZeroLoader loader) : loader(loader) {}

    // One frame's call, before the input texture is bound: while undecided,
    // reads the extension string (and, when it is readable, the version,
    // resolving glActiveTexture if the version allows); then makes unit 0
    // active when the decision is kCall. A kCall whose entry point does not
    // resolve becomes kSkip.
    void Select();
    UnitZeroDecision CurrentDecision() const { return decision; }

private:
    UnitZeroDecision Initialise() const;

    UnitZeroLoader loader;
    UnitZeroDecision decision = UnitZeroDecision::kUndecided;
};

// Select() on the library's one selector, shared by all its instances and
// bound to the platform loader functions.
void SelectUnitZero();

}  // namespace sequencer
