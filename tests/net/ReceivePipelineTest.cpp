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
        if (m.code == throwOn) throw std::runtime_error("handler fault");
        return m.code != stopOn;
    }
    std::vector<std::string> log;
    std::vector<int> codes;
    int throwOn = -1;
    int stopOn = -1;
};

std::string Doc(const char* cmd, const std::string& extra = "") {
    return std::string("{\"body\":{") + extra + "},\"header\":{\"cmd\":\"" + cmd + "\"}}";
}

TEST(ReceivePipeline, LogsEachReadThenEachDocumentInUtf8) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    const std::string doc = Doc("1009", "\"groupname\":\"" + Utf8ToGbk("一组") + "\"");
    pipeline.OnRead(doc.substr(0, 20), r);
    pipeline.OnRead(doc.substr(20) + "\n", r);
    ASSERT_EQ(r.log.size(), 3u);
    EXPECT_EQ(r.log[0], "接收：" + doc.substr(0, 20));
    EXPECT_EQ(r.log[1].rfind("接收：", 0), 0u);
    EXPECT_EQ(r.log[2], GbkToUtf8(doc));
    EXPECT_EQ(r.codes, std::vector<int>{1009});
}

TEST(ReceivePipeline, UnparsableOrFaultyDocumentsAreDroppedAlone) {
    TextCodec gbk("GBK");
    ReceivePipeline pipeline(gbk);
    Recorder r;
    r.throwOn = 1011;
    pipeline.OnRead("{\"header\":\"broken\" \"x\"}" + Doc("1011") + Doc("9001"), r);
    EXPECT_EQ(r.codes, (std::vector<int>{1011, 9001}));
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
    const std::string head = "{\"body\":{\"k\":\"";
    pipeline.OnRead(head + std::string(std::size_t{9} << 20, 'x'), r);
    ASSERT_FALSE(r.log.empty());
    EXPECT_NE(r.log.back().find("已丢弃"), std::string::npos);
    EXPECT_TRUE(r.codes.empty());
    pipeline.OnRead("\"}}" + Doc("1011"), r);
    EXPECT_EQ(r.codes, std::vector<int>{1011});
}

}  // namespace
}  // namespace fw
