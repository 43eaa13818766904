#include "fleet/FleetWorkers.h"

#include <sys/resource.h>
#include <unistd.h>

#include "routes/RouteStore.h"

namespace fw {
namespace {

// Nice steps the workers yield to the rest of the process (Linux gives each thread its own).
constexpr int kWorkerNiceness = 10;

}  // namespace

FleetWorkers::FleetWorkers(int jobs, const RouteStore& routes, FleetContext context, Done done)
    : context_(std::move(context)), done_(std::move(done)) {
    jobs = std::max(1, jobs);
    for (int w = 0; w < jobs; ++w) {
        auto copy = std::make_unique<RouteStore>();
        for (std::size_t i = 0; i < routes.Size(); ++i) copy->Append(*routes.At(i));
        routes_.push_back(std::move(copy));
    }
    for (int w = 0; w < jobs; ++w) threads_.emplace_back([this, w] { Work(w); });
}

FleetWorkers::~FleetWorkers() {
    Stop();
    for (std::thread& t : threads_) t.join();
}

void FleetWorkers::Submit(std::size_t index, VehicleDayInput input) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) return;
        queue_.emplace_back(index, std::move(input));
    }
    wake_.notify_one();
}

void FleetWorkers::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    wake_.notify_all();
}

void FleetWorkers::Work(int worker) {
    RouteStore& routes = *routes_[static_cast<std::size_t>(worker)];
    // Best effort: at the same priority the pool only runs a little slower.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), getpriority(PRIO_PROCESS, 0) + kWorkerNiceness);
    for (;;) {
        std::pair<std::size_t, VehicleDayInput> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        done_(job.first, RunVehicleDay(context_, job.second, routes));
    }
}

}  // namespace fw
