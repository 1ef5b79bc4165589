#include "controls/CImageButtonWithStyle.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <cmath>
#include <cstring>

#include "controls/ImagePlacement.h"

namespace framewise {

bool IsClassicStyle(const QStyle* style) {
    // A proxy draws with the style it wraps; look through any chain of them.
    while (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) {
        style = proxy->baseStyle();
    }
    if (style == nullptr) return true;
    // The exact class, not inheritance: themed styles derive from these two.
    const char* name = style->metaObject()->className();
    return std::strcmp(name, "QWindowsStyle") == 0 || std::strcmp(name, "QCommonStyle") == 0;
}

CImageButtonWithStyle::CImageButtonWithStyle(QWidget* parent) : QPushButton(parent) {
    // Entering and leaving must repaint, or the hot state would never show.
    setAttribute(Qt::WA_Hover);
}

CImageButtonWithStyle::CImageButtonWithStyle(const QIcon& icon, const QString& caption,
                                             QWidget* parent)
    : CImageButtonWithStyle(parent) {
    setIcon(icon);
    setText(caption);
}

void CImageButtonWithStyle::SetImageAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    update();
}

QRect CImageButtonWithStyle::ContentRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

QSize CImageButtonWithStyle::sizeHint() const {
    if (icon().isNull()) return QPushButton::sizeHint();
    // The caption is not painted, so it must not widen the button either.
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, option.iconSize, this);
}

void CImageButtonWithStyle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!icon().isNull() && !IsClassicStyle(style())) {
        PaintThemed(painter);
        return;
    }
    // Without an icon, or under a classic style, the style draws the whole button the way it
    // draws every push button; only the caption is left out while there is an icon to show.
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!icon().isNull()) option.text.clear();
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

// The option carries exactly one of the five panel states, so the panel shows the strongest
// reason alone (a pressed button does not also look hot or default).
static void ApplyState(QStyleOptionButton& option, PushButtonState state) {
    option.state &= ~(QStyle::State_Enabled | QStyle::State_Sunken | QStyle::State_On |
                      QStyle::State_MouseOver | QStyle::State_HasFocus | QStyle::State_Raised);
    option.features &= ~(QStyleOptionButton::DefaultButton | QStyleOptionButton::AutoDefaultButton);
    switch (state) {
        case PushButtonState::Disabled:
            option.state |= QStyle::State_Raised;
            break;
        case PushButtonState::Pressed:
            option.state |= QStyle::State_Enabled | QStyle::State_Sunken;
            break;
        case PushButtonState::Hot:
            option.state |= QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_MouseOver;
            break;
        case PushButtonState::Defaulted:
            option.state |= QStyle::State_Enabled | QStyle::State_Raised;
            option.features |= QStyleOptionButton::DefaultButton;
            break;
        case PushButtonState::Normal:
            option.state |= QStyle::State_Enabled | QStyle::State_Raised;
            break;
    }
}

void CImageButtonWithStyle::PaintThemed(QPainter& painter) {
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    const PushButtonState state =
        ButtonState(isEnabled(), isDown() || isChecked(), underMouse(), isDefault());
    ApplyState(option, state);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    const QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const qreal ratio = devicePixelRatioF();
    QPixmap pixmap =
        icon().pixmap(iconSize(), ratio, QIcon::Normal, isChecked() ? QIcon::On : QIcon::Off);
    if (state == PushButtonState::Disabled) {
        pixmap = style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
    }
    if (!pixmap.isNull()) {
        // The icon keeps its own size; only its place depends on the content rectangle.
        const int width = static_cast<int>(std::lround(pixmap.width() / pixmap.devicePixelRatio()));
        const int height =
            static_cast<int>(std::lround(pixmap.height() / pixmap.devicePixelRatio()));
        const Qt::Alignment alignment = QStyle::visualAlignment(layoutDirection(), m_alignment);
        painter.drawPixmap(
            QPoint(ImageLeft(width, content, alignment), ImageTop(height, content, alignment)),
            pixmap);
    }

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = content;
        // Shown whenever the button has focus, not only after keyboard navigation.
        focus.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = palette().color(QPalette::Button);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace framewise
