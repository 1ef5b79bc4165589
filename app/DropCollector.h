// Files and folders dropped on the window: whether a drop is taken at all, and the add
// queue it makes (the first 125 items; folders without their subfolders; names compared
// lower-cased and used as given).
#pragma once

#include <QList>
#include <QUrl>

#include <string>
#include <vector>

namespace framewise {

struct AppState;

// A drop is taken only while ready, attached and no batch runs; otherwise it is swallowed.
bool AcceptsDrop(const AppState& state);

// The local paths of the dropped URLs, in drop order; anything that is not a local file is
// left out.
std::vector<std::string> DroppedPaths(const QList<QUrl>& urls);

// The add queue for a drop (empty when the drop is not taken or holds no picture).
std::vector<std::string> CollectDrop(const AppState& state, const QList<QUrl>& urls);

}  // namespace framewise
