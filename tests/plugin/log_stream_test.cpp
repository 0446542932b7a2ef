// The log stream: each flush is one entry in the host's log.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_host.h"
#include "plugin/host_functions.h"
#include "plugin/log_stream.h"

namespace zandrel {
namespace {

using test::FakeHost;
using Texts = std::vector<std::string>;

class LogStream : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bindHostFunctions()); }
    FakeHost host;
};

TEST_F(LogStream, SendsTheCollectedTextOnlyAtAFlush) {
    GFZNLog log;
    log << "a" << "bc";
    EXPECT_EQ(host.logTexts(), Texts{});
    log << std::flush;
    EXPECT_EQ(host.logTexts(), Texts{"abc"});
}

TEST_F(LogStream, EveryFlushIsOneEntryAlsoWhenEmpty) {
    GFZNLog log;
    log << std::flush;
    log << "a" << std::flush;
    log << "b" << std::string("\n") << 12 << std::flush;
    log.flush();
    EXPECT_EQ(host.logTexts(), (Texts{"", "a", "b\n12", ""}));
    EXPECT_TRUE(log.good());
}

TEST_F(LogStream, DestructionSendsThePendingTextThenTheClosingText) {
    {
        GFZNLog log;
        log << "pending";
    }
    {
        GFZNLog log;
    }
    EXPECT_EQ(host.logTexts(),
              (Texts{"pending", "Destructor of GFZNLog never called", "",
                     "Destructor of GFZNLog never called"}));
}

TEST_F(LogStream, UnboundLogDropsTextAndStaysUsable) {
    GFZNLog log;
    hostFunctions.znLogText = nullptr;
    log << "dropped" << std::flush;
    EXPECT_TRUE(log.good());

    // A flush without a bound log function leaves nothing behind for later flushes.
    ASSERT_TRUE(bindHostFunctions());
    log << "kept" << std::flush;
    EXPECT_EQ(host.logTexts(), Texts{"kept"});
}

}  // namespace
}  // namespace zandrel
