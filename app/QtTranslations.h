// Qt's own texts (file dialogs, Yes/No buttons, the standard context menus) in the program's
// current language, wherever Qt ships a translation for it.
#pragma once

#include <QString>
#include <string_view>

namespace framewise {

// The Qt translation that serves a language named in the language file ("German" -> "de",
// "Chinese" -> "zh_CN"); empty for English and for languages Qt is not translated into here.
QString QtLocaleForLanguage(std::string_view languageName);

// Puts Qt's translation for the language on the application in place of the one there
// before; English, or a language without a translation, leaves Qt's own English. A missing
// translation file is no error: Qt then speaks English. Answers whether a translation is
// installed now. Call it at start-up and after every language switch.
bool ApplyQtTranslations(std::string_view languageName);

}  // namespace framewise
