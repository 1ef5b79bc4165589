// The image button: where its icon goes, which panel state wins, what disabled and focused
// look like, and the classic style's own look.
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>
#include <QtTest>

#include "Pixels.h"
#include "controls/CImageButtonWithStyle.h"
#include "controls/ImagePlacement.h"

using namespace framewise;
using test::Find;
using test::Grab;

namespace {

// An icon of one pure colour that no style paints with, so its pixels are easy to find.
QIcon RedIcon(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}
bool IsRed(int, int, QRgb p) {
    return p == qRgb(255, 0, 0);
}

}  // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }

    void placementAndState() {
        const QRect r(10, 5, 40, 30);
        QCOMPARE(ImageLeft(24, r, Qt::AlignCenter), 18);
        QCOMPARE(ImageLeft(25, r, {}), 17);  // no alignment centres; the half truncates
        QCOMPARE(ImageLeft(24, r, Qt::AlignRight), 26);
        QCOMPARE(ImageLeft(48, r, Qt::AlignRight), 10);  // too wide: the left edge
        QCOMPARE(ImageTop(20, r, Qt::AlignBottom), 15);
        QCOMPARE(ImageTop(60, r, Qt::AlignBottom), 5);  // too tall: clamped, then placed
        QCOMPARE(ImageTop(60, r, Qt::AlignCenter), 5);

        using S = PushButtonState;  // enabled, pressed, hot, default
        QCOMPARE(ButtonState(false, true, true, true), S::Disabled);
        QCOMPARE(ButtonState(true, true, true, true), S::Pressed);
        QCOMPARE(ButtonState(true, false, true, true), S::Hot);
        QCOMPARE(ButtonState(true, false, false, true), S::Defaulted);
        QCOMPARE(ButtonState(true, false, false, false), S::Normal);
    }

    // The icon keeps its own size and is placed in the style's content rectangle; the caption
    // is not painted.
    void iconInContentRectangle() {
        for (int side : {48, 24}) {
            CImageButtonWithStyle button(RedIcon(side), "Add");
            button.setIconSize({side, side});
            button.resize(100, 100);  // then make the content rectangle 40 pixels wide
            button.resize(140 - button.ContentRect().width(), 140 - button.ContentRect().height());
            const QRect content = button.ContentRect();
            QCOMPARE(content.width(), 40);
            const QRect red = Find(Grab(button), IsRed).bounds;
            QCOMPARE(red.left(), side == 48 ? content.left() : content.left() + 8);
            QCOMPARE(red.top(), side == 48 ? content.top() : content.top() + 8);
            QCOMPARE(red.width(), std::min(side, button.width() - red.left()));
            const QImage captioned = Grab(button);
            button.setText(QString());
            QCOMPARE(Grab(button), captioned);
        }
    }

    void disabledDimsTheIcon() {
        CImageButtonWithStyle button(RedIcon(16), "Add");
        button.resize(38, 38);
        const QRect icon = Find(Grab(button), IsRed).bounds;
        QCOMPARE(icon.size(), QSize(16, 16));
        button.setEnabled(false);
        button.setDown(true);  // disabled outranks pressed
        const QImage disabled = Grab(button);
        const QRgb panel = disabled.pixel(icon.left() - 2, icon.top() - 2);
        const QImage dimmed = disabled.copy(icon);  // still drawn, but without its colour
        QVERIFY(Find(dimmed, [&](int, int, QRgb p) { return p != panel; }).count > 0);
        QCOMPARE(
            Find(dimmed, [](int, int, QRgb p) { return QColor(p).hsvSaturation() > 60; }).count, 0);
    }

    // Focus adds a focus rectangle within the content rectangle and changes nothing else.
    void focusRectangleInsideContent() {
        QWidget window;
        auto* button = new CImageButtonWithStyle(RedIcon(16), "Up", &window);
        auto* other = new QPushButton("Other", &window);
        button->setGeometry(0, 0, 38, 38);
        other->setGeometry(50, 0, 60, 30);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        const QImage unfocused = Grab(*button);
        button->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(button->hasFocus());
        const QImage focused = Grab(*button);
        const QRect changed =
            Find(focused, [&](int x, int y, QRgb p) { return p != unfocused.pixel(x, y); }).bounds;
        QVERIFY(!changed.isNull());
        QVERIFY(button->ContentRect().contains(changed));
    }

    // Under a classic style the button is any push button with that icon (the style centres
    // it, whatever the button's own alignment); under a themed one it places the icon itself.
    void classicStyleKeepsClassicLook() {
        QProxyStyle windows("Windows"), fusion("Fusion");  // a proxy is the style it wraps
        QVERIFY(IsClassicStyle(&windows) && !IsClassicStyle(&fusion));

        CImageButtonWithStyle button(RedIcon(16), "Down");
        QPushButton plain;
        plain.setIcon(RedIcon(16));
        button.SetImageAlignment(Qt::AlignLeft | Qt::AlignTop);
        button.resize(38, 38);
        plain.resize(38, 38);
        QCOMPARE(Find(Grab(button), IsRed).bounds.topLeft(), button.ContentRect().topLeft());
        // The whole application in the classic style, as QT_STYLE_OVERRIDE=windows gives it.
        QApplication::setStyle(QStyleFactory::create("Windows"));
        QCOMPARE(Grab(button), Grab(plain));
        QApplication::setStyle(QStyleFactory::create("Fusion"));
    }
};

QTEST_MAIN(ImageButtonTest)
#include "ImageButtonTest.moc"
