// Sends the process's standard output to /dev/null for the object's lifetime: the picture
// decoder names each decoded picture's sampling mode there, where a command's result goes.
#pragma once

namespace framewise::cli {

class StdoutDiverted {
  public:
    StdoutDiverted();
    ~StdoutDiverted();
    StdoutDiverted(const StdoutDiverted&) = delete;
    StdoutDiverted& operator=(const StdoutDiverted&) = delete;

  private:
    int m_saved = -1;
};

}  // namespace framewise::cli
