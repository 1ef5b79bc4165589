// The picture side of the main window: the preview in the 1020 box, the zoom, Rect/Clear,
// rotate and Add commands with their buttons, the double-click Add, the quality slider and its
// label, the album item click, and the batch add from "ReceivePic" to "ProcessFinish" with its
// Stop button. Each handler is a few lines over the Workbench; the window routes its commands,
// events and list clicks here.
#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

#include "app/PreviewWidget.h"

class QLabel;
class QSlider;

namespace framewise {

class Frontend;
class MainWindow;
class Workbench;
struct DeleteOutcome;
struct PictureSideHooks;

class PictureSide : public QObject, private PreviewInput {
    Q_OBJECT
  public:
    // frontend: the window's (the one the session and the workbench report through).
    PictureSide(MainWindow& window, Workbench& workbench, Frontend& frontend);
    ~PictureSide() override;

    // Its commands, its events ("ReceivePic", "ProcessFinish", "PaintFromOriginPic",
    // "paintfromforcutbmp"), the album list's click and edits, attach and arrival, as the
    // program's wiring calls them.
    void FillHooks(PictureSideHooks& hooks);

    // The display colour-depth check (start-up): false after SYSTEMCOLOR_TIPS, when the
    // program must end with exit code 0. bitsPerPixel: the primary screen's when not given.
    bool CheckDisplay(std::optional<int> bitsPerPixel = std::nullopt);
    // After each attach (once the workbench has taken the frame's LCD and quality): the
    // quality slider and its label show that quality.
    void Attached();

    // The commands (buttons 1019, 1004, 1008, 1012, 1023, 1011 and their accelerators).
    void Add();
    void ZoomIn();
    void ZoomOut();
    void ToggleRect();
    void RotateLeft();
    void RotateRight();
    // The Stop button of a running batch: the batch ends after the picture in hand.
    void StopBatch();

    // An accepted drop's add queue: the batch is accepted and "ReceivePic" posted.
    bool FilesDropped(const std::vector<std::string>& queue);

    // The folder picture list: one picture clicked (it always comes up with the crop frame on,
    // is remembered as the last folder picture and enables the zoom and rotate buttons); the
    // four buttons enabled for a single picture and disabled for several.
    bool ShowFolderPicture(const std::string& path);
    void RememberFolderPicture(const std::string& path) { m_lastFolderPicture = path; }
    const std::string& LastFolderPicture() const { return m_lastFolderPicture; }
    void EnablePictureButtons(bool enable);

    // The album list's click or item change with the list's selection (ascending indexes):
    // one picture selected, ready, no Add and no batch running - its source in the preview.
    void ShowAlbumItem(const std::vector<int>& selected);
    // Around Delete and the moves, which renumber the album files: a preview showing an album
    // file keeps showing that picture under its new name (and shows nothing once it is deleted),
    // so that no later rebuild loads another picture under the old name.
    void BeforeAlbumEdit();
    void AfterAlbumEdit();
    // Delete that emptied the album shows the last folder picture, or an empty preview.
    void AfterDelete(const DeleteOutcome& outcome);
    void ShowAfterAlbumEmptied(const std::string& path);
    // No picture in the preview (a frame arrived; the folder changed).
    void ClearPreview();
    // InvalidatePreview: the box cleared now, the frame image drawn again once the work under
    // way (a rebuild, the thumbnail run) is done, as a repaint posts it.
    void InvalidatePreview();

    // The quality label again, after a language switch has re-captioned it.
    void RelabelQuality();

    // The event handlers.
    void OnReceivePic();
    void OnProcessFinish();
    void OnPaintFromOriginPic();
    void OnPaintFromForCutBmp();

    PreviewWidget* Preview() const { return m_preview; }
    QAbstractButton* StopButton() const { return m_stop; }

  private:
    // PreviewInput.
    void LeftButtonDown(Point p) override;
    MoveOutcome MouseMove(Point p) override;
    void LeftButtonUp() override;
    void LeftDoubleClick(Point p) override;

    // The canvas's work after each rebuild: the preview redrawn, the buttons brought up to date.
    void OnRebuilt();
    // The preview from the canvas's draw, while ready.
    void Redraw();
    // Rect/Clear's caption and tooltip, and the zoom buttons as the sizing answers.
    void SyncButtons();
    void SetQuality(int quality);
    void SetMinimizeBox(bool shown);
    void ShowStopButton(bool shown);
    void BoxChanged();
    void EndIfDisplayTooShallow();

    MainWindow& m_window;
    Workbench& m_workbench;
    Frontend& m_frontend;
    QPointer<PreviewWidget> m_preview;
    QPointer<QAbstractButton> m_stop;
    QSlider* m_slider = nullptr;
    QLabel* m_qualityLabel = nullptr;
    std::string m_lastFolderPicture;
    std::optional<std::pair<unsigned long, unsigned long>> m_shownAlbumFile;  // device, inode
};

}  // namespace framewise
