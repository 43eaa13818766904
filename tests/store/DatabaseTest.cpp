#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "tests/support/TestSupport.h"

namespace fw {
namespace {

using test::TempHome;

StopTimeEntry Entry(std::string stop) {
    return {"沪A12345", "B01", "Line 7", "2014-08-25", "2014-08-25 08:00:00", "2014-08-25 08:01:00",
            std::move(stop), "3"};
}

std::size_t CountRows(Database& db) {
    std::size_t count = 0;
    db.Query("select count(*) from busbatch", {},
             [&](const DbRow& row) { count = static_cast<std::size_t>(row.Int64(0)); });
    return count;
}

void MakeStore(const std::string& home, const char* password) {
    Database db;
    ASSERT_TRUE(db.Open(home, "fleet", password));
    ASSERT_TRUE(StopTimeTable(db).InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
}

// A fresh store is created with its table; the detection's stop lookup and the report's range
// query use an index instead of scanning it.
TEST(Database, NewStoreHasItsTableAndIndexes) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "")) << db.LastError();
    EXPECT_TRUE(std::filesystem::exists(home.Path() + "/fleet.mdb"));
    EXPECT_EQ(CountRows(db), 0u);
    for (std::string_view sql : {StopTimeTable::kFindStopRowsSql, StopTimeTable::kReportRowsSql}) {
        std::string plan;
        ASSERT_TRUE(db.Query("EXPLAIN QUERY PLAN " + std::string(sql),
                             sql == StopTimeTable::kFindStopRowsSql ? Database::Values{"a", "b", "c"}
                                                                    : Database::Values{"a", "b", "c", "d"},
                             [&](const DbRow& row) { plan += row.Text(3) + "\n"; }));
        EXPECT_NE(plan.find("USING INDEX"), std::string::npos) << plan;
        EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
    }
}

// The stop rows are the user's alone, whatever the umask: a new store and its journal are made
// owner-only, and an existing store the user owns (with a journal left from a crash) is tightened
// when it is opened.
TEST(Database, StoreAndJournalAreReadableByTheOwnerOnly) {
    TempHome home;
    const mode_t umaskBefore = ::umask(022);
    auto mode = [&](const std::string& name) {
        return std::filesystem::status(home.File(name)).permissions() & std::filesystem::perms::all;
    };
    using std::filesystem::perms;
    const perms ownerOnly = perms::owner_read | perms::owner_write;
    {
        Database db;
        ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
        ASSERT_TRUE(StopTimeTable(db).InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
        EXPECT_EQ(mode("fleet.mdb"), ownerOnly);
        ASSERT_TRUE(std::filesystem::exists(home.File("fleet.mdb-wal")));
        EXPECT_EQ(mode("fleet.mdb-wal"), ownerOnly);
    }
    for (const char* name : {"fleet.mdb", "fleet.mdb-wal"})
        if (std::filesystem::exists(home.File(name)))
            std::filesystem::permissions(home.File(name), perms::group_read | perms::others_read,
                                         std::filesystem::perm_options::add);
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    EXPECT_EQ(mode("fleet.mdb"), ownerOnly);
    EXPECT_EQ(CountRows(db), 1u);
    ::umask(umaskBefore);
}

// The running program owns its store: a second program on the same home runs without one
// (quietly) instead of emptying the first one's report rows.
TEST(Database, SecondConnectionToAnOpenStoreFailsQuietly) {
    TempHome home;
    Database first;
    ASSERT_TRUE(first.Open(home.Path(), "fleet", ""));
    ASSERT_TRUE(StopTimeTable(first).InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    Database second;
    EXPECT_FALSE(second.Open(home.Path(), "fleet", ""));
    EXPECT_EQ(CountRows(first), 1u);
    first.Close();
    EXPECT_TRUE(second.Open(home.Path(), "fleet", ""));
    EXPECT_EQ(CountRows(second), 1u);
}

TEST(Database, KeyedFileReopensWithItsPasswordAndIsNotPlainText) {
    TempHome home;
    MakeStore(home.Path(), "s3cr;et'pw");
    const std::string file = test::ReadFile(home.Path() + "/fleet.mdb");
    EXPECT_EQ(file.find("Harbour Gate"), std::string::npos);
    EXPECT_NE(file.rfind("SQLite format 3", 0), 0u);
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "s3cr;et'pw")) << db.LastError();
    EXPECT_EQ(CountRows(db), 1u);
}

