#include "cli/DemoPictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace framewise::cli {

namespace {

// Places drawn in fractions of the picture, so that every picture fits any LCD shape; lengths
// in fractions of the shorter side, so that round things stay round.
struct Area {
    double w, h;
    QPointF At(double x, double y) const { return {x * w, y * h}; }
    double Len(double fraction) const { return fraction * std::min(w, h); }
    QRectF Rect(double x, double y, double rw, double rh) const {
        return {x * w, y * h, rw * w, rh * h};
    }
};

QLinearGradient Vertical(const Area& a, double from, double to,
                         std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient g(a.At(0, from), a.At(0, to));
    for (const auto& [at, colour] : stops) g.setColorAt(at, colour);
    return g;
}

// A mountain ridge or a line of hills: the shape from the left edge to the right along a
// sum of waves, closed along the bottom.
QPainterPath Ridge(const Area& a, double base, std::initializer_list<double> waves, double top) {
    QPainterPath path(a.At(0, 1));
    const int steps = 96;
    for (int i = 0; i <= steps; ++i) {
        const double x = static_cast<double>(i) / steps;
        double y = base;
        double k = 1;
        for (double amplitude : waves) {
            // Absolute sines give sharp peaks; the phase keeps the layers apart.
            y -= amplitude * std::abs(std::sin(x * 3.1 * k + top * k));
            k *= 2.13;
        }
        path.lineTo(a.At(x, y));
    }
    path.lineTo(a.At(1, 1));
    path.closeSubpath();
    return path;
}

// A fixed sequence of numbers in [0, 1): the same stars in every run.
struct Sequence {
    uint32_t state;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / 16777216.0;
    }
};

void Cloud(QPainter& p, const Area& a, double x, double y, double size) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    const double r = a.Len(size);
    const QPointF c = a.At(x, y);
    p.drawEllipse(c, r * 1.6, r * 0.8);
    p.drawEllipse(c + QPointF(-r * 0.8, -r * 0.1), r * 0.9, r * 0.7);
    p.drawEllipse(c + QPointF(r * 0.2, -r * 0.6), r, r * 0.9);
    p.drawEllipse(c + QPointF(r * 1.0, -r * 0.2), r * 0.8, r * 0.6);
}

void Greeting(QPainter& p, const Area& a) {
    QLinearGradient bg(a.At(0, 0), a.At(1, 1));
    bg.setColorAt(0, QColor(0x11, 0x99, 0x8e));
    bg.setColorAt(1, QColor(0x38, 0x3d, 0xa8));
    p.fillRect(a.Rect(0, 0, 1, 1), bg);
    // Soft light circles behind the words.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawEllipse(a.At(0.15, 0.2), a.Len(0.35), a.Len(0.35));
    p.drawEllipse(a.At(0.9, 0.85), a.Len(0.45), a.Len(0.45));
    p.setBrush(QColor(255, 255, 255, 18));
    p.drawEllipse(a.At(0.85, 0.1), a.Len(0.2), a.Len(0.2));

    // A picture frame around the greeting.
    QPen frame(QColor(255, 255, 255, 220));
    frame.setWidthF(a.Len(0.025));
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    const double m = a.Len(0.08);
    p.drawRoundedRect(QRectF(m, m, a.w - 2 * m, a.h - 2 * m), a.Len(0.05), a.Len(0.05));

    QFont big(QStringLiteral("Sans Serif"));
    big.setBold(true);
    big.setPixelSize(static_cast<int>(a.Len(0.2)));
    p.setFont(big);
    p.setPen(QColor(0, 0, 0, 60));
    const QRectF upper = a.Rect(0, 0.18, 1, 0.42);
    p.drawText(upper.translated(a.Len(0.012), a.Len(0.012)), Qt::AlignCenter,
               QStringLiteral("Hello!"));
    p.setPen(Qt::white);
    p.drawText(upper, Qt::AlignCenter, QStringLiteral("Hello!"));

    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(static_cast<int>(a.Len(0.1)));
    p.setFont(small);
    p.setPen(QColor(0xff, 0xe0, 0x8a));
    p.drawText(a.Rect(0, 0.6, 1, 0.18), Qt::AlignCenter, QStringLiteral("Framewise"));
}

