// Facts about the machine for the head of the game log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "Linux 6.1.0-18-amd64 x86_64 (Debian GNU/Linux 12 (bookworm))": the kernel from uname
// and the distribution's PRETTY_NAME; empty when neither is known.
std::string GetOSVersionText();
// The processor's brand string, or the empty text when it cannot be had.
std::string GetProcessorName();
// Physical memory in MiB.
int64_t TotalMemoryMb();

// The parts put together, for the given uname fields and /etc/os-release text.
std::string FormatOSVersionText(std::string_view system, std::string_view release, std::string_view machine,
                                std::string_view osRelease);
// The "model name" of a /proc/cpuinfo text, or empty.
std::string ProcessorFromCpuInfo(std::string_view cpuInfo);
