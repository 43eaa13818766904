#pragma once

// Writes Excel 97-2003 workbooks (BIFF8 records in a compound file) for the timetable tests and
// the benchmark, so that no binary workbook has to be kept in the repository. It writes what the
// reader needs and a little more: named sheets in any order, text, number, time and date-time
// cells, formulas with their stored results (or none), strings long enough to need
// continuation records, more columns than Excel allows, and the password record of a protected
// workbook.

#include <algorithm>
#include <deque>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <tuple>
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
        SheetData& Time(int row, int column, int h, int m, int s = 0) {
            return Put(row, column, Kind::Time, {}, (h * 3600 + m * 60 + s) / 86400.0);
        }
        // Days since 1899-12-30 (the 1900 date system), formatted with date and time.
        SheetData& DateTime(int row, int column, double serial) { return Put(row, column, Kind::DateTime, {}, serial); }
        // A number in "h:mm" or "[h]:mm" (a day and more shows its hours past 24).
        SheetData& ShortTime(int row, int column, double value) { return Put(row, column, Kind::ShortTime, {}, value); }
        SheetData& ElapsedTime(int row, int column, double value) { return Put(row, column, Kind::ElapsedTime, {}, value); }
        SheetData& Formula(int row, int column, Result result) {
            Put(row, column, Kind::Formula, {}, 0);
            cells_.back().result = std::move(result);
            return *this;
        }

    private:
        friend class XlsWriter;
        struct Cell {
            int row, column;
            Kind kind;
            std::string text;
            double number;
            Result result = {};
        };
        SheetData& Put(int row, int column, Kind kind, std::string text, double number) {
            cells_.push_back({row, column, kind, std::move(text), number});
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
        constexpr std::uint32_t kSector = 512, kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSector = 0xFFFFFFFD;
        const auto dataSectors = static_cast<std::uint32_t>((stream.size() + kSector - 1) / kSector);
        std::uint32_t fatSectors = 1;
        while (fatSectors * (kSector / 4) < dataSectors + 1 + fatSectors) ++fatSectors;
        const std::uint32_t directorySector = dataSectors;
        const std::uint32_t firstFat = dataSectors + 1;

        std::string header;
        header += "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
        header += std::string(16, '\0');
        Put16(header, 0x003E);
        Put16(header, 0x0003);
        Put16(header, 0xFFFE);
        Put16(header, 9);  // 512-byte sectors
        Put16(header, 6);  // 64-byte mini sectors
        header += std::string(6, '\0');
        Put32(header, 0);
        Put32(header, fatSectors);
        Put32(header, directorySector);
        Put32(header, 0);
        Put32(header, 4096);
        Put32(header, kEnd);  // no mini allocation table
        Put32(header, 0);
        Put32(header, kEnd);  // no further table sectors
        Put32(header, 0);
        for (std::uint32_t i = 0; i < 109; ++i) Put32(header, i < fatSectors ? firstFat + i : kFree);

        std::string body = stream;
        body.resize(static_cast<std::size_t>(dataSectors) * kSector, '\0');

        auto entry = [](std::string_view entryName, std::uint8_t type, std::uint32_t child, std::uint32_t start,
                        std::uint32_t size) {
            std::string e;
            for (char c : entryName) Put16(e, static_cast<unsigned char>(c));
            e.resize(64, '\0');
            Put16(e, entryName.empty() ? 0 : static_cast<std::uint32_t>(entryName.size() + 1) * 2);
            e += static_cast<char>(type);
            e += '\x01';  // black
            Put32(e, kFree);
            Put32(e, kFree);
            Put32(e, child);
            e += std::string(36, '\0');
            Put32(e, start);
            Put32(e, size);
            Put32(e, 0);
            return e;
        };
        body += entry("Root Entry", 5, 1, kEnd, 0);
        body += entry(name, 2, kFree, dataSectors == 0 ? kEnd : 0, static_cast<std::uint32_t>(stream.size()));
        body += entry("", 0, kFree, 0, 0);
        body += entry("", 0, kFree, 0, 0);

        std::string fat;
        for (std::uint32_t i = 0; i < dataSectors; ++i) Put32(fat, i + 1 == dataSectors ? kEnd : i + 1);
        Put32(fat, kEnd);  // the directory
        for (std::uint32_t i = 0; i < fatSectors; ++i) Put32(fat, kFatSector);
        fat.resize(static_cast<std::size_t>(fatSectors) * kSector, '\xFF');
        return header + std::string(kSector - header.size(), '\0') + body + fat;
    }

    bool Save(const std::string& path) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string bytes = Bytes();
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return static_cast<bool>(out);
    }

