// Shows the language library at work in the current directory: picks the
// language file for the system locale (or the locale given with --locale),
// loads it, prints the texts asked for, and checks a group's membership.
//
//   lingrel-demo [--admin] [--locale HEX] [--group NAME] [ID...]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "lang/Lingrel.h"
#include "platform/locale.h"

int main(int argc, char** argv) {
  int32_t mode = 0;
  auto locale = static_cast<int32_t>(platform::SystemDefaultLocaleId());
  const char* group = "Administrators";
  std::vector<int32_t> ids;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--admin") == 0) {
      mode = 1;
    } else if (std::strcmp(argv[i], "--locale") == 0 && i + 1 < argc) {
      locale = static_cast<int32_t>(std::strtol(argv[++i], nullptr, 16));
    } else if (std::strcmp(argv[i], "--group") == 0 && i + 1 < argc) {
      group = argv[++i];
    } else {
      ids.push_back(static_cast<int32_t>(std::strtol(argv[i], nullptr, 10)));
    }
  }

  char account[1024] = {};
  int32_t size = sizeof account;
  GetUserAndDomain(account, &size);
  int32_t four = 0;
  int32_t result = CheckUserGroups(group, &four);
  std::printf("account %s is %sa direct member of \"%s\"\n", account, result == 0 ? "" : "not ", group);

  char file_name[256] = {};
  int32_t file_name_length = 0;
  result = ReadVelLang(mode, locale, file_name, &file_name_length);
  if (result != 0) {
    std::printf("language map %s: result 0x%X\n", mode == 1 ? "VelLang_Admin.csv" : "VelLang.csv",
                static_cast<unsigned>(result));
    return 1;
  }
  std::printf("locale %04X -> %s\n", static_cast<unsigned>(locale & 0xFFFF), file_name);

  std::vector<char> rows(static_cast<std::size_t>(LINGREL_TABLE_ROWS) * LINGREL_ROW_SIZE);
  int32_t row_count = 0;
  result = ReadLangFile(file_name, file_name_length, rows.data(), &row_count);
  if (result != 0) {
    std::printf("language file %s: result 0x%X\n", file_name, static_cast<unsigned>(result));
    return 1;
  }
  std::printf("%d rows loaded\n", row_count);
  for (int32_t id : ids) {
    char text[512];
    int32_t length = 0;
    GetStringLangData(rows.data(), row_count, id, text, &length);
    std::printf("%5d: %s\n", id, text);
  }

  return 0;
}
