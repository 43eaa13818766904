#include "schedules/SchedulePage.h"

#include "res/RESOURCE.H"

namespace fw {

CUIWnd* SchedulePage::MakeWindow(int skinWindowId, QWidget* owner) {
    switch (skinWindowId) {
        case IDW_SUBMEBU_PAIBAN: return menu_ = new ScheduleMenuWindow(owner);
        case IDW_PAIBAN_GUANLI: return list_ = new ScheduleListWindow(link_, owner);
        case IDW_PAIBAN_ADD_FILE: return import_ = new TimetableImportWindow(link_, owner);
        case IDW_PAIBAN_ADD_PEIZHI: return setup_ = new ScheduleSetupWindow(link_, owner);
        default: return nullptr;
    }
}

void SchedulePage::Connect() {
    if (menu_) menu_->SetContentWindows(list_, import_, setup_);
    if (import_) import_->SetSetupWindow(setup_);
    if (setup_) setup_->Connect(import_, list_, menu_);
}

void SchedulePage::ShowScheduleMode() {
    if (menu_) menu_->ShowScheduleMode();
}

void SchedulePage::LoginEnded() {
    if (list_) list_->Clear();
    if (setup_) setup_->LoginEnded();
}

void SchedulePage::ConnectionLost() {
    if (setup_) setup_->ConnectionLost();
}

void SchedulePage::BeginRefresh() {
    if (list_) list_->BeginRefresh();
}

void SchedulePage::ServerHeard() {
    if (setup_) setup_->ServerHeard();
}

void SchedulePage::ScheduleListArrived() {
    if (list_) list_->ListArrives();
}

void SchedulePage::FleetChanged() {
    if (setup_) setup_->FleetChanged();
}

bool SchedulePage::SendDayContent() { return !setup_ || setup_->SendDayContent(); }

bool SchedulePage::FinishScheduleSave() { return !setup_ || setup_->FinishScheduleSave(); }

void SchedulePage::AddScheduleRow(const std::string& name, const std::string& startDate, const std::string& endDate) {
    if (list_) list_->AddScheduleRow(name, startDate, endDate);
}

}  // namespace fw
