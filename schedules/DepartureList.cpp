#include "schedules/DepartureList.h"

#include <algorithm>
#include <map>

namespace fw {

namespace {
constexpr std::uint32_t kNone = 0xFFFFFFFF;
}

int DepartureList::AddBatch(std::string name) {
    batches_.push_back(std::move(name));
    perBatch_.emplace_back();
    lastLine_.push_back(kNone);
    return static_cast<int>(batches_.size()) - 1;
}

std::uint32_t DepartureList::Store(std::string_view text) {
    pool_.append(text);
    ends_.push_back(static_cast<std::uint32_t>(pool_.size()));
    return static_cast<std::uint32_t>(ends_.size() - 1);
}

std::string_view DepartureList::Text(std::uint32_t index) const {
    const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(pool_).substr(begin, ends_[index] - begin);
}

void DepartureList::Add(int batch, std::string_view time, std::string_view line) {
    const auto b = static_cast<std::size_t>(batch);
    // A batch's line rarely changes from one departure to the next: its text is kept once.
    std::uint32_t& last = lastLine_[b];
    if (last == kNone || Text(last) != line) last = Store(line);
    perBatch_[b].push_back({Store(time), last});
    ++count_;
}

void DepartureList::Shrink() {
    for (auto& departures : perBatch_) departures.shrink_to_fit();
    pool_.shrink_to_fit();
    ends_.shrink_to_fit();
}

DepartureList::View DepartureList::At(int batch, std::size_t k) const {
    const Departure& d = perBatch_[static_cast<std::size_t>(batch)][k];
    return {batch, Text(d.time), Text(d.line)};
}

DepartureList::View DepartureList::At(std::size_t i) const {
    std::size_t batch = 0;
    while (i >= perBatch_[batch].size()) i -= perBatch_[batch++].size();
    return At(static_cast<int>(batch), i);
}

TimetableRow DepartureList::operator[](std::size_t i) const {
    const View v = At(i);
    return {batches_[static_cast<std::size_t>(v.batch)], std::string(v.time), std::string(v.line)};
}

std::vector<TimetableRow> DepartureList::ToRows() const {
    std::vector<TimetableRow> rows;
    rows.reserve(count_);
    for (TimetableRow row : *this) rows.push_back(std::move(row));
    return rows;
}

DepartureList DepartureList::FromRows(const std::vector<TimetableRow>& rows) {
    DepartureList list;
    std::map<std::string, int> index;
    for (const TimetableRow& r : rows) {
        auto [at, added] = index.try_emplace(r.batch, 0);
        if (added) at->second = list.AddBatch(r.batch);
        list.Add(at->second, r.startTime, r.lineName);
    }
    return list;
}

std::size_t DepartureList::MemoryBytes() const {
    std::size_t bytes = pool_.capacity() + ends_.capacity() * sizeof(std::uint32_t);
    for (const auto& departures : perBatch_) bytes += departures.capacity() * sizeof(Departure);
    for (const std::string& name : batches_) bytes += sizeof name + name.capacity();
    return bytes;
}

DepartureList::const_iterator::const_iterator(const DepartureList* list, std::size_t batch, std::size_t k)
    : list_(list), batch_(batch), k_(k) {
    SkipEmpty();
}

void DepartureList::const_iterator::SkipEmpty() {
    while (batch_ < list_->perBatch_.size() && k_ >= list_->perBatch_[batch_].size()) {
        ++batch_;
        k_ = 0;
    }
}

TimetableRow DepartureList::const_iterator::operator*() const {
    const View v = list_->At(static_cast<int>(batch_), k_);
    return {list_->batches_[batch_], std::string(v.time), std::string(v.line)};
}

DepartureList::const_iterator& DepartureList::const_iterator::operator++() {
    ++k_;
    SkipEmpty();
    return *this;
}

}  // namespace fw
