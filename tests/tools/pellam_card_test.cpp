// pellam-card against the reader simulator, run in-process with a console
// that answers its prompts by laying the card asked for on the reader: a
// batch of 20 rows with 3 refused ones, interrupted by the card leaving the
// reader in the middle of the 8th card, resumed without issuing anything
// twice; then show and a PIN on an issued card, and the exit statuses. Then a batch
// stopped at each of its file writes, and the commands that change a card.
// Also the tool's texts in the shipped language files, and input it refuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <thread>

#include "platform/file.h"
#include "platform/file_faults.h"
#include "tests/app/app_test_files.h"
#include "lang/Lingrel.h"
#include "tests/support/simulator_process.h"
#include "tools/pellam_card/tool.h"
#include "tools/pellam_card/tool_texts.h"

namespace {

namespace faults = platform::file_faults;
using pellam_card::kExitCardFailure;
using pellam_card::kExitOk;
using pellam_card::kExitRefused;

class ScriptedConsole final : public pellam_card::ToolConsole {
 public:
  void Out(std::string_view text) override { out += text; }
  void Err(std::string_view text) override {
    err += text;
    if (!exit_at.empty() && text.find(exit_at) != std::string_view::npos) std::_Exit(0);
  }
  bool OutIsTerminal() override { return terminal; }
  void Prompt(std::string_view text) override {
    err += std::string(text) + "\n";
    prompts.emplace_back(text);
    if (on_prompt) on_prompt(std::string(text));
  }
  bool StopRequested() override { return stop; }
  void Pause(std::uint32_t) override { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }
  bool ReadLine(std::string&) override { return false; }
  SecretRead ReadSecret(corvex::SecretText& secret, bool, std::string_view) override {
    if (!pin) return SecretRead::Ended;
    secret.Assign(*pin);
    return SecretRead::Read;
  }
  double Seconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

  std::string out;
  std::string err;
  std::vector<std::string> prompts;
  std::function<void(const std::string&)> on_prompt;
  bool stop = false;
  bool terminal = false;
  std::string exit_at;  // a child process ends at once when it shows this
  std::optional<std::string> pin;
};

// The CSV lines of a file, without the line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// 20 rows: user-ID cards user01.., two user-code cards; row 4 has a PIN with
// a letter, row 11 a user ID with a tab, row 15 repeats row 2's ID.
std::string BatchFile() {
  std::string batch = "card_use,user_id,password,pin,lockout,user_name,comment,user_code,count,date\r\n";
  for (int row = 1; row <= 20; ++row) {
    const std::string n = (row < 10 ? "0" : "") + std::to_string(row);
    if (row == 6 || row == 13) {
      batch += "code,,,,,Coder " + n + ",desk " + n + ",50" + n + ",,\r\n";
    } else if (row == 4) {
      batch += "id,user04,pw,12a4,3,User 04,,,,\r\n";
    } else if (row == 11) {
      batch += "id,user\t11,pw,,,User 11,,,,\r\n";
    } else if (row == 15) {
      batch += "id,user02,pw,,,again,,,,\r\n";
    } else {
      batch += "id,user" + n + ",pw" + n + ",12" + n + ",5,\"User, " + n + "\",,7" + n + "," +
               (row == 20 ? "4,2030-1-31" : ",") + "\r\n";
    }
  }
  return batch;
}

class PellamCardOnSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.ok());
    folder_.CopyLanguageFiles();
    folder_.MakeBackupFolder();
    folder_.Write("UserIDList.csv", "");
    folder_.Write("UserCardProcessLog.csv", "");
    folder_.Write("batch.csv", BatchFile());
    ASSERT_TRUE(sim_.Do("create boss admin ADMIN01"));
  }

  // Runs a command line with the simulator's port.
  int Run(std::vector<std::string> args, ScriptedConsole& console, std::uint32_t locale = 0x0409) {
    args.insert(args.end(), {"--port", sim_.link()});
    pellam_card::ToolServices services{console, [] { return 0; }, locale};
    return pellam_card::RunPellamCard(args, services);
  }

  // Lays the administrator card when the gate asks, a fresh blank card for
  // every blank card asked for, and `card` for any other card.
  void AnswerPrompts(ScriptedConsole& console, const std::string& card = "") {
    console.on_prompt = [this, card](const std::string& prompt) {
      if (prompt.find("administrator card") != std::string::npos) {
        ASSERT_TRUE(sim_.Do("place boss"));
      } else if (prompt.find("blank card") != std::string::npos) {
        if (on_blank && !on_blank(prompt)) return;
        const std::string name = "b" + std::to_string(++blanks_);
        ASSERT_TRUE(sim_.Do("create " + name + " blank"));
        ASSERT_TRUE(sim_.Do("place " + name));
      } else if (!card.empty()) {
        ASSERT_TRUE(sim_.Do("place " + card));
      }
    };
  }

  std::map<int, std::string> LastResults() const {
    std::map<int, std::string> results;
    for (const std::string& line : Lines(folder_.Read("report.csv"))) {
      if (line.rfind("row,", 0) != 0) results[std::stoi(line)] = line;  // the last line of each row
    }
    return results;
  }

  app_test::ProgramFolder folder_;
  testing_support::TempDir sim_dir_;
  testing_support::SimulatorProcess sim_{READERSIM_PATH, sim_dir_.path().string()};
  std::function<bool(const std::string&)> on_blank;
  int blanks_ = 0;
};

