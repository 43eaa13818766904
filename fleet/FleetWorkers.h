#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fleet/VehicleDayRun.h"

namespace fw {

class RouteStore;

// The detection of a fleet run on a pool of threads. Each thread has its own copy of the routes
// (the detection keeps presence states in them). Results are handed to `done` on the worker's
// thread, in the order they finish. The threads run at a lower priority than the one that talks
// to the server: the run waits on each vehicle-day's stop rows in turn, so answering them
// promptly keeps the pool fed, while detection can take whatever time is left.
class FleetWorkers {
public:
    using Done = std::function<void(std::size_t index, VehicleDayResult result)>;

    // The routes are copied for each thread.
    FleetWorkers(int jobs, const RouteStore& routes, FleetContext context, Done done);
    // Stops: waiting vehicle-days are dropped, running ones finish first.
    ~FleetWorkers();
    FleetWorkers(const FleetWorkers&) = delete;
    FleetWorkers& operator=(const FleetWorkers&) = delete;

    void Submit(std::size_t index, VehicleDayInput input);
    // Drops what waits and lets no more start; running ones finish (their results still come).
    void Stop();

private:
    void Work(int worker);

    const FleetContext context_;
    Done done_;
    std::vector<std::unique_ptr<RouteStore>> routes_;  // one per thread
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::pair<std::size_t, VehicleDayInput>> queue_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace fw
