// Plain-file access.
#include "foundation/Files.h"

#include "foundation/Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

std::optional<std::vector<uint8_t>> ReadFileBytes(const fs::path& path, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        if (error)
            *error = "Cannot open file \"" + path.string() + "\": " + std::strerror(errno);
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        if (error)
            *error = "Cannot read file \"" + path.string() + "\"";
        return std::nullopt;
    }
    return bytes;
}

static bool WriteAll(int fd, const uint8_t* data, size_t size)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool WriteFileAtomic(const fs::path& target, std::span<const uint8_t> bytes, std::string* error)
{
    fs::path temp = target;
    temp += ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = "Cannot create \"" + temp.string() + "\": " + std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0)
        return true;
    if (!ok)
        errno = savedErrno;
    if (error)
        *error = "Cannot write \"" + target.string() + "\": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
}

bool WriteFileAtomic(const fs::path& target, std::string_view text, std::string* error)
{
    return WriteFileAtomic(target, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error);
}

bool AppendToFile(const fs::path& path, std::string_view text)
{
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

bool IsBareFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.find_first_of("/\\") != std::string_view::npos)
        return false;
    if (name.find('\0') != std::string_view::npos)
        return false;
    // A drive prefix such as "C:" names another root.
    if (name.size() >= 2 && name[1] == ':')
        return false;
    return true;
}

std::optional<fs::path> ResolveFileNoCase(const fs::path& folder, std::string_view name)
{
    if (!IsBareFileName(name))
        return std::nullopt;
    std::error_code ec;
    fs::path exact = folder / std::string(name);
    if (fs::is_regular_file(exact, ec))
        return exact;
    for (const std::string& entry : ListFolder(folder))
        if (EqualsNoCase(entry, name))
            return folder / entry;
    return std::nullopt;
}

std::vector<std::string> ListFolder(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        std::string la = AsciiLower(a), lb = AsciiLower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}
