// The right-button menu: the language menu (its caption opening one checkable entry per
// language) and an "About" entry, since Linux window managers offer no system menu to
// carry it.
#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "config/LanguageUi.h"

class QMenu;
class QWidget;

namespace framewise {

// The entry that reads the frame again after a failed read.
inline constexpr const char* kReadAgainEnglish = "Read the frame again";
inline constexpr const char* kReadAgainChinese = "重新读取相框";

class ContextMenuModel {
  public:
    // The menu as built at start-up.
    void Set(const LanguageMenu& menu);
    // After a language switch: the new caption and About text; the entries listed take
    // their new texts and check marks, any after a missing key keep theirs.
    void Update(const LanguageSwitch& change);

    const QString& Caption() const { return m_caption; }
    const QString& AboutText() const { return m_aboutText; }
    const std::vector<LanguageMenuEntry>& Entries() const { return m_entries; }

    // A popup menu for parent; choosing an entry calls command with its id (kCmdAbout for
    // About). With readAgainText, an entry with that text and the id kIdRead comes first. The
    // menu deletes itself once it has been hidden.
    QMenu* Build(QWidget* parent, const std::function<void(int commandId)>& command,
                 const QString& readAgainText = {}) const;

  private:
    QString m_caption = QStringLiteral("Language");
    QString m_aboutText = QStringLiteral("About Framewise(&A)...");
    std::vector<LanguageMenuEntry> m_entries;
};

}  // namespace framewise
