#pragma once

// Marks a function that runs for every report (report in, events out). The
// compiler keeps such functions together in the program's code, so a report
// runs through a few pages of it rather than pages spread over every file:
// under a virtualised CPU each page a report touches after a system call may
// have to be looked up again, which costs more than the work done on it.
#define DRAWLUME_REPORT_PATH [[gnu::hot]]
