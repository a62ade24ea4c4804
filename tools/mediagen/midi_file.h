#pragma once
// Standard MIDI File writing: tracks of timed events, encoded as the bytes
// of a format 1 file. Times are in pulses from the start of the piece.

#include <cstdint>
#include <string>
#include <vector>

namespace cog {

namespace mediagen {

// A variable-length quantity: seven bits a byte, most significant first.
std::vector<uint8_t> variableLength(uint32_t value);

class MidiTrack {
 public:
  // Names the track (sequence name meta event) at `time`.
  void name(int64_t time, const std::string& text);
  // Marks a place in the piece, e.g. where a section starts.
  void marker(int64_t time, const std::string& text);
  // Sets the tempo from `time` on.
  void tempo(int64_t time, int32_t microsecondsPerQuarter);
  // Sets the metre, e.g. 4 and 2 for 4/4 (the denominator as a power of two).
  void timeSignature(int64_t time, int numerator, int denominatorPower);
  // Sets the key: sharps (negative for flats) and major or minor.
  void keySignature(int64_t time, int sharps, bool minor);
  // Chooses a General MIDI instrument (0..127) for a channel (0..15).
  void programChange(int64_t time, int channel, int program);
  // Sets a controller (volume 7, pan 10, reverb 91 ...) on a channel.
  void controlChange(int64_t time, int channel, int controller, int value);
  // Plays a note: note-on at `time`, note-off `length` pulses later.
  void note(int64_t time, int64_t length, int channel, int key, int velocity);

  // The track chunk ("MTrk"): every event in time order, then the
  // end-of-track event at `endTime` (or at the last event, if later).
  std::vector<uint8_t> chunk(int64_t endTime) const;

 private:
  // At one time, meta events go first, then controls, then note-offs, then
  // note-ons, so a repeated note is released before it is struck again.
  enum Rank { kMeta = 0, kControl = 1, kNoteOff = 2, kNoteOn = 3 };
  struct Event {
    int64_t time = 0;
    Rank rank = kMeta;
    std::vector<uint8_t> bytes;
  };
  void add(int64_t time, Rank rank, std::vector<uint8_t> bytes);
  void meta(int64_t time, uint8_t type, const std::vector<uint8_t>& data);

  std::vector<Event> events_;
};

// A format 1 file: the header chunk with `division` pulses per quarter
// note, then each track's chunk, all ending at `endTime`.
std::vector<uint8_t> midiFile(int division, const std::vector<MidiTrack>& tracks, int64_t endTime);

}  // namespace mediagen

}  // namespace cog
