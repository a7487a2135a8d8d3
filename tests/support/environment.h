// Sets an environment variable for a test's lifetime.
#pragma once

#include <optional>
#include <string>

namespace testing_support {

class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value);
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment();

 private:
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace testing_support
