// Actors and the reading and freeing of their model trees. A model file holds
// the tree in pre-order, first child before next sibling; the reader and the
// freeing walk it with explicit stacks, so any depth fits.

#include "level/model.h"

#include <string>
#include <utility>
#include <vector>

#include "level/text_reader.h"

namespace cog {

Actor::Actor(int kind, int index_) : walks(kind == 1 ? 1 : 0), index(index_) {}

Actors::Actors()
    : robots{Actor(1, 0), Actor(1, 1), Actor(1, 2), Actor(1, 3), Actor(1, 4), Actor(1, 5), Actor(1, 6)},
      shot(0, 0) {}

void Actors::reset() {
  for (int n = 0; n < kRobotCount; ++n) robots[n] = Actor(1, n);
  shot = Actor(0, 0);
}

bool Actor::load(TextReader& in, RenderDevice& device) {
  model.reset();
  if (!in.readFloat(sourceValue, "the model's first value")) return false;
  model = std::make_unique<ModelPart>();
  return model->readPart(in, device);
}

ModelPart::~ModelPart() { clear(); }

namespace {

// Pivot, keys and mesh of one part: everything before its two flags.
bool readPartBody(ModelPart& part, TextReader& in, RenderDevice& device) {
  in.skipSeparators();
  if (!in.readFloat(part.pivot.x, "pivot x")) return false;
  in.skipSeparators();
  if (!in.readFloat(part.pivot.y, "pivot y")) return false;
  in.skipSeparators();
  if (!in.readFloat(part.pivot.z, "pivot z")) return false;
  in.skipSeparators();

  part.keys.clear();
  part.currentKey = 0;
  for (;;) {
    Keyframe key;
    in.skipSeparators();
    bool ok = in.readFloat(key.time, "key time");
    if (ok) {
      in.skipSeparators();
      ok = in.readFloat(key.angles.x, "key angle x");
    }
    if (ok) {
      in.skipSeparators();
      ok = in.readFloat(key.angles.y, "key angle y");
    }
    if (ok) {
      in.skipSeparators();
      ok = in.readFloat(key.angles.z, "key angle z");
    }
    if (!ok) {
      // Only whitespace or nothing left: say what was missing.
      if (in.onlyWhitespaceLeft()) in.failAtEnd("the file ends before the key list reaches time 1.0");
      return false;
    }
    in.skipSeparators();
    part.keys.push_back(key);
    if (key.time == 1.0f) break;
  }
  return part.mesh.readRecord(in, device);
}

}  // namespace

bool ModelPart::readPart(TextReader& in, RenderDevice& device) {
  // Parts whose child subtree is being read; each still has its sibling flag
  // to come once that subtree is complete.
  std::vector<ModelPart*> waiting;
  clear();
  ModelPart* part = this;
  int32_t parts = 0;
  for (;;) {
    if (++parts > kMaxModelParts) {
      in.fail("the model has more than " + std::to_string(kMaxModelParts) + " parts");
      return false;
    }
    if (!readPartBody(*part, in, device)) return false;
    int32_t flag = 0;
    if (!in.readInt(flag, "child flag")) return false;
    if (flag == 1) {
      part->child = std::make_unique<ModelPart>();
      waiting.push_back(part);
      part = part->child.get();
      continue;
    }
    // The part is complete with its children: its sibling flag, and those of
    // the parents whose last child it closes.
    for (;;) {
      if (!in.readInt(flag, "sibling flag")) return false;
      if (flag == 1) {
        part->sibling = std::make_unique<ModelPart>();
        part = part->sibling.get();
        break;
      }
      if (waiting.empty()) return true;
      part = waiting.back();
      waiting.pop_back();
    }
  }
}

void ModelPart::clear() {
  // Collect the subtrees in the order node, child subtree, sibling subtree,
  // detaching each part from its parent; freeing them in reverse then frees
  // a sibling subtree before the child subtree, and every part after its
  // descendants, with no recursion.
  std::vector<std::unique_ptr<ModelPart>> order;
  std::vector<std::unique_ptr<ModelPart>> stack;
  if (sibling) stack.push_back(std::move(sibling));
  if (child) stack.push_back(std::move(child));
  while (!stack.empty()) {
    std::unique_ptr<ModelPart> p = std::move(stack.back());
    stack.pop_back();
    if (p->sibling) stack.push_back(std::move(p->sibling));
    if (p->child) stack.push_back(std::move(p->child));
    order.push_back(std::move(p));
  }
  while (!order.empty()) order.pop_back();
  keys.clear();
  keys.shrink_to_fit();
  currentKey = 0;
}

}  // namespace cog
