#include "sim/WebSite.h"

#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QTime>
#include <QUrl>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include <json/writer.h>

#include "sim/Geo.h"
#include "sim/ReportRows.h"
#include "text/Encoding.h"
#include "text/OleDate.h"

// Resources of a static library must be registered by name.
static void InitSimResources() { Q_INIT_RESOURCE(sim); }

namespace fw::sim {
namespace {

const QByteArray kHtml = "text/html; charset=utf-8";
const QByteArray kJson = "application/json; charset=utf-8";

std::string WriteCompact(const Json::Value& v) {
    Json::StreamWriterBuilder b;
    b["indentation"] = "";
    b["emitUTF8"] = true;
    b["precision"] = 6;
    b["precisionType"] = "decimal";
    return Json::writeString(b, v);
}

QByteArray Resource(const QString& name) {
    QFile f(QStringLiteral(":/sim/pages/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Escape(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QHttpServerResponse Page(const QByteArray& html) { return QHttpServerResponse(kHtml, html); }

std::string Value(const std::map<std::string, std::string>& q, const char* key) {
    auto it = q.find(key);
    return it == q.end() ? std::string() : it->second;
}

std::map<std::string, std::string> Query(const QHttpServerRequest& request) {
    return ParseQueryBytes(request.url().query(QUrl::FullyEncoded).toLatin1());
}

}  // namespace

std::map<std::string, std::string> ParseQueryBytes(const QByteArray& encodedQuery) {
    std::map<std::string, std::string> out;
    for (const QByteArray& pair : encodedQuery.split('&')) {
        if (pair.isEmpty()) continue;
        const int eq = pair.indexOf('=');
        const QByteArray key = QByteArray::fromPercentEncoding(eq < 0 ? pair : pair.left(eq));
        const QByteArray value = eq < 0 ? QByteArray() : QByteArray::fromPercentEncoding(pair.mid(eq + 1));
        out.emplace(key.toStdString(), value.toStdString());
    }
    return out;
}

namespace {

char* Put(char* p, std::string_view text) { return std::copy(text.begin(), text.end(), p); }

// The most a coordinate's text takes: "%f" of the largest double.
constexpr std::size_t kLongestCoordinate = 400;

// JsonCpp's "decimal" precision 6: at most six decimals, trailing zeros dropped but one kept.
// Fixes hold six decimals, so whole millionths give the digits printf would.
char* PutCoordinate(char* p, double value) {
    const double micro = std::fabs(value) * 1e6;
    if (micro < 1e15) {
        const long long whole = std::llround(micro);
        if (std::signbit(value)) *p++ = '-';
        p = std::to_chars(p, p + 24, whole / 1000000).ptr;
        *p++ = '.';
        long long rest = whole % 1000000;
        for (int i = 5; i >= 0; --i, rest /= 10) p[i] = static_cast<char>('0' + rest % 10);
        int digits = 6;
        while (digits > 1 && p[digits - 1] == '0') --digits;
        return p + digits;
    }
    const auto [end, ec] = std::to_chars(p, p + kLongestCoordinate, value, std::chars_format::fixed, 6);
    if (ec != std::errc()) return Put(p, "0.0");
    char* last = end;
    while (last - p > 2 && last[-1] == '0' && last[-2] != '.') --last;
    return last;
}

// FormatSeconds, with the date text made once per day: a day's fixes share it. At most 31
// characters.
class TimeWriter {
public:
    char* Put(char* p, long long seconds) {
        if (seconds >= 0) {
            const long long day = seconds / 86400;
            if (day != day_) {
                day_ = day;
                date_ = FormatDay(day * 86400);
            }
        }
        if (seconds < 0 || date_.size() != 10) return sim::Put(p, FormatSeconds(seconds));
        p = sim::Put(p, date_);
        const long long t = seconds % 86400;
        const int parts[3] = {static_cast<int>(t / 3600), static_cast<int>(t / 60 % 60), static_cast<int>(t % 60)};
        for (int i = 0; i < 3; ++i) {
            *p++ = i == 0 ? ' ' : ':';
            *p++ = static_cast<char>('0' + parts[i] / 10);
            *p++ = static_cast<char>('0' + parts[i] % 10);
        }
        return p;
    }

private:
    long long day_ = -1;
    std::string date_;
};

// A correction is the same for nearly every fix of a track: its text is kept from the last one.
class CorrectionWriter {
public:
    char* Put(char* p, double value) {
        if (length_ == 0 || value != value_ || std::signbit(value) != std::signbit(value_)) {
            value_ = value;
            length_ = static_cast<std::size_t>(PutCoordinate(text_, value) - text_);
        }
        return std::copy(text_, text_ + length_, p);
    }

private:
    double value_ = 0.0;
    char text_[kLongestCoordinate] = {};
    std::size_t length_ = 0;
};

// One fix as the reply holds it, put together in a buffer and appended once: a day has thousands.
class FixWriter {
public:
    void Append(std::string& out, const Fix& f) {
        char* p = Put(buffer_, R"({"gpst":")");
        p = times_.Put(p, f.gpsTime);
        p = Put(p, R"(","lat":)");
        p = PutCoordinate(p, f.lat);
        p = Put(p, R"(,"lat_xz":)");
        p = latFix_.Put(p, f.latXz);
        p = Put(p, R"(,"lng":)");
        p = PutCoordinate(p, f.lng);
        p = Put(p, R"(,"lng_xz":)");
        p = lngFix_.Put(p, f.lngXz);
        p = Put(p, R"(,"recvt":")");
        p = times_.Put(p, f.receiveTime);
        p = Put(p, R"("})");
        out.append(buffer_, static_cast<std::size_t>(p - buffer_));
    }

private:
    TimeWriter times_;
    CorrectionWriter latFix_, lngFix_;
    char buffer_[4 * kLongestCoordinate + 256];  // four coordinates, two times, the keys
};

}  // namespace

std::string WriteTrackReply(const std::vector<Fix>& fixes) {
    std::string out;
    out.reserve(40 + fixes.size() * 150);
    out += R"({"msg":"","result":true,"topics":[)";
    FixWriter writer;
    for (std::size_t i = 0; i < fixes.size(); ++i) {
        if (i > 0) out += ',';
        writer.Append(out, fixes[i]);
    }
    out += "]}";
    return out;
}

WebSite::WebSite(SimState& state, LogFn log, QObject* parent)
    : QObject(parent), state_(state), log_(std::move(log)), http_(std::make_unique<QHttpServer>()) {
    InitSimResources();
    Routes();
}

WebSite::~WebSite() {
    // The pool's replies are posted to this object: none may be on its way once it is gone.
    makers_.waitForDone();
}

bool WebSite::Listen(const QHostAddress& address, quint16 port, QString* error) {
    tcp_ = new QTcpServer(http_.get());
    if (!tcp_->listen(address, port)) {
        if (error)
            *error = QStringLiteral("cannot listen for the web site on %1:%2: %3")
                         .arg(address.toString())
                         .arg(port)
                         .arg(tcp_->errorString());
        delete tcp_;
        tcp_ = nullptr;
        return false;
    }
    http_->bind(tcp_);
    return true;
}

quint16 WebSite::Port() const { return tcp_ ? tcp_->serverPort() : 0; }

void WebSite::Routes() {
    auto logged = [this](const QHttpServerRequest& r) {
        Log(QStringLiteral("HTTP %1 %2").arg(r.remoteAddress().toString(), r.url().toString(QUrl::FullyEncoded)));
    };
    http_->route("/Interface/GetJsonVdata", [this, logged](const QHttpServerRequest& r, QHttpServerResponder&& out) {
        logged(r);
        // The reply is made on the pool and sent from here once made; meanwhile this thread
        // answers other requests, and the dispatch port, as a server's separate services would.
        auto make = PrepareTrackReply(Query(r));
        auto responder = std::make_shared<QHttpServerResponder>(std::move(out));
        QPointer<QTcpSocket> socket = responder->socket();
        const TrackFault fault = trackFault_;
        // The responder is handed on, never left behind on the pool's thread.
        makers_.start([this, make = std::move(make), responder, socket, fault]() mutable {
            auto made = std::make_shared<TrackReplyMade>(make());
            QMetaObject::invokeMethod(
                this,
                [this, made, responder = std::move(responder), socket, fault] {
                    if (!made->log.isEmpty()) Log(made->log);
                    // A client that gave up meanwhile has nobody to answer.
                    if (socket) ServeTrack(QByteArray::fromStdString(made->body), std::move(*responder), fault);
                },
                Qt::QueuedConnection);
        });
    });
    http_->route("/sim/api/track-fault", [this](const QHttpServerRequest& r) {
        const std::string wanted = Value(Query(r), "set");
        std::string error;
        if (!wanted.empty()) {
            const auto fault = TrackFault::Parse(wanted, &error);
            if (!fault)
                return QHttpServerResponse("text/plain", QByteArray::fromStdString(error + "\n"),
                                           QHttpServerResponder::StatusCode::BadRequest);
            trackFault_ = *fault;
            Log(QStringLiteral("track interface now answers: %1").arg(QString::fromStdString(trackFault_.Text())));
        }
        return QHttpServerResponse("text/plain", QByteArray::fromStdString(trackFault_.Text() + "\n"));
    });
    http_->route("/myquorvel/quorvel/jsp/cmonitor/markerBD.jsp", [logged](const QHttpServerRequest& r) {
        logged(r);
        return Page(Resource("markerBD.html"));
    });
    http_->route("/myquorvel/quorvel/jsp/AutomaticLogin.jsp", [this, logged](const QHttpServerRequest& r) {
        logged(r);
        return MonitorPage(r);
    });
    http_->route("/tamstatic/jsp/login/loginx.jsp", [this, logged](const QHttpServerRequest& r) {
        logged(r);
        return ReportPage(r);
    });
    http_->route("/sim/map.js", [](const QHttpServerRequest&) {
        return QHttpServerResponse("text/javascript; charset=utf-8", Resource("map.js"));
    });
    http_->route("/sim/api/map", [this](const QHttpServerRequest&) { return QHttpServerResponse(kJson, MapFeed()); });
    http_->route("/sim/api/positions", [this](const QHttpServerRequest& r) {
        return QHttpServerResponse(kJson, PositionsFeed(GbkToUtf8(Value(Query(r), "at"))));
    });
    http_->setMissingHandler([this](const QHttpServerRequest& r, QHttpServerResponder&& responder) {
        Log(QStringLiteral("HTTP %1 %2: not found").arg(r.remoteAddress().toString(), r.url().path()));
        responder.write(QByteArray("not found\n"), "text/plain", QHttpServerResponder::StatusCode::NotFound);
    });
}

std::string WebSite::TrackReply(const std::map<std::string, std::string>& query) {
    TrackReplyMade made = PrepareTrackReply(query)();
    if (!made.log.isEmpty()) Log(made.log);
    return std::move(made.body);
}

std::function<WebSite::TrackReplyMade()> WebSite::PrepareTrackReply(const std::map<std::string, std::string>& q) {
    auto fail = [&](const std::string& msg) {
        Json::Value reply(Json::objectValue);
        reply["result"] = false;
        reply["msg"] = msg;
        reply["topics"] = Json::Value(Json::arrayValue);
        Log(QStringLiteral("track request refused: %1").arg(QString::fromStdString(msg)));
        return [body = WriteCompact(reply)] { return TrackReplyMade{body, {}}; };
    };
    if (Value(q, "key") != kTrackKey) return fail("访问密钥无效");
    const std::string beginText = GbkToUtf8(Value(q, "begin_time"));
    const std::string endText = GbkToUtf8(Value(q, "end_time"));
    const auto begin = ParseSeconds(beginText);
    const auto end = ParseSeconds(endText);
    if (!begin || !end) return fail("时间格式错误，应为 yyyy-MM-dd HH:mm:ss");
    if (*end < *begin) return fail("结束时间早于开始时间");
    const std::string plate = GbkToUtf8(Value(q, "vehicle"));
    const Vehicle* v = state_.scenario().FindVehicle(GbkToUtf8(Value(q, "vhcid")), plate);
    if (!v) v = state_.scenario().FindVehicle({}, plate);
    if (!v) return fail("车辆不存在");
    // Every day the range touches; the dates outside all schedules have no fixes.
    std::vector<TrackSource> days;
    for (long long day = *begin / 86400 * 86400; day <= *end; day += 86400)
        days.push_back(state_.TrackSourceOf(v->code, FormatDay(day)));
    const bool reversed = Value(q, "timeorder") == "1";
    return [days = std::move(days), from = *begin, to = *end, reversed, code = v->code] {
        std::vector<Fix> fixes;
        for (const TrackSource& source : days) {
            const auto track = source.Track();
            auto first = std::lower_bound(track->fixes.begin(), track->fixes.end(), from,
                                          [](const Fix& f, long long t) { return f.gpsTime < t; });
            auto last = std::upper_bound(track->fixes.begin(), track->fixes.end(), to,
                                         [](long long t, const Fix& f) { return t < f.gpsTime; });
            fixes.insert(fixes.end(), first, last);
        }
        if (reversed) std::reverse(fixes.begin(), fixes.end());
        QString log = QStringLiteral("track of %1: %2 fixes").arg(QString::fromStdString(code)).arg(fixes.size());
        return TrackReplyMade{WriteTrackReply(fixes), std::move(log)};
    };
}

void WebSite::ServeTrack(const QByteArray& body, QHttpServerResponder&& responder, const TrackFault& trackFault) {
    switch (trackFault.kind) {
        case TrackFault::Kind::None:
            responder.write(body, kJson);
            return;
        case TrackFault::Kind::Status:
            responder.write(QByteArrayLiteral("<html><body><h1>track service unavailable</h1></body></html>"), kHtml,
                            static_cast<QHttpServerResponder::StatusCode>(trackFault.value));
            return;
        case TrackFault::Kind::Slow:
        case TrackFault::Kind::Cut:
            break;
    }
    // The reply is written by hand: the whole length is announced, the body follows in pieces
    // (or only half of it does, and the connection is reset).
    QPointer<QTcpSocket> socket = responder.socket();
    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + kJson + "\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n");
    if (trackFault.kind == TrackFault::Kind::Cut) {
        socket->write(body.left(body.size() / 2));
        QTimer::singleShot(100, socket, [socket] {
            if (socket) socket->abort();
        });
        Log(QStringLiteral("track reply cut after %1 of %2 bytes").arg(body.size() / 2).arg(body.size()));
        return;
    }
    constexpr int kPieces = 20;
    const qsizetype piece = (body.size() + kPieces - 1) / kPieces;
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, body, piece, sent] {
        socket->write(body.mid(*sent, piece));
        *sent += piece;
        if (*sent >= body.size()) timer->deleteLater();
    });
    timer->start(std::max(1, trackFault.value / kPieces));
}

