#include "app/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>

#include <deque>
#include <utility>

namespace framewise {

namespace {

struct Script {
    QMutex mutex;
    bool scripted = false;
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<std::optional<QString>> folders;
    std::deque<std::pair<std::optional<QString>, QString>> saveFiles;
    QStringList shown;
};

Script& Scripted() {
    static Script script;
    return script;
}

QMessageBox::StandardButtons ButtonsOf(Dialogs::Kind kind) {
    switch (kind) {
        case Dialogs::Kind::Question:
            return QMessageBox::Yes | QMessageBox::No;
        case Dialogs::Kind::QuestionWithCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        default:
            return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(Dialogs::Kind kind) {
    switch (kind) {
        case Dialogs::Kind::Information:
            return QMessageBox::Information;
        case Dialogs::Kind::Warning:
            return QMessageBox::Warning;
        default:
            return QMessageBox::Question;
    }
}

}  // namespace

QStringList TranslateSaveFilter(const QString& filter) {
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty()) break;  // the "||" that ends the list
        description = description.left(description.indexOf(QLatin1Char('('))).trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& v : {p.trimmed().toLower(), p.trimmed().toUpper()})
                if (!patterns.contains(v)) patterns << v;
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString FilterSuffix(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.([A-Za-z0-9]+)"));
    const auto match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

QString FilterForExtension(const QStringList& nameFilters, const QString& extension) {
    for (const QString& f : nameFilters)
        if (FilterSuffix(f) == extension.toLower()) return f;
    return nameFilters.value(0);
}

QString WithFilterSuffix(const QString& fileName, const QString& nameFilter) {
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty()) return fileName;
    const QString suffix = FilterSuffix(nameFilter);
    return suffix.isEmpty() ? fileName : fileName + QLatin1Char('.') + suffix;
}

QMessageBox::StandardButton Dialogs::Show(QWidget* parent, Kind kind, const QString& title,
                                          const QString& text) {
    {
        Script& s = Scripted();
        QMutexLocker lock(&s.mutex);
        if (s.scripted) {
            s.shown << title + QLatin1Char('|') + text;
            // A box with only OK asks nothing: the answers queued are for the questions, even
            // when a worker's message comes in between.
            if (ButtonsOf(kind) == QMessageBox::Ok) return QMessageBox::Ok;
            if (s.answers.empty()) return QMessageBox::No;
            const auto answer = s.answers.front();
            s.answers.pop_front();
            return answer;
        }
    }
    QMessageBox box(IconOf(kind), title, text, ButtonsOf(kind), parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> Dialogs::ChooseFolder(QWidget* parent, const QString& title) {
    {
        Script& s = Scripted();
        QMutexLocker lock(&s.mutex);
        if (s.scripted) {
            s.shown << title;
            if (s.folders.empty()) return std::nullopt;
            const QString folder = s.folders.front().value_or(QString());
            const bool chosen = s.folders.front().has_value();
            s.folders.pop_front();
            if (!chosen) return std::nullopt;
            return folder;
        }
    }
    const QString folder = QFileDialog::getExistingDirectory(parent, title);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

std::optional<QString> Dialogs::ChooseSaveFile(QWidget* parent, const QString& title,
                                               const QString& defaultExtension,
                                               const QString& filter) {
    const QStringList nameFilters = TranslateSaveFilter(filter);
    const QString initial = FilterForExtension(nameFilters, defaultExtension);
    {
        Script& s = Scripted();
        QMutexLocker lock(&s.mutex);
        if (s.scripted) {
            s.shown << title;
            if (s.saveFiles.empty()) return std::nullopt;
            auto [typed, chosen] = s.saveFiles.front();
            s.saveFiles.pop_front();
            if (!typed) return std::nullopt;
            return WithFilterSuffix(*typed, chosen.isEmpty() ? initial : chosen);
        }
    }
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters);
    dialog.selectNameFilter(initial);
    // The dialog itself adds the chosen type to a bare name, before it asks about
    // overwriting, so the question is about the file really written.
    dialog.setDefaultSuffix(FilterSuffix(initial));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& f) { dialog.setDefaultSuffix(FilterSuffix(f)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return WithFilterSuffix(dialog.selectedFiles().constFirst(), dialog.selectedNameFilter());
}

void Dialogs::SetScripted(bool scripted) {
    Script& s = Scripted();
    QMutexLocker lock(&s.mutex);
    s.scripted = scripted;
    s.answers.clear();
    s.folders.clear();
    s.saveFiles.clear();
    s.shown.clear();
}

void Dialogs::SetNextAnswer(QMessageBox::StandardButton answer) {
    Script& s = Scripted();
    QMutexLocker lock(&s.mutex);
    s.answers.push_back(answer);
}

void Dialogs::SetNextFolder(std::optional<QString> folder) {
    Script& s = Scripted();
    QMutexLocker lock(&s.mutex);
    s.folders.push_back(std::move(folder));
}

void Dialogs::SetNextSaveFile(std::optional<QString> typedName, QString nameFilter) {
    Script& s = Scripted();
    QMutexLocker lock(&s.mutex);
    s.saveFiles.emplace_back(std::move(typedName), std::move(nameFilter));
}

QStringList Dialogs::TakeShown() {
    Script& s = Scripted();
    QMutexLocker lock(&s.mutex);
    return std::exchange(s.shown, {});
}

}  // namespace framewise
