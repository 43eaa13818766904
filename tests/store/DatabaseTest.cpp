#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

using test::TempHome;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

StopTimeEntry Entry(std::string stop) {
    return {"沪A12345",
            "B01",
            "Line 7",
            "2014-08-25",
            "2014-08-25 08:00:00",
            "2014-08-25 08:01:00",
            std::move(stop),
            "3"};
}

std::size_t CountRows(Database& db) {
    std::size_t count = 0;
    db.Query("select count(*) from busbatch", {},
             [&](const DbRow& row) { count = static_cast<std::size_t>(row.Int64(0)); });
    return count;
}

TEST(Database, CreatesFileAndTableWhenMissing) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "")) << db.LastError();
    EXPECT_TRUE(std::filesystem::exists(home.Path() + "/fleet.mdb"));
    EXPECT_EQ(Database::FilePath(home.Path(), "fleet"), home.Path() + "/fleet.mdb");
    EXPECT_EQ(CountRows(db), 0u);
    std::vector<std::string> columns;
    ASSERT_TRUE(db.Query("PRAGMA table_info(busbatch)", {},
                         [&](const DbRow& row) { columns.push_back(row.Text(1)); }));
    EXPECT_EQ(columns.size(), 12u);
}

TEST(Database, ScratchStoreSettings) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    std::string mode;
    int synchronous = -1;
    db.Query("PRAGMA journal_mode", {}, [&](const DbRow& row) { mode = row.Text(0); });
    db.Query("PRAGMA synchronous", {},
             [&](const DbRow& row) { synchronous = static_cast<int>(row.Int64(0)); });
    EXPECT_EQ(mode, "wal");
    EXPECT_EQ(synchronous, 1);  // NORMAL
    std::string locking;
    int pageSize = 0;
    db.Query("PRAGMA locking_mode", {}, [&](const DbRow& row) { locking = row.Text(0); });
    db.Query("PRAGMA page_size", {},
             [&](const DbRow& row) { pageSize = static_cast<int>(row.Int64(0)); });
    EXPECT_EQ(locking, "exclusive");
    EXPECT_EQ(pageSize, 1024);
}

// The running program owns its store: a second program on the same home runs without one
// (quietly) instead of emptying the first one's report rows.
TEST(Database, SecondConnectionToAnOpenStoreFailsQuietly) {
    TempHome home;
    Database first;
    ASSERT_TRUE(first.Open(home.Path(), "fleet", ""));
    StopTimeTable table(first);
    ASSERT_TRUE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    Database second;
    EXPECT_FALSE(second.Open(home.Path(), "fleet", ""));
    EXPECT_EQ(CountRows(first), 1u);
    first.Close();
    EXPECT_TRUE(second.Open(home.Path(), "fleet", ""));
    EXPECT_EQ(CountRows(second), 1u);
}

// The detection's stop lookup and the report's range query must not scan the table.
TEST(Database, StopLookupAndReportQueryUseAnIndex) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    for (std::string_view sql : {StopTimeTable::kFindStopRowsSql, StopTimeTable::kReportRowsSql}) {
        std::string plan;
        ASSERT_TRUE(db.Query("EXPLAIN QUERY PLAN " + std::string(sql),
                             sql == StopTimeTable::kFindStopRowsSql
                                 ? Database::Values{"a", "b", "c"}
                                 : Database::Values{"a", "b", "c", "d"},
                             [&](const DbRow& row) { plan += row.Text(3) + "\n"; }))
            << db.LastError();
        EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << sql << "\n" << plan;
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << sql << "\n" << plan;
    }
}

TEST(Database, KeyedFileReopensWithItsPasswordAndIsNotPlainText) {
    TempHome home;
    {
        Database db;
        ASSERT_TRUE(db.Open(home.Path(), "fleet", "s3cr;et'pw")) << db.LastError();
        StopTimeTable table(db);
        ASSERT_TRUE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    }
    EXPECT_EQ(ReadFile(home.Path() + "/fleet.mdb").find("Harbour Gate"), std::string::npos);
    EXPECT_NE(ReadFile(home.Path() + "/fleet.mdb").rfind("SQLite format 3", 0), 0u);
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "s3cr;et'pw")) << db.LastError();
    EXPECT_EQ(CountRows(db), 1u);
}

struct FailedOpenCase {
    const char* label;
    // Prepares the home and returns the arguments of the open that must fail.
    std::function<void(const std::string& home, std::string& dir, std::string& name,
                       std::string& password)>
        setUp;
};

void PrintTo(const FailedOpenCase& c, std::ostream* os) { *os << c.label; }

class DatabaseFailedOpen : public ::testing::TestWithParam<FailedOpenCase> {};

TEST_P(DatabaseFailedOpen, FailsQuietlyAndEveryStatementThenFails) {
    TempHome home;
    std::string dir = home.Path(), name = "fleet", password;
    GetParam().setUp(home.Path(), dir, name, password);

    Database db;
    test::MemoryLog log;
    EXPECT_FALSE(db.Open(dir, name, password, &log));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.LastError().empty());
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "连接数据库失败 错误描述:" + db.LastError());

    StopTimeTable table(db);
    std::vector<std::string> lines;
    std::vector<StopTimeRecord> rows;
    EXPECT_FALSE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    EXPECT_FALSE(table.DeleteAllStopTimes());
    EXPECT_FALSE(table.ClearRealTimes("沪A12345"));
    EXPECT_FALSE(table.ListVehicleLines("沪A12345", lines));
    EXPECT_FALSE(table.FindStopRows("沪A12345", "Line 7", "Harbour Gate", rows));
    EXPECT_FALSE(table.SetRealReachTime(1, "2014-08-25 08:00:00"));
    EXPECT_FALSE(table.SetRealLeaveTime(1, "2014-08-25 08:00:00"));
    EXPECT_FALSE(table.ReadReportRows("沪A12345", "dispatcher", "2014", "2015", rows));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(rows.empty());
}

