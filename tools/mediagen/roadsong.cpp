#include "roadsong.h"

#include "song_parts.h"

namespace cog {

namespace mediagen {

std::vector<uint8_t> roadsongMidi() {
  const SongForm form = roadsongForm();
  const std::vector<MidiTrack> tracks{tempoTrack(form), drumTrack(form), bassTrack(form), chordTrack(form),
                                      leadTrack(form)};
  return midiFile(kDivision, tracks, form.length());
}

}  // namespace mediagen

}  // namespace cog
