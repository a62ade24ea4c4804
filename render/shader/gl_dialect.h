#pragma once
// Which GL the shader device talks to, and how its functions are found.
// No GL here, so the device's users need no GL headers.

namespace cog {

enum class GlDialect { Gl33Core, Gles30 };

// Finds a GL function by name (the platform's SDL_GL_GetProcAddress).
using GlProcLoader = void* (*)(const char* name);

}  // namespace cog