TEST_F(PellamCardOnSimulator, BatchInterruptedAndResumedThenShow) {
  const std::vector<std::string> issue = {"issue", "--batch", "batch.csv", "--report", "report.csv"};

  // --check reports the three refused rows and asks for no card.
  {
    ScriptedConsole console;
    std::vector<std::string> check = issue;
    check.push_back("--check");
    EXPECT_EQ(Run(check, console), kExitRefused);
    EXPECT_TRUE(console.prompts.empty());
    EXPECT_NE(console.out.find("17 rows pass the checks, 3 refused"), std::string::npos) << console.out;
  }

  // The 8th card leaves the reader after three writes; the operator then stops.
  ScriptedConsole first;
  AnswerPrompts(first);
  on_blank = [this, &first](const std::string& prompt) {
    if (prompt.find("(7/17)") != std::string::npos) {  // row 8
      EXPECT_TRUE(sim_.Do("fault remove-after-writes 3"));
    }
    if (prompt.find("(8/17)") == std::string::npos) return true;
    first.stop = true;
    return false;
  };
  EXPECT_EQ(Run(issue, first), kExitCardFailure) << first.err;
  std::vector<std::string> report = Lines(folder_.Read("report.csv"));
  ASSERT_GE(report.size(), 4u);
  // The refusals come first, before any card was asked for, with the dialog's messages.
  EXPECT_EQ(report[1], "4,user04,refused,9903,Enter the PIN in digits.,,,") << report[1];
  EXPECT_EQ(report[2].substr(0, 24), "11,user\t11,refused,9900,") << report[2];
  EXPECT_EQ(report[3], "15,user02,refused,,the user ID is also in row 2,,,");
  EXPECT_NE(first.out.find("row 11 user\\x0911: refused: "), std::string::npos) << "the tab shown escaped";
  std::map<int, std::string> results = LastResults();
  EXPECT_NE(results[8].find(",failed,9015,"), std::string::npos) << results[8];
  EXPECT_NE(results[8].find(",0x5,"), std::string::npos) << results[8];
  EXPECT_EQ(results.count(9), 0u);
  EXPECT_EQ(Lines(folder_.Read("UserIDList.csv")).size(), 5u) << "rows 1-3, 5, 7 issued; row 6 is a user-code card";

  // Resumed: row 8 again on a new blank card, rows 9 to 20; nothing twice.
  on_blank = nullptr;
  ScriptedConsole second;
  AnswerPrompts(second);
  std::vector<std::string> resume = issue;
  resume.push_back("--resume");
  EXPECT_EQ(Run(resume, second), kExitRefused) << second.err;
  ASSERT_GE(second.prompts.size(), 2u);
  EXPECT_EQ(second.prompts[1], "place a blank card for user08 (1/11)");
  results = LastResults();
  for (int row = 1; row <= 20; ++row) {
    const bool refused = row == 4 || row == 11 || row == 15;
    EXPECT_NE(results[row].find(refused ? ",refused," : ",issued,"), std::string::npos) << results[row];
  }
  const std::vector<std::string> list = Lines(folder_.Read("UserIDList.csv"));
  EXPECT_EQ(list.size(), 15u);
  EXPECT_EQ(list.back(), "user20,2030,1,31,4");
  const std::vector<std::string> log = Lines(folder_.Read("UserCardProcessLog.csv"));
  ASSERT_EQ(log.size(), 17u);
  EXPECT_NE(log.front().find(",user01,ADMIN01,issue new card"), std::string::npos) << log.front();
  EXPECT_NE(log[4].find(",5006,ADMIN01,issue new card (L)"), std::string::npos) << log[4];

  // Without --resume that report is kept and no card is asked for.
  const std::string kept = folder_.Read("report.csv");
  ScriptedConsole again;
  EXPECT_EQ(Run(issue, again), kExitRefused);
  EXPECT_TRUE(again.prompts.empty());
  EXPECT_EQ(folder_.Read("report.csv"), kept);

  // The cards as the simulator holds them: b7 is the one left part-written.
  const nlohmann::json card = sim_.Dump("b1");
  EXPECT_EQ(card["password"], "pw01");
  EXPECT_EQ(card["retry_limit"], "05");
  EXPECT_EQ(card["user_name"], "User, 01");
  EXPECT_EQ(card["admin_id_on_user"], "ADMIN01");
  EXPECT_EQ(sim_.Dump("b5")["user_code"], "0000138E");
  EXPECT_EQ(sim_.Dump("b8")["user_id"], "user08");
  EXPECT_TRUE(sim_.Stats()["violations"].empty());

  // show reads the card on the reader; the password only with --reveal.
  ASSERT_TRUE(sim_.Do("place b1"));
  ScriptedConsole show;
  EXPECT_EQ(Run({"show", "--json"}, show), kExitOk) << show.err;
  nlohmann::json shown = nlohmann::json::parse(show.out);
  EXPECT_EQ(shown["kind"], "user-ID");
  EXPECT_EQ(shown["user_id"], "user01");
  EXPECT_EQ(shown["password"], "(set)");
  EXPECT_EQ(shown["user_code"], "701");
  ScriptedConsole reveal;
  AnswerPrompts(reveal, "b1");
  EXPECT_EQ(Run({"show", "--json", "--reveal"}, reveal), kExitOk) << reveal.err;
  EXPECT_EQ(reveal.prompts.front().find("Place the administrator card"), 0u) << "revealed after the gate only";
  EXPECT_EQ(nlohmann::json::parse(reveal.out)["pin"], "1201");

  // A PIN typed unseen, and one on the command line with a warning.
  ScriptedConsole typed;
  typed.pin = "1201";
  AnswerPrompts(typed, "b1");
  EXPECT_EQ(Run({"verify-pin"}, typed), kExitOk) << typed.err;
  EXPECT_EQ(typed.out, "correct (status 0x0)\n");
  ScriptedConsole given;
  AnswerPrompts(given, "b1");
  EXPECT_EQ(Run({"verify-pin", "1201"}, given), kExitOk) << given.err;
  EXPECT_NE(given.err.find("visible to other users"), std::string::npos) << given.err;

  // The version of a build with the development keys, and a reader without a card.
  ScriptedConsole version;
  EXPECT_EQ(Run({"--version"}, version), kExitOk);
  EXPECT_EQ(version.out,
            "pellam-card " PELLAM_VERSION
            "\nThis build carries the development keys, which everyone has: it must not be used at a site.\n");
  ASSERT_TRUE(sim_.Do("remove"));
  ScriptedConsole empty;
  EXPECT_EQ(Run({"sense"}, empty), kExitCardFailure);
  EXPECT_NE(empty.err.find("No card was found."), std::string::npos) << empty.err;
}

