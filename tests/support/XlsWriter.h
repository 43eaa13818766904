#pragma once

// Writes Excel 97-2003 workbooks (BIFF8 records in a compound file) for the timetable tests and
// the benchmark, so that no binary workbook is kept in the repository: named sheets, text, number
// and time cells, formulas with their stored results (or none), strings long enough to need
// continuation records, more columns than Excel allows, the password record.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace fw::test {

class XlsWriter {
public:
    enum class Kind { Text, Number, Time, DateTime, ShortTime, ElapsedTime, Formula };
    // What a formula cell stores as its result.
    struct Result {
        enum class Type { Number, Text, Boolean, Error, Nothing } type = Type::Number;
        double number = 0;
        Kind format = Kind::Number;  // the cell's number format, for a number
        std::string text;            // a text result
        int code = 0;                // true/false, or the error's code

        static Result OfNumber(double value, Kind format) { return {Type::Number, value, format, {}, 0}; }
        static Result OfText(std::string text) { return {Type::Text, 0, Kind::Number, std::move(text), 0}; }
        static Result OfBoolean(bool value) { return {Type::Boolean, 0, Kind::Number, {}, value ? 1 : 0}; }
        static Result OfError(int code) { return {Type::Error, 0, Kind::Number, {}, code}; }
        static Result Nothing() { return {Type::Nothing, 0, Kind::Number, {}, 0}; }
    };

    class SheetData {
    public:
        explicit SheetData(std::string name) : name_(std::move(name)) {}
        SheetData& Text(int row, int column, std::string text) { return Put(row, column, Kind::Text, std::move(text), 0); }
        SheetData& Number(int row, int column, double value) { return Put(row, column, Kind::Number, {}, value); }
        // A time of day: the fraction of a day, formatted "hh:mm:ss".
        SheetData& Time(int row, int column, int h, int m, int s = 0) { return Put(row, column, Kind::Time, {}, (h * 3600 + m * 60 + s) / 86400.0); }
        // Days since 1899-12-30 (the 1900 date system), formatted with date and time.
        SheetData& DateTime(int row, int column, double serial) { return Put(row, column, Kind::DateTime, {}, serial); }
        // A number in "h:mm" or "[h]:mm" (a day and more shows its hours past 24).
        SheetData& ShortTime(int row, int column, double value) { return Put(row, column, Kind::ShortTime, {}, value); }
        SheetData& ElapsedTime(int row, int column, double value) { return Put(row, column, Kind::ElapsedTime, {}, value); }
        SheetData& Formula(int row, int column, Result result) {
            cells_.push_back({row, column, Kind::Formula, {}, 0, std::move(result)});
            return *this;
        }

    private:
        friend class XlsWriter;
        struct Cell { int row, column; Kind kind; std::string text; double number; Result result; };
        SheetData& Put(int row, int column, Kind kind, std::string text, double number) {
            cells_.push_back({row, column, kind, std::move(text), number, {}});
            return *this;
        }
        std::string name_;
        std::vector<Cell> cells_;
    };

    SheetData& AddSheet(std::string name) {
        sheets_.emplace_back(std::move(name));
        return sheets_.back();
    }
    // Adds the record that tells readers the workbook is encrypted.
    void SetPasswordProtected() { protected_ = true; }

    std::string Bytes() const { return CompoundFile(WorkbookStream()); }

    // A compound file of 512-byte sectors holding one stream of that name: the stream's
    // sectors, one directory sector, then the allocation table.
    static std::string CompoundFile(const std::string& stream, std::string_view name = "Workbook") {
        constexpr std::uint32_t kSector = 512, kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
        const auto dataSectors = static_cast<std::uint32_t>((stream.size() + kSector - 1) / kSector);
        std::uint32_t fatSectors = 1;
        while (fatSectors * (kSector / 4) < dataSectors + 1 + fatSectors) ++fatSectors;
        // Signature, version, byte order, 512-byte sectors, 64-byte mini sectors; the table's
        // size, the directory's sector, no mini table, no further table sectors.
        std::string header = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(16, '\0');
        Put16(header, {0x003E, 0x0003, 0xFFFE, 9, 6, 0, 0, 0});
        Put32(header, {0, fatSectors, dataSectors, 0, 4096, kEnd, 0, kEnd, 0});
        for (std::uint32_t i = 0; i < 109; ++i) Put32(header, {i < fatSectors ? dataSectors + 1 + i : kFree});

        std::string body = stream;
        body.resize(static_cast<std::size_t>(dataSectors) * kSector, '\0');
        auto entry = [&body](std::string_view entryName, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                             std::uint32_t size) {
            std::string e;
            for (char c : entryName) Put16(e, {static_cast<unsigned char>(c)});
            e.resize(64, '\0');
            Put16(e, {entryName.empty() ? 0 : static_cast<std::uint32_t>(entryName.size() + 1) * 2});
            e += {static_cast<char>(type), '\x01'};  // black
            Put32(e, {kFree, kFree, child});
            e += std::string(36, '\0');
            Put32(e, {start, size, 0});
            body += e;
        };
        entry("Root Entry", 5, 1, kEnd, 0);
        entry(name, 2, kFree, dataSectors == 0 ? kEnd : 0, static_cast<std::uint32_t>(stream.size()));
        entry("", 0, kFree, 0, 0);
        entry("", 0, kFree, 0, 0);

        std::string fat;
        for (std::uint32_t i = 0; i < dataSectors; ++i) Put32(fat, {i + 1 == dataSectors ? kEnd : i + 1});
        Put32(fat, {kEnd});  // the directory
        for (std::uint32_t i = 0; i < fatSectors; ++i) Put32(fat, {0xFFFFFFFD});
        fat.resize(static_cast<std::size_t>(fatSectors) * kSector, '\xFF');
        return header + std::string(kSector - header.size(), '\0') + body + fat;
    }

private:
    static constexpr std::size_t kMaxRecord = 8224;
    // The first cell formats after the sixteen style formats Excel expects.
    static constexpr std::uint16_t kXfGeneral = 16;

