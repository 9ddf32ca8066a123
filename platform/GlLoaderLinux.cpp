// The loader seam on Linux, through libepoxy. libepoxy aborts the process
// when glActiveTexture is called in a context that cannot provide it, and
// when the GL_VERSION string it parses holds no "major.minor"; the version
// is therefore checked here before libepoxy is asked, and ActiveTexture is
// only called once the caller has seen a version of 1.3 or later.
#include <epoxy/gl.h>

#include <cctype>
#include <cstdio>

#include "GlLoader.h"

namespace platform {

namespace {

// True when `version` is a string in which libepoxy finds the
// "major.minor" it expects: the first digit starts "<int>.<int>".
bool IsReadableVersion(const char* version) {
    if (version == nullptr) return false;
    while (*version != '\0' && !std::isdigit(static_cast<unsigned char>(*version))) ++version;
    int major = 0;
    int minor = 0;
    return std::sscanf(version, "%i.%i", &major, &minor) == 2;
}

}  // namespace

const char* ContextExtensions() {
    // Null with no context current, and in a core profile context.
    return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
}

int ContextVersion() {
    // With no context current glGetString answers null.
    const auto* const version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!IsReadableVersion(version)) return 0;
    return epoxy_gl_version();
}

// libepoxy resolves glActiveTexture itself at the first call, which the
// caller makes in this same context, whose version (1.3 or later) is the
// one libepoxy checks before it takes the entry point. Nothing to do here.
bool ResolveActiveTexture() { return true; }

void ActiveTexture(unsigned unit) { glActiveTexture(unit); }

}  // namespace platform
