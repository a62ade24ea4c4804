// Mesh records in both forms: fields, vertices, normals, floors, bounds, the
// vertex buffer asked of the device, and the records that are refused.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "level/mesh_record.h"
#include "level/text_reader.h"
#include "support/level_files.h"
#include "support/test_game.h"

namespace cog {

namespace {

struct RecordCase {
  TestGame t;
  MeshRecord record;
  std::string error;
  bool read = false;
  size_t left = 0;  // characters left in the text after the record

  explicit RecordCase(const std::string& text, RecordLimits limits = {}) {
    TextReader in("dat.txt", text);
    in.limits = limits;
    read = record.readRecord(in, t.dev);
    error = in.error();
    left = in.remaining();
  }
  bool ok() const { return read; }
};

Vec3 position(const MeshVertex& v) { return Vec3(v.x, v.y, v.z); }
Vec3 normal(const MeshVertex& v) { return Vec3(v.nx, v.ny, v.nz); }

const char* const kFloorRecord =
    "0 0 0 0 4 2\n"
    "-100 -90 -100   0 1 0   0 0\n"
    "-100 -90  700   0 1 0   0 1\n"
    " 100 -90 -100   0 1 0   1 0\n"
    " 100 -90  700   0 1 0   1 1\n";

}  // namespace

TEST(LevelRecordPlain, FloorQuadOfTheWorkedExample) {
  RecordCase c(kFloorRecord);
  ASSERT_TRUE(c.ok()) << c.error;
  const MeshRecord& r = c.record;
  EXPECT_EQ(r.primitiveType, 0);
  EXPECT_EQ(r.isMarker, 0);
  EXPECT_EQ(r.hasFloor, 1);
  EXPECT_EQ(r.roomNumber, 0);
  EXPECT_EQ(r.vertexCount, 4);
  EXPECT_EQ(r.primitiveCount, 2);
  EXPECT_EQ(r.boundsMin, Vec3(-100, -90, -100));
  EXPECT_EQ(r.boundsMax, Vec3(100, -90, 700));
  ASSERT_EQ(r.vertices.size(), 4u);
  EXPECT_EQ(position(r.vertices[1]), Vec3(-100, -90, 700));
  EXPECT_EQ(normal(r.vertices[1]), Vec3(0, 1, 0));
  EXPECT_EQ(r.vertices[2].u0, 1.0f);
  EXPECT_EQ(r.vertices[2].v0, 0.0f);
  EXPECT_EQ(r.vertices[2].u1, 1.0f);
  EXPECT_EQ(r.vertices[2].v1, 0.0f);

  // The device got the same 160 bytes, in the mesh vertex format.
  ASSERT_EQ(c.t.dev.bufferLengths.size(), 1u);
  EXPECT_EQ(c.t.dev.bufferLengths[0], 160u);
  ASSERT_EQ(c.t.dev.bufferData[0].size(), 160u);
  EXPECT_EQ(std::memcmp(c.t.dev.bufferData[0].data(), r.vertices.data(), 160), 0);
  ASSERT_TRUE(r.vertexBuffer);
  EXPECT_EQ(r.vertexBuffer->length(), 160u);
  ASSERT_FALSE(c.t.dev.calls().empty());
  EXPECT_EQ(c.t.dev.calls().back().c, kMeshFvf);
}

TEST(LevelRecordPlain, LeadOneIsAMarkerWithOneIgnoredInteger) {
  RecordCase marker("1 77 4 2 3 4 2  -90 0 -90 0 0 1 0 0  -90 40 -90 0 0 1 0 1  90 0 -90 0 0 1 1 0  90 40 -90 0 0 1 1 1 9");
  ASSERT_TRUE(marker.ok()) << marker.error;
  EXPECT_EQ(marker.record.isMarker, 1);
  EXPECT_EQ(marker.record.roomNumber, 4);
  EXPECT_EQ(marker.record.materialIndex, 2);
  EXPECT_EQ(marker.record.textureIndex, 3);
  EXPECT_EQ(marker.record.hasFloor, 0);
  EXPECT_EQ(marker.left, 2u);  // " 9" is not read

  // Any other lead is an ordinary record with nothing after it.
  for (const char* lead : {"0", "7", "-2", "2"}) {
    RecordCase plain(std::string(lead) + " 4 2 3 3 1  0 0 0 0 0 1 0 0  1 0 0 0 0 1 0 0  0 1 0 0 0 1 0 0");
    ASSERT_TRUE(plain.ok()) << lead << ": " << plain.error;
    EXPECT_EQ(plain.record.isMarker, 0) << lead;
    EXPECT_EQ(plain.record.roomNumber, 4) << lead;
    EXPECT_EQ(plain.left, 0u) << lead;
  }
}

TEST(LevelRecordPlain, FloorNeedsNormalExactlyUp) {
  auto floorOf = [](const std::string& n) {
    RecordCase c("0 0 0 0 3 1  0 0 0 " + n + " 0 0  1 0 0 0 0 1 0 0  0 0 1 0 0 1 0 0");
    EXPECT_TRUE(c.ok()) << c.error;
    return c.record.hasFloor;
  };
  EXPECT_EQ(floorOf("0 1 0"), 1);
  EXPECT_EQ(floorOf("-0 1 -0.0"), 1);
  EXPECT_EQ(floorOf("0 1.0 0"), 1);
  EXPECT_EQ(floorOf("0 0.99999994 0"), 0);
  EXPECT_EQ(floorOf("0 -1 0"), 0);
  EXPECT_EQ(floorOf("0.000001 1 0"), 0);
  EXPECT_EQ(floorOf("0 1 1e-30"), 0);
}

TEST(LevelRecordList, WorkedQuad) {
  RecordCase c("-1 3 0 2 5 -1  0 0 0 0 0  0 10 0 0 1  10 0 0 1 0  10 10 0 1 1");
  ASSERT_TRUE(c.ok()) << c.error;
  const MeshRecord& r = c.record;
  EXPECT_EQ(r.primitiveType, 1);
  EXPECT_EQ(r.roomNumber, 3);
  EXPECT_EQ(r.isMarker, 0);
  EXPECT_EQ(r.materialIndex, 2);
  EXPECT_EQ(r.textureIndex, 5);
  EXPECT_EQ(r.primitiveCount, 2);
  EXPECT_EQ(r.vertexCount, 6);
  EXPECT_EQ(r.hasFloor, 0);
  EXPECT_EQ(r.boundsMin, Vec3(0, 0, 0));
  EXPECT_EQ(r.boundsMax, Vec3(10, 10, 0));
  ASSERT_EQ(r.vertices.size(), 6u);
  const Vec3 q0(0, 0, 0), q1(0, 10, 0), q2(10, 0, 0), q3(10, 10, 0);
  const Vec3 expected[6] = {q0, q1, q2, q2, q1, q3};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(position(r.vertices[i]), expected[i]) << i;
    EXPECT_EQ(normal(r.vertices[i]), Vec3(0, 0, -1)) << i;
    EXPECT_EQ(r.vertices[i].u0, r.vertices[i].u1);
    EXPECT_EQ(r.vertices[i].v0, r.vertices[i].v1);
  }
  EXPECT_EQ(r.vertices[3].u0, 1.0f);  // copied from Q2
  EXPECT_EQ(r.vertices[4].v0, 1.0f);  // copied from Q1
  EXPECT_EQ(r.vertices[5].u0, 1.0f);
  EXPECT_EQ(r.vertices[5].v0, 1.0f);
  EXPECT_EQ(c.t.dev.bufferLengths.at(0), 240u);
}

