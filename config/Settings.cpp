#include "config/Settings.h"

#include "config/ProfileFile.h"

namespace framewise {

void Settings::SetShipped(std::filesystem::path file) {
    std::lock_guard lock(m_mutex);
    m_shipped = std::move(file);
}

void Settings::SetCurrent(std::filesystem::path file) {
    std::lock_guard lock(m_mutex);
    m_current = std::move(file);
}

std::filesystem::path Settings::Shipped() const {
    std::lock_guard lock(m_mutex);
    return m_shipped;
}

std::filesystem::path Settings::Current() const {
    std::lock_guard lock(m_mutex);
    return m_current;
}

std::string Settings::ReadText(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    return ReadProfileString(Current(), section, key, defaultValue);
}

int Settings::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    return ReadProfileInt(Current(), section, key, defaultValue);
}

bool Settings::WriteText(std::string_view section, std::string_view key,
                         std::string_view value) const {
    return WriteProfileString(Current(), section, key, value);
}

int Settings::ReadShippedInt(std::string_view section, std::string_view key,
                             int defaultValue) const {
    return ReadProfileInt(Shipped(), section, key, defaultValue);
}

std::string Settings::ReadShippedText(std::string_view section, std::string_view key,
                                      std::string_view defaultValue) const {
    return ReadProfileString(Shipped(), section, key, defaultValue);
}

bool Settings::ResetCurrentFromShipped() const {
    auto current = Current();
    auto shipped = Shipped();
    if (current == shipped) return false;
    return CopyProfileFile(shipped, current);
}

}  // namespace framewise