    static std::uint16_t XfOf(Kind kind) {
        switch (kind) {
            case Kind::Time: return kXfGeneral + 1;
            case Kind::DateTime: return kXfGeneral + 2;
            case Kind::ShortTime: return kXfGeneral + 3;
            case Kind::ElapsedTime: return kXfGeneral + 4;
            default: return kXfGeneral;
        }
    }

    // FORMULA "=1" with the stored result, and a STRING record after it for a text result.
    static void FormulaRecords(std::string& out, const SheetData::Cell& c) {
        std::string d;
        const Result& r = c.result;
        using Type = Result::Type;
        Put16(d, {static_cast<std::uint32_t>(c.row), static_cast<std::uint32_t>(c.column),
                  r.type == Type::Number ? XfOf(r.format) : kXfGeneral});
        if (r.type == Type::Number) {
            PutDouble(d, r.number);
        } else {
            const int type = r.type == Type::Text ? 0 : r.type == Type::Boolean ? 1 : r.type == Type::Error ? 2 : 0xFF;
            d += {static_cast<char>(type), '\0', static_cast<char>(r.code), '\0', '\0', '\0'};
            Put16(d, {0xFFFF});
        }
        Put16(d, {0x0002, 0, 0, 3});  // calculate on open; the formula: the number 1
        d += {'\x1E', '\x01', '\0'};
        Record(out, 0x0006, d);
        if (r.type == Type::Text) Record(out, 0x0207, Utf16String(r.text));
    }

