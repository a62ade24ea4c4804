#pragma once
// Standard MIDI files: one reader walks every chunk and event, checking as
// it goes, for the music's length and tempo map and for anything else that
// wants the events (the media generator's tests). Every engine loads music
// through it, so a broken file fails the same way in each.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/status.h"
#include "media/tempo_map.h"
#include "seams/audio_engine.h"

namespace cog {

constexpr size_t kMaxMidiFileBytes = size_t{1} << 20;

// The header of a MIDI file.
struct MidiLayout {
  int format = 0;              // 0 or 1
  int tracks = 0;              // "MTrk" chunks announced and found
  int32_t pulsesPerQuarter = 0;
};

// One event as the reader meets it, track by track in file order.
struct MidiEvent {
  int track = 0;          // from 1
  int64_t pulses = 0;     // from the start of the piece, in the file's pulses
  uint8_t status = 0;     // a channel status (running status resolved), 0xF0 for SysEx or 0xFF for a meta event
  uint8_t metaType = 0;   // meta events only
  const uint8_t* data = nullptr;  // the data bytes: one or two of a channel event, the body of SysEx and meta events
  size_t size = 0;
};

// Walks every event of every track of `bytes`, calling `visit` for each
// (the end of each track included) when `visit` is set. A failure names
// `name` and what was wrong; events before it have been visited.
Status walkMidi(const std::vector<uint8_t>& bytes, const std::string& name, MidiLayout& layout,
                const std::function<void(const MidiEvent&)>& visit);

struct MidiInfo {
  std::vector<uint8_t> bytes;          // the whole file, checked
  int32_t pulsesPerQuarter = 0;        // the file's own division
  int64_t lengthPulses = 0;            // in the file's pulses, end of the longest track
  MusicTime length = 0;                // in music ticks, 768 per quarter note
  int32_t microsecondsPerQuarter = kDefaultMicrosecondsPerQuarter;  // first tempo event
  bool hasTempo = false;
  std::shared_ptr<const TempoMap> tempos = std::make_shared<TempoMap>();  // every tempo event of every track
};

// Checks a standard MIDI file (header, chunk sizes, every event of every
// track) and reads its length, first tempo and tempo map. `name` is the
// file name the messages use.
Result<MidiInfo> decodeMidi(std::vector<uint8_t> bytes, const std::string& name);
// The same, from a file.
Result<MidiInfo> readMidiFile(const std::string& path);

// A file named .mid or .midi (any case) is music; anything else a sound.
bool isMidiName(const std::string& name);

}  // namespace cog
