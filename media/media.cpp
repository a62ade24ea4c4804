#include "media/media.h"

#include "platform/file_bytes.h"

// smf.h includes glib.h inside extern "C", which only works when GLib's
// C++ parts have been seen first.
#include <glib.h>
#include <smf.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

namespace cog {

namespace {

// ---------------------------------------------------------------------------
// Byte order

uint32_t be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t le32(const uint8_t* p) {
  return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

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

// ---------------------------------------------------------------------------
// MIDI: our own walk over every chunk and event comes first, because libsmf
// trusts the sizes it reads and stops the process on a file cut short.

struct TrackWalk {
  int64_t endPulses = 0;
  int64_t tempoPulses = -1;  // time of the track's first tempo event, -1: none
  int32_t tempo = 0;
  std::vector<TempoChange>* tempos = nullptr;  // every tempo event, in pulses, appended
};

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

bool walkTrack(const uint8_t* d, size_t begin, size_t end, int number, TrackWalk& walk, std::string& what) {
  const std::string track = "track " + std::to_string(number);
  size_t pos = begin;
  int64_t time = 0;
  uint8_t running = 0;
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
    if (status == 0xFF) {
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
      if (length > 127) {
        // libsmf reads a meta event's length as one byte, loses its place
        // in the track and can stop the process.
        what = track + ": meta event " + hexByte(type) + " of " + std::to_string(length) +
               " bytes; at most 127 are supported";
        return false;
      }
      const uint8_t* data = d + pos;
      pos += length;
      if (type == 0x2F) {
        if (pos != end) {
          what = track + ": " + std::to_string(end - pos) + " bytes after the end-of-track event";
          return false;
        }
        walk.endPulses = time;
        return true;
      }
      if (type == 0x51) {
        if (length != 3) {
          what = track + ": tempo event of " + std::to_string(length) + " bytes instead of 3";
          return false;
        }
        const int32_t tempo = static_cast<int32_t>((uint32_t{data[0]} << 16) | (uint32_t{data[1]} << 8) | data[2]);
        if (tempo == 0) {
          what = track + ": tempo of zero microseconds per quarter note";
          return false;
        }
        if (walk.tempoPulses < 0) {
          walk.tempoPulses = time;
          walk.tempo = tempo;
        }
        walk.tempos->push_back({time, tempo});
      } else if (type == 0x58 && length != 4) {
        what = track + ": time signature of " + std::to_string(length) + " bytes instead of 4";
        return false;
      }
    } else if (status == 0xF7) {
      // libsmf stops the process on these.
      what = track + ": escaped system exclusive event (0xF7), which is not supported";
      return false;
    } else if (status == 0xF0) {
      running = 0;
      uint32_t length = 0;
      if (!readVarLen(d, end, pos, length) || length > end - pos) {
        what = track + ": system exclusive event runs past the end of the track";
        return false;
      }
      pos += length;
    } else if (status >= 0xF0) {
      what = track + ": unexpected status byte " + hexByte(status);
      return false;
    } else {
      running = status;
      const uint8_t kind = status & 0xF0;
      const size_t count = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
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
    }
  }
  what = track + ": no end-of-track event";
  return false;
}

bool checkMidiLayout(const std::vector<uint8_t>& bytes, int32_t& division, std::vector<TempoChange>& tempos,
                     std::string& what) {
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
  division = static_cast<int32_t>(div);

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
      TrackWalk walk;
      walk.tempos = &tempos;
      if (!walkTrack(d, pos + 8, pos + 8 + length, static_cast<int>(found) + 1, walk, what)) return false;
      ++found;
    }
    pos += 8 + length;
  }
  return true;
}

struct SmfLogCapture {
  std::string last;
};

void captureSmfLog(const gchar*, GLogLevelFlags level, const gchar* message, gpointer data) {
  if ((level & (G_LOG_LEVEL_ERROR | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING)) && message != nullptr)
    static_cast<SmfLogCapture*>(data)->last = message;
}

struct SmfDeleter {
  void operator()(smf_t* smf) const {
    if (smf) smf_delete(smf);
  }
};

// ---------------------------------------------------------------------------
// WAV

