#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "net/ReceivePipeline.h"
#include "text/Encoding.h"

namespace fw {
namespace {

class Recorder : public ReceiveHandler {
public:
    void WriteLog(std::string_view text) override { log.emplace_back(text); }
    bool Dispatch(Message& m) override {
        codes.push_back(m.code);
        bodies.push_back(m.body);
        if (m.code == throwOn) throw std::runtime_error("handler fault");
        return m.code != stopOn;
    }
    bool Logged(std::string_view part) const {
        for (const auto& line : log)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
    std::vector<std::string> log;
    std::vector<int> codes;
    std::vector<Json::Value> bodies;
    int throwOn = -1;
    int stopOn = -1;
};

std::string Doc(const char* cmd, const std::string& extra = "") {
    return std::string("{\"body\":{") + extra + "},\"header\":{\"cmd\":\"" + cmd + "\"}}\n";
}

// 1005 bytes that pass the framer and nest past JsonCpp's limit: it throws instead of failing.
std::string DeeplyNested() { return "{\"a\":" + std::string(999, '[') + "}"; }

TEST(ReceivePipeline, LogsEachReadThenEachDocumentInUtf8) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    const std::string doc = Doc("1009", "\"groupname\":\"" + Utf8ToGbk("一组") + "\"");
    pipeline.OnRead(doc.substr(0, 20), r);
    pipeline.OnRead(doc.substr(20), r);
    ASSERT_EQ(r.log.size(), 3u);
    EXPECT_EQ(r.log[0], "接收：" + doc.substr(0, 20));
    EXPECT_EQ(r.log[1].rfind("接收：", 0), 0u);
    EXPECT_EQ(r.log[2] + "\n", GbkToUtf8(doc));
    EXPECT_EQ(r.codes, std::vector<int>{1009});
}

TEST(ReceivePipeline, DocumentsThatDoNotParseOrWhoseHandlingFailsAreDroppedAlone) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    r.throwOn = 1011;
    pipeline.OnRead("{\"header\":\"broken\" \"x\"}" + DeeplyNested() + Doc("1011") + Doc("9001"), r);
    pipeline.OnRead(DeeplyNested(), r);
    pipeline.OnRead(Doc("1009"), r);
    EXPECT_EQ(r.codes, (std::vector<int>{1011, 9001, 1009}));
}

TEST(ReceivePipeline, AnUnbalancedDocumentIsLoggedAndDoesNotSilenceTheRest) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    pipeline.OnRead("{\"a\":{}\n", r);
    for (int i = 0; i < 3; ++i) pipeline.OnRead(Doc("1011"), r);
    EXPECT_EQ(r.codes, (std::vector<int>{1011, 1011, 1011}));
    EXPECT_TRUE(r.Logged("接收的报文不完整（8字节）"));
}

TEST(ReceivePipeline, EndingTheLoginDiscardsTheRestOfTheRead) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    r.stopOn = 8000;
    pipeline.OnRead(Doc("8000") + Doc("1009") + "{\"header\":", r);
    EXPECT_EQ(r.codes, std::vector<int>{8000});
    EXPECT_EQ(pipeline.Buffered(), 0u);
}

TEST(ReceivePipeline, OversizeDocumentIsLoggedAndTheNextDispatched) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    pipeline.OnRead("{\"body\":{\"k\":\"" + std::string(std::size_t{9} << 20, 'x'), r);
    EXPECT_TRUE(r.Logged("已丢弃"));
    EXPECT_TRUE(r.codes.empty());
    pipeline.OnRead("\"}}" + Doc("1011"), r);
    EXPECT_EQ(r.codes, std::vector<int>{1011});
}

TEST(ReceivePipeline, FramesByTheRulesOfTheConfiguredCharset) {
    // A half-width katakana before an escaped quote: GBK's rules would take it for a lead byte,
    // swallow the backslash and lose this document and the next.
    TextCodec sjis("Shift_JIS");
    ReceivePipeline pipeline(sjis);
    Recorder r;
    pipeline.OnRead(Doc("9001", "\"k\":\"\xB1\\\"\"") + Doc("1011"), r);
    ASSERT_EQ(r.codes, (std::vector<int>{9001, 1011}));
    EXPECT_EQ(Text(r.bodies[0], "k"), "ｱ\"");
}

}  // namespace
}  // namespace fw
