#pragma once

namespace fw {

class CUIWnd;
class MainWindow;

// The pages of the main window that come with classes of their own. Null for a page that is
// still its skin window alone.
CUIWnd* CreateWorkPage(MainWindow& main, int child);

// Once every page exists: the pages that work together are introduced, and they are hooked
// into the dispatcher and the main window's signals.
void ConnectWorkPages(MainWindow& main);

}  // namespace fw
