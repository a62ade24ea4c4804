#pragma once
// The tracks of "Roadsong": the tempo track, then one track per part, each
// on its own MIDI channel with a General MIDI instrument.

#include "midi_file.h"
#include "rng.h"
#include "song_form.h"

namespace cog {

namespace mediagen {

// The conductor's track: name, metre, key, section markers, the tempo and
// its push into the last chorus.
MidiTrack tempoTrack(const SongForm& form);
// A rock kit on channel 10: a groove per section, fills into each new one.
MidiTrack drumTrack(const SongForm& form);
// Picked bass on the chord roots, with passing notes into each change.
MidiTrack bassTrack(const SongForm& form);
// Overdriven guitar: strummed triads in the verses, driving power chords in
// the choruses.
MidiTrack chordTrack(const SongForm& form);
// A saw lead: the hook in the intro and choruses, a made-up tune in the
// verses, long climbing notes in the bridge.
MidiTrack leadTrack(const SongForm& form);

// How a part's channel is set up at the start.
struct PartSetup {
  const char* name;
  int channel;  // 0..15; 9 is the drum channel
  int program;  // General MIDI instrument, 0..127
  int volume;   // controller 7
  int pan;      // controller 10, 64 = centre
  int reverb;   // controller 91
};
// A track named for the part with its channel set up.
MidiTrack startPart(const PartSetup& setup);
// `velocity` moved by up to `amount` either way, so repeated notes are not
// all struck alike.
int humanize(Rng& rng, int velocity, int amount);

}  // namespace mediagen

}  // namespace cog
