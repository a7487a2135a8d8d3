// Start-up, the user-ID limit and the exit path, with the real language and
// list libraries on files in a fresh folder, a scripted reader and a fake
// message surface.
#include <gtest/gtest.h>

#include "app/core/selection_dialog.h"
#include "app/core/startup.h"
#include "app/core/text_ids.h"
#include "idlist/Tallix.h"
#include "lang/Lingrel.h"
#include "tests/app/app_test_files.h"
#include "tests/app/fake_view.h"
#include "tests/app/scripted_card.h"

namespace {

using app_test::FakeSurface;
using app_test::ProgramFolder;
using app_test::ScriptedCard;

class Startup : public ::testing::Test {
 protected:
  Startup() : messages_(state_, surface_), services_{card_, 0x0409, [this] { return group_result_; }} {
    folder_.CopyLanguageFiles();
  }

  bool Run() { return pellam::RunStartup(state_, messages_, services_); }

  // The language text of `id` in the shipped English file.
  std::string English(std::int32_t id) {
    std::vector<char> rows(200 * 600);
    std::int32_t count = 0;
    EXPECT_EQ(ReadLangFile("english_string.csv", 0, rows.data(), &count), 0);
    char text[512] = {};
    std::int32_t length = 0;
    GetStringLangData(rows.data(), count, id, text, &length);
    return std::string(text, static_cast<std::size_t>(length));
  }

  // The texts shown, in order.
  std::vector<std::string> Shown() const {
    std::vector<std::string> texts;
    for (const auto& message : surface_.shown) texts.push_back(message.text);
    return texts;
  }

  ProgramFolder folder_;
  pellam::AppState state_;
  FakeSurface surface_;
  pellam::Messages messages_;
  ScriptedCard card_;
  std::int32_t group_result_ = 0;
  pellam::StartupServices services_;
};

TEST_F(Startup, CompleteStartLoadsTextsListAndDefaultLimit) {
  folder_.MakeBackupFolder();
  const std::string list = folder_.WriteList(3);
  ASSERT_TRUE(Run());
  EXPECT_TRUE(surface_.shown.empty());
  EXPECT_EQ(pellam::BufferText(state_.error_caption), English(5502));
  EXPECT_EQ(pellam::BufferText(state_.question_caption), English(5501));
  EXPECT_EQ(pellam::BufferText(state_.information_caption), English(5500));
  EXPECT_EQ(pellam::BufferText(state_.ok_text), English(6000));
  EXPECT_EQ(pellam::BufferText(state_.cancel_text), English(6001));
  EXPECT_TRUE(state_.list_open);
  EXPECT_EQ(state_.user_id_count, 3);
  EXPECT_EQ(state_.entry_limit, 1000);
  EXPECT_EQ(folder_.Read("backup/BBackupUser.csv"), list);  // the list itself is open without sharing
  pellam::RunExitPath(state_, messages_);
}

TEST_F(Startup, NotAMemberEndsBeforeTheListIsCopiedOrOpened) {
  folder_.MakeBackupFolder();
  folder_.WriteList(3);
  group_result_ = 20;
  EXPECT_FALSE(Run());
  ASSERT_EQ(Shown(), std::vector<std::string>{English(9000)});
  EXPECT_EQ(surface_.shown[0].caption, English(5502));
  EXPECT_EQ(surface_.shown[0].kind, pellam::MessageBoxKind::Warning);
  EXPECT_FALSE(folder_.Exists("backup/BBackupUser.csv"));
  EXPECT_FALSE(state_.list_open);
}

TEST_F(Startup, FailedBackupIsReportedOnceAndStartGoesOn) {
  folder_.WriteList(3);  // no backup folder
  EXPECT_TRUE(Run());
  ASSERT_EQ(Shown(), std::vector<std::string>{English(9002)});
  EXPECT_EQ(surface_.shown[0].caption, English(5501));
  EXPECT_TRUE(state_.list_open);
  pellam::RunExitPath(state_, messages_);
}

TEST_F(Startup, MissingListFailsBackupThenOpenAndIsNeverCreated) {
  EXPECT_FALSE(Run());
  EXPECT_EQ(Shown(), (std::vector<std::string>{English(9002), English(9003)}));
  EXPECT_EQ(surface_.shown[1].caption, English(5502));
  EXPECT_EQ(card_.calls, std::vector<std::string>{"close"});
  EXPECT_FALSE(folder_.Exists("UserIDList.csv"));
}

TEST_F(Startup, ListOfExactly5000RowsIsAcceptedAnd5001Refused) {
  folder_.MakeBackupFolder();
  folder_.WriteList(5000);
  ASSERT_TRUE(Run());
  EXPECT_EQ(state_.user_id_count, 5000);
  pellam::RunExitPath(state_, messages_);

  folder_.WriteList(5001);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Shown(), std::vector<std::string>{English(9004)});
  EXPECT_EQ(surface_.shown[0].caption, English(5502));
  EXPECT_EQ(card_.calls, std::vector<std::string>{"close"});
  EXPECT_FALSE(state_.list_open);
  // The list was closed again: it opens without sharing.
  std::int32_t handle = -1;
  EXPECT_EQ(OpenIDFile("UserIDList.csv", &handle), 0);
  CloseIDFile(handle);
}

