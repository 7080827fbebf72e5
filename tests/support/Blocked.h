// Waiting for a thread to sit in a blocking call, instead of sleeping and
// hoping it got there: the kernel tells which system call a thread waits in.
#pragma once

#include <sys/types.h>

#include <initializer_list>

namespace blocked {

// This thread's id, for a test thread to hand to WaitIn.
pid_t ThreadId();
// Waits until thread tid of this process is blocked in one of the system
// calls (numbers from <sys/syscall.h>), at most timeoutMs; false when it
// was not by then.
bool WaitIn(pid_t tid, std::initializer_list<long> calls, int timeoutMs = 10000);

}  // namespace blocked
