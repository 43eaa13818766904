#pragma once

#include "skin/SkinGeometry.h"

namespace fw {

// The create mode of the scheduling page: the timetable import at the top of the page body with
// its own height, the schedule setup below it down to the body's bottom.
struct CreateModeLayout {
    skin::Rect import;
    skin::Rect setup;
};

CreateModeLayout SplitCreateArea(const skin::Rect& body, int importHeight);

}  // namespace fw
