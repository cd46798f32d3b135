// The game log's header lines.
#include "app/LogHeader.h"

#include "app/GameOptions.h"
#include "foundation/Text.h"

namespace {

std::string TwoDigits(int v)
{
    return (v < 10 ? "0" : "") + IntToStr(v);
}

}  // namespace

std::string FormatLogDateTime(const std::tm& local)
{
    const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    return TwoDigits(local.tm_mday) + ":" + TwoDigits(local.tm_mon + 1) + ":" + IntToStr(local.tm_year + 1900) + " " +
           TwoDigits(hour12) + ":" + TwoDigits(local.tm_min) + (local.tm_hour < 12 ? " AM" : " PM");
}

std::vector<std::string> LogHeaderLines(const std::tm& local, const TMachineFacts& machine)
{
    return {
        "DATE/TIME: " + FormatLogDateTime(local),
        "Version " + std::string(kGameVersion),
        "System Information",
        "   OS Version: " + machine.OSVersion,
        "   Processor: " + machine.Processor,
        "   Total Memory: " + IntToStr(machine.TotalMemoryMb) + " Mb",
        "Form Create Method runed.",
    };
}
