#pragma once
// Every test runs with a process-end handler that fails it: code that would
// end the program records the request instead of exiting. A test that
// expects the request installs its own handler; one that means the process
// to end for real (a child run) calls allowRealProcessEnd() first. Any
// other exit before the run's summary ends the program with status 3.
void allowRealProcessEnd();
