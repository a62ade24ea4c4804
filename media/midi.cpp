// The MIDI reader: the walk over every chunk and event, and the length and tempo map the engines play by.
#include "media/midi.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/file_bytes.h"

namespace cog {

namespace {

uint32_t be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

std::string chunkName(const uint8_t* p) {
  std::string s = "\"";
  for (int i = 0; i < 4; ++i) s += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
  return s + "\"";
}

std::string hexByte(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFFu);
  return buf;
}

bool readVarLen(const uint8_t* d, size_t end, size_t& pos, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= end) return false;
    const uint8_t b = d[pos++];
    value = (value << 7) | (b & 0x7Fu);
    if ((b & 0x80) == 0) return true;
  }
  return false;  // more than four bytes
}

using Visit = std::function<void(const MidiEvent&)>;

// One track, from `begin` to `end`; false with `what` at the first fault.
bool walkTrack(const uint8_t* d, size_t begin, size_t end, int number, const Visit& visit, std::string& what) {
  const std::string track = "track " + std::to_string(number);
  size_t pos = begin;
  int64_t time = 0;
  uint8_t running = 0;
  MidiEvent event;
  event.track = number;
  while (pos < end) {
    uint32_t delta = 0;
    if (!readVarLen(d, end, pos, delta)) {
      what = track + ": an event time is cut off or longer than four bytes";
      return false;
    }
    time += delta;
    if (time > std::numeric_limits<int32_t>::max()) {
      what = track + ": too long (past 2^31 pulses)";
      return false;
    }
    if (pos >= end) {
      what = track + ": ends inside an event";
      return false;
    }
    uint8_t status = d[pos];
    if (status & 0x80) {
      ++pos;
    } else {
      if (running == 0) {
        what = track + ": data byte " + hexByte(status) + " with no status before it";
        return false;
      }
      status = running;
    }
    event.pulses = time;
    event.status = status;
    event.metaType = 0;
    if (status == 0xFF) {
      // Running status does not carry over a meta or SysEx event.
      running = 0;
      if (pos >= end) {
        what = track + ": ends inside a meta event";
        return false;
      }
      const uint8_t type = d[pos++];
      if (type & 0x80) {
        what = track + ": meta event type " + hexByte(type) + " out of range";
        return false;
      }
      uint32_t length = 0;
      if (!readVarLen(d, end, pos, length) || length > end - pos) {
        what = track + ": meta event " + hexByte(type) + " runs past the end of the track";
        return false;
      }
      event.metaType = type;
      event.data = d + pos;
      event.size = length;
      pos += length;
      if (type == 0x2F) {
        if (pos != end) {
          what = track + ": " + std::to_string(end - pos) + " bytes after the end-of-track event";
          return false;
        }
      } else if (type == 0x51) {
        if (length != 3) {
          what = track + ": tempo event of " + std::to_string(length) + " bytes instead of 3";
          return false;
        }
        if (event.data[0] == 0 && event.data[1] == 0 && event.data[2] == 0) {
          what = track + ": tempo of zero microseconds per quarter note";
          return false;
        }
      } else if (type == 0x58 && length != 4) {
        what = track + ": time signature of " + std::to_string(length) + " bytes instead of 4";
        return false;
      }
      if (visit) visit(event);
      if (type == 0x2F) return true;
    } else if (status == 0xF7) {
      // FluidSynth's file player cannot take these either.
      what = track + ": escaped system exclusive event (0xF7), which is not supported";
      return false;
    } else if (status == 0xF0) {
      running = 0;
      uint32_t length = 0;
      if (!readVarLen(d, end, pos, length) || length > end - pos) {
        what = track + ": system exclusive event runs past the end of the track";
        return false;
      }
      event.data = d + pos;
      event.size = length;
      pos += length;
      if (visit) visit(event);
    } else if (status >= 0xF0) {
      what = track + ": unexpected status byte " + hexByte(status);
      return false;
    } else {
      running = status;
      const uint8_t kind = status & 0xF0;
      const size_t count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      event.data = d + pos;
      event.size = count;
      for (size_t i = 0; i < count; ++i) {
        if (pos >= end) {
          what = track + ": ends inside a channel event";
          return false;
        }
        if (d[pos] & 0x80) {
          what = track + ": channel event " + hexByte(status) + " is missing a data byte";
          return false;
        }
        ++pos;
      }
      if (visit) visit(event);
    }
  }
  what = track + ": no end-of-track event";
  return false;
}

