#include "reports/TripOrder.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace fw {
namespace {

// A possible pair: plan and event, what taking it gains over leaving the plan empty, and the
// best chain of pairs it ends.
struct Candidate {
    std::size_t plan;
    std::size_t event;
    long long value;     // gain of the best chain ending here
    std::size_t before;  // the pair before it in that chain, or kUnmatched
};

// Prefix maxima over event positions: the best chain whose last event lies before a position.
class PrefixBest {
public:
    explicit PrefixBest(std::size_t size) : tree_(size + 1, {0, kUnmatched}) {}

    // Best over events [0, end).
    std::pair<long long, std::size_t> Before(std::size_t end) const {
        std::pair<long long, std::size_t> best{0, kUnmatched};
        for (std::size_t i = end; i > 0; i -= i & (~i + 1))
            if (tree_[i].first > best.first) best = tree_[i];
        return best;
    }
    void Offer(std::size_t event, long long value, std::size_t candidate) {
        for (std::size_t i = event + 1; i < tree_.size(); i += i & (~i + 1))
            if (value > tree_[i].first) tree_[i] = {value, candidate};
    }

private:
    std::vector<std::pair<long long, std::size_t>> tree_;
};

}  // namespace

std::vector<std::size_t> AlignInTripOrder(std::span<const PlacedTime> plans,
                                          std::span<const PlacedTime> events,
                                          long long tolerance) {
    std::vector<std::size_t> result(plans.size(), kUnmatched);
    // The events of each place, in time order.
    std::unordered_map<std::size_t, std::vector<std::size_t>> atPlace;
    for (std::size_t e = 0; e < events.size(); ++e) atPlace[events[e].place].push_back(e);

    // Plans in order; a plan's pairs all extend chains of earlier plans only, so they are offered
    // once the whole plan is weighed. A pair's gain is what it saves against an empty plan.
    std::vector<Candidate> candidates;
    PrefixBest best(events.size());
    std::size_t top = kUnmatched;
    for (std::size_t p = 0; p < plans.size(); ++p) {
        const auto at = atPlace.find(plans[p].place);
        if (at == atPlace.end()) continue;
        const std::vector<std::size_t>& own = at->second;
        const long long earliest = plans[p].seconds - tolerance;
        auto it = std::lower_bound(own.begin(), own.end(), earliest,
                                   [&](std::size_t e, long long t) { return events[e].seconds < t; });
        const std::size_t first = candidates.size();
        for (; it != own.end() && events[*it].seconds <= plans[p].seconds + tolerance; ++it) {
            const long long gain = tolerance + 1 - std::llabs(events[*it].seconds - plans[p].seconds);
            const auto [chain, before] = best.Before(*it);
            candidates.push_back({p, *it, gain + chain, before});
            if (top == kUnmatched || candidates.back().value > candidates[top].value)
                top = candidates.size() - 1;
        }
        for (std::size_t c = first; c < candidates.size(); ++c)
            best.Offer(candidates[c].event, candidates[c].value, c);
    }
    for (std::size_t c = top; c != kUnmatched; c = candidates[c].before)
        result[candidates[c].plan] = candidates[c].event;
    return result;
}

}  // namespace fw