void Sunset(QPainter& p, const Area& a) {
    p.fillRect(a.Rect(0, 0, 1, 0.62), Vertical(a, 0, 0.62,
                                               {{0, QColor(0x2b, 0x10, 0x55)},
                                                {0.55, QColor(0xd5, 0x33, 0x69)},
                                                {1, QColor(0xff, 0xb3, 0x47)}}));
    // The sun with its glow, half behind the far mountains.
    QRadialGradient glow(a.At(0.5, 0.43), a.Len(0.45));
    glow.setColorAt(0, QColor(255, 230, 150, 170));
    glow.setColorAt(1, QColor(255, 200, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(a.At(0.5, 0.43), a.Len(0.45), a.Len(0.45));
    p.setBrush(QColor(0xff, 0xf2, 0xb0));
    p.drawEllipse(a.At(0.5, 0.43), a.Len(0.13), a.Len(0.13));

    p.setBrush(QColor(0x7a, 0x2e, 0x6e));
    p.drawPath(Ridge(a, 0.6, {0.16, 0.06, 0.025}, 0.4));
    p.setBrush(QColor(0x3d, 0x16, 0x4a));
    p.drawPath(Ridge(a, 0.63, {0.08, 0.04, 0.015}, 1.7));

    // The lake below, with the sun's light on it.
    p.fillRect(
        a.Rect(0, 0.63, 1, 0.37),
        Vertical(a, 0.63, 1, {{0, QColor(0x5a, 0x24, 0x6a)}, {1, QColor(0x1a, 0x0f, 0x2e)}}));
    p.setBrush(QColor(0xff, 0xd8, 0x8a, 200));
    for (int i = 0; i < 7; ++i) {
        const double y = 0.66 + i * 0.045;
        const double half = 0.16 - i * 0.018;
        p.drawRoundedRect(a.Rect(0.5 - half, y, 2 * half, 0.012), a.Len(0.006), a.Len(0.006));
    }
}

void Hills(QPainter& p, const Area& a) {
    p.fillRect(a.Rect(0, 0, 1, 1),
               Vertical(a, 0, 0.7, {{0, QColor(0x4f, 0xa8, 0xf0)}, {1, QColor(0xd8, 0xf1, 0xff)}}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x66));
    p.drawEllipse(a.At(0.82, 0.16), a.Len(0.08), a.Len(0.08));
    Cloud(p, a, 0.25, 0.2, 0.07);
    Cloud(p, a, 0.62, 0.32, 0.05);

    p.setBrush(QColor(0x9c, 0xcc, 0x65));
    p.drawPath(Ridge(a, 0.62, {0.1}, 0.9));
    p.setBrush(QColor(0x66, 0xbb, 0x6a));
    p.drawPath(Ridge(a, 0.74, {0.08}, 2.2));
    p.setBrush(QColor(0x38, 0x8e, 0x3c));
    p.drawPath(Ridge(a, 0.9, {0.07}, 0.3));

    // A winding path up to a small red house.
    QPainterPath road(a.At(0.3, 1.02));
    road.cubicTo(a.At(0.55, 0.85), a.At(0.35, 0.75), a.At(0.62, 0.66));
    QPen roadPen(QColor(0xf3, 0xe5, 0xc0));
    roadPen.setWidthF(a.Len(0.035));
    roadPen.setCapStyle(Qt::RoundCap);
    p.setPen(roadPen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(road);
    p.setPen(Qt::NoPen);
    const QPointF house = a.At(0.66, 0.6);
    const double s = a.Len(0.09);
    p.setBrush(QColor(0xf5, 0xf5, 0xf0));
    p.drawRect(QRectF(house.x() - s, house.y() - s * 0.9, 2 * s, s * 1.1));
    p.setBrush(QColor(0xc6, 0x28, 0x28));
    p.drawPolygon(QPolygonF{house + QPointF(-s * 1.25, -s * 0.85), house + QPointF(0, -s * 1.8),
                            house + QPointF(s * 1.25, -s * 0.85)});
    p.setBrush(QColor(0x6d, 0x4c, 0x41));
    p.drawRect(QRectF(house.x() - s * 0.25, house.y() - s * 0.55, s * 0.5, s * 0.75));

    // A round tree.
    const QPointF tree = a.At(0.2, 0.72);
    p.setBrush(QColor(0x5d, 0x40, 0x37));
    p.drawRect(QRectF(tree.x() - a.Len(0.015), tree.y() - a.Len(0.05), a.Len(0.03), a.Len(0.1)));
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawEllipse(tree + QPointF(0, -a.Len(0.11)), a.Len(0.08), a.Len(0.09));
}

void Sailboat(QPainter& p, const Area& a) {
    p.fillRect(a.Rect(0, 0, 1, 0.6),
               Vertical(a, 0, 0.6, {{0, QColor(0x7e, 0xc8, 0xe3)}, {1, QColor(0xfd, 0xf6, 0xe3)}}));
    Cloud(p, a, 0.75, 0.18, 0.05);
    p.fillRect(a.Rect(0, 0.6, 1, 0.4),
               Vertical(a, 0.6, 1, {{0, QColor(0x1f, 0x8a, 0xb8)}, {1, QColor(0x0b, 0x3d, 0x6b)}}));
    // Waves as light strokes.
    QPen wave(QColor(255, 255, 255, 110));
    wave.setWidthF(a.Len(0.008));
    wave.setCapStyle(Qt::RoundCap);
    p.setPen(wave);
    for (int row = 0; row < 5; ++row) {
        const double y = 0.66 + row * 0.07;
        for (int i = 0; i < 4; ++i) {
            const double x = 0.08 + i * 0.25 + (row % 2) * 0.12;
            QPainterPath crest(a.At(x, y));
            crest.quadTo(a.At(x + 0.04, y - 0.02), a.At(x + 0.08, y));
            p.drawPath(crest);
        }
    }
    // The boat: hull, mast and two sails.
    p.setPen(Qt::NoPen);
    const QPointF deck = a.At(0.45, 0.64);
    const double s = a.Len(0.2);
    p.setBrush(QColor(0x8d, 0x2d, 0x1e));
    p.drawPolygon(QPolygonF{deck + QPointF(-s, 0), deck + QPointF(s * 1.05, 0),
                            deck + QPointF(s * 0.75, s * 0.28),
                            deck + QPointF(-s * 0.75, s * 0.28)});
    p.setBrush(QColor(0x4e, 0x34, 0x2e));
    p.drawRect(QRectF(deck.x() - s * 0.03, deck.y() - s * 1.6, s * 0.06, s * 1.6));
    p.setBrush(QColor(0xff, 0xfd, 0xf5));
    p.drawPolygon(QPolygonF{deck + QPointF(s * 0.06, -s * 1.55), deck + QPointF(s * 0.06, -s * 0.1),
                            deck + QPointF(s * 0.9, -s * 0.1)});
    p.setBrush(QColor(0xff, 0x8a, 0x65));
    p.drawPolygon(QPolygonF{deck + QPointF(-s * 0.06, -s * 1.3),
                            deck + QPointF(-s * 0.06, -s * 0.1),
                            deck + QPointF(-s * 0.7, -s * 0.1)});
    // Two gulls.
    QPen gull(QColor(0x37, 0x47, 0x4f));
    gull.setWidthF(a.Len(0.01));
    gull.setCapStyle(Qt::RoundCap);
    p.setPen(gull);
    p.setBrush(Qt::NoBrush);
    for (const QPointF& g : {a.At(0.2, 0.22), a.At(0.3, 0.3)}) {
        const double r = a.Len(0.03);
        QPainterPath wings(g + QPointF(-r, 0));
        wings.quadTo(g + QPointF(-r * 0.5, -r * 0.7), g);
        wings.quadTo(g + QPointF(r * 0.5, -r * 0.7), g + QPointF(r, 0));
        p.drawPath(wings);
    }
}

void Night(QPainter& p, const Area& a) {
    p.fillRect(a.Rect(0, 0, 1, 1), Vertical(a, 0, 1,
                                            {{0, QColor(0x0b, 0x10, 0x26)},
                                             {0.7, QColor(0x2b, 0x3a, 0x67)},
                                             {1, QColor(0x4a, 0x4e, 0x8a)}}));
    Sequence random{20240611u};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 90; ++i) {
        const double x = random.Next(), y = random.Next() * 0.7, size = random.Next();
        p.setBrush(QColor(255, 255, 240, 90 + static_cast<int>(size * 165)));
        const double r = a.Len(0.002 + size * 0.006);
        p.drawEllipse(a.At(x, y), r, r);
    }
    // A crescent moon: the full disc less a disc beside it.
    QPainterPath disc, bite;
    const QPointF moon = a.At(0.72, 0.24);
    const double r = a.Len(0.11);
    disc.addEllipse(moon, r, r);
    bite.addEllipse(moon + QPointF(r * 0.45, -r * 0.25), r * 0.9, r * 0.9);
    QRadialGradient halo(moon, r * 2.5);
    halo.setColorAt(0, QColor(255, 250, 220, 60));
    halo.setColorAt(1, QColor(255, 250, 220, 0));
    p.setBrush(halo);
    p.drawEllipse(moon, r * 2.5, r * 2.5);
    p.setBrush(QColor(0xf6, 0xf1, 0xd5));
    p.drawPath(disc.subtracted(bite));

    // Pines along a dark ridge.
    p.setBrush(QColor(0x14, 0x1a, 0x33));
    p.drawPath(Ridge(a, 0.86, {0.05}, 1.1));
    p.setBrush(QColor(0x08, 0x0c, 0x1c));
    for (int i = 0; i < 9; ++i) {
        const double x = 0.04 + i * 0.12 + (i % 2) * 0.03;
        const double height = 0.16 + (i % 3) * 0.05;
        const QPointF foot = a.At(x, 0.95);
        const double w = a.Len(0.055 + (i % 3) * 0.01);
        for (int tier = 0; tier < 3; ++tier) {
            const double top = foot.y() - a.h * height * (0.5 + tier * 0.25);
            const double bottom = foot.y() - a.h * height * tier * 0.22;
            const double half = w * (1.0 - tier * 0.25);
            p.drawPolygon(QPolygonF{QPointF(foot.x() - half, bottom), QPointF(foot.x(), top),
                                    QPointF(foot.x() + half, bottom)});
        }
    }
    p.fillRect(a.Rect(0, 0.94, 1, 0.06), QColor(0x08, 0x0c, 0x1c));
}

void Shapes(QPainter& p, const Area& a) {
    p.fillRect(a.Rect(0, 0, 1, 1), QColor(0xf4, 0xec, 0xd8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe6, 0x39, 0x46));
    p.drawEllipse(a.At(0.34, 0.36), a.Len(0.26), a.Len(0.26));
    p.setBrush(QColor(0x1d, 0x35, 0x57));
    p.save();
    p.translate(a.At(0.68, 0.62));
    p.rotate(18);
    p.drawRect(QRectF(-a.Len(0.18), -a.Len(0.18), a.Len(0.36), a.Len(0.36)));
    p.restore();
    p.setBrush(QColor(0xff, 0xb7, 0x03));
    p.drawPolygon(QPolygonF{a.At(0.12, 0.92), a.At(0.3, 0.58), a.At(0.48, 0.92)});
    p.setBrush(QColor(0x45, 0x7b, 0x9d));
    p.drawEllipse(a.At(0.8, 0.2), a.Len(0.07), a.Len(0.07));
    QPen line(QColor(0x22, 0x22, 0x22));
    line.setWidthF(a.Len(0.018));
    p.setPen(line);
    p.drawLine(a.At(0.06, 0.08), a.At(0.94, 0.08));
    p.drawLine(a.At(0.88, 0.3), a.At(0.88, 0.94));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x22, 0x22, 0x22));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(a.At(0.56 + i * 0.07, 0.2), a.Len(0.016), a.Len(0.016));
}

}  // namespace

QImage PaintDemoPicture(int which, QSize size) {
    if (which < 0 || which >= kDemoPictureCount || size.isEmpty()) return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const Area a{static_cast<double>(size.width()), static_cast<double>(size.height())};
    switch (which) {
        case 0:
            Greeting(p, a);
            break;
        case 1:
            Sunset(p, a);
            break;
        case 2:
            Hills(p, a);
            break;
        case 3:
            Sailboat(p, a);
            break;
        case 4:
            Night(p, a);
            break;
        default:
            Shapes(p, a);
            break;
    }
    return image;
}

}  // namespace framewise::cli