struct FailedOpenCase {
    const char* label;
    const char* storeKey;  // a store made beforehand with this key, which must survive; or none
    const char* dir;       // under the home
    const char* name;
    const char* password;
    const char* fileInTheWay;  // a file of junk at this path under the home
    const char* problem;       // what the user is told
};

void PrintTo(const FailedOpenCase& c, std::ostream* os) { *os << c.label; }

constexpr const char* kNotThisDatabase = "DataBasePsw 与数据库文件不符，或文件不是数据库";
constexpr const char* kCannotOpen = "数据库文件无法打开或创建（文件夹不存在或不可写）";

class DatabaseFailedOpen : public testing::TestWithParam<FailedOpenCase> {};

TEST_P(DatabaseFailedOpen, FailsQuietlyEveryStatementFailsAndNothingStoredIsLost) {
    const FailedOpenCase& c = GetParam();
    TempHome home;
    if (c.storeKey != nullptr) MakeStore(home.Path(), c.storeKey);
    if (c.fileInTheWay != nullptr) test::WriteFile(home.File(c.fileInTheWay), std::string(4096, 'Z'));
    Database db;
    test::MemoryLog log;
    EXPECT_FALSE(db.Open(home.Path() + c.dir, c.name, c.password, &log));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(log.lines, std::vector<std::string>{"连接数据库失败 错误描述:" + db.LastError()});

    StopTimeTable table(db);
    std::vector<std::string> lines;
    std::vector<StopTimeRecord> rows;
    EXPECT_FALSE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    EXPECT_FALSE(table.DeleteAllStopTimes());
    std::vector<VehicleStopRow> stops;
    EXPECT_FALSE(table.ListVehicleLines("沪A12345", lines));
    EXPECT_FALSE(table.FindStopRows("沪A12345", "Line 7", "Harbour Gate", rows));
    EXPECT_FALSE(table.ReadVehicleStops("沪A12345", stops));
    EXPECT_FALSE(table.WriteRealTimes({{1, "", "", "", "", "2014-08-25 08:00:00", ""}}));
    EXPECT_FALSE(table.ReadReportRows("沪A12345", "dispatcher", "2014", "2015", rows));
    EXPECT_TRUE(lines.empty() && rows.empty());
    // Why it did not open outlasts the failed statements, for whoever needs the store later,
    // and is told in words.
    EXPECT_EQ(log.lines, std::vector<std::string>{"连接数据库失败 错误描述:" + db.OpenError()});
    EXPECT_EQ(db.OpenProblem(), std::string(c.problem) + "（" + db.OpenError() + "）");

    if (c.storeKey != nullptr) {
        Database again;
        ASSERT_TRUE(again.Open(home.Path(), "fleet", c.storeKey)) << again.LastError();
        EXPECT_EQ(CountRows(again), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DatabaseFailedOpen,
    testing::Values(FailedOpenCase{"WrongPassword", "right", "", "fleet", "wrong", nullptr, kNotThisDatabase},
                    FailedOpenCase{"NoPasswordForKeyedFile", "right", "", "fleet", "", nullptr, kNotThisDatabase},
                    FailedOpenCase{"PasswordForPlainFile", "", "", "fleet", "right", nullptr, kNotThisDatabase},
                    FailedOpenCase{"EmptyDataName", nullptr, "", "", "", nullptr, "conf.ini 的 DataName 不能用作文件名"},
                    FailedOpenCase{"MissingDirectory", nullptr, "/no/such/dir", "fleet", "", nullptr, kCannotOpen},
                    FailedOpenCase{"HomeIsAFile", nullptr, "/plain-file", "fleet", "", "plain-file", kCannotOpen},
                    FailedOpenCase{"NotADatabase", nullptr, "", "fleet", "", "fleet.mdb", kNotThisDatabase}),
    [](const auto& info) { return std::string(info.param.label); });

// Makes a file or directory unwritable even for root (the immutable attribute) or by its mode,
// and writable again afterwards so the home can be removed.
class LockedPath {
public:
    explicit LockedPath(const std::string& path) : path_(path) {
        if (geteuid() != 0) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::remove);
            locked_ = true;
            return;
        }
        fd_ = open(path.c_str(), O_RDONLY);
        int flags = 0;
        if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            locked_ = ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~LockedPath() {
        if (fd_ >= 0) {
            int flags = 0;
            if (ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
            close(fd_);
        } else {
            std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
    }
    bool Locked() const { return locked_; }

private:
    std::string path_;
    int fd_ = -1;
    bool locked_ = false;
};

TEST(Database, UnwritableDirectoryOrFileFailsQuietlyAndLosesNothing) {
    TempHome home;
    const std::string dir = home.Path() + "/locked";
    std::filesystem::create_directory(dir);
    {
        LockedPath lock(dir);
        if (!lock.Locked()) GTEST_SKIP() << "cannot make a directory unwritable here";
        Database db;
        EXPECT_FALSE(db.Open(dir, "fleet", ""));
        EXPECT_FALSE(StopTimeTable(db).InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    }
    MakeStore(home.Path(), "");
    const std::string file = home.Path() + "/fleet.mdb";
    {
        LockedPath lock(file);
        if (!lock.Locked()) GTEST_SKIP() << "cannot make a file unwritable here";
        Database db;
        test::MemoryLog log;
        EXPECT_FALSE(db.Open(home.Path(), "fleet", "", &log));
        EXPECT_EQ(log.lines.size(), 1u);
    }
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "")) << db.LastError();
    EXPECT_EQ(CountRows(db), 1u);
}

// A full disk: the row that does not fit is refused, every row before it stays, and the store
// works again once there is room.
TEST(Database, FullDiskRefusesTheRowAndKeepsTheOthers) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "s3cret"));
    StopTimeTable table(db);
    ASSERT_TRUE(table.InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
    std::string pages;
    db.Query("PRAGMA page_count", {}, [&](const DbRow& row) { pages = row.Text(0); });
    ASSERT_TRUE(db.Execute("PRAGMA max_page_count=" + pages));
    std::size_t stored = 1;
    while (stored < 10000 && table.InsertStopTime(Entry("Stop " + std::to_string(stored)), "d"))
        ++stored;
    ASSERT_LT(stored, 10000u);
    EXPECT_NE(db.LastError().find("full"), std::string::npos) << db.LastError();
    EXPECT_EQ(CountRows(db), stored);
    ASSERT_TRUE(db.Execute("PRAGMA max_page_count=1000000"));
    EXPECT_TRUE(table.InsertStopTime(Entry("Later"), "d")) << db.LastError();
    db.Close();
    ASSERT_TRUE(db.Open(home.Path(), "fleet", "s3cret"));
    EXPECT_EQ(CountRows(db), stored + 1);
}

