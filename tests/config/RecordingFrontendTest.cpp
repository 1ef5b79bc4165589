#include <gtest/gtest.h>

#include "config/RecordingFrontend.h"

using namespace framewise;

TEST(RecordingFrontend, AnswersFromQueuesThenDefaults) {
    RecordingFrontend fe;
    fe.QueueYesNo(false);
    EXPECT_FALSE(fe.AskYesNo("first?"));
    EXPECT_TRUE(fe.AskYesNo("second?"));
    fe.QueueYesNoCancel(Answer::Cancel);
    EXPECT_EQ(fe.AskYesNoCancel("format?"), Answer::Cancel);
    EXPECT_FALSE(fe.ChooseFolder("where?").has_value());
    fe.QueueFolder(std::string("/tmp"));
    EXPECT_EQ(fe.ChooseFolder("where?").value(), "/tmp");
    fe.PostEvent("DPFAttach");
    EXPECT_EQ(fe.Events(), std::vector<std::string>{"DPFAttach"});
    EXPECT_EQ(fe.Questions().size(), 3u);
}
