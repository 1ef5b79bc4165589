#include "app/WindowControls.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTreeWidget>

#include "app/ControlEnabling.h"
#include "app/ControlFactory.h"
#include "app/WindowLayout.h"
#include "config/ControlIds.h"

namespace framewise {

namespace {

QListWidget* MakeIconList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setFrameShape(QFrame::StyledPanel);
    // Files dropped on a list are the window's drop, not a move inside the list.
    list->setDragDropMode(QAbstractItemView::NoDragDrop);
    list->setAcceptDrops(false);
    return list;
}

QTreeWidget* MakeFolderTree(QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(true);
    // The three roots the folder browser hangs its folders under.
    for (const char* text : {"My Computer", "Desktop", "My Document"})
        tree->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromLatin1(text)}));
    return tree;
}

}  // namespace

WindowControls::WindowControls(QWidget* window) {
    using namespace factory;
    // Group boxes first, so that the controls they frame lie above them.
    auto* preview = new QGroupBox(QStringLiteral("Preview:"), window);
    preview->setFlat(false);
    Add(kIdPreviewGroup, preview);
    Add(kIdAlbumGroup, new QGroupBox(QStringLiteral("Pictures In Preview Album:"), window));

    Add(kIdFolderTree, MakeFolderTree(window));
    Add(kIdFolderPictureList, MakeIconList(window));
    Add(kIdAlbumList, new PlacedIconList(window));
    Add(kIdPictureTotal, MakePictureTotal(window, QStringLiteral("Total Pictures:\n 0 / 0")));
    Add(kIdProgress, MakeProgressBar(window));
    Add(kIdConnection, MakeConnectionIndicator(window));

    const std::pair<int, const char*> imageButtons[] = {
        {kIdZoomIn, "+"},        {kIdZoomOut, "-"}, {kIdRect, "Rect"}, {kIdRotateLeft, "RotateL"},
        {kIdRotateRight, "RotateR"}, {kIdAdd, "Add"}, {kIdMoveUp, "Up"}, {kIdMoveDown, "Down"}};
    for (const auto& [id, text] : imageButtons)
        Add(id, MakeImageButton(window, QString::fromLatin1(text)));
    const std::pair<int, const char*> pushButtons[] = {
        {kIdSave, "Save"},     {kIdSaveAll, "Save All"},       {kIdSelectAll, "Select All"},
        {kIdDelete, "Delete"}, {kIdSynchronize, "Synchronize"}, {kIdExit, "Exit"}};
    for (const auto& [id, text] : pushButtons)
        Add(id, MakePushButton(window, QString::fromLatin1(text)));

    auto* qualityLabel = new QLabel(QStringLiteral("Jpg Quality:"), window);
    Add(kIdQualityLabel, qualityLabel)->hide();
    auto* slider = new QSlider(Qt::Horizontal, window);
    slider->setRange(10, 100);
    slider->setPageStep(1);
    slider->setEnabled(false);
    Add(kIdQualitySlider, slider)->hide();
    Add(kIdRead, MakePushButton(window, QStringLiteral("Read")))->hide();

    for (const auto& c : DesignRects()) Get(c.id)->setGeometry(c.rect);
}

QWidget* WindowControls::Add(int id, QWidget* widget) {
    widget->setObjectName(QString::number(id));
    m_controls[id] = widget;
    return widget;
}

QWidget* WindowControls::Get(int id) const {
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QAbstractButton* WindowControls::Button(int id) const {
    return qobject_cast<QAbstractButton*>(Get(id));
}

QListWidget* WindowControls::AlbumList() const {
    return qobject_cast<QListWidget*>(Get(kIdAlbumList));
}

factory::PlacedIconList* WindowControls::PlacedAlbumList() const {
    return dynamic_cast<factory::PlacedIconList*>(Get(kIdAlbumList));
}

QListWidget* WindowControls::FolderPictureList() const {
    return qobject_cast<QListWidget*>(Get(kIdFolderPictureList));
}

QTreeWidget* WindowControls::FolderTree() const {
    return qobject_cast<QTreeWidget*>(Get(kIdFolderTree));
}

std::vector<std::pair<int, QAbstractButton*>> WindowControls::CommandButtons() const {
    std::vector<std::pair<int, QAbstractButton*>> buttons;
    for (const auto& [id, widget] : m_controls)
        if (auto* b = qobject_cast<QAbstractButton*>(widget); b && id != kIdRead)
            buttons.emplace_back(id, b);
    return buttons;
}

void WindowControls::Place(const WindowGeometry& geometry) {
    for (const auto& c : geometry.controls) Get(c.id)->setGeometry(c.rect);
    auto* indicator = Get(kIdConnection);
    factory::ShowConnection(indicator, factory::ShowsConnected(indicator));
}

void WindowControls::ApplyCaptions(const Captions& captions) {
    for (const auto& c : captions.controls) {
        if (c.controlId == kIdPictureTotal) continue;
        QWidget* w = Get(c.controlId);
        const QString text = QString::fromStdString(c.text);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(text);
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(text);
    }
    if (QTreeWidget* tree = FolderTree(); tree && tree->topLevelItemCount() >= 3) {
        tree->topLevelItem(0)->setText(0, QString::fromStdString(captions.myComputer));
        tree->topLevelItem(1)->setText(0, QString::fromStdString(captions.desktop));
        tree->topLevelItem(2)->setText(0, QString::fromStdString(captions.myDocument));
    }
}

void WindowControls::ApplyTooltips(const std::vector<ControlText>& tooltips) {
    for (const auto& t : tooltips)
        if (QWidget* w = Get(t.controlId)) w->setToolTip(QString::fromStdString(t.text));
}

void WindowControls::ApplyEnabling(const ControlEnabling& enabling) {
    for (const auto& [id, enabled] : enabling.States())
        if (QWidget* w = Get(id)) w->setEnabled(enabled);
}

}  // namespace framewise
