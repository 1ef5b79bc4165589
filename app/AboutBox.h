// The About box: product line, notice, link, flash size and firmware version, each line
// carrying its numeric id as object name.
#pragma once

#include <QDialog>

#include "config/LanguageUi.h"

namespace framewise {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    AboutBox(const AboutTexts& texts, QWidget* parent);
};

}  // namespace framewise
