// The base class of every plug-in instance: the per-instance operations the
// dispatcher calls, each with the default a plug-in class overrides where it
// has something to do. All are called on the host's thread, through
// plugMain, only on instances made by code 18 (never on the prototype).
#pragma once

#include <cstdint>

#include "FreeFrameGL.h"
#include "PluginManager.h"

namespace ffgl {

class CFreeFrameGLPlugin : public CFFGLPluginManager {
public:
    CFreeFrameGLPlugin() = default;
    ~CFreeFrameGLPlugin() override = default;

    // Code 18, after every default has been applied. 0 completes the
    // instantiation; anything else undoes it.
    virtual std::uint32_t InitGL(const ViewportRecord* viewport);
    // Code 19 (and a failed InitGL) before the instance is deleted.
    virtual std::uint32_t DeInitGL();
    // Code 7. The text stays valid until the next display request.
    virtual const char* GetParameterDisplay(std::uint32_t index);
    // Codes 8 and 9, routed by the prototype's type for `index`, and the
    // defaults at instantiation. Set operations answer a status.
    virtual std::uint32_t SetFloatParameter(std::uint32_t index, float value);
    virtual float GetFloatParameter(std::uint32_t index);
    virtual std::uint32_t SetBoolParameter(std::uint32_t index, bool value);
    virtual bool GetBoolParameter(std::uint32_t index);
    virtual std::uint32_t SetTextParameter(std::uint32_t index, const char* text);
    // A text address, or the all-ones address for no text.
    virtual char* GetTextParameter(std::uint32_t index);
    // Code 17, once per frame, with the host's OpenGL context current.
    virtual std::uint32_t ProcessOpenGL(const ProcessOpenGLRecord* frame);
    // Code 20.
    virtual std::uint32_t SetTime(double time);
    // Code 16: 1 for an input index below the maximum input frames.
    virtual std::uint32_t GetInputStatus(std::uint32_t index);
    // Code 33, asked of the prototype.
    virtual HostWord GetPrototypeValue();
    // Codes 21 and 22, and the first frame of code 17.
    virtual std::uint32_t Connect();
    virtual std::uint32_t Disconnect();
    // Code 23. The viewport is passed on untested.
    virtual std::uint32_t Resize(const ViewportRecord* viewport);

    // Set and cleared only by the dispatcher: the instance has been
    // connected by its first frame or by code 21.
    bool connected = false;
    // The plug-in whose registry and operations the default display uses;
    // set by instantiation to the instance itself, unread before.
    CFreeFrameGLPlugin* selfRegistry = nullptr;
};

// Makes one plug-in instance: stores its address in `*instance` and returns
// 0, or stores null and returns kFailure. Throws nothing.
using PluginFactory = std::uint32_t (*)(CFreeFrameGLPlugin** instance);

}  // namespace ffgl
