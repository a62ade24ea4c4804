#include "level/text_reader.h"

#include <locale.h>
#include <stdlib.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace cog {

namespace {

// Windows text mode: a carriage return followed by a line feed is one newline.
std::string joinCrLf(std::string text) {
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    text[out++] = text[i];
  }
  text.resize(out);
  return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Numbers are read the same whatever locale the program runs in.
locale_t cLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

std::string quoteToken(const std::string& s) {
  std::string r = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      r += '\\';
      r += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      static const char hex[] = "0123456789abcdef";
      r += "\\x";
      r += hex[c >> 4];
      r += hex[c & 15];
    } else {
      r += static_cast<char>(c);
    }
  }
  return r + "\"";
}

std::string describe(const char* kind, const char* what) {
  std::string r = kind;
  if (what && *what) {
    r += " (";
    r += what;
    r += ")";
  }
  return r;
}

}  // namespace

TextReader::TextReader(std::string name, std::string text) : name_(std::move(name)), text_(joinCrLf(std::move(text))) {}

void TextReader::restart() {
  pos_ = 0;
  line_ = 1;
  failed_ = false;
  error_.clear();
}

bool TextReader::open(const std::string& path, const std::string& name) {
  name_ = name;
  text_.clear();
  pos_ = 0;
  line_ = 1;
  failed_ = false;
  error_.clear();

  std::error_code ec;
  const std::filesystem::file_status st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(st)) return failFile("the file is missing");
  if (!std::filesystem::is_regular_file(st)) return failFile("not a regular file");
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return failFile("cannot read the file (" + ec.message() + ")");
  if (size > kMaxFileBytes) return failFile("the file is larger than 64 MiB");

  std::ifstream file(path, std::ios::binary);
  if (!file) return failFile(std::string("cannot open the file (") + std::strerror(errno) + ")");
  std::string text(static_cast<size_t>(size), '\0');
  file.read(text.data(), static_cast<std::streamsize>(size));
  if (static_cast<uintmax_t>(file.gcount()) != size) return failFile("cannot read the file");
  // The file may have grown since its size was taken; what is read is what counts.
  text_ = joinCrLf(std::move(text));
  return true;
}

void TextReader::skipWhitespace() {
  while (pos_ < text_.size() && isLevelSpace(text_[pos_])) {
    if (text_[pos_] == '\n') ++line_;
    ++pos_;
  }
}

void TextReader::skipSeparators() {
  while (pos_ < text_.size()) {
    const char c = text_[pos_];
    if (c == '\n') {
      ++line_;
    } else if (c != ' ' && c != '\t' && c != '(' && c != ')' && c != ',') {
      break;
    }
    ++pos_;
  }
}

bool TextReader::onlyWhitespaceLeft() const {
  for (size_t i = pos_; i < text_.size(); ++i)
    if (!isLevelSpace(text_[i])) return false;
  return true;
}

std::string TextReader::tokenPreview() const {
  size_t end = pos_;
  while (end < text_.size() && !isLevelSpace(text_[end]) && end - pos_ < 24) ++end;
  std::string token = text_.substr(pos_, end - pos_);
  if (end < text_.size() && !isLevelSpace(text_[end])) token += "...";
  return quoteToken(token);
}

bool TextReader::fail(const std::string& message) {
  failed_ = true;
  error_ = name_ + ":" + std::to_string(line_) + ": " + message;
  return false;
}

bool TextReader::failAtEnd(const std::string& message) {
  // The line of the last character that is not whitespace.
  size_t last = text_.size();
  while (last > 0 && isLevelSpace(text_[last - 1])) --last;
  int line = 1;
  for (size_t i = 0; i < last; ++i) line += text_[i] == '\n' ? 1 : 0;
  failed_ = true;
  error_ = name_ + ":" + std::to_string(line) + ": " + message;
  return false;
}

bool TextReader::failFile(const std::string& message) {
  failed_ = true;
  error_ = name_ + ": " + message;
  return false;
}

