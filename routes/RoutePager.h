#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace fw {

// The pager under the route list: pages of 20 listed routes, 1-based.
inline constexpr int kRoutesPerPage = 20;
inline constexpr const char* kPageOutOfRange = "你输入的页面超出范围";

// What the pager strip shows and which of its four buttons can be pressed.
struct PagerView {
    int currentPage = 1;
    int pageCount = 0;
    int recordCount = 0;
    bool first = false;
    bool previous = false;
    bool next = false;
    bool last = false;
};

int PageCount(int recordCount);
PagerView ComputePager(int recordCount, int currentPage);

// 1-based positions of the first and last listed route a page can hold.
struct PageSpan {
    std::size_t first = 0;
    std::size_t last = 0;
};
PageSpan PagePositions(int page);

// The page typed for Go, read the way atoi reads it ("2abc" is 2); none when it is not a page
// of 1..pageCount.
std::optional<int> ParseGoPage(std::string_view input, int pageCount);

}  // namespace fw
