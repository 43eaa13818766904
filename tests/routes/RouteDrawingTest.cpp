#include <gtest/gtest.h>

#include "routes/RouteDrawing.h"

namespace fw {
namespace {

std::string Fields(const StationRecord& s) {
    return s.id + "|" + s.name + "|" + s.latitude + "|" + s.longitude + "|" + s.time + "|" + s.serialNumber;
}

TEST(RouteDrawing, FieldsAreTakenAtSingleCommasAndMissingOnesAreEmpty) {
    const struct {
        const char* command;
        const char* name;
        const char* time;
        const char* length;  // after this one command
        const char* total;
    } rows[] = {
        {"marker,S1,A,1,2,1.5,7,", "A", "7", "1.50", "00:07"},          // a trailing comma
        {"marker,S1,A,1,2,1.5", "A", "", "1.50", "00:00"},              // six fields
        {"marker,S1,A,1,2,1.5,7,extra,more", "A", "7", "1.50", "00:07"},  // more than seven
        {"marker,S1,A,1,2,far,soon", "A", "soon", "0.00", "00:00"},     // not numbers: 0
        {"marker,S1,A,1,2,2.5km,12min", "A", "12min", "2.50", "00:12"},  // leading digits count
        {"marker,S1", "", "", "0.00", "00:00"},
        {" marker ,S1,,,,,", "", "", "0.00", "00:00"},
        {"marker,S1,A,1,2,1e39,5", "A", "5", "0.00", "00:05"},          // too far to add up
    };
    for (const auto& row : rows) {
        RouteDrawing d;
        ASSERT_EQ(d.Apply(row.command).outcome, RouteDrawing::Outcome::Added) << row.command;
        EXPECT_EQ(d.Working().stations.at(0).name, row.name) << row.command;
        EXPECT_EQ(d.Working().stations.at(0).time, row.time) << row.command;
        EXPECT_EQ(d.LengthText(), row.length) << row.command;
        EXPECT_EQ(d.TimeText(), row.total) << row.command;
    }
}

TEST(RouteDrawing, OtherCommandsAndEmptyIdentifiersAddNothingAndSayWhy) {
    const struct {
        const char* command;
        RouteDrawing::Outcome outcome;
        const char* log;
    } rows[] = {
        {"Marker,S1,A,1,2,3,4", RouteDrawing::Outcome::NotMarker, "CMD NOT:Marker"},
        {"alarm,浙A1,超速", RouteDrawing::Outcome::NotMarker, "CMD NOT:alarm"},
        {"", RouteDrawing::Outcome::NotMarker, "CMD NOT:"},
        {"marker,,A,1,2,3,4", RouteDrawing::Outcome::EmptyId, "标注id为空"},
        {"marker,   ,A", RouteDrawing::Outcome::EmptyId, "标注id为空"},
        {"marker", RouteDrawing::Outcome::EmptyId, "标注id为空"},
    };
    for (const auto& row : rows) {
        RouteDrawing d;
        const auto applied = d.Apply(row.command);
        EXPECT_EQ(applied.outcome, row.outcome) << row.command;
        EXPECT_EQ(applied.logLine, row.log) << row.command;
        EXPECT_EQ(d.Working().stations.size() + d.StationCounter() + d.stationsText.size(), 0u) << row.command;
    }
}

TEST(RouteDrawing, TotalTimeShowsHoursModuloADay) {
    const struct {
        std::int64_t minutes;
        const char* text;
    } rows[] = {{0, "00:00"}, {15, "00:15"}, {59, "00:59"}, {60, "01:00"}, {1439, "23:59"},
                {1440, "00:00"}, {1500, "01:00"}, {-30, "-00:30"}, {-1500, "-01:00"}};
    for (const auto& row : rows) EXPECT_EQ(FormatRouteTime(row.minutes), row.text) << row.minutes;

    EXPECT_EQ(FormatRouteLength(0.125f), "0.12");  // printf rounding of an exact half
    EXPECT_EQ(FormatRouteLength(12345.5f), "12345.50");

    RouteDrawing d;
    d.Apply("marker,a,A,,,0,700");
    d.Apply("marker,b,B,,,0,800");
    EXPECT_EQ(d.TimeText(), "01:00");  // 1500 minutes
    // A total beyond the span's range stays invalid until the drawing is reset.
    for (int i = 0; i < 3; ++i) d.Apply("marker,x,X,,,0,2147483647");
    EXPECT_FALSE(d.TotalTimeValid());
    EXPECT_EQ(d.TimeText(), "00:00");
    d.Apply("marker,y,Y,,,0,-2147483647");
    EXPECT_FALSE(d.TotalTimeValid());
    d.Reset();
    EXPECT_TRUE(d.TotalTimeValid());
}

// Markers become stations with their totals and serial numbers; the route is saved once it has a
// name and two stations, with the totals as shown; resetting starts the count again.
TEST(RouteDrawing, MarkersMakeARouteThatIsSavedWithItsTotalsOnceNamedWithTwoStations) {
    RouteDrawing d;
    d.Apply("marker,S1,  A  ,30.1,120.1,0,7");
    EXPECT_EQ(d.SaveRefusal(), "线路名称不能为空");
    d.routeName = " 新线 ";
    EXPECT_EQ(d.SaveRefusal(), "线路上的点不能少于2个");
    d.Apply("marker,S2,B,30.2,120.2,1.25,4");
    d.routeName = "  \t";
    EXPECT_EQ(d.SaveRefusal(), "线路名称不能为空");
    d.routeName = " 新线 ";
    EXPECT_EQ(d.SaveRefusal(), "");
    EXPECT_EQ(d.stationsText, "A — B");
    EXPECT_EQ(Fields(d.Working().stations[0]), "S1|A|30.1|120.1|7|0");

    const RouteRecord route = d.RouteToSave();
    EXPECT_EQ(route.lineName + "|" + route.length + "|" + route.time + "|" + route.lineId, "新线|1.25|00:11|");
    EXPECT_EQ(route.stations.size(), 2u);
    EXPECT_EQ(d.Working().stations.size(), 2u);  // kept until the route is sent
    const DrawnRoute request = SaveRequestFor(route, "调度员");
    EXPECT_EQ(request.userName + "|" + request.counterDistance + "|" + request.counterTime, "调度员|1.25|00:11");
    ASSERT_EQ(request.stations.size(), 2u);
    const DrawnStation& b = request.stations[1];
    EXPECT_EQ(b.markId + "|" + b.markName + "|" + b.serialNumber + "|" + b.time, "S2|B|1|4");

    d.Reset();
    EXPECT_EQ(d.routeName + d.stationsText + d.LengthText() + d.TimeText(), "");
    d.Apply("marker,S3,C,0,0,2,5");
    EXPECT_EQ(d.Working().stations[0].serialNumber, "0");
    EXPECT_EQ(d.LengthText(), "2.00");
}

}  // namespace
}  // namespace fw
