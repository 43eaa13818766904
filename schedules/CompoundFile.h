#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Little-endian numbers inside binary Office files.
inline std::uint32_t LittleU16(std::string_view s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
inline std::uint32_t LittleU32(std::string_view s, std::size_t at) {
    return LittleU16(s, at) | LittleU16(s, at + 2) << 16;
}

// Just enough of the compound file format (the container of .xls workbooks and of encrypted
// .xlsx packages) to list its streams and read one kept in regular sectors. Every offset is
// checked: a damaged file gives nothing, never a read outside the bytes.
class CompoundFile {
public:
    explicit CompoundFile(std::string_view file) : file_(file) {}

    bool Open();
    // A stream of that name, compared without regard to ASCII case.
    bool HasStream(std::string_view name) const;
    // The workbook stream of an .xls, from regular sectors or, when it is short, from the mini
    // stream; nothing when it is missing or unreadable.
    std::optional<std::string> Workbook() const;

private:
    struct Entry {
        std::string name;  // ASCII letters lower-cased
        std::uint32_t start = 0;
        std::uint32_t size = 0;
    };
    std::vector<Entry> Streams() const;
    std::size_t Offset(std::uint32_t sector) const {
        return (static_cast<std::size_t>(sector) + 1) * sector_;
    }
    bool SectorExists(std::uint32_t sector) const;
    std::optional<std::string> Chain(std::uint32_t sector, std::optional<std::uint32_t> size) const;
    std::optional<std::string> MiniChain(std::uint32_t sector, std::uint32_t size) const;

    std::string_view file_;
    std::uint32_t sector_ = 512;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t directoryStart_ = 0xFFFFFFFE;
    std::uint32_t miniFatStart_ = 0xFFFFFFFE;
    std::vector<std::uint32_t> fat_;
};

}  // namespace fw
