// Qt's own texts in the program's language: the Yes/No and OK buttons and the file dialog's
// words follow the language chosen in the window's menu and the one a start-up finds
// recorded, in every language of the shipped file, and English again takes Qt's English.
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "TempDir.h"
#include "album/FrameSession.h"
#include "app/Dialogs.h"
#include "app/GuiFrontend.h"
#include "app/MainWindow.h"
#include "app/QtTranslations.h"
#include "app/SessionStartup.h"
#include "app/ShellActions.h"
#include "config/ControlIds.h"
#include "device/FrameImage.h"

using namespace framewise;

namespace {

// The texts of a question box's buttons, as a user reads them.
QString YesNoOk() {
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
    return box.button(QMessageBox::Yes)->text() + "|" + box.button(QMessageBox::No)->text() +
           "|" + box.button(QMessageBox::Ok)->text();
}

QString SaveAs() { return QCoreApplication::translate("QFileDialog", "Save As"); }

}  // namespace

class QtTranslationsTest : public QObject {
    Q_OBJECT
  private slots:
    void init() { Dialogs::SetScripted(true); }
    void cleanup() {
        Dialogs::SetScripted(false);
        ApplyQtTranslations("English");
    }
    void languageNames();
    void followsTheWindowsLanguage();
};

void QtTranslationsTest::languageNames() {
    QCOMPARE(QtLocaleForLanguage("German"), QStringLiteral("de"));
    QCOMPARE(QtLocaleForLanguage("Français"), QStringLiteral("fr"));
    QCOMPARE(QtLocaleForLanguage("spanish"), QStringLiteral("es"));
    QCOMPARE(QtLocaleForLanguage("Simplified Chinese"), QStringLiteral("zh_CN"));
    QCOMPARE(QtLocaleForLanguage("English"), QString());
    QCOMPARE(QtLocaleForLanguage(""), QString());
    // A language Qt has no translation for here leaves Qt in English.
    QVERIFY(!ApplyQtTranslations("Klingon"));
    QCOMPARE(YesNoOk(), QStringLiteral("&Yes|&No|OK"));
}

void QtTranslationsTest::followsTheWindowsLanguage() {
    test::TempDir dir;
    std::string error;
    QVERIFY(CreateFrameImage(dir / "frame.img", FrameImageOptions{}, error));
    AppOptions options;
    options.simulateImage = dir / "frame.img";
    options.workRoot = dir / "work";
    options.dataFolder = std::filesystem::path(FRAMEWISE_SOURCE_DIR) / "data";

    {
        MainWindow window;
        GuiFrontend frontend(window);
        FrameSession session(frontend);
        ProgramParts parts{window, frontend, session};
        QCOMPARE(OpenSession(parts, options), std::nullopt);
        ShellActions actions(window, session, frontend, ReadShellSettings(session.GetSettings()));
        PrepareWindow(parts, actions);
        QCOMPARE(QString::fromStdString(session.GetLanguage().CurrentName()),
                 QStringLiteral("English"));
        QCOMPARE(YesNoOk(), QStringLiteral("&Yes|&No|OK"));

        // Every language of the shipped file, through the window's language menu; the
        // expected words are Qt's own translations.
        const struct {
            int index;
            const char* buttons;
            const char* saveAs;
        } languages[] = {
            {1, "是(&Y)|否(&N)|确定", "另存为"},
            {2, "&Ja|&Nein|OK", "Speichern unter"},
            {3, "&Oui|&Non|OK", "Enregistrer sous"},
            {4, "&Sí|&No|Aceptar", "Guardar como"},
            {0, "&Yes|&No|OK", "Save As"},
            {2, "&Ja|&Nein|OK", "Speichern unter"},
        };
        for (const auto& l : languages) {
            window.OnMenuCommand(kCmdLanguage(l.index));
            QCOMPARE(session.GetLanguage().LangIndex(), l.index);
            QCOMPARE(YesNoOk(), QString::fromUtf8(l.buttons));
            QCOMPARE(SaveAs(), QString::fromUtf8(l.saveAs));
        }
        session.Close();
    }

    // The next start finds German recorded and speaks it from its first box on.
    ApplyQtTranslations("English");
    MainWindow window;
    GuiFrontend frontend(window);
    FrameSession session(frontend);
    ProgramParts parts{window, frontend, session};
    QCOMPARE(OpenSession(parts, options), std::nullopt);
    QCOMPARE(YesNoOk(), QStringLiteral("&Ja|&Nein|OK"));
    session.Close();
}

QTEST_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
