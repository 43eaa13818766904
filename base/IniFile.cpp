#include "base/IniFile.h"

#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::size_t npos = std::string::npos;

// "[name]" → name, else nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = TrimView(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == npos) return std::nullopt;
    return TrimView(line.substr(1, close - 1));
}

// "key = value" → key, value (unquoted).
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t eq = line.find('=');
    if (eq == npos) return false;
    key = TrimView(line.substr(0, eq));
    value = TrimView(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return !key.empty();
}

// What Get would make of a written value differs from it: quote it.
bool NeedsQuotes(std::string_view value) {
    if (value.empty()) return false;
    if (TrimView(value).size() != value.size()) return true;
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
           value.back() == value.front();
}

}  // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        ini.bom_ = "\xEF\xBB\xBF";
        text.remove_prefix(3);
    }
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == npos ? npos : end - start);
        std::string eol = end == npos ? "" : "\n";
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
            eol.insert(0, "\r");
        }
        if (ini.lines_.empty() && !eol.empty() && eol.back() == '\n') ini.eol_ = eol;
        ini.lines_.push_back({std::string(line), std::move(eol)});
        if (end == npos) break;
        start = end + 1;
    }
    return ini;
}

void IniFile::Insert(std::size_t at, std::string text) {
    // The line before must end in a line feed for a line to follow it (a final lone CR gets one).
    if (at > 0) {
        std::string& before = lines_[at - 1].eol;
        if (before.empty())
            before = eol_;
        else if (before.back() != '\n')
            before += '\n';
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), {std::move(text), eol_});
}

std::size_t IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionName(lines_[i].text);
        if (name && EqualsNoCase(*name, section)) return i;
    }
    return npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionName(lines_[i].text)) ++i;
    return i;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const std::size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    const std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (SplitEntry(lines_[i].text, k, v) && EqualsNoCase(k, key)) return std::string(v);
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string text(value);
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    if (NeedsQuotes(text)) text = '"' + text + '"';
    std::string entry = std::string(key) + "=" + text;

    const std::size_t header = FindSection(section);
    if (header == npos) {
        Insert(lines_.size(), "[" + std::string(section) + "]");
        Insert(lines_.size(), std::move(entry));
        return;
    }
    const std::size_t end = SectionEnd(header);
    std::size_t lastEntry = header;
    for (std::size_t i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (!SplitEntry(lines_[i].text, k, v)) continue;
        if (EqualsNoCase(k, key)) {
            lines_[i].text = std::move(entry);
            return;
        }
        lastEntry = i;
    }
    // A new key goes after the last entry of the section, before any blank lines that
    // separate it from the next one.
    Insert(lastEntry + 1, std::move(entry));
}

std::string IniFile::ToText() const {
    std::string out = bom_;
    for (const Line& line : lines_) out += line.text + line.eol;
    return out;
}

}  // namespace fw
