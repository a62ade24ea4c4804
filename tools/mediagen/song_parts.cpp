#include "song_parts.h"

namespace cog {

namespace mediagen {

MidiTrack tempoTrack(const SongForm& form) {
  MidiTrack track;
  track.name(0, "Roadsong");
  track.timeSignature(0, 4, 2);
  track.keySignature(0, form.keySharps, false);
  track.tempo(0, form.tempo);
  track.tempo(form.pushBar * kBar, form.pushTempo);
  for (const SectionMark& mark : form.sections) track.marker(mark.bar * kBar, mark.name);
  return track;
}

MidiTrack startPart(const PartSetup& setup) {
  MidiTrack track;
  track.name(0, setup.name);
  track.programChange(0, setup.channel, setup.program);
  track.controlChange(0, setup.channel, 7, setup.volume);
  track.controlChange(0, setup.channel, 10, setup.pan);
  track.controlChange(0, setup.channel, 91, setup.reverb);
  return track;
}

int humanize(Rng& rng, int velocity, int amount) { return velocity + rng.below(2 * amount + 1) - amount; }

}  // namespace mediagen

}  // namespace cog
