#include "app/DropCollector.h"

#include <QFile>

#include "config/AppState.h"
#include "picture/DropRules.h"

namespace framewise {

bool AcceptsDrop(const AppState& state) {
    return state.m_bReady && state.m_bAttached && !state.m_bBatchAdding;
}

std::vector<std::string> DroppedPaths(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(urls.size()));
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) continue;
        // The path exactly as the file system names it: the bytes of the local encoding.
        paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

std::vector<std::string> CollectDrop(const AppState& state, const QList<QUrl>& urls) {
    if (!AcceptsDrop(state)) return {};
    return QueueDroppedItems(DroppedPaths(urls));
}

}  // namespace framewise