private:
    static constexpr std::size_t kMaxRecord = 8224;
    // The first cell formats after the sixteen style formats Excel expects.
    static constexpr std::uint16_t kXfGeneral = 16, kXfTime = 17, kXfDateTime = 18, kXfShortTime = 19, kXfElapsedTime = 20;

    static std::uint16_t XfOf(Kind kind) {
        switch (kind) {
            case Kind::Time: return kXfTime;
            case Kind::DateTime: return kXfDateTime;
            case Kind::ShortTime: return kXfShortTime;
            case Kind::ElapsedTime: return kXfElapsedTime;
            default: return kXfGeneral;
        }
    }

    // FORMULA "=1" with the stored result, and a STRING record after it for a text result.
    static void FormulaRecords(std::string& out, const SheetData::Cell& c) {
        std::string d;
        Put16(d, static_cast<std::uint32_t>(c.row));
        Put16(d, static_cast<std::uint32_t>(c.column));
        const Result& r = c.result;
        using Type = Result::Type;
        Put16(d, r.type == Type::Number ? XfOf(r.format) : kXfGeneral);
        if (r.type == Type::Number) {
            PutDouble(d, r.number);
        } else {
            const int type = r.type == Type::Text ? 0 : r.type == Type::Boolean ? 1 : r.type == Type::Error ? 2 : 0xFF;
            d += static_cast<char>(type);
            d += '\0';
            d += static_cast<char>(r.code);
            d += std::string(3, '\0');
            Put16(d, 0xFFFF);
        }
        Put16(d, 0x0002);  // calculate on open
        Put32(d, 0);
        Put16(d, 3);       // the formula: the number 1
        d += "\x1E\x01";
        d += '\0';
        Record(out, 0x0006, d);
        if (r.type != Type::Text) return;
        const std::u16string chars = Utf16(r.text);
        std::string str;
        Put16(str, static_cast<std::uint32_t>(chars.size()));
        str += '\x01';
        for (char16_t ch : chars) Put16(str, ch);
        Record(out, 0x0207, str);
    }

    static void Put16(std::string& s, std::uint32_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    }
    static void Put32(std::string& s, std::uint32_t v) {
        Put16(s, v & 0xFFFF);
        Put16(s, v >> 16);
    }
    static void PutDouble(std::string& s, double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Put32(s, static_cast<std::uint32_t>(bits));
        Put32(s, static_cast<std::uint32_t>(bits >> 32));
    }
    static void Record(std::string& s, std::uint16_t type, const std::string& data) {
        Put16(s, type);
        Put16(s, static_cast<std::uint32_t>(data.size()));
        s += data;
    }

    static std::u16string Utf16(std::string_view utf8) {
        std::u16string out;
        for (std::size_t i = 0; i < utf8.size();) {
            const auto b = static_cast<unsigned char>(utf8[i]);
            const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
            for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            i += static_cast<std::size_t>(extra) + 1;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (cp >> 10));
                out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out += static_cast<char16_t>(cp);
            }
        }
        return out;
    }

    static std::string Bof(std::uint16_t kind) {
        std::string d;
        Put16(d, 0x0600);  // BIFF8
        Put16(d, kind);
        Put16(d, 0x0DBB);
        Put16(d, 0x07CC);
        Put32(d, 0);
        Put32(d, 0x0006);
        return d;
    }

    static std::string Format(std::uint16_t index, std::string_view text) {
        std::string d;
        Put16(d, index);
        Put16(d, static_cast<std::uint32_t>(text.size()));
        d += '\0';  // 8-bit characters
        d += text;
        return d;
    }

    static std::string Xf(std::uint16_t format, bool style) {
        std::string d;
        Put16(d, 0);                         // font
        Put16(d, format);
        Put16(d, style ? 0xFFF5 : 0x0001);   // style record, or a cell record that is locked
        d += std::string(14, '\0');
        return d;
    }

    // The shared string table, continued across records as long strings need.
    static void SharedStrings(std::string& s, const std::vector<std::string>& strings, std::uint32_t uses) {
        std::vector<std::string> records(1);
        Put32(records[0], uses);
        Put32(records[0], static_cast<std::uint32_t>(strings.size()));
        for (const std::string& text : strings) {
            const std::u16string chars = Utf16(text);
            if (records.back().size() + 5 > kMaxRecord) records.emplace_back();
            Put16(records.back(), static_cast<std::uint32_t>(chars.size()));
            records.back() += '\x01';  // 16-bit characters
            for (std::size_t done = 0; done < chars.size();) {
                std::size_t room = (kMaxRecord - records.back().size()) / 2;
                if (room == 0) {
                    records.emplace_back(1, '\x01');  // a continued string repeats its flags
                    continue;
                }
                for (room = std::min(room, chars.size() - done); room > 0; --room, ++done)
                    Put16(records.back(), chars[done]);
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
        std::vector<std::string> sheetStreams;
        for (const SheetData& sheet : sheets_) {
            std::vector<SheetData::Cell> cells = sheet.cells_;
            std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) {
                return std::tie(a.row, a.column) < std::tie(b.row, b.column);
            });
            std::string out;
            Record(out, 0x0809, Bof(0x0010));
            int rows = 0, columns = 0;
            for (const auto& c : cells) {
                rows = std::max(rows, c.row + 1);
                columns = std::max(columns, c.column + 1);
            }
            std::string dim;
            Put32(dim, 0);
            Put32(dim, static_cast<std::uint32_t>(rows));
            Put16(dim, 0);
            Put16(dim, static_cast<std::uint32_t>(columns));
            Put16(dim, 0);
            Record(out, 0x0200, dim);
            for (const auto& c : cells) {
                std::string d;
                Put16(d, static_cast<std::uint32_t>(c.row));
                Put16(d, static_cast<std::uint32_t>(c.column));
                if (c.kind == Kind::Text) {
                    Put16(d, kXfGeneral);
                    Put32(d, stringIndex(c.text));
                    Record(out, 0x00FD, d);  // LABELSST
                    continue;
                }
                if (c.kind == Kind::Formula) {
                    FormulaRecords(out, c);
                    continue;
                }
                Put16(d, XfOf(c.kind));
                PutDouble(d, c.number);
                Record(out, 0x0203, d);  // NUMBER
            }
            Record(out, 0x000A, {});
            sheetStreams.push_back(std::move(out));
        }

        std::string globals;
        Record(globals, 0x0809, Bof(0x0005));
        if (protected_) {
            std::string pass;
            Put16(pass, 0);  // XOR obfuscation, key and verifier
            Put16(pass, 0x1234);
            Put16(pass, 0x5678);
            Record(globals, 0x002F, pass);
        }
        std::string codepage;
        Put16(codepage, 1200);
        Record(globals, 0x0042, codepage);
        Record(globals, 0x041E, Format(164, "hh:mm:ss"));
        Record(globals, 0x041E, Format(165, "yyyy-mm-dd hh:mm:ss"));
        Record(globals, 0x041E, Format(167, "[h]:mm"));
        for (int i = 0; i < 16; ++i) Record(globals, 0x00E0, Xf(0, true));
        for (std::uint16_t format : {0, 164, 165, 20, 167}) Record(globals, 0x00E0, Xf(format, false));
        std::vector<std::size_t> offsetAt;
        for (const SheetData& sheet : sheets_) {
            const std::u16string name = Utf16(sheet.name_);
            std::string d;
            offsetAt.push_back(globals.size() + 4);
            Put32(d, 0);  // where the sheet starts, filled in below
            d += '\0';    // visible
            d += '\0';    // worksheet
            d += static_cast<char>(name.size());
            d += '\x01';
            for (char16_t ch : name) Put16(d, ch);
            Record(globals, 0x0085, d);
        }
        SharedStrings(globals, strings, uses);
        // Streams under 4096 bytes would go to the compound file's mini stream; an access record
        // of the right length keeps every workbook above that.
        std::size_t total = globals.size() + 4;
        for (const auto& s : sheetStreams) total += s.size();
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
