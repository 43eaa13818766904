#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// An INI text edited the way Windows profile functions edit it: sections and keys match without
// regard to letter case, blanks around keys and values are ignored, one pair of matching quotes
// around a value is taken off, the first match wins, and setting a key rewrites only its own
// line; every other line keeps its bytes and its own line ending.
class IniFile {
public:
    static IniFile FromText(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Line breaks in the value become blanks: a value must never add lines of its own. A value
    // that reading would alter (blanks at its edges, or a pair of quotes around it) is written
    // inside one pair of double quotes, so that it reads back exactly, here and on Windows.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    std::string ToText() const;

private:
    struct Line {
        std::string text;  // without the line ending
        std::string eol;   // as read: "\r\n", "\n", a final lone "\r", or none
    };
    void Insert(std::size_t at, std::string text);
    // Index of the section header line, or npos.
    std::size_t FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;  // first line after the section

    std::string bom_;
    std::string eol_ = "\n";  // for new lines: the ending of the file's first line
    std::vector<Line> lines_;
};

}  // namespace fw