void MakeKeyedFile(const std::string& home, const char* password) {
    Database db;
    ASSERT_TRUE(db.Open(home, "fleet", password));
    StopTimeTable table(db);
    ASSERT_TRUE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatabaseFailedOpen,
    ::testing::Values(
        FailedOpenCase{"WrongPassword",
                       [](const std::string& home, std::string&, std::string&, std::string& pw) {
                           MakeKeyedFile(home, "right");
                           pw = "wrong";
                       }},
        FailedOpenCase{"NoPasswordForKeyedFile",
                       [](const std::string& home, std::string&, std::string&, std::string& pw) {
                           MakeKeyedFile(home, "right");
                           pw = "";
                       }},
        FailedOpenCase{"PasswordForPlainFile",
                       [](const std::string& home, std::string&, std::string&, std::string& pw) {
                           MakeKeyedFile(home, "");
                           pw = "right";
                       }},
        FailedOpenCase{"EmptyDataName", [](const std::string&, std::string&, std::string& name,
                                           std::string&) { name = ""; }},
        FailedOpenCase{"MissingDirectory",
                       [](const std::string& home, std::string& dir, std::string&, std::string&) {
                           dir = home + "/no/such/dir";
                       }},
        FailedOpenCase{"HomeIsAFile",
                       [](const std::string& home, std::string& dir, std::string&, std::string&) {
                           dir = home + "/plain-file";
                           std::ofstream(dir) << "x";
                       }},
        FailedOpenCase{"NotADatabase",
                       [](const std::string& home, std::string&, std::string&, std::string&) {
                           std::ofstream(home + "/fleet.mdb") << std::string(4096, 'Z');
                       }}),
    [](const auto& info) { return std::string(info.param.label); });

// Makes a directory unwritable even for root (the immutable attribute) or by its mode, and
// writable again afterwards so the home can be removed.
class LockedDirectory {
public:
    explicit LockedDirectory(const std::string& dir) : dir_(dir) {
        if (geteuid() != 0) {
            std::filesystem::permissions(
                dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
            locked_ = true;
            return;
        }
        fd_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            locked_ = ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~LockedDirectory() {
        if (fd_ >= 0) {
            int flags = 0;
            if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
            close(fd_);
        } else {
            std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
        }
    }
    bool Locked() const { return locked_; }

private:
    std::string dir_;
    int fd_ = -1;
    bool locked_ = false;
};

TEST(Database, UnwritableDirectoryFailsQuietly) {
    TempHome home;
    const std::string dir = home.Path() + "/locked";
    std::filesystem::create_directory(dir);
    LockedDirectory lock(dir);
    if (!lock.Locked()) GTEST_SKIP() << "cannot make a directory unwritable here";
    Database db;
    EXPECT_FALSE(db.Open(dir, "fleet", ""));
    StopTimeTable table(db);
    EXPECT_FALSE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
}

TEST(Database, WrongValueCountIsAnErrorNotACrash) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    EXPECT_FALSE(db.Execute(StopTimeTable::kClearRealTimesSql, {}));
    EXPECT_FALSE(db.Execute(StopTimeTable::kClearRealTimesSql, {"a", "b"}));
    EXPECT_FALSE(db.Execute("this is not sql"));
    EXPECT_FALSE(db.LastError().empty());
    // The connection stays usable after failures.
    EXPECT_TRUE(db.Execute(StopTimeTable::kClearRealTimesSql, {"a"}));
}

// A table made by hand: nullable columns in another order, NULLs and padded texts.
TEST(Database, HandMadeTableReadsByNameWithNullAsEmptyAndTextsTrimmed) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    ASSERT_TRUE(db.Execute("drop table busbatch"));
    ASSERT_TRUE(
        db.Execute("create table busbatch (flag text, usermarkName text, classeName text,"
                   " realLeavetime text, planleavetime text, realreachtime text,"
                   " planreachtime text, userName text, batchdate text, lineName text,"
                   " batchname text, vhcCode text)"));
    ASSERT_TRUE(
        db.Execute("insert into busbatch (vhcCode, userName, planreachtime, batchname,"
                   " usermarkName, flag) values (?, ?, ?, NULL, ?, ?)",
                   {"A1", "u", "2014-08-25 08:00:00", "  Quay  ", " 42 "}));
    std::vector<StopTimeRecord> rows;
    StopTimeTable table(db);
    ASSERT_TRUE(table.ReadReportRows("A1", "u", "2014-08-25", "2014-08-26", rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].vhcCode, "A1");
    EXPECT_EQ(rows[0].batchName, "");
    EXPECT_EQ(rows[0].realReachTime, "");
    EXPECT_EQ(rows[0].usermarkName, "Quay");
    EXPECT_EQ(rows[0].planReachTime, "2014-08-25 08:00:00");
    EXPECT_EQ(rows[0].flag, 42);
}

}  // namespace
}  // namespace fw
