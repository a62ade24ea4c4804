// The output file under the trace, key recording and WAV writers: what
// reaches the file, and each failure named the same way.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/key_record.h"
#include "app/wav_file.h"
#include "platform/output_file.h"
#include "support/level_files.h"

namespace cog {

namespace {

std::string fileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(OutputFile, WritesPatchesAndCloses) {
  TempDir dir;
  const std::string path = (dir.path() / "out.bin").string();
  OutputFile file("the test");
  ASSERT_TRUE(file.open(path));
  ASSERT_TRUE(file.write(std::string("abcdef")));
  ASSERT_TRUE(file.writeAt(1, "XY", 2));
  ASSERT_TRUE(file.write(std::string("g")));  // goes on at the end
  ASSERT_TRUE(file.close());
  EXPECT_FALSE(file.isOpen());
  EXPECT_TRUE(file.close());  // twice is fine
  EXPECT_EQ(fileText(path), "aXYdefg");
}

TEST(OutputFile, FailuresNameTheFileWhatAndWhy) {
  TempDir dir;
  const std::string missing = (dir.path() / "no" / "such.txt").string();
  const struct {
    const char* what;
    std::string path;
    const char* reason;
    bool opens;
  } cases[] = {
      {"a folder that is not there", missing, "No such file or directory", false},
      {"a full disk", "/dev/full", "No space left on device", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    OutputFile file("the trace");
    Status status = file.open(c.path);
    ASSERT_EQ(status.ok(), c.opens);
    if (status) status = file.write(std::string(1 << 16, 'x'));
    if (status) status = file.close();
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.message(), c.path + ": cannot write the trace: " + c.reason);
  }
  OutputFile never("the sound");
  EXPECT_NE(never.write("x", 1).message().find("cannot write the sound"), std::string::npos);
}

// Settings and the GL sample memo are written whole or not at all.
TEST(OutputFile, AWholeFileReplacesTheOldOrLeavesIt) {
  TempDir dir;
  const std::string fresh = (dir.path() / "made" / "for" / "it.txt").string();
  ASSERT_TRUE(writeWholeFile(fresh, "one", "the test").ok());
  ASSERT_TRUE(writeWholeFile(fresh, "two", "the test").ok());
  EXPECT_EQ(fileText(fresh), "two");

  const std::string blocker = (dir.path() / "plain").string();
  ASSERT_TRUE(writeWholeFile(blocker, "old", "the test").ok());
  const std::string folderTaken = (dir.path() / "taken").string();
  std::filesystem::create_directories(folderTaken);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {blocker + "/under.txt", blocker + ": cannot make the folder for the test: Not a directory"},
      {folderTaken, folderTaken + ": cannot write the test: Is a directory"},
  };
  for (const auto& c : cases) {
    const Status status = writeWholeFile(c.path, std::string(1 << 16, 'x'), "the test");
    ASSERT_FALSE(status.ok()) << c.path;
    EXPECT_EQ(status.message(), c.message);
    EXPECT_FALSE(std::filesystem::exists(c.path + ".new")) << c.path;
  }
  EXPECT_EQ(fileText(blocker), "old");
}

TEST(OutputFile, TheWritersKeepTheirWords) {
  TempDir dir;
  const std::string missing = (dir.path() / "no" / "f").string();
  std::string error;
  KeyRecording keys;
  EXPECT_FALSE(keys.open(missing, error));
  EXPECT_EQ(error, missing + ": cannot write the key recording: No such file or directory");
  WavFile wav;
  EXPECT_FALSE(wav.open(missing, 44100, 2, error));
  EXPECT_EQ(error, missing + ": cannot write the sound: No such file or directory");

  // A WAV file's header gets its sizes when it closes.
  const std::string path = (dir.path() / "a.wav").string();
  ASSERT_TRUE(wav.open(path, 8000, 1, error)) << error;
  const int16_t samples[3] = {1, -1, 2};
  ASSERT_TRUE(wav.append(samples, 3, error)) << error;
  ASSERT_TRUE(wav.close(error)) << error;
  const std::string bytes = fileText(path);
  ASSERT_EQ(bytes.size(), 50u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[4]), 42);  // 36 + 6
  EXPECT_EQ(static_cast<uint8_t>(bytes[40]), 6);
}

}  // namespace

}  // namespace cog