    static void Put16(std::string& s, std::initializer_list<std::uint32_t> values) {
        for (std::uint32_t v : values) s += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    }
    static void Put32(std::string& s, std::initializer_list<std::uint32_t> values) {
        for (std::uint32_t v : values) Put16(s, {v & 0xFFFF, v >> 16});
    }
    static void PutDouble(std::string& s, double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Put32(s, {static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32)});
    }
    static void Record(std::string& s, std::uint16_t type, const std::string& data) {
        Put16(s, {type, static_cast<std::uint32_t>(data.size())});
        s += data;
    }

    static std::u16string Utf16(std::string_view utf8) {
        std::u16string out;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
            for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            i += static_cast<std::size_t>(extra) + 1;
            if (cp >= 0x10000) out += {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
            else out += static_cast<char16_t>(cp);
        }
        return out;
    }
    // A string of 16-bit characters with its length in `lengthBytes` bytes.
    static std::string Utf16String(std::string_view utf8, int lengthBytes = 2) {
        const std::u16string chars = Utf16(utf8);
        std::string d;
        Put16(d, {static_cast<std::uint32_t>(chars.size())});
        if (lengthBytes == 1) d.pop_back();
        d += '\x01';
        for (char16_t ch : chars) Put16(d, {ch});
        return d;
    }

    // The shared string table, continued across records as long strings need.
    static void SharedStrings(std::string& s, const std::vector<std::string>& strings, std::uint32_t uses) {
        std::vector<std::string> records(1);
        Put32(records[0], {uses, static_cast<std::uint32_t>(strings.size())});
        for (const std::string& text : strings) {
            const std::u16string chars = Utf16(text);
            if (records.back().size() + 5 > kMaxRecord) records.emplace_back();
            Put16(records.back(), {static_cast<std::uint32_t>(chars.size())});
            records.back() += '\x01';  // 16-bit characters
            for (std::size_t done = 0; done < chars.size();) {
                std::size_t room = (kMaxRecord - records.back().size()) / 2;
                if (room == 0) {
                    records.emplace_back(1, '\x01');  // a continued string repeats its flags
                    continue;
                }
                for (room = std::min(room, chars.size() - done); room > 0; --room, ++done) Put16(records.back(), {chars[done]});
            }
        }
        for (std::size_t i = 0; i < records.size(); ++i) Record(s, i == 0 ? 0x00FC : 0x003C, records[i]);
    }

    std::string WorkbookStream() const {
        std::vector<std::string> strings;
        std::uint32_t uses = 0;
        auto stringIndex = [&strings, &uses](const std::string& text) {
            ++uses;
            const auto at = std::find(strings.begin(), strings.end(), text);
            if (at != strings.end()) return static_cast<std::uint32_t>(at - strings.begin());
            strings.push_back(text);
            return static_cast<std::uint32_t>(strings.size() - 1);
        };
        auto bof = [](std::uint32_t kind) {
            std::string d;
            Put16(d, {0x0600, kind, 0x0DBB, 0x07CC, 0, 0, 0x0006, 0});  // BIFF8
            return d;
        };
        std::vector<std::string> sheetStreams;
        for (const SheetData& sheet : sheets_) {
            std::vector<SheetData::Cell> cells = sheet.cells_;
            std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
                return std::tie(a.row, a.column) < std::tie(b.row, b.column);
            });
            std::string out;
            Record(out, 0x0809, bof(0x0010));
            std::uint32_t rows = 0, columns = 0;
            for (const auto& c : cells) {
                rows = std::max(rows, static_cast<std::uint32_t>(c.row + 1));
                columns = std::max(columns, static_cast<std::uint32_t>(c.column + 1));
            }
            std::string dim;
            Put32(dim, {0, rows});
            Put16(dim, {0, columns, 0});
            Record(out, 0x0200, dim);
            for (const auto& c : cells) {
                if (c.kind == Kind::Formula) {
                    FormulaRecords(out, c);
                    continue;
                }
                std::string d;
                Put16(d, {static_cast<std::uint32_t>(c.row), static_cast<std::uint32_t>(c.column), XfOf(c.kind)});
                if (c.kind == Kind::Text) Put32(d, {stringIndex(c.text)});
                else PutDouble(d, c.number);
                Record(out, c.kind == Kind::Text ? 0x00FD : 0x0203, d);  // LABELSST or NUMBER
            }
            Record(out, 0x000A, {});
            sheetStreams.push_back(std::move(out));
        }

        std::string globals;
        Record(globals, 0x0809, bof(0x0005));
        std::string d;
        Put16(d, {0, 0x1234, 0x5678});  // XOR obfuscation, key and verifier
        if (protected_) Record(globals, 0x002F, d);
        Record(globals, 0x0042, "\xB0\x04");  // UTF-16
        const std::pair<std::uint32_t, std::string_view> formats[] = {{164, "hh:mm:ss"}, {165, "yyyy-mm-dd hh:mm:ss"}, {167, "[h]:mm"}};
        for (const auto& [index, code] : formats) {
            d.clear();
            Put16(d, {index});
            Record(globals, 0x041E, d + Utf16String(code));
        }
        // Sixteen style formats, then a locked cell format for each Kind.
        const std::uint32_t cellFormats[] = {0, 164, 165, 20, 167};
        for (int i = 0; i < 21; ++i) {
            d.clear();
            Put16(d, {0, i < 16 ? 0 : cellFormats[std::max(0, i - 16)], i < 16 ? 0xFFF5u : 0x0001u, 0, 0, 0, 0, 0, 0, 0});
            Record(globals, 0x00E0, d);
        }
        std::vector<std::size_t> offsetAt;
        for (const SheetData& sheet : sheets_) {
            offsetAt.push_back(globals.size() + 4);
            Record(globals, 0x0085, std::string(6, '\0') + Utf16String(sheet.name_, 1));  // where it starts, filled in below
        }
        SharedStrings(globals, strings, uses);
        // Streams under 4096 bytes would go to the compound file's mini stream; an access record
        // of the right length keeps every workbook above that.
        std::size_t total = globals.size() + 4;
        for (const auto& sheetStream : sheetStreams) total += sheetStream.size();
        if (total < 4200) Record(globals, 0x005C, std::string(4200 - total, ' '));
        Record(globals, 0x000A, {});

        std::string stream = globals;
        for (std::size_t i = 0; i < sheetStreams.size(); ++i) {
            const auto at = static_cast<std::uint32_t>(stream.size());
            for (int b = 0; b < 4; ++b) stream[offsetAt[i] + b] = static_cast<char>((at >> (8 * b)) & 0xFF);
            stream += sheetStreams[i];
        }
        return stream;
    }

    std::deque<SheetData> sheets_;
    bool protected_ = false;
};

}  // namespace fw::test
