// Test helpers: a fresh folder per test, run as the current directory when the
// code under test works on fixed file names, whole-file byte access, and
// whether the test runs on Wine.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// Creates an empty, uniquely named folder under the system's temporary folder
// and removes it with everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& path() const { return path_; }
  // The full path of `name` inside the folder, as a narrow string.
  std::string file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Makes `dir` the current directory for the object's lifetime.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::filesystem::path& dir);
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;
  ~ScopedCurrentDir();

 private:
  std::filesystem::path previous_;
};

// Writes `bytes` as the whole content of `path` (binary, no conversion).
void WriteBytes(const std::string& path, const std::string& bytes);

// The whole content of `path`, byte for byte.
std::string ReadBytes(const std::string& path);

// True when the test runs on Wine rather than on Windows or natively.
bool RunningUnderWine();

}  // namespace testing_support
