#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reports/DetectionRule.h"

namespace fw {

// The settings kept in conf.ini, section "login". Read once at start-up, written at every login
// attempt and at exit; everyone else reads the values from here, never from the file.
struct LoginConfig {
    std::string server;
    std::string user;
    std::string password;          // written only while remember is "1"
    std::string remember;          // "1" ticked, "0" not
    std::string dataName;          // never written
    std::string dataBasePassword;  // never written
    int writeLog = 0;              // log switch: 0 off, anything else on
    int port = 1502;               // dispatch server
    int webPort = 89;              // web pages and track interface on the same host
    std::string charset = "GBK";   // wire charset of the dispatch server
    bool autoReconnect = true;     // AutoReconnect=0: a lost connection goes to the login window
    int page = -1;                 // Page: the page shown at the last exit, -1 none
    int minTurnaround = 180;       // MinTurnaround: seconds a vehicle needs between two batches
    // DefaultTripTime: seconds a batch keeps its vehicle after its last departure when no route
    // of its line tells its trip time; 0 ends a batch at its last departure.
    int defaultTripTime = 0;
    int trackTimeout = 30;         // TrackTimeout: seconds without a byte that end a track transfer
    // Detection: how report runs find arrivals; an unknown value reads as first-fix.
    DetectionRule detection = DetectionRule::FirstFix;
    // Matching: how a run gives the events to the rows; an unknown value reads as nearest.
    Matching matching = Matching::Nearest;
    // Report export: a stop is on time from OnTimeEarly seconds before its plan to OnTimeLate
    // seconds after it; CsvCharset "GBK" writes CSV files in GBK (else UTF-8 with a byte-order
    // mark); ExportFolder is where the last export went.
    int onTimeEarly = 60;
    int onTimeLate = 240;
    std::string csvCharset = "UTF-8";
    std::string exportFolder;
};

inline constexpr const char* kConfigFileName = "conf.ini";
inline constexpr std::size_t kConfigValueLimit = 254;

// A port as typed in the settings: digits only (blanks around them allowed), 1 to 65535.
std::optional<int> ParsePort(std::string_view text);

// A missing or unreadable file gives the defaults; nothing is reported.
LoginConfig ReadConfig(const std::string& path);

// Writes Server, User, Pass, Remember and Write, and the later keys (Port, WebPort, Page,
// MinTurnaround, DefaultTripTime, TrackTimeout, Detection, Matching, the export's keys) when they
// are already in the file or differ from their defaults; every other line stays as it was. The file is replaced atomically and readable
// by its owner only, since it may hold a password. False when it could not be written; the
// caller carries on with its values.
bool WriteConfig(const std::string& path, const LoginConfig& config);

}  // namespace fw
