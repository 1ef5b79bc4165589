// Helpers of the device tests: a fresh temporary folder, and a channel that records every
// command block and answers from a small script.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "device/CommandBlocks.h"
#include "device/DeviceChannel.h"

namespace framewise::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = testing::TempDir() + "framewise-device-XXXXXX";
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

struct SentCommand {
    CommandBlock cdb{};
    bool dataIn = false;
    uint32_t length = 0;
};

class RecordingChannel : public DeviceChannel {
  public:
    bool present = true;
    std::vector<SentCommand> sent;
    // Fills the reply of a data-in command; answers the transfer's success. Default: all
    // zero (so the status register reads idle).
    std::function<bool(const CommandBlock&, uint32_t, uint8_t*)> reply;
    std::function<bool(const CommandBlock&)> outResult;

    bool IsPresent() const override { return present; }
    bool SendDataIn(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                    uint8_t* data) override {
        SentCommand c = Record(cdb, cdbLength, true, dataLength);
        std::memset(data, 0, dataLength);
        return reply ? reply(c.cdb, dataLength, data) : true;
    }
    bool SendDataOut(const uint8_t* cdb, int cdbLength, uint32_t dataLength,
                     const uint8_t*) override {
        SentCommand c = Record(cdb, cdbLength, false, dataLength);
        return outResult ? outResult(c.cdb) : true;
    }
    std::vector<SentCommand> Without(uint8_t instruction) const {
        std::vector<SentCommand> kept;
        for (const auto& c : sent) {
            if (c.cdb[10] != instruction || c.cdb[5] != kFunctionFlash) kept.push_back(c);
        }
        return kept;
    }

  private:
    SentCommand Record(const uint8_t* cdb, int cdbLength, bool in, uint32_t length) {
        EXPECT_EQ(cdbLength, kCommandBlockLength);
        SentCommand c;
        std::memcpy(c.cdb.data(), cdb, kCommandBlockLength);
        c.dataIn = in;
        c.length = length;
        sent.push_back(c);
        return c;
    }
};

inline CommandBlock Bytes(std::initializer_list<int> values) {
    CommandBlock b{};
    size_t i = 0;
    for (int v : values) b[i++] = static_cast<uint8_t>(v);
    return b;
}

}  // namespace framewise::test
