#include "device/ScsiTransport.h"

namespace framewise {

ScsiTransport::~ScsiTransport() = default;

}  // namespace framewise
