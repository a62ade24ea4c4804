// The shader device's one vertex and fragment source, its variants, and the program cache.
#include "render/shader/shader_programs.h"

#include <vector>

namespace cog {

namespace {

// Codes in a program key.
constexpr uint32_t kOpOff = 0, kOpSelect = 1, kOpModulate = 2;  // colour; alpha 0 passes "current" on
constexpr uint32_t kArgDiffuse = 0, kArgCurrent = 1, kArgTexture = 2;

uint32_t opCode(uint32_t d3dOp) {
  if (d3dOp == raw(TextureOp::Disable)) return kOpOff;
  if (d3dOp == raw(TextureOp::SelectArg1)) return kOpSelect;
  return kOpModulate;  // MODULATE, and what the game never sets
}

uint32_t argCode(uint32_t d3dArg) {
  switch (d3dArg & 0x0Fu) {  // the modifier bits are not used
    case raw(TextureArg::Diffuse): return kArgDiffuse;
    case raw(TextureArg::Texture): return kArgTexture;
    default: return kArgCurrent;
  }
}

// Per stage: colour op, arg1, arg2, alpha op, arg1, arg2; two bits each.
uint32_t stageBits(const uint32_t* ts) {
  const uint32_t colorOp = opCode(ts[raw(TextureStageState::ColorOp)]);
  if (colorOp == kOpOff) return 0;
  const uint32_t alphaOp = opCode(ts[raw(TextureStageState::AlphaOp)]);
  const uint32_t c1 = argCode(ts[raw(TextureStageState::ColorArg1)]);
  const uint32_t c2 = colorOp == kOpModulate ? argCode(ts[raw(TextureStageState::ColorArg2)]) : 0;
  const uint32_t a1 = alphaOp != kOpOff ? argCode(ts[raw(TextureStageState::AlphaArg1)]) : 0;
  const uint32_t a2 = alphaOp == kOpModulate ? argCode(ts[raw(TextureStageState::AlphaArg2)]) : 0;
  return colorOp | c1 << 2 | c2 << 4 | alphaOp << 6 | a1 << 8 | a2 << 10;
}

const char* const kVertexBody = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTex0;
layout(location = 3) in vec2 aTex1;
uniform mat4 uWorldView;
uniform mat4 uProjection;
out vec4 vDiffuse;
out vec2 vTex0;
out vec2 vTex1;
#if LIT
uniform vec4 uMatDiffuse;
uniform vec3 uMatAmbient;
uniform vec3 uMatEmissive;
uniform vec3 uGlobalAmbient;
uniform int uLightCount;
uniform vec4 uLightPos[8];      // view space; w: 0 directional (xyz towards the light), 1 point, 2 spot
uniform vec3 uLightDir[8];      // a spot's direction, view space
uniform vec3 uLightDiffuse[8];
uniform vec3 uLightAmbient[8];
uniform vec4 uLightAtten[8];    // attenuation 0, 1, 2 and range
uniform vec3 uLightSpot[8];     // cos(theta / 2), cos(phi / 2), falloff
#endif
void main() {
  vec4 viewPos = uWorldView * vec4(aPosition, 1.0);
  vec4 clip = uProjection * viewPos;
  // Direct3D's depth is 0..w; GL's clip space wants -w..w. The depth range
  // (the viewport's MinZ..MaxZ) then maps it as Direct3D does.
  clip.z = 2.0 * clip.z - clip.w;
  gl_Position = clip;
  vTex0 = aTex0;
  vTex1 = aTex1;
#if LIT
  // Direct3D 8's vertex lighting: emissive, material ambient times the
  // global and the lights' ambient, material diffuse times N.L, each light
  // attenuated (and nothing beyond its range); alpha from the material.
  vec3 n = mat3(uWorldView) * aNormal;
  vec3 ambient = vec3(0.0);
  vec3 diffuse = vec3(0.0);
  for (int i = 0; i < uLightCount; ++i) {
    vec3 toLight = uLightPos[i].xyz;
    float atten = 1.0;
    if (uLightPos[i].w != 0.0) {
      vec3 d = uLightPos[i].xyz - viewPos.xyz;
      float dist = length(d);
      if (dist > uLightAtten[i].w) continue;
      toLight = dist > 0.0 ? d / dist : vec3(0.0);
      atten = 1.0 / (uLightAtten[i].x + uLightAtten[i].y * dist + uLightAtten[i].z * dist * dist);
      if (uLightPos[i].w == 2.0) {
        float rho = dot(normalize(uLightDir[i]), -toLight);
        if (rho <= uLightSpot[i].y) continue;
        if (rho <= uLightSpot[i].x)
          atten *= pow((rho - uLightSpot[i].y) / (uLightSpot[i].x - uLightSpot[i].y), uLightSpot[i].z);
      }
    }
    ambient += atten * uLightAmbient[i];
    diffuse += atten * max(dot(n, toLight), 0.0) * uLightDiffuse[i];
  }
  vec3 c = uMatEmissive + uMatAmbient * (uGlobalAmbient + ambient) + uMatDiffuse.rgb * diffuse;
  vDiffuse = clamp(vec4(c, uMatDiffuse.a), 0.0, 1.0);
#else
  vDiffuse = vec4(1.0);
#endif
}
)";

const char* const kFragmentBody = R"(
uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
in vec4 vDiffuse;
in vec2 vTex0;
in vec2 vTex1;
out vec4 fragColor;
// A stage argument: 0 the diffuse, 1 the current colour, 2 the texture.
vec4 arg(int which, vec4 current, vec4 tex) {
  return which == 0 ? vDiffuse : (which == 1 ? current : tex);
}
// One texture stage: colour 1 select / 2 modulate; alpha 0 passes the
// current alpha on, 1 select, 2 modulate.
vec4 runStage(int cop, int ca1, int ca2, int aop, int aa1, int aa2, vec4 current, vec4 tex) {
  vec3 rgb = arg(ca1, current, tex).rgb;
  if (cop == 2) rgb *= arg(ca2, current, tex).rgb;
  float a = current.a;
  if (aop != 0) a = arg(aa1, current, tex).a;
  if (aop == 2) a *= arg(aa2, current, tex).a;
  return vec4(rgb, a);
}
void main() {
  vec4 current = vDiffuse;  // stage 0's "current" is the diffuse
#if S0_COP != 0
  current = runStage(S0_COP, S0_CA1, S0_CA2, S0_AOP, S0_AA1, S0_AA2, current, texture(uTexture0, vTex0));
#if S1_COP != 0
  current = runStage(S1_COP, S1_CA1, S1_CA2, S1_AOP, S1_AA1, S1_AA2, current, texture(uTexture1, vTex1));
#endif
#endif
  fragColor = current;
}
)";

