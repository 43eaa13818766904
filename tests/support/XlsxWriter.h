#pragma once

// Writes Excel 2007+ workbooks (.xlsx: XML parts in a zip package, zipped with libzip) for the
// timetable tests and the benchmark, so that no binary workbook has to be kept in the
// repository. It writes what Excel writes for the cells the readers care about: shared and
// inline strings, numbers with time, date-time, date and custom formats, named sheets in any
// order, the 1904 date system (the package's content types and root relationships, which the
// reader does without, it leaves out). Parts() gives the XML before zipping, so a test can break
// any part of it; Zip() packs any set of parts.

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fw::test {

class XlsxWriter {
public:
    // Cell formats of the styles part, by their "s" number.
    enum Format { kGeneral = 0, kTime = 1, kDateTime = 2, kDate = 3, kChineseTime = 4, kBuiltInTime = 5 };

    class SheetData {
    public:
        explicit SheetData(std::string name) : name_(std::move(name)) {}
        SheetData& Text(int row, int column, const std::string& text) { return Put(row, column, "s", Escape(text), kGeneral, true); }
        SheetData& InlineText(int row, int column, const std::string& text) { return Put(row, column, "inlineStr", Escape(text), kGeneral, false); }
        SheetData& Number(int row, int column, double value, int format = kGeneral) { return Put(row, column, "", NumberXml(value), format, false); }
        SheetData& Time(int row, int column, int h, int m, int s = 0) { return Number(row, column, (h * 3600 + m * 60 + s) / 86400.0, kTime); }
        SheetData& DateTime(int row, int column, double serial) { return Number(row, column, serial, kDateTime); }
        // A cell written as given, for what a well-behaved writer never writes.
        SheetData& RawCell(int row, std::string xml) {
            raw_.push_back({row, std::move(xml)});
            return *this;
        }

    private:
        friend class XlsxWriter;
        struct Cell { int row, column; std::string type, value; int format; bool shared; };
        SheetData& Put(int row, int column, std::string type, std::string value, int format, bool shared) {
            cells_.push_back({row, column, std::move(type), std::move(value), format, shared});
            return *this;
        }
        std::string name_;
        std::vector<Cell> cells_;
        std::vector<std::pair<int, std::string>> raw_;
    };

    SheetData& AddSheet(std::string name) {
        sheets_.emplace_back(std::move(name));
        return sheets_.back();
    }
    void SetDate1904() { date1904_ = true; }

    static std::string Escape(std::string_view text) {
        std::string out;
        for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '"' ? "&quot;" : std::string(1, c);
        return out;
    }

    static std::string CellName(int row, int column) {
        std::string letters;
        for (int c = column + 1; c > 0; c = (c - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
        return letters + std::to_string(row + 1);
    }

    std::map<std::string, std::string> Parts() const {
        std::map<std::string, std::string> parts;
        const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
        const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
        const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
        std::string book = head + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">" +
                           (date1904_ ? "<workbookPr date1904=\"1\"/>" : "<workbookPr/>") + "<sheets>";
        std::string rels = head + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
        std::vector<std::string> strings;
        auto stringIndex = [&strings](const std::string& text) {
            for (std::size_t i = 0; i < strings.size(); ++i)
                if (strings[i] == text) return i;
            strings.push_back(text);
            return strings.size() - 1;
        };
        int n = 0;
        for (const SheetData& sheet : sheets_) {
            ++n;
            const std::string id = "rId" + std::to_string(n + 2);
            book += "<sheet name=\"" + Escape(sheet.name_) + "\" sheetId=\"" + std::to_string(n) + "\" r:id=\"" + id + "\"/>";
            rels += "<Relationship Id=\"" + id + "\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet" +
                    std::to_string(n) + ".xml\"/>";
            std::map<int, std::string> rows;
            for (const auto& c : sheet.cells_) {
                std::string& row = rows[c.row];
                row += "<c r=\"" + CellName(c.row, c.column) + "\"";
                if (c.format != kGeneral) row += " s=\"" + std::to_string(c.format) + "\"";
                if (!c.type.empty()) row += " t=\"" + c.type + "\"";
                if (c.type == "inlineStr")
                    row += "><is><t xml:space=\"preserve\">" + c.value + "</t></is></c>";
                else if (c.shared)
                    row += "><v>" + std::to_string(stringIndex(c.value)) + "</v></c>";
                else
                    row += "><v>" + c.value + "</v></c>";
            }
            for (const auto& [row, xml] : sheet.raw_) rows[row] += xml;
            std::string data = head + "<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><sheetData>";
            for (const auto& [row, cells] : rows) data += "<row r=\"" + std::to_string(row + 1) + "\">" + cells + "</row>";
            parts["xl/worksheets/sheet" + std::to_string(n) + ".xml"] = data + "</sheetData></worksheet>";
        }
        book += "</sheets></workbook>";
        rels += "<Relationship Id=\"rId1\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                "</Relationships>";
        parts["xl/workbook.xml"] = book;
        parts["xl/_rels/workbook.xml.rels"] = rels;
        parts["xl/styles.xml"] =
            head + "<styleSheet xmlns=\"" + main + "\"><numFmts count=\"3\">"
            "<numFmt numFmtId=\"164\" formatCode=\"hh:mm:ss\"/>"
            "<numFmt numFmtId=\"165\" formatCode=\"yyyy\\-mm\\-dd\\ hh:mm:ss\"/>"
            "<numFmt numFmtId=\"166\" formatCode=\"[$-804]yyyy&quot;年&quot;m&quot;月&quot;d&quot;日&quot;\"/>"
            "</numFmts><cellXfs count=\"6\">"
            "<xf numFmtId=\"0\"/><xf numFmtId=\"164\" applyNumberFormat=\"1\"/><xf numFmtId=\"165\"/>"
            "<xf numFmtId=\"166\"/><xf numFmtId=\"32\"/><xf numFmtId=\"20\"/></cellXfs></styleSheet>";
        std::string sst = head + "<sst xmlns=\"" + main + "\" count=\"" + std::to_string(strings.size()) + "\" uniqueCount=\"" +
                          std::to_string(strings.size()) + "\">";
        for (const std::string& s : strings) sst += "<si><t xml:space=\"preserve\">" + s + "</t></si>";
        parts["xl/sharedStrings.xml"] = sst + "</sst>";
        return parts;
    }

    std::string Bytes() const { return Zip(Parts()); }

    // Packs the parts into a zip archive in memory, deflated (or stored).
    static std::string Zip(const std::map<std::string, std::string>& parts, bool deflate = true) {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
        if (out == nullptr) return {};
        zip_source_keep(out);
        zip_t* archive = zip_open_from_source(out, ZIP_TRUNCATE, &error);
        std::string bytes;
        if (archive != nullptr) {
            for (const auto& [name, data] : parts) {
                zip_source_t* member = zip_source_buffer(archive, data.data(), data.size(), 0);
                const zip_int64_t index = zip_file_add(archive, name.c_str(), member, ZIP_FL_ENC_UTF_8);
                if (index < 0) {
                    zip_source_free(member);
                    continue;
                }
                zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
            }
            if (zip_close(archive) != 0) zip_discard(archive);
            if (zip_source_open(out) == 0) {
                zip_source_seek(out, 0, SEEK_END);
                const zip_int64_t size = zip_source_tell(out);
                zip_source_seek(out, 0, SEEK_SET);
                if (size > 0) {
                    bytes.resize(static_cast<std::size_t>(size));
                    bytes.resize(static_cast<std::size_t>(std::max<zip_int64_t>(0, zip_source_read(out, bytes.data(), static_cast<zip_uint64_t>(size)))));
                }
                zip_source_close(out);
            }
        }
        zip_source_free(out);
        zip_error_fini(&error);
        return bytes;
    }

private:
    static std::string NumberXml(double v) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return buf;
    }

    std::deque<SheetData> sheets_;
    bool date1904_ = false;
};

}  // namespace fw::test
