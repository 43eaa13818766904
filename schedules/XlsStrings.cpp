#include "schedules/XlsStrings.h"

#include <cstdint>
#include <string>
#include <vector>

#include "schedules/CompoundFile.h"

namespace fw {
namespace {

// The shared string table and its continuation records.
std::vector<std::string_view> SharedStringRecords(std::string_view stream) {
    std::vector<std::string_view> records;
    for (std::size_t at = 0; at + 4 <= stream.size();) {
        const std::uint32_t type = LittleU16(stream, at);
        const std::uint32_t size = LittleU16(stream, at + 2);
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
    const std::uint32_t count = LittleU32(records[0], 4);
    std::size_t record = 0;
    std::size_t at = 8;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at >= records[record].size()) {
            if (++record >= records.size()) return true;  // fewer strings than announced
            at = 0;
        }
        const std::string_view r = records[record];
        if (at + 3 > r.size()) return false;
        const std::uint32_t characters = LittleU16(r, at);
        std::uint32_t flags = static_cast<unsigned char>(r[at + 2]);
        at += 3;
        std::size_t extra = 0;
        if (flags & 0x08) {
            if (at + 2 > r.size()) return false;
            extra += 4 * static_cast<std::size_t>(LittleU16(r, at));
            at += 2;
        }
        if (flags & 0x04) {
            if (at + 4 > r.size()) return false;
            extra += LittleU32(r, at);
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
