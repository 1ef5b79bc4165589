// The preview canvas as the fuzz targets of picture loading drive it: a canvas over the
// scratch folder with a recording frontend, and the checks every load must pass.
#pragma once

#include <QCoreApplication>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "config/AppState.h"
#include "config/Language.h"
#include "config/RecordingFrontend.h"
#include "config/WorkPaths.h"
#include "picture/PreviewCanvas.h"

namespace framewise::fuzz {

// Qt's image plugins are found through the application object.
inline void StartQt() {
    static int argc = 1;
    static char name[] = "framewise-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    std::filesystem::create_directories(WorkPaths::Under(Scratch() / "work").albumFolder);
}

struct CanvasRig {
    RecordingFrontend frontend;
    Language language;
    AppState state;
    PreviewCanvas canvas{WorkPaths::Under(Scratch() / "work"), language, frontend, state};

    explicit CanvasRig(Size lcd) { canvas.SetLcdSize(lcd); }

    // A shown picture is one Add can take: a working bitmap within the fit limit and an
    // LCD-sized cut. A refused one has been told to the user.
    void CheckOutcome(bool shown) {
        if (shown) {
            const QImage& working = canvas.WorkingBitmap();
            FUZZ_CHECK(!working.isNull());
            FUZZ_CHECK(working.width() <= kFitLimit && working.height() <= kFitLimit);
            const QImage cut = canvas.CutForAdd();
            FUZZ_CHECK(cut.width() == canvas.Lcd().width && cut.height() == canvas.Lcd().height);
        } else {
            FUZZ_CHECK(!canvas.PictureLoaded());
            FUZZ_CHECK(!frontend.Messages().empty());
        }
    }
};

}  // namespace framewise::fuzz
