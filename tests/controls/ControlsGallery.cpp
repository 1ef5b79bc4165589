// Renders the program's controls the way the window uses them into PNG files, for looking at
// them without running the window:
//   controls_gallery OUTDIR
// writes OUTDIR/controls-buttons.png (the eight picture buttons normal, hot, pressed, disabled
// and focused, in the Fusion style), OUTDIR/controls-buttons-classic.png (the same in the
// classic Windows style), OUTDIR/controls-progress.png (the progress bar at 0, 42, 50 and
// 100 %; at 50 the text straddles the bar's edge) and OUTDIR/icons.png (every icon from 16 to
// 64 pixels). Run it on the offscreen platform.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "controls/CImageButtonWithStyle.h"
#include "controls/Icons.h"
#include "controls/PercentProgressCtrl.h"

namespace {

using framewise::CImageButtonWithStyle;
using framewise::FramewiseIcon;
using framewise::PercentProgressCtrl;
namespace icons = framewise::icons;

struct ButtonSpec {
    const char* icon;
    const char* caption;
};

const std::vector<ButtonSpec> kButtons = {
    {icons::kZoomIn, "+"},
    {icons::kZoomOut, "-"},
    {icons::kCrop, "Rect"},
    {icons::kRotateLeft, "RotateL"},
    {icons::kRotateRight, "RotateR"},
    {icons::kAdd, "Add"},
    {icons::kUp, "Up"},
    {icons::kDown, "Down"},
};

constexpr int kButtonSide = 38;
constexpr int kLabelWidth = 84;
constexpr int kGap = 6;

QImage Sheet(int width, int height) {
    QImage sheet(width, height, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QApplication::palette().color(QPalette::Window));
    return sheet;
}

void Label(QPainter& painter, int y, int height, const QString& text) {
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.drawText(QRect(kGap, y, kLabelWidth, height), Qt::AlignVCenter | Qt::AlignLeft, text);
}

bool WriteButtons(const QString& path, QStyle* style) {
    struct Row {
        const char* name;
        std::function<void(CImageButtonWithStyle&)> set;
    };
    const std::vector<Row> rows = {
        {"normal", [](CImageButtonWithStyle&) {}},
        {"hot", [](CImageButtonWithStyle& b) { b.setAttribute(Qt::WA_UnderMouse, true); }},
        {"pressed", [](CImageButtonWithStyle& b) { b.setDown(true); }},
        {"disabled", [](CImageButtonWithStyle& b) { b.setEnabled(false); }},
        {"focused", [](CImageButtonWithStyle& b) { b.setFocus(Qt::TabFocusReason); }},
    };
    const int columns = static_cast<int>(kButtons.size());
    const int step = kButtonSide + kGap;
    QImage sheet =
        Sheet(kLabelWidth + kGap + columns * step, kGap + static_cast<int>(rows.size()) * step);
    QPainter painter(&sheet);

    QWidget window;
    window.resize(kButtonSide * 2, kButtonSide * 2);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const int y = kGap + static_cast<int>(r) * step;
        Label(painter, y, kButtonSide, QString::fromLatin1(rows[r].name));
        for (int c = 0; c < columns; ++c) {
            CImageButtonWithStyle button(FramewiseIcon(QString::fromLatin1(kButtons[c].icon)),
                                         QString::fromLatin1(kButtons[c].caption), &window);
            button.setStyle(style);
            button.setIconSize(QSize(icons::kButtonIconSide, icons::kButtonIconSide));
            button.setGeometry(0, 0, kButtonSide, kButtonSide);
            button.show();
            rows[r].set(button);
            QApplication::processEvents();
            painter.drawPixmap(kLabelWidth + kGap + c * step, y, button.grab());
        }
    }
    painter.end();
    return sheet.save(path);
}

bool WriteProgress(const QString& path) {
    const std::vector<int> positions = {0, 42, 50, 100};
    const QSize bar(248, 23);
    const int step = bar.height() + kGap;
    QImage sheet = Sheet(kLabelWidth + kGap + bar.width() + kGap,
                         kGap + static_cast<int>(positions.size()) * step);
    QPainter painter(&sheet);
    for (std::size_t i = 0; i < positions.size(); ++i) {
        PercentProgressCtrl control;
        control.resize(bar);
        control.show();
        control.SetPos(positions[i]);
        const int y = kGap + static_cast<int>(i) * step;
        Label(painter, y, bar.height(), QStringLiteral("SetPos(%1)").arg(positions[i]));
        painter.drawPixmap(kLabelWidth + kGap, y, control.grab());
    }
    painter.end();
    return sheet.save(path);
}

bool WriteIcons(const QString& path) {
    const std::vector<const char*> names = {
        icons::kApplication, icons::kZoomIn,      icons::kZoomOut,      icons::kCrop,
        icons::kRotateLeft,  icons::kRotateRight, icons::kAdd,          icons::kUp,
        icons::kDown,        icons::kConnected,   icons::kDisconnected,
    };
    const std::vector<int> sizes = {16, 24, 32, 48, 64};
    int height = kGap;
    for (int size : sizes) height += size + kGap;
    const int count = static_cast<int>(names.size());
    QImage sheet = Sheet(kLabelWidth + kGap + count * (sizes.back() + kGap), height);
    QPainter painter(&sheet);
    int y = kGap;
    for (int size : sizes) {
        Label(painter, y, size, QStringLiteral("%1 px").arg(size));
        for (std::size_t i = 0; i < names.size(); ++i) {
            const QIcon icon = FramewiseIcon(QString::fromLatin1(names[i]));
            painter.drawPixmap(kLabelWidth + kGap + static_cast<int>(i) * (size + kGap), y,
                               icon.pixmap(size, size));
        }
        y += size + kGap;
    }
    painter.end();
    return sheet.save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: controls_gallery OUTDIR\n");
        return 2;
    }
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const std::unique_ptr<QStyle> classic(QStyleFactory::create(QStringLiteral("Windows")));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool ok =
        WriteButtons(out.filePath(QStringLiteral("controls-buttons.png")), nullptr) &&
        WriteButtons(out.filePath(QStringLiteral("controls-buttons-classic.png")), classic.get()) &&
        WriteProgress(out.filePath(QStringLiteral("controls-progress.png"))) &&
        WriteIcons(out.filePath(QStringLiteral("icons.png")));
    if (!ok) std::fprintf(stderr, "controls_gallery: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
