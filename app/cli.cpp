#include "app/cli.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/check.h"
#include "app/headless.h"
#include "app/how_to_play.h"
#include "app/player_settings.h"
#include "app/sample_memo.h"
#include "app/settings.h"
#include "app/shipped_level.h"
#include "app/sound_recording.h"
#include "app/tick_count.h"
#include "app/windowed.h"
#include "audio/al/soundfont_search.h"

namespace cog {

namespace fs = std::filesystem;

namespace {

bool holdsLevel(const fs::path& dir) {
  std::error_code ec;
  return fs::is_regular_file(dir / "dat.txt", ec);
}

// The level folder: --data, else the working directory when it holds a
// level, else the level shipped with the program. Empty with a message
// when there is none.
std::string findLevelFolder(const std::string& data, std::string& error) {
  if (!data.empty()) {
    std::error_code ec;
    if (!fs::is_directory(data, ec)) {
      error = data + ": no such level folder";
      return {};
    }
    if (!fs::exists(fs::path(data) / "dat.txt", ec)) {
      error = data + ": the folder holds no level (no \"dat.txt\")";
      return {};
    }
    return data;
  }
  if (holdsLevel(fs::current_path())) return fs::current_path().string();
  for (const std::string& shipped : shippedLevelFolders())
    if (holdsLevel(shipped)) return shipped;
  error = "no level to play: the working directory holds no \"dat.txt\" and no level is installed at " +
          installedLevelFolder() + "; name a level folder with --data DIR";
  return {};
}

std::string absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  fs::path abs = fs::absolute(path, ec);
  return ec ? path : abs.string();
}

// An option taking one of the words in `names`, in any case: its value
// becomes the word's number (as the option's enum reads it). The numbers
// themselves are taken too, as they always were. Anything else is refused
// with the words it takes.
template <typename Enum>
CLI::Validator oneOf(const std::map<std::string, Enum>& names) {
  std::string list;
  for (const auto& [word, value] : names) list += (list.empty() ? "" : ", ") + word;
  return CLI::Validator(
      [names, list](std::string& value) -> std::string {
        std::string lower;
        for (char c : value) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const auto& [word, number] : names) {
          const std::string digits = std::to_string(static_cast<int>(number));
          if (lower == word || value == digits) {
            value = digits;
            return {};
          }
        }
        return "\"" + value + "\" is not one of " + list;
      },
      "", "one of");
}

}  // namespace

