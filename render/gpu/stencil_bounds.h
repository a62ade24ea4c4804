#pragma once
// Where the stencil buffer can hold anything but 0, as a rectangle of
// pixels, so that draws tested for "stencil equal to a non-zero value" (the
// mirror's reflected pass and glass) are limited to it by a scissor, or
// skipped when it is empty. Outside the rectangle the stencil is 0 and such
// a test fails anyway, so the picture is exactly the same; llvmpipe then
// rasterises only the tiles under the mirror instead of the whole scene
// twice more. No GL calls here.

#include <cstdint>
#include <functional>

namespace cog {

struct PixelRect {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // GL window pixels, [x0, x1) x [y0, y1)
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The stencil states of a draw, as Direct3D numbers.
struct StencilStates {
  bool enabled = false;
  uint32_t func = 0, ref = 0, mask = 0, writeMask = 0;
  uint32_t failOp = 0, zFailOp = 0, passOp = 0;
};

// The stencil states of a draw, read from Direct3D's render-state array.
StencilStates stencilStatesFrom(const uint32_t* renderStates);

class StencilBounds {
 public:
  // A clear of the stencil to `value`; `whole` when it covered the whole
  // back buffer. Anything else leaves the bounds unknown until the next
  // whole clear to 0.
  void cleared(uint32_t value, bool whole);

  struct Decision {
    bool skip = false;     // nothing of the draw can pass the stencil test
    bool scissor = false;  // limit the draw to `rect`
    PixelRect rect;
  };
  // Decides for one draw, and grows the bounds by what it may write.
  // `drawRect` gives the pixels the draw may cover (at most the viewport);
  // it is called only when needed.
  Decision beforeDraw(const StencilStates& s, const std::function<PixelRect()>& drawRect);

  bool known() const { return known_; }
  const PixelRect& bounds() const { return bounds_; }

 private:
  bool known_ = false;
  PixelRect bounds_;
};

// The scissor GL has, so that a device changes it only when a draw needs
// another: what to tell GL for a draw's decision.
struct ScissorSwitch {
  bool enable = false;   // glEnable(GL_SCISSOR_TEST)
  bool setRect = false;  // glScissor(rect)
  bool disable = false;  // glDisable(GL_SCISSOR_TEST)
  PixelRect rect;
};

class ScissorTracker {
 public:
  ScissorSwitch toward(const StencilBounds::Decision& d);
  // A clear used the scissor for itself and left it off.
  void turnedOff() { on_ = false; }
  bool on() const { return on_; }

 private:
  bool on_ = false;
  PixelRect rect_;
};

}  // namespace cog
