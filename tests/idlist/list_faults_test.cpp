// Failures and stops while the list is changed: each read, write, truncation
// and flush of a change fails in turn, or all writes stop from one on (as if
// the process ended there); table and file must agree and nothing be lost.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "idlist/id_line.h"
#include "idlist/list_file.h"
#include "platform/file.h"
#include "platform/file_faults.h"
#include "platform/file_rewrite.h"
#include "tests/support/temp_dir.h"

namespace {

using platform::file_faults::Op;
using tallix::ListStatus;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

namespace faults = platform::file_faults;

constexpr int32_t kCapacity = 16;
// Mixed line ends on purpose: the second line ends with a bare LF. The
// second list's last line has no line end (kept, and ended by an append).
const std::string kList = "first-user,2024,1,1,1\r\nsecond,2024,2,2,2\nthird,2024,3,3,3\r\nfourth,2024,4,4,4\r\n";
const std::string kLists[] = {kList, kList + "unended,2024,5,5,5"};

// A change of one row: `line` written at `index` (-1 appends), or with no
// line the row at `index` deleted.
struct Scenario {
  const char* name;
  int32_t index;
  const char* line;
};

const Scenario kScenarios[] = {
    {"replace first", 0, "1st,2025,1,1,9\n"},
    {"replace third", 2, "third-is-longer,2025,3,3,9\n"},
    {"append", -1, "fifth,2025,5,5,1\n"},
    {"delete first", 0, nullptr},
    {"delete last", 3, nullptr},
};

// What the program holds: the file's bytes, the whole table memory, the count.
struct ListState {
  std::string file;
  std::vector<char> table;
  int32_t count;
  bool operator==(const ListState&) const = default;
};

// One list file in its own folder, opened and loaded as the program does.
class ListUnderTest {
 public:
  ListUnderTest() : path_(dir_.file("UserIDList.csv")) {}
  ~ListUnderTest() { Close(); }

  const std::string& path() const { return path_; }
  std::string SideCopy() const { return path_ + ".pending"; }
  std::string Backup() const { return dir_.file("backup.csv"); }

  void Prepare(const std::string& bytes) {
    Close();
    std::filesystem::remove(SideCopy());
    WriteBytes(path_, bytes);
    Open();
  }

  void Open() {
    ASSERT_EQ(tallix::OpenList(path_.c_str(), handle_), ListStatus::Ok);
    table_.assign(std::size_t{kCapacity} * tallix::kRowSize, '\x5A');
    count_ = kCapacity;
    ASSERT_EQ(tallix::LoadList(handle_, table_.data(), count_), ListStatus::Ok);
  }

  void Close() {
    tallix::CloseList(handle_);
    handle_ = -1;
  }

  ListStatus Run(const Scenario& scenario) {
    return scenario.line != nullptr ? tallix::WriteLine(handle_, scenario.index, scenario.line, table_.data(), count_)
                                    : tallix::DeleteLine(handle_, scenario.index, table_.data(), count_);
  }

  // Read through the open handle, since Windows lets no other handle read the list.
  ListState State() const {
    std::vector<char> bytes;
    EXPECT_EQ(platform::ReadWholeFile(handle_, bytes), platform::ReadResult::Ok);
    return {std::string(bytes.begin(), bytes.end()), table_, count_};
  }

  // The loaded rows as texts, to compare a reloaded table with an earlier one.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < count_; ++i) {
      const char* row = table_.data() + std::size_t(i) * tallix::kRowSize;
      rows.emplace_back(row, static_cast<const char*>(std::memchr(row, '\n', tallix::kRowSize)) + 1);
    }
    return rows;
  }

 private:
  TempDir dir_;
  std::string path_;
  std::vector<char> table_;
  int32_t handle_ = -1;
  int32_t count_ = 0;
};

TEST(ListFaults, FailedOperationsChangeNothingAndStoppedWritesLeaveTheListWhollyOldOrWhollyNew) {
  for (const std::string& start : kLists) {
    for (const Scenario& scenario : kScenarios) {
      SCOPED_TRACE(start == kList ? "every line ended" : "last line unended");
      // A rehearsal: the state the change leads to, and how many operations of each kind it makes.
      ListUnderTest rehearsal;
      rehearsal.Prepare(start);
      faults::Disarm();
      ASSERT_EQ(rehearsal.Run(scenario), ListStatus::Ok) << scenario.name;
      std::map<Op, int> counts;
      for (Op op : {Op::Read, Op::Write, Op::Truncate, Op::Flush}) counts[op] = faults::Count(op);
      const ListState after = rehearsal.State();
      const std::vector<std::string> rows_after = rehearsal.Rows();

      for (const auto& [op, count] : counts) {
        ASSERT_GT(count, 0) << scenario.name << ", operation " << static_cast<int>(op);
        for (int n = 1; n <= count; ++n) {
          SCOPED_TRACE(std::string(scenario.name) + ", failing operation " + std::to_string(static_cast<int>(op)) +
                       " number " + std::to_string(n));
          ListUnderTest list;
          list.Prepare(start);
          const ListState before = list.State();
          faults::FailNth(op, n);
          const ListStatus status = list.Run(scenario);
          faults::Disarm();
          EXPECT_NE(status, ListStatus::Ok);
          EXPECT_EQ(list.State(), before);
          EXPECT_FALSE(std::filesystem::exists(list.SideCopy()));
          // The same handle and table go on working.
          EXPECT_EQ(list.Run(scenario), ListStatus::Ok);
          EXPECT_EQ(list.State(), after);
        }
      }

      int old_seen = 0;
      int new_seen = 0;
      for (int n = 1; n <= counts.at(Op::Write); ++n) {
        SCOPED_TRACE(std::string(scenario.name) + ", writes stopped from " + std::to_string(n));
        ListUnderTest list;
        list.Prepare(start);
        const ListState before = list.State();
        const std::vector<std::string> rows_before = list.Rows();
        faults::StopWritesFrom(n);
        EXPECT_NE(list.Run(scenario), ListStatus::Ok);
        faults::Disarm();
        EXPECT_EQ(list.State().table, before.table);
        EXPECT_EQ(list.State().count, before.count);

        // As after a crash: closed, backed up (as the program does first), reopened.
        list.Close();
        ASSERT_EQ(tallix::BackupList(list.path().c_str(), list.Backup().c_str()), ListStatus::Ok);
        list.Open();
        const std::string file = list.State().file;
        EXPECT_TRUE(file == before.file || file == after.file) << file;
        EXPECT_EQ(ReadBytes(list.Backup()), file);
        EXPECT_EQ(list.Rows(), file == before.file ? rows_before : rows_after);
        EXPECT_FALSE(std::filesystem::exists(list.SideCopy()));
        (file == before.file ? old_seen : new_seen) += 1;
      }
      // Both outcomes occur: early stops keep the old list, late ones complete the new.
      EXPECT_GT(old_seen, 0) << scenario.name;
      EXPECT_GT(new_seen, 0) << scenario.name;
    }
  }
}

}  // namespace
