// The start-up file: the shipped StartInfoUnicode.ini beside the program and the working copy
// in the work root that every read after start-up and every write goes to.
#pragma once

#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace framewise {

class Settings {
public:
    Settings() = default;
    // At first the current start-up file is the shipped one.
    explicit Settings(std::filesystem::path shippedFile)
        : m_shipped(shippedFile), m_current(std::move(shippedFile)) {}

    void SetShipped(std::filesystem::path file);
    void SetCurrent(std::filesystem::path file);
    std::filesystem::path Shipped() const;
    std::filesystem::path Current() const;

    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
    bool WriteText(std::string_view section, std::string_view key, std::string_view value) const;
    bool WriteInt(std::string_view section, std::string_view key, long value) const {
        return WriteText(section, key, std::to_string(value));
    }
    // Reads from the file beside the program, whatever the current file is.
    int ReadShippedInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string ReadShippedText(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const;
    // Copies the shipped file over the working copy (the current file).
    bool ResetCurrentFromShipped() const;

private:
    mutable std::mutex m_mutex;
    std::filesystem::path m_shipped;
    std::filesystem::path m_current;
};

}  // namespace framewise
