#include "midi_file.h"

#include <algorithm>

namespace cog {

namespace mediagen {

namespace {

uint8_t dataByte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 127)); }
uint8_t statusByte(uint8_t kind, int channel) { return static_cast<uint8_t>(kind | (channel & 0x0F)); }

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void appendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
  appendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
  out.insert(out.end(), body.begin(), body.end());
}

}  // namespace

std::vector<uint8_t> variableLength(uint32_t value) {
  std::vector<uint8_t> out{static_cast<uint8_t>(value & 0x7F)};
  for (value >>= 7; value != 0; value >>= 7) out.push_back(static_cast<uint8_t>(0x80 | (value & 0x7F)));
  std::reverse(out.begin(), out.end());
  return out;
}

void MidiTrack::add(int64_t time, Rank rank, std::vector<uint8_t> bytes) {
  events_.push_back(Event{std::max<int64_t>(time, 0), rank, std::move(bytes)});
}

void MidiTrack::meta(int64_t time, uint8_t type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes{0xFF, type};
  const std::vector<uint8_t> length = variableLength(static_cast<uint32_t>(data.size()));
  bytes.insert(bytes.end(), length.begin(), length.end());
  bytes.insert(bytes.end(), data.begin(), data.end());
  add(time, kMeta, std::move(bytes));
}

void MidiTrack::name(int64_t time, const std::string& text) { meta(time, 0x03, {text.begin(), text.end()}); }

void MidiTrack::marker(int64_t time, const std::string& text) { meta(time, 0x06, {text.begin(), text.end()}); }

void MidiTrack::tempo(int64_t time, int32_t microsecondsPerQuarter) {
  std::vector<uint8_t> data;
  appendBigEndian(data, static_cast<uint32_t>(microsecondsPerQuarter), 3);
  meta(time, 0x51, data);
}

void MidiTrack::timeSignature(int64_t time, int numerator, int denominatorPower) {
  // 24 MIDI clocks per metronome click, eight 32nd notes per quarter.
  meta(time, 0x58, {dataByte(numerator), dataByte(denominatorPower), 24, 8});
}

void MidiTrack::keySignature(int64_t time, int sharps, bool minor) {
  meta(time, 0x59, {static_cast<uint8_t>(static_cast<int8_t>(sharps)), static_cast<uint8_t>(minor ? 1 : 0)});
}

void MidiTrack::programChange(int64_t time, int channel, int program) {
  add(time, kControl, {statusByte(0xC0, channel), dataByte(program)});
}

void MidiTrack::controlChange(int64_t time, int channel, int controller, int value) {
  add(time, kControl, {statusByte(0xB0, channel), dataByte(controller), dataByte(value)});
}

void MidiTrack::note(int64_t time, int64_t length, int channel, int key, int velocity) {
  add(time, kNoteOn, {statusByte(0x90, channel), dataByte(key), static_cast<uint8_t>(std::clamp(velocity, 1, 127))});
  add(time + std::max<int64_t>(length, 1), kNoteOff, {statusByte(0x80, channel), dataByte(key), 64});
}

std::vector<uint8_t> MidiTrack::chunk(int64_t endTime) const {
  std::vector<Event> sorted = events_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
    return a.time != b.time ? a.time < b.time : a.rank < b.rank;
  });
  std::vector<uint8_t> body;
  int64_t now = 0;
  auto append = [&](int64_t time, const std::vector<uint8_t>& bytes) {
    const std::vector<uint8_t> delta = variableLength(static_cast<uint32_t>(time - now));
    body.insert(body.end(), delta.begin(), delta.end());
    body.insert(body.end(), bytes.begin(), bytes.end());
    now = time;
  };
  for (const Event& e : sorted) append(e.time, e.bytes);
  append(std::max(endTime, now), {0xFF, 0x2F, 0x00});
  std::vector<uint8_t> out;
  appendChunk(out, "MTrk", body);
  return out;
}

std::vector<uint8_t> midiFile(int division, const std::vector<MidiTrack>& tracks, int64_t endTime) {
  std::vector<uint8_t> header;
  appendBigEndian(header, 1, 2);  // format 1: tracks played together
  appendBigEndian(header, static_cast<uint32_t>(tracks.size()), 2);
  appendBigEndian(header, static_cast<uint32_t>(division), 2);
  std::vector<uint8_t> out;
  appendChunk(out, "MThd", header);
  for (const MidiTrack& track : tracks) {
    const std::vector<uint8_t> chunk = track.chunk(endTime);
    out.insert(out.end(), chunk.begin(), chunk.end());
  }
  return out;
}

}  // namespace mediagen

}  // namespace cog
