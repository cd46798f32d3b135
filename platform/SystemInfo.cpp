// Operating system, processor and memory, read from the kernel and /proc.
#include "platform/SystemInfo.h"

#include "foundation/Files.h"
#include "foundation/Text.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

std::string ReadText(const char* path)
{
    auto bytes = ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The value of "KEY=value" lines; a quoted value loses its quotes and backslash escapes.
std::string OsReleaseValue(std::string_view text, std::string_view key)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = TrimView(text.substr(pos, end - pos));
        pos = end + 1;
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != '=')
            continue;
        std::string_view value = line.substr(key.size() + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
            std::string plain;
            for (size_t i = 0; i < value.size(); ++i) {
                if (value[i] == '\\' && i + 1 < value.size())
                    ++i;
                plain += value[i];
            }
            return plain;
        }
        return std::string(value);
    }
    return {};
}

}  // namespace

std::string FormatOSVersionText(std::string_view system, std::string_view release, std::string_view machine,
                                std::string_view osRelease)
{
    std::string text;
    for (std::string_view part : {system, release, machine}) {
        if (part.empty())
            continue;
        if (!text.empty())
            text += ' ';
        text += part;
    }
    std::string pretty = OsReleaseValue(osRelease, "PRETTY_NAME");
    if (!pretty.empty())
        text += text.empty() ? pretty : " (" + pretty + ")";
    return text;
}

std::string ProcessorFromCpuInfo(std::string_view cpuInfo)
{
    size_t pos = 0;
    while (pos < cpuInfo.size()) {
        size_t end = cpuInfo.find('\n', pos);
        if (end == std::string_view::npos)
            end = cpuInfo.size();
        std::string_view line = cpuInfo.substr(pos, end - pos);
        pos = end + 1;
        size_t colon = line.find(':');
        if (colon != std::string_view::npos && TrimView(line.substr(0, colon)) == "model name")
            return Trim(line.substr(colon + 1));
    }
    return {};
}

std::string GetOSVersionText()
{
    utsname names{};
    std::string osRelease = ReadText("/etc/os-release");
    if (osRelease.empty())
        osRelease = ReadText("/usr/lib/os-release");
    if (uname(&names) != 0)
        return FormatOSVersionText({}, {}, {}, osRelease);
    return FormatOSVersionText(names.sysname, names.release, names.machine, osRelease);
}

std::string GetProcessorName()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned a = 0, b = 0, c = 0, d = 0;
    // The brand string needs the extended functions up to 0x80000004.
    if (__get_cpuid(0x80000000, &a, &b, &c, &d) && a > 0x80000003) {
        char brand[49] = {};
        for (unsigned i = 0; i < 3; ++i) {
            unsigned regs[4] = {};
            __get_cpuid(0x80000002 + i, &regs[0], &regs[1], &regs[2], &regs[3]);
            std::memcpy(brand + 16 * i, regs, 16);
        }
        return std::string(brand);
    }
    return {};
#else
    return ProcessorFromCpuInfo(ReadText("/proc/cpuinfo"));
#endif
}

int64_t TotalMemoryMb()
{
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return (static_cast<int64_t>(pages) * pageSize) >> 20;
}
