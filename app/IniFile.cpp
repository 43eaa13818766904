#include "app/IniFile.h"

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

}  // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile ini;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        ini.bom_ = "\xEF\xBB\xBF";
        text.remove_prefix(3);
    }
    if (text.find("\r\n") != npos) ini.eol_ = "\r\n";
    ini.finalEol_ = text.empty() || text.back() == '\n';
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == npos ? npos : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ini.lines_.push_back({std::string(line)});
        if (end == npos) break;
        start = end + 1;
    }
    return ini;
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
    std::string entry = std::string(key) + "=" + std::string(value);
    for (std::size_t i = key.size() + 1; i < entry.size(); ++i)
        if (entry[i] == '\r' || entry[i] == '\n') entry[i] = ' ';

    std::size_t header = FindSection(section);
    if (header == npos) {
        if (!lines_.empty() && !finalEol_) finalEol_ = true;
        lines_.push_back({"[" + std::string(section) + "]"});
        lines_.push_back({entry});
        return;
    }
    const std::size_t end = SectionEnd(header);
    std::size_t lastEntry = header;
    for (std::size_t i = header + 1; i < end; ++i) {
        std::string_view k, v;
        if (!SplitEntry(lines_[i].text, k, v)) continue;
        if (EqualsNoCase(k, key)) {
            lines_[i].text = entry;
            return;
        }
        lastEntry = i;
    }
    // A new key goes after the last entry of the section, before any blank lines that
    // separate it from the next one.
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastEntry + 1), {entry});
}

std::string IniFile::ToText() const {
    std::string out = bom_;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        if (i + 1 < lines_.size() || finalEol_) out += eol_;
    }
    return out;
}

}  // namespace fw
