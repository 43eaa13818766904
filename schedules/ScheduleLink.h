#pragma once

#include <QDateTime>
#include <QImage>
#include <QVector>

#include <json/value.h>

#include <functional>
#include <string>

namespace fw {

// What the scheduling windows need from the main window: the connection, the signed-in user,
// the clock and the row images.
struct ScheduleLink {
    // Sends a request; false when the send ended the login.
    std::function<bool(const Json::Value&)> send;
    std::function<std::string()> userName;
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
    QVector<QImage> markImages;  // an empty and a ticked check box: the schedule list's marks
    QVector<QImage> rowImages;   // no image shown; they make the rows 33 pixels high
};

}  // namespace fw
