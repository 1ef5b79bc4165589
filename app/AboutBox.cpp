#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "config/ControlIds.h"

namespace framewise {

namespace {
QLabel* Line(QWidget* parent, int id, const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setObjectName(QString::number(id));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
}  // namespace

AboutBox::AboutBox(const AboutTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(texts.caption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Line(this, kIdAboutProduct, texts.productLine));
    layout->addWidget(Line(this, kIdAboutNotice, texts.noticeLine));
    layout->addWidget(Line(this, kIdAboutLink, texts.linkLine));
    layout->addWidget(Line(this, kIdAboutFlashSize, texts.flashSizeLine));
    layout->addWidget(Line(this, kIdAboutFirmware, texts.firmwareLine));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace framewise
