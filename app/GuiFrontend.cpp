#include "app/GuiFrontend.h"

#include <QMetaObject>
#include <QThread>

#include <condition_variable>

#include "app/Dialogs.h"

namespace framewise {

namespace {
QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
}  // namespace

GuiFrontend::GuiFrontend(FrontendSurface& surface, QObject* parent)
    : QObject(parent), m_surface(surface) {}

GuiFrontend::~GuiFrontend() {
    Close();
}

bool GuiFrontend::OnWindowThread() const {
    return QThread::currentThread() == thread();
}

// A worker's posted calls keep their order: every one goes through this object's event
// queue. A call made on the window's thread runs at once.
template <typename Step>
void GuiFrontend::Post(Step&& step) {
    if (OnWindowThread()) {
        step();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
    }
    QMetaObject::invokeMethod(this, std::forward<Step>(step), Qt::QueuedConnection);
}

// One blocking call of a worker: done once the step has run, cancelled when the window
// closed before it could.
struct GuiFrontend::PendingCall {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    bool cancelled = false;
};

// Like a blocking queued call, but one that Close can release. A blocking call to one's own
// thread would wait for ever; on the window's thread the step simply runs.
template <typename Step>
void GuiFrontend::Send(Step&& step) {
    if (OnWindowThread()) {
        step();
        return;
    }
    auto call = std::make_shared<PendingCall>();
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        m_pending.insert(call);
    }
    // The step runs on the window's thread, and Close does too: it either has run or never
    // will, so it never touches the worker's data after the worker has gone on.
    QMetaObject::invokeMethod(
        this,
        [call, &step] {
            {
                std::lock_guard lock(call->mutex);
                if (call->cancelled) return;
            }
            step();
            std::lock_guard lock(call->mutex);
            call->done = true;
            call->changed.notify_all();
        },
        Qt::QueuedConnection);
    {
        std::unique_lock lock(call->mutex);
        call->changed.wait(lock, [&] { return call->done || call->cancelled; });
    }
    std::lock_guard lock(m_mutex);
    m_pending.erase(call);
}

void GuiFrontend::Close() {
    std::lock_guard lock(m_mutex);
    m_closed = true;
    for (const auto& call : m_pending) {
        std::lock_guard callLock(call->mutex);
        call->cancelled = true;
        call->changed.notify_all();
    }
}

void GuiFrontend::SetStatusText(const std::string& text) {
    Post([this, t = Q(text)] { m_surface.ShowStatusText(t); });
}

void GuiFrontend::SetProgressRange(int low, int high) {
    Post([this, low, high] { m_surface.ShowProgressRange(low, high); });
}

void GuiFrontend::SetProgressPos(int pos) {
    Post([this, pos] { m_surface.ShowProgressPos(pos); });
}

void GuiFrontend::ShowProgress(bool show) {
    Post([this, show] { m_surface.ShowProgressBar(show); });
}

void GuiFrontend::SetPictureTotalText(const std::string& text) {
    Post([this, t = Q(text)] { m_surface.ShowPictureTotal(t); });
}

void GuiFrontend::PostEvent(std::string_view name, long wParam) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
    }
    // Always through the queue, even from the window's thread: an event is handled after
    // the handler that posted it has returned, as a posted message is.
    QMetaObject::invokeMethod(
        this,
        [this, n = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())), wParam] {
            m_surface.DeliverEvent(n, wParam);
        },
        Qt::QueuedConnection);
}

void GuiFrontend::ShowMessage(const std::string& text) {
    Send([this, &text] {
        Dialogs::Show(m_surface.DialogParent(), Dialogs::Kind::Information,
                      m_surface.DialogTitle(), Q(text));
    });
}

void GuiFrontend::ShowWarning(const std::string& title, const std::string& text) {
    Send([this, &title, &text] {
        Dialogs::Show(m_surface.DialogParent(), Dialogs::Kind::Warning, Q(title), Q(text));
    });
}

bool GuiFrontend::AskYesNo(const std::string& text) {
    bool yes = false;
    Send([this, &text, &yes] {
        yes = Dialogs::Show(m_surface.DialogParent(), Dialogs::Kind::Question,
                            m_surface.DialogTitle(), Q(text)) == QMessageBox::Yes;
    });
    return yes;
}

Answer GuiFrontend::AskYesNoCancel(const std::string& text) {
    Answer answer = Answer::Cancel;
    Send([this, &text, &answer] {
        const auto button = Dialogs::Show(m_surface.DialogParent(),
                                          Dialogs::Kind::QuestionWithCancel,
                                          m_surface.DialogTitle(), Q(text));
        answer = button == QMessageBox::Yes  ? Answer::Yes
                 : button == QMessageBox::No ? Answer::No
                                             : Answer::Cancel;
    });
    return answer;
}

std::optional<std::string> GuiFrontend::ChooseFolder(const std::string& title) {
    std::optional<std::string> folder;
    Send([this, &title, &folder] {
        if (auto chosen = Dialogs::ChooseFolder(m_surface.DialogParent(), Q(title)))
            folder = chosen->toStdString();
    });
    return folder;
}

std::optional<std::string> GuiFrontend::ChooseSaveFile(const std::string& defaultExtension,
                                                       const std::string& filter) {
    std::optional<std::string> file;
    Send([this, &defaultExtension, &filter, &file] {
        if (auto chosen = Dialogs::ChooseSaveFile(m_surface.DialogParent(),
                                                  m_surface.DialogTitle(),
                                                  Q(defaultExtension), Q(filter)))
            file = chosen->toStdString();
    });
    return file;
}

void GuiFrontend::RunOnWindowThread(const std::function<void()>& step) {
    Send([&step] { step(); });
}

}  // namespace framewise
