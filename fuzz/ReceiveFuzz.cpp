// Bytes from the server through the whole receive path: framing, conversion, parsing and the
// dispatcher with its stores and database, as the main window wires them.
#include <stdlib.h>

#include <string>

#include "fuzz/FuzzSupport.h"
#include "net/Dispatcher.h"
#include "net/ReceivePipeline.h"
#include "routes/RouteStore.h"
#include "store/Database.h"
#include "store/StopTimeTable.h"
#include "store/VehicleStore.h"
#include "text/Encoding.h"

namespace {

class Shell : public fw::DispatchTarget,
              public fw::RouteEvents,
              public fw::ScheduleEvents,
              public fw::ReportEvents,
              public fw::ReceiveHandler {
public:
    Shell(fw::RouteStore& routes, fw::VehicleStore& vehicles, fw::StopTimeTable& table)
        : dispatcher_(routes, vehicles, table, *this) {
        dispatcher_.SetUser("调度员");
        dispatcher_.SetRouteEvents(this);
        dispatcher_.SetScheduleEvents(this);
        dispatcher_.SetReportEvents(this);
    }

    // ReceiveHandler
    void WriteLog(std::string_view text) override { logged_ += text.size(); }
    bool Dispatch(fw::Message& message) override { return dispatcher_.Dispatch(message); }
    // DispatchTarget
    bool SendJson(const Json::Value& message) override { return !message.isNull(); }
    bool LoginResult(const std::string& result, const std::string&) override {
        return result == "succeed";
    }
    void AddGroupChoice(const std::string&) override {}
    void AddVehicleChoice(const std::string&) override {}
    // The pages
    void RouteStationsArrived(const fw::RouteRecord&, const std::string&) override {}
    bool SendDayContent() override { return true; }
    bool FinishScheduleSave() override { return true; }
    void AddScheduleRow(const std::string&, const std::string&, const std::string&) override {}
    bool ReportBatchEnded(bool) override { return true; }
    void AddReportRow(const fw::Message&) override {}

private:
    fw::Dispatcher dispatcher_;
    std::size_t logged_ = 0;
};

constexpr const char* kCharsets[] = {"GBK", "GB18030", "Big5", "Shift_JIS", "UTF-8"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One store for the whole run, emptied now and then: opening one per input would measure
    // SQLite's start-up rather than the receive path.
    static fw::Database db;
    static int inputs = 0;
    if (!db.IsOpen()) {
        char dir[] = "/tmp/fenwarde-fuzz-XXXXXX";
        if (mkdtemp(dir) == nullptr || !db.Open(dir, "fuzz", "")) fw::fuzz::Fail("no database");
    }
    fw::StopTimeTable table(db);
    if (++inputs % 1000 == 0) table.DeleteAllStopTimes();

    if (size < 2) return 0;
    const fw::TextCodec codec(kCharsets[data[0] % 5]);
    fw::fuzz::Rng rng(data[1]);
    const std::string_view stream(reinterpret_cast<const char*>(data) + 2, size - 2);

    fw::RouteStore routes;
    fw::VehicleStore vehicles;
    Shell shell(routes, vehicles, table);
    fw::ReceivePipeline pipeline(codec);
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t n = std::min(1 + rng.Below(256), stream.size() - at);
        pipeline.OnRead(stream.substr(at, n), shell);
        at += n;
    }
    return 0;
}