GLuint compileShader(GLenum type, const std::string& source, std::string& error) {
  const GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1), '\0');
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), nullptr, log.data());
    error = std::string(type == GL_VERTEX_SHADER ? "vertex" : "fragment") + " shader: " + log.data();
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

uint32_t programKeyOf(bool lit, const uint32_t stageState[kStages][kStageStates]) {
  uint32_t key = lit ? 1u : 0u;
  for (uint32_t s = 0; s < kStages; ++s) {
    const uint32_t bits = stageBits(stageState[s]);
    if (bits == 0) break;  // a disabled colour operation ends the chain
    key |= bits << (1 + 12 * s);
  }
  return key;
}

ProgramCache::~ProgramCache() {
  for (auto& [key, p] : programs_) glDeleteProgram(p.program);
}

std::string ProgramCache::header(uint32_t key) const {
  std::string h = dialect_ == GlDialect::Gles30 ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                                                : "#version 330 core\n";
  h += "#define LIT " + std::to_string(key & 1u) + "\n";
  static const char* const kNames[6] = {"COP", "CA1", "CA2", "AOP", "AA1", "AA2"};
  for (uint32_t s = 0; s < kStages; ++s)
    for (uint32_t f = 0; f < 6; ++f)
      h += "#define S" + std::to_string(s) + "_" + kNames[f] + " " +
           std::to_string((key >> (1 + 12 * s + 2 * f)) & 3u) + "\n";
  return h;
}

std::string ProgramCache::vertexSource(uint32_t key) const { return header(key) + kVertexBody; }
std::string ProgramCache::fragmentSource(uint32_t key) const { return header(key) + kFragmentBody; }

ShaderProgram* ProgramCache::get(uint32_t key, std::string& error) {
  if (auto found = programs_.find(key); found != programs_.end()) return &found->second;
  const GLuint vs = compileShader(GL_VERTEX_SHADER, vertexSource(key), error);
  if (vs == 0) return nullptr;
  const GLuint fs = compileShader(GL_FRAGMENT_SHADER, fragmentSource(key), error);
  if (fs == 0) {
    glDeleteShader(vs);
    return nullptr;
  }
  ShaderProgram p;
  p.program = glCreateProgram();
  glAttachShader(p.program, vs);
  glAttachShader(p.program, fs);
  glLinkProgram(p.program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(p.program, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(p.program, sizeof log, nullptr, log);
    error = std::string("shader program: ") + log;
    glDeleteProgram(p.program);
    return nullptr;
  }
  p.lit = (key & 1u) != 0;
  const auto at = [&p](const char* name) { return glGetUniformLocation(p.program, name); };
  p.worldView = at("uWorldView");
  p.projection = at("uProjection");
  p.matDiffuse = at("uMatDiffuse");
  p.matAmbient = at("uMatAmbient");
  p.matEmissive = at("uMatEmissive");
  p.globalAmbient = at("uGlobalAmbient");
  p.lightCount = at("uLightCount");
  p.lightPos = at("uLightPos");
  p.lightDir = at("uLightDir");
  p.lightDiffuse = at("uLightDiffuse");
  p.lightAmbient = at("uLightAmbient");
  p.lightAtten = at("uLightAtten");
  p.lightSpot = at("uLightSpot");
  // The samplers read units 0 and 1 for good.
  glUseProgram(p.program);
  glUniform1i(at("uTexture0"), 0);
  glUniform1i(at("uTexture1"), 1);
  ++compiled_;
  return &programs_.emplace(key, p).first->second;
}

}  // namespace cog