long long WebSite::MonitorTime(const std::string& at) const {
    const long long day = *ParseSeconds(state_.scenario().date);
    if (const auto t = ParseTimeOfDay(at)) return day + *t;
    if (clockStart_) return day + *clockStart_ + clockRunning_.elapsed() / 1000;
    return day + QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

void WebSite::StartClockAt(int secondsOfDay) {
    clockStart_ = secondsOfDay;
    clockRunning_.start();
}

QByteArray WebSite::MapFeed() const {
    const Scenario& sc = state_.scenario();
    Json::Value root(Json::objectValue);
    Json::Value& stations = root["stations"] = Json::Value(Json::arrayValue);
    for (const auto& s : sc.stations) stations.append(StationToJson(s));
    Json::Value& lines = root["lines"] = Json::Value(Json::arrayValue);
    for (const auto& l : sc.lines) {
        Json::Value o;
        o["name"] = l.name;
        Json::Value& ids = o["stations"] = Json::Value(Json::arrayValue);
        for (const auto& stop : l.stops) ids.append(stop.stationId);
        lines.append(o);
    }
    return QByteArray::fromStdString(WriteCompact(root));
}

QByteArray WebSite::PositionsFeed(const std::string& at) {
    const Scenario& sc = state_.scenario();
    const long long now = MonitorTime(at);
    Json::Value root(Json::objectValue);
    root["time"] = FormatSeconds(now);
    Json::Value& list = root["vehicles"] = Json::Value(Json::arrayValue);
    for (const auto& v : sc.vehicles) {
        Json::Value o;
        o["code"] = v.code;
        o["group"] = v.group;
        const Trip* current = nullptr;
        const Trip* firstTrip = nullptr;
        const Trip* lastTrip = nullptr;
        for (const auto& t : sc.trips) {
            if (t.vehicle != v.code || t.stops.empty() || t.stops.front().trueReach.empty()) continue;
            if (!firstTrip) firstTrip = &t;
            lastTrip = &t;
            if (t.stops.front().trueReach <= FormatSeconds(now) && FormatSeconds(now) <= t.stops.back().trueLeave)
                current = &t;
        }
        std::string status = "未出车";
        if (current) status = "运行";
        else if (lastTrip && FormatSeconds(now) > lastTrip->stops.back().trueLeave) status = "收车";
        else if (firstTrip && FormatSeconds(now) >= firstTrip->stops.front().trueReach) status = "待发";
        o["status"] = status;
        const Trip* shown = current ? current : (lastTrip && status == "收车" ? lastTrip : firstTrip);
        o["line"] = shown ? shown->line : "";
        o["batch"] = current ? current->batch : "";
        if (auto p = state_.Track(v.code)->PositionAt(static_cast<double>(now))) {
            o["lat"] = p->lat;
            o["lng"] = p->lng;
        }
        list.append(o);
    }
    return QByteArray::fromStdString(WriteCompact(root));
}

QHttpServerResponse WebSite::MonitorPage(const QHttpServerRequest& request) {
    // The client signs in with GBK values.
    const auto q = Query(request);
    const std::string user = GbkToUtf8(Value(q, "uName"));
    std::string why = state_.CheckLogin(user, GbkToUtf8(Value(q, "uPass")));
    if (why.empty() && Value(q, "uType") != "100") why = "用户类型错误";
    if (!why.empty()) {
        Log(QStringLiteral("monitoring sign-in of %1 refused: %2").arg(QString::fromStdString(user),
                                                                     QString::fromStdString(why)));
        QByteArray html = Resource("refused.html");
        html.replace("{{MESSAGE}}", Escape(why).toUtf8());
        return Page(html);
    }
    QByteArray html = Resource("monitor.html");
    html.replace("{{USER}}", Escape(user).toUtf8());
    return Page(html);
}

QHttpServerResponse WebSite::ReportPage(const QHttpServerRequest& request) {
    // The web report site takes UTF-8 values.
    const auto q = Query(request);
    const std::string user = Value(q, "uName");
    std::string why = state_.CheckLogin(user, Value(q, "uPass"));
    if (why.empty() && Value(q, "uType") != "tamsid") why = "用户类型错误";
    QByteArray html = Resource("report.html");
    if (!why.empty()) {
        Log(QStringLiteral("web report sign-in of %1 refused: %2").arg(QString::fromStdString(user),
                                                                     QString::fromStdString(why)));
        html.replace("{{USER}}", "");
        html.replace("{{DATE}}", "");
        html.replace("{{CONTENT}}", ("<p class=\"error\">" + Escape(why) + "</p>").toUtf8());
        return Page(html);
    }
    const Scenario& sc = state_.scenario();
    QString table = QStringLiteral(
        "<table><thead><tr><th>车牌号码</th><th>公司</th><th>线路</th><th>计划站次</th><th>到站</th>"
        "<th>准点</th><th>迟到</th><th>久滞</th><th>准点率</th><th>最大迟到</th></tr></thead><tbody>");
    int allPlanned = 0, allPunctual = 0;
    for (const auto& v : sc.vehicles) {
        const auto rows = ComputeReportRows(sc, {&v}, sc.date + " 00:00:00", sc.date + " 23:59:59");
        int arrived = 0, punctual = 0, late = 0, lingered = 0;
        long long worst = 0;
        std::string line;
        for (const auto& r : rows) {
            line = r.linenaem;
            if (r.realreachtime.empty()) continue;
            ++arrived;
            const long long d = *ParseSeconds(r.realreachtime) - *ParseSeconds(r.planreachtime);
            if (d > 0) ++late;
            if (d <= 180) ++punctual;
            worst = std::max(worst, d);
            if (!Lateness("", r.planleavetime, r.realleavetime).empty()) ++lingered;
        }
        allPlanned += static_cast<int>(rows.size());
        allPunctual += punctual;
        const QString rate = rows.empty() ? QStringLiteral("—")
                                          : QString::number(100.0 * punctual / static_cast<double>(rows.size()), 'f', 1) + "%";
        const QString worstText = worst > 0 ? QStringLiteral("%1:%2:%3")
                                                  .arg(worst / 3600, 2, 10, QLatin1Char('0'))
                                                  .arg(worst / 60 % 60, 2, 10, QLatin1Char('0'))
                                                  .arg(worst % 60, 2, 10, QLatin1Char('0'))
                                            : QStringLiteral("—");
        table += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                                "<td class=\"late\">%7</td><td class=\"late\">%8</td><td>%9</td><td>%10</td></tr>")
                     .arg(Escape(v.code), Escape(v.group), Escape(line))
                     .arg(rows.size())
                     .arg(arrived)
                     .arg(punctual)
                     .arg(late)
                     .arg(lingered)
                     .arg(rate, worstText);
    }
    table += QStringLiteral("</tbody></table>");
    const QString summary =
        QStringLiteral("<p class=\"summary\">全部车辆计划站次 %1，准点（迟到不超过 3 分钟）%2，准点率 %3</p>")
            .arg(allPlanned)
            .arg(allPunctual)
            .arg(allPlanned ? QString::number(100.0 * allPunctual / allPlanned, 'f', 1) + "%" : QStringLiteral("—"));
    html.replace("{{USER}}", Escape(user).toUtf8());
    html.replace("{{DATE}}", Escape(sc.date).toUtf8());
    html.replace("{{CONTENT}}", (summary + table).toUtf8());
    return Page(html);
}

}  // namespace fw::sim
