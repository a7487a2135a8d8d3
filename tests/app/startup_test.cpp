// The main window's start-up and exit path, and the user-ID limit, with the
// real language and list libraries on files in a fresh folder, a scripted
// reader and a fake message surface.
#include <gtest/gtest.h>

#include "app/core/operation_log.h"
#include "app/core/recovery_copy.h"
#include "app/core/selection_dialog.h"
#include "app/core/startup.h"
#include "idlist/Tallix.h"
#include "lang/Lingrel.h"
#include "oplog/Jornet.h"
#include "platform/file_faults.h"
#include "platform/file_rewrite.h"
#include "tests/app/app_test_files.h"
#include "tests/app/fake_view.h"
#include "tests/app/scripted_card.h"

namespace {

using Strings = std::vector<std::string>;

// The program's working folder with the shipped language files, and what
// start-up needs besides.
struct StartBench {
  StartBench() { folder.CopyLanguageFiles(); }

  // The text of `id` in the shipped file of the locale, as "text/caption"
  // with the caption's id.
  std::string Text(std::int32_t id) const {
    const char* file = services.locale_id == 0x0411 ? "japanese_string.csv" : "english_string.csv";
    std::vector<char> rows(200 * 600);
    std::int32_t count = 0;
    EXPECT_EQ(ReadLangFile(file, 0, rows.data(), &count), 0);
    char text[512] = {};
    std::int32_t length = 0;
    GetStringLangData(rows.data(), count, id, text, &length);
    return std::string(text, static_cast<std::size_t>(length));
  }
  std::string Message(std::int32_t id, std::int32_t caption) const { return Text(id) + "/" + Text(caption); }