// A one-row batch run in a child process that ends at once, as a killed
// batch would, at each point of the row's records: at the report's writes
// (its header, the row's "writing" row, its result), when its card fails half
// written, and between its list line and its log line (the log held by the
// test, so that the child ends at the message that it could not be written).
// Resumed, its card has exactly one list line and one log line, or none and
// the row is interrupted.
TEST_F(PellamCardOnSimulator, ABatchStoppedAtAnyPointOfARowGivesItsCardOneListAndOneLogLine) {
  struct StopPoint {
    const char* name;
    int exit_at_report_write;  // 1 header, 2 "writing", 3 result
    const char* fault;         // of the simulator
    bool hold_log;
    const char* exit_at_message;
    const char* resumed;  // the row's result after the resume
    bool asks_for_card;
  };
  constexpr StopPoint kStopPoints[] = {
      {"in the report's header", 1, nullptr, false, nullptr, "issued", true},
      {"in the row's writing row", 2, nullptr, false, nullptr, "issued", true},
      {"while its card was written", 0, "fault remove-after-writes 3", false, "Writing to the card failed.",
       "interrupted", false},
      {"after its list line", 0, nullptr, true, "The operation log could not be written.", "issued", false},
      {"after its log line, in its result row", 3, nullptr, false, nullptr, "issued", false},
  };
  const std::vector<std::string> issue = {"issue", "--batch", "one.csv", "--report", "report.csv"};
  const std::vector<std::string> resume = {"issue", "--batch", "one.csv", "--report", "report.csv", "--resume"};
  const std::string log_record = ",alice,ADMIN01,issue new card";
  const auto count = [](const std::string& text, const std::string& what) {
    int found = 0;
    for (const std::string& line : Lines(text)) found += line.find(what) != std::string::npos;
    return found;
  };
  const auto start_afresh = [this] {
    folder_.Write("UserIDList.csv", "");
    folder_.Write("UserCardProcessLog.csv", "");
    std::filesystem::remove("report.csv");
  };
  folder_.Write("one.csv", "user_id,password,user_name\r\nalice,pw,Alice\r\n");

  // Whole, on a terminal: the report's three writes, and the progress bar.
  start_afresh();
  ScriptedConsole whole;
  whole.terminal = true;
  AnswerPrompts(whole);
  faults::Disarm();
  ASSERT_EQ(Run(issue, whole), kExitOk) << whole.err;
  EXPECT_EQ(faults::Count(faults::Op::Write), 3);
  EXPECT_NE(whole.out.find("] 1/1"), std::string::npos) << whole.out;

  for (const StopPoint& point : kStopPoints) {
    SCOPED_TRACE(point.name);
    start_afresh();
    if (point.fault != nullptr) {
      ASSERT_TRUE(sim_.Do(point.fault));
    }
    platform::UniqueFile held_log;
    if (point.hold_log) held_log.reset(platform::OpenFile("UserCardProcessLog.csv", platform::FileOpen::ReadExisting));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ScriptedConsole console;
      AnswerPrompts(console);
      console.exit_at = point.exit_at_message != nullptr ? point.exit_at_message : "";
      if (point.exit_at_report_write > 0) faults::ExitAtWrite(point.exit_at_report_write, 0);
      Run(issue, console);
      std::_Exit(1);  // it was to end before this
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    held_log.reset();
    ASSERT_TRUE(sim_.Do("fault clear"));

    ScriptedConsole resumed;
    AnswerPrompts(resumed);
    Run(resume, resumed);
    const std::string result = LastResults()[1];
    EXPECT_NE(result.find(std::string(",") + point.resumed + ","), std::string::npos) << result << resumed.err;
    EXPECT_EQ(count(resumed.err, "place a blank card") > 0, point.asks_for_card) << resumed.err;
    const int lines = std::string(point.resumed) == "issued" ? 1 : 0;
    EXPECT_EQ(count(folder_.Read("UserIDList.csv"), "alice,"), lines);
    EXPECT_EQ(count(folder_.Read("UserCardProcessLog.csv"), log_record), lines);
    EXPECT_EQ(Lines(folder_.Read("UserCardProcessLog.csv")).size(), static_cast<std::size_t>(lines));
  }
}

