#include "audio/rec/silent_engine.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace cog {

// ---------------------------------------------------------------------------

const char* audioOpName(AudioOp op) {
  switch (op) {
    case AudioOp::LoadSegment: return "LoadSegment";
    case AudioOp::SetRepeats: return "SetRepeats";
    case AudioOp::SetStartPoint: return "SetStartPoint";
    case AudioOp::PlaySegment: return "PlaySegment";
    case AudioOp::Stop: return "Stop";
    case AudioOp::GetTime: return "GetTime";
    case AudioOp::GetStartTime: return "GetStartTime";
    case AudioOp::GetStartPoint: return "GetStartPoint";
    case AudioOp::GetLoopPoints: return "GetLoopPoints";
    case AudioOp::GetLength: return "GetLength";
    case AudioOp::GetRepeats: return "GetRepeats";
    case AudioOp::SetSourcePosition: return "SetSourcePosition";
    case AudioOp::SetListenerPosition: return "SetListenerPosition";
    case AudioOp::SetListenerOrientation: return "SetListenerOrientation";
    case AudioOp::SetVolumes: return "SetVolumes";
    case AudioOp::SetPaused: return "SetPaused";
  }
  return "?";
}

namespace {

std::string vecText(const Vec3& v) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%.9g, %.9g, %.9g)", static_cast<double>(v.x), static_cast<double>(v.y),
                static_cast<double>(v.z));
  return buf;
}

}  // namespace

void SilentAudioEngine::record(const AudioCall& call) {
  if (recording_) calls_.push_back(call);
}

void SilentAudioEngine::setTempo(int32_t microsecondsPerQuarter) {
  microsecondsPerQuarter_ = microsecondsPerQuarter;
  // A piece playing keeps its own tempo map.
  if (clock_.hasPiece()) return;
  clock_.runIdle(microsecondsSince_, microsecondsPerQuarter);
  microsecondsSince_ = 0;
}

SegmentId SilentAudioEngine::LoadSegment(const std::string& fileName, std::string& error) {
  AudioCall call;
  call.op = AudioOp::LoadSegment;
  call.value = static_cast<int64_t>(attempts_.size());
  attempts_.push_back(fileName);

  Segment segment;
  segment.name = fileName;
  Status loaded;
  if (isMidiName(fileName)) {
    Result<MidiInfo> info = readMidiFile(fileName);
    loaded = info.status();
    if (info) {
      segment.music = true;
      segment.length = info->length;
      segment.tempos = info->tempos;
      setTempo(info->microsecondsPerQuarter);
    }
  } else {
    Result<WaveSound> sound = readWaveFile(fileName, false);
    loaded = sound.status();
    if (sound) {
      // frames <= 2^25 and the rate >= 1 keep this well inside 64 bits.
      const int64_t micros = sound->frames * 1000000 / sound->sampleRate;
      segment.length = static_cast<MusicTime>(
          std::min<int64_t>(musicTicksFor(micros, microsecondsPerQuarter_), std::numeric_limits<MusicTime>::max()));
    }
  }
  if (loaded) {
    call.segment = segments_.add(std::move(segment));
  } else {
    error = loaded.message();
  }
  record(call);
  return call.segment;
}

void SilentAudioEngine::SetRepeats(SegmentId segment, uint32_t repeats) {
  if (Segment* s = segments_.find(segment)) s->repeats = repeats;
  AudioCall call;
  call.op = AudioOp::SetRepeats;
  call.segment = segment;
  call.value = repeats;
  record(call);
}

void SilentAudioEngine::SetStartPoint(SegmentId segment, MusicTime start) {
  if (Segment* s = segments_.find(segment)) s->startPoint = start;
  AudioCall call;
  call.op = AudioOp::SetStartPoint;
  call.segment = segment;
  call.value = start;
  record(call);
}