  app_test::ProgramFolder folder;
  pellam::AppState state;
  app_test::FakeSurface surface;
  pellam::Messages messages{state, surface};
  app_test::ScriptedCard card;
  std::int32_t group_result = 0;
  pellam::StartupServices services{card, 0x0409, [this] { return group_result; }};
  pellam::SelectionDialog window{state, messages, services};
  app_test::FakeView view{0x10};
};

struct StartRun {
  const char* name;
  bool backup_folder;
  int list_rows;  // -1: no list
  std::int32_t group_result;
  std::uint32_t locale;
  std::vector<std::pair<std::int32_t, std::int32_t>> shown;  // text and caption ids
  bool started;
};

// A started window takes its texts, font, mark and the message owner and
// backs the list up when it goes, once; a failed start ends it.
TEST(MainWindow, StartsStopsOrReportsThenTheExitPathBacksUp) {
  const std::int32_t error = 5502, question = 5501;
  // clang-format off
  const StartRun runs[] = {
      {"complete", true, 3, 0, 0x0409, {}, true},
      {"Japanese", true, 1, 0, 0x0411, {}, true},
      {"German: the English texts", true, 1, 0, 0x0407, {}, true},
      {"not a member: ends before the list is copied or opened", true, 3, 20, 0x0409, {{9000, error}}, false},
      {"no backup folder: told once, start goes on", false, 3, 0, 0x0409, {{9002, question}}, true},
      {"no list: never created", false, -1, 0, 0x0409, {{9002, question}, {9003, error}}, false},
      {"5000 rows", true, 5000, 0, 0x0409, {}, true},
      {"5001 rows", true, 5001, 0, 0x0409, {{9004, error}}, false},
  };
  // clang-format on
  for (const StartRun& run : runs) {
    SCOPED_TRACE(run.name);
    StartBench bench;
    bench.surface.windows.insert(0x77);  // a window exists, but nothing made it the owner
    if (run.backup_folder) bench.folder.MakeBackupFolder();
    const std::string list = run.list_rows < 0 ? "" : bench.folder.WriteList(run.list_rows);
    bench.group_result = run.group_result;
    bench.services.locale_id = run.locale;
    EXPECT_EQ(bench.window.OnInit(bench.view), run.started);
    Strings shown;
    for (const auto& [text, caption] : run.shown) shown.push_back(bench.Message(text, caption));
    EXPECT_EQ(bench.surface.Texts(), shown);
    for (const auto& message : bench.surface.shown) {
      EXPECT_EQ(message.kind, pellam::MessageBoxKind::Warning);
      EXPECT_EQ(message.owner, pellam::kNoWindow) << "no owner yet";
    }
    EXPECT_EQ(bench.state.list_open, run.started);
    EXPECT_EQ(bench.folder.Exists("backup/BBackupUser.csv"), run.backup_folder && run.group_result == 0);
    EXPECT_EQ(bench.folder.Exists("UserIDList.csv"), run.list_rows >= 0);
    EXPECT_EQ(bench.view.marks.count("SelectDialog"), run.started ? 1u : 0u);
    if (!run.started) {
      EXPECT_EQ(bench.view.result, pellam::SelectionDialog::kResultStartupFailed);
      EXPECT_EQ(bench.card.calls, run.group_result == 0 ? Strings{"close"} : Strings{});
      bench.window.OnDestroy(bench.view);
      EXPECT_FALSE(bench.folder.Exists("backup/EBackupUser.csv")) << "no list was opened to back up";
      // The list is closed again: it opens without sharing.
      std::int32_t handle = -1;
      if (run.list_rows >= 0 && OpenIDFile("UserIDList.csv", &handle) == 0) CloseIDFile(handle);
      EXPECT_EQ(handle != -1, run.list_rows >= 0);
      continue;
    }
    // The list itself is open without sharing; its copy is read instead.
    if (run.backup_folder) {
      EXPECT_EQ(bench.folder.Read("backup/BBackupUser.csv"), list);
    }
    EXPECT_EQ(bench.state.user_id_count, run.list_rows);
    EXPECT_EQ(bench.state.entry_limit, 1000);
    EXPECT_EQ(pellam::BufferText(bench.state.error_caption), bench.Text(5502));
    EXPECT_EQ(pellam::BufferText(bench.state.question_caption), bench.Text(5501));
    EXPECT_EQ(pellam::BufferText(bench.state.information_caption), bench.Text(5500));
    EXPECT_EQ(pellam::BufferText(bench.state.ok_text), bench.Text(6000));
    EXPECT_EQ(pellam::BufferText(bench.state.cancel_text), bench.Text(6001));
    EXPECT_EQ(bench.view.title, bench.Text(5001));
    EXPECT_EQ(bench.view.texts[1100], bench.Text(1100));
    EXPECT_EQ(bench.view.fonts[1100], 16);
    EXPECT_EQ(bench.state.message_owner, 0x10u);

    // The exit path closes and backs up the list, once.
    bench.surface.shown.clear();
    bench.window.OnDestroy(bench.view);
    pellam::RunExitPath(bench.state, bench.messages);
    EXPECT_FALSE(bench.state.list_open);
    EXPECT_TRUE(bench.view.marks.empty());
    EXPECT_EQ(bench.surface.Texts(), run.backup_folder ? Strings{} : Strings{bench.Message(9008, error)});
    if (run.backup_folder) {
      EXPECT_EQ(bench.folder.Read("backup/EBackupUser.csv"), list);
    }
  }
}

// `bytes` as the file `name`, with the side copy of an append to it that
// stopped right after the copy was made.
void LeaveSideCopy(const std::string& name, const std::string& bytes) {
  testing_support::WriteBytes(name, bytes);
  platform::UniqueFile file(platform::OpenFile(name.c_str(), platform::FileOpen::ReadWriteExisting));
  platform::file_faults::StopWritesFrom(4);
  EXPECT_EQ(platform::RewriteFile(file.get(), bytes, bytes.size(), "x\r\n"), platform::Rewrite::Pending);
  platform::file_faults::Disarm();
}

// The one file in the folder whose name holds "-refused", or "".
std::string RefusedCopy(const app_test::ProgramFolder& folder) {
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(folder.dir().path())) {
    const std::string name = entry.path().filename().string();
    if (name.find("-refused") == std::string::npos) continue;
    EXPECT_EQ(found, "") << "one refused copy";
    found = name;
  }
  return found;
}

