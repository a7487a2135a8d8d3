#include "tests/app/app_test_files.h"

#include <filesystem>

namespace app_test {

std::string ShippedLanguageFile(const std::string& name) {
  return testing_support::ReadBytes(std::string(PELLAM_LANG_DIR) + "/" + name);
}

ProgramFolder::ProgramFolder() : current_(dir_.path()) {}

void ProgramFolder::CopyLanguageFiles() {
  for (const char* name : {"VelLang.csv", "VelLang_Admin.csv", "english_string.csv", "english_string_admin.csv",
                           "japanese_string.csv", "japanese_string_admin.csv"}) {
    Write(name, ShippedLanguageFile(name));
  }
}

void ProgramFolder::MakeBackupFolder() { std::filesystem::create_directory(dir_.path() / "backup"); }

std::string ProgramFolder::WriteList(int rows) {
  std::string list;
  for (int i = 0; i < rows; ++i) list += "user" + std::to_string(i) + ",2024,5,17,1\r\n";
  Write("UserIDList.csv", list);
  return list;
}

void ProgramFolder::Write(const std::string& name, const std::string& bytes) {
  testing_support::WriteBytes(dir_.file(name), bytes);
}

bool ProgramFolder::Exists(const std::string& name) const { return std::filesystem::exists(dir_.path() / name); }

std::string ProgramFolder::Read(const std::string& name) const { return testing_support::ReadBytes(dir_.file(name)); }

}  // namespace app_test
