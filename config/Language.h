// The language list and the keyed text lookup (`Tr`) every user-visible text goes through,
// read from the working copy of LanguageUnicode.ini.
#pragma once

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace framewise {

class Language {
public:
    Language() = default;
    explicit Language(std::filesystem::path languageFile) : m_file(std::move(languageFile)) {}

    void SetFile(std::filesystem::path languageFile);
    std::filesystem::path File() const;

    // Empties the language list and reads Lan_1, Lan_2, ... of [Language], at most ten,
    // stopping at the first missing or empty one. Answers the number read.
    int CountLanguages();
    std::vector<std::string> Languages() const;
    int LanguageCount() const;

    int LangIndex() const { return m_langIndex.load(); }
    void SetLangIndex(int index) { m_langIndex.store(index); }

    // Name of the current language (its section); empty when the index is outside the list.
    std::string CurrentName() const;
    // The built-in two-language messages use their Chinese form when this is true.
    bool IsChinese() const;
    std::string Pick(std::string_view english, std::string_view chinese) const {
        return std::string(IsChinese() ? chinese : english);
    }

    // The text of key in the current language's section; the English default when the key
    // is missing or no language is listed.
    std::string Tr(std::string_view key, std::string_view englishDefault) const;
    // A text of any section of the language file.
    std::string ReadText(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;

private:
    mutable std::mutex m_mutex;
    std::filesystem::path m_file;
    std::vector<std::string> m_languages;
    std::atomic<int> m_langIndex{0};
};

// Replaces the first "%s" of format by text; the built-in messages carry at most one.
std::string FormatText(std::string_view format, std::string_view text);

}  // namespace framewise