// A recovery copy left from before the list (then the log) was replaced by
// hand is set aside, and the operator told once, before the file is used.
TEST(Startup, AStaleRecoveryCopyIsSetAsideAndNamedOnce) {
  StartBench bench;
  bench.folder.MakeBackupFolder();
  LeaveSideCopy("UserIDList.csv", bench.folder.WriteList(3));
  const std::string restored = bench.folder.WriteList(2);
  ASSERT_TRUE(bench.window.OnInit(bench.view));
  std::string aside = RefusedCopy(bench.folder);
  ASSERT_TRUE(aside.starts_with("UserIDList.csv.pending."));
  const std::string question = bench.Text(5501);
  EXPECT_EQ(bench.surface.Texts(), Strings{pellam::TextNaming(bench.Text(9023), aside) + "/" + question});
  EXPECT_EQ(bench.surface.shown[0].kind, pellam::MessageBoxKind::Warning);
  EXPECT_EQ(bench.state.user_id_count, 2);
  EXPECT_EQ(bench.folder.Read("backup/BBackupUser.csv"), restored);
  std::filesystem::remove(bench.folder.dir().path() / aside);

  LeaveSideCopy("UserCardProcessLog.csv", "2024,5,3,9,7,abc,xyz,issue new card\r\n");
  bench.folder.Write("UserCardProcessLog.csv", "");
  bench.surface.shown.clear();
  pellam::ProgramContext context{bench.state, bench.messages, bench.card, [](std::uint32_t) {}};
  for (int append = 0; append < 2; ++append) pellam::WriteOperationLog(context, "alice", JORNET_OP_ISSUE);
  aside = RefusedCopy(bench.folder);
  ASSERT_TRUE(aside.starts_with("UserCardProcessLog.csv.pending."));
  EXPECT_EQ(bench.surface.Texts(), Strings{pellam::TextNaming(bench.Text(9023), aside) + "/" + question});
  const std::string log = bench.folder.Read("UserCardProcessLog.csv");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
  bench.window.OnDestroy(bench.view);
  pellam::RunExitPath(bench.state, bench.messages);
}

TEST(Startup, LanguageFailuresUseFixedTextsByLocale) {
  struct Case {
    const char* remove;
    std::uint32_t locale;
    const char* text;
    const char* caption;
  };
  const Case cases[] = {
      {"VelLang.csv", 0x0409, "Can't specified Language file.", "error"},
      {"VelLang.csv", 0x0411,
       "\x8C\xBE\x8C\xEA\x91\xCE\x89\x9E\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\xC1\x92\xE8\x82\xC5\x82\xAB\x82"
       "\xDC\x82\xB9\x82\xF1\x81\x42",
       "\x83\x47\x83\x89\x81\x5B"},
      {"english_string.csv", 0x0409, "Can't read Language file.", "error"},
      {"japanese_string.csv", 0x0411,
       "\x8C\xBE\x8C\xEA\x91\xCE\x89\x9E\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82"
       "\xDC\x82\xB9\x82\xF1\x81\x42",
       "\x83\x47\x83\x89\x81\x5B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.remove) + " " + std::to_string(c.locale));
    StartBench bench;
    bench.folder.WriteList(1);
    std::filesystem::remove(bench.folder.dir().path() / c.remove);
    bench.services.locale_id = c.locale;
    EXPECT_FALSE(bench.window.OnInit(bench.view));
    EXPECT_EQ(bench.surface.Texts(), Strings{std::string(c.text) + "/" + c.caption});
    EXPECT_EQ(bench.surface.shown[0].kind, pellam::MessageBoxKind::Warning);
    EXPECT_EQ(bench.surface.shown[0].owner, pellam::kNoWindow);
    EXPECT_FALSE(bench.folder.Exists("backup/BBackupUser.csv"));
  }
}

TEST(Startup, LimitIsHeldWithin1000And5000) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"abc", 1000},   {"999", 1000},     {"4500", 4500},
      {"5001", 5000},  {"1000", 1000},    {"5000", 5000},
      {"-7000", 1000}, {"2500xyz", 2500}, {"99999999999999999999", 5000},
  };
  app_test::ProgramFolder folder;
  for (const auto& [text, limit] : cases) {
    SCOPED_TRACE(text);
    folder.Write("Pellam.ini", std::string("[EntryID]\r\nLimit=") + text + "\r\n");
    EXPECT_EQ(pellam::ReadEntryLimit(), limit);
  }
  std::filesystem::remove(folder.dir().path() / "Pellam.ini");
  EXPECT_EQ(pellam::ReadEntryLimit(), 1000);
  folder.Write("Pellam.ini", "[Other]\r\nLimit=3000\r\n[EntryID]\r\nlimit = 2000\r\n");
  EXPECT_EQ(pellam::ReadEntryLimit(), 2000);
  folder.Write("Pellam.ini", "[EntryID]\r\nMaximum=3000\r\n");
  EXPECT_EQ(pellam::ReadEntryLimit(), 1000);
}

}  // namespace
