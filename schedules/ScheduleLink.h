#pragma once

#include <QDateTime>
#include <QImage>
#include <QVector>

#include <json/value.h>

#include <functional>
#include <string>
#include <vector>

#include "schedules/TripTimes.h"

namespace fw {

class TextCodec;

// What the scheduling windows need from the main window: the connection, the signed-in user,
// the clock, the row images, and for the roster checks the fleet, the turnaround time, the trip
// times of the lines and the wire charset.
struct ScheduleLink {
    // Sends a request; false when it did not go out (no connection): nothing was sent.
    std::function<bool(const Json::Value&)> send;
    std::function<std::string()> userName;
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
    QVector<QImage> markImages;  // an empty and a ticked check box: the schedule list's marks
    QVector<QImage> rowImages;   // no image shown; they make the rows 33 pixels high
    // The plates of the vehicle store; none while no vehicle list has arrived.
    std::function<std::vector<std::string>()> fleetPlates = [] { return std::vector<std::string>(); };
    int minTurnaround = 180;  // seconds, from conf.ini
    // The routes' trip times by line, with conf.ini's DefaultTripTime for the others.
    std::function<TripTimes()> tripTimes = [] { return TripTimes(); };
    // The charset batch names go to the server in; null: not checked.
    const TextCodec* wire = nullptr;
    // Whether a request would go out now, asked before an action that sends.
    std::function<bool()> canSend = [] { return true; };
    // Whether documents of the server wait in the hold (a report run fetches its track): the
    // server has answered, it is not silent.
    std::function<bool()> answersWaiting = [] { return false; };
};

}  // namespace fw
