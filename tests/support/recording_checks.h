#pragma once
// Helpers for asserting the calls a RecordingDevice saw: builders for the
// expected calls, comparison with readable failure messages, and filters.

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "render/rec/recording_device.h"

namespace cog {

bool operator==(const Material& a, const Material& b);
bool operator==(const Light& a, const Light& b);

// Same kind, same numeric arguments and, where the call has one, the same
// matrix, material, light or viewport (compared exactly).
bool sameCall(const RecordedCall& a, const RecordedCall& b);

// Equal call lists; on failure both lists are printed with the first
// difference marked.
::testing::AssertionResult callsEqual(const std::vector<RecordedCall>& actual,
                                      const std::vector<RecordedCall>& expected);

// The calls of the given kinds, in order.
std::vector<RecordedCall> onlyKinds(const std::vector<RecordedCall>& calls, std::initializer_list<CallKind> kinds);
// The calls from index `first` on, up to (not including) `last`.
std::vector<RecordedCall> slice(const std::vector<RecordedCall>& calls, size_t first, size_t last = SIZE_MAX);
// Index of the first call equal to `call` at or after `from`; SIZE_MAX if none.
size_t findCall(const std::vector<RecordedCall>& calls, const RecordedCall& call, size_t from = 0);
size_t countKind(const std::vector<RecordedCall>& calls, CallKind kind);

// Builders of expected calls.
namespace expect_call {
RecordedCall clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil);
RecordedCall beginScene();
RecordedCall endScene();
RecordedCall present();
RecordedCall renderState(RenderState state, uint32_t value);
inline RecordedCall renderState(RenderState s, Blend v) { return renderState(s, raw(v)); }
inline RecordedCall renderState(RenderState s, Cull v) { return renderState(s, raw(v)); }
inline RecordedCall renderState(RenderState s, Compare v) { return renderState(s, raw(v)); }
inline RecordedCall renderState(RenderState s, StencilOp v) { return renderState(s, raw(v)); }
RecordedCall stageState(uint32_t stage, TextureStageState type, uint32_t value);
inline RecordedCall stageState(uint32_t stage, TextureStageState t, TextureOp v) { return stageState(stage, t, raw(v)); }
inline RecordedCall stageState(uint32_t stage, TextureStageState t, TextureArg v) { return stageState(stage, t, raw(v)); }
RecordedCall texture(uint32_t stage, uint32_t textureId);  // 0: none
RecordedCall setTransform(TransformKind kind, const Matrix4& m);
RecordedCall getTransform(TransformKind kind, const Matrix4& m);
RecordedCall setLight(uint32_t index, const Light& light);
RecordedCall lightEnable(uint32_t index, bool enable);
RecordedCall material(const Material& m);
RecordedCall streamSource(uint32_t stream, uint32_t bufferId, uint32_t stride);
RecordedCall vertexShader(uint32_t fvf);
RecordedCall drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t count);
RecordedCall setViewport(const Viewport& v);
RecordedCall getViewport(const Viewport& v);
}  // namespace expect_call

}  // namespace cog
