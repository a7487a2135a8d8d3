// A folder laid out like the program's working folder: the shipped language
// files, a user-ID list and a backup folder, made the current directory.
#pragma once

#include <string>

#include "tests/support/temp_dir.h"

namespace app_test {

// The shipped language file `name` from app/lang, byte for byte.
std::string ShippedLanguageFile(const std::string& name);

class ProgramFolder {
 public:
  ProgramFolder();

  void CopyLanguageFiles();
  void MakeBackupFolder();
  // Writes a user-ID list of `rows` lines; its bytes.
  std::string WriteList(int rows);
  void Write(const std::string& name, const std::string& bytes);
  bool Exists(const std::string& name) const;
  std::string Read(const std::string& name) const;
  const testing_support::TempDir& dir() const { return dir_; }

 private:
  testing_support::TempDir dir_;
  testing_support::ScopedCurrentDir current_;
};

}  // namespace app_test
