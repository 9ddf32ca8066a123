#include "Varnelo.h"

std::uint32_t Varnelo::ProcessOpenGL(const ffgl::ProcessOpenGLRecord*) { return ffgl::kFailure; }
