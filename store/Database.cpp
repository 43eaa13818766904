#include "store/Database.h"

// sqlite3_key is only declared when the codec is announced; SQLCipher always provides it.
#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <utility>

#include "text/LogSink.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr const char* kColumns[] = {
    "vhcCode",       "batchname",     "lineName",      "batchdate",
    "userName",      "planreachtime", "realreachtime", "planleavetime",
    "realLeavetime", "classeName",    "usermarkName",  "flag"};

// Twelve text columns; the program never writes NULL, so every column defaults to ''. Texts
// compare without regard to ASCII letter case, as the original's database compared them.
std::string TableSql(const char* name) {
    std::string sql = std::string("CREATE TABLE IF NOT EXISTS ") + name + " (";
    for (const char* column : kColumns) {
        if (column != kColumns[0]) sql += ',';
        sql += std::string(column) + " TEXT NOT NULL DEFAULT '' COLLATE NOCASE";
    }
    return sql + ")";
}

// The stop lookup of the detection and the report's range query.
constexpr const char* kIndexes[] = {
    "CREATE INDEX IF NOT EXISTS busbatch_stop ON busbatch (vhcCode, lineName, usermarkName)",
    "CREATE INDEX IF NOT EXISTS busbatch_report ON busbatch (vhcCode, userName, planreachtime)",
};

std::string ErrorText(sqlite3* db, int rc) {
    std::string text = sqlite3_errstr(rc);
    if (db != nullptr) {
        const char* detail = sqlite3_errmsg(db);
        if (detail != nullptr && text != detail) text += std::string(": ") + detail;
    }
    return text;
}

// A table made before its texts compared without regard to case is rebuilt with the collation,
// its rows kept. One that cannot be copied (a hand-made table lacking a column) stays as it is.
int AddCaseInsensitiveCollation(sqlite3* db) {
    std::string sql;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(
        db, "SELECT sql FROM sqlite_master WHERE type='table' AND name='busbatch'", -1, &stmt,
        nullptr);
    if (rc != SQLITE_OK) return rc;
    if (sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0) != nullptr)
        sql = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    sqlite3_finalize(stmt);
    if (sql.find("COLLATE NOCASE") != std::string::npos) return SQLITE_OK;

    std::string columns, values;
    for (const char* column : kColumns) {
        if (column != kColumns[0]) columns += ',', values += ',';
        columns += column;
        values += std::string("coalesce(") + column + ",'')";
    }
    const std::string copy = "BEGIN IMMEDIATE;" + TableSql("busbatch_cased") +
                             ";INSERT INTO busbatch_cased (rowid," + columns + ") SELECT rowid," +
                             values + " FROM busbatch;DROP TABLE busbatch;"
                             "ALTER TABLE busbatch_cased RENAME TO busbatch;COMMIT";
    rc = sqlite3_exec(db, copy.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return SQLITE_OK;
}

// The stop rows are nobody else's business: the file and the journal files SQLite makes beside
// it (which take the file's mode) are the owner's alone. A missing file is made empty, which
// SQLite takes for a new database; one that is there and ours loses any group or other bits.
// Files of another owner are left as they are (opening them decides).
void KeepOwnerOnly(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) ::close(fd);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const std::string file = path + suffix;
        struct stat info {};
        if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (info.st_uid == ::getuid() && (info.st_mode & 077) != 0)
            ::chmod(file.c_str(), info.st_mode & 0700);
    }
}

}  // namespace

int DbRow::ColumnCount() const { return sqlite3_column_count(stmt_); }

namespace {

std::string_view ColumnText(sqlite3_stmt* stmt, int column) {
    if (column < 0 || column >= sqlite3_column_count(stmt)) return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (text == nullptr) return {};
    return std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
}

}  // namespace

std::string DbRow::Text(int column) const { return std::string(TrimView(ColumnText(stmt_, column))); }

std::string DbRow::RawText(int column) const { return std::string(ColumnText(stmt_, column)); }

std::int64_t DbRow::Int64(int column) const {
    if (column < 0 || column >= ColumnCount()) return 0;
    return sqlite3_column_int64(stmt_, column);
}

