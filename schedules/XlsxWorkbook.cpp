#include "schedules/XlsxWorkbook.h"

#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <vector>

#include "schedules/NumberFormats.h"
#include "schedules/ZipArchive.h"
#include "text/OleDate.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr int kMaxReferenceRow = 1048576;  // the last row an .xlsx sheet can have

// Element and attribute names compared without their namespace prefix: writers differ in the
// prefixes they choose ("x:sheetData", "r:id").
std::string_view LocalName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon != nullptr ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, std::string_view local) {
    return node.type() == pugi::node_element && LocalName(node.name()) == local;
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (Is(c, local)) return c;
    return {};
}

std::string_view Attribute(const pugi::xml_node& node, std::string_view local) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        if (LocalName(a.name()) == local) return a.value();
    return {};
}

std::optional<int> Digits(std::string_view text, int max) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

// "B5" → row 4, column 1; nothing for what is no cell of a sheet.
bool ParseCellName(std::string_view name, int* row, int* column) {
    std::size_t i = 0;
    int col = 0;
    for (; i < name.size() && i < 4 && std::isalpha(static_cast<unsigned char>(name[i])); ++i)
        col = col * 26 + (std::toupper(static_cast<unsigned char>(name[i])) - 'A' + 1);
    if (i == 0 || col > kMaxSheetColumns) return false;
    const auto r = Digits(name.substr(i), kMaxReferenceRow);
    if (!r || *r < 1) return false;
    *row = *r - 1;
    *column = col - 1;
    return true;
}

