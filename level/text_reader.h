#pragma once
// TextReader: one level file held in memory, read token by token with the
// level files' lexical rules. Every read either succeeds or leaves a message
// of the form `dat.txt:12: expected an integer (vertexCount), found "abc"`.

#include <cstddef>
#include <cstdint>
#include <string>

namespace cog {

// Limits that the record reader checks each record's indexes against, so a
// bad index is reported at the line that holds it. A negative limit is not
// checked.
struct LevelBudget;
struct RecordLimits {
  int32_t materialCount = -1;
  int32_t textureCount = -1;
  int32_t graphSize = -1;
  LevelBudget* budget = nullptr;  // what the level may still make; null: unchecked
};

class TextReader {
 public:
  // Files larger than this are refused when opened.
  static constexpr size_t kMaxFileBytes = 64u << 20;
  static constexpr size_t kMaxWordLength = 79;
  static constexpr size_t kMaxFloatLength = 19;

  TextReader() = default;
  // Reads from text already in memory; `name` is used in messages.
  TextReader(std::string name, std::string text);

  // Reads the whole file at `path` into memory; `name` is used in messages.
  // False (and a message naming the file) when it cannot be opened or read,
  // or is larger than kMaxFileBytes.
  bool open(const std::string& path, const std::string& name);

  // Each read skips the whitespace before its token (blank, tab, newline,
  // carriage return, form feed, vertical tab). `what` names the value in
  // messages. On failure the reader's position is left at the bad token.
  bool readInt(int32_t& out, const char* what);
  // Floats are decimal (no "nan", "inf" or hexadecimal) and must stay
  // finite as 32-bit floats: "1e40" is refused, "3.4028235e38" is not.
  bool readFloat(float& out, const char* what);
  bool readWord(std::string& out, const char* what);

  // Model files: consumes newlines, blanks, tabs, "(", ")" and ",".
  void skipSeparators();

  // True when no character is left (whitespace counts as characters).
  bool atEnd() const { return pos_ >= text_.size(); }
  // Characters not yet read.
  size_t remaining() const { return text_.size() - pos_; }
  // True when only whitespace is left.
  bool onlyWhitespaceLeft() const;
  // False when the rest of the file cannot hold `tokens` more numbers or
  // words: each takes a character and is set apart from the next by at least
  // one more (a blank, or the sign or point that starts it). Counts read
  // from a file are checked with this before anything is allocated for them.
  bool restCanHold(int64_t tokens) const {
    return tokens <= 0 || 2 * tokens - 1 <= static_cast<int64_t>(remaining());
  }

  const std::string& name() const { return name_; }
  int line() const { return line_; }

  // Records a failure at the current line: "<name>:<line>: <message>".
  // Always returns false so callers can `return in.fail(...)`.
  bool fail(const std::string& message);
  // The same at the file's last line that is not blank: for a file that
  // ends early.
  bool failAtEnd(const std::string& message);
  // The same, for a message that has no line (the file as a whole).
  bool failFile(const std::string& message);
  bool failed() const { return failed_; }
  // Back to the start of the text, as freshly opened: the same file read
  // again without reading or copying it again.
  void restart();
  const std::string& error() const { return error_; }

  // Limits checked by MeshRecord::readRecord; none by default.
  RecordLimits limits;

 private:
  void skipWhitespace();
  // Fails with "the file ends where ... was expected" or "expected ...,
  // found ..." as fits the current position.
  bool failExpected(const char* kind, const char* what);
  std::string tokenPreview() const;

  std::string name_;
  std::string text_;
  size_t pos_ = 0;
  int line_ = 1;
  bool failed_ = false;
  std::string error_;
};

// Whitespace of the level files.
inline bool isLevelSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace cog
