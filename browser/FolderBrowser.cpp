#include "browser/FolderBrowser.h"

#include <QPixmap>

#include "album/FrameSession.h"
#include "browser/FolderPictureNames.h"
#include "browser/FolderTreeCtrl.h"
#include "config/EventNames.h"
#include "config/Language.h"
#include "config/TextTables.h"
#include "picture/Workbench.h"

namespace framewise {

FolderBrowser::FolderBrowser(FolderTreeCtrl& tree, FolderPictureList& list, QObject* parent)
    : QObject(parent), m_tree(tree), m_list(list) {
    connect(&m_tree, &QTreeWidget::currentItemChanged, this, [this] { OnFolderSelected(); });
    connect(&m_tree, &FolderTreeCtrl::expansionChanged, this, [this] { OnExpansionChanged(); });
    connect(&m_tree, &FolderTreeCtrl::folderPicturesFound, this,
            [this](const QString& folder, const QStringList& names) {
                std::vector<std::string> pictures;
                for (const QString& name : names) pictures.push_back(name.toStdString());
                OnFolderPicturesFound(folder.toStdString(), std::move(pictures));
            });
    connect(&m_list, &FolderPictureList::folderPictureClicked, this,
            [this] { OnFolderPictureClick(); });
}

FolderBrowser::~FolderBrowser() {
    // The window may be going too: only the run and the box are stopped, no hook is called.
    m_run.Cancel();
    m_waitBox.reset();
}

void FolderBrowser::SetHooks(const BrowserHooks& hooks) {
    auto take = [](auto& mine, const auto& given) {
        if (given) mine = given;
    };
    take(m_hooks.isReady, hooks.isReady);
    take(m_hooks.setThumbnailRunActive, hooks.setThumbnailRunActive);
    take(m_hooks.clearPreviewPicture, hooks.clearPreviewPicture);
    take(m_hooks.invalidatePreview, hooks.invalidatePreview);
    take(m_hooks.showFolderPicture, hooks.showFolderPicture);
    take(m_hooks.rememberFolderPicture, hooks.rememberFolderPicture);
    take(m_hooks.enablePictureButtons, hooks.enablePictureButtons);
}

void FolderBrowser::UseWorkbench(Workbench& workbench) {
    AppState& state = workbench.Session().State();
    PreviewCanvas& canvas = workbench.Canvas();
    m_list.UseSelection(workbench.FolderList());
    m_hooks.isReady = [&state] { return state.m_bReady.load(); };
    m_hooks.clearPreviewPicture = [this, &canvas] {
        canvas.m_strSourcePath.clear();
        if (m_hooks.invalidatePreview) m_hooks.invalidatePreview();
    };
    m_hooks.showFolderPicture = [&canvas](const std::string& path) {
        canvas.m_bReloadCut = true;
        return canvas.ShowFolderPicture(path);
    };
}

void FolderBrowser::SetThumbnailGeometry(int sThumbWidth, int sThumbColumn) {
    m_list.SetGeometry(SaneThumbnailGeometry(sThumbWidth, sThumbColumn));
}

void FolderBrowser::ApplyLanguage(const Language& language) {
    auto tr = [&](const KeyedText& text) {
        return QString::fromStdString(language.Tr(text.key, text.englishDefault));
    };
    m_tree.SetRootCaptions(tr(kCaptionMyComputer), tr(kCaptionDesktop), tr(kCaptionMyDocument));
}

bool FolderBrowser::HandleEvent(std::string_view name, long wParam) {
    if (name == events::kSourceTileToBmp) {
        OnSourceTileToBmp();
    } else if (name == events::kSourceTileToBmpOne) {
        OnSourceTileToBmpOne(wParam);
    } else if (name == events::kSourceTileToBmpFinish) {
        OnSourceTileToBmpFinish();
    } else {
        return false;
    }
    return true;
}

void FolderBrowser::Post(std::string_view name, long wParam) {
    if (m_poster) {
        m_poster(name, wParam);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, event = std::string(name), wParam] { HandleEvent(event, wParam); },
        Qt::QueuedConnection);
}

void FolderBrowser::OnFolderSelected() {
    const std::string path = m_tree.itemPath(m_tree.currentItem());
    if (m_hooks.clearPreviewPicture) m_hooks.clearPreviewPicture();
    if (path != m_strCurrentFolder) m_list.DeleteAllItems();
    m_strCurrentFolder = path;
    if (path.empty()) {  // My Computer
        CancelRun();
        return;
    }
    // The names and the folder they are in change together.
    m_list.Selection().m_strFolderPrefix = FolderPrefix(path);
    m_folderPictureNames = ListFolderPictures(path);
    if (m_folderPictureNames.empty()) {
        CancelRun();
        return;
    }
    Post(events::kSourceTileToBmp, 0);
}

