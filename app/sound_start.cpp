#include "app/sound_start.h"

#include <ostream>
#include <string>

#include "audio/al/al_engine.h"
#include "audio/rec/silent_engine.h"

namespace cog {

std::unique_ptr<AudioEngine> openWindowSound(const SoundOptions& options, SilentAudioEngine*& silent,
                                             std::ostream& err) {
  silent = nullptr;
  if (!options.mute) {
    Result<std::unique_ptr<AlAudioEngine>> engine = AlAudioEngine::open(chooseSoundFont(options.soundFont));
    if (engine) {
      if (!engine.value()->musicProblem().empty()) err << "cogstorm: " << engine.value()->musicProblem() << '\n';
      return std::move(engine.value());
    }
    // A machine without a sound device still plays, silently.
    err << "cogstorm: " << engine.message() << "; playing without sound\n";
  }
  auto quiet = std::make_unique<SilentAudioEngine>();
  quiet->setRecording(false);
  silent = quiet.get();
  return quiet;
}

}  // namespace cog
