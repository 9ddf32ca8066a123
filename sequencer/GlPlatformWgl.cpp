#include "GlPlatform.h"

namespace glplatform {

int ContextVersion() { return 0; }
const char* ContextExtensions() { return nullptr; }
void ActiveTexture(unsigned) {}

}  // namespace glplatform
