#include "platform/web/page.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <memory>
#include <utility>

namespace cog::web {

namespace {

constexpr const char* kCanvas = "#canvas";

// What the callbacks reach; made once, lives as long as the page.
struct PageHooks {
  std::function<void(uint32_t)> key;
  std::function<void(bool)> hidden;
  std::function<bool(double)> frame;
  int width = 0, height = 0;
};

PageHooks& hooks() {
  static PageHooks* page = new PageHooks;  // the page's own, never freed
  return *page;
}

EM_BOOL keyDown(int, const EmscriptenKeyboardEvent* event, void*) {
  const int keyCode = static_cast<int>(event->keyCode);
  if (event->altKey && keyCode == 13) {
    toggleFullscreen();
    return EM_TRUE;
  }
  if (event->ctrlKey || event->metaKey) return EM_FALSE;  // the browser's own shortcuts
  const uint32_t code = domKeyCode(keyCode);
  if (code == 0) return EM_FALSE;
  if (hooks().key) hooks().key(code);
  // Arrows and space would scroll the page. Of the function keys only F5
  // and F7 are the game's (x-ray off, side-step left); the rest, F11 and
  // F12 among them, stay the browser's.
  return code < 112 || code > 123 || code == 116 || code == 118;
}

EM_BOOL visibilityChanged(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  if (hooks().hidden) hooks().hidden(event->hidden != 0);
  return EM_FALSE;
}

EM_BOOL animationFrame(double time, void*) {
  PageHooks& page = hooks();
  if (!page.frame) return EM_FALSE;
  if (page.frame(time)) return EM_TRUE;
  page.frame = nullptr;
  return EM_FALSE;
}

EM_JS(void, pageToggleFullscreen, (), {
  if (document.fullscreenElement) document.exitFullscreen();
  else document.getElementById('canvas').requestFullscreen().catch(function() {});
});
EM_JS(void, pageShowFailure, (const char* text), {
  if (Module.showFailure) Module.showFailure(UTF8ToString(text));
});
EM_JS(void, pageMarkFirstFrame, (), {
  if (window.cogFirstFrame === undefined) window.cogFirstFrame = performance.now();
});
EM_JS(void, pageConsoleLine, (const char* line), { console.log(UTF8ToString(line)); });

}  // namespace

bool openWebGl2(std::string& error) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_TRUE;
  attributes.antialias = EM_FALSE;
  attributes.premultipliedAlpha = EM_FALSE;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(kCanvas, &attributes);
  if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS) {
    error = "this browser cannot draw the game: it has no WebGL 2";
    return false;
  }
  return true;
}

bool fitCanvas(int& width, int& height) {
  double cssWidth = 0, cssHeight = 0;
  emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
  const double ratio = emscripten_get_device_pixel_ratio();
  width = static_cast<int>(cssWidth * ratio + 0.5);
  height = static_cast<int>(cssHeight * ratio + 0.5);
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  PageHooks& page = hooks();
  if (width == page.width && height == page.height) return false;
  emscripten_set_canvas_element_size(kCanvas, width, height);
  page.width = width;
  page.height = height;
  return true;
}

void onKey(std::function<void(uint32_t)> key) {
  hooks().key = std::move(key);
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, keyDown);
}

void onHidden(std::function<void(bool)> hidden) {
  hooks().hidden = std::move(hidden);
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, visibilityChanged);
}

bool pageHidden() {
  EmscriptenVisibilityChangeEvent state;
  return emscripten_get_visibility_status(&state) == EMSCRIPTEN_RESULT_SUCCESS && state.hidden != 0;
}

void toggleFullscreen() { pageToggleFullscreen(); }

void setTitle(const std::string& title) { emscripten_set_window_title(title.c_str()); }

void showFailure(const std::string& text) { pageShowFailure(text.c_str()); }

void markFirstFrame() { pageMarkFirstFrame(); }

void consoleLine(const std::string& line) { pageConsoleLine(line.c_str()); }

void runFrames(std::function<bool(double)> frame) {
  hooks().frame = std::move(frame);
  emscripten_request_animation_frame_loop(animationFrame, nullptr);
}

uint32_t domKeyCode(int keyCode) {
  // The page numbers keys as the game does: letters by their upper-case
  // codes, digits, F1-F12 from 112, the keypad from 96, arrows 37-40.
  if ((keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= '0' && keyCode <= '9')) return static_cast<uint32_t>(keyCode);
  if (keyCode >= 112 && keyCode <= 123) return static_cast<uint32_t>(keyCode);
  if (keyCode >= 96 && keyCode <= 107) return static_cast<uint32_t>(keyCode);
  switch (keyCode) {
    case 8: case 9: case 13: case 32: case 33: case 34: case 35: case 36:
    case 37: case 38: case 39: case 40: case 45: case 46: case 109: case 110: case 111:
      return static_cast<uint32_t>(keyCode);
    default:
      return 0;  // Escape is the browser's (it leaves fullscreen), as it is the window's
  }
}

}  // namespace cog::web