// The commands that change a card, in turn on one card issued by a batch,
// each also failing once (a refused value, a wrong PIN, a card write that
// fails): exit status, the JSON result, the log line of those that have one,
// and the list line that initialise --delete-id takes away.
TEST_F(PellamCardOnSimulator, TheChangeCommandsOnAnIssuedCard) {
  folder_.Write("one.csv", "user_id,password,pin,lockout,user_name\r\nbob,pw,1234,2,Bob\r\n");
  ScriptedConsole issued;
  AnswerPrompts(issued);
  ASSERT_EQ(Run({"issue", "--batch", "one.csv"}, issued), kExitOk) << issued.err;
  ASSERT_EQ(Lines(folder_.Read("UserIDList.csv")).size(), 1u);

  struct Case {
    std::vector<std::string> args;
    bool write_fails;  // the card's next write fails
    int exit_status;
    const char* key;  // of the JSON result, with its value as JSON text
    const char* value;
    const char* logged;  // the operation of the log line it adds
  };
  const Case cases[] = {
      {{"verify-pin", "9999"}, false, kExitRefused, "result", R"("wrong PIN")", nullptr},
      {{"verify-pin", "1234"}, false, kExitOk, "result", R"("correct")", nullptr},
      {{"unlock"}, true, kExitCardFailure, nullptr, nullptr, nullptr},
      {{"unlock"}, false, kExitOk, "command", R"("unlock")", "unlocked PIN"},
      {{"charge", "700"}, false, kExitOk, "prepaid", "700", nullptr},
      {{"charge", "--limit", "500"}, true, kExitCardFailure, nullptr, nullptr, nullptr},
      {{"charge", "--limit", "100"}, false, kExitOk, "upper_limit", "100", nullptr},
      {{"charge", "--user", "canteen", "--date", "2031-1-2", "80"}, false, kExitOk, "user_charge", "80", nullptr},
      {{"charge", "--user", "canteen", "30"}, false, kExitRefused, nullptr, nullptr, nullptr},  // above the limit
      {{"charge", "--status", "7"}, false, kExitOk, "transaction_status", "7", nullptr},
      {{"expiry", "2031-13-01"}, false, kExitRefused, nullptr, nullptr, nullptr},
      {{"expiry", "2031-02-28"}, false, kExitOk, "expiry_date", R"("2031-02-28")", nullptr},
      {{"charges"}, false, kExitOk, "expiry_date", R"("2031-02-28")", nullptr},
      {{"initialise", "--delete-id"}, true, kExitCardFailure, nullptr, nullptr, nullptr},
      {{"initialise", "--delete-id"},
       false,
       kExitOk,
       "command",
       R"("initialise")",
       "initialize card (with userID delete from IDfile)"},
  };
  std::size_t log_lines = Lines(folder_.Read("UserCardProcessLog.csv")).size();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + ", case " + std::to_string(&c - cases));
    if (c.write_fails) {
      ASSERT_TRUE(sim_.Do("fault writefail"));
    }
    ScriptedConsole console;
    AnswerPrompts(console, "b1");
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    EXPECT_EQ(Run(args, console), c.exit_status) << console.err;
    ASSERT_TRUE(sim_.Do("fault clear"));
    if (c.key != nullptr) {
      ASSERT_FALSE(console.out.empty()) << console.err;
      EXPECT_EQ(nlohmann::json::parse(console.out)[c.key].dump(), c.value) << console.out;
    }
    const std::vector<std::string> log = Lines(folder_.Read("UserCardProcessLog.csv"));
    ASSERT_EQ(log.size(), log_lines + (c.logged != nullptr));
    if (c.logged != nullptr) {
      EXPECT_NE(log.back().find(std::string(",bob,ADMIN01,") + c.logged), std::string::npos) << log.back();
    }
    log_lines = log.size();
  }
  EXPECT_TRUE(Lines(folder_.Read("UserIDList.csv")).empty());
  EXPECT_EQ(sim_.Dump("b1")["user_id"], "");
  EXPECT_TRUE(sim_.Stats()["violations"].empty());
}

