// The KIND@N text of the --sim-fault testing option.
#include <gtest/gtest.h>

#include "device/SimFaultText.h"

using namespace framewise;

TEST(SimFaultText, ParsesEveryKindAndRefusesWhatIsNone) {
    const std::pair<const char*, SimFault> good[] = {
        {"fail-transfer@1", SimFault::FailTransfer},
        {"flip-read-bit@12", SimFault::FlipReadBit},
        {"corrupt-program@300", SimFault::CorruptProgram},
        {"wrong-verify@7", SimFault::WrongVerify},
        {"unplug@1000000", SimFault::Unplug}};
    for (const auto& [text, kind] : good) {
        std::string error;
        const auto fault = ParseSimFault(text, error);
        ASSERT_TRUE(fault) << text << ": " << error;
        EXPECT_EQ(fault->first, kind);
        EXPECT_EQ(std::string(SimFaultName(kind)) + "@" + std::to_string(fault->second), text);
    }
    for (const char* text :
         {"", "unplug", "unplug@", "unplug@0", "unplug@-3", "unplug@+3", "unplug@3x", "unplug@ 3",
          "unplug@99999999999999999999", "Unplug@3", "@3", "melt@3"}) {
        std::string error;
        EXPECT_FALSE(ParseSimFault(text, error)) << text;
        EXPECT_EQ(error.rfind(std::string("\"") + text + "\"", 0), 0u) << error;
    }
}
