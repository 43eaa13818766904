#include "base/Config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/CommandLine.h"
#include "base/IniFile.h"
#include "text/Encoding.h"
#include "text/Strings.h"

namespace fw {
namespace {

constexpr const char* kSection = "login";

std::string ReadValue(const IniFile& ini, const char* key) {
    const auto value = ini.Get(kSection, key);
    if (!value) return {};
    return std::string(TruncateUtf8(*value, kConfigValueLimit));
}

int ReadPort(const IniFile& ini, const char* key, int fallback) {
    const auto value = ini.Get(kSection, key);
    if (!value) return fallback;
    const int port = AtoiLike(*value);
    return port > 0 && port <= 65535 ? port : fallback;
}

// Whole seconds, 0 to one day; anything else keeps the default.
int ReadSeconds(const IniFile& ini, const char* key, int fallback) {
    const auto value = ini.Get(kSection, key);
    if (!value) return fallback;
    const std::string digits = Trim(*value);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return fallback;
    const int seconds = std::stoi(digits);
    return seconds <= 86400 ? seconds : fallback;
}

// Whole seconds within [least, most]; anything else keeps the default.
int ReadSecondsWithin(const IniFile& ini, const char* key, int fallback, int least, int most) {
    const int seconds = ReadSeconds(ini, key, -1);
    return seconds >= least && seconds <= most ? seconds : fallback;
}

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    return true;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::optional<int> ParsePort(std::string_view text) {
    const std::string digits = Trim(std::string(text));
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int port = std::stoi(digits);
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

LoginConfig ReadConfig(const std::string& path) {
    LoginConfig config;
    std::string text;
    if (!ReadFile(path, text)) return config;
    const IniFile ini = IniFile::FromText(text);
    config.server = ReadValue(ini, "Server");
    config.user = ReadValue(ini, "User");
    config.password = ReadValue(ini, "Pass");
    config.remember = ReadValue(ini, "Remember");
    config.dataName = ReadValue(ini, "DataName");
    config.dataBasePassword = ReadValue(ini, "DataBasePsw");
    config.writeLog = AtoiLike(ReadValue(ini, "Write"));
    config.port = ReadPort(ini, "Port", config.port);
    config.webPort = ReadPort(ini, "WebPort", config.webPort);
    const std::string charset = Trim(ReadValue(ini, "Charset"));
    if (!charset.empty()) config.charset = charset;
    if (const auto reconnect = ini.Get(kSection, "AutoReconnect"))
        config.autoReconnect = AtoiLike(*reconnect) != 0;
    if (const auto page = ini.Get(kSection, "Page")) config.page = PageNumberOf(Trim(*page));
    config.minTurnaround = ReadSeconds(ini, "MinTurnaround", config.minTurnaround);
    config.defaultTripTime = ReadSeconds(ini, "DefaultTripTime", config.defaultTripTime);
    config.trackTimeout = ReadSecondsWithin(ini, "TrackTimeout", config.trackTimeout, 5, 600);
    if (const auto detection = ini.Get(kSection, "Detection"))
        config.detection = ParseDetectionRule(*detection).value_or(DetectionRule::FirstFix);
    if (const auto matching = ini.Get(kSection, "Matching"))
        config.matching = ParseMatching(*matching).value_or(Matching::Nearest);
    config.onTimeEarly = ReadSeconds(ini, "OnTimeEarly", config.onTimeEarly);
    config.onTimeLate = ReadSeconds(ini, "OnTimeLate", config.onTimeLate);
    if (const auto charset = ini.Get(kSection, "CsvCharset")) config.csvCharset = Trim(*charset);
    // A folder is kept whole: a cut path would name another folder.
    if (const auto folder = ini.Get(kSection, "ExportFolder")) config.exportFolder = *folder;
    return config;
}

bool WriteConfig(const std::string& path, const LoginConfig& config) {
    std::string text;
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    // A file that is there but cannot be read must not be replaced: its other keys would be lost.
    if (exists && !ReadFile(path, text)) return false;
    IniFile ini = IniFile::FromText(text);
    ini.Set(kSection, "Server", config.server);
    ini.Set(kSection, "User", config.user);
    ini.Set(kSection, "Pass", config.remember == "1" ? config.password : std::string());
    ini.Set(kSection, "Remember", config.remember);
    ini.Set(kSection, "Write", std::to_string(config.writeLog));
    // Keys the first versions did not write appear only once they mean something.
    const LoginConfig defaults;
    auto setIfUsed = [&](const char* key, const std::string& value, bool isDefault) {
        if (!isDefault || ini.Get(kSection, key)) ini.Set(kSection, key, value);
    };
    setIfUsed("Port", std::to_string(config.port), config.port == defaults.port);
    setIfUsed("WebPort", std::to_string(config.webPort), config.webPort == defaults.webPort);
    setIfUsed("Page", PageNameOf(config.page), config.page < 0);
    setIfUsed("MinTurnaround", std::to_string(config.minTurnaround),
              config.minTurnaround == defaults.minTurnaround);
    setIfUsed("DefaultTripTime", std::to_string(config.defaultTripTime),
              config.defaultTripTime == defaults.defaultTripTime);
    setIfUsed("TrackTimeout", std::to_string(config.trackTimeout),
              config.trackTimeout == defaults.trackTimeout);
    setIfUsed("Detection", std::string(DetectionRuleKey(config.detection)),
              config.detection == defaults.detection);
    setIfUsed("Matching", std::string(MatchingKey(config.matching)),
              config.matching == defaults.matching);
    setIfUsed("OnTimeEarly", std::to_string(config.onTimeEarly),
              config.onTimeEarly == defaults.onTimeEarly);
    setIfUsed("OnTimeLate", std::to_string(config.onTimeLate),
              config.onTimeLate == defaults.onTimeLate);
    setIfUsed("CsvCharset", config.csvCharset, config.csvCharset == defaults.csvCharset);
    setIfUsed("ExportFolder", config.exportFolder, config.exportFolder.empty());

    const std::string temp = path + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::fchmod(fd, 0600);  // an old temp file may have had other bits
    const bool written = WriteAll(fd, ini.ToText()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace fw
