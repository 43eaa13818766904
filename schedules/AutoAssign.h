#pragma once

#include <string>
#include <vector>

#include "schedules/RosterCheck.h"

namespace fw {

// What automatic vehicle assignment is given: the batches' spans (as the roster checks take
// them), the group's vehicles in order, and the cells already typed, which stay.
struct AutoAssignRequest {
    std::vector<std::string> batches;  // names, for the findings
    std::vector<BatchSpan> spans;      // one per batch
    std::vector<std::string> vehicles;
    int minTurnaround = kDefaultMinTurnaround;
    int days = 1;
    // fixed[day][batch]: a plate typed there, kept for that day; empty: free. May be empty or
    // shorter than `days`.
    std::vector<std::vector<std::string>> fixed;
};

struct DayAssignment {
    std::vector<std::string> plates;  // per batch; the typed plate, the planned one, or empty
    std::vector<bool> planned;        // per batch: the plate is this plan's (not typed)
    int need = 0;                     // the most batches holding a vehicle at one moment
    int used = 0;                     // vehicles on the day's batches
    int unassigned = 0;               // batches left without a vehicle
};

struct AutoAssignment {
    std::vector<DayAssignment> days;
    std::vector<std::string> findings;  // what was taken differently from how it stands, and why
    int vehicles = 0;                   // distinct plates at hand
    int Need() const;
    int Used() const;
    int Unassigned() const;
    // "自动配车：需 7 辆，已配 7 辆，每天轮换", or when short "自动配车：需 9 辆，只有 7 辆：12 个班次未配车".
    std::string Summary() const;
};

// Assigns vehicles to every free batch of every day so that no vehicle holds two batches that
// overlap or leave less than minTurnaround between them (its last batch of one day and its
// first of the next included), using on each day the fewest vehicles that day allows: the most
// batches holding a vehicle at one moment, turnaround included. Batches go by start, each to a
// vehicle the day already uses that is free by then (the one free longest), else to the next
// vehicle in the day's order; the order starts one place further on each day, so vehicles take
// turns at early and late batches as the carry-down does. Typed plates stay and are planned
// around. When the vehicles are too few, what fits is assigned and the rest stays empty.
// Batches without a readable time are not assigned (a finding); so is nothing else.
AutoAssignment AutoAssign(const AutoAssignRequest& request);

}  // namespace fw
