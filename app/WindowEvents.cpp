#include "app/WindowEvents.h"

namespace framewise {

void EventTable::On(std::string_view name, Handler handler) {
    m_handlers.insert_or_assign(std::string(name), std::move(handler));
}

bool EventTable::Dispatch(std::string_view name, long wParam) const {
    const auto it = m_handlers.find(name);
    if (it == m_handlers.end() || !it->second) return false;
    // A copy: the handler may replace itself while it runs.
    const Handler handler = it->second;
    handler(wParam);
    return true;
}

bool EventTable::Handles(std::string_view name) const {
    return m_handlers.find(name) != m_handlers.end();
}

}  // namespace framewise
