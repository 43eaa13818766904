#include "sim/SimState.h"

namespace fw::sim {

std::string SimState::CheckLogin(const std::string& name, const std::string& password) const {
    if (name.empty()) return "用户名不能为空";
    const User* user = scenario_.FindUser(name);
    if (!user || user->password != password) return "用户名或密码错误";
    return {};
}

std::shared_ptr<const VehicleTrack> SimState::Track(const std::string& plate) {
    auto it = tracks_.find(plate);
    if (it != tracks_.end()) return it->second;
    auto track = GenerateTrack(scenario_, plate);
    tracks_[plate] = track;
    return track;
}

std::string SimState::NextLineId() {
    for (;;) {
        std::string id = "U" + std::to_string(++lineCounter_);
        if (!scenario_.FindLineById(id)) return id;
    }
}

}  // namespace fw::sim
