#include "reports/CsvWriter.h"

#include <cstdio>

#include "reports/ReplacingFile.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::size_t kChunk = 1 << 16;      // bytes gathered before a write
constexpr std::size_t kProgressEvery = 500;  // rows

// A share as a percentage with one decimal; a text that is no number stays as it is.
std::string Percent(std::string_view share) {
    if (share.empty()) return {};
    char* end = nullptr;
    const std::string text(share);
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f%%", value * 100.0);
    return buf;
}

class CsvOutput {
public:
    CsvOutput(ReplacingFile& file, CsvCharset charset) : file_(file) {
        if (charset == CsvCharset::Gbk) gbk_.emplace("GBK");
        buffer_.reserve(kChunk + 4096);
    }

    std::string& Buffer() { return buffer_; }

    // Whole records only are flushed, so a double-byte character is never cut.
    bool FlushIfFull(std::string* error) { return buffer_.size() < kChunk || Flush(error); }
    bool Flush(std::string* error) {
        bool ok = true;
        if (gbk_)
            ok = file_.Write(gbk_->FromUtf8(buffer_), error);
        else
            ok = file_.Write(buffer_, error);
        buffer_.clear();
        return ok;
    }

private:
    ReplacingFile& file_;
    std::optional<TextCodec> gbk_;
    std::string buffer_;
};

// A record of one field the program writes itself: a title.
void AppendTitle(std::string& out, std::string_view title) {
    AppendCsvField(out, title);
    out += "\r\n";
}

// Writes a table's heading and rows; false when stopped or failed (error set when failed).
bool WriteTable(CsvOutput& out, const ExportTable& table, const ExportProgress& progress,
                bool* cancelled, std::string* error) {
    std::string& buffer = out.Buffer();
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0) buffer += ',';
        AppendCsvField(buffer, table.columns[c].heading);
    }
    buffer += "\r\n";
    for (std::size_t r = 0; r < table.rowCount; ++r) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (c > 0) buffer += ',';
            const std::string_view text = table.cell(r, c);
            const CellKind kind = table.columns[c].kind;
            if (kind == CellKind::Share)
                AppendCsvField(buffer, Percent(text));
            else if (kind == CellKind::Count)
                AppendCsvField(buffer, text);
            else
                AppendCsvDataField(buffer, text);
        }
        buffer += "\r\n";
        if (!out.FlushIfFull(error)) return false;
        if (progress && (r + 1) % kProgressEvery == 0 && !progress(r + 1)) {
            *cancelled = true;
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<CsvCharset> CsvCharsetNamed(std::string_view name) {
    const std::string n = ToLowerAscii(TrimView(name));
    if (n.empty() || n == "utf-8" || n == "utf8") return CsvCharset::Utf8;
    if (n == "gbk" || n == "gb2312" || n == "cp936" || n == "936") return CsvCharset::Gbk;
    return std::nullopt;
}

void AppendCsvField(std::string& out, std::string_view field) {
    const bool quote = field.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!field.empty() && (field.front() == ' ' || field.front() == '\t' ||
                                           field.back() == ' ' || field.back() == '\t'));
    if (!quote) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendCsvDataField(std::string& out, std::string_view field) {
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos) {
        AppendCsvField(out, "'" + std::string(field));
        return;
    }
    AppendCsvField(out, field);
}

ExportResult WriteCsv(const ExportDocument& document, const std::string& path, CsvCharset charset,
                      const ExportProgress& progress) {
    ReplacingFile file(path);
    std::string error;
    if (!file.Open(&error)) return ExportResult::Failure(error);
    CsvOutput out(file, charset);
    std::string& buffer = out.Buffer();
    if (charset == CsvCharset::Utf8) buffer += "\xEF\xBB\xBF";

    AppendTitle(buffer, document.title);
    for (const HeaderLine& line : document.header) {
        AppendCsvField(buffer, line.label);
        buffer += ',';
        AppendCsvDataField(buffer, line.value);
        buffer += "\r\n";
    }
    buffer += "\r\n";
    bool cancelled = false;
    if (!WriteTable(out, document.detail, progress, &cancelled, &error))
        return cancelled ? ExportResult{ExportResult::Status::Cancelled, {}}
                         : ExportResult::Failure(error);
    for (const ExportTable& summary : document.summaries) {
        buffer += "\r\n";
        AppendTitle(buffer, summary.title);
        if (!WriteTable(out, summary, {}, &cancelled, &error)) return ExportResult::Failure(error);
    }
    if (!out.Flush(&error) || !file.Commit(&error)) return ExportResult::Failure(error);
    return {};
}

}  // namespace fw
