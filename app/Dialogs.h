// The window's message boxes and file dialogs, behind one seam that tests answer in
// advance: with an answer queued, nothing is shown and the text is recorded instead.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace framewise {

// A save-file filter of the form "jpg files (*.JPG)|*.jpg|bmp files (*.BMP)|*.bmp||" as
// Qt name filters ("jpg files (*.jpg *.JPG)", ...): each description with its patterns in
// both cases, since file names on Linux keep their case.
QStringList TranslateSaveFilter(const QString& filter);
// The extension a name filter saves as ("jpg" for "jpg files (*.jpg *.JPG)"), lower case.
QString FilterSuffix(const QString& nameFilter);
// The name filter that saves as extension (case ignored); the first filter when none does.
QString FilterForExtension(const QStringList& nameFilters, const QString& extension);
// A chosen file name: one typed without an extension gets the chosen filter's.
QString WithFilterSuffix(const QString& fileName, const QString& nameFilter);

class Dialogs {
  public:
    enum class Kind { Information, Warning, Question, QuestionWithCancel };

    // Shows a box; for questions answers the button pressed.
    static QMessageBox::StandardButton Show(QWidget* parent, Kind kind, const QString& title,
                                            const QString& text);
    // nullopt when cancelled.
    static std::optional<QString> ChooseFolder(QWidget* parent, const QString& title);
    static std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& title,
                                                 const QString& defaultExtension,
                                                 const QString& filter);

    // Test seam. While scripted, nothing is shown: questions and choosers take the answers
    // queued here in order (a save-file answer is the name as typed and the name filter
    // chosen); an OK-only box takes none and answers Ok; with the queue empty a question
    // answers No and a chooser is cancelled. What they would have shown is recorded.
    static void SetScripted(bool scripted);
    static void SetNextAnswer(QMessageBox::StandardButton answer);
    static void SetNextFolder(std::optional<QString> folder);
    static void SetNextSaveFile(std::optional<QString> typedName, QString nameFilter = {});
    // "title|text" of each box, the title of each chooser; taken and cleared.
    static QStringList TakeShown();
};

}  // namespace framewise