TEST(LevelRecordList, ThreeQuadsAndZeroTriangles) {
  std::string quads = "-1 0 0 0 0 -3";
  for (int i = 0; i < 12; ++i) {
    quads += ' ';
    quads += std::to_string(i);
    quads += " 0 ";
    quads += std::to_string(i % 2);
    quads += " 0 0";
  }
  RecordCase c(quads + " 42");
  ASSERT_TRUE(c.ok()) << c.error;
  EXPECT_EQ(c.record.primitiveCount, 6);
  EXPECT_EQ(c.record.vertexCount, 18);
  EXPECT_EQ(c.left, 3u);  // exactly 12 vertices were read
  EXPECT_EQ(c.record.boundsMax, Vec3(11, 0, 1));
  // The second quad's first vertex is file vertex 4.
  EXPECT_EQ(position(c.record.vertices[6]), Vec3(4, 0, 0));

  RecordCase none("-1 0 0 0 0 0 x");
  ASSERT_TRUE(none.ok()) << none.error;
  EXPECT_EQ(none.record.vertexCount, 0);
  EXPECT_EQ(none.record.primitiveCount, 0);
  ASSERT_EQ(none.t.dev.bufferLengths.size(), 1u);
  EXPECT_EQ(none.t.dev.bufferLengths[0], 0u);
  EXPECT_TRUE(none.record.vertexBuffer);
}

