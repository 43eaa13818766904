#include "routes/RoutePager.h"

#include "text/Strings.h"

namespace fw {

int PageCount(int recordCount) {
    if (recordCount <= 0) return 0;
    return recordCount / kRoutesPerPage + (recordCount % kRoutesPerPage != 0 ? 1 : 0);
}

PagerView ComputePager(int recordCount, int currentPage) {
    PagerView view;
    view.currentPage = currentPage;
    view.recordCount = recordCount;
    view.pageCount = PageCount(recordCount);
    if (view.pageCount < 2) return view;  // nothing to move to: all four off
    const bool onFirst = currentPage == 1;
    const bool onLast = currentPage == view.pageCount;
    view.first = view.previous = !onFirst;
    view.next = view.last = !onLast;
    return view;
}

PageSpan PagePositions(int page) {
    if (page < 1) return {};
    const auto p = static_cast<std::size_t>(page);
    return {(p - 1) * kRoutesPerPage + 1, p * kRoutesPerPage};
}

std::optional<int> ParseGoPage(std::string_view input, int pageCount) {
    const int page = AtoiLike(input);
    if (page < 1 || page > pageCount) return std::nullopt;
    return page;
}

}  // namespace fw
