// The percentage progress bar: what it paints, in which colours, and when it repaints.
#include <QApplication>
#include <QtTest>

#include "Pixels.h"
#include "controls/PercentProgressCtrl.h"

using namespace framewise;
using test::Find;
using test::Grab;

namespace {

const QRgb kBar = QColor(Qt::darkBlue).rgb();  // the palette's highlight here
const QRgb kBack = QColor(Qt::white).rgb();    // and its base, the window colour

struct Bar : PercentProgressCtrl {
    int paints = 0;
    explicit Bar(int position, const QString& text = {}, int width = 248) {
        resize(width, 23);
        show();  // the window SetPos needs
        SetWindowText(text);
        SetPos(position);
    }
    QImage Image() { return Grab(*this); }
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        PercentProgressCtrl::paintEvent(event);
    }
};

int Edge(const QImage& image) {  // the first column whose top pixel is not the bar
    int x = 0;
    while (x < image.width() && image.pixel(x, 0) == kBar) ++x;
    return x;
}

test::Ink Text(const QImage& image) {  // what differs from its background
    const int edge = Edge(image);
    return Find(image, [edge](int x, int, QRgb p) { return p != (x < edge ? kBar : kBack); });
}

}  // namespace

class PercentProgressTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Highlight, kBar);
        palette.setColor(QPalette::Base, kBack);
        QApplication::setPalette(palette);
    }

    // 42 %: the bar ends at trunc(0.42 x width); where that edge crosses the centred text, the
    // text is in the window colour over the bar and in the highlight colour over the rest.
    void twoColouredCentredText() {
        QCOMPARE(Edge(Bar(42).Image()), 104);
        const QImage image = Bar(42, {}, 60).Image();
        QCOMPARE(Edge(image), 25);
        for (int x = 0; x < 60; ++x) QCOMPARE(image.pixel(x, 22), x < 25 ? kBar : kBack);
        const QRect text = Text(image).bounds;
        QVERIFY(text.left() < 25 && text.right() >= 25);
        QVERIFY(std::abs(text.center().x() * 2 + 1 - 60) <= 3);  // centred, give or take
        QVERIFY(std::abs(text.center().y() * 2 + 1 - 23) <= 5);  // the glyphs' own margins
        const auto light = [](int, int, QRgb p) { return qRed(p) > 200 && qBlue(p) > 200; };
        QVERIFY(Find(image.copy(0, 0, 25, 23), light).count > 0);
        QVERIFY(
            Find(image.copy(25, 0, 35, 23), [](int, int, QRgb p) { return qRed(p) < 60; }).count);
        // 100 %: nothing but the bar and the text, the text in the window colour.
        const QImage full = Bar(100).Image();
        QCOMPARE(Edge(full), 248);
        QVERIFY(Find(full, light).count > 0 && Text(full).bounds.width() < 60);
    }

    // Exact (29 of 100 is 29 % and 29 pixels of 100, not 28) and clamped to the range, while
    // the position is kept as given; an empty or reversed range paints nothing at all.
    void exactClampedAndEmpty() {
        Bar bar(29, {}, 100);
        QCOMPARE(Edge(bar.Image()), 29);
        QCOMPARE(bar.Image(), Bar(29, "29%", 100).Image());
        QCOMPARE(Bar(150).Image(), Bar(100).Image());
        QCOMPARE(Bar(-20).Image(), Bar(0).Image());
        QCOMPARE(bar.SetPos(150), 29);
        QCOMPARE(bar.SetPos(7), 150);

        QWidget parent;
        parent.setStyleSheet("background: magenta");
        auto* control = new PercentProgressCtrl(&parent);
        control->resize(248, 23);
        parent.show();
        for (auto [lower, upper] : {std::pair{5, 5}, std::pair{10, 0}}) {
            control->SetRange(lower, upper);
            control->SetPos(lower);  // and no division by zero
            const QImage image = Grab(*control);
            QCOMPARE(Find(image, [](int, int, QRgb p) { return p != qRgb(255, 0, 255); }).count, 0);
        }
    }

    // SetPos answers -1 and keeps nothing until the control has its window; then it repaints
    // at once when the bar's pixel width changes, and only then.
    void repaintsOnlyWhenWidthChanges() {
        PercentProgressCtrl unshown;
        QCOMPARE(unshown.SetPos(50), -1);
        unshown.show();
        QCOMPARE(unshown.SetPos(10), 0);

        Bar bar(0);
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QCoreApplication::processEvents();
        bar.SetRange(0, 1000);
        int paints = bar.paints;
        QCOMPARE(bar.SetPos(100), 0);    // 24.8 -> 24 pixels
        QCOMPARE(bar.SetPos(101), 100);  // 25.05 -> 25
        QCOMPARE(bar.SetPos(102), 101);  // 25.3 -> 25: no repaint
        QCOMPARE(bar.paints, paints + 2);
        bar.resize(249, 23);  // 25 pixels still, but a new size forgets the drawn width
        QCoreApplication::processEvents();
        paints = bar.paints;
        QCOMPARE(bar.SetPos(102), 102);
        QCOMPARE(bar.paints, paints + 1);
        bar.hide();  // hidden, it still has its window
        QCOMPARE(bar.SetPos(500), 102);
    }

    // A text replaces the percentage and is drawn as it is; an empty one brings it back.
    void textReplacesPercentage() {
        Bar bar(42);
        const QImage percent = bar.Image();
        QCOMPARE(Bar(42, "42%").Image(), percent);
        bar.SetWindowText("Loading 50%");
        QCOMPARE(bar.GetWindowText(), QStringLiteral("Loading 50%"));
        QVERIFY(Text(bar.Image()).bounds.width() > Text(percent).bounds.width() * 2);
        bar.SetWindowText(QString());
        QCOMPARE(bar.Image(), percent);
    }
};

QTEST_MAIN(PercentProgressTest)
#include "PercentProgressTest.moc"
