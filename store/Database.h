#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace fw {

class LogSink;

// A value bound to a statement parameter: a text, or a 64-bit integer (rowids).
class DbValue {
public:
    DbValue(std::string_view text) : text_(text) {}    // NOLINT: implicit by design
    DbValue(const char* text) : text_(text) {}         // NOLINT
    DbValue(const std::string& text) : text_(text) {}  // NOLINT
    DbValue(std::int64_t number) : number_(number), isNumber_(true) {}  // NOLINT

    bool IsNumber() const { return isNumber_; }
    std::string_view Text() const { return text_; }
    std::int64_t Number() const { return number_; }

private:
    std::string_view text_;
    std::int64_t number_ = 0;
    bool isNumber_ = false;
};

// One row of a query as the callback sees it. Texts come back trimmed, NULL as empty text.
class DbRow {
public:
    explicit DbRow(sqlite3_stmt* stmt) : stmt_(stmt) {}
    int ColumnCount() const;
    // By position; out of range reads as empty.
    std::string Text(int column) const;
    // The same, untrimmed: a value as the statements compare it.
    std::string RawText(int column) const;
    std::int64_t Int64(int column) const;
    // Position of a column by name, letter case ignored; -1 when there is none.
    int ColumnIndex(std::string_view name) const;

private:
    sqlite3_stmt* stmt_;
};

// The one connection of a program run to the local store: an SQLite file through SQLCipher,
// keyed with the configured password (an empty password gives a plain file).
//
// Failure is a value. Opening fails quietly (wrong password, empty name, a home that cannot be
// written) and leaves the connection closed; every statement on a closed connection, and every
// statement that fails, returns false with the reason in LastError(). Values are always bound,
// never pasted into statement texts, so a quote in a value is stored and matched unchanged.
class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // "<home>/<dataName>.mdb".
    static std::string FilePath(std::string_view home, std::string_view dataName);

    // Opens (creating the file and the stop-time table when missing). Any earlier connection is
    // closed first. True when the connection is usable. A failure is logged ("连接数据库失败
    // 错误描述:" and the reason), when a log is given, and kept in OpenError() for whoever needs
    // the store later. The file and its journal are readable by their owner only: a new file is
    // made so, and an existing one the user owns is tightened to that.
    bool Open(std::string_view home, std::string_view dataName, std::string_view password,
              LogSink* log = nullptr);
    // A store of its own in memory, with the same table (without its indexes: one vehicle-day's
    // rows are few and read whole), for one report among many that run side by side (never the
    // window's file). Any earlier connection is closed first.
    bool OpenScratch();
    void Close();
    bool IsOpen() const { return db_ != nullptr; }

    using Values = std::initializer_list<DbValue>;
    using RowHandler = std::function<void(const DbRow&)>;

    // A statement that returns no rows, with its values bound to ?1, ?2... in order.
    bool Execute(std::string_view sql, Values values = {});
    // A statement that returns rows; onRow runs for each in the order returned (it must not run
    // statements itself). On an error in the middle of the walk the rows already handed over stay
    // handed over, and the result is false.
    bool Query(std::string_view sql, Values values, const RowHandler& onRow);
    // Runs work inside a savepoint: what it did is kept when it returns true and undone when it
    // returns false, or when the savepoint cannot be kept; then the result is false and
    // LastError() tells the first reason. Nests inside a transaction that is already open.
    bool Transaction(const std::function<bool()>& work);
    // Rows changed by the last successful Execute.
    int LastChanges() const;
    const std::string& LastError() const { return lastError_; }
    // Why the last Open failed; empty once a connection is open (or none was tried).
    const std::string& OpenError() const { return openError_; }
    // The same for a person: what is wrong in words, then the technical reason in brackets.
    std::string OpenProblem() const;
    // The raw handle, for measurements that must run on the very same settings.
    sqlite3* Handle() const { return db_; }

private:
    bool OpenFile(std::string_view home, std::string_view dataName, std::string_view password);
    sqlite3_stmt* Prepare(std::string_view sql);
    bool Bind(sqlite3_stmt* stmt, Values values);
    bool Finish(sqlite3_stmt* stmt, int rc);
    bool Fail(std::string text);
    void FinalizeAll();

    sqlite3* db_ = nullptr;
    // Statements are prepared once per text and reused: the receive path inserts row by row. The
    // texts are looked up as they are passed, without a copy.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, sqlite3_stmt*, TextHash, std::equal_to<>> statements_;
    std::string lastError_;
    std::string openError_;
    int openCode_ = 0;  // the SQLite result that made the last Open fail; -1 for the settings
};

}  // namespace fw
