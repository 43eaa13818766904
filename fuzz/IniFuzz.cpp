// conf.ini: any text reads and writes back byte for byte; a value set reads back exactly, and
// every other key keeps its value.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/IniFile.h"
#include "fuzz/FuzzSupport.h"
#include "text/Strings.h"

namespace {

constexpr const char* kKeys[] = {"Server", "User", "Pass", "Remember", "Write"};

// Every (section, key) the text names, found without the reader under test.
std::vector<std::pair<std::string, std::string>> Names(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> names;
    std::string section;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = fw::TrimView(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos) {
            section = fw::Trim(line.substr(1, line.find(']') - 1));
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            const std::string key = fw::Trim(line.substr(0, eq));
            if (!key.empty()) names.emplace_back(section, key);
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char* key = kKeys[data[0] % 5];
    const auto [value, text] =
        fw::fuzz::SplitAtZero(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    fw::IniFile ini = fw::IniFile::FromText(text);
    if (ini.ToText() != text) fw::fuzz::Fail("reading and writing changed the text", text);
    const auto names = Names(text);
    std::vector<std::optional<std::string>> before;
    for (const auto& [s, k] : names) before.push_back(ini.Get(s, k));

    ini.Set("login", key, value);
    const fw::IniFile after = fw::IniFile::FromText(ini.ToText());
    std::string expected(value);
    for (char& c : expected)
        if (c == '\r' || c == '\n') c = ' ';
    if (after.Get("login", key) != expected) fw::fuzz::Fail("the value set does not read back", ini.ToText());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& [s, k] = names[i];
        if (fw::EqualsNoCase(s, "login") && fw::EqualsNoCase(k, key)) continue;
        if (after.Get(s, k) != before[i]) fw::fuzz::Fail("another key changed", ini.ToText());
    }
    return 0;
}