TEST(LevelRecordList, MarkerFlagTakesNoExtraInteger) {
  RecordCase c("-1 2 1 0 0 1  0 0 0 0 0  1 0 0 0 0  0 0 1 0 0");
  ASSERT_TRUE(c.ok()) << c.error;
  EXPECT_EQ(c.record.isMarker, 1);
  EXPECT_EQ(c.record.roomNumber, 2);
  RecordCase other("-1 2 5 0 0 1  0 0 0 0 0  1 0 0 0 0  0 0 1 0 0");
  ASSERT_TRUE(other.ok()) << other.error;
  EXPECT_EQ(other.record.isMarker, 0);
}

TEST(LevelRecordList, ComputedNormalAndFloorFollowTheWinding) {
  // (P1 - P2) x (P1 - P0) points up for this order ...
  RecordCase up("-1 0 0 0 0 1  0 0 0 0 0  0 0 10 0 0  10 0 0 0 0");
  ASSERT_TRUE(up.ok()) << up.error;
  EXPECT_EQ(normal(up.record.vertices[0]), Vec3(0, 1, 0));
  EXPECT_EQ(up.record.hasFloor, 1);
  // ... and down for the other.
  RecordCase down("-1 0 0 0 0 1  10 0 0 0 0  0 0 10 0 0  0 0 0 0 0");
  ASSERT_TRUE(down.ok()) << down.error;
  EXPECT_EQ(normal(down.record.vertices[2]), Vec3(0, -1, 0));
  EXPECT_EQ(down.record.hasFloor, 0);
  // A triangle of zero area has no normal and is no floor.
  RecordCase flat("-1 0 0 0 0 1  0 0 0 0 0  1 0 0 0 0  2 0 0 0 0");
  ASSERT_TRUE(flat.ok()) << flat.error;
  EXPECT_TRUE(std::isnan(flat.record.vertices[0].ny));
  EXPECT_EQ(flat.record.hasFloor, 0);
}

TEST(LevelRecordList, BoundsCoverOnlyTheVerticesRead) {
  RecordCase c("-1 0 0 0 0 2  -5 1 2 0 0  3 -4 9 0 0  0 0 0 0 0   1 1 1 0 0  2 2 2 0 0  7 -8 1 0 0");
  ASSERT_TRUE(c.ok()) << c.error;
  EXPECT_EQ(c.record.boundsMin, Vec3(-5, -8, 0));
  EXPECT_EQ(c.record.boundsMax, Vec3(7, 2, 9));
}

TEST(LevelRecordRefusals, CountsThatCannotBeRight) {
  RecordCase negVertices("0 0 0 0 -4 2");
  EXPECT_FALSE(negVertices.ok());
  EXPECT_EQ(negVertices.error, "dat.txt:1: vertexCount -4 is negative");
  RecordCase negPrims("0 0 0 0 4 -2");
  EXPECT_EQ(negPrims.error, "dat.txt:1: primitiveCount -2 is negative");
  RecordCase shortStrip("0 0 0 0 3 2  0 0 0 0 1 0 0 0  1 0 0 0 1 0 0 0  0 0 1 0 1 0 0 0");
  EXPECT_FALSE(shortStrip.ok());
  EXPECT_EQ(shortStrip.error, "dat.txt:1: a strip of 2 triangles needs 4 vertices, the record has 3");
  RecordCase plainMarker("1 0 0 0 0 2 0  0 0 0 0 1 0 0 0  1 0 0 0 1 0 0 0");
  EXPECT_EQ(plainMarker.error, "dat.txt:1: a marker record needs at least 3 vertices, this one has 2");
  RecordCase listMarker("-1 0 1 0 0 0");
  EXPECT_EQ(listMarker.error, "dat.txt:1: a marker record needs at least 3 vertices, this one has 0");
  // None of these asked the device for anything.
  EXPECT_TRUE(negVertices.t.dev.bufferLengths.empty());
  EXPECT_TRUE(shortStrip.t.dev.bufferLengths.empty());
  EXPECT_TRUE(listMarker.t.dev.bufferLengths.empty());

  // A strip with spare vertices, and no triangles at all, are fine.
  RecordCase spare("0 0 0 0 4 1  0 0 0 0 1 0 0 0  1 0 0 0 1 0 0 0  0 0 1 0 1 0 0 0  1 0 1 0 1 0 0 0");
  EXPECT_TRUE(spare.ok()) << spare.error;
  RecordCase empty("0 0 0 0 0 0");
  EXPECT_TRUE(empty.ok()) << empty.error;
}

