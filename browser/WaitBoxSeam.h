// The wait box a thumbnail run shows, behind one small seam: the window may hand in its own
// box (the controls' WaitBox); without one a minimal box of the same look stands in.
#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace framewise {

// A shown wait box; destroying it closes it. Used on the GUI thread only.
class WaitBoxView {
  public:
    virtual ~WaitBoxView() = default;
    // The text of item 1071.
    virtual void SetText(const QString& text) = 0;
};

// Makes, centres on parent and shows a wait box.
using WaitBoxFactory = std::function<std::unique_ptr<WaitBoxView>(QWidget* parent)>;

// The stand-in: a small modeless box with the application icon and "Please wait…" in item 1071.
std::unique_ptr<WaitBoxView> MakeStandInWaitBox(QWidget* parent);

}  // namespace framewise
