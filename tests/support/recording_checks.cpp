#include "support/recording_checks.h"

#include <algorithm>
#include <sstream>

namespace cog {

bool operator==(const Material& a, const Material& b) {
  return a.diffuse == b.diffuse && a.ambient == b.ambient && a.specular == b.specular && a.emissive == b.emissive &&
         a.power == b.power;
}

bool operator==(const Light& a, const Light& b) {
  return a.type == b.type && a.diffuse == b.diffuse && a.specular == b.specular && a.ambient == b.ambient &&
         a.position == b.position && a.direction == b.direction && a.range == b.range && a.falloff == b.falloff &&
         a.attenuation0 == b.attenuation0 && a.attenuation1 == b.attenuation1 &&
         a.attenuation2 == b.attenuation2 && a.theta == b.theta && a.phi == b.phi;
}

bool sameCall(const RecordedCall& a, const RecordedCall& b) {
  if (a.kind != b.kind || a.a != b.a || a.b != b.b || a.c != b.c) return false;
  if (a.kind == CallKind::Clear && a.depth != b.depth) return false;
  if (a.payload.index() != b.payload.index()) return false;
  if (std::holds_alternative<Matrix4>(a.payload)) return a.matrix() == b.matrix();
  if (std::holds_alternative<Material>(a.payload)) return a.material() == b.material();
  if (std::holds_alternative<Light>(a.payload)) return a.light() == b.light();
  if (std::holds_alternative<Viewport>(a.payload)) return a.viewport() == b.viewport();
  return true;
}

::testing::AssertionResult callsEqual(const std::vector<RecordedCall>& actual,
                                      const std::vector<RecordedCall>& expected) {
  const size_t n = std::min(actual.size(), expected.size());
  size_t firstDiff = n;
  for (size_t i = 0; i < n; ++i)
    if (!sameCall(actual[i], expected[i])) {
      firstDiff = i;
      break;
    }
  if (firstDiff == n && actual.size() == expected.size()) return ::testing::AssertionSuccess();
  std::ostringstream out;
  out << "call lists differ at " << firstDiff << " (actual " << actual.size() << " calls, expected "
      << expected.size() << ")\n";
  const size_t from = firstDiff > 3 ? firstDiff - 3 : 0;
  const size_t to = std::min(std::max(actual.size(), expected.size()), firstDiff + 4);
  for (size_t i = from; i < to; ++i) {
    out << (i == firstDiff ? "> " : "  ") << i << "\n";
    out << "    actual:   " << (i < actual.size() ? describeCall(actual[i]) : std::string("(none)")) << "\n";
    out << "    expected: " << (i < expected.size() ? describeCall(expected[i]) : std::string("(none)")) << "\n";
  }
  return ::testing::AssertionFailure() << out.str();
}

std::vector<RecordedCall> onlyKinds(const std::vector<RecordedCall>& calls, std::initializer_list<CallKind> kinds) {
  std::vector<RecordedCall> out;
  for (const RecordedCall& c : calls)
    if (std::find(kinds.begin(), kinds.end(), c.kind) != kinds.end()) out.push_back(c);
  return out;
}

std::vector<RecordedCall> slice(const std::vector<RecordedCall>& calls, size_t first, size_t last) {
  last = std::min(last, calls.size());
  if (first >= last) return {};
  return std::vector<RecordedCall>(calls.begin() + static_cast<std::ptrdiff_t>(first),
                                   calls.begin() + static_cast<std::ptrdiff_t>(last));
}

size_t findCall(const std::vector<RecordedCall>& calls, const RecordedCall& call, size_t from) {
  for (size_t i = from; i < calls.size(); ++i)
    if (sameCall(calls[i], call)) return i;
  return SIZE_MAX;
}

size_t countKind(const std::vector<RecordedCall>& calls, CallKind kind) {
  return static_cast<size_t>(
      std::count_if(calls.begin(), calls.end(), [kind](const RecordedCall& c) { return c.kind == kind; }));
}

namespace expect_call {
namespace {
RecordedCall make(CallKind kind, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
  RecordedCall call;
  call.kind = kind;
  call.a = a;
  call.b = b;
  call.c = c;
  return call;
}
}  // namespace

RecordedCall clear(ClearFlags flags, uint32_t color, float z, uint32_t stencil) {
  RecordedCall call = make(CallKind::Clear, raw(flags), color, stencil);
  call.depth = z;
  return call;
}
RecordedCall beginScene() { return make(CallKind::BeginScene); }
RecordedCall endScene() { return make(CallKind::EndScene); }
RecordedCall present() { return make(CallKind::Present); }
RecordedCall renderState(RenderState state, uint32_t value) {
  return make(CallKind::SetRenderState, raw(state), value);
}
RecordedCall stageState(uint32_t stage, TextureStageState type, uint32_t value) {
  return make(CallKind::SetTextureStageState, stage, raw(type), value);
}
RecordedCall texture(uint32_t stage, uint32_t textureId) { return make(CallKind::SetTexture, stage, textureId); }
RecordedCall setTransform(TransformKind kind, const Matrix4& m) {
  RecordedCall call = make(CallKind::SetTransform, raw(kind));
  call.payload = m;
  return call;
}
RecordedCall getTransform(TransformKind kind, const Matrix4& m) {
  RecordedCall call = make(CallKind::GetTransform, raw(kind));
  call.payload = m;
  return call;
}
RecordedCall setLight(uint32_t index, const Light& light) {
  RecordedCall call = make(CallKind::SetLight, index);
  call.payload = light;
  return call;
}
RecordedCall lightEnable(uint32_t index, bool enable) { return make(CallKind::LightEnable, index, enable ? 1 : 0); }
RecordedCall material(const Material& m) {
  RecordedCall call = make(CallKind::SetMaterial);
  call.payload = m;
  return call;
}
RecordedCall streamSource(uint32_t stream, uint32_t bufferId, uint32_t stride) {
  return make(CallKind::SetStreamSource, stream, bufferId, stride);
}
RecordedCall vertexShader(uint32_t fvf) { return make(CallKind::SetVertexShader, fvf); }
RecordedCall drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t count) {
  return make(CallKind::DrawPrimitive, raw(type), startVertex, count);
}
RecordedCall setViewport(const Viewport& v) {
  RecordedCall call = make(CallKind::SetViewport);
  call.payload = v;
  return call;
}
RecordedCall getViewport(const Viewport& v) {
  RecordedCall call = make(CallKind::GetViewport);
  call.payload = v;
  return call;
}
}  // namespace expect_call

}  // namespace cog
