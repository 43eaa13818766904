#include "schedules/WorkbookProblem.h"

namespace fw {

std::string WorkbookProblemText(const ReadProblem& p) {
    const std::string& at = p.where;
    switch (p.kind) {
        case WorkbookProblem::None:
        case WorkbookProblem::Cancelled:
            return {};
        case WorkbookProblem::Unreadable:
            return "无法读取所选文件，请确认文件存在并且可以打开";
        case WorkbookProblem::NotAWorkbook:
            return "所选文件不是Excel工作簿(*.xls, *.xlsx)或CSV文件(*.csv)";
        case WorkbookProblem::ZipNotWorkbook:
            return "所选文件是ZIP压缩包，但其中没有Excel工作簿(*.xlsx)";
        case WorkbookProblem::Protected:
            return "工作簿设有密码保护，请在Excel中取消密码后再导入";
        case WorkbookProblem::Damaged:
            if (!at.empty()) return "工作簿已损坏：单元格" + at + "的内容无法读取，未导入";
            return "工作簿已损坏或不完整，无法读取";
        case WorkbookProblem::TooLongText:
            return "工作簿中有字数过多（数千字）的单元格，无法读取，请缩短后再导入";
        case WorkbookProblem::NoSuchSheet:
            return "工作簿中没有名为“" + at + "”的工作表";
        case WorkbookProblem::TooLarge:
            return "所选文件过大（" + p.detail + "），不是时刻表文件，未导入";
        case WorkbookProblem::TooManyRows:
            return "表格超过" + std::to_string(kMaxSheetRows) + "行（" + at +
                   "），不是时刻表文件，未导入";
        case WorkbookProblem::TooManyColumns:
            return "表格超过" + std::to_string(kMaxSheetColumns) + "列（" + at +
                   "），不是时刻表文件，未导入";
        case WorkbookProblem::BadSharedString:
            return "工作簿已损坏：单元格" + at + "引用了不存在的共享文本，未导入";
        case WorkbookProblem::BadCellReference:
            return "工作簿已损坏：单元格位置“" + at + "”无效，未导入";
        case WorkbookProblem::MixedEncoding:
            return "文件中混有两种编码（第" + at + "行是UTF-8，第" + p.detail +
                   "行是GBK），请统一保存为UTF-8或GBK后再导入";
        case WorkbookProblem::UnknownEncoding:
            return "文件第" + at + "行既不是UTF-8也不是GBK编码，无法读取";
        case WorkbookProblem::LongLine:
            return "文件第" + at + "行超过" + std::to_string(kMaxCsvRecordBytes >> 10) +
                   " KB，不是时刻表文件，未导入";
        case WorkbookProblem::OpenQuote:
            return "文件第" + at + "行的引号没有结束，未导入";
        case WorkbookProblem::RaggedRow:
            return "文件第" + at + "行有" + p.detail +
                   "列，超出了标题行的列数（可能是未加引号的逗号或分号），未导入";
        case WorkbookProblem::TooManyCells:
            return "表格中有内容的单元格超过" + std::to_string(kMaxSheetCells / 10'000) + "万个（" + at +
                   "），不是时刻表文件，未导入";
    }
    return {};
}

}  // namespace fw