// The header and every track; false with `what` at the first fault.
bool walkLayout(const std::vector<uint8_t>& bytes, MidiLayout& layout, const Visit& visit, std::string& what) {
  const uint8_t* d = bytes.data();
  const size_t size = bytes.size();
  if (size < 8 || std::memcmp(d, "MThd", 4) != 0) {
    what = "not a MIDI file (it does not start with \"MThd\")";
    return false;
  }
  const uint32_t headerLength = be32(d + 4);
  if (size < 14) {
    what = "cut off inside the MIDI header";
    return false;
  }
  if (headerLength != 6) {
    what = "MIDI header of " + std::to_string(headerLength) + " bytes instead of 6";
    return false;
  }
  const unsigned format = be16(d + 8);
  const unsigned tracks = be16(d + 10);
  const unsigned div = be16(d + 12);
  if (format > 1) {
    what = format == 2 ? "MIDI format 2 (independent patterns), which is not supported"
                       : "unknown MIDI file format " + std::to_string(format);
    return false;
  }
  if (tracks == 0) {
    what = "the MIDI header announces no tracks";
    return false;
  }
  if (format == 0 && tracks != 1) {
    what = "a format 0 MIDI file with " + std::to_string(tracks) + " tracks";
    return false;
  }
  if (div & 0x8000) {
    what = "SMPTE time division, which is not supported";
    return false;
  }
  if (div == 0) {
    what = "time division of zero pulses per quarter note";
    return false;
  }
  layout.format = static_cast<int>(format);
  layout.tracks = static_cast<int>(tracks);
  layout.pulsesPerQuarter = static_cast<int32_t>(div);

  // Chunks other than "MTrk" are skipped; whatever follows the last track
  // is left alone.
  size_t pos = 8 + headerLength;
  unsigned found = 0;
  while (found < tracks) {
    if (size - pos < 8) {
      what = "cut off: the header announces " + std::to_string(tracks) + " tracks, the file holds " +
             std::to_string(found);
      return false;
    }
    const uint32_t length = be32(d + pos + 4);
    const size_t available = size - pos - 8;
    if (length > available) {
      what = "cut off: chunk " + chunkName(d + pos) + " should hold " + std::to_string(length) +
             " bytes, the file has " + std::to_string(available) + " left";
      return false;
    }
    if (std::memcmp(d + pos, "MTrk", 4) == 0) {
      if (!walkTrack(d, pos + 8, pos + 8 + length, static_cast<int>(found) + 1, visit, what)) return false;
      ++found;
    }
    pos += 8 + length;
  }
  return true;
}

}  // namespace

Status walkMidi(const std::vector<uint8_t>& bytes, const std::string& name, MidiLayout& layout, const Visit& visit) {
  layout = MidiLayout();
  std::string what;
  if (!walkLayout(bytes, layout, visit, what)) return Status::failure(name + ": " + what);
  return okStatus();
}

Result<MidiInfo> decodeMidi(std::vector<uint8_t> bytes, const std::string& name) {
  if (bytes.size() > kMaxMidiFileBytes) return Status::failure(name + ": file is too large for a piece of music");

  // The length is the end of the longest track. The first tempo is the
  // earliest in time; of two at one time, the one of the lower track.
  int64_t lengthPulses = 0;
  int64_t firstTempoPulses = -1;
  int32_t firstTempo = 0;
  int firstTempoTrack = 0;
  std::vector<TempoChange> tempos;  // in the file's pulses
  MidiLayout layout;
  const Status walked = walkMidi(bytes, name, layout, [&](const MidiEvent& e) {
    if (e.status != 0xFF) return;
    if (e.metaType == 0x2F) lengthPulses = std::max(lengthPulses, e.pulses);
    if (e.metaType != 0x51) return;
    const int32_t tempo = static_cast<int32_t>((uint32_t{e.data[0]} << 16) | (uint32_t{e.data[1]} << 8) | e.data[2]);
    tempos.push_back({e.pulses, tempo});
    if (firstTempoPulses < 0 || e.pulses < firstTempoPulses ||
        (e.pulses == firstTempoPulses && e.track < firstTempoTrack)) {
      firstTempoPulses = e.pulses;
      firstTempo = tempo;
      firstTempoTrack = e.track;
    }
  });
  if (!walked) return walked;

  const int32_t division = layout.pulsesPerQuarter;
  const int64_t ticks = lengthPulses * kMusicTicksPerQuarter / division;
  if (ticks > std::numeric_limits<MusicTime>::max())
    return Status::failure(name + ": too long to play (" + std::to_string(ticks) + " music ticks)");
  MidiInfo out;
  out.bytes = std::move(bytes);
  out.pulsesPerQuarter = division;
  out.lengthPulses = lengthPulses;
  out.length = static_cast<MusicTime>(ticks);
  out.hasTempo = firstTempo > 0;
  out.microsecondsPerQuarter = firstTempo > 0 ? firstTempo : kDefaultMicrosecondsPerQuarter;
  for (TempoChange& c : tempos) c.tick = c.tick * kMusicTicksPerQuarter / division;
  out.tempos = std::make_shared<TempoMap>(std::move(tempos));
  return out;
}

Result<MidiInfo> readMidiFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!readFileBytes(path, kMaxMidiFileBytes, "a piece of music", bytes, error)) return Status::failure(error);
  return decodeMidi(std::move(bytes), path);
}

bool isMidiName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "mid" || ext == "midi";
}

}  // namespace cog
