#pragma once

class QApplication;

namespace fw {

// The program speaks Chinese whatever the desktop's language: dates, numbers and calendars
// (zh_CN), and Qt's own texts (file dialogs, standard buttons, the web view's menu).
void SpeakChinese(QApplication& app);

}  // namespace fw
