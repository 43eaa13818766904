#include "schedules/XlsStrings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fw {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;

std::uint32_t U16(std::string_view s, std::size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}

std::uint32_t U32(std::string_view s, std::size_t at) { return U16(s, at) | U16(s, at + 2) << 16; }

// Just enough of the compound file format to find the workbook stream in its regular sectors.
class CompoundFile {
public:
    explicit CompoundFile(std::string_view file) : file_(file) {}

    bool Open() {
        if (file_.size() < 512 || file_.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
            return false;
        const std::uint32_t shift = U16(file_, 30);
        if (shift != 9 && shift != 12) return false;
        sector_ = 1u << shift;
        const std::uint32_t fatSectors = U32(file_, 44);
        if (static_cast<std::uint64_t>(fatSectors) * sector_ > file_.size()) return false;
        std::vector<std::uint32_t> table;
        for (std::uint32_t i = 0; i < 109 && table.size() < fatSectors; ++i) table.push_back(U32(file_, 76 + 4 * i));
        std::uint32_t next = U32(file_, 68);
        for (std::uint32_t hops = 0; table.size() < fatSectors && next != kEndOfChain; ++hops) {
            if (hops > fatSectors || !SectorExists(next)) return false;
            const std::size_t at = Offset(next);
            for (std::uint32_t i = 0; i + 1 < sector_ / 4 && table.size() < fatSectors; ++i)
                table.push_back(U32(file_, at + 4 * i));
            next = U32(file_, at + sector_ - 4);
        }
        for (std::uint32_t s : table) {
            if (!SectorExists(s)) return false;
            for (std::uint32_t i = 0; i < sector_ / 4; ++i) fat_.push_back(U32(file_, Offset(s) + 4 * i));
        }
        miniCutoff_ = U32(file_, 56);
        directoryStart_ = U32(file_, 48);
        return true;
    }

    // The workbook stream; nothing when it is missing, unreadable or kept in the mini stream
    // (too short to hold a string that spans records).
    std::optional<std::string> Workbook() const {
        const auto directory = Chain(directoryStart_, std::nullopt);
        if (!directory) return std::nullopt;
        for (std::size_t at = 0; at + 128 <= directory->size(); at += 128) {
            const std::string_view entry(directory->data() + at, 128);
            if (entry[66] != 2) continue;  // not a stream
            std::string name;
            for (std::size_t i = 0; i + 1 < 64 && U16(entry, i) != 0; i += 2) name += static_cast<char>(U16(entry, i) | 0x20);
            if (name != "workbook" && name != "book") continue;
            const std::uint32_t size = U32(entry, 120);
            if (size < miniCutoff_) return std::nullopt;
            return Chain(U32(entry, 116), size);
        }
        return std::nullopt;
    }

private:
    std::size_t Offset(std::uint32_t sector) const { return (static_cast<std::size_t>(sector) + 1) * sector_; }
    bool SectorExists(std::uint32_t sector) const {
        return sector < kEndOfChain - 8 && Offset(sector) + sector_ <= file_.size();
    }

    std::optional<std::string> Chain(std::uint32_t sector, std::optional<std::uint32_t> size) const {
        std::string out;
        for (std::size_t hops = 0; sector != kEndOfChain && (!size || out.size() < *size); ++hops) {
            if (hops > fat_.size() || sector >= fat_.size() || !SectorExists(sector)) return std::nullopt;
            out.append(file_.substr(Offset(sector), sector_));
            sector = fat_[sector];
        }
        if (size) {
            if (out.size() < *size) return std::nullopt;
            out.resize(*size);
        }
        return out;
    }

    std::string_view file_;
    std::uint32_t sector_ = 512;
    std::uint32_t miniCutoff_ = 4096;
    std::uint32_t directoryStart_ = kEndOfChain;
    std::vector<std::uint32_t> fat_;
};

// The shared string table and its continuation records.
std::vector<std::string_view> SharedStringRecords(std::string_view stream) {
    std::vector<std::string_view> records;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint32_t type = U16(stream, at);
        const std::uint32_t size = U16(stream, at + 2);
        if (at + 4 + size > stream.size()) break;
        const std::string_view data = stream.substr(at + 4, size);
        at += 4 + size;
        if (type == 0x00FC && records.empty()) {
            records.push_back(data);
        } else if (!records.empty()) {
            if (type != 0x003C) break;
            records.push_back(data);
        }
    }
    return records;
}

bool StringsFitFreeXl(const std::vector<std::string_view>& records) {
    if (records.empty() || records[0].size() < 8) return true;
    const std::uint32_t count = U32(records[0], 4);
    std::size_t record = 0;
    std::size_t at = 8;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at >= records[record].size()) {
            if (++record >= records.size()) return true;  // fewer strings than announced
            at = 0;
        }
        const std::string_view r = records[record];
        if (at + 3 > r.size()) return false;
        const std::uint32_t characters = U16(r, at);
        std::uint32_t flags = static_cast<unsigned char>(r[at + 2]);
        at += 3;
        std::size_t extra = 0;
        if (flags & 0x08) {
            if (at + 2 > r.size()) return false;
            extra += 4 * static_cast<std::size_t>(U16(r, at));
            at += 2;
        }
        if (flags & 0x04) {
            if (at + 4 > r.size()) return false;
            extra += U32(r, at);
            at += 4;
        }
        int boundaries = 0;
        for (std::size_t left = characters; left > 0;) {
            const std::size_t width = (flags & 0x01) ? 2 : 1;
            const std::size_t fit = (records[record].size() - at) / width;
            if (left <= fit) {
                at += left * width;
                break;
            }
            left -= fit;
            if (++boundaries > 1) return false;
            if (++record >= records.size()) return true;
            if (records[record].empty()) return false;
            flags = static_cast<unsigned char>(records[record][0]);
            at = 1;
        }
        at += extra;
        if (at > records[record].size()) return false;
    }
    return true;
}

}  // namespace

SharedStrings CheckSharedStrings(std::string_view file) {
    CompoundFile compound(file);
    if (!compound.Open()) return SharedStrings::Readable;
    const auto stream = compound.Workbook();
    if (!stream) return SharedStrings::Readable;
    return StringsFitFreeXl(SharedStringRecords(*stream)) ? SharedStrings::Readable : SharedStrings::TooLong;
}

}  // namespace fw
