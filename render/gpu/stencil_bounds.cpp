// Where the stencil can be non-zero, so stencil-equal draws are scissored or skipped.
#include "render/gpu/stencil_bounds.h"

#include <algorithm>

#include "seams/render_device.h"

namespace cog {

namespace {

PixelRect unite(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

}  // namespace

StencilStates stencilStatesFrom(const uint32_t* rs) {
  StencilStates states;
  states.enabled = rs[raw(RenderState::StencilEnable)] != 0;
  states.func = rs[raw(RenderState::StencilFunc)];
  states.ref = rs[raw(RenderState::StencilRef)];
  states.mask = rs[raw(RenderState::StencilMask)];
  states.writeMask = rs[raw(RenderState::StencilWriteMask)];
  states.failOp = rs[raw(RenderState::StencilFail)];
  states.zFailOp = rs[raw(RenderState::StencilZFail)];
  states.passOp = rs[raw(RenderState::StencilPass)];
  return states;
}

ScissorSwitch ScissorTracker::toward(const StencilBounds::Decision& d) {
  ScissorSwitch s;
  if (d.scissor) {
    const PixelRect& r = d.rect;
    s.enable = !on_;
    s.setRect = !on_ || r.x0 != rect_.x0 || r.y0 != rect_.y0 || r.x1 != rect_.x1 || r.y1 != rect_.y1;
    s.rect = r;
    rect_ = r;
    on_ = true;
  } else if (on_) {
    s.disable = true;
    on_ = false;
  }
  return s;
}

void StencilBounds::cleared(uint32_t value, bool whole) {
  known_ = whole && (value & 0xFFu) == 0;
  bounds_ = PixelRect{};
}

StencilBounds::Decision StencilBounds::beforeDraw(const StencilStates& s, const std::function<PixelRect()>& drawRect) {
  Decision d;
  if (!s.enabled) return d;  // GL neither tests nor writes the stencil
  // "Equal to a value 0 does not match": only pixels inside the bounds can
  // pass; those that fail are left alone when the fail operation keeps.
  const bool limited = known_ && s.func == raw(Compare::Equal) && (s.ref & s.mask & 0xFFu) != 0 &&
                       s.failOp == raw(StencilOp::Keep);
  if (limited) {
    if (bounds_.empty()) {
      d.skip = true;
      return d;
    }
    d.scissor = true;
    d.rect = bounds_;
  }
  const bool writes = (s.writeMask & 0xFFu) != 0 &&
                      (s.failOp != raw(StencilOp::Keep) || s.zFailOp != raw(StencilOp::Keep) ||
                       s.passOp != raw(StencilOp::Keep));
  // A limited draw writes only inside the bounds, which then stay as they are.
  if (known_ && writes && !limited) bounds_ = unite(bounds_, drawRect());
  return d;
}

}  // namespace cog