// Command lines that must be refused or stop with a clear message, and the
// texts in the system's language (Japanese here, in the files' code page).
TEST_F(PellamCardOnSimulator, RefusesUnsoundInputInTheSystemsLanguage) {
  struct Case {
    std::vector<std::string> args;
    std::uint32_t locale;
    int exit_status;
    const char* err;
    const char* out;
  };
  const Case cases[] = {
      {{"issue", "--batch", "batch.csv", "--report", "--check"}, 0x0409, kExitRefused,
       "pellam-card: --report needs OUT.csv\n(pellam-card --help lists the commands)\n", ""},
      {{"issue", "--report=--check", "--check"}, 0x0409, kExitRefused, "issue needs --batch FILE.csv\n", ""},
      {{"verify-pin", "1234", "--pin-stdin"}, 0x0409, kExitRefused, "give the PIN or --pin-stdin, not both", ""},
      {{"charge", "500", "--admin-card-first"}, 0x0409, pellam_card::kExitStopped,
       "standard input has ended: the answer asked for cannot be read\n", ""},
      {{"frobnicate"}, 0x0411, kExitRefused, "pellam-card: \x95s\x96\xBE\x82\xC8\x83R\x83}\x83\x93\x83h frobnicate\n", ""},
      {{"--help"}, 0x0411, kExitOk, "", "\x8Eg\x82\xA2\x95\xFB: pellam-card"},
      {{"show"}, 0x0411, kExitOk, "", "\x8E\xED\x97\xDE: \x8A\xC7\x97\x9D\x8E\xD2\n"},  // kind: administrator
  };
  ASSERT_TRUE(sim_.Do("place boss"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + (c.args.size() > 1 ? c.args[1] : ""));
    ScriptedConsole console;
    AnswerPrompts(console);
    EXPECT_EQ(Run(c.args, console, c.locale), c.exit_status) << console.err;
    EXPECT_NE(console.err.find(c.err), std::string::npos) << console.err;
    EXPECT_EQ(console.out.find(c.out), 0u) << console.out;
  }
  EXPECT_FALSE(folder_.Exists("report.csv")) << "nothing written for a refused command line";

  // The real console: no terminal to type a PIN on, and the end of standard input.
  const std::pair<const char*, const char*> children[] = {
      {"verify-pin", "no terminal to type the PIN on"},
      {"verify-pin --pin-stdin", "standard input has ended"},
  };
  for (const auto& [args, err] : children) {
    const std::string command = std::string(PELLAM_CARD_PATH) + " " + args + " </dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), pellam_card::kExitStopped) << args;
    EXPECT_NE(folder_.Read("err.txt").find(err), std::string::npos) << folder_.Read("err.txt");
  }
}

