// The trace: one JSON line per tick, and the file it is written to.
#include "app/trace.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "game/game_state.h"
#include "audio/sound.h"
#include "level/model.h"
#include "sim/state.h"

namespace cog {

namespace {

// A float so that it reads back to the same 32-bit value; NaN is null.
void appendTraceFloat(std::string& out, float value) {
  if (std::isnan(value)) {
    out += "null";
  } else if (std::isinf(value)) {
    out += value > 0 ? "1e999" : "-1e999";  // reads back as infinity
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(value));
    out += buf;
  }
}

void appendVec(std::string& out, const Vec3& v) {
  out += '[';
  appendTraceFloat(out, v.x);
  out += ',';
  appendTraceFloat(out, v.y);
  out += ',';
  appendTraceFloat(out, v.z);
  out += ']';
}

void appendInt(std::string& out, int64_t value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, value);
  out += buf;
}

const char* effectName(const AudioState& audio, SegmentId segment) {
  if (segment == audio.gunSegment) return "gun";
  if (segment == audio.deadSegment) return "dead";
  return "other";
}

const char* musicName(const AudioState& audio) {
  if (audio.musicState == 0) return "stopped";
  return audio.musicPlaying ? "playing" : "paused";
}

}  // namespace

void appendTraceLine(std::string& out, const Game& game, int64_t tick) {
  const SimState& sim = game.sim;
  const Actors& actors = game.actors;
  const AudioState& audio = game.audio;
  out += "{\"tick\":";
  appendInt(out, tick);
  out += ",\"player\":{\"pos\":";
  appendVec(out, sim.player.position);
  out += ",\"heading\":";
  appendTraceFloat(out, sim.player.heading);
  out += "},\"gameOver\":";
  appendInt(out, sim.gameOver);
  out += ",\"currentRoom\":";
  appendInt(out, game.shell.currentRoom);
  out += ",\"robots\":[";
  for (int i = 0; i < kRobotCount; ++i) {
    const Actor& robot = actors.robots[i];
    if (i) out += ',';
    out += "{\"pos\":";
    appendVec(out, robot.position);
    out += ",\"rot\":";
    appendVec(out, robot.rotation);
    out += ",\"alive\":";
    appendInt(out, robot.alive);
    out += ",\"phase\":";
    appendTraceFloat(out, robot.walkPhase);
    out += '}';
  }
  const Actor& shot = actors.shot;
  out += "],\"shot\":{\"pos\":";
  appendVec(out, shot.position);
  out += ",\"vel\":";
  appendVec(out, shot.velocity);
  out += ",\"inFlight\":";
  appendInt(out, shot.inFlight);
  out += ",\"phase\":";
  appendTraceFloat(out, shot.walkPhase);
  out += "},\"effects\":[";
  for (size_t i = 0; i < audio.startedEffects.size(); ++i) {
    if (i) out += ',';
    out += '"';
    out += effectName(audio, audio.startedEffects[i]);
    out += '"';
  }
  out += "],\"music\":\"";
  out += musicName(audio);
  out += "\"}";
}

bool TraceFile::open(const std::string& path, std::string& error) { return reportInto(file_.open(path), error); }

bool TraceFile::write(const Game& game, int64_t tick, std::string& error) {
  line_.clear();
  appendTraceLine(line_, game, tick);
  line_ += '\n';
  return reportInto(file_.write(line_), error);
}

bool TraceFile::close(std::string& error) { return reportInto(file_.close(), error); }

}  // namespace cog
