// Actors and model trees: construction, the model-file grammar, key lists,
// flags, separators, deep trees and their freeing.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "level/model.h"
#include "level/text_reader.h"
#include "support/level_files.h"
#include "support/test_game.h"

namespace cog {

namespace {

// A list-form mesh of one triangle.
const std::string kTriangle = "-1 0 0 0 0 1  0 0 0 0 0  0 20 0 0 1  10 0 0 1 0\n";

const char* const kTwoLegs =
    "1\n"
    "(0, 0, 0)\n"
    "(0, 0, 0, 0) (1, 0, 0, 0)\n"
    "-1 0 0 0 0 1  -10 0 0 0 0  10 0 0 1 0  0 30 0 0.5 1\n"
    "1\n"
    "(-5, 20, 0)\n"
    "(0, 30, 0, 0) (0.5, -30, 0, 0) (1, 30, 0, 0)\n"
    "-1 0 0 0 0 1  -6 0 0 0 0  -4 0 0 1 0  -5 20 0 0.5 1\n"
    "0\n"
    "1\n"
    "(5, 20, 0)\n"
    "(0, -30, 0, 0) (0.5, 30, 0, 0) (1, -30, 0, 0)\n"
    "-1 0 0 0 0 1  4 0 0 0 0  6 0 0 1 0  5 20 0 0.5 1\n"
    "0\n"
    "0\n"
    "0\n";

struct ModelCase {
  TestGame t;
  Actor actor{1, 3};
  bool loaded = false;
  std::string error;
  size_t left = 0;

