#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw::skin {

// The identifier header ("RESOURCE.H"): "#define NAME NUMBER" lines giving every window and
// control of the skin its number. Windows and the program refer to skin objects by these numbers.
class IdentifierTable {
public:
    struct Entry {
        std::string name;
        int number = 0;
    };

    // Reads every line that contains "#define"; other lines are ignored. A number that is not
    // decimal reads as 0, as the runtime's integer conversion gives it.
    static IdentifierTable Parse(std::string_view headerText);

    void Add(std::string name, int number);

    // Reserved platform names (IDOK, IDCANCEL, IDC_STATIC, ...) always give their platform value,
    // whatever the header says.
    std::optional<int> NumberOf(std::string_view name) const;
    // The first name in file order with this number; reserved names are not returned.
    std::optional<std::string> NameOf(int number) const;

    const std::vector<Entry>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

    static std::optional<int> ReservedNumber(std::string_view name);

private:
    std::vector<Entry> entries_;
};

}  // namespace fw::skin
