#include "config/Language.h"

#include "config/ProfileFile.h"

namespace framewise {

void Language::SetFile(std::filesystem::path languageFile) {
    std::lock_guard lock(m_mutex);
    m_file = std::move(languageFile);
}

std::filesystem::path Language::File() const {
    std::lock_guard lock(m_mutex);
    return m_file;
}

int Language::CountLanguages() {
    auto file = File();
    std::vector<std::string> list;
    for (int n = 1; n <= 10; ++n) {
        std::string name = ReadProfileString(file, "Language", "Lan_" + std::to_string(n), "");
        if (name.empty()) break;
        list.push_back(name);
    }
    std::lock_guard lock(m_mutex);
    m_languages = std::move(list);
    return static_cast<int>(m_languages.size());
}

std::vector<std::string> Language::Languages() const {
    std::lock_guard lock(m_mutex);
    return m_languages;
}

int Language::LanguageCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_languages.size());
}

std::string Language::CurrentName() const {
    std::lock_guard lock(m_mutex);
    int i = m_langIndex.load();
    if (i < 0 || i >= static_cast<int>(m_languages.size())) return {};
    return m_languages[static_cast<size_t>(i)];
}

bool Language::IsChinese() const { return CurrentName().find("Chinese") != std::string::npos; }

std::string Language::Tr(std::string_view key, std::string_view englishDefault) const {
    std::string section = CurrentName();
    if (section.empty()) return std::string(englishDefault);
    return ReadProfileString(File(), section, key, englishDefault);
}

std::string Language::ReadText(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    return ReadProfileString(File(), section, key, defaultValue);
}

namespace {
std::string ReplaceFirst(std::string_view format, std::string_view token, std::string_view with) {
    std::string out(format);
    size_t at = out.find(token);
    if (at != std::string::npos) out.replace(at, token.size(), with);
    return out;
}
}  // namespace

std::string FormatText(std::string_view format, std::string_view text) {
    return ReplaceFirst(format, "%s", text);
}

}  // namespace framewise
