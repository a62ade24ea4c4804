#pragma once
// The one way an operation below app/ says it failed: a Status that is
// either ok or carries the message a player or level author reads (what
// failed and where: the file, and for level files the line). A Result<T>
// is a value or such a failure. Nothing below app/ prints; app/ decides.

#include <optional>
#include <string>
#include <utility>

namespace cog {

class [[nodiscard]] Status {
 public:
  Status() = default;  // ok
  static Status failure(std::string message) { return Status(std::move(message), true); }

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const std::string& message() const { return message_; }

 private:
  Status(std::string message, bool failed) : message_(std::move(message)), failed_(failed) {}
  std::string message_;
  bool failed_ = false;
};

inline Status okStatus() { return Status(); }

// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}                  // NOLINT: a value converts
  Result(Status failure) : status_(std::move(failure)) {}          // NOLINT: so does a failure

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }
  const std::string& message() const { return status_.message(); }
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T* operator->() { return &*value_; }
  T& operator*() { return *value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace cog
