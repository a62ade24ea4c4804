#pragma once
// The sound libraries print their own errors to the terminal (ALSA's long
// list when there is no sound card, OpenAL Soft's "(EE)" lines). The game
// says what matters in its own words instead, so these are routed away.

namespace cog {

// Silences ALSA's error printing and OpenAL Soft's log (unless the user set
// ALSOFT_LOGLEVEL). Call before the first OpenAL call; safe to call again.
void quietSoundLibraries();

}  // namespace cog
