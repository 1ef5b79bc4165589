#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>
#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace framewise {

namespace {

struct LanguageLocale {
    std::string_view word;  // found in the language's name, in lower case
    const char* locale;
};

// The language file names its languages in English; the names in their own words are there
// too so that a language file written by a translator still finds Qt's texts.
constexpr std::array kLocales{
    LanguageLocale{"german", "de"},     LanguageLocale{"deutsch", "de"},
    LanguageLocale{"french", "fr"},     LanguageLocale{"français", "fr"},
    LanguageLocale{"spanish", "es"},    LanguageLocale{"español", "es"},
    LanguageLocale{"chinese", "zh_CN"}, LanguageLocale{"中文", "zh_CN"},
};

// The translator on the application now and the locale it speaks; owned by the application,
// so it goes with it.
QPointer<QTranslator> g_translator;
QString g_locale;

}  // namespace

QString QtLocaleForLanguage(std::string_view languageName) {
    std::string name(languageName);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& entry : kLocales)
        if (name.find(entry.word) != std::string::npos) return QString::fromLatin1(entry.locale);
    return {};
}

bool ApplyQtTranslations(std::string_view languageName) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    const QString locale = QtLocaleForLanguage(languageName);
    if (g_translator && locale == g_locale) return true;
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator);
        delete g_translator;
    }
    g_locale.clear();
    if (locale.isEmpty()) return false;
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    g_translator = translator;
    g_locale = locale;
    return true;
}

}  // namespace framewise