int DbRow::ColumnIndex(std::string_view name) const {
    const int count = ColumnCount();
    for (int i = 0; i < count; ++i) {
        const char* columnName = sqlite3_column_name(stmt_, i);
        if (columnName != nullptr && EqualsNoCase(columnName, name)) return i;
    }
    return -1;
}

Database::Database() = default;

Database::~Database() { Close(); }

std::string Database::FilePath(std::string_view home, std::string_view dataName) {
    std::string path(home);
    if (!path.empty() && path.back() != '/') path += '/';
    path += dataName;
    path += ".mdb";
    return path;
}

bool Database::Open(std::string_view home, std::string_view dataName, std::string_view password,
                    LogSink* log) {
    Close();
    lastError_.clear();
    openCode_ = -1;
    const bool opened = OpenFile(home, dataName, password);
    openError_ = opened ? std::string() : lastError_;
    if (!opened && log != nullptr) log->WriteLog("连接数据库失败 错误描述:" + lastError_);
    return opened;
}

bool Database::OpenFile(std::string_view home, std::string_view dataName,
                        std::string_view password) {
    // An empty name would make a hidden ".mdb" in the home; it is a configuration error instead.
    if (dataName.empty()) return Fail("DataName is empty");
    if (dataName.find('/') != std::string_view::npos) return Fail("DataName holds a '/'");
    if (password.size() > INT_MAX) return Fail("password too long");

    const std::string path = FilePath(home, dataName);
    KeepOwnerOnly(path);
    sqlite3* db = nullptr;
    int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    auto abandon = [&](int code) {
        openCode_ = code;
        std::string text = ErrorText(db, code);
        sqlite3_close_v2(db);
        return Fail(path + ": " + text);
    };
    if (rc != SQLITE_OK) return abandon(rc);
    if (!password.empty()) {
        rc = sqlite3_key(db, password.data(), static_cast<int>(password.size()));
        if (rc != SQLITE_OK) return abandon(rc);
    }
    // One connection per program run owns the file: holding its lock for the whole run spares
    // the file-lock calls every statement would otherwise make, keeps the WAL index in memory,
    // and keeps a second program on the same home from emptying this one's report rows.
    rc = sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    // The first read decides whether the key fits the file (a wrong key reads as "not a database").
    rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    // Small pages for a new file, as keyed files have: a detected arrival rewrites one row, and
    // every such commit logs its whole page. (A no-op on a file that has pages already.)
    rc = sqlite3_exec(db, "PRAGMA page_size=1024", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    // A scratch store: WAL with synchronous NORMAL keeps every statement its own commit without
    // paying a sync for each of the thousands of rows a reply stream inserts.
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    rc = sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    // Only checkpoints sync. A report run writes a few thousand single-row commits; syncing
    // every thousand of them would cost more than the run itself, so checkpoint every 8192
    // pages (8 MiB of log) and cut the log file back to that size afterwards.
    rc = sqlite3_exec(db, "PRAGMA wal_autocheckpoint=8192", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    rc = sqlite3_exec(db, "PRAGMA journal_size_limit=8388608", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    rc = sqlite3_exec(db, TableSql("busbatch").c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) return abandon(rc);
    rc = AddCaseInsensitiveCollation(db);
    if (rc != SQLITE_OK) return abandon(rc);
    for (const char* statement : kIndexes) {
        rc = sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return abandon(rc);
    }
    // A file that the system would only let us read is as unusable as a missing one.
    if (sqlite3_db_readonly(db, "main") != 0) return abandon(SQLITE_READONLY);
    db_ = db;
    return true;
}

bool Database::OpenScratch() {
    Close();
    lastError_.clear();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // No indexes: one vehicle-day's rows are read whole, and every index would cost each insert.
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, TableSql("busbatch").c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        Fail(ErrorText(db, rc));
        openError_ = lastError_;
        sqlite3_close_v2(db);
        return false;
    }
    openError_.clear();
    db_ = db;
    return true;
}

void Database::FinalizeAll() {
    for (auto& [text, stmt] : statements_) sqlite3_finalize(stmt);
    statements_.clear();
}

void Database::Close() {
    FinalizeAll();
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

bool Database::Fail(std::string text) {
    lastError_ = std::move(text);
    return false;
}

sqlite3_stmt* Database::Prepare(std::string_view sql) {
    if (db_ == nullptr) {
        Fail("database not open");
        return nullptr;
    }
    if (auto it = statements_.find(sql); it != statements_.end()) {
        sqlite3_reset(it->second);
        return it->second;
    }
    std::string key(sql);
    sqlite3_stmt* stmt = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_, key.c_str(), static_cast<int>(key.size()), &stmt, nullptr);
    if (rc != SQLITE_OK || stmt == nullptr) {
        Fail(ErrorText(db_, rc));
        sqlite3_finalize(stmt);
        return nullptr;
    }
    statements_.emplace(std::move(key), stmt);
    return stmt;
}

bool Database::Bind(sqlite3_stmt* stmt, Values values) {
    if (static_cast<int>(values.size()) != sqlite3_bind_parameter_count(stmt))
        return Fail("statement expects " + std::to_string(sqlite3_bind_parameter_count(stmt)) +
                    " values, got " + std::to_string(values.size()));
    int index = 1;
    for (const DbValue& value : values) {
        int rc;
        if (value.IsNumber()) {
            rc = sqlite3_bind_int64(stmt, index, value.Number());
        } else {
            const std::string_view text = value.Text();
            // An empty view may carry a null pointer, which sqlite would bind as NULL. The text is
            // not copied: it outlives the statement's run, and every run binds all its values
            // anew before it steps.
            rc = sqlite3_bind_text(stmt, index, text.empty() ? "" : text.data(),
                                   static_cast<int>(text.size()), SQLITE_STATIC);
        }
        if (rc != SQLITE_OK) return Fail(ErrorText(db_, rc));
        ++index;
    }
    return true;
}

bool Database::Execute(std::string_view sql, Values values) {
    sqlite3_stmt* stmt = Prepare(sql);
    if (stmt == nullptr || !Bind(stmt, values)) return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    return Finish(stmt, rc);
}

bool Database::Query(std::string_view sql, Values values, const RowHandler& onRow) {
    sqlite3_stmt* stmt = Prepare(sql);
    if (stmt == nullptr || !Bind(stmt, values)) return false;
    int rc;
    const DbRow row(stmt);
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) onRow(row);
    return Finish(stmt, rc);
}

bool Database::Finish(sqlite3_stmt* stmt, int rc) {
    // The reason is read before the reset; the reset at once keeps no read lock between calls.
    const bool ok = rc == SQLITE_DONE;
    if (!ok) Fail(ErrorText(db_, rc));
    sqlite3_reset(stmt);
    return ok;
}

bool Database::Transaction(const std::function<bool()>& work) {
    if (!Execute("SAVEPOINT work")) return false;
    if (work() && Execute("RELEASE work")) return true;
    const std::string reason = lastError_;
    Execute("ROLLBACK TO work");
    Execute("RELEASE work");
    return Fail(reason);
}

std::string Database::OpenProblem() const {
    if (openError_.empty()) return {};
    const char* what = "数据库文件无法使用";
    switch (openCode_ < 0 ? -1 : openCode_ & 0xff) {  // the primary result code
        case -1: what = "conf.ini 的 DataName 不能用作文件名"; break;
        case SQLITE_NOTADB: what = "DataBasePsw 与数据库文件不符，或文件不是数据库"; break;
        case SQLITE_CANTOPEN: what = "数据库文件无法打开或创建（文件夹不存在或不可写）"; break;
        case SQLITE_READONLY:
        case SQLITE_PERM:
        case SQLITE_AUTH: what = "数据库文件不可写"; break;
        case SQLITE_BUSY:
        case SQLITE_LOCKED: what = "数据库文件正被另一个程序使用"; break;
        case SQLITE_FULL: what = "磁盘已满"; break;
        default: break;
    }
    return std::string(what) + "（" + openError_ + "）";
}

int Database::LastChanges() const { return db_ == nullptr ? 0 : sqlite3_changes(db_); }

}  // namespace fw
