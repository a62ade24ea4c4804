#include "app/settings.h"

#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <toml++/toml.h>

#include "app/user_dirs.h"
#include "platform/output_file.h"

namespace cog {

namespace {

const std::map<std::string, AspectMode> kAspects{
    {"stretch", AspectMode::Stretch}, {"keep", AspectMode::Keep}, {"wide", AspectMode::Wide}};
const std::map<std::string, RendererChoice> kRenderers{
    {"auto", RendererChoice::Auto}, {"gl", RendererChoice::Gl}, {"gles", RendererChoice::Gles},
    {"compat", RendererChoice::Compat}};

// Reads one table of the file, key by key; the first problem stops it.
class TableReader {
 public:
  TableReader(const toml::table& table, std::string tableName, const std::string& path)
      : table_(table), tableName_(std::move(tableName)), path_(path) {}

  bool ok() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }

  // Every key of the table must be one of these.
  void onlyKeys(const std::set<std::string>& known) {
    for (auto&& [key, node] : table_)
      if (ok() && !known.contains(std::string(key.str())))
        fail(node, "unknown setting \"" + std::string(key.str()) + "\" in [" + tableName_ + "]");
  }

  void boolean(const char* key, bool& value) {
    const toml::node* node = find(key);
    if (!node) return;
    if (!node->is_boolean()) return fail(*node, std::string(key) + " must be true or false");
    value = node->value<bool>().value_or(value);
  }

  void integer(const char* key, int& value, int low, int high, const char* unit) {
    const toml::node* node = find(key);
    if (!node) return;
    const std::optional<int64_t> v = node->is_integer() ? node->value<int64_t>() : std::nullopt;
    if (!v || *v < low || *v > high)
      return fail(*node, std::string(key) + " must be a whole number from " + std::to_string(low) + " to " +
                             std::to_string(high) + " (" + unit + ")");
    value = static_cast<int>(*v);
  }

  void number(const char* key, double& value, double low, double high) {
    const toml::node* node = find(key);
    if (!node) return;
    const std::optional<double> v = node->is_number() ? node->value<double>() : std::nullopt;
    if (!v || !std::isfinite(*v) || *v < low || *v > high) {
      std::ostringstream range;
      range << key << " must be a number from " << low << " to " << high;
      return fail(*node, range.str());
    }
    value = *v;
  }

