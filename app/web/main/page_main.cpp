// The game in a browser tab: the shader device on the page's WebGL 2
// canvas, ticked on the browser's animation frames (at most one tick when
// 33 ms have passed, missed ticks dropped, as the window's timer does),
// keys and gamepads from the page, sound through the page's engine. The
// page's script (web/shell.html) turns its address into the arguments.

#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "app/headless.h"
#include "app/timedemo.h"
#include "app/web/page_options.h"
#include "app/web/page_sound.h"
#include "app/web/web_run.h"
#include "platform/web/gamepads.h"
#include "platform/web/page.h"
#include "render/shader/shader_device.h"

namespace cog {
namespace {

// Everything the page's run keeps between frames.
struct PageRun {
  PageOptions options;
  std::unique_ptr<ShaderDevice> device;
  PageSound sound;
  std::unique_ptr<WebRun> run;  // last: goes first
  web::Gamepads pads;
  int64_t stopAt = 0;     // 0: never
  double lastTick = -1;   // the frame time of the last tick
  bool hidden = false;
  std::string line;
  FrameTimer tickTimer;   // each tick's work, clear to present
  std::vector<double> frameGaps;  // between unpaced frames
  double lastFrame = -1;

  ~PageRun() { run.reset(); }
};

constexpr double kTickMs = kTickMilliseconds;

int fail(const std::string& message) {
  web::setTitle("ERROR " + message);
  web::showFailure(message);
  return 1;
}

// The canvas is the back buffer; the picture sits in it as the window's
// does, as the aspect mode says (keep: the square picture whole between bars).
void resize(PageRun& page, int width, int height) {
  const auto w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
  page.device->setBackBufferSize(w, h);
  if (page.run) page.run->setLayout(layoutPicture(page.options.aspect, w, h));
}

bool frame(PageRun& page, double now) {
  if (page.hidden) {
    page.lastTick = -1;
    return true;
  }
  int width = 0, height = 0;
  if (web::fitCanvas(width, height)) resize(page, width, height);
  const auto press = [&page](uint32_t code) { page.run->press(code); };
  page.pads.poll(press);
  if (!page.options.unpaced) {
    // At most one tick a frame, once 33 ms have passed; a late tick keeps
    // the beat, one later still starts it anew, so missed ticks are dropped.
    if (page.lastTick >= 0 && now - page.lastTick < kTickMs) return true;
    page.lastTick = page.lastTick >= 0 && now - page.lastTick < 2 * kTickMs ? page.lastTick + kTickMs : now;
  } else {
    if (page.lastFrame >= 0) page.frameGaps.push_back(now - page.lastFrame);
    page.lastFrame = now;
  }
  page.pads.tick(press);
  page.tickTimer.start();
  page.run->tick(page.options.trace ? &page.line : nullptr);
  page.tickTimer.stop();
  if (page.run->ticks() == 1) web::markFirstFrame();
  if (page.options.trace) web::consoleLine(page.line);
  if (page.stopAt > 0 && page.run->ticks() >= page.stopAt) {
    if (page.options.unpaced) {
      web::consoleLine("tick work: " + timedemoSummary(page.tickTimer.frameMs()));
      if (!page.frameGaps.empty()) web::consoleLine("frame gaps: " + timedemoSummary(page.frameGaps));
      web::consoleLine("device: " + std::to_string(page.device->programsCompiled()) + " programs, " +
                       std::to_string(page.device->skippedDraws()) + " draws skipped, " +
                       std::to_string(page.device->stencilCulledDraws()) + " culled by the stencil bounds");
    }
    web::setTitle("DONE " + std::to_string(page.run->ticks()));
    return false;
  }
  return true;
}

int runPage(int argc, char** argv) {
  auto page = std::make_unique<PageRun>();
  std::string error;
  if (!parsePageArguments(std::vector<std::string>(argv + 1, argv + argc), page->options, error)) return fail(error);
  std::vector<KeyPress> script;
  if (!page->options.inputPath.empty() && !readKeyScript(page->options.inputPath, script, error)) return fail(error);
  if (chdir("/level") != 0) return fail("the level is missing from the page");
  if (!web::openWebGl2(error)) return fail(error);
  int width = 0, height = 0;
  web::fitCanvas(width, height);
  page->device = std::make_unique<ShaderDevice>(GlDialect::Gles30, nullptr, [] {});
  if (!page->device->usable()) return fail("WebGL 2 lacks what the game needs: " + page->device->problem());
  page->device->setBackBufferSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
  page->sound = PageSound::open(page->options.mute);
  page->run = WebRun::start(*page->device, page->sound.engine(), page->sound.clock(), std::move(script), true, error);
  if (!page->run) return fail(error);
  resize(*page, width, height);
  page->stopAt = page->options.ticks > 0 ? page->options.ticks : (page->options.unpaced ? page->run->scriptEnd() : 0);
  web::onKey([p = page.get()](uint32_t code) { p->run->press(code); });
  web::onHidden([p = page.get()](bool hidden) {
    p->hidden = hidden;
    p->sound.engine().SetPaused(hidden);
  });
  page->hidden = web::pageHidden();
  page->sound.engine().SetPaused(page->hidden);
  // The page keeps the run for as long as it is open; a finished run
  // leaves its last picture.
  PageRun* kept = page.release();
  web::runFrames([kept](double now) { return frame(*kept, now); });
  return 0;
}

}  // namespace
}  // namespace cog

int main(int argc, char** argv) { return cog::runPage(argc, argv); }
