// The window events by name (config/EventNames.h) and who handles them: the dispatch table
// the window's wiring fills. An event nobody handles is dropped, as an unknown message is.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace framewise {

class EventTable {
  public:
    using Handler = std::function<void(long wParam)>;

    // One handler per name; a later one replaces the earlier.
    void On(std::string_view name, Handler handler);
    // Runs the name's handler; false when there is none.
    bool Dispatch(std::string_view name, long wParam) const;
    bool Handles(std::string_view name) const;

  private:
    std::map<std::string, Handler, std::less<>> m_handlers;
};

}  // namespace framewise