int runCogstorm(int argc, char** argv) {
  CLI::App app{"Cogstorm: walk the rooms, watch the mirror, stop the seven robots.", "cogstorm"};
  app.set_version_flag("--version", std::string("cogstorm ") + COGSTORM_VERSION);

  std::string data;
  bool check = false;
  bool headless = false;
  HeadlessOptions run;
  bool ticksGiven = false;
  std::string recordPath;
  app.add_option("--data", data, "Folder with the level files, images and media (default: the working "
                                 "directory when it holds dat.txt, else the shipped level)")
      ->type_name("DIR");
  app.add_flag("--check", check, "Load the level without window or sound, print a summary and exit");
  app.add_flag("--headless", headless, "Run without window or sound device, ticks back to back");
  app.add_option_function<std::string>(
         "--ticks",
         [&](const std::string& text) {
           readTickCount(text, run.ticks);
           ticksGiven = true;
         },
         "Stop after N ticks and exit 0 (in the window: 0 runs until it is closed)")
      ->type_name("N")
      ->check(CLI::Validator(
          [](std::string& text) {
            int64_t n = 0;
            return readTickCount(text, n);
          },
          ""));
  app.add_option("--input", run.inputPath,
                 "Key script: lines \"TICK CODE\", pressed just before that tick (in the window: at its pace)")
      ->type_name("FILE");
  app.add_option("--trace", run.tracePath, "Write one JSON line per tick to FILE (headless or in the window)")
      ->type_name("FILE");
  app.add_option("--record", recordPath,
                 "In the window: write every key pressed (keyboard, controller, --input) to FILE as a key script")
      ->type_name("FILE");
  std::pair<int64_t, std::string> series{0, ""};
  app.add_option("--screenshot", run.shots.lastFrame, "Headless: draw with OpenGL and write the last frame as a PNG")
      ->type_name("FILE.png");
  app.add_option("--screenshot-every", series, "Headless: draw with OpenGL and write every K-th frame into DIR")
      ->type_name("K DIR");
  app.add_option("--timedemo", run.draw.timedemoPath,
                 "Play a key script as fast as frames draw (headless or in the window), then print frame times")
      ->type_name("FILE.keys");
  app.add_flag("--smooth", run.draw.smooth, "Smooth textures: linear filtering with mipmaps");
  const std::map<std::string, RendererChoice> renderers{{"auto", RendererChoice::Auto},
                                                        {"gl", RendererChoice::Gl},
                                                        {"gles", RendererChoice::Gles},
                                                        {"compat", RendererChoice::Compat}};
  app.add_option("--renderer", run.draw.renderer,
                 "Which OpenGL draws: gl (shaders, GL 3.3 core), gles (shaders, OpenGL ES 3.0), compat "
                 "(fixed function, GL compatibility); auto tries them in that order")
      ->type_name("auto|gl|gles|compat")
      ->transform(oneOf(renderers));
  bool glInfo = false;
  app.add_flag("--gl-info", glInfo, "Print the OpenGL device --renderer chooses and its context, then exit");
  SoundOptions& sound = run.sound;
  app.add_flag("--mute", sound.mute, "Play in the window without sound");
  app.add_option("--soundfont", sound.soundFont,
                 "SoundFont for the music (default: $COGSTORM_SOUNDFONT, else the first in the usual folders)")
      ->type_name("FILE");
  app.add_option("--audio-out", sound.audioOutPath,
                 "Headless: record the run's sound to FILE (WAV, 44.1 kHz 16-bit stereo, 33 ms per tick)")
      ->type_name("FILE");

  PresentationOptions presentation;
  app.add_flag("--classic", presentation.classic,
               "The original presentation: no cards, status line, feedback sounds or mouse turning, the picture "
               "stretched to the window, Escape closing it at once; no settings read or written");
  app.add_flag("--status-line", run.statusLine,
               "Headless: draw the status line (robots left, frozen, music, paused) on the pictures");
  const std::map<std::string, Card> cards{{"howto", Card::HowToPlay}, {"paused", Card::Paused}};
  app.add_option("--card", run.card, "Headless: draw the how-to-play or the paused card on the pictures")
      ->type_name("howto|paused")
      ->transform(oneOf(cards));
  app.footer("\n" + howToPlayHelpText());
  std::string windowSize;
  app.add_option("--window", windowSize,
                 "The window's size in pixels, each side " + std::to_string(kMinWindowSide) + " to " +
                     std::to_string(kMaxWindowSide) + " (default 512x512; headless: the size of the pictures)")
      ->type_name("WxH");
  bool fullscreen = false;
  app.add_flag("--fullscreen", fullscreen, "Start fullscreen (F11 or Alt+Enter switch while playing)");
  std::string aspect;
  app.add_option("--aspect", aspect,
                 "How the picture fits a window of another shape: keep (square, centred, black bars; the "
                 "default), stretch (over the whole window) or wide (the view widened to the window's shape)")
      ->type_name("keep|stretch|wide");
  std::string settingsPath;
  bool noSettings = false;
  CLI::Option* settingsOption =
      app.add_option("--settings", settingsPath,
                     "Settings file of a window run (default: $XDG_CONFIG_HOME/cogstorm/settings.toml, else "
                     "~/.config/cogstorm/settings.toml; written with the defaults when missing); headless runs "
                     "and --check read none")
          ->type_name("FILE");
  app.add_flag("--no-settings", noSettings, "Read and write no settings file")->excludes(settingsOption);

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }

  if (presentation.classic) sound.feedbackSounds = false;
  std::string error;
  // Every surface the game opens asks for its samples: the memo spares
  // asking a GL that is known not to grant them.
  run.draw.sampleMemoPath = defaultSampleMemoPath();
  if (glInfo) return printGlInfo(run.draw, std::cout, std::cerr);
  if (!series.second.empty() && series.first < 1) {
    std::cerr << "cogstorm: --screenshot-every needs at least 1 tick between pictures\n";
    return 2;
  }
  run.shots.every = series.second.empty() ? 0 : series.first;
  run.shots.seriesDir = series.second;
  if (!headless && run.shots.any()) {
    std::cerr << "cogstorm: --screenshot and --screenshot-every go with --headless\n";
    return 2;
  }
  if (!run.draw.timedemoPath.empty() && !run.inputPath.empty()) {
    std::cerr << "cogstorm: --timedemo plays its own key script; leave out --input\n";
    return 2;
  }
  if (headless && !run.draw.timedemoPath.empty()) run.inputPath = run.draw.timedemoPath;
  if (headless && !ticksGiven && !check && run.draw.timedemoPath.empty()) {
    std::cerr << "cogstorm: --headless needs --ticks N\n";
    return 2;
  }
  if (!headless && (run.statusLine || run.card != Card::None)) {
    std::cerr << "cogstorm: --status-line and --card go with --headless (the window has Tab and F1)\n";
    return 2;
  }
  if ((headless || check) && !recordPath.empty()) {
    std::cerr << "cogstorm: --record goes with the window; a headless run's keys are its --input\n";
    return 2;
  }

  if (!sound.audioOutPath.empty() && (!headless || check || sound.mute)) {
    std::cerr << "cogstorm: --audio-out goes with --headless (and not with --check or --mute)\n";
    return 2;
  }
  if (!sound.audioOutPath.empty() && run.ticks > maxRecordedTicks()) {
    std::cerr << "cogstorm: --audio-out holds at most " << maxRecordedTicks() << " ticks of sound in one WAV file\n";
    return 2;
  }

  int windowWidth = Settings{}.windowWidth, windowHeight = Settings{}.windowHeight;
  if (!windowSize.empty() && !parseWindowSize(windowSize, windowWidth, windowHeight, error)) {
    std::cerr << "cogstorm: --window: " << error << '\n';
    return 2;
  }
  if ((headless || check) && (fullscreen || !settingsPath.empty())) {
    std::cerr << "cogstorm: --fullscreen and --settings go with the window; headless runs and --check read no "
                 "settings\n";
    return 2;
  }
  if (!aspect.empty() && !parseAspect(aspect, run.draw.aspect)) {
    std::cerr << "cogstorm: --aspect: \"" << aspect << "\" is not an aspect mode: keep, stretch or wide\n";
    return 2;
  }
  run.frameWidth = windowWidth;
  run.frameHeight = windowHeight;

  // Files named on the command line are taken from where the program was
  // started, before it changes into the level folder.
  run.inputPath = absolute(run.inputPath);
  run.tracePath = absolute(run.tracePath);
  recordPath = absolute(recordPath);
  run.shots.lastFrame = absolute(run.shots.lastFrame);
  run.draw.timedemoPath = absolute(run.draw.timedemoPath);
  run.shots.seriesDir = absolute(run.shots.seriesDir);
  sound.audioOutPath = absolute(sound.audioOutPath);
  sound.soundFont = absolute(sound.soundFont);

  settingsPath = absolute(settingsPath);

  // A SoundFont the player names must be there in every run, even one that
  // plays no music; the runs that play it also refuse one that will not load.
  if (!sound.soundFont.empty()) {
    const SoundFontChoice named = chooseSoundFont(sound.soundFont);
    if (named.path.empty()) {
      std::cerr << "cogstorm: " << named.why << '\n';
      return 1;
    }
  }

  const std::string folder = findLevelFolder(data, error);
  if (folder.empty()) {
    std::cerr << "cogstorm: " << error << '\n';
    return 1;
  }
  if (chdir(folder.c_str()) != 0) {
    std::cerr << "cogstorm: " << folder << ": cannot enter the level folder: " << std::strerror(errno) << '\n';
    return 1;
  }

  if (check) return runCheck(std::cout, std::cerr);
  if (headless) return runHeadless(run, std::cerr);
  WindowedOptions windowed;
  windowed.maxTicks = ticksGiven ? run.ticks : 0;
  windowed.inputPath = run.inputPath;
  windowed.tracePath = run.tracePath;
  windowed.recordPath = recordPath;
  windowed.draw = run.draw;
  windowed.sound = run.sound;
  windowed.presentation = presentation;
  // --classic is the original presentation: no settings read or written,
  // the picture stretched over the window (unless --aspect says otherwise).
  if (presentation.classic) noSettings = true;

  // The settings file, under what the command line says.
  const SettingsSession session =
      openSettings(noSettings ? std::string() : settingsPath.empty() ? defaultSettingsPath() : settingsPath, std::cerr);
  const Settings& file = session.file;
  PlayerState& player = windowed.player;
  player.windowWidth = windowSize.empty() ? file.windowWidth : windowWidth;
  player.windowHeight = windowSize.empty() ? file.windowHeight : windowHeight;
  player.fullscreen = fullscreen || (windowSize.empty() && file.fullscreen);
  player.musicVolume = file.musicVolume;
  player.effectsVolume = file.effectsVolume;
  player.statusLine = file.statusLine;
  if (aspect.empty()) windowed.draw.aspect = presentation.classic ? AspectMode::Stretch : file.aspect;
  if (app.count("--renderer") == 0) windowed.draw.renderer = file.renderer;
  windowed.draw.smooth = windowed.draw.smooth || file.smoothTextures;
  windowed.sound.mute = windowed.sound.mute || file.mute;
  windowed.keys = makeKeyBindings(file.keys);
  windowed.stick = StickZones{static_cast<int32_t>(file.stickPress * 32767.0 + 0.5),
                              static_cast<int32_t>(file.stickDeadZone * 32767.0 + 0.5)};
  windowed.mouseTurning = file.mouseTurning;
  windowed.mouseSensitivity = file.mouseSensitivity;
  windowed.firstStart = session.firstStart;
  std::optional<PlayerState> atExit;
  windowed.playerAtExit = &atExit;
  const int status = runWindowed(windowed, std::cerr);
  if (atExit) saveSettings(session, player, *atExit, std::cerr);
  return status;
}

}  // namespace cog
