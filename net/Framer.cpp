#include "net/Framer.h"

namespace fw {
namespace {

// Single-byte documents like "{}" and "{x}" are never taken; they would only hold back the
// stream, so they are dropped with the bytes that follow up to the next '{'.
constexpr std::size_t kShortestDocument = 4;

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace

Framer::Framer(bool doubleByteCharset, std::size_t maxPartial)
    : doubleByte_(doubleByteCharset), maxPartial_(maxPartial) {}

void Framer::ResetScan() {
    depth_ = 0;
    inString_ = false;
    escaped_ = false;
    leadByte_ = false;
}

bool Framer::Step(unsigned char b) {
    if (leadByte_) {
        leadByte_ = false;
        if (IsTrailByte(b)) return false;
        // Not a valid pair: the lead byte stood alone, read this byte as itself.
    }
    if (doubleByte_ && IsLeadByte(b)) {
        leadByte_ = true;
        return false;
    }
    if (inString_) {
        if (escaped_)
            escaped_ = false;
        else if (b == '\\')
            escaped_ = true;
        else if (b == '"')
            inString_ = false;
        return false;
    }
    switch (b) {
        case '"': inString_ = true; break;
        case '{': ++depth_; break;
        case '}': return --depth_ == 0;
        default: break;
    }
    return false;
}

void Framer::Compact() {
    if (consumed_ == 0) return;
    buffer_.erase(0, consumed_);
    scanned_ -= consumed_;
    consumed_ = 0;
}

void Framer::Append(std::string_view bytes) {
    Compact();
    std::size_t i = 0;
    if (discarding_) {
        while (i < bytes.size() && discarding_)
            if (Step(static_cast<unsigned char>(bytes[i++]))) discarding_ = false;
        if (discarding_) return;
        ResetScan();
    }
    buffer_.append(bytes.substr(i));
}

std::optional<std::string> Framer::Next() {
    for (;;) {
        if (!inDocument_) {
            const std::size_t open = buffer_.find('{', consumed_);
            if (open == std::string::npos) {
                consumed_ = buffer_.size();
                return std::nullopt;
            }
            consumed_ = scanned_ = open;
            inDocument_ = true;
            ResetScan();
        }
        bool closed = false;
        const auto* data = reinterpret_cast<const unsigned char*>(buffer_.data());
        const std::size_t size = buffer_.size();
        while (scanned_ < size && !closed) {
            // Plain string content cannot change the state: skip it in a tight loop.
            if (inString_ && !escaped_ && !leadByte_) {
                const unsigned char stop = doubleByte_ ? 0x81 : 0xFF;
                while (scanned_ < size && data[scanned_] != '"' && data[scanned_] != '\\' &&
                       data[scanned_] < stop)
                    ++scanned_;
                if (scanned_ == size) break;
            }
            closed = Step(data[scanned_++]);
        }
        if (!closed) break;
        const std::size_t start = consumed_;
        consumed_ = scanned_;
        inDocument_ = false;
        if (scanned_ - start >= kShortestDocument) return buffer_.substr(start, scanned_ - start);
    }
    if (Buffered() > maxPartial_) {
        // Keep the scan state: it tells where the dropped document ends as the rest arrives.
        dropped_ += Buffered();
        buffer_.clear();
        consumed_ = scanned_ = 0;
        inDocument_ = false;
        discarding_ = true;
    }
    return std::nullopt;
}

std::size_t Framer::TakeDroppedBytes() {
    const std::size_t n = dropped_;
    dropped_ = 0;
    return n;
}

void Framer::Clear() {
    buffer_.clear();
    consumed_ = scanned_ = 0;
    inDocument_ = discarding_ = false;
    dropped_ = 0;
    ResetScan();
}

}  // namespace fw
