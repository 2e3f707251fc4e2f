#pragma once
#include <functional>

// Ends the program at once with exit code 0 (missing Massage.ini, no processing mode).
// Flushes standard output and error first. Callable before the event loop runs.
[[noreturn]] void endProgramNow();

// Tests replace the ending with a handler that must not return (it throws).
void setEndProgramHandler(std::function<void()> handler);
