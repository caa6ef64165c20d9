#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

#include "Deadline.hpp"

namespace drawlume::e2e {

// Which processes hold which device nodes open, read from /proc/<pid>/fd.
//
// Used to tell when a program under test has opened (and so, a moment later,
// grabbed) a companion's nodes without touching the grab ourselves: a test that
// probed with EVIOCGRAB while the program was starting could win the grab and
// make the program's own grab fail.

// Whether process `pid` holds `node` open; pid 0 means any process but this one.
bool holdsOpen(pid_t pid, const std::string& node);

// Waits until `pid` (0: any other process) holds every one of `nodes` open.
bool waitUntilHeldOpen(pid_t pid, const std::vector<std::string>& nodes, const Deadline& deadline,
                       std::string& error);

}  // namespace drawlume::e2e
