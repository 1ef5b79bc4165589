// The wait box, and a worker thread driving it without touching a widget.
#include <QLabel>
#include <QtTest>
#include <thread>

#include "controls/WaitBox.h"

using namespace framewise;

class WaitBoxTest : public QObject {
    Q_OBJECT

  private slots:
    // A worker shows, updates and closes the box; every widget call happens on the GUI thread,
    // in the order the worker made it.
    void workerDrivesTheBox() {
        QCOMPARE(WaitBox().Text(), QStringLiteral("Please wait\u2026"));
        QWidget window;
        WaitBoxDriver driver(&window);
        std::thread([&driver] {
            driver.Show();
            for (int i = 0; i < 4; ++i) driver.SetText(QStringLiteral("Loading %1%").arg(25 * i));
        }).join();
        QVERIFY(driver.Box() == nullptr);  // nothing happened on the worker's thread
        QTRY_VERIFY(driver.Box() != nullptr);
        QCOMPARE(driver.Box()->thread(), window.thread());
        QCOMPARE(driver.Box()->parentWidget(), &window);  // centred on it when shown
        QVERIFY(!driver.Box()->isModal());
        QTRY_COMPARE(driver.Box()->findChild<QLabel*>("1071")->text(),
                     QStringLiteral("Loading 75%"));
        QTest::keyClick(driver.Box(), Qt::Key_Escape);  // only the work may end it
        QVERIFY(driver.Box()->isVisible());
        std::thread([&driver] { driver.Close(); }).join();
        QTRY_VERIFY(driver.Box() == nullptr);
    }
};

QTEST_MAIN(WaitBoxTest)
#include "WaitBoxTest.moc"
