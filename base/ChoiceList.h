#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Offering a text in a drop-down list: the first item that begins with the text (ignoring
// ASCII case) becomes the selection; only when none does is the text added at the end and
// selected. Returns the index of the selection. So "A1" offered after "A12" selects "A12".
std::size_t OfferChoice(std::vector<std::string>& items, std::string_view text);

}  // namespace fw
