#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "schedules/NumberFormats.h"
#include "schedules/Timetable.h"
#include "schedules/XlsxWorkbook.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XlsWriter.h"
#include "tests/support/XlsxWriter.h"
#include "text/Encoding.h"

namespace fw {

bool operator==(const TimetableRow& a, const TimetableRow& b) {
    return a.batch == b.batch && a.startTime == b.startTime && a.lineName == b.lineName;
}

void PrintTo(const TimetableRow& r, std::ostream* os) {
    *os << "{" << r.batch << ", \"" << r.startTime << "\", \"" << r.lineName << "\"}";
}

namespace {

using test::XlsWriter;
using test::XlsxWriter;
using testing::ElementsAre;

TEST(SparseSheet, KeepsTheLastOfTwoCellsAtOnePlaceWhateverTheOrder) {
    SparseSheet sheet;
    for (const auto& [row, column, text] : {std::tuple(2, 16383, "far"), {0, 3, "b"}, {0, 1, "a"}, {0, 3, "b2"}, {0, 1, "a2"}, {1, 0, ""}})
        sheet.Put(row, column, text);
    sheet.Finish();
    EXPECT_EQ(std::pair(sheet.RowCount(), sheet.ColumnCount()), std::pair(3, 16384));
    const std::vector<std::string> texts = {sheet.CellText(0, 1), sheet.CellText(0, 3), sheet.CellText(0, 2), sheet.CellText(2, 16383), sheet.CellText(9, 0)};
    EXPECT_THAT(texts, ElementsAre("a2", "b2", "", "far", ""));
}

// One timetable in every format the import reads. Headers: 早班 with its line, a pair without
// headers (F3), " 晚班 ", a pair "Fast" (skipped), 末班 without a line column. 晚班 has no departure
// in row 3.
template <class Book>
std::string TimetableBook() {
    Book book;
    book.AddSheet("说明").Text(0, 0, "不是时刻表");
    book.AddSheet("Sheet1")
        .Text(0, 0, "早班").Text(0, 1, "线路").Text(0, 4, " 晚班 ").Text(0, 6, "Fast").Text(0, 7, "x").Text(0, 8, "末班")
        .Time(1, 0, 6, 30).Text(1, 1, "一号线").Time(1, 2, 8, 0).Text(1, 3, "9路").Time(1, 4, 18, 0).Text(1, 5, " 3路 ")
        .Time(1, 6, 9, 0).Text(1, 7, "2路").Time(1, 8, 22, 0)
        .Time(2, 0, 7, 20, 30).Text(2, 1, "一号线").Time(2, 4, 18, 30).Text(2, 5, "3路")
        .DateTime(3, 0, 41876.3125).Number(3, 1, 5)
        .Number(4, 0, 7.5).Text(4, 1, "一号线, 支线").Time(4, 4, 19, 5).Text(4, 5, "3路\"快\"");
    return book.Bytes();
}

// The same as other systems export it: times as a clock shows them, dates with slashes, fields
// quoted where they hold a separator or a quote.
std::string TimetableCsv(char separator, const std::string& newline) {
    const std::string csv = "早班|线路||| 晚班 ||Fast|x|末班\n6:30|一号线|8:00|9路|18:00| 3路 |9:00|2路|22:00\n"
                            "07:20:30|一号线|||18:30|3路\n2014/8/25 7:30|5\n7.5|\"一号线, 支线\"|||19:05|\"3路\"\"快\"\"\"\n";
    std::string out;
    for (char c : csv) out += c == '|' ? std::string(1, separator) : c == '\n' ? newline : std::string(1, c);
    return out;
}

const std::vector<TimetableRow> kExpectedRows = {
    {"早班", " 06:30:00", "一号线"},  {"早班", " 07:20:30", "一号线"}, {"早班", "2014-08-25 07:30:00", "5"},
    {"早班", "7.5", "一号线, 支线"},  {"晚班", " 18:00:00", " 3路 "},  {"晚班", " 18:30:00", "3路"},
    {"晚班", " 19:05:00", "3路\"快\""}, {"末班", " 22:00:00", ""},
};

// A workbook of a real writer: python's openpyxl (Excel's own layout of styles, shared strings and
// relationships), when the Debian package is there. Our .xlsx reader is our own code; the .xls
// one is FreeXL's.
TEST(TimetableFormats, AWorkbookWrittenByOpenpyxlReadsAsOurOwn) {
    test::TempHome home;
    test::WriteFile(home.File("make.py"),
                    "import sys, datetime, openpyxl\n"
                    "b = openpyxl.Workbook(); b.active.title = u'说明'; s = b.create_sheet('Sheet1')\n"
                    "def w(r, c, v, fmt=None):\n"
                    "    cell = s.cell(row=r + 1, column=c + 1, value=v)\n"
                    "    if fmt: cell.number_format = fmt\n"
                    "w(0, 0, 'A'); w(0, 2, 'B'); w(1, 0, datetime.time(6, 30), 'h:mm:ss'); w(1, 1, u'一号线'); w(2, 0, '06:45')\n"
                    "w(1, 2, datetime.time(7, 20, 30), 'h:mm:ss'); w(1, 3, u'二号线'); w(4, 0, 7.5)\n"
                    "w(3, 0, datetime.datetime(2014, 8, 25, 7, 30), 'yyyy-mm-dd h:mm:ss'); w(3, 1, 5)\n"
                    "b.save(sys.argv[1])\n");
    // The system's Python, which has the Debian packages; a user's own Python may not.
    if (std::system(("/usr/bin/python3 " + home.File("make.py") + " " + home.File("t.xlsx") + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "python3-openpyxl is not installed";
    const TimetableImport import = ImportTimetableWorkbook(home.File("t.xlsx"));
    EXPECT_EQ(import.error, "");
    EXPECT_EQ(import.timetable.rows.ToRows(), (std::vector<TimetableRow>{{"A", " 06:30:00", "一号线"}, {"A", "06:45", ""},
        {"A", "2014-08-25 07:30:00", "5"}, {"A", "7.5", ""}, {"B", " 07:20:30", "二号线"}}));
}

TEST(NumberFormats, SerialNumbersReadAsTheXlsReaderGivesThem) {
    const struct { double value; NumberKind kind; bool date1904; const char* text; } cases[] = {
        {0.3125, NumberKind::Time, false, "1899-12-30 07:30:00"},
        {41876.3125, NumberKind::Time, false, "1899-12-30 07:30:00"},  // the time of day only
        {0.99999999, NumberKind::Time, false, "1899-12-30 24:00:00"},
        {1.0069444, NumberKind::Time, false, "1899-12-30 24:10:00"},  // a day and more keeps its day
        {41876.3125, NumberKind::DateTime, false, "2014-08-25 07:30:00"},
        {41876.75, NumberKind::Date, false, "2014-08-25 00:00:00"},
        {40414.3125, NumberKind::DateTime, true, "2014-08-25 07:30:00"},
        {60, NumberKind::Date, false, "1900-02-29 00:00:00"},  // the 1900 system's day that never was
        {61, NumberKind::Date, false, "1900-03-01 00:00:00"},
        {-1, NumberKind::Date, false, "-1"},
        {7.5, NumberKind::Number, false, "7.5"},
        {1e20, NumberKind::Number, false, "1e+20"},
    };
    for (const auto& c : cases) EXPECT_EQ(SerialText(c.value, c.kind, c.date1904), c.text) << c.value;
}

// Every kind of .xlsx cell, as the sheet hands it to the timetable rules: below the header by
// its number format, in the header as the sheet shows it.
TEST(XlsxWorkbook, CellsReadByTypeAndNumberFormat) {
    XlsxWriter book;
    XlsxWriter::SheetData& s = book.AddSheet("sheet1");  // matched without regard to case
    s.Number(0, 0, 0.2708333, XlsxWriter::kBuiltInTime).Number(0, 1, 0.2708333, XlsxWriter::kChineseTime);
    s.Number(0, 2, 0.2708333, XlsxWriter::kTime).Number(0, 3, 41876, XlsxWriter::kDate).Number(0, 4, 7.5);
    s.Number(1, 0, 0.3125, XlsxWriter::kTime).Number(1, 1, 0.3125, XlsxWriter::kChineseTime);
    s.Number(1, 2, 0.3125, XlsxWriter::kBuiltInTime).Number(1, 3, 0.3125);
    s.Number(1, 4, 41876.3125, XlsxWriter::kDateTime).Number(1, 5, 41876, XlsxWriter::kDate);
    s.Text(1, 6, " 早班 & <晚班> ").InlineText(1, 7, "一号线");
    s.RawCell(2, "<c r=\"A3\" t=\"d\"><v>2014-08-25T07:30:00</v></c>"
                 "<c r=\"B3\" t=\"b\"><v>1</v></c><c r=\"C3\" t=\"str\"><f>A1</f><v>07:30</v></c>"
                 "<c r=\"D3\" t=\"e\"><v>#N/A</v></c><c r=\"E3\" t=\"inlineStr\"><is><r><t>早</t></r><r><t>班</t></r>"
                 "<rPh><t>zao</t></rPh></is></c><c r=\"F3\" t=\"inlineStr\"><is><t>a_x000D_b_x005F_x0041_</t></is></c>"
                 "<c r=\"G3\" s=\"99\"><v>5</v></c><c><v>6</v></c><c r=\"I3\" t=\"s\"/>");
    ReadProblem problem;
    const auto sheet = OpenXlsxSheet(book.Bytes(), "Sheet1", &problem);
    ASSERT_TRUE(sheet) << WorkbookProblemText(problem);
    const std::vector<std::vector<std::string>> rows = {
        {"6:30", "6时30分", "06:30:00", "2014年8月25日", "7.5"},
        {"1899-12-30 07:30:00", "1899-12-30 07:30:00", "1899-12-30 07:30:00", "0.3125", "2014-08-25 07:30:00",
         "2014-08-25 00:00:00", " 早班 & <晚班> ", "一号线"},
        {"2014-08-25 07:30:00", "1", "07:30", "#N/A", "早班", "a\rb_x0041_", "5", "6", ""},
    };
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            EXPECT_EQ(sheet->CellText(static_cast<int>(r), static_cast<int>(c)), rows[r][c]) << r << "," << c;
    EXPECT_TRUE(sheet->Problems().empty());  // no formula without its result

    XlsxWriter old;
    old.SetDate1904();
    old.AddSheet("Sheet1").DateTime(1, 0, 40414.3125);
    EXPECT_EQ(OpenXlsxSheet(old.Bytes(), "Sheet1", &problem)->CellText(1, 0), "2014-08-25 07:30:00");
}

// Header cells are names: a number in the header reads as the sheet shows it.
TEST(NumberFormats, NumbersShowAsTheirFormatCodesShowThem) {
    const struct { double value; const char *code, *shown; } cases[] = {
        {0.2708333, "h:mm", "6:30"},
        {0.7708333, "h:mm AM/PM", "6:30 PM"},
        {0.7708333, "上午/下午h\"时\"mm\"分\"", "下午6时30分"},
        {1.0069444, "[h]:mm", "24:10"},
        {1.0069444, "h:mm", "0:10"},
        {41876.3125, "yyyy/m/d h:mm", "2014/8/25 7:30"},
        {41876, "[$-804]yyyy\"年\"m\"月\"d\"日\" aaaa", "2014年8月25日 星期一"},
        {41876, "d-mmm-yy", "25-Aug-14"},
        {7.5, "0.00", "7.50"},
        {1234567.891, "#,##0.0", "1,234,567.9"},
        {0.756, "0%", "76%"},
        {-2, "0;(0)", "(2)"},
        {7.5, "General", "7.5"},
        {12, "\"第\"0\"班\"", "第12班"},
    };
    for (const auto& c : cases) EXPECT_EQ(ShownText(c.value, c.code, false), c.shown) << c.code;
}

// A workbook whose Sheet1 has the headers A and 线, then the rows given as XML.
std::string SheetXlsx(const std::string& rows) {
    XlsxWriter book;
    book.AddSheet("Sheet1").Text(0, 0, "A").Text(0, 1, "线");
    auto parts = book.Parts();
    std::string& xml = parts["xl/worksheets/sheet1.xml"];
    xml.insert(xml.find("</sheetData>"), rows);
    return XlsxWriter::Zip(parts);
}

// A zip member whose declared size is rewritten: what the archive says is not what inflates.
std::string WithDeclaredSize(std::string zip, const std::string& member, std::uint32_t size) {
    auto put32 = [&zip](std::size_t at, std::uint32_t v) {
        for (int b = 0; b < 4; ++b) zip[at + b] = static_cast<char>((v >> (8 * b)) & 0xFF);
    };
    auto u16 = [&zip](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(zip[at]) | static_cast<unsigned char>(zip[at + 1]) << 8);
    };
    for (std::size_t at = 0; (at = zip.find("PK\x03\x04", at)) != std::string::npos; at += 4)
        if (zip.compare(at + 30, member.size(), member) == 0 && u16(at + 26) == member.size()) put32(at + 22, size);
    for (std::size_t at = 0; (at = zip.find("PK\x01\x02", at)) != std::string::npos; at += 4)
        if (zip.compare(at + 46, member.size(), member) == 0 && u16(at + 28) == member.size()) put32(at + 24, size);
    return zip;
}

// Files that are no usable timetable give a message and nothing else, whatever the format; what
// only looks odd imports.
TEST(TimetableBytes, BadFilesGiveAClearMessageAndNothingElseOddOnesImport) {
    const std::string bomb = SheetXlsx(std::string(51u << 20, ' '));
    XlsxWriter book;
    book.AddSheet("Sheet1").Text(0, 0, "A").Time(1, 0, 6, 0);
    const std::string whole = book.Bytes();
    const std::string gbkLine = Utf8ToGbk("晚班,二号线\n");
    std::string tooManyRows = "A,线\n";
    for (int i = 0; i < 65536; ++i) tooManyRows += "7:00,1\n";
    std::string tooManyColumns = "A";
    for (int i = 0; i < 16384; ++i) tooManyColumns += ",";
    auto declared = book.Parts();
    std::string& xml = declared["xl/worksheets/sheet1.xml"];
    // A million rows declared, and one empty row far down: no memory for them, no refusal.
    xml.insert(xml.find("<sheetData>"), "<dimension ref=\"A1:XFD1048576\"/>");
    xml.insert(xml.find("</sheetData>"), "<row r=\"1048576\" spans=\"1:2\"><c r=\"A1048576\" s=\"1\"/></row>");

    const struct { const char* name; WorkbookFormat format; std::string bytes; const char* error; std::vector<TimetableRow> rows = {}; } cases[] = {
        {"zip without workbook", WorkbookFormat::Xlsx, XlsxWriter::Zip({{"word/document.xml", "<document/>"}}),
         "所选文件是ZIP压缩包，但其中没有Excel工作簿(*.xlsx)"},
        {"cut .xlsx", WorkbookFormat::Xlsx, whole.substr(0, whole.size() / 2), "工作簿已损坏或不完整，无法读取"},
        {"zip bomb", WorkbookFormat::Xlsx, bomb, "所选文件过大（解压后的内容超过50 MB），不是时刻表文件，未导入"},
        {"zip bomb with a lying size", WorkbookFormat::Xlsx, WithDeclaredSize(bomb, "xl/worksheets/sheet1.xml", 4096),
         "所选文件过大（解压后的内容超过50 MB），不是时刻表文件，未导入"},
        {"shared string out of range", WorkbookFormat::Xlsx,
         SheetXlsx("<row r=\"2\"><c r=\"A2\"><v>0.25</v></c><c r=\"B2\" t=\"s\"><v>2</v></c></row>"),
         "工作簿已损坏：单元格B2引用了不存在的共享文本，未导入"},
        {"cell below the last row", WorkbookFormat::Xlsx,
         SheetXlsx("<row r=\"2\"><c r=\"A1048577\"><v>1</v></c></row>"),
         "工作簿已损坏：单元格位置“A1048577”无效，未导入"},
        {"cell right of the last column", WorkbookFormat::Xlsx,
         SheetXlsx("<row r=\"2\"><c r=\"XFE2\"><v>1</v></c></row>"), "工作簿已损坏：单元格位置“XFE2”无效，未导入"},
        {"1,048,576 rows with data", WorkbookFormat::Xlsx,
         SheetXlsx("<row r=\"1048576\"><c r=\"A1048576\"><v>0.25</v></c></row>"),
         "表格超过65536行（A1048576），不是时刻表文件，未导入"},
        {"a number that is none", WorkbookFormat::Xlsx, SheetXlsx("<row r=\"2\"><c r=\"A2\"><v>7 点</v></c></row>"),
         "工作簿已损坏：单元格A2的内容无法读取，未导入"},
        {"broken XML", WorkbookFormat::Xlsx, SheetXlsx("<row r=\"2\"><c r=\"A2\">"),
         "工作簿已损坏或不完整，无法读取"},
        {"no Sheet1", WorkbookFormat::Xlsx,
         [] { XlsxWriter b; b.AddSheet("Sheet2").Text(0, 0, "A").Time(1, 0, 6, 0); return b.Bytes(); }(),
         "工作簿中没有名为“Sheet1”的工作表"},
        {"headers only", WorkbookFormat::Xlsx, SheetXlsx(""), "工作表“Sheet1”中没有班次"},
        {"encrypted .xlsx", WorkbookFormat::Xls, XlsWriter::CompoundFile(std::string(5000, 'x'), "EncryptedPackage"),
         "工作簿设有密码保护，请在Excel中取消密码后再导入"},
        // Line 1's UTF-8 bytes are valid GBK too: the first line of UTF-8 alone is line 2.
        {"mixed encodings", WorkbookFormat::Csv, "批次,线路\n早班,一号线\n" + gbkLine,
         "文件中混有两种编码（第2行是UTF-8，第3行是GBK），请统一保存为UTF-8或GBK后再导入"},
        {"a BOM and a GBK line", WorkbookFormat::Csv, "\xEF\xBB\xBF" "A,B\n" + gbkLine,
         "文件中混有两种编码（第1行是UTF-8，第2行是GBK），请统一保存为UTF-8或GBK后再导入"},
        {"neither UTF-8 nor GBK", WorkbookFormat::Csv, "A,B\r\n7:00,1\r8:00,\x80\x80\r\n", "文件第3行既不是UTF-8也不是GBK编码，无法读取"},
        {"UTF-16", WorkbookFormat::Csv, std::string("\xFF\xFE" "A\0,\0", 6), "文件第1行既不是UTF-8也不是GBK编码，无法读取"},
        {"ragged row", WorkbookFormat::Csv, "A,,B,\n07:00,1路,08:00,2路\n07:30,1,路,08:30,2路\n",
         "文件第3行有5列，超出了标题行的列数（可能是未加引号的逗号或分号），未导入"},
        {"1 MB line", WorkbookFormat::Csv, "A,B\n" + std::string(1 << 20, 'x') + "\n", "文件第2行超过256 KB，不是时刻表文件，未导入"},
        {"quote never closed", WorkbookFormat::Csv, "A,B\n7:00,1路\n\"8:00,2路\n9:00,3路\n", "文件第3行的引号没有结束，未导入"},
        {"too many rows", WorkbookFormat::Csv, tooManyRows, "表格超过65536行（第65537行），不是时刻表文件，未导入"},
        {"too many columns", WorkbookFormat::Csv, tooManyColumns, "表格超过16384列（第1行），不是时刻表文件，未导入"},
        {"binary", WorkbookFormat::Csv, std::string("A,B\n\0\0\0", 7), "所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)"},
        {"headers only", WorkbookFormat::Csv, "A,线路\n", "文件中没有班次"},
        {"empty", WorkbookFormat::Csv, "", "文件中没有班次"},
        {"declared 1,048,576 rows", WorkbookFormat::Xlsx, XlsxWriter::Zip(declared), "", {{"A", " 06:00:00", ""}}},
        {"stored, not deflated", WorkbookFormat::Xlsx, XlsxWriter::Zip(book.Parts(), false), "", {{"A", " 06:00:00", ""}}},
        {"the last pair's line header missing", WorkbookFormat::Csv, "A,,B\n7:00,1路,8:00,2路\n", "",
         {{"A", " 07:00:00", "1路"}, {"B", " 08:00:00", "2路"}}},
        {"line breaks and separators in quotes", WorkbookFormat::Csv, "A,线\r\n07:00,\"一号线\n支线\"\r\n\"8:00\",\"2,\"\"快\"\"\"\r\n", "",
         {{"A", " 07:00:00", "一号线\n支线"}, {"A", " 08:00:00", "2,\"快\""}}},
        {"tabs, and rows shorter than the header", WorkbookFormat::Csv, "A\t线\tB\t线\n07:00\n\n2014-08-25\t1路\n", "",
         {{"A", " 07:00:00", ""}, {"A", "2014-08-25 00:00:00", "1路"}}},
    };
    for (const auto& c : cases) {
        const TimetableImport import = ImportTimetableBytes(c.bytes, c.format);
        EXPECT_EQ(import.error, c.error) << c.name;
        EXPECT_EQ(import.timetable.rows.ToRows(), c.rows) << c.name;
        EXPECT_EQ(import.timetable.batches.empty(), c.rows.empty()) << c.name;
    }
}

// Timetables as planners make them (Excel, LibreOffice, GBK exports of older tools): read as
// the sheet shows them, or refused with a problem that names the cell.
TEST(TimetableBytes, ReadAsThePlannerWroteThem) {
    using R = XlsWriter::Result;
    const double kSixThirty = 6.5 / 24, kTenPast = 1 + 10.0 / 1440;  // 06:30, and 24:10 of the next day
    const std::string xlsFormulas = [&] {
        XlsWriter book;
        book.AddSheet("Sheet1")
            .Formula(0, 0, R::OfText("早班")).Text(0, 1, "线路").Text(0, 2, "Fx")
            .Formula(1, 0, R::OfNumber(kSixThirty, XlsWriter::Kind::Time)).Formula(1, 1, R::OfText("1路"))
            .Formula(2, 0, R::OfNumber(kSixThirty + 1.0 / 24, XlsWriter::Kind::ShortTime)).Text(2, 1, "1路")
            .Formula(3, 2, R::OfError(7));  // in a skipped pair: not read
        return book.Bytes();
    }();
    const std::string xlsProblems = [&] {
        XlsWriter book;
        book.AddSheet("Sheet1")
            .Formula(0, 0, R::Nothing()).Text(0, 1, "线路")
            .Formula(1, 0, R::OfBoolean(true)).Text(1, 1, "1路")
            .Time(2, 0, 7, 0).Formula(2, 1, R::OfError(7))
            .Formula(3, 1, R::OfError(42));  // the line of no departure
        return book.Bytes();
    }();
    const std::string xlsHeaders = [&] {
        XlsWriter book;
        book.AddSheet("Sheet1").ShortTime(0, 0, kSixThirty).ElapsedTime(1, 0, kTenPast).ShortTime(2, 0, kTenPast);
        return book.Bytes();
    }();
    XlsxWriter xlsxHeaders;
    xlsxHeaders.AddSheet("Sheet1").Number(0, 0, kSixThirty, XlsxWriter::kBuiltInTime).Number(0, 2, kSixThirty, XlsxWriter::kChineseTime)
        .Number(1, 0, kTenPast, XlsxWriter::kTime).Number(1, 2, kTenPast, XlsxWriter::kBuiltInTime);

    const struct { const char* name; WorkbookFormat format; std::string bytes, error; std::vector<TimetableRow> rows = {}; } cases[] = {
        // GBK's pairs are often valid UTF-8 too: 路 is C2 B7. Only lines of one alone decide.
        {".csv in GBK whose data rows are UTF-8 too", WorkbookFormat::Csv,
         Utf8ToGbk("早班,线路,晚班,线路\n06:00,1路,16:00,7路\n"), "",
         {{"早班", " 06:00:00", "1路"}, {"晚班", " 16:00:00", "7路"}}},
        {".csv whose lines read in both", WorkbookFormat::Csv, "\xC2\xB7,x\n06:00,\xC2\xB7\n", "", {{"\xC2\xB7", " 06:00:00", "\xC2\xB7"}}},
        {".xls formulas give their stored results", WorkbookFormat::Xls, xlsFormulas, "",
         {{"早班", " 06:30:00", "1路"}, {"早班", " 07:30:00", "1路"}}},
        {".xls formulas without a usable result", WorkbookFormat::Xls, xlsProblems,
         "时刻表中有3处问题，未导入：\n单元格A1：公式没有保存计算结果，请在Excel中打开并重新保存\n"
         "单元格A2：公式的结果是逻辑值TRUE，不是时间或名称\n单元格B3：公式的结果是错误值#DIV/0!\n"},
        {".xlsx formulas without a usable result", WorkbookFormat::Xlsx,
         SheetXlsx("<row r=\"2\"><c r=\"A2\"><f>A1+1/24</f></c></row><row r=\"3\"><c r=\"A3\"><v>0.25</v></c>"
                   "<c r=\"B3\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c></row><row r=\"4\"><c r=\"A4\" t=\"n\"><f>A3+1/24</f><v></v></c>"
                   "<c r=\"B4\" t=\"str\"><f>\"\"</f><v></v></c></row>"),
         "时刻表中有3处问题，未导入：\n单元格A2：公式没有保存计算结果，请在Excel中打开并重新保存\n单元格B3：公式的结果是错误值#DIV/0!\n"
         "单元格A4：公式没有保存计算结果，请在Excel中打开并重新保存\n"},
        // Header cells are names, as the sheet shows them; a day and more keeps its day.
        {".csv headers that look like times", WorkbookFormat::Csv, "6:30,线路,2014/8/25,线路\n24:10,1路,7:00,1路\n", "",
         {{"6:30", " 24:10:00", "1路"}, {"2014/8/25", " 07:00:00", "1路"}}},
        {".xls time header, past midnight", WorkbookFormat::Xls, xlsHeaders, "", {{"6:30", " 24:10:00", ""}, {"6:30", " 24:10:00", ""}}},
        {".xlsx time headers, past midnight", WorkbookFormat::Xlsx, xlsxHeaders.Bytes(), "",
         {{"6:30", " 24:10:00", ""}, {"6时30分", " 24:10:00", ""}}},
        // Two columns of one name would be one batch at the server.
        {".csv with a batch name twice", WorkbookFormat::Csv, "班,线路,班 ,线路,b,,B\n06:00,1路,07:00,2路,8:00,,9:00\n",
         "时刻表中有2处问题，未导入：\n第1行第1列、第1行第3列：批次名称“班”重复，服务器会把两列当作同一个批次\n"
         "第1行第5列、第1行第7列：批次名称“B”重复，服务器会把两列当作同一个批次\n"},
    };
    for (const auto& c : cases) {
        const TimetableImport import = ImportTimetableBytes(c.bytes, c.format);
        EXPECT_EQ(import.error, c.error) << c.name;
        EXPECT_EQ(import.timetable.rows.ToRows(), c.rows) << c.name;
        EXPECT_EQ(import.problems.empty(), c.error.empty() || !c.rows.empty()) << c.name;
    }
}

// A reading that is stopped gives nothing; one that runs tells its progress to the end. A sheet
// of more cells than a timetable can have is refused, whatever its size in bytes.
TEST(TimetableBytes, ReadingIsStoppedTellsItsProgressAndIsBoundedByCells) {
    const std::string csv = TimetableCsv(',', "\n");
    ReadControl stopped;
    stopped.Cancel();
    const TimetableImport cancelled = ImportTimetableBytes(csv, WorkbookFormat::Csv, &stopped);
    EXPECT_TRUE(cancelled.cancelled && cancelled.error.empty() && cancelled.timetable.rows.empty());

    ReadControl running;
    EXPECT_EQ(ImportTimetableBytes(csv, WorkbookFormat::Csv, &running).timetable.rows.ToRows(), kExpectedRows);
    EXPECT_EQ(running.Permille(), 1000);

    std::string wide = "1";  // 16,384 fields a line, the most a line may have
    for (int i = 1; i < kMaxSheetColumns; ++i) wide += ",1";
    wide += "\n";
    std::string many;
    for (std::size_t cells = 0; cells <= kMaxSheetCells; cells += 16384) many += wide;
    EXPECT_EQ(ImportTimetableBytes(many, WorkbookFormat::Csv).error, "表格中有内容的单元格超过1000万个（第611行），不是时刻表文件，未导入");
}

// Timetable files: every format known by its content, and the .xls reader's own refusals.
class TimetableFile : public testing::Test {
protected:
    std::string Save(const std::string& bytes, const std::string& name) { return test::WriteFile(home.File(name), bytes), home.File(name); }
    test::TempHome home;
};

// The same timetable in every format gives the same rows (which are what 9006 sends). Each format
// is known by its content whatever the name says; a .csv only by its name.
TEST_F(TimetableFile, EveryFormatGivesTheSameRowsKnownByItsContent) {
    const struct { const char* name; std::string bytes; } files[] = {
        {"时刻表.xls", TimetableBook<XlsWriter>()},
        {"时刻表.XLSX", TimetableBook<XlsxWriter>()},
        {"xlsx.xls", TimetableBook<XlsxWriter>()},
        {"xlsx.csv", TimetableBook<XlsxWriter>()},
        {"xls.xlsx", TimetableBook<XlsWriter>()},
        {"导出.CSV", TimetableCsv(',', "\n")},
        {"BOM，分号.csv", "\xEF\xBB\xBF" + TimetableCsv(';', "\r\n")},
        {"GBK.csv", Utf8ToGbk(TimetableCsv(',', "\r\n"))},
    };
    for (const auto& f : files) {
        const TimetableImport import = ImportTimetableWorkbook(Save(f.bytes, f.name));
        EXPECT_EQ(import.error, "") << f.name;
        EXPECT_THAT(import.timetable.batches, ElementsAre("早班", "晚班", "末班")) << f.name;
        EXPECT_EQ(import.timetable.rows.ToRows(), kExpectedRows) << f.name;
    }
}

TEST_F(TimetableFile, ManyBatchesLongTextsAndChinesePathsRead) {
    XlsWriter book;
    XlsWriter::SheetData& s = book.AddSheet("sheet1");  // the driver matched names in any case
    for (int b = 0; b < 300; ++b) {
        s.Text(0, 2 * b, "班次" + std::to_string(b + 1));
        s.Time(1, 2 * b, 5 + b % 18, b % 60).Text(1, 2 * b + 1, std::to_string(b % 7) + "路");
    }
    const std::string line(3000, 'L');  // continued over one record boundary, as FreeXL reads well
    s.Text(2, 0, "23:59").Text(2, 1, line);
    const TimetableImport import = ImportTimetableWorkbook(Save(book.Bytes(), "三百个班次.xls"));
    EXPECT_EQ(std::tuple(import.error, import.timetable.batches.size(), import.timetable.rows.size()), std::tuple("", 300u, 301u));
    ASSERT_EQ(import.timetable.rows.size(), 301u);
    EXPECT_EQ(import.timetable.rows[1], (TimetableRow{"班次1", "23:59", line}));
    EXPECT_EQ(import.timetable.rows[300], (TimetableRow{"班次300", " 16:59:00", "5路"}));
}

TEST_F(TimetableFile, BadFilesGiveAMessageAndNothingElse) {
    const std::string longText = [] {
        XlsWriter book;
        std::string text;
        for (int i = 0; i < 10000; ++i) text += "长";
        book.AddSheet("Sheet1").Text(0, 0, "A").Text(1, 0, "07:00").Text(1, 1, text).Text(2, 0, "08:00");
        return book.Bytes();
    }();
    XlsWriter locked;
    locked.AddSheet("Sheet1").Text(0, 0, "A").Time(1, 0, 6, 0);
    locked.SetPasswordProtected();
    const std::string whole = TimetableBook<XlsWriter>();
    ASSERT_EQ(::truncate(Save("", "huge.xlsx").c_str(), static_cast<off_t>(kMaxWorkbookFileBytes) + 1), 0);  // sparse

    const struct { std::string path; const char* error; } cases[] = {
        {Save(locked.Bytes(), "locked.xls"), "工作簿设有密码保护，请在Excel中取消密码后再导入"},
        {Save(longText, "long.xls"), "工作簿中有字数过多（数千字）的单元格，无法读取，请缩短后再导入"},
        {Save(whole.substr(0, whole.size() / 2), "truncated.xls"), "工作簿已损坏或不完整，无法读取"},
        {Save("批次,线路\n早班,1路\n", "text.xls"), "所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)"},
        {Save("", "empty.xls"), "所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)"},
        {home.File("huge.xlsx"), "所选文件过大（超过100 MB），不是时刻表文件，未导入"},
        {home.File("missing.xls"), "无法读取所选文件，请确认文件存在并且可以打开"},
        {home.Path(), "所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)"},
    };
    for (const auto& c : cases) {
        const TimetableImport import = ImportTimetableWorkbook(c.path);
        EXPECT_EQ(import.error, c.error) << c.path;
        EXPECT_TRUE(import.timetable.rows.empty()) << c.path;
    }
}

}  // namespace
}  // namespace fw