void FolderBrowser::OnExpansionChanged() {
    CancelRun();
    m_list.DeleteAllItems();
    if (m_hooks.clearPreviewPicture) m_hooks.clearPreviewPicture();
}

void FolderBrowser::OnFolderPicturesFound(const std::string& folder,
                                          std::vector<std::string> names) {
    // The expanded folder becomes the current one, so the run finds the files it names.
    m_strCurrentFolder = folder;
    m_list.Selection().m_strFolderPrefix = FolderPrefix(folder);
    m_folderPictureNames = std::move(names);
    Post(events::kSourceTileToBmp, 0);
}

void FolderBrowser::SetRunActive(bool active) {
    if (m_hooks.setThumbnailRunActive) {
        m_hooks.setThumbnailRunActive(active);
        return;
    }
    m_tree.setEnabled(!active);
    m_list.setEnabled(!active);
}

void FolderBrowser::CloseWaitBox() {
    m_waitBox.reset();
}

void FolderBrowser::CancelRun() {
    if (!m_run.Active() && !m_waitBox) return;
    m_run.Cancel();
    CloseWaitBox();
    SetRunActive(false);
}

void FolderBrowser::OnSourceTileToBmp() {
    SetRunActive(true);
    m_list.DeleteAllItems();
    if (m_hooks.clearPreviewPicture) m_hooks.clearPreviewPicture();
    m_nThumbCount = 0;
    // A second run takes over the first one's box.
    if (!m_waitBox && m_waitBoxFactory) m_waitBox = m_waitBoxFactory(m_list.window());
    ThumbnailJob job;
    job.folderPrefix = m_list.Selection().m_strFolderPrefix;
    job.names = m_folderPictureNames;
    job.side = m_list.Geometry().side;
    job.buttonFace = m_buttonFace;
    job.thumbFolder = m_strThumbFolder;
    job.limits = m_limits;
    m_run.Start(std::move(job), [this](std::string_view name, long index) { Post(name, index); });
    OnSourceTileToBmpOne(0);  // a run of no pictures ends at once
}

void FolderBrowser::OnSourceTileToBmpOne(long /*index*/) {
    // Decoders finish in any order; thumbnails go into the list in the names' order.
    const int side = m_list.Geometry().side;
    const int n = m_run.Count();
    for (;;) {
        int index = 0;
        QImage framed;
        const ThumbnailRun::Next next = m_run.TakeNext(index, framed);
        if (next == ThumbnailRun::Next::NotReady) return;
        if (next == ThumbnailRun::Next::Done) {
            CloseWaitBox();
            m_run.FinishAfterFiles();
            return;
        }
        if (m_waitBox)
            m_waitBox->SetText(QStringLiteral("Loading %1%").arg(100 * index / std::max(n, 1)));
        if (next == ThumbnailRun::Next::Skipped) continue;  // no item, no gap
        // AddThumbnail: the framed thumbnail as the list shows it, at the side's size.
        // The name as the run was given it: the folder's list may already be the next
        // folder's, whose run has not started yet.
        m_strThumbName = m_run.Name(index);
        const QImage shown =
            framed.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_list.AddThumbnail(m_strThumbName, QPixmap::fromImage(shown));
        m_list.FocusNewest();
        ++m_nThumbCount;
    }
}

void FolderBrowser::OnSourceTileToBmpFinish() {
    // The end of a run that a newer one replaced changes nothing.
    if (m_run.Active()) return;
    SetRunActive(false);
    if (m_hooks.invalidatePreview) m_hooks.invalidatePreview();
}

void FolderBrowser::OnFolderPictureClick() {
    const FolderSelection& selection = m_list.Selection();
    m_nFolderSelCount = selection.SelectedCount();
    const bool ready = !m_hooks.isReady || m_hooks.isReady();
    if (ready && m_nFolderSelCount <= 1) {
        const std::vector<int> chosen = selection.SelectedIndices();
        if (!chosen.empty()) {
            m_strFolderPicture =
                selection.m_strFolderPrefix + selection.items[std::size_t(chosen[0])];
            if (m_hooks.showFolderPicture) m_hooks.showFolderPicture(m_strFolderPicture);
            if (m_hooks.rememberFolderPicture) m_hooks.rememberFolderPicture(m_strFolderPicture);
        }
        if (m_hooks.enablePictureButtons) m_hooks.enablePictureButtons(true);
    }
    if (m_nFolderSelCount > 1 && m_hooks.enablePictureButtons) m_hooks.enablePictureButtons(false);
    m_list.viewport()->update();
}

}  // namespace framewise
