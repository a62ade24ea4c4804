#include "audio/al/library_chatter.h"

#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace cog {

namespace {

// ALSA's error handler type (alsa/error.h), declared here so the game needs
// neither ALSA's headers nor ALSA itself: OpenAL Soft loads it at run time.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err, const char* fmt, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler);

void dropAlsaError(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void quietSoundLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    // OpenAL Soft reads its log level when it first sets itself up.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    // The same libasound OpenAL Soft will load; the handle stays open so the
    // handler stays set.
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
      if (auto set = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(dropAlsaError);
    }
  });
}

}  // namespace cog
