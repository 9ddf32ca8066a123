// --frames: every frame drawn through the plug-in in a headless OpenGL
// context, a test picture in and the result read back and compared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "PluginHost.h"

namespace varnelohost {

class PictureCheck {
public:
    // A context, a `width` x `height` test picture and a target to draw
    // into. Null with a one-line reason when no context can be made.
    static std::unique_ptr<PictureCheck> Create(std::uint32_t width, std::uint32_t height,
                                                std::string* error);
    virtual ~PictureCheck() = default;

    // One frame: code 17 with the test picture as the input texture, the
    // target read back. Nothing when it came back unchanged, otherwise
    // what differs (the status, or the first differing pixel).
    virtual std::optional<std::string> Draw(const hostkit::PluginInstance& instance) = 0;
};

}  // namespace varnelohost
