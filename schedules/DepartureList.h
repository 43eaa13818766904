#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "net/Requests.h"

namespace fw {

// The departures of an imported timetable, kept small: a timetable of 200 batches can hold
// millions of departures, and each costs a few bytes here instead of three strings. They are
// listed grouped by batch, batches in their order, each batch's departures in sheet order.
class DepartureList {
public:
    struct View {
        int batch = 0;
        std::string_view time;
        std::string_view line;
    };

    // Batches come first, in order; departures may then be added to any of them.
    int AddBatch(std::string name);
    void Add(int batch, std::string_view time, std::string_view line);
    void Clear() { *this = DepartureList(); }
    // Gives back the room that growing left unused.
    void Shrink();

    const std::vector<std::string>& Batches() const { return batches_; }
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }

    // A batch's departures, k from 0.
    std::size_t BatchSize(int batch) const { return perBatch_[static_cast<std::size_t>(batch)].size(); }
    View At(int batch, std::size_t k) const;
    // The i-th departure of the list.
    View At(std::size_t i) const;
    TimetableRow operator[](std::size_t i) const;

    std::vector<TimetableRow> ToRows() const;
    // The rows of a timetable, batches in the order they first appear.
    static DepartureList FromRows(const std::vector<TimetableRow>& rows);
    // About what the list holds in memory.
    std::size_t MemoryBytes() const;

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = TimetableRow;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = TimetableRow;

        const_iterator() = default;
        TimetableRow operator*() const;
        const_iterator& operator++();
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator& o) const { return batch_ == o.batch_ && k_ == o.k_; }

    private:
        friend class DepartureList;
        const_iterator(const DepartureList* list, std::size_t batch, std::size_t k);
        void SkipEmpty();
        const DepartureList* list_ = nullptr;
        std::size_t batch_ = 0, k_ = 0;
    };
    using value_type = TimetableRow;
    const_iterator begin() const { return {this, 0, 0}; }
    const_iterator end() const { return {this, batches_.size(), 0}; }

private:
    // Indexes into the text pool.
    struct Departure {
        std::uint32_t time;
        std::uint32_t line;
    };
    std::uint32_t Store(std::string_view text);
    std::string_view Text(std::uint32_t index) const;

    std::vector<std::string> batches_;
    std::vector<std::vector<Departure>> perBatch_;
    std::vector<std::uint32_t> lastLine_;  // each batch's last line text, told again when it repeats
    std::string pool_;                     // every text, one after the other
    std::vector<std::uint32_t> ends_;      // where each text of the pool ends
    std::size_t count_ = 0;
};

}  // namespace fw