SegmentStateId SilentAudioEngine::PlaySegment(SegmentId segment, bool secondary) {
  AudioCall call;
  call.op = AudioOp::PlaySegment;
  call.segment = segment;
  call.flag = secondary;
  if (const Segment* s = segments_.find(segment)) {
    // A new primary segment replaces the one playing.
    call.value = states_.start(segment, now(), s->startPoint, secondary, !secondary).id;
    if (!secondary) {
      // The clock follows the primary piece; a primary sound stops the music.
      if (s->music) {
        const int64_t passes = s->repeats == kRepeatInfinite ? -1 : int64_t{s->repeats} + 1;
        clock_.runPiece(microsecondsSince_, s->tempos, s->length, s->startPoint, passes);
      } else {
        clock_.stop(microsecondsSince_);
      }
      microsecondsSince_ = 0;
    }
  }
  record(call);
  return static_cast<SegmentStateId>(call.value);
}

void SilentAudioEngine::Stop() {
  states_.stopAll();
  clock_.stop(microsecondsSince_);
  microsecondsSince_ = 0;
  AudioCall call;
  call.op = AudioOp::Stop;
  record(call);
}

MusicTime SilentAudioEngine::GetTime() {
  AudioCall call;
  call.op = AudioOp::GetTime;
  call.value = now();
  record(call);
  return static_cast<MusicTime>(call.value);
}

MusicTime SilentAudioEngine::GetStartTime(SegmentStateId state) {
  AudioCall call;
  call.op = AudioOp::GetStartTime;
  call.segment = state;
  if (const PlayState* s = states_.find(state)) call.value = s->startTime;
  record(call);
  return static_cast<MusicTime>(call.value);
}

MusicTime SilentAudioEngine::GetStartPoint(SegmentStateId state) {
  AudioCall call;
  call.op = AudioOp::GetStartPoint;
  call.segment = state;
  if (const PlayState* s = states_.find(state)) call.value = s->startPoint;
  record(call);
  return static_cast<MusicTime>(call.value);
}

void SilentAudioEngine::GetLoopPoints(SegmentId segment, MusicTime& start, MusicTime& end) {
  start = 0;
  end = 0;
  if (const Segment* s = segments_.find(segment)) {
    start = s->loopStart;
    end = s->loopEnd;
  }
  AudioCall call;
  call.op = AudioOp::GetLoopPoints;
  call.segment = segment;
  call.value = start;
  call.value2 = end;
  record(call);
}

MusicTime SilentAudioEngine::GetLength(SegmentId segment) {
  AudioCall call;
  call.op = AudioOp::GetLength;
  call.segment = segment;
  if (const Segment* s = segments_.find(segment)) call.value = s->length;
  record(call);
  return static_cast<MusicTime>(call.value);
}

uint32_t SilentAudioEngine::GetRepeats(SegmentId segment) {
  AudioCall call;
  call.op = AudioOp::GetRepeats;
  call.segment = segment;
  if (const Segment* s = segments_.find(segment)) call.value = s->repeats;
  record(call);
  return static_cast<uint32_t>(call.value);
}

void SilentAudioEngine::SetSourcePosition(float x, float y, float z, bool deferred) {
  AudioCall call;
  call.op = AudioOp::SetSourcePosition;
  call.flag = deferred;
  call.a = Vec3(x, y, z);
  record(call);
}

void SilentAudioEngine::SetListenerPosition(float x, float y, float z, bool deferred) {
  AudioCall call;
  call.op = AudioOp::SetListenerPosition;
  call.flag = deferred;
  call.a = Vec3(x, y, z);
  record(call);
}

void SilentAudioEngine::SetListenerOrientation(const Vec3& front, const Vec3& top, bool deferred) {
  AudioCall call;
  call.op = AudioOp::SetListenerOrientation;
  call.flag = deferred;
  call.a = front;
  call.b = top;
  record(call);
}

void SilentAudioEngine::SetVolumes(float music, float effects) {
  musicVolume_ = music;
  effectsVolume_ = effects;
  AudioCall call;
  call.op = AudioOp::SetVolumes;
  call.a = Vec3(music, effects, 0.0f);
  record(call);
}

void SilentAudioEngine::SetPaused(bool paused) {
  paused_ = paused;
  AudioCall call;
  call.op = AudioOp::SetPaused;
  call.flag = paused;
  record(call);
}

