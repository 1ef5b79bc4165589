#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QStyle>

#include "browser/WaitBoxSeam.h"

namespace framewise {
namespace {

class StandInWaitBox : public WaitBoxView {
  public:
    explicit StandInWaitBox(QWidget* parent) : m_box(new QDialog(parent)) {
        m_box->setObjectName("203");
        m_box->setWindowTitle(QString());
        m_box->setModal(false);
        m_box->setAttribute(Qt::WA_ShowWithoutActivating);
        auto* icon = new QLabel(m_box);
        const QIcon appIcon = QApplication::windowIcon().isNull()
                                  ? m_box->style()->standardIcon(QStyle::SP_MessageBoxInformation)
                                  : QApplication::windowIcon();
        icon->setPixmap(appIcon.pixmap(32, 32));
        m_text = new QLabel(QString::fromUtf8("Please wait\u2026"), m_box);
        m_text->setObjectName("1071");
        m_text->setAlignment(Qt::AlignCenter);
        m_text->setMinimumWidth(120);
        auto* layout = new QHBoxLayout(m_box);
        layout->addWidget(icon);
        layout->addWidget(m_text, 1);
        m_box->adjustSize();
        if (parent) {
            const QPoint centre = parent->mapToGlobal(parent->rect().center());
            m_box->move(centre - m_box->rect().center());
        }
        m_box->show();
    }
    ~StandInWaitBox() override { delete m_box.data(); }

    void SetText(const QString& text) override { m_text->setText(text); }

  private:
    QPointer<QDialog> m_box;  // gone with its parent window, if that goes first
    QLabel* m_text;
};

}  // namespace

std::unique_ptr<WaitBoxView> MakeStandInWaitBox(QWidget* parent) {
    return std::make_unique<StandInWaitBox>(parent);
}

}  // namespace framewise
