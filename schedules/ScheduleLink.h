#pragma once

#include <QDateTime>
#include <QImage>
#include <QVector>

#include <json/value.h>

#include <functional>
#include <string>
#include <vector>

namespace fw {

// What the scheduling windows need from the main window: the connection, the signed-in user,
// the clock, the row images, and for the roster checks the fleet and the turnaround time.
struct ScheduleLink {
    // Sends a request; false when the send ended the login.
    std::function<bool(const Json::Value&)> send;
    std::function<std::string()> userName;
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
    QVector<QImage> markImages;  // an empty and a ticked check box: the schedule list's marks
    QVector<QImage> rowImages;   // no image shown; they make the rows 33 pixels high
    // The plates of the vehicle store; none while no vehicle list has arrived.
    std::function<std::vector<std::string>()> fleetPlates = [] { return std::vector<std::string>(); };
    int minTurnaround = 180;  // seconds, from conf.ini
};

}  // namespace fw
