#include "tests/support/environment.h"

#include <cstdlib>

namespace testing_support {

namespace {

void Put(const std::string& name, const std::optional<std::string>& value) {
#if defined(_WIN32)
  _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
#endif
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) previous_ = old;
  Put(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() { Put(name_, previous_); }

}  // namespace testing_support
