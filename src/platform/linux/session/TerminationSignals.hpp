#pragma once

namespace drawlume {

// SIGINT and SIGTERM as a readable descriptor, so that a poll() loop can stop
// cleanly (releasing held buttons and the devices) instead of being killed.
// Blocks both signals in the calling thread, and so in every thread it starts
// afterwards: call it before any thread exists. -1 when signalfd() fails.
int openTerminationSignalFd();
// Takes the pending signal off the descriptor.
void drainTerminationSignal(int fd);

}  // namespace drawlume
