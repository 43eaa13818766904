#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "net/Framer.h"
#include "net/JsonWriter.h"
#include "net/Message.h"
#include "text/Encoding.h"

namespace {

// A realistic mix of what the server pushes: many stop-time rows (9017) and some station lists
// (9003), in GBK with Chinese names, as the server writes them.
std::vector<std::string> MakeDocuments(std::size_t count) {
    fw::TextCodec gbk("GBK");
    std::vector<std::string> docs;
    for (std::size_t i = 0; i < count; ++i) {
        Json::Value root = fw::MakeMessage(i % 20 == 0 ? "9003" : "9017");
        Json::Value& body = root["body"];
        if (i % 20 == 0) {
            body["lineId"] = std::to_string(i);
            Json::Value& stations = body["stationns"] = Json::Value(Json::arrayValue);
            for (int s = 0; s < 25; ++s) {
                Json::Value st(Json::objectValue);
                st["id"] = std::to_string(1000 + s);
                st["name"] = "人民广场{东}站" + std::to_string(s);
                st["lat"] = "31.2" + std::to_string(s * 37 % 1000);
                st["lng"] = "121.4" + std::to_string(s * 53 % 1000);
                st["time"] = std::to_string(s % 7 + 1);
                stations.append(st);
            }
        } else {
            body["code"] = "沪A" + std::to_string(10000 + i % 12);
            body["batchname"] = "第" + std::to_string(i % 9 + 1) + "班";
            body["linenaem"] = "七十一路";
            body["batchdate"] = "2014-08-25";
            body["planreachtime"] = "2014-08-25 07:" + std::to_string(10 + i % 50) + ":00";
            body["planleavetime"] = "2014-08-25 07:" + std::to_string(10 + i % 50) + ":30";
            body["userMarkName"] = "延安东路外滩站";
            body["flag"] = "1";
        }
        docs.push_back(fw::EncodeForWire(root, gbk));
    }
    return docs;
}

struct Corpus {
    std::vector<std::string> documents;
    std::vector<std::string> reads;  // the same bytes cut at random points
    std::size_t bytes = 0;
};

const Corpus& GetCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        c.documents = MakeDocuments(2000);
        std::string stream;
        for (const auto& d : c.documents) stream += d;
        c.bytes = stream.size();
        std::mt19937 rng(42);
        std::uniform_int_distribution<std::size_t> cut(1, 4096);
        for (std::size_t pos = 0; pos < stream.size();) {
            const std::size_t n = std::min(cut(rng), stream.size() - pos);
            c.reads.push_back(stream.substr(pos, n));
            pos += n;
        }
        return c;
    }();
    return corpus;
}

void BM_FrameAndParse(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    fw::TextCodec gbk("GBK");
    for (auto _ : state) {
        fw::Framer framer;
        std::size_t parsed = 0;
        for (const std::string& read : c.reads) {
            framer.Append(read);
            while (auto doc = framer.Next()) parsed += fw::ParseDocument(gbk.ToUtf8(*doc)).has_value();
        }
        if (parsed != c.documents.size()) state.SkipWithError("documents lost");
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.bytes));
}
BENCHMARK(BM_FrameAndParse)->Unit(benchmark::kMillisecond);

void BM_ParseOnly(benchmark::State& state) {
    const Corpus& c = GetCorpus();
    fw::TextCodec gbk("GBK");
    for (auto _ : state) {
        std::size_t parsed = 0;
        for (const std::string& doc : c.documents)
            parsed += fw::ParseDocument(gbk.ToUtf8(doc)).has_value();
        benchmark::DoNotOptimize(parsed);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.bytes));
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond);

}  // namespace
