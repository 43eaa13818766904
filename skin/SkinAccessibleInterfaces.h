#pragma once

namespace fw {

// What the accessibility bus (AT-SPI) is told about the skin's own widgets where Qt's defaults
// would mislead: a skin radio is a radio (Qt calls a radio that is not auto-exclusive a check
// box) and pressing it through the bus clicks it as the mouse does; a window of its own is a
// window (a frame), the pages inside are plain panes; the message box is an alert, read out as
// it opens. Installed once, before the first window or box; later calls do nothing.
void InstallSkinAccessibility();

}  // namespace fw
