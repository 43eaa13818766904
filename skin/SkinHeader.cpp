#include "skin/SkinHeader.h"

#include <array>
#include <utility>

#include "text/Strings.h"

namespace fw::skin {
namespace {

constexpr std::string_view kDefine = "#define";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

struct Reserved {
    std::string_view name;
    int number;
};

constexpr std::array<Reserved, 12> kReserved{{
    {"IDC_STATIC", -1}, {"IDOK", 1},   {"IDCANCEL", 2},  {"IDABORT", 3},
    {"IDRETRY", 4},     {"IDIGNORE", 5}, {"IDYES", 6},   {"IDNO", 7},
    {"IDCLOSE", 8},     {"IDHELP", 9},   {"IDTRYAGAIN", 10}, {"IDCONTINUE", 11},
}};

}  // namespace

std::optional<int> IdentifierTable::ReservedNumber(std::string_view name) {
    for (const auto& r : kReserved)
        if (r.name == name) return r.number;
    return std::nullopt;
}

IdentifierTable IdentifierTable::Parse(std::string_view headerText) {
    IdentifierTable table;
    size_t pos = 0;
    while (pos <= headerText.size()) {
        size_t end = headerText.find('\n', pos);
        if (end == std::string_view::npos) end = headerText.size();
        std::string_view line = headerText.substr(pos, end - pos);
        pos = end + 1;

        const size_t define = line.find(kDefine);
        if (define == std::string_view::npos) continue;
        std::string_view rest = line.substr(define + kDefine.size());
        while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
        size_t lastBlank = rest.size();
        while (lastBlank > 0 && !IsBlank(rest[lastBlank - 1])) --lastBlank;
        // "#define NAME" without a number, or "#defineX": nothing to define.
        if (lastBlank == 0) continue;
        std::string name = Trim(rest.substr(0, lastBlank));
        if (name.empty()) continue;
        table.Add(std::move(name), AtoiLike(rest.substr(lastBlank)));
    }
    return table;
}

void IdentifierTable::Add(std::string name, int number) { entries_.push_back({std::move(name), number}); }

std::optional<int> IdentifierTable::NumberOf(std::string_view name) const {
    if (auto reserved = ReservedNumber(name)) return reserved;
    for (const auto& e : entries_)
        if (e.name == name) return e.number;
    return std::nullopt;
}

std::optional<std::string> IdentifierTable::NameOf(int number) const {
    for (const auto& e : entries_)
        if (e.number == number && !ReservedNumber(e.name)) return e.name;
    return std::nullopt;
}

}  // namespace fw::skin