bool TextReader::failExpected(const char* kind, const char* what) {
  if (atEnd()) return failAtEnd("the file ends where " + describe(kind, what) + " was expected");
  return fail("expected " + describe(kind, what) + ", found " + tokenPreview());
}

bool TextReader::readInt(int32_t& out, const char* what) {
  skipWhitespace();
  if (atEnd()) return failExpected("an integer", what);
  const size_t n = text_.size();
  size_t p = pos_;
  bool negative = false;
  if (text_[p] == '+' || text_[p] == '-') {
    negative = text_[p] == '-';
    ++p;
  }
  // Like strtol with base 0: 0x/0X hexadecimal (only when a hex digit
  // follows), a leading 0 octal, else decimal.
  int base = 10;
  if (p < n && text_[p] == '0') {
    if (p + 2 < n && (text_[p + 1] == 'x' || text_[p + 1] == 'X') && digitValue(text_[p + 2]) < 16) {
      base = 16;
      p += 2;
    } else {
      base = 8;
    }
  }
  const size_t digitsStart = p;
  uint64_t value = 0;
  bool tooLarge = false;
  while (p < n && digitValue(text_[p]) < base) {
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digitValue(text_[p]));
    if (value > (uint64_t{1} << 31)) {
      tooLarge = true;
      value = uint64_t{1} << 32;  // keeps the product from wrapping
    }
    ++p;
  }
  if (p == digitsStart) return failExpected("an integer", what);
  if (tooLarge || (!negative && value > 0x7fffffffu)) {
    const std::string token = "the integer " + quoteToken(text_.substr(pos_, std::min<size_t>(p - pos_, 24)));
    return fail(describe(token.c_str(), what) + " is out of range");
  }
  out = negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
  pos_ = p;
  return true;
}

bool TextReader::readFloat(float& out, const char* what) {
  skipWhitespace();
  if (atEnd()) return failExpected("a number", what);
  const size_t n = text_.size();
  size_t p = pos_;
  if (text_[p] == '+' || text_[p] == '-') ++p;
  size_t digits = 0;
  while (p < n && isDigit(text_[p])) ++p, ++digits;
  if (p < n && text_[p] == '.') {
    ++p;
    while (p < n && isDigit(text_[p])) ++p, ++digits;
  }
  if (digits == 0) return failExpected("a number", what);
  if (p < n && (text_[p] == 'e' || text_[p] == 'E')) {
    size_t q = p + 1;
    if (q < n && (text_[q] == '+' || text_[q] == '-')) ++q;
    if (q < n && isDigit(text_[q])) {
      while (q < n && isDigit(text_[q])) ++q;
      p = q;
    }
  }
  const size_t length = p - pos_;
  if (length > kMaxFloatLength) {
    return fail("the number " + quoteToken(text_.substr(pos_, std::min<size_t>(length, 24))) +
                (length > 24 ? "..." : "") + " is longer than 19 characters");
  }
  char buffer[kMaxFloatLength + 1];
  std::memcpy(buffer, text_.data() + pos_, length);
  buffer[length] = '\0';
  const float value = strtof_l(buffer, nullptr, cLocale());
  // Past the largest 32-bit float the number rounds to infinity, which no
  // coordinate, colour or time of a level can be.
  if (!std::isfinite(value)) {
    const std::string token = "the number " + quoteToken(std::string(buffer));
    return fail(describe(token.c_str(), what) + " is too large for a 32-bit float (at most about 3.4e38)");
  }
  out = value;
  pos_ = p;
  return true;
}

bool TextReader::readWord(std::string& out, const char* what) {
  skipWhitespace();
  if (atEnd()) return failExpected("a word", what);
  size_t p = pos_;
  while (p < text_.size() && !isLevelSpace(text_[p])) ++p;
  const size_t length = p - pos_;
  if (length > kMaxWordLength) return fail("the word " + tokenPreview() + " is longer than 79 characters");
  std::string word = text_.substr(pos_, length);
  if (word.find('\0') != std::string::npos) return fail("the word " + tokenPreview() + " holds a NUL character");
  out = std::move(word);
  pos_ = p;
  return true;
}

}  // namespace cog
