// The lines that open each run's part of the game log: when, which version, and on what
// machine.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// "dd:mm:yyyy hh:mm AM/PM" on a 12-hour clock.
std::string FormatLogDateTime(const std::tm& local);

struct TMachineFacts {
    std::string OSVersion;
    std::string Processor;
    int64_t TotalMemoryMb = 0;
};

// The header, one log line each, ending with the line that says the window is made.
std::vector<std::string> LogHeaderLines(const std::tm& local, const TMachineFacts& machine);
