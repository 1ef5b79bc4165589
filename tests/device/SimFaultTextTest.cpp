// The KIND@N text of the --sim-fault testing option.
#include <gtest/gtest.h>

#include "device/SimFaultText.h"

using namespace framewise;

TEST(SimFaultText, ParsesEveryKindAndRefusesWhatIsNone) {
    struct Good {
        const char* text;
        SimFault kind;
        uint64_t command;
    };
    const Good good[] = {
        {"fail-transfer@1", SimFault::FailTransfer, 1},
        {"flip-read-bit@12", SimFault::FlipReadBit, 12},
        {"corrupt-program@300", SimFault::CorruptProgram, 300},
        {"wrong-verify@7", SimFault::WrongVerify, 7},
        {"unplug@1000000", SimFault::Unplug, 1000000},
    };
    for (const auto& g : good) {
        SCOPED_TRACE(g.text);
        std::string error;
        const auto fault = ParseSimFault(g.text, error);
        ASSERT_TRUE(fault) << error;
        EXPECT_EQ(fault->first, g.kind);
        EXPECT_EQ(fault->second, g.command);
        // The name given back is the one the option takes.
        EXPECT_EQ(std::string(SimFaultName(g.kind)) + "@" + std::to_string(g.command), g.text);
    }

    struct Bad {
        const char* text;
        const char* reason;  // a part of the error
    };
    const Bad bad[] = {
        {"", "KIND@N"},
        {"unplug", "KIND@N"},
        {"unplug@", "counted from 1"},
        {"unplug@0", "counted from 1"},
        {"unplug@-3", "counted from 1"},
        {"unplug@+3", "counted from 1"},
        {"unplug@3x", "counted from 1"},
        {"unplug@ 3", "counted from 1"},
        {"unplug@99999999999999999999999", "counted from 1"},
        {"Unplug@3", "fail-transfer, flip-read-bit, corrupt-program, wrong-verify, unplug"},
        {"@3", "one of"},
        {"melt@3", "one of"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.text);
        std::string error;
        EXPECT_FALSE(ParseSimFault(b.text, error));
        EXPECT_NE(error.find(b.reason), std::string::npos) << error;
        EXPECT_NE(error.find(std::string("\"") + b.text + "\""), std::string::npos) << error;
    }
}
