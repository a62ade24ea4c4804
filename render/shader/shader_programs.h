#pragma once
// The shader device's programs: one vertex and one fragment source for GL
// 3.3 core, OpenGL ES 3.0 and WebGL 2 (a version header per dialect), and
// the variants the texture-stage and lighting states select, each compiled
// once and cached with its uniform locations.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "render/gpu/d3d_state.h"
#include "render/shader/gl_api.h"

namespace cog {

constexpr int kShaderLights = 8;

// What selects a variant: lighting on or off and, per active stage, its
// colour and alpha operations and arguments (DISABLE / SELECTARG1 /
// MODULATE over DIFFUSE / CURRENT / TEXTURE, as the game uses them).
uint32_t programKeyOf(bool lit, const uint32_t stageState[kStages][kStageStates]);

// Uniforms a program is given, as groups; each group has a version in the
// device, and a program uploads a group only when its version moved on.
enum UniformGroup { kTransformGroup, kLightGroup, kMaterialGroup, kGroupCount };

struct ShaderProgram {
  GLuint program = 0;
  bool lit = false;
  uint64_t uploaded[kGroupCount] = {};  // 0: never
  GLint worldView = -1, projection = -1;
  GLint matDiffuse = -1, matAmbient = -1, matEmissive = -1, globalAmbient = -1;
  GLint lightCount = -1, lightPos = -1, lightDir = -1, lightDiffuse = -1, lightAmbient = -1, lightAtten = -1,
        lightSpot = -1;
};

class ProgramCache {
 public:
  explicit ProgramCache(GlDialect dialect) : dialect_(dialect) {}
  ~ProgramCache();
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // The program for `key`, compiled on first use; null (with `error`) when
  // the GL would not compile or link it.
  ShaderProgram* get(uint32_t key, std::string& error);
  uint64_t compiled() const { return compiled_; }

  // The sources of a variant, for tests and diagnostics.
  std::string vertexSource(uint32_t key) const;
  std::string fragmentSource(uint32_t key) const;

 private:
  std::string header(uint32_t key) const;
  GlDialect dialect_;
  std::unordered_map<uint32_t, ShaderProgram> programs_;
  uint64_t compiled_ = 0;
};

}  // namespace cog
