#include "net/Framer.h"

namespace fw {
namespace {

// Single-byte documents like "{}" and "{x}" are never taken; they would only hold back the
// stream, so they are dropped with the bytes that follow up to the next '{'.
constexpr std::size_t kShortestDocument = 4;

}  // namespace

Framer::Framer(CharsetFamily family, std::size_t maxPartial)
    : scanner_(family), maxPartial_(maxPartial) {}

void Framer::ResetScan() {
    depth_ = 0;
    inString_ = false;
    escaped_ = false;
    afterLineFeed_ = false;
    scanner_.Reset();
}

bool Framer::Step(unsigned char b) {
    if (scanner_.Continues(b)) return false;
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
    buffer_.append(bytes);
}

std::optional<std::string> Framer::Next() {
    const auto* data = reinterpret_cast<const unsigned char*>(buffer_.data());
    const std::size_t size = buffer_.size();
    // Inside a string, between characters, only a quote, a backslash, a line feed or a possible
    // lead byte can change the state: the rest is skipped in a tight loop.
    const unsigned char firstLead = scanner_.FirstLead();
    for (;;) {
        if (mode_ == Mode::Between) {
            const std::size_t open = buffer_.find('{', consumed_);
            if (open == std::string::npos) {
                consumed_ = scanned_ = size;
                return std::nullopt;
            }
            consumed_ = scanned_ = open;
            mode_ = Mode::InDocument;
            ResetScan();
        }
        bool closed = false;
        while (scanned_ < size && !closed) {
            if (inString_ && !escaped_ && !afterLineFeed_ && scanner_.AtCharacterStart()) {
                const std::size_t from = scanned_;
                while (scanned_ < size && data[scanned_] != '"' && data[scanned_] != '\\' &&
                       data[scanned_] != '\n' && data[scanned_] < firstLead)
                    ++scanned_;
                if (scanned_ != from) afterLineFeed_ = false;
                if (scanned_ == size) break;
            }
            const unsigned char b = data[scanned_];
            if (b == '{' && afterLineFeed_) {
                // A new document begins here; whatever is still open before it is given up.
                if (mode_ == Mode::InDocument)
                    drops_.push_back({Drop::Reason::Incomplete, scanned_ - consumed_});
                mode_ = Mode::InDocument;
                consumed_ = scanned_;
                ResetScan();
            }
            afterLineFeed_ = b == '\n';
            closed = Step(b);
            ++scanned_;
        }
        if (!closed) break;
        const std::size_t start = consumed_;
        const bool skipped = mode_ == Mode::Skipping;
        consumed_ = scanned_;
        mode_ = Mode::Between;
        if (!skipped && scanned_ - start >= kShortestDocument)
            return buffer_.substr(start, scanned_ - start);
    }
    if (mode_ == Mode::Skipping) {
        consumed_ = scanned_;
    } else if (Buffered() > maxPartial_) {
        // Keep the scan state: it tells where the given-up document ends as the rest arrives.
        drops_.push_back({Drop::Reason::TooLarge, Buffered()});
        consumed_ = scanned_;
        mode_ = Mode::Skipping;
    }
    return std::nullopt;
}

std::vector<Framer::Drop> Framer::TakeDrops() {
    std::vector<Drop> drops;
    drops.swap(drops_);
    return drops;
}

void Framer::Clear() {
    buffer_.clear();
    consumed_ = scanned_ = 0;
    mode_ = Mode::Between;
    drops_.clear();
    ResetScan();
}

}  // namespace fw
