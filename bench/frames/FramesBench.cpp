// Frames of code 17 (Varnelo4 through plugMain, as a host draws it) against
// the same quad drawn directly, in one headless context: a 640 x 360 picture
// in a 1024 x 512 texture drawn into a 640 x 360 framebuffer, and a 16 x 16
// one where the per-frame overhead weighs most. A frame is the draw and a
// glFinish, so the rasterisation is in it.
//
// "Frames/Alternating" draws a plug-in frame and a direct frame by turns and
// times each, so that both see the same machine load; its counters give
// both rates, their ratio (plug-in / direct, goal >= 0.97) and the heap
// allocations per frame after the first on the calling thread, those of the
// draw calls apart from those of the driver's glFinish, and the plug-in's
// own share: what its draw made beyond the same calls made directly (goal
// 0). "Frames/PlugMain" and "Frames/Direct" run each kind alone and count
// the allocations of every thread.
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "HeapProbe.h"
#include "EglContext.h"
#include "PluginHost.h"

namespace {

struct Size {
    int width;
    int height;
    int hardwareWidth;
    int hardwareHeight;
};

constexpr Size kSizes[] = {{640, 360, 1024, 512}, {16, 16, 16, 16}};

// One context per size, each with its picture, and one plug-in instance.
struct Scene {
    std::unique_ptr<hostkit::EglContext> context;
    unsigned texture = 0;
    ffgl::TextureRecord record{};
    ffgl::TextureRecord* inputs[1] = {&record};
    ffgl::ProcessOpenGLRecord frame{1, 0, inputs};
    PFNGLACTIVETEXTUREPROC activeTexture = nullptr;
};

std::unique_ptr<hostkit::PluginLibrary> library;
std::unique_ptr<hostkit::PluginInstance> instance;
Scene scenes[std::size(kSizes)];

bool MakeScene(const Size& size, Scene& scene) {
    hostkit::EglContext::Made made = hostkit::EglContext::Create(size.width, size.height);
    if (made.context == nullptr) {
        std::fprintf(stderr, "no OpenGL context: %s\n", made.reason.c_str());
        return false;
    }
    scene.context = std::move(made.context);
    std::vector<std::uint32_t> texels(static_cast<std::size_t>(size.hardwareWidth) *
                                      static_cast<std::size_t>(size.hardwareHeight));
    for (std::size_t i = 0; i < texels.size(); ++i)
        texels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
    scene.texture = hostkit::MakeTexture(size.hardwareWidth, size.hardwareHeight, texels);
    scene.record = {static_cast<std::uint32_t>(size.width), static_cast<std::uint32_t>(size.height),
                    static_cast<std::uint32_t>(size.hardwareWidth),
                    static_cast<std::uint32_t>(size.hardwareHeight), scene.texture};
    scene.activeTexture = reinterpret_cast<PFNGLACTIVETEXTUREPROC>(
        hostkit::EglContext::ProcAddress("glActiveTexture"));
    return scene.texture != 0 && scene.activeTexture != nullptr;
}

// The plug-in's draw, as a host asks for it.
void PlugInDraw(const Scene& scene) { benchmark::DoNotOptimize(instance->ProcessFrame(scene.frame)); }

// The same calls, made by the benchmark itself.
void DirectDraw(const Scene& scene) {
    const ffgl::TextureRecord& input = scene.record;
    scene.activeTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, input.textureName);
    glEnable(GL_TEXTURE_2D);
    const double s = static_cast<double>(input.width) / static_cast<double>(input.hardwareWidth);
    const double t = static_cast<double>(input.height) / static_cast<double>(input.hardwareHeight);
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2d(0.0, t);
    glVertex2f(-1.0f, 1.0f);
    glTexCoord2d(s, t);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2d(s, 0.0);
    glVertex2f(1.0f, -1.0f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

using Draw = void (*)(const Scene&);

// A frame: the draw, then glFinish so that the rasterisation is in it.
void DrawFrame(Draw draw, const Scene& scene) {
    draw(scene);
    glFinish();
}

Scene& CurrentScene(const benchmark::State& state) {
    Scene& scene = scenes[static_cast<std::size_t>(state.range(0))];
    scene.context->MakeCurrent();
    return scene;
}

std::string SizeLabel(std::int64_t index) {
    const Size& size = kSizes[static_cast<std::size_t>(index)];
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void Frames(benchmark::State& state, Draw draw) {
    const Scene& scene = CurrentScene(state);
    DrawFrame(draw, scene);  // the first frame may allocate; it is not counted
    const std::uint64_t allocationsBefore = hostkit::HeapProbe::Allocations();
    for (auto _ : state) DrawFrame(draw, scene);
    const auto frames = static_cast<double>(state.iterations());
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["allocs/frame"] =
        static_cast<double>(hostkit::HeapProbe::Allocations() - allocationsBefore) / frames;
    state.SetLabel(SizeLabel(state.range(0)));
}

void PlugMain(benchmark::State& state) { Frames(state, PlugInDraw); }
void Direct(benchmark::State& state) { Frames(state, DirectDraw); }

// What one kind of frame took over the alternating run: seconds, and heap
// allocations on this thread made by its draw calls and by the driver's
// glFinish.
struct FrameTotals {
    double seconds = 0.0;
    std::uint64_t drawAllocations = 0;
    std::uint64_t finishAllocations = 0;
};

void TimeOneFrame(Draw draw, const Scene& scene, FrameTotals& totals) {
    const std::uint64_t beforeDraw = hostkit::HeapProbe::AllocationsOnThisThread();
    const auto start = std::chrono::steady_clock::now();
    draw(scene);
    const std::uint64_t afterDraw = hostkit::HeapProbe::AllocationsOnThisThread();
    glFinish();
    const auto end = std::chrono::steady_clock::now();
    totals.drawAllocations += afterDraw - beforeDraw;
    totals.finishAllocations += hostkit::HeapProbe::AllocationsOnThisThread() - afterDraw;
    totals.seconds += std::chrono::duration<double>(end - start).count();
}

// Pairs of frames, the plug-in's first in even pairs and the direct one
// first in odd pairs.
void Alternating(benchmark::State& state) {
    const Scene& scene = CurrentScene(state);
    DrawFrame(PlugInDraw, scene);
    DrawFrame(DirectDraw, scene);
    FrameTotals plugIn;
    FrameTotals direct;
    bool plugInFirst = true;
    for (auto _ : state) {
        if (plugInFirst) TimeOneFrame(PlugInDraw, scene, plugIn);
        TimeOneFrame(DirectDraw, scene, direct);
        if (!plugInFirst) TimeOneFrame(PlugInDraw, scene, plugIn);
        plugInFirst = !plugInFirst;
    }
    const auto pairs = static_cast<double>(state.iterations());
    state.counters["plugin_fps"] = pairs / plugIn.seconds;
    state.counters["direct_fps"] = pairs / direct.seconds;
    state.counters["fps_ratio"] = direct.seconds / plugIn.seconds;
    // The plug-in's own allocations: what its draw made beyond the same
    // calls made directly.
    state.counters["plugin_extra_allocs"] =
        (static_cast<double>(plugIn.drawAllocations) - static_cast<double>(direct.drawAllocations)) /
        pairs;
    state.counters["plugin_draw_allocs"] = static_cast<double>(plugIn.drawAllocations) / pairs;
    state.counters["direct_draw_allocs"] = static_cast<double>(direct.drawAllocations) / pairs;
    state.counters["plugin_finish_allocs"] = static_cast<double>(plugIn.finishAllocations) / pairs;
    state.counters["direct_finish_allocs"] = static_cast<double>(direct.finishAllocations) / pairs;
    state.SetLabel(SizeLabel(state.range(0)));
}

BENCHMARK(PlugMain)->Name("Frames/PlugMain")->DenseRange(0, std::size(kSizes) - 1)->UseRealTime();
BENCHMARK(Direct)->Name("Frames/Direct")->DenseRange(0, std::size(kSizes) - 1)->UseRealTime();
BENCHMARK(Alternating)->Name("Frames/Alternating")->DenseRange(0, std::size(kSizes) - 1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (std::size_t i = 0; i < std::size(kSizes); ++i) {
        if (!MakeScene(kSizes[i], scenes[i])) return 1;
    }
    std::string error;
    library = hostkit::PluginLibrary::Load(VARNELO4_PATH, &error);
    if (library == nullptr) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    instance = std::make_unique<hostkit::PluginInstance>(*library);
    if (!instance->Valid()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    instance.reset();
    library.reset();
    for (Scene& scene : scenes) scene.context.reset();
    return 0;
}
