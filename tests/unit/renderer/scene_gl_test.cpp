#include <gtest/gtest.h>

#include <cmath>

#include "gl_api.h"
#include "gl_recorder.h"
#include "scene.h"
#include "shell_state.h"

namespace {
// The scene keeps process-wide state, as the program does; every test sets it
// up afresh, so "first frame" means the first after this set-up.
class SceneGl : public ::testing::Test {
protected:
    void SetUp() override {
        clientWidth = 1024;
        clientHeight = 768;
        frameSeconds = 0.0f;
        ResetGlRecorder();
        ASSERT_TRUE(InitScene());
        initCalls = glCalls;
    }
    std::vector<GlCall> initCalls;

    static std::vector<GlCall> DrawOneFrame(float step) {
        frameSeconds = step;
        ResetGlRecorder();
        DrawScene();
        return glCalls;
    }
};

std::vector<std::string> Names(const std::vector<GlCall>& calls, std::size_t from, std::size_t count) {
    std::vector<std::string> names;
    for (std::size_t i = from; i < from + count && i < calls.size(); ++i) names.push_back(calls[i].name);
    return names;
}
}  // namespace

TEST_F(SceneGl, InitSetsProjectionCameraTextureAndAdditiveBlending) {
    const auto& c = initCalls;
    ASSERT_GE(c.size(), 8u);
    EXPECT_EQ(c[0].name, "Viewport");
    EXPECT_EQ(c[0].args, (std::vector<double>{0, 0, 1024, 768}));
    EXPECT_EQ(c[1].args, (std::vector<double>{GL_PROJECTION}));
    EXPECT_EQ(c[3].name, "Perspective");
    EXPECT_EQ(c[3].args, (std::vector<double>{55.0, 1024.0 / 768.0, 1.0, 20.0}));
    EXPECT_EQ(c[4].args, (std::vector<double>{GL_MODELVIEW}));
    EXPECT_EQ(c[6].name, "Translate");
    EXPECT_EQ(c[6].args, (std::vector<double>{0, 0, -3}));
    EXPECT_EQ(c[7].name, "ClearColor");
    // The hand-off file is absent here: the name is still made, bound and used.
    const std::size_t n = c.size();
    EXPECT_EQ(Names(c, n - 4, 4), (std::vector<std::string>{"BindTexture", "Enable", "BlendFunc", "Enable"}));
    EXPECT_EQ(c[n - 3].args, (std::vector<double>{GL_TEXTURE_2D}));
    EXPECT_EQ(c[n - 2].args, (std::vector<double>{GL_SRC_ALPHA, GL_ONE}));
    EXPECT_EQ(c[n - 1].args, (std::vector<double>{GL_BLEND}));
    for (const auto& call : c) EXPECT_NE(call.name, "Build2DMipmaps");
    EXPECT_STREQ(SceneTexture().Name(), kHandOffPath);
}

TEST_F(SceneGl, FirstFrameIsBlackAndRespawnsEveryRing) {
    const auto calls = DrawOneFrame(0.25f);
    int colours = 0;
    for (const auto& call : calls) {
        if (call.name != "Color") continue;
        ++colours;
        for (double channel : call.args) EXPECT_LE(channel, 0.0) << "clamped to black";
    }
    EXPECT_EQ(colours, kRingCount);
    for (int i = 0; i < kRingCount; ++i) EXPECT_EQ(SceneFlight().rings.scale[i], 0.0f);
}

TEST_F(SceneGl, FrameDrawsSixQuadsInTheRingCallOrderWithABalancedStack) {
    DrawOneFrame(0.25f);  // the black first frame respawns the rings
    const float spinY = SceneFlight().spinY;
    const float scale0 = SceneFlight().rings.scale[0];
    const float angle0 = SceneFlight().rings.angle[0];
    const auto calls = DrawOneFrame(0.5f);
    EXPECT_EQ(Names(calls, 0, 5), (std::vector<std::string>{"Clear", "PushMatrix", "Rotate", "Rotate", "Rotate"}));
    EXPECT_EQ(calls[0].args, (std::vector<double>{GL_COLOR_BUFFER_BIT}));
    EXPECT_EQ(calls[3].args, (std::vector<double>{spinY, 0, 1, 0})) << "spin from before the advance";
    EXPECT_EQ(calls.back().name, "PopMatrix");

    int depth = 0, quads = 0;
    for (const auto& call : calls) {
        if (call.name == "PushMatrix") ++depth;
        if (call.name == "PopMatrix") --depth;
        ASSERT_GE(depth, 0);
        if (call.name == "Begin") {
            ++quads;
            EXPECT_EQ(call.args[0], GL_QUADS);
        }
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(quads, kRingCount);

    const std::vector<std::string> ring = {"PushMatrix", "Scale",    "Rotate", "Rotate",   "Rotate",   "Color",
                                           "Begin",      "TexCoord", "Vertex", "TexCoord", "Vertex",   "TexCoord",
                                           "Vertex",     "TexCoord", "Vertex", "End",      "PopMatrix"};
    for (int i = 0; i < kRingCount; ++i) EXPECT_EQ(Names(calls, 5 + i * ring.size(), ring.size()), ring);
    EXPECT_EQ(calls[6].args, (std::vector<double>{scale0, scale0, scale0}));
    EXPECT_EQ(calls[7].args, (std::vector<double>{angle0, 1, 0, 0}));
    EXPECT_EQ(calls[9].args, (std::vector<double>{angle0, 0, 0, 1}));
    const std::vector<std::vector<double>> quad = {{0, 0}, {-1, -1, 0}, {1, 0}, {1, -1, 0},
                                                   {1, 1}, {1, 1, 0},   {0, 1}, {-1, 1, 0}};
    for (std::size_t v = 0; v < quad.size(); ++v) EXPECT_EQ(calls[12 + v].args, quad[v]);
    // Freshly spawned rings are at full brightness: the colour is the tint.
    EXPECT_FLOAT_EQ(float(calls[10].args[0]), SceneFlight().rings.red[0]);
}

TEST_F(SceneGl, ZeroStepDrawsTheSameFrameAgain) {
    DrawOneFrame(0.3f);
    const auto first = DrawOneFrame(0.0f);
    const auto second = DrawOneFrame(0.0f);
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].args, second[i].args) << first[i].name;
}

TEST_F(SceneGl, ResizeChangesTheViewportOnlyAndAZeroHeightBecomesOne) {
    ResetGlRecorder();
    ResizeViewport(640, 0);
    ASSERT_EQ(glCalls.size(), 1u);
    EXPECT_EQ(glCalls[0].args, (std::vector<double>{0, 0, 640, 1}));
}

TEST_F(SceneGl, AFittedProjectionFollowsTheNewShapeAndKeepsTheCamera) {
    clientWidth = 2560;
    clientHeight = 1080;
    ResetGlRecorder();
    FitProjection();
    EXPECT_EQ(GlCallNames(), (std::vector<std::string>{"MatrixMode", "LoadIdentity", "Perspective", "MatrixMode"}))
        << "the model-view matrix (the camera) is left alone";
    EXPECT_EQ(glCalls[2].args, (std::vector<double>{55.0, 2560.0 / 1080.0, 1.0, 20.0}));
    EXPECT_EQ(glCalls[3].args, (std::vector<double>{GL_MODELVIEW}));
}
