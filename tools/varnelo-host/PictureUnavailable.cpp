// The build without a headless EGL context: --frames says so and stops.
#include "Picture.h"

namespace varnelohost {

std::unique_ptr<PictureCheck> PictureCheck::Create(std::uint32_t, std::uint32_t,
                                                   std::string* error) {
    *error =
        "--frames: drawing is unavailable in this build: it was configured without EGL "
        "and OpenGL (Debian: libegl-dev libgl-dev)";
    return nullptr;
}

}  // namespace varnelohost
