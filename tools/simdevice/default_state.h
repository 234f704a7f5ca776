// A plausible state of a freshly set-up device: every preset's settings at their defaults
// and the status files a running device keeps.
#pragma once

#include "simdevice.h"

namespace sim {

void load_default_state(SimDevice& device);

} // namespace sim
