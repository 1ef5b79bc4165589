#include "controls/WaitBox.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "controls/Icons.h"

namespace framewise {

namespace {
constexpr int kIconSize = 32;
}

WaitBox::WaitBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_pText(new QLabel(this)) {
    setModal(false);
    setWindowTitle(QString());
    // The box reports; it does not take the keyboard away from the window behind it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* icon = new QLabel(this);
    icon->setPixmap(FramewiseIcon(icons::kApplication)
                        .pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    icon->setFixedSize(kIconSize, kIconSize);

    m_pText->setObjectName(QStringLiteral("1071"));
    m_pText->setAlignment(Qt::AlignCenter);
    m_pText->setText(QStringLiteral("Please wait\u2026"));
    // Wide enough for every progress text, so the box keeps its size while the text changes.
    m_pText->setMinimumWidth(std::max(
        152, m_pText->fontMetrics().horizontalAdvance(QStringLiteral("Loading 100%")) + 16));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(icon);
    layout->addWidget(m_pText, 1);
    setFixedSize(sizeHint());
}

QString WaitBox::Text() const {
    return m_pText->text();
}

void WaitBox::SetText(const QString& text) {
    m_pText->setText(text);
}

void WaitBox::closeEvent(QCloseEvent* event) {
    // The window manager's close button would leave the work without its report; the box
    // goes when the work ends.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

WaitBoxDriver::WaitBoxDriver(QWidget* window) : QObject(window), m_window(window) {}

WaitBoxDriver::~WaitBoxDriver() {
    delete m_box;
}

void WaitBoxDriver::Show() {
    QMetaObject::invokeMethod(this, [this] {
        if (m_box != nullptr) {
            m_box->raise();  // already there: bring it forward
            return;
        }
        m_box = new WaitBox(m_window);
        m_box->show();
    });
}

void WaitBoxDriver::SetText(const QString& text) {
    QMetaObject::invokeMethod(this, [this, text] {
        if (m_box != nullptr) m_box->SetText(text);
    });
}

void WaitBoxDriver::Close() {
    QMetaObject::invokeMethod(this, [this] { delete m_box; });
}

}  // namespace framewise
