#include "schedules/CompoundFile.h"

#include "text/Strings.h"

namespace fw {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

}  // namespace

bool CompoundFile::Open() {
    if (file_.size() < 512 ||
        file_.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return false;
    const std::uint32_t shift = LittleU16(file_, 30);
    if (shift != 9 && shift != 12) return false;
    sector_ = 1u << shift;
    const std::uint32_t fatSectors = LittleU32(file_, 44);
    if (static_cast<std::uint64_t>(fatSectors) * sector_ > file_.size()) return false;
    std::vector<std::uint32_t> table;
    for (std::uint32_t i = 0; i < 109 && table.size() < fatSectors; ++i)
        table.push_back(LittleU32(file_, 76 + 4 * i));
    std::uint32_t next = LittleU32(file_, 68);
    for (std::uint32_t hops = 0; table.size() < fatSectors && next != kEndOfChain; ++hops) {
        if (hops > fatSectors || !SectorExists(next)) return false;
        const std::size_t at = Offset(next);
        for (std::uint32_t i = 0; i + 1 < sector_ / 4 && table.size() < fatSectors; ++i)
            table.push_back(LittleU32(file_, at + 4 * i));
        next = LittleU32(file_, at + sector_ - 4);
    }
    for (std::uint32_t s : table) {
        if (!SectorExists(s)) return false;
        for (std::uint32_t i = 0; i < sector_ / 4; ++i)
            fat_.push_back(LittleU32(file_, Offset(s) + 4 * i));
    }
    miniCutoff_ = LittleU32(file_, 56);
    directoryStart_ = LittleU32(file_, 48);
    miniFatStart_ = LittleU32(file_, 60);
    return true;
}

bool CompoundFile::SectorExists(std::uint32_t sector) const {
    return sector < kEndOfChain - 8 && Offset(sector) + sector_ <= file_.size();
}

std::optional<std::string> CompoundFile::Chain(std::uint32_t sector,
                                               std::optional<std::uint32_t> size) const {
    std::string out;
    for (std::size_t hops = 0; sector != kEndOfChain && (!size || out.size() < *size); ++hops) {
        if (hops > fat_.size() || sector >= fat_.size() || !SectorExists(sector))
            return std::nullopt;
        out.append(file_.substr(Offset(sector), sector_));
        sector = fat_[sector];
    }
    if (size) {
        if (out.size() < *size) return std::nullopt;
        out.resize(*size);
    }
    return out;
}

std::vector<CompoundFile::Entry> CompoundFile::Streams() const {
    std::vector<Entry> out;
    const auto directory = Chain(directoryStart_, std::nullopt);
    if (!directory) return out;
    for (std::size_t at = 0; at + 128 <= directory->size(); at += 128) {
        const std::string_view entry(directory->data() + at, 128);
        if (entry[66] != 2 && entry[66] != 5) continue;  // not a stream, nor the root and its mini stream
        std::string name;
        for (std::size_t i = 0; i + 1 < 64 && LittleU16(entry, i) != 0; i += 2) {
            const std::uint32_t c = LittleU16(entry, i);
            name += c < 0x80 ? static_cast<char>(c) : '?';
        }
        out.push_back({ToLowerAscii(name), LittleU32(entry, 116), LittleU32(entry, 120)});
    }
    return out;
}

bool CompoundFile::HasStream(std::string_view name) const {
    const std::string wanted = ToLowerAscii(name);
    for (const Entry& e : Streams())
        if (e.name == wanted) return true;
    return false;
}

std::optional<std::string> CompoundFile::MiniChain(std::uint32_t sector, std::uint32_t size) const {
    constexpr std::uint32_t kMiniSector = 64;
    const std::vector<Entry> streams = Streams();
    if (streams.empty() || streams[0].name != "root entry") return std::nullopt;
    const auto container = Chain(streams[0].start, streams[0].size);
    const auto table = Chain(miniFatStart_, std::nullopt);
    if (!container || !table) return std::nullopt;
    std::string out;
    for (std::size_t hops = 0; sector != kEndOfChain && out.size() < size; ++hops) {
        const std::size_t at = static_cast<std::size_t>(sector) * kMiniSector;
        if (hops > table->size() / 4 || 4 * static_cast<std::size_t>(sector) + 4 > table->size() ||
            at + kMiniSector > container->size())
            return std::nullopt;
        out.append(*container, at, kMiniSector);
        sector = LittleU32(*table, 4 * static_cast<std::size_t>(sector));
    }
    if (out.size() < size) return std::nullopt;
    out.resize(size);
    return out;
}

std::optional<std::string> CompoundFile::Workbook() const {
    for (const Entry& e : Streams()) {
        if (e.name != "workbook" && e.name != "book") continue;
        if (e.size < miniCutoff_) return MiniChain(e.start, e.size);
        return Chain(e.start, e.size);
    }
    return std::nullopt;
}

}  // namespace fw
