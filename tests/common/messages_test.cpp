#include <gtest/gtest.h>

#include <thread>

#include "ComMsgMgr.h"
#include "HTCErrors.h"
#include "test_support.h"

namespace {

TEST(MessagesTest, PrintedFormShowsSeverityAreaIdWithoutAtSignsAndCatalogueText) {
    MessageCapture capture;
    ComMsgMgr::sendMsg::eval(0, "f.cpp", 10, "board", 0x20000000, "@49-53@");
    ASSERT_EQ(capture.messages.size(), 1u);
    const auto& m = capture.messages[0];
    EXPECT_EQ(m.id(), "@49-53@");
    EXPECT_EQ(m.severity(), ComMsgSeverity::CriticalWarning);
    EXPECT_EQ(m.formatted().rfind("CRITICAL WARNING: [board 49-53] No current board", 0), 0u) << m.formatted();
    EXPECT_EQ(m.file(), "f.cpp");
    EXPECT_EQ(m.line(), 10);
}

TEST(MessagesTest, CombinedMaskTakesTheGravestSeverity) {
    EXPECT_EQ(ComMsgMgr::severityOfMask(0x8000000 | 0x20000000), ComMsgSeverity::CriticalWarning);
}

TEST(MessagesTest, IdWithFormatSuffixFillsPlaceholderAndCountsUnderPlainId) {
    MessageCapture capture;
    ComMsgMgr::sendMsg::eval(1, "f.cpp", 1, "board", 0x8000000, "@49-44@%s", "Could not parse file.");
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_EQ(capture.messages[0].id(), "@49-44@");
    EXPECT_EQ(capture.messages[0].formatted(),
              "INFO: [board 49-44] Could not read the board file: Could not parse file.");
    EXPECT_EQ(ComMsgMgr::countOf("@49-44@"), 1u);
    EXPECT_EQ(ComMsgMgr::countOf("@49-44@%s"), 1u);
}

TEST(MessagesTest, ArgumentsFillPlaceholdersInOrderAndSurplusIsKept) {
    ComMsgMgr::addCatalogueText("@99-1@", "%s then %s (100%%)");
    auto two = ComMsgMgrInstance::createInstance::eval(2, "f", 1, "t", 0x8000000, "@99-1@", "a", "b");
    EXPECT_EQ(two.text(), "a then b (100%)");
    auto three = ComMsgMgrInstance::createInstance::eval(3, "f", 1, "t", 0x8000000, "@99-1@", "a", "b", "c");
    EXPECT_EQ(three.text(), "a then b (100%) c");
    auto one = ComMsgMgrInstance::createInstance::eval(1, "f", 1, "t", 0x8000000, "@99-1@", "a");
    EXPECT_EQ(one.text(), "a then  (100%)");
}

TEST(MessagesTest, UnknownIdNamesTheIdAndKeepsArguments) {
    auto m = ComMsgMgrInstance::createInstance::eval(1, "f", 1, "x", 0x4000000, "@77-7@", "detail");
    EXPECT_EQ(m.formatted(), "WARNING: [x 77-7] message 77-7 (no catalogue text) detail");
}

TEST(MessagesTest, CountsPerIdAndSeverityIncludeSilencedMessages) {
    MessageCapture capture;
    ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x20000000, "@49-53@");
    {
        ComMsgMgr::Silencer quiet;
        ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x20000000, "@49-53@");
        ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x4000000, "@49-75@");
    }
    EXPECT_EQ(capture.messages.size(), 1u);
    EXPECT_EQ(ComMsgMgr::countOf("@49-53@"), 2u);
    EXPECT_EQ(ComMsgMgr::countOf("@49-75@"), 1u);
    EXPECT_EQ(ComMsgMgr::countOf(ComMsgSeverity::CriticalWarning), 2u);
    EXPECT_EQ(ComMsgMgr::countOf(ComMsgSeverity::Warning), 1u);
    EXPECT_EQ(ComMsgMgr::countOf(ComMsgSeverity::Info), 0u);
    ComMsgMgr::resetCounts();
    EXPECT_EQ(ComMsgMgr::countOf("@49-53@"), 0u);
}

TEST(MessagesTest, SilencersNestAndReleaseInOrder) {
    MessageCapture capture;
    EXPECT_FALSE(ComMsgMgr::isSilenced());
    {
        ComMsgMgr::Silencer outer;
        {
            ComMsgMgr::Silencer inner;
            EXPECT_TRUE(ComMsgMgr::isSilenced());
        }
        EXPECT_TRUE(ComMsgMgr::isSilenced());
        ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x8000000, "@49-68@");
        EXPECT_TRUE(capture.messages.empty());
    }
    EXPECT_FALSE(ComMsgMgr::isSilenced());
    ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x8000000, "@49-68@");
    EXPECT_EQ(capture.messages.size(), 1u);
}

// A command reads how many messages its thread sent and the last one to
// learn why it failed: another thread's message is not its reason, and
// another thread's Silencer does not silence it. The counts are shared.
TEST(MessagesTest, EachThreadHasItsOwnLastMessageAndSilencing) {
    MessageCapture capture;
    ComMsgMgr::resetCounts();
    ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x8000000, "@49-68@");
    const std::size_t sentHere = ComMsgMgr::sentSoFar();
    std::size_t sentThereBefore = 0;
    std::string lastThere;
    bool silencedThere = true;
    {
        ComMsgMgr::Silencer quiet;
        std::thread other([&] {
            silencedThere = ComMsgMgr::isSilenced();
            sentThereBefore = ComMsgMgr::sentSoFar();
            ComMsgMgr::sendMsg::eval(0, "f", 1, "board", 0x4000000, "@49-75@");
            lastThere = ComMsgMgr::lastSent().id();
        });
        other.join();
    }
    EXPECT_FALSE(silencedThere);
    EXPECT_EQ(sentThereBefore, 0u);
    EXPECT_EQ(lastThere, "@49-75@");
    EXPECT_EQ(capture.messages.size(), 2u) << "the other thread's message was not silenced";
    EXPECT_EQ(ComMsgMgr::sentSoFar(), sentHere);
    EXPECT_EQ(ComMsgMgr::lastSent().id(), "@49-68@");
    EXPECT_EQ(ComMsgMgr::countOf("@49-75@"), 1u);
    ComMsgMgr::resetCounts();
}

TEST(ErrorsTest, OfObjectNotSupportedNamesClassAndAcceptedTypes) {
    const auto message = HTCErrors::ofObjectNotSupported("board", "board_component");
    EXPECT_EQ(message.severity(), ComMsgSeverity::Error);
    EXPECT_NE(message.text().find("objects of class 'board'"), std::string::npos) << message.text();
    EXPECT_NE(message.text().find("'board_component'"), std::string::npos) << message.text();
    const auto plain = HTCErrors::ofObjectNotSupported("", "board_component");
    EXPECT_NE(plain.text().find("a plain value that is not an object"), std::string::npos) << plain.text();
    EXPECT_EQ(plain.text().find("class ''"), std::string::npos);
}

}  // namespace