void SilentAudioEngine::advance(int64_t milliseconds) {
  // About 31 years of music is where the clock stops counting.
  constexpr int64_t kMaxMicroseconds = int64_t{1000000000000000};
  if (milliseconds <= 0 || paused_) return;
  const int64_t step = milliseconds > kMaxMicroseconds / 1000 ? kMaxMicroseconds : milliseconds * 1000;
  microsecondsSince_ = step > kMaxMicroseconds - microsecondsSince_ ? kMaxMicroseconds : microsecondsSince_ + step;
}

MusicTime SilentAudioEngine::now() const {
  const int64_t ticks = clock_.ticksAt(microsecondsSince_);
  return static_cast<MusicTime>(static_cast<uint32_t>(static_cast<uint64_t>(ticks)));
}

bool SilentAudioEngine::sounding(const PlayState& state) const {
  if (state.id == 0 || state.stopped) return false;
  const Segment* s = segments_.find(state.segment);
  if (s == nullptr) return false;
  const int64_t loopEnd = s->loopEnd == 0 ? s->length : s->loopEnd;
  int64_t total = int64_t{s->length} - state.startPoint;
  if (s->repeats != 0 && s->loopStart < loopEnd && loopEnd > state.startPoint) {
    const int64_t span = loopEnd - s->loopStart;
    // A repeat count this large outlasts the 32-bit music clock anyway.
    if (s->repeats == kRepeatInfinite || int64_t{s->repeats} > (int64_t{1} << 40) / span) return true;
    total += span * int64_t{s->repeats};
  }
  const int64_t elapsed = int64_t{now()} - state.startTime;
  return elapsed < total;
}

bool SilentAudioEngine::musicSounding() const { return sounding(states_.primary()); }

int32_t SilentAudioEngine::effectsSounding() const {
  int32_t n = 0;
  for (const PlayState& s : states_)
    if (s.secondary && sounding(s)) ++n;
  return n;
}

std::string SilentAudioEngine::segmentName(SegmentId segment) const {
  const Segment* s = segments_.find(segment);
  return s ? s->name : std::string();
}

std::string SilentAudioEngine::loadName(const AudioCall& call) const {
  if (call.op != AudioOp::LoadSegment || call.value < 0 || static_cast<size_t>(call.value) >= attempts_.size())
    return std::string();
  return attempts_[static_cast<size_t>(call.value)];
}

std::string SilentAudioEngine::describe(const AudioCall& call) const {
  std::string s = audioOpName(call.op);
  const std::string seg = std::to_string(call.segment);
  const std::string value = std::to_string(call.value);
  const char* apply = call.flag ? " deferred" : " immediate";
  switch (call.op) {
    case AudioOp::LoadSegment:
      return s + " \"" + loadName(call) + "\" -> " + seg;
    case AudioOp::SetRepeats:
    case AudioOp::SetStartPoint:
      return s + " " + seg + " " + value;
    case AudioOp::PlaySegment:
      return s + " " + seg + (call.flag ? " secondary" : " primary") + " -> " + value;
    case AudioOp::Stop:
      return s;
    case AudioOp::GetTime:
      return s + " -> " + value;
    case AudioOp::GetStartTime:
    case AudioOp::GetStartPoint:
    case AudioOp::GetLength:
    case AudioOp::GetRepeats:
      return s + " " + seg + " -> " + value;
    case AudioOp::GetLoopPoints:
      return s + " " + seg + " -> " + value + " " + std::to_string(call.value2);
    case AudioOp::SetSourcePosition:
    case AudioOp::SetListenerPosition:
      return s + " " + vecText(call.a) + apply;
    case AudioOp::SetListenerOrientation:
      return s + " " + vecText(call.a) + " " + vecText(call.b) + apply;
    case AudioOp::SetVolumes: {
      char buf[64];
      std::snprintf(buf, sizeof buf, " %.3g %.3g", static_cast<double>(call.a.x), static_cast<double>(call.a.y));
      return s + buf;
    }
    case AudioOp::SetPaused:
      return s + (call.flag ? " on" : " off");
  }
  return s;
}

}  // namespace cog
