// Every test of a GoogleTest program gets a data folder of its own (XDG_DATA_HOME), removed
// after it: frames made by tests share their flash header, so backups and journals one test
// leaves in a shared folder would be offered to the frame of the next.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

namespace {

class IsolatedDataHome : public ::testing::EmptyTestEventListener {
  public:
    void OnTestStart(const ::testing::TestInfo&) override {
        std::string pattern = (std::filesystem::temp_directory_path() / "fwdata-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        m_folder = pattern;
        ::setenv("XDG_DATA_HOME", m_folder.c_str(), 1);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        if (m_folder.empty()) return;
        std::error_code ec;
        std::filesystem::remove_all(m_folder, ec);
        m_folder.clear();
    }

  private:
    std::string m_folder;
};

const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new IsolatedDataHome);
    return true;
}();

}  // namespace