struct MemoryFile {
  const uint8_t* data;
  sf_count_t size;
  sf_count_t pos;
};

sf_count_t memLength(void* user) { return static_cast<MemoryFile*>(user)->size; }
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  if (whence == SEEK_END) base = f->size;
  if (offset < -base) return -1;
  const sf_count_t to = base + offset;
  f->pos = std::min(to, f->size);
  return f->pos;
}
sf_count_t memRead(void* ptr, sf_count_t count, void* user) {
  auto* f = static_cast<MemoryFile*>(user);
  if (count <= 0) return 0;
  const sf_count_t n = std::min(count, f->size - f->pos);
  std::memcpy(ptr, f->data + f->pos, static_cast<size_t>(n));
  f->pos += n;
  return n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t memTell(void* user) { return static_cast<MemoryFile*>(user)->pos; }

// Finds a chunk, before the sound data, that is longer than what is left of
// the file: the mark of a WAV file cut short. libsndfile would quietly play
// what is left.
bool checkWaveLayout(const uint8_t* d, size_t size, std::string& what) {
  if (size == 0) {
    what = "empty file";
    return false;
  }
  const bool little = size >= 12 && std::memcmp(d, "RIFF", 4) == 0;
  const bool big = size >= 12 && std::memcmp(d, "RIFX", 4) == 0;
  if ((!little && !big) || std::memcmp(d + 8, "WAVE", 4) != 0) {
    what = "not a WAV file (it does not start with \"RIFF\" and \"WAVE\")";
    return false;
  }
  size_t pos = 12;
  while (size - pos >= 8) {
    const uint32_t length = little ? le32(d + pos + 4) : be32(d + pos + 4);
    const size_t available = size - pos - 8;
    const bool data = std::memcmp(d + pos, "data", 4) == 0;
    // A data size of 0 or 0xFFFFFFFF is left open by streaming writers.
    if (data && (length == 0 || length == 0xFFFFFFFFu)) return true;
    if (length > available) {
      what = data ? "cut off: its sound data should be " + std::to_string(length) + " bytes, the file holds " +
                        std::to_string(available)
                  : "cut off: chunk " + chunkName(d + pos) + " should hold " + std::to_string(length) +
                        " bytes, the file has " + std::to_string(available) + " left";
      return false;
    }
    if (data) return true;
    pos += 8 + length;
    if (length & 1u) {
      if (pos >= size) break;
      ++pos;
    }
  }
  what = "no sound data (no \"data\" chunk)";
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------

bool decodeMidi(std::vector<uint8_t> bytes, const std::string& name, MidiInfo& out, std::string& error) {
  out = MidiInfo();
  std::string what;
  int32_t division = 0;
  std::vector<TempoChange> tempos;  // in the file's pulses
  if (bytes.size() > kMaxMidiFileBytes) {
    error = name + ": file is too large for a piece of music";
    return false;
  }
  if (!checkMidiLayout(bytes, division, tempos, what)) {
    error = name + ": " + what;
    return false;
  }

  // libsmf reports through GLib's log; keep its words for our message
  // instead of letting it print.
  SmfLogCapture log;
  const guint handler = g_log_set_handler(
      "libsmf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
      captureSmfLog, &log);
  std::unique_ptr<smf_t, SmfDeleter> smf(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
  int64_t lengthPulses = 0;
  int32_t tempo = 0;
  if (smf) {
    lengthPulses = smf_get_length_pulses(smf.get());
    smf_rewind(smf.get());
    while (smf_event_t* event = smf_get_next_event(smf.get())) {
      const unsigned char* b = event->midi_buffer;
      if (smf_event_is_metadata(event) && event->midi_buffer_length >= 6 && b[1] == 0x51 && b[2] == 3) {
        tempo = static_cast<int32_t>((uint32_t{b[3]} << 16) | (uint32_t{b[4]} << 8) | b[5]);
        break;
      }
    }
  }
  g_log_remove_handler("libsmf", handler);
  if (!smf) {
    error = name + ": cannot be read as MIDI (" + (log.last.empty() ? "libsmf gave no reason" : log.last) + ")";
    return false;
  }
  if (smf->ppqn != division || lengthPulses < 0) {
    error = name + ": cannot be read as MIDI (libsmf disagrees on its timing)";
    return false;
  }
  const int64_t ticks = lengthPulses * kMusicTicksPerQuarter / division;
  if (ticks > std::numeric_limits<MusicTime>::max()) {
    error = name + ": too long to play (" + std::to_string(ticks) + " music ticks)";
    return false;
  }
  out.bytes = std::move(bytes);
  out.pulsesPerQuarter = division;
  out.lengthPulses = lengthPulses;
  out.length = static_cast<MusicTime>(ticks);
  out.hasTempo = tempo > 0;
  out.microsecondsPerQuarter = tempo > 0 ? tempo : kDefaultMicrosecondsPerQuarter;
  for (TempoChange& c : tempos) c.tick = c.tick * kMusicTicksPerQuarter / division;
  out.tempos = std::make_shared<TempoMap>(std::move(tempos));
  return true;
}

bool readMidiFile(const std::string& path, MidiInfo& out, std::string& error) {
  out = MidiInfo();
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, kMaxMidiFileBytes, "a piece of music", bytes, error)) return false;
  return decodeMidi(std::move(bytes), path, out, error);
}

bool decodeWave(const uint8_t* data, size_t size, const std::string& name, bool keepSamples, WaveSound& out,
                std::string& error) {
  out = WaveSound();
  std::string what;
  if (size > kMaxWaveFileBytes) {
    error = name + ": file is too large for a sound";
    return false;
  }
  if (!checkWaveLayout(data, size, what)) {
    error = name + ": " + what;
    return false;
  }
  MemoryFile file{data, static_cast<sf_count_t>(size), 0};
  SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
  SF_INFO info{};
  SNDFILE* sf = sf_open_virtual(&io, SFM_READ, &info, &file);
  if (sf == nullptr) {
    error = name + ": cannot be read as WAV (" + sf_strerror(nullptr) + ")";
    return false;
  }
  const int major = info.format & SF_FORMAT_TYPEMASK;
  if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX) {
    sf_close(sf);
    error = name + ": not a WAV file";
    return false;
  }
  if (info.channels != 1 && info.channels != 2) {
    sf_close(sf);
    error = name + ": " + std::to_string(info.channels) + " channels; a sound must be mono or stereo";
    return false;
  }
  if (info.samplerate <= 0 || info.samplerate > 768000) {
    sf_close(sf);
    error = name + ": unusable sample rate " + std::to_string(info.samplerate);
    return false;
  }
  if (info.frames < 0 || info.frames > kMaxWaveSamples / info.channels) {
    sf_close(sf);
    error = name + ": too long for a sound effect";
    return false;
  }
  out.channels = info.channels;
  out.sampleRate = info.samplerate;
  out.frames = info.frames;
  if (keepSamples) out.samples.resize(static_cast<size_t>(info.frames * info.channels));
  std::vector<int16_t> scratch;
  if (!keepSamples) scratch.resize(static_cast<size_t>(4096 * info.channels));
  sf_count_t done = 0;
  while (done < info.frames) {
    const sf_count_t want = std::min<sf_count_t>(4096, info.frames - done);
    int16_t* to = keepSamples ? out.samples.data() + done * info.channels : scratch.data();
    const sf_count_t got = sf_readf_short(sf, to, want);
    if (got <= 0) break;
    done += got;
  }
  sf_close(sf);
  if (done != info.frames) {
    out = WaveSound();
    error = name + ": cannot be read to its end (" + std::to_string(done) + " of " +
            std::to_string(info.frames) + " sample frames)";
    return false;
  }
  return true;
}

bool readWaveFile(const std::string& path, bool keepSamples, WaveSound& out, std::string& error) {
  out = WaveSound();
  std::vector<uint8_t> bytes;
  if (!readFileBytes(path, kMaxWaveFileBytes, "a sound", bytes, error)) return false;
  return decodeWave(bytes.data(), bytes.size(), path, keepSamples, out, error);
}

bool isMidiName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == "mid" || ext == "midi";
}

}  // namespace cog
