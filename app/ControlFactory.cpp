#include "app/ControlFactory.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <map>

#include "config/ControlIds.h"
#include "controls/CImageButtonWithStyle.h"
#include "controls/Icons.h"
#include "controls/PercentProgressCtrl.h"

namespace framewise::factory {

namespace {
constexpr char kConnectedProperty[] = "connected";
constexpr char kPositionProperty[] = "position";
constexpr int kPositionRole = Qt::UserRole + 1;
// A label that shrinks its font until its text fits.
class FittingLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect box = contentsRect();
        constexpr int flags = Qt::AlignCenter | Qt::TextWordWrap;
        QFont font = this->font();
        for (qreal size = font.pointSizeF(); size > 5.0; size -= 0.5) {
            font.setPointSizeF(size);
            const QFontMetrics metrics(font);
            const QRect needed = metrics.boundingRect(box, flags, text());
            // The first line's space above the capitals and the last line's below the
            // baseline may fall outside: no ink is lost.
            const int spare = metrics.descent();
            if (needed.width() <= box.width() && needed.height() <= box.height() + spare) break;
        }
        painter.setFont(font);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::WindowText));
        painter.drawText(box, flags, text());
    }
};

}  // namespace

QWidget* MakePictureTotal(QWidget* parent, const QString& text) {
    auto* label = new FittingLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QAbstractButton* MakeImageButton(QWidget* parent, const QString& text) {
    auto* button = new CImageButtonWithStyle(parent);
    button->setText(text);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setIconSize(QSize(icons::kButtonIconSide, icons::kButtonIconSide));
    return button;
}

void SetButtonIcon(QAbstractButton* button, const QIcon& icon) {
    button->setIcon(icon);
    button->setIconSize(QSize(icons::kButtonIconSide, icons::kButtonIconSide));
    button->update();
}

const char* ButtonIconName(int controlId) {
    static const std::map<int, const char*> names{
        {kIdZoomIn, icons::kZoomIn}, {kIdZoomOut, icons::kZoomOut},
        {kIdRect, icons::kCrop},     {kIdRotateLeft, icons::kRotateLeft},
        {kIdAdd, icons::kAdd},       {kIdRotateRight, icons::kRotateRight},
        {kIdMoveUp, icons::kUp},     {kIdMoveDown, icons::kDown},
    };
    const auto it = names.find(controlId);
    return it == names.end() ? nullptr : it->second;
}

QAbstractButton* MakePushButton(QWidget* parent, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QWidget* MakeProgressBar(QWidget* parent) {
    auto* bar = new PercentProgressCtrl(parent);
    bar->SetRange(0, 100);
    return bar;
}

void SetProgressRange(QWidget* bar, int low, int high) {
    if (auto* p = qobject_cast<PercentProgressCtrl*>(bar)) p->SetRange(low, high);
}

void SetProgressPos(QWidget* bar, int pos) {
    auto* p = qobject_cast<PercentProgressCtrl*>(bar);
    if (!p) return;
    p->SetPos(pos);
    // The control keeps its position to itself; the window reads it back from here.
    p->setProperty(kPositionProperty, pos);
}

int ProgressPos(const QWidget* bar) {
    return bar ? bar->property(kPositionProperty).toInt() : 0;
}

QWidget* MakeConnectionIndicator(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    ShowConnection(label, false);
    return label;
}

void ShowConnection(QWidget* indicator, bool connected) {
    auto* label = qobject_cast<QLabel*>(indicator);
    if (!label) return;
    label->setProperty(kConnectedProperty, connected);
    // The picture fills the frame but its edge; drawn afresh at the size the layout gave.
    const int side =
        std::max(16, std::min(label->width(), label->height()) - 2 * label->frameWidth() - 4);
    const QIcon icon = FramewiseIcon(connected ? icons::kConnected : icons::kDisconnected);
    label->setPixmap(icon.pixmap(QSize(side, side), label->devicePixelRatioF()));
}

bool ShowsConnected(const QWidget* indicator) {
    return indicator && indicator->property(kConnectedProperty).toBool();
}

PlacedIconList::PlacedIconList(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    // Items are placed by position only in free movement; dragging stays off, so the user
    // cannot move them.
    setMovement(QListView::Free);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setAcceptDrops(false);
    setResizeMode(QListView::Fixed);
    setSpacing(0);
    setWrapping(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::StyledPanel);
}

void PlacedIconList::SetItemPosition(int row, QPoint position) {
    if (QListWidgetItem* it = item(row)) {
        it->setData(kPositionRole, position);
        Place(row);
    }
}

QPoint PlacedIconList::ItemPosition(int row) const {
    const QListWidgetItem* it = item(row);
    return it ? it->data(kPositionRole).toPoint() : QPoint();
}

void PlacedIconList::Place(int row) {
    const QListWidgetItem* it = item(row);
    if (!it || !it->data(kPositionRole).isValid()) return;
    setPositionForIndex(it->data(kPositionRole).toPoint(), indexFromItem(it));
}

void PlacedIconList::doItemsLayout() {
    // The view lays its items out in its own flow whenever it likes (rows inserted, a
    // resize); they go back to their places straight after.
    QListWidget::doItemsLayout();
    for (int row = 0; row < count(); ++row) Place(row);
}

}  // namespace framewise::factory