TEST_F(Startup, LanguageFailuresUseFixedTextsByLocale) {
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
  folder_.WriteList(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.remove) + " " + std::to_string(c.locale));
    folder_.CopyLanguageFiles();
    std::filesystem::remove(folder_.dir().path() / c.remove);
    surface_.shown.clear();
    services_.locale_id = c.locale;
    EXPECT_FALSE(Run());
    ASSERT_EQ(surface_.shown.size(), 1u);
    EXPECT_EQ(surface_.shown[0].text, c.text);
    EXPECT_EQ(surface_.shown[0].caption, c.caption);
    EXPECT_EQ(surface_.shown[0].kind, pellam::MessageBoxKind::Warning);
    EXPECT_FALSE(folder_.Exists("backup/BBackupUser.csv"));
  }
}

TEST_F(Startup, JapaneseLocaleLoadsTheJapaneseFile) {
  folder_.MakeBackupFolder();
  folder_.WriteList(1);
  services_.locale_id = 0x0411;
  ASSERT_TRUE(Run());
  EXPECT_EQ(pellam::BufferText(state_.error_caption), "\x83\x47\x83\x89\x81\x5B");
  pellam::RunExitPath(state_, messages_);
}

TEST_F(Startup, StartupMessagesHaveNoOwnerYet) {
  surface_.windows.insert(0x77);  // a window exists, but nothing made it the owner
  folder_.WriteList(1);
  EXPECT_TRUE(Run());
  ASSERT_EQ(surface_.shown.size(), 1u);
  EXPECT_EQ(surface_.shown[0].owner, pellam::kNoWindow);
  pellam::RunExitPath(state_, messages_);
}

TEST_F(Startup, LimitIsHeldWithin1000And5000) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"abc", 1000},
      {"0", 1000},
      {"999", 1000},
      {"4500", 4500},
      {"5001", 5000},
      {"99999", 5000},
      {"1000", 1000},
      {"5000", 5000},
      {"-7000", 1000},
      {"2500xyz", 2500},
      {"99999999999999999999", 5000},
  };
  for (const auto& [text, limit] : cases) {
    SCOPED_TRACE(text);
    folder_.Write("Pellam.ini", std::string("[EntryID]\r\nLimit=") + text + "\r\n");
    EXPECT_EQ(pellam::ReadEntryLimit(), limit);
  }
  std::filesystem::remove(folder_.dir().path() / "Pellam.ini");
  EXPECT_EQ(pellam::ReadEntryLimit(), 1000);
  folder_.Write("Pellam.ini", "[Other]\r\nLimit=3000\r\n[EntryID]\r\nlimit = 2000\r\n");
  EXPECT_EQ(pellam::ReadEntryLimit(), 2000);
  folder_.Write("Pellam.ini", "[EntryID]\r\nMaximum=3000\r\n");
  EXPECT_EQ(pellam::ReadEntryLimit(), 1000);
}

TEST_F(Startup, ExitPathClosesAndBacksUpTheList) {
  folder_.MakeBackupFolder();
  folder_.WriteList(4);
  ASSERT_TRUE(Run());
  pellam::RunExitPath(state_, messages_);
  EXPECT_TRUE(surface_.shown.empty());
  EXPECT_FALSE(state_.list_open);
  EXPECT_EQ(folder_.Read("backup/EBackupUser.csv"), folder_.Read("UserIDList.csv"));
  // A second exit path (nothing open any more) does nothing.
  pellam::RunExitPath(state_, messages_);
  EXPECT_TRUE(surface_.shown.empty());
}

TEST_F(Startup, ExitBackupFailureIsReported) {
  folder_.WriteList(4);
  ASSERT_TRUE(Run());  // 9002: no backup folder
  surface_.shown.clear();
  pellam::RunExitPath(state_, messages_);
  ASSERT_EQ(Shown(), std::vector<std::string>{English(9008)});
  EXPECT_EQ(surface_.shown[0].caption, English(5502));
  EXPECT_FALSE(state_.list_open);
}

}  // namespace

namespace {

class MainWindow : public Startup {
 protected:
  pellam::SelectionDialog window_{state_, messages_, services_};
  app_test::FakeView view_{0x10};
};

TEST_F(MainWindow, InitialisationSetsTextsFontMarkAndOwner) {
  folder_.MakeBackupFolder();
  folder_.WriteList(2);
  surface_.windows.insert(0x10);
  ASSERT_TRUE(window_.OnInit(view_));
  EXPECT_FALSE(view_.ended);
  EXPECT_EQ(view_.title, English(5001));
  EXPECT_EQ(view_.texts[3000], English(3000));
  EXPECT_EQ(view_.texts[6007], English(6007));
  EXPECT_EQ(view_.texts[6008], English(6008));
  EXPECT_EQ(view_.texts[1100], English(1100));
  EXPECT_EQ(view_.fonts[1100], 16);
  EXPECT_EQ(view_.marks.count("SelectDialog"), 1u);
  EXPECT_EQ(state_.message_owner, 0x10u);

  window_.OnDestroy(view_);
  EXPECT_TRUE(view_.marks.empty());
  EXPECT_EQ(folder_.Read("backup/EBackupUser.csv"), folder_.Read("UserIDList.csv"));
}

TEST_F(MainWindow, FailedStartEndsTheWindowAndWritesNoExitBackup) {
  folder_.MakeBackupFolder();
  folder_.WriteList(2);
  group_result_ = 20;
  EXPECT_FALSE(window_.OnInit(view_));
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(view_.result, pellam::SelectionDialog::kResultStartupFailed);
  EXPECT_TRUE(view_.marks.empty());
  window_.OnDestroy(view_);
  EXPECT_FALSE(folder_.Exists("backup/EBackupUser.csv"));
  EXPECT_EQ(surface_.shown.size(), 1u);
}

}  // namespace
