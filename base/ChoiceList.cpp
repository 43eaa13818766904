#include "base/ChoiceList.h"

#include "text/Strings.h"

namespace fw {

std::size_t OfferChoice(std::vector<std::string>& items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (StartsWithNoCase(items[i], text)) return i;
    items.emplace_back(text);
    return items.size() - 1;
}

}  // namespace fw