  template <typename T>
  void choice(const char* key, T& value, const std::map<std::string, T>& names) {
    const toml::node* node = find(key);
    if (!node) return;
    const std::optional<std::string> v = node->value<std::string>();
    auto it = v ? names.find(*v) : names.end();
    if (it == names.end()) {
      std::string list;
      for (const auto& [name, unused] : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
      return fail(*node, std::string(key) + " must be one of " + list);
    }
    value = it->second;
  }

  // A command's keys: a list of key names, none used twice in the file.
  void keyList(const KeyCommand& command, std::vector<std::string>& value, std::map<int32_t, std::string>& used) {
    const toml::node* node = find(command.name);
    if (!node) return;
    const toml::array* list = node->as_array();
    if (!list) return fail(*node, std::string(command.name) + " must be a list of key names, like [\"Space\"]");
    std::vector<std::string> names;
    for (const toml::node& item : *list) {
      const std::optional<std::string> name = item.value<std::string>();
      if (!name) return fail(item, std::string(command.name) + " must be a list of key names, like [\"Space\"]");
      const int32_t key = keyFromName(*name);
      if (key == 0) return fail(item, "\"" + *name + "\" (for " + command.name + ") is not a key name");
      if (keyIsReserved(key))
        return fail(item, "\"" + *name + "\" is kept for pausing, help, the status line, fullscreen or closing and cannot play " +
                              command.name);
      auto [at, fresh] = used.emplace(key, command.name);
      if (!fresh) return fail(item, "\"" + *name + "\" plays both " + at->second + " and " + command.name);
      names.push_back(keyName(key));
    }
    value = std::move(names);
  }

  void fail(const toml::node& node, const std::string& what) {
    if (!ok()) return;
    problem_ = path_ + ":" + std::to_string(node.source().begin.line) + ": " + what;
  }

 private:
  const toml::node* find(const char* key) const { return ok() ? table_.get(key) : nullptr; }

  const toml::table& table_;
  std::string tableName_;
  const std::string& path_;
  std::string problem_;
};

// A basic (double-quoted) TOML string, as the comments write them.
std::string tomlString(const std::string& s) {
  std::ostringstream out;
  const toml::value<std::string> value(s);
  out << toml::toml_formatter(value, toml::format_flags::none);
  return out.str();
}

std::string tomlNumber(double d) {
  std::ostringstream out;
  out << toml::value<double>(d);
  return out.str();
}

const char* yesNo(bool b) { return b ? "true" : "false"; }

}  // namespace

const char* aspectName(AspectMode mode) {
  switch (mode) {
    case AspectMode::Stretch: return "stretch";
    case AspectMode::Wide: return "wide";
    case AspectMode::Keep: break;
  }
  return "keep";
}

bool parseAspect(const std::string& name, AspectMode& mode) {
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto it = kAspects.find(lower);
  if (it == kAspects.end()) return false;
  mode = it->second;
  return true;
}

std::string defaultSettingsPath() { return userFile("XDG_CONFIG_HOME", ".config", "settings.toml"); }

Result<Settings> parseSettings(const std::string& text, const std::string& path) {
  toml::table file;
  try {
    file = toml::parse(text, path);
  } catch (const toml::parse_error& e) {
    return Status::failure(path + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
  }
  Settings s;
  const std::set<std::string> tables{"window", "sound", "mouse", "controller", "keys"};
  for (auto&& [key, node] : file) {
    const std::string name(key.str());
    if (!tables.contains(name) || !node.is_table())
      return Status::failure(path + ":" + std::to_string(node.source().begin.line) + ": \"" + name +
                             "\" is not a settings table (those are [window], [sound], [mouse], [controller] "
                             "and [keys])");
  }
  const toml::table empty;
  const auto table = [&](const char* name) -> const toml::table& {
    const toml::table* t = file[name].as_table();
    return t ? *t : empty;
  };

  TableReader window(table("window"), "window", path);
  window.onlyKeys({"width", "height", "fullscreen", "aspect", "renderer", "smooth_textures", "status_line"});
  window.integer("width", s.windowWidth, kMinWindowSide, kMaxWindowSide, "pixels");
  window.integer("height", s.windowHeight, kMinWindowSide, kMaxWindowSide, "pixels");
  window.boolean("fullscreen", s.fullscreen);
  window.choice("aspect", s.aspect, kAspects);
  window.choice("renderer", s.renderer, kRenderers);
  window.boolean("smooth_textures", s.smoothTextures);
  window.boolean("status_line", s.statusLine);
  if (!window.ok()) return Status::failure(window.problem());

  TableReader sound(table("sound"), "sound", path);
  sound.onlyKeys({"music_volume", "effects_volume", "mute"});
  sound.integer("music_volume", s.musicVolume, 0, 100, "percent");
  sound.integer("effects_volume", s.effectsVolume, 0, 100, "percent");
  sound.boolean("mute", s.mute);
  if (!sound.ok()) return Status::failure(sound.problem());

  TableReader mouse(table("mouse"), "mouse", path);
  mouse.onlyKeys({"turning", "sensitivity"});
  mouse.boolean("turning", s.mouseTurning);
  mouse.number("sensitivity", s.mouseSensitivity, 0.1, 10.0);
  if (!mouse.ok()) return Status::failure(mouse.problem());

  TableReader controller(table("controller"), "controller", path);
  controller.onlyKeys({"stick_press", "stick_dead_zone"});
  controller.number("stick_press", s.stickPress, 0.1, 0.95);
  controller.number("stick_dead_zone", s.stickDeadZone, 0.05, 0.9);
  if (controller.ok() && s.stickDeadZone >= s.stickPress) {
    const toml::node* at = table("controller").get("stick_dead_zone");
    if (!at) at = table("controller").get("stick_press");
    controller.fail(*at, "stick_dead_zone must be less than stick_press");
  }
  if (!controller.ok()) return Status::failure(controller.problem());

  TableReader keys(table("keys"), "keys", path);
  std::set<std::string> commandNames;
  for (const KeyCommand& command : keyCommands()) commandNames.insert(command.name);
  keys.onlyKeys(commandNames);
  // A key may play one command only: the commands left out keep their
  // default keys, which count as used too.
  std::map<int32_t, std::string> used;
  const std::vector<KeyCommand>& commands = keyCommands();
  for (size_t i = 0; i < commands.size() && keys.ok(); ++i)
    if (!table("keys").contains(commands[i].name))
      for (const DefaultKey& key : commands[i].defaults) used.emplace(keyFromName(key.name), commands[i].name);
  for (size_t i = 0; i < commands.size() && keys.ok(); ++i) keys.keyList(commands[i], s.keys[i], used);
  if (!keys.ok()) return Status::failure(keys.problem());
  return s;
}

std::string settingsText(const Settings& s) {
  std::ostringstream out;
  out << "# Cogstorm's settings. Options given on the command line win over these;\n"
         "# fullscreen, the volumes, the status line and the window's size are saved\n"
         "# here when the game closes. Delete this file to get the defaults back.\n"
         "\n[window]\n"
         "# The window's width in pixels ("
      << kMinWindowSide << " to " << kMaxWindowSide << "); like the W of --window WxH.\n"
      << "width = " << s.windowWidth << "\n# Its height in pixels (" << kMinWindowSide << " to " << kMaxWindowSide
      << "); like the H of --window WxH.\nheight = " << s.windowHeight
      << "\n# Start fullscreen (F11 or Alt+Enter switch while playing); like --fullscreen.\n"
      << "fullscreen = " << yesNo(s.fullscreen)
      << "\n# How the picture fits the window: \"keep\" (square, centred, black bars beside it),\n"
         "# \"stretch\" (stretched over the whole window) or \"wide\" (the view widened to the\n"
         "# window's shape, the same height); like --aspect.\n"
      << "aspect = " << tomlString(aspectName(s.aspect))
      << "\n# Which OpenGL draws: \"auto\", \"gl\", \"gles\" or \"compat\"; like --renderer.\n"
      << "renderer = " << tomlString(rendererName(s.renderer))
      << "\n# Smooth textures: linear filtering with mipmaps; like --smooth.\n"
      << "smooth_textures = " << yesNo(s.smoothTextures)
      << "\n# The status line on the picture: robots left, frozen, music, paused.\n"
      << "status_line = " << yesNo(s.statusLine) << "\n"
      << "\n[sound]\n"
         "# Music volume in percent of the game's mix, 0 to 100 (keys: - and =).\n"
      << "music_volume = " << s.musicVolume
      << "\n# Effects volume in percent of the game's mix, 0 to 100 (keys: [ and ]).\n"
      << "effects_volume = " << s.effectsVolume << "\n# Play without any sound; like --mute.\n"
      << "mute = " << yesNo(s.mute) << "\n"
      << "\n[mouse]\n"
         "# Turning with the mouse once a click in the window has caught it.\n"
      << "turning = " << yesNo(s.mouseTurning)
      << "\n# How far a mouse movement turns: 1.0 as made, 2.0 twice as far (0.1 to 10).\n"
      << "sensitivity = " << tomlNumber(s.mouseSensitivity) << "\n"
      << "\n[controller]\n"
         "# The left stick presses a direction past this part of its travel (0.1 to 0.95).\n"
      << "stick_press = " << tomlNumber(s.stickPress)
      << "\n# ... and lets go of it back inside this part: the dead zone (0.05 to 0.9, below stick_press).\n"
      << "stick_dead_zone = " << tomlNumber(s.stickDeadZone) << "\n"
      << "\n[keys]\n"
         "# The keys of each command, by name (\"Space\", \"Up\", \"V\", \"F7\", \"Keypad 2\", \"-\").\n"
         "# A key plays one command; Escape, F1, F11, P, Pause and Tab are kept by the game.\n";
  const std::vector<KeyCommand>& commands = keyCommands();
  for (size_t i = 0; i < commands.size(); ++i) {
    out << "# " << commands[i].what << "\n" << commands[i].name << " = [";
    for (size_t k = 0; i < s.keys.size() && k < s.keys[i].size(); ++k)
      out << (k ? ", " : "") << tomlString(s.keys[i][k]);
    out << "]\n";
  }
  return out.str();
}

Status writeSettings(const std::string& path, const Settings& settings) {
  return writeWholeFile(path, settingsText(settings), "the settings");
}

bool parseWindowSize(const std::string& text, int& width, int& height, std::string& error) {
  const size_t x = text.find_first_of("xX");
  const auto side = [](const std::string& digits, int& value) {
    if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
      return false;
    value = std::stoi(digits);
    return value >= kMinWindowSide && value <= kMaxWindowSide;
  };
  if (x == std::string::npos || !side(text.substr(0, x), width) || !side(text.substr(x + 1), height)) {
    error = "\"" + text + "\" is not a window size: WIDTHxHEIGHT, each side a whole number of pixels from " +
            std::to_string(kMinWindowSide) + " to " + std::to_string(kMaxWindowSide);
    return false;
  }
  return true;
}

}  // namespace cog
