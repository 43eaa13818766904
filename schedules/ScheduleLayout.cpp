#include "schedules/ScheduleLayout.h"

#include <algorithm>

namespace fw {

CreateModeLayout SplitCreateArea(const skin::Rect& body, int importHeight) {
    CreateModeLayout out;
    out.import = {body.left, body.top, body.right, body.top + importHeight};
    // A window too short for both still gives the setup a place, of no height.
    out.setup = {body.left, out.import.bottom, body.right, std::max(body.bottom, out.import.bottom)};
    return out;
}

}  // namespace fw
