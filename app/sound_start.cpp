#include "app/sound_start.h"

#include <ostream>
#include <string>

#include "audio/al/al_engine.h"
#include "audio/rec/silent_engine.h"

namespace cog {

std::unique_ptr<AudioEngine> openWindowSound(const SoundOptions& options, SilentAudioEngine*& silent,
                                             std::ostream& err) {
  silent = nullptr;
  // A file the player named must be there, sound device or not.
  if (!options.soundFont.empty()) {
    const SoundFontChoice named = chooseSoundFont(options.soundFont);
    if (named.path.empty()) {
      err << "cogstorm: " << named.why << '\n';
      return nullptr;
    }
  }
  if (!options.mute) {
    Result<std::unique_ptr<AlAudioEngine>> engine = AlAudioEngine::open(chooseSoundFont(options.soundFont));
    if (engine) {
      const std::string& problem = engine.value()->musicProblem();
      if (!problem.empty()) err << "cogstorm: " << problem << '\n';
      if (!problem.empty() && !options.soundFont.empty()) return nullptr;
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