// A store made before texts compared without regard to case gets the collation, rows kept.
TEST(Database, OlderTableGetsTheCollationAndKeepsItsRows) {
    TempHome home;
    {
        Database db;
        ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
        ASSERT_TRUE(db.Execute("drop table busbatch"));
        std::string sql = "create table busbatch (";
        for (const char* c : {"vhcCode", "batchname", "lineName", "batchdate", "userName",
                              "planreachtime", "realreachtime", "planleavetime", "realLeavetime",
                              "classeName", "usermarkName"})
            sql += std::string(c) + " TEXT NOT NULL DEFAULT '',";
        ASSERT_TRUE(db.Execute(sql + "flag TEXT)"));
        ASSERT_TRUE(StopTimeTable(db).InsertStopTime(Entry("Harbour Gate"), "dispatcher"));
        ASSERT_TRUE(db.Execute("update busbatch set flag = NULL"));
    }
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    std::vector<StopTimeRecord> rows;
    ASSERT_TRUE(StopTimeTable(db).FindStopRows("沪a12345", "LINE 7", "harbour gate", rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].usermarkName, "Harbour Gate");
    EXPECT_EQ(rows[0].flag, 0);
}

TEST(Database, WrongValueCountIsAnErrorNotACrash) {
    TempHome home;
    Database db;
    ASSERT_TRUE(db.Open(home.Path(), "fleet", ""));
    EXPECT_FALSE(db.Execute(StopTimeTable::kListLinesSql, {}));
    EXPECT_FALSE(db.Execute(StopTimeTable::kListLinesSql, {"a", "b"}));
    EXPECT_FALSE(db.Execute("this is not sql"));
    EXPECT_FALSE(db.LastError().empty());
    // The connection stays usable after failures.
    EXPECT_TRUE(db.Execute(StopTimeTable::kListLinesSql, {"a"}));
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
    const StopTimeRecord& r = rows[0];
    EXPECT_EQ(r.vhcCode + "|" + r.batchName + "|" + r.realReachTime + "|" + r.usermarkName + "|" + r.planReachTime,
              "A1|||Quay|2014-08-25 08:00:00");
    EXPECT_EQ(r.flag, 42);
}

}  // namespace
}  // namespace fw
