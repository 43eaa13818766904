#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "schedules/Timetable.h"
#include "tests/support/TestSupport.h"
#include "tests/support/XlsWriter.h"

namespace fw {

bool operator==(const TimetableRow& a, const TimetableRow& b) {
    return a.batch == b.batch && a.startTime == b.startTime && a.lineName == b.lineName;
}

void PrintTo(const TimetableRow& r, std::ostream* os) {
    *os << "{" << r.batch << ", \"" << r.startTime << "\", \"" << r.lineName << "\"}";
}

namespace {

using test::XlsWriter;
using testing::ElementsAre;

// The sheet rules, on sheets held in memory.
TEST(BuildTimetable, PairsColumnsSkipsFPairsAndEmptyBatchCells) {
    const TableSheet sheet({
        {" 早班 ", "线路", "", "", "Fast", "x", "晚班", "", "末班"},
        {"1899-12-30 07:30:00", "1路", "08:00", "9路", "09:00", "2路", "18:00", " 3路 ", "22:00"},
        {"  ", "1路", "", "", "", "", "18:30", "3路"},
        {"1899-12-30 08:15:00 1899-12-30", "1路"},
        {"", "", "", "", "", "", "", ""},
        {"6", "1路"},
    });
    const ImportedTimetable t = BuildTimetable(sheet);
    // Column 2 has no header (F3); "Fast" begins with F; the last batch has no line column.
    EXPECT_THAT(t.batches, ElementsAre("早班", "晚班", "末班"));
    EXPECT_THAT(t.rows, ElementsAre(TimetableRow{"早班", " 07:30:00", "1路"},
                                    TimetableRow{"早班", " 08:15:00 ", "1路"},
                                    TimetableRow{"早班", "6", "1路"},
                                    TimetableRow{"晚班", "18:00", " 3路 "},
                                    TimetableRow{"晚班", "18:30", "3路"},
                                    TimetableRow{"末班", "22:00", ""}));
}

TEST(BuildTimetable, ColumnNamesOfBlankHeadersAreFAndTheColumnNumber) {
    EXPECT_EQ(ColumnName("", 1), "F2");
    EXPECT_EQ(ColumnName("  ", 3), "F4");
    EXPECT_EQ(ColumnName(" 早班", 0), " 早班");
    EXPECT_TRUE(BuildTimetable(TableSheet({{"", "", "", ""}, {"07:00", "1路", "08:00", "2路"}})).batches.empty());
    EXPECT_TRUE(BuildTimetable(TableSheet()).rows.empty());
}

class TimetableWorkbook : public testing::Test {
protected:
    std::string Save(const XlsWriter& book, const std::string& name = "timetable.xls") {
        const std::string path = home.File(name);
        EXPECT_TRUE(book.Save(path));
        return path;
    }
    // The workbook of the examples: four columns A, (empty), B, (empty); a time cell, a text
    // time, a date-time, a number; B's row 4 is empty. "Sheet1" is the second sheet.
    static XlsWriter Example() {
        XlsWriter book;
        book.AddSheet("说明").Text(0, 0, "不是时刻表");
        XlsWriter::SheetData& s = book.AddSheet("Sheet1");
        s.Text(0, 0, "A").Text(0, 2, "B");
        s.Time(1, 0, 6, 30).Text(1, 1, "一号线").Time(1, 2, 7, 0).Text(1, 3, "二号线");
        s.Text(2, 0, "06:45").Text(2, 1, "一号线").Time(2, 2, 7, 20, 30).Text(2, 3, "二号线");
        s.DateTime(3, 0, 41876.3125).Number(3, 1, 5);
        s.Number(4, 0, 7.5).Text(4, 1, "一号线").Time(4, 2, 8, 0).Text(4, 3, "二号线");
        return book;
    }