// Every shipped language file holds each of the tool's rows with the lines
// and "%s" of the English built in (the English files give exactly that
// English), and its help with as many lines as the tool lays out.
TEST(PellamCardTexts, ShippedFilesHoldEveryToolTextInItsShape) {
  app_test::ProgramFolder folder;
  folder.CopyLanguageFiles();
  const auto shape = [](const std::string& text) {
    std::vector<int> fill_ins(1, 0);  // per line
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') fill_ins.push_back(0);
      if (text.compare(i, 2, "%s") == 0) ++fill_ins.back();
    }
    return fill_ins;
  };
  for (const char* name :
       {"english_string.csv", "english_string_admin.csv", "japanese_string.csv", "japanese_string_admin.csv"}) {
    SCOPED_TRACE(name);
    std::vector<char> rows(LINGREL_TABLE_ROWS * 600);
    std::int32_t count = 0;
    ASSERT_EQ(ReadLangFile(name, 0, rows.data(), &count), 0);
    const auto row = [&](std::int32_t id) {
      char text[512] = {};
      std::int32_t length = 0;
      GetStringLangData(rows.data(), count, id, text, &length);
      return std::string(text, static_cast<std::size_t>(length));
    };
    const bool english = std::string(name).rfind("english", 0) == 0;
    for (const pellam_card::BuiltInText& text : pellam_card::BuiltInEnglish()) {
      if (english) {
        EXPECT_EQ(row(text.id), text.text);
      }
      EXPECT_EQ(shape(row(text.id)), shape(text.text)) << text.id;
    }
    std::string help;
    for (std::int32_t id = pellam_card::tool_text::kFirstHelpRow; id <= pellam_card::tool_text::kLastHelpRow; ++id) {
      if (row(id) != "no string data") help += (help.empty() ? "" : "\n") + row(id);
    }
    std::string english_help;
    for (const std::string& line : pellam_card::BuiltInHelpLines()) english_help += (english_help.empty() ? "" : "\n") + line;
    if (english) {
      EXPECT_EQ(help, english_help);
    }
    EXPECT_EQ(shape(help).size(), pellam_card::BuiltInHelpLines().size());
  }
}

}  // namespace

