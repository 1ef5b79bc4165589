#include "app/StatusLine.h"

#include <QHBoxLayout>
#include <QLabel>

#include "config/ControlIds.h"

namespace framewise {

StatusLine::StatusLine(const QString& leftText, QWidget* parent)
    : QFrame(parent), m_left(new QLabel(leftText, this)), m_status(new QLabel(this)) {
    setObjectName(QString::number(kIdStatusBar));
    setFrameStyle(QFrame::NoFrame);
    m_left->setObjectName(QStringLiteral("part0"));
    m_status->setObjectName(QStringLiteral("part1"));
    for (QLabel* part : {m_left, m_status}) {
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        part->setTextFormat(Qt::PlainText);
    }
    m_left->setFixedWidth(kLeftPartWidth);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_left);
    layout->addWidget(m_status, 1);
}

void StatusLine::SetStatusText(const QString& text) {
    m_status->setText(text);
}

QString StatusLine::LeftText() const {
    return m_left->text();
}

QString StatusLine::StatusText() const {
    return m_status->text();
}

}  // namespace framewise