TEST(LevelRecordRefusals, HugeCountsFailBeforeAnythingIsAllocated) {
  RecordCase plain("0 0 0 0 2000000000 1999999998  0 0 0 0 1 0 0 0");
  EXPECT_FALSE(plain.ok());
  EXPECT_EQ(plain.error, "dat.txt:1: vertexCount 2000000000 is more than the rest of the file can hold");
  EXPECT_TRUE(plain.record.vertices.empty());
  EXPECT_TRUE(plain.t.dev.bufferLengths.empty());
  for (const char* count : {"2147483647", "-2147483648", "-1073741824", "715827883"}) {
    RecordCase list(std::string("-1 0 0 0 0 ") + count + " 1 2 3 4 5");
    EXPECT_FALSE(list.ok()) << count;
    EXPECT_NE(list.error.find("more vertices than the rest of the file can hold"), std::string::npos) << list.error;
    EXPECT_TRUE(list.t.dev.bufferLengths.empty());
  }
  // Just enough text is accepted: one triangle of fifteen one-digit numbers.
  RecordCase tight("-1 0 0 0 0 1 0 0 0 0 0 1 0 0 0 0 0 0 1 0 0");
  EXPECT_TRUE(tight.ok()) << tight.error;
}

TEST(LevelRecordRefusals, TruncatedAndMalformedRecords) {
  // Blank padding keeps the counts within what the rest of the file can hold.
  const std::string pad(100, ' ');
  RecordCase cut("0 0 0 0 4 2\n0 0 0 0 1 0 0 0\n1 0 0 0 1 0 0 0\n0 0 1 0 1 0 0 0\n1 0 1 0 1 0\n" + pad);
  EXPECT_EQ(cut.error, "dat.txt:5: the file ends where a number (texture u) was expected");
  RecordCase word("0 0 0 0 3 1\n0 0 0 0 1 0 0 0\n1 0 0 0 one 0 0 0\n" + pad);
  EXPECT_EQ(word.error, "dat.txt:3: expected a number (normal y), found \"one\"");
  RecordCase badLead("x");
  EXPECT_EQ(badLead.error, "dat.txt:1: expected an integer (record lead), found \"x\"");
  RecordCase comma("-1 0 0 0 0 1  0, 0 0 0 0  1 0 0 0 0  0 0 1 0 0");
  EXPECT_EQ(comma.error, "dat.txt:1: expected a number (vertex y), found \",\"");
}

TEST(LevelRecordRefusals, IndexesOutsideTheLevel) {
  const RecordLimits limits{2, 5, 3};
  RecordCase material("0 1 2 0 0 0", limits);
  EXPECT_EQ(material.error, "dat.txt:1: materialIndex 2 is out of range: the level has 2 materials");
  RecordCase texture("-1 1 0 1\n 5 0", limits);
  EXPECT_EQ(texture.error, "dat.txt:2: textureIndex 5 is out of range: the level has 5 textures");
  RecordCase room("1 0\n3 0 0 0 0", limits);
  EXPECT_EQ(room.error, "dat.txt:2: roomNumber 3 is out of range: the room graph has 3 rooms");
  RecordCase negative("-1 -1 0 0 0 0", limits);
  EXPECT_EQ(negative.error, "dat.txt:1: roomNumber -1 is out of range: the room graph has 3 rooms");
  RecordCase negMaterial("0 0 -1 0 0 0", limits);
  EXPECT_NE(negMaterial.error.find("materialIndex -1 is out of range"), std::string::npos);
  RecordCase inside("0 2 1 4 0 0", limits);
  EXPECT_TRUE(inside.ok()) << inside.error;
  // Without limits nothing is checked.
  RecordCase unchecked("0 99 99 -4 0 0");
  EXPECT_TRUE(unchecked.ok()) << unchecked.error;
}

TEST(LevelRecordRefusals, DeviceThatCannotMakeTheBuffer) {
  TestGame t;
  t.dev.refuseBufferAt = 0;
  TextReader in("objects.txt", kFloorRecord);
  MeshRecord r;
  EXPECT_FALSE(r.readRecord(in, t.dev));
  EXPECT_EQ(in.error(), "objects.txt:5: cannot create the record's vertex buffer: out of video memory");
  EXPECT_FALSE(r.vertexBuffer);
}

}  // namespace cog