// Office writes characters XML cannot hold as "_xHHHH_" (a carriage return is "_x000D_", an
// underscore before such a form "_x005F_").
std::string DecodeEscapes(std::string text) {
    if (text.find("_x") == std::string::npos) return text;
    auto unit = [&text](std::size_t at) -> std::optional<unsigned> {
        if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_')
            return std::nullopt;
        unsigned v = 0;
        for (std::size_t k = at + 2; k < at + 6; ++k) {
            const char c = text[k];
            if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
            v = v * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                                   ? c - '0'
                                                   : (std::tolower(c) - 'a' + 10));
        }
        return v;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto u = unit(i);
        if (!u) {
            out += text[i++];
            continue;
        }
        i += 7;
        unsigned cp = *u;
        if (cp >= 0xD800 && cp < 0xDC00) {
            if (const auto low = unit(i); low && *low >= 0xDC00 && *low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                i += 7;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

// Text of a shared string or an inline string: plain, or runs of formatted text. Phonetic
// guides (rPh) are not part of the text.
std::string RichText(const pugi::xml_node& node) {
    std::string out;
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (Is(c, "t")) {
            out += c.child_value();
        } else if (Is(c, "r")) {
            for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
                if (Is(t, "t")) out += t.child_value();
        }
    }
    return DecodeEscapes(std::move(out));
}

std::string DirectoryOf(const std::string& part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelationshipsOf(const std::string& part) {
    const std::string dir = DirectoryOf(part);
    return dir + "_rels/" + part.substr(dir.size()) + ".rels";
}

// A relationship's target as a member name: relative to the source part's folder, or from
// the package root when it begins with "/".
std::string ResolveTarget(const std::string& sourceDir, std::string_view target) {
    std::string path =
        target.starts_with('/') ? std::string(target.substr(1)) : sourceDir + std::string(target);
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!segment.empty() && segment != ".") {
            parts.push_back(segment);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
    return out;
}

struct Relationship {
    std::string type;
    std::string target;  // a member name
};

class Package {
public:
    Package(const ZipArchive& zip, ReadProblem* problem) : zip_(zip), problem_(problem) {}

    // Reads and parses one XML part within what is left of the budget. A missing part is
    // `missing`; false with the problem set on every other failure.
    bool Load(const std::string& name, pugi::xml_document& doc, WorkbookProblem missing) {
        std::string& text = buffers_.emplace_back();
        lastSize_ = 0;
        switch (zip_.Read(name, budget_, &text)) {
            case ZipArchive::Status::Ok:
                break;
            case ZipArchive::Status::Missing:
                return Fail(missing);
            case ZipArchive::Status::Encrypted:
                return Fail(WorkbookProblem::Protected);
            case ZipArchive::Status::TooLarge:
                problem_->kind = WorkbookProblem::TooLarge;
                problem_->detail =
                    "解压后的内容超过" + std::to_string(kMaxSheetTextBytes >> 20) + " MB";
                return false;
            default:
                return Fail(WorkbookProblem::Damaged);
        }
        budget_ -= text.size();
        lastSize_ = text.size();
        constexpr unsigned kOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;
        if (!doc.load_buffer_inplace(text.data(), text.size(), kOptions))
            return Fail(WorkbookProblem::Damaged);
        return true;
    }

    bool Has(const std::string& name) const { return zip_.Has(name); }
    // The size of the part loaded last.
    std::size_t LastSize() const { return lastSize_; }

    std::map<std::string, Relationship> Relationships(const std::string& part) {
        std::map<std::string, Relationship> out;
        pugi::xml_document doc;
        if (!Has(RelationshipsOf(part)) ||
            !Load(RelationshipsOf(part), doc, WorkbookProblem::Damaged))
            return out;
        const std::string dir = DirectoryOf(part);
        for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
            if (!Is(r, "Relationship") || Attribute(r, "TargetMode") == "External") continue;
            out[std::string(Attribute(r, "Id"))] = {std::string(Attribute(r, "Type")),
                                                    ResolveTarget(dir, Attribute(r, "Target"))};
        }
        return out;
    }

    bool Fail(WorkbookProblem kind, std::string where = {}) {
        problem_->kind = kind;
        problem_->where = std::move(where);
        return false;
    }

private:
    const ZipArchive& zip_;
    ReadProblem* problem_;
    std::size_t budget_ = kMaxSheetTextBytes;
    std::size_t lastSize_ = 0;
    std::vector<std::string> buffers_;  // the parsed documents point into these
};

bool TypeIs(const Relationship& r, std::string_view kind) {
    return r.type.ends_with("/" + std::string(kind));
}

// A cell format's number format: what a number stands for, and the code that shows it.
struct CellFormat {
    NumberKind kind = NumberKind::Number;
    std::string code = "General";
};

// The number format of each cell format (the "s" of a cell).
std::vector<CellFormat> CellFormats(const pugi::xml_document& styles) {
    const pugi::xml_node sheet = styles.document_element();
    std::map<int, std::string> custom;
    for (pugi::xml_node f = Child(Child(sheet, "numFmts"), "numFmt"); f; f = f.next_sibling())
        if (Is(f, "numFmt")) custom[f.attribute("numFmtId").as_int(-1)] = f.attribute("formatCode").value();
    std::vector<CellFormat> formats;
    for (pugi::xml_node xf = Child(sheet, "cellXfs").first_child(); xf; xf = xf.next_sibling()) {
        if (!Is(xf, "xf")) continue;
        const int id = xf.attribute("numFmtId").as_int(0);
        const auto found = custom.find(id);
        if (found != custom.end()) formats.push_back({FormatCodeKind(found->second), found->second});
        else formats.push_back({BuiltInFormatKind(id), std::string(BuiltInFormatCode(id))});
    }
    return formats;
}

std::optional<double> Number(std::string_view text) {
    text = TrimView(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// An ISO 8601 date-time of a "d" cell as a day count of the 1900 system.
std::optional<double> IsoSerial(std::string_view text) {
    std::string t(TrimView(text));
    if (const auto zone = t.find_first_of("Z+", 10); zone != std::string::npos) t.resize(zone);
    if (const auto dot = t.find('.', 10); dot != std::string::npos) t.resize(dot);
    if (t.size() > 10 && t[10] == 'T') t[10] = ' ';
    const auto date = ParseDateTime(t);
    return date ? std::optional<double>(*date) : std::nullopt;
}

class SheetReader {
public:
    SheetReader(const std::vector<std::string>& strings, const std::vector<CellFormat>& formats,
                bool date1904, Package& package, ReadStage stage)
        : strings_(strings), formats_(formats), date1904_(date1904), package_(package), stage_(stage) {}

    // `bytes`: the size of the sheet's XML, for telling how far the reading is.
    std::unique_ptr<Sheet> Read(const pugi::xml_document& doc, std::size_t bytes) {
        auto sheet = std::make_unique<SparseSheet>();
        sheet_ = sheet.get();
        const pugi::xml_node data = Child(doc.document_element(), "sheetData");
        int nextRow = 0;
        std::size_t rowsRead = 0;
        for (pugi::xml_node row = data.first_child(); row; row = row.next_sibling()) {
            if (!Is(row, "row")) continue;
            if (++rowsRead % 1024 == 0) {
                if (stage_.Cancelled()) {
                    package_.Fail(WorkbookProblem::Cancelled);
                    return nullptr;
                }
                if (bytes > 0) stage_.Report(static_cast<double>(row.offset_debug()) / static_cast<double>(bytes));
            }
            int r = nextRow;
            if (const pugi::xml_attribute at = row.attribute("r")) {
                const auto number = Digits(at.value(), kMaxReferenceRow);
                if (!number || *number < 1)
                    return Fail(WorkbookProblem::BadCellReference, at.value());
                r = *number - 1;
            }
            nextRow = r + 1;
            int nextColumn = 0;
            for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
                if (!Is(c, "c")) continue;
                int cellRow = r, column = nextColumn;
                if (const pugi::xml_attribute at = c.attribute("r");
                    at && !ParseCellName(at.value(), &cellRow, &column))
                    return Fail(WorkbookProblem::BadCellReference, at.value());
                nextColumn = column + 1;
                std::string text;
                if (!Value(c, cellRow, column, &text)) return nullptr;
                if (text.empty()) continue;
                if (cellRow >= kMaxSheetRows)
                    return Fail(WorkbookProblem::TooManyRows, CellName(cellRow, column));
                if (sheet->CellCount() >= kMaxSheetCells)
                    return Fail(WorkbookProblem::TooManyCells, CellName(cellRow, column));
                sheet->Put(cellRow, column, std::move(text));
            }
        }
        sheet->Finish();
        return sheet;
    }

private:
    std::nullptr_t Fail(WorkbookProblem kind, std::string where) {
        package_.Fail(kind, std::move(where));
        return nullptr;
    }

    const CellFormat& FormatOf(const pugi::xml_node& c) const {
        static const CellFormat kGeneral;
        const unsigned s = c.attribute("s").as_uint(0);
        return s < formats_.size() ? formats_[s] : kGeneral;
    }

    // A number as the cell gives it: header cells are names, shown as the sheet shows them;
    // the others as the .xls reader gives them.
    std::string NumberCell(double value, NumberKind kind, int row, const pugi::xml_node& c) const {
        return row == 0 ? ShownText(value, FormatOf(c).code, date1904_) : SerialText(value, kind, date1904_);
    }

    void Problem(int row, int column, std::string text) { sheet_->AddProblem({row, column, std::move(text)}); }

    bool Value(const pugi::xml_node& c, int row, int column, std::string* out) {
        const std::string_view type = c.attribute("t").value();
        const pugi::xml_node value = Child(c, "v");
        const std::string_view v = value.child_value();
        const bool formula = static_cast<bool>(Child(c, "f"));
        if (formula && type != "inlineStr") {
            // A formula's result is what the sheet shows; one not stored is no silent gap.
            // A program that does not calculate writes no value, or an empty one (an empty text
            // result is a value: type "str").
            if (!value || (v.empty() && type != "str")) Problem(row, column, "公式没有保存计算结果，请在Excel中打开并重新保存");
            else if (type == "e") Problem(row, column, "公式的结果是错误值" + std::string(TrimView(v)));
            else if (type == "b")
                Problem(row, column, std::string("公式的结果是逻辑值") + (TrimView(v) == "1" ? "TRUE" : "FALSE") + "，不是时间或名称");
        }
        if (type == "inlineStr") {
            *out = RichText(Child(c, "is"));
        } else if (v.empty()) {
            out->clear();
        } else if (type == "s") {
            const auto index = Digits(TrimView(v), 1 << 30);
            if (!index || static_cast<std::size_t>(*index) >= strings_.size()) {
                package_.Fail(WorkbookProblem::BadSharedString, CellName(row, column));
                return false;
            }
            *out = strings_[static_cast<std::size_t>(*index)];
        } else if (type == "str" || type == "e") {
            *out = DecodeEscapes(std::string(v));
        } else if (type == "b") {
            *out = TrimView(v) == "1" || EqualsNoCase(TrimView(v), "true") ? "1" : "0";
        } else if (type == "d") {
            const auto serial = IsoSerial(v);
            const NumberKind kind = FormatOf(c).kind == NumberKind::Number ? NumberKind::DateTime : FormatOf(c).kind;
            if (!serial) *out = std::string(v);
            else if (row == 0 && FormatOf(c).kind != NumberKind::Number) *out = ShownText(*serial, FormatOf(c).code, false);
            else *out = SerialText(*serial, kind, false);
        } else {
            const auto number = Number(v);
            if (!number) {
                package_.Fail(WorkbookProblem::Damaged, CellName(row, column));
                return false;
            }
            *out = NumberCell(*number, FormatOf(c).kind, row, c);
        }
        return true;
    }

    const std::vector<std::string>& strings_;
    const std::vector<CellFormat>& formats_;
    bool date1904_;
    Package& package_;
    ReadStage stage_;
    SparseSheet* sheet_ = nullptr;
};

}  // namespace

std::unique_ptr<Sheet> OpenXlsxSheet(std::string_view bytes, std::string_view sheetName,
                                     ReadProblem* problem, ReadStage stage) {
    ReadProblem ignored;
    if (problem == nullptr) problem = &ignored;
    *problem = {};
    ZipArchive::Status status;
    const auto zip = ZipArchive::Open(bytes, &status);
    if (!zip) {
        problem->kind = status == ZipArchive::Status::Damaged ? WorkbookProblem::Damaged
                                                              : WorkbookProblem::NotAWorkbook;
        return nullptr;
    }
    Package package(*zip, problem);

    // The workbook part, as the package's own relationships name it.
    std::string workbookPart = "xl/workbook.xml";
    for (const auto& [id, r] : package.Relationships(""))
        if (TypeIs(r, "officeDocument")) workbookPart = r.target;
    if (*problem) return nullptr;
    pugi::xml_document workbook;
    if (!package.Load(workbookPart, workbook, WorkbookProblem::ZipNotWorkbook)) return nullptr;
    const pugi::xml_node book = workbook.document_element();
    if (!Is(book, "workbook")) {
        package.Fail(WorkbookProblem::ZipNotWorkbook);
        return nullptr;
    }
    const std::string_view date1904 = Attribute(Child(book, "workbookPr"), "date1904");
    const bool is1904 = date1904 == "1" || EqualsNoCase(date1904, "true");

    const auto relationships = package.Relationships(workbookPart);
    if (*problem) return nullptr;
    // The sheet of that name, else of that name in any case.
    std::string sheetId;
    for (int pass = 0; pass < 2 && sheetId.empty(); ++pass)
        for (pugi::xml_node s = Child(Child(book, "sheets"), "sheet"); s && sheetId.empty();
             s = s.next_sibling()) {
            if (!Is(s, "sheet")) continue;
            const std::string_view name = s.attribute("name").value();
            if (pass == 0 ? name == sheetName : EqualsNoCase(name, sheetName))
                sheetId = Attribute(s, "id");
        }
    const auto sheetRel = relationships.find(sheetId);
    if (sheetId.empty() || sheetRel == relationships.end() ||
        !TypeIs(sheetRel->second, "worksheet")) {
        package.Fail(WorkbookProblem::NoSuchSheet, std::string(sheetName));
        return nullptr;
    }

    std::vector<CellFormat> formats;
    std::vector<std::string> strings;
    for (const auto& [id, r] : relationships) {
        if (TypeIs(r, "styles")) {
            pugi::xml_document styles;
            if (!package.Load(r.target, styles, WorkbookProblem::Damaged)) return nullptr;
            formats = CellFormats(styles);
        } else if (TypeIs(r, "sharedStrings")) {
            pugi::xml_document sst;
            if (!package.Load(r.target, sst, WorkbookProblem::Damaged)) return nullptr;
            for (pugi::xml_node si = sst.document_element().first_child(); si;
                 si = si.next_sibling())
                if (Is(si, "si")) strings.push_back(RichText(si));
        }
    }

    pugi::xml_document sheetXml;
    if (!package.Load(sheetRel->second.target, sheetXml, WorkbookProblem::Damaged)) return nullptr;
    stage.Report(0.3);
    return SheetReader(strings, formats, is1904, package, stage.Part(0.3, 1)).Read(sheetXml, package.LastSize());
}

}  // namespace fw