    test::TempHome home;
};

TEST_F(TimetableWorkbook, ReadsSheet1WhereverItStandsAsTheDriverGaveTheCells) {
    const TimetableImport import = ImportTimetableWorkbook(Save(Example()));
    EXPECT_EQ(import.error, "");
    EXPECT_THAT(import.timetable.batches, ElementsAre("A", "B"));
    EXPECT_THAT(import.timetable.rows, ElementsAre(TimetableRow{"A", " 06:30:00", "一号线"},
                                                   TimetableRow{"A", "06:45", "一号线"},
                                                   TimetableRow{"A", "2014-08-25 07:30:00", "5"},
                                                   TimetableRow{"A", "7.5", "一号线"},
                                                   TimetableRow{"B", " 07:00:00", "二号线"},
                                                   TimetableRow{"B", " 07:20:30", "二号线"},
                                                   TimetableRow{"B", " 08:00:00", "二号线"}));
}

TEST_F(TimetableWorkbook, AWorkbookWrittenByXlwtReadsTheSame) {
    const std::string path = home.File("xlwt.xls");
    const std::string script =
        "import sys, datetime, xlwt\n"
        "b = xlwt.Workbook(encoding='utf-8')\n"
        "b.add_sheet(u'说明').write(0, 0, u'不是时刻表')\n"
        "s = b.add_sheet('Sheet1')\n"
        "t = xlwt.easyxf(num_format_str='hh:mm:ss')\n"
        "s.write(0, 0, 'A'); s.write(0, 2, 'B')\n"
        "s.write(1, 0, datetime.time(6, 30), t); s.write(1, 1, u'一号线')\n"
        "s.write(1, 2, datetime.time(7, 0), t); s.write(1, 3, u'二号线')\n"
        "s.write(2, 0, '06:45'); s.write(2, 1, u'一号线')\n"
        "s.write(2, 2, datetime.time(7, 20, 30), t); s.write(2, 3, u'二号线')\n"
        "s.write(3, 0, datetime.datetime(2014, 8, 25, 7, 30), xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm:ss'))\n"
        "s.write(3, 1, 5)\n"
        "s.write(4, 0, 7.5); s.write(4, 1, u'一号线'); s.write(4, 2, datetime.time(8, 0), t)\n"
        "s.write(4, 3, u'二号线')\n"
        "b.save(sys.argv[1])\n";
    test::WriteFile(home.File("make.py"), script);
    // The system's Python, which has the Debian package; a user's own Python may not.
    const std::string command = "/usr/bin/python3 " + home.File("make.py") + " " + path + " 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "python3-xlwt is not installed";
    const TimetableImport mine = ImportTimetableWorkbook(Save(Example()));
    const TimetableImport xlwt = ImportTimetableWorkbook(path);
    EXPECT_EQ(xlwt.error, "");
    EXPECT_EQ(xlwt.timetable.batches, mine.timetable.batches);
    EXPECT_EQ(xlwt.timetable.rows, mine.timetable.rows);
}

TEST_F(TimetableWorkbook, ManyBatchesLongTextsAndChinesePathsRead) {
    XlsWriter book;
    XlsWriter::SheetData& s = book.AddSheet("sheet1");  // the driver matched names in any case
    for (int b = 0; b < 300; ++b) {
        s.Text(0, 2 * b, "班次" + std::to_string(b + 1));
        s.Time(1, 2 * b, 5 + b % 18, b % 60).Text(1, 2 * b + 1, std::to_string(b % 7) + "路");
    }
    const std::string line(3000, 'L');  // continued over one record boundary, as FreeXL reads well
    s.Text(2, 0, "23:59").Text(2, 1, line);
    const TimetableImport import = ImportTimetableWorkbook(Save(book, "三百个班次.xls"));
    EXPECT_EQ(import.error, "");
    ASSERT_EQ(import.timetable.batches.size(), 300u);
    EXPECT_EQ(import.timetable.batches.back(), "班次300");
    ASSERT_EQ(import.timetable.rows.size(), 301u);
    EXPECT_EQ(import.timetable.rows[1], (TimetableRow{"班次1", "23:59", line}));
    EXPECT_EQ(import.timetable.rows.back(), (TimetableRow{"班次300", " 16:59:00", "5路"}));
}

// Every file that is no usable timetable ends in a message and an empty timetable.
TEST_F(TimetableWorkbook, BadFilesGiveAMessageAndNothingElse) {
    const std::string headersOnly = [&] {
        XlsWriter book;
        book.AddSheet("Sheet1").Text(0, 0, "A").Text(0, 2, "B");
        return Save(book, "headers.xls");
    }();
    const std::string noSheet1 = [&] {
        XlsWriter book;
        book.AddSheet("Sheet2").Text(0, 0, "A").Time(1, 0, 6, 0);
        return Save(book, "sheet2.xls");
    }();
    const std::string locked = [&] {
        XlsWriter book = Example();
        book.SetPasswordProtected();
        return Save(book, "locked.xls");
    }();
    const std::string longText = [&] {
        XlsWriter book;
        std::string text;
        for (int i = 0; i < 10000; ++i) text += "长";
        book.AddSheet("Sheet1").Text(0, 0, "A").Text(1, 0, "07:00").Text(1, 1, text).Text(2, 0, "08:00");
        return Save(book, "long.xls");
    }();
    const std::string truncated = [&] {
        const std::string whole = Example().Bytes();
        test::WriteFile(home.File("truncated.xls"), whole.substr(0, whole.size() / 2));
        return home.File("truncated.xls");
    }();
    test::WriteFile(home.File("text.xls"), "批次,线路\n早班,1路\n");
    test::WriteFile(home.File("book.xls"), std::string("PK\x03\x04\x14\x00\x06\x00", 8) + "[Content_Types].xml");
    test::WriteFile(home.File("empty.xls"), "");

    const struct {
        std::string path;
        const char* error;
    } cases[] = {
        {headersOnly, "工作表“Sheet1”中没有班次"},
        {noSheet1, "工作簿中没有名为“Sheet1”的工作表"},
        {locked, "工作簿设有密码保护，请在Excel中取消密码后再导入"},
        {longText, "工作簿中有字数过多（数千字）的单元格，无法读取，请缩短后再导入"},
        {truncated, "工作簿已损坏或不完整，无法读取"},
        {home.File("text.xls"), "所选文件不是Excel 97-2003工作簿(*.xls)"},
        {home.File("empty.xls"), "所选文件不是Excel 97-2003工作簿(*.xls)"},
        {home.File("book.xls"),
         "所选文件是Excel 2007及以后版本的.xlsx格式，请在Excel中另存为“Excel 97-2003 工作簿(*.xls)”后再导入"},
        {home.File("missing.xls"), "无法读取所选文件，请确认文件存在并且可以打开"},
        {home.Path(), "所选文件不是Excel 97-2003工作簿(*.xls)"},
    };
    for (const auto& c : cases) {
        const TimetableImport import = ImportTimetableWorkbook(c.path);
        EXPECT_EQ(import.error, c.error) << c.path;
        EXPECT_TRUE(import.timetable.batches.empty()) << c.path;
        EXPECT_TRUE(import.timetable.rows.empty()) << c.path;
    }
}

}  // namespace
}  // namespace fw
