#include "cli/AlbumEdit.h"

#include <algorithm>
#include <ostream>

#include "album/PictureTotal.h"
#include "cli/DeferredSignals.h"
#include "config/TextTables.h"

namespace framewise::cli {

AlbumCommands SessionAlbumCommands(FrameSession& session, Frontend& frontend) {
    return AlbumCommands(session.Folder(), session.List(), session.Connection().Model(),
                         session.State(), frontend, session.GetLanguage(),
                         [&session](int c) { session.Store().UpdatePictureTotal(c); });
}

int WriteAlbumBack(Context& ctx, FrameSession& session, SessionFrontend& frontend) {
    bool written = false;
    {
        DeferredSignals held;
        written = session.Synchronize();
    }
    frontend.EndBar();
    if (!written) {
        ctx.err << "framewise-cli: synchronizing the album to the frame failed\n";
        return kExitFailure;
    }
    return kExitOk;
}

int PrintSynchronizePlan(Context& ctx, FrameSession& session, const PlanOptions& options) {
    // An album the edit left unchanged is not written at all.
    WritePlan plan;
    plan.pictures = session.List().ItemCount();
    if (session.State().m_bModified)
        plan = PlanSynchronize(session.Connection(), session.List().ItemCount(),
                               session.GetSynchronizer().BackupRoot());
    if (options.json)
        PrintPlanJson(ctx.out, plan);
    else
        PrintPlan(ctx.out, plan);
    return kExitOk;
}

std::string OneLineTotal(FrameSession& session, int count) {
    std::string text = PictureTotalText(
        session.GetLanguage().Tr(kPictureTotalLabel.key, kPictureTotalLabel.englishDefault), count,
        session.Totals());
    text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
    return text;
}

}  // namespace framewise::cli