  explicit ModelCase(const std::string& text) {
    TextReader in("enin.txt", text);
    loaded = actor.load(in, t.dev);
    error = in.error();
    left = in.remaining();
  }
  bool ok() const { return loaded; }
  ModelPart& root() { return *actor.model; }
};

std::vector<float> keyTimes(const ModelPart& p) {
  std::vector<float> t;
  for (const Keyframe& k : p.keys) t.push_back(k.time);
  return t;
}

}  // namespace

TEST(LevelActor, ConstructionOfTheEightActors) {
  Actor robot(1, 4);
  EXPECT_EQ(robot.walks, 1);
  EXPECT_EQ(robot.index, 4);
  EXPECT_EQ(robot.alive, 1);
  EXPECT_EQ(robot.inFlight, 0);
  EXPECT_EQ(robot.walkPhase, 0.0f);
  EXPECT_EQ(robot.sourceValue, 0.0f);
  EXPECT_EQ(robot.velocity, Vec3());
  EXPECT_EQ(robot.position, Vec3());
  EXPECT_FALSE(robot.model);
  EXPECT_EQ(Actor(0, 0).walks, 0);
  EXPECT_EQ(Actor(7, 0).walks, 0);

  TestGame t;
  Actors& actors = t.actors;
  actors.robots[2].walkPhase = 0.5f;
  actors.shot.inFlight = 1;
  actors.reset();
  for (int n = 0; n < kRobotCount; ++n) {
    EXPECT_EQ(actors.robots[n].walks, 1);
    EXPECT_EQ(actors.robots[n].index, n);
    EXPECT_EQ(actors.robots[n].walkPhase, 0.0f);
  }
  EXPECT_EQ(actors.shot.walks, 0);
  EXPECT_EQ(actors.shot.index, 0);
  EXPECT_EQ(actors.shot.inFlight, 0);
}

TEST(LevelModel, SinglePartOfTheWorkedExample) {
  ModelCase c("1\n(0, 0, 0)\n(0, 0, 0, 0)\n(1, 0, 0, 0)\n" + kTriangle + "0\n0\n");
  ASSERT_TRUE(c.ok()) << c.error;
  EXPECT_EQ(c.actor.sourceValue, 1.0f);
  ModelPart& p = c.root();
  EXPECT_EQ(p.pivot, Vec3(0, 0, 0));
  EXPECT_EQ(keyTimes(p), (std::vector<float>{0.0f, 1.0f}));
  EXPECT_EQ(p.currentKey, 0u);
  EXPECT_EQ(p.mesh.primitiveType, 1);
  EXPECT_EQ(p.mesh.vertexCount, 3);
  EXPECT_FALSE(p.child);
  EXPECT_FALSE(p.sibling);
  EXPECT_EQ(c.left, 1u);  // the last newline
}

TEST(LevelModel, BodyWithTwoLegs) {
  ModelCase c(kTwoLegs);
  ASSERT_TRUE(c.ok()) << c.error;
  ModelPart& body = c.root();
  ASSERT_TRUE(body.child);
  EXPECT_FALSE(body.sibling);
  ModelPart& left = *body.child;
  ASSERT_TRUE(left.sibling);
  EXPECT_FALSE(left.child);
  ModelPart& right = *left.sibling;
  EXPECT_FALSE(right.child);
  EXPECT_FALSE(right.sibling);

  EXPECT_EQ(left.pivot, Vec3(-5, 20, 0));
  EXPECT_EQ(right.pivot, Vec3(5, 20, 0));
  EXPECT_EQ(keyTimes(left), (std::vector<float>{0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(left.keys[1].angles, Vec3(-30, 0, 0));
  EXPECT_EQ(right.keys[1].angles, Vec3(30, 0, 0));
  EXPECT_EQ(right.keys[2].angles, Vec3(-30, 0, 0));
  EXPECT_EQ(left.mesh.boundsMin, Vec3(-6, 0, 0));
}

TEST(LevelModel, KeyListEndsAtTimeExactlyOne) {
  for (const char* last : {"1", "1.0", "1.000", "+1", "10e-1"}) {
    ModelCase c(std::string("0  0 0 0  0.5 1 2 3  ") + last + " 4 5 6  " + kTriangle + "0 0");
    ASSERT_TRUE(c.ok()) << last << ": " << c.error;
    EXPECT_EQ(c.root().keys.size(), 2u) << last;
    EXPECT_EQ(c.root().keys[1].angles, Vec3(4, 5, 6));
  }
  // 1.01 is a key like any other: the next four numbers are another key.
  ModelCase longer("0  0 0 0  1.01 0 0 0  1 0 0 0 " + kTriangle + "0 0");
  ASSERT_TRUE(longer.ok()) << longer.error;
  EXPECT_EQ(keyTimes(longer.root()), (std::vector<float>{1.01f, 1.0f}));
  // A single key of time 1 is a complete list.
  ModelCase single("0  (1,2,3)  (1, 9, 8, 7)  " + kTriangle + "0 0");
  ASSERT_TRUE(single.ok()) << single.error;
  ASSERT_EQ(single.root().keys.size(), 1u);
  EXPECT_FALSE(single.root().hasNextKey());
  EXPECT_EQ(single.root().pivot, Vec3(1, 2, 3));
}

TEST(LevelModel, KeyListThatNeverReachesOne) {
  ModelCase ends("1\n(0, 0, 0)\n(0, 0, 0, 0)\n(0.5, 1, 2, 3)\n(0.9, 0, 0)\n\n");
  EXPECT_FALSE(ends.ok());
  EXPECT_EQ(ends.error, "enin.txt:5: the file ends before the key list reaches time 1.0");
  ModelCase endsAfterParen("1\n(0, 0, 0)\n(0, 0, 0, 0)\n(");
  EXPECT_EQ(endsAfterParen.error, "enin.txt:4: the file ends before the key list reaches time 1.0");
  ModelCase word("1\n(0, 0, 0)\n(0, 0, 0, 0)\n(0.5, zero, 0, 0)\n");
  EXPECT_EQ(word.error, "enin.txt:4: expected a number (key angle x), found \"zero,\"");
  // The mesh comes straight after the last key: a 13th number is its lead.
  ModelCase extra("0  0 0 0  1 0 0 0 0  " + kTriangle + "0 0");
  EXPECT_FALSE(extra.ok());
}

TEST(LevelModel, FlagsOtherThanOneMeanNothingFollows) {
  for (const char* flags : {"0 0", "2 -1", "-1 2", "0 7"}) {
    ModelCase c("0  0 0 0  1 0 0 0  " + kTriangle + flags + " 1 junk");
    ASSERT_TRUE(c.ok()) << flags << ": " << c.error;
    EXPECT_FALSE(c.root().child);
    EXPECT_FALSE(c.root().sibling);
    EXPECT_EQ(c.left, 7u) << flags;  // " 1 junk" is never read
  }
}

TEST(LevelModel, FlagsAreReadInPreOrder) {
  // root { a { c }, b }: a's child c and its flags come before a's sibling flag.
  const std::string part = "0 0 0  1 0 0 0  " + kTriangle;
  ModelCase c("0 " + part + "1 " +   // root, has a child (a)
              part + "1 " +          // a, has a child (c)
              part + "0 0 " +        // c: no child, no sibling
              "1 " + part + "0 0 " + // a has a sibling (b), b has neither
              "0");                  // root has no sibling
  ASSERT_TRUE(c.ok()) << c.error;
  ModelPart& root = c.root();
  ASSERT_TRUE(root.child);
  ASSERT_TRUE(root.child->child);
  ASSERT_TRUE(root.child->sibling);
  EXPECT_FALSE(root.child->child->sibling);
  EXPECT_FALSE(root.child->sibling->sibling);
  EXPECT_FALSE(root.sibling);
  EXPECT_EQ(c.left, 0u);
}

TEST(LevelModel, PivotAndKeysWithOrWithoutPunctuation) {
  ModelCase plain("0  0 20 0  0 1 2 3  1 4 5 6  " + kTriangle + "0 0");
  ModelCase punct("0 (0,20,0) ,(0,1 ,2,3)( 1,4,5,6 ) " + kTriangle + "0 0");
  ASSERT_TRUE(plain.ok()) << plain.error;
  ASSERT_TRUE(punct.ok()) << punct.error;
  EXPECT_EQ(plain.root().pivot, punct.root().pivot);
  ASSERT_EQ(punct.root().keys.size(), 2u);
  EXPECT_EQ(punct.root().keys[0].angles, Vec3(1, 2, 3));
  EXPECT_EQ(punct.root().keys[1].angles, Vec3(4, 5, 6));
  // The first value and the mesh and flags take no punctuation.
  ModelCase source("(0) 0 0 0  1 0 0 0 " + kTriangle + "0 0");
  EXPECT_EQ(source.error, "enin.txt:1: expected a number (the model's first value), found \"(0)\"");
  ModelCase flag("0  0 0 0  1 0 0 0 " + kTriangle + "(0) 0");
  EXPECT_EQ(flag.error, "enin.txt:2: expected an integer (child flag), found \"(0)\"");
}

TEST(LevelModel, MeshFailuresFailTheModel) {
  TestGame t;
  t.dev.refuseBufferAt = 1;
  Actor actor(0, 0);
  TextReader in("shot.txt", kTwoLegs);
  EXPECT_FALSE(actor.load(in, t.dev));
  EXPECT_NE(in.error().find("cannot create the record's vertex buffer"), std::string::npos);

  ModelCase marker("0  0 0 0  1 0 0 0  -1 0 1 0 0 0  0 0");
  EXPECT_NE(marker.error.find("marker record needs at least 3 vertices"), std::string::npos);
}

TEST(LevelModel, LoadingAgainReplacesTheTree) {
  ModelCase c(kTwoLegs);
  ASSERT_TRUE(c.ok());
  TextReader in("enin.txt", "2 0 0 0 1 0 0 0 " + kTriangle + "0 0");
  ASSERT_TRUE(c.actor.load(in, c.t.dev));
  EXPECT_EQ(c.actor.sourceValue, 2.0f);
  EXPECT_FALSE(c.actor.model->child);
}

TEST(LevelModel, DeepChainsLoadAndFreeWithoutRecursion) {
  constexpr int kParts = 100000;
  const std::string part = "0 0 0 1 0 0 0 -1 0 0 0 0 0 ";
  std::string childChain = "0\n";
  for (int i = 0; i < kParts - 1; ++i) childChain += part + "1\n";
  childChain += part + "0 0\n";
  for (int i = 0; i < kParts - 1; ++i) childChain += "0\n";

  std::string siblingChain = "0\n";
  for (int i = 0; i < kParts - 1; ++i) siblingChain += part + "0 1\n";
  siblingChain += part + "0 0\n";

  for (const std::string* text : {&childChain, &siblingChain}) {
    ModelCase c(*text);
    ASSERT_TRUE(c.ok()) << c.error;
    EXPECT_EQ(c.left, 1u);
    int depth = 0;
    for (const ModelPart* p = c.actor.model.get(); p; p = p->child ? p->child.get() : p->sibling.get()) {
      ++depth;
    }
    EXPECT_EQ(depth, kParts);
    c.actor.model->clear();
    EXPECT_FALSE(c.actor.model->child);
    EXPECT_FALSE(c.actor.model->sibling);
    EXPECT_TRUE(c.actor.model->keys.empty());
    TextReader again("enin.txt", *text);
    ASSERT_TRUE(c.actor.load(again, c.t.dev));
    // The Actor frees the whole tree again when it goes.
  }
}

TEST(LevelModel, ModelsBeyondThePartLimitAreRefused) {
  // Each robot holds its own copy, so a model file may not ask for
  // millions of parts.
  const std::string part = "0 0 0 1 0 0 0 -1 0 0 0 0 0 ";
  std::string text = "0\n";
  for (int i = 0; i < kMaxModelParts; ++i) text += part + "0 1\n";
  text += part + "0 0\n";
  ModelCase c(text);
  ASSERT_FALSE(c.ok());
  EXPECT_NE(c.error.find("more than 250000 parts"), std::string::npos) << c.error;
}

}  // namespace cog
