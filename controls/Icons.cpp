#include "controls/Icons.h"

#include <QApplication>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <memory>

namespace framewise {

namespace {

// Renders its SVG at the exact size asked for instead of scaling one bitmap, which is what
// keeps a 16-pixel button icon and a 256-pixel application icon both crisp. Rendered pixmaps
// are kept in the global pixmap cache, as buttons repaint often.
class SvgIconEngine final : public QIconEngine {
  public:
    explicit SvgIconEngine(QString path)
        : m_path(std::move(path)), m_renderer(std::make_shared<QSvgRenderer>(m_path)) {}

    QIconEngine* clone() const override { return new SvgIconEngine(*this); }
    QString key() const override { return QStringLiteral("framewise-svg"); }
    bool isNull() override { return !m_renderer->isValid(); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    // `device` is in device pixels already (QIcon multiplies by the ratio before it asks).
    QPixmap scaledPixmap(const QSize& device, QIcon::Mode mode, QIcon::State,
                         qreal scale) override {
        if (device.isEmpty() || !m_renderer->isValid()) return {};
        const QString cacheKey = QStringLiteral("framewise-icon:%1:%2x%3:%4")
                                     .arg(m_path)
                                     .arg(device.width())
                                     .arg(device.height())
                                     .arg(static_cast<int>(mode));
        QPixmap result;
        if (QPixmapCache::find(cacheKey, &result)) return result;

        result = Render(device);
        if (mode != QIcon::Normal) {
            // The style decides what disabled and selected look like, as for any icon.
            if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
                QStyleOption option;
                option.palette = QApplication::palette();
                result = QApplication::style()->generatedIconPixmap(mode, result, &option);
            }
        }
        result.setDevicePixelRatio(scale);
        QPixmapCache::insert(cacheKey, result);
        return result;
    }

  private:
    SvgIconEngine(const SvgIconEngine&) = default;

    QPixmap Render(const QSize& device) const {
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_renderer->render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
        painter.end();
        return QPixmap::fromImage(std::move(image));
    }

    QString m_path;
    std::shared_ptr<QSvgRenderer> m_renderer;  // shared by clones; GUI thread only
};

}  // namespace

QString IconPath(const QString& name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

QIcon FramewiseIcon(const QString& name) {
    const QString path = IconPath(name);
    if (!QFile::exists(path)) return {};
    return QIcon(new SvgIconEngine(path));
}

}  // namespace framewise
