// Plain-file access.
#include "foundation/Files.h"

#include "foundation/Text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr size_t kTemporaryTagLength = 6;
// O_EXCL refuses a name already taken; a few more draws always find a free one.
constexpr int kTemporaryAttempts = 16;
constexpr std::string_view kTagLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string Quoted(const fs::path& path)
{
    return "\"" + path.string() + "\"";
}

bool IsRegular(int fd)
{
    struct stat st{};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool WriteAll(int fd, const uint8_t* data, size_t size)
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

// Six letters or digits, different for every call of every thread; the process id in the
// name keeps forked writers apart too.
std::string TemporaryTag()
{
    static std::atomic<uint64_t> counter{std::random_device{}()};
    uint64_t v = counter.fetch_add(0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    std::string tag;
    for (size_t i = 0; i < kTemporaryTagLength; ++i) {
        tag += kTagLetters[v % kTagLetters.size()];
        v /= kTagLetters.size();
    }
    return tag;
}

// After a rename the new name lives in the folder's own data; without this a power cut can
// bring the old file back.
void SyncFolder(const fs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems refuse to sync a folder; the new file is in place all the same.
    (void)::fsync(fd);
    ::close(fd);
}

bool ProcessIsGone(long pid)
{
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

int OpenRegularFile(const fs::path& path, std::string* error)
{
    // Without O_NONBLOCK opening a pipe waits for a writer, for ever.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = "Cannot open file " + Quoted(path) + ": " + std::strerror(errno);
        return -1;
    }
    if (!IsRegular(fd)) {
        ::close(fd);
        if (error)
            *error = "Cannot open file " + Quoted(path) + ": it is not a regular file";
        errno = EINVAL;
        return -1;
    }
    // Reads of a regular file never wait; the flag has done its work.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const fs::path& path, std::string* error)
{
    int fd = OpenRegularFile(path, error);
    if (fd < 0)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    bool failed = false;
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failed = true;
            if (error)
                *error = "Cannot read file " + Quoted(path) + ": " + std::strerror(errno);
            break;
        }
        if (n == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    ::close(fd);
    if (failed)
        return std::nullopt;
    return bytes;
}

bool WriteFileAtomic(const fs::path& target, std::span<const uint8_t> bytes, std::string* error)
{
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
        temp = target;
        temp += std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" + TemporaryTag();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        if (error)
            *error = "Cannot create " + Quoted(temp) + ": " + std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int savedErrno = errno;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) {
        SyncFolder(target.parent_path());
        return true;
    }
    if (!ok)
        errno = savedErrno;
    if (error)
        *error = "Cannot write " + Quoted(target) + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
}

bool WriteFileAtomic(const fs::path& target, std::string_view text, std::string* error)
{
    return WriteFileAtomic(target, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), error);
}

bool IsAtomicTemporaryName(std::string_view name)
{
    // "<target>.tmp-<pid>-<tag>": the tag, then the pid, then the mark, from the end.
    if (name.size() < kTemporaryTagLength + 1)
        return false;
    std::string_view tag = name.substr(name.size() - kTemporaryTagLength);
    if (tag.find_first_not_of(kTagLetters) != std::string_view::npos)
        return false;
    std::string_view rest = name.substr(0, name.size() - kTemporaryTagLength);
    if (!rest.ends_with('-'))
        return false;
    rest.remove_suffix(1);
    const size_t digits = rest.size() - (rest.find_last_not_of("0123456789") + 1);
    if (digits == 0 || digits > 10)
        return false;
    rest.remove_suffix(digits);
    return rest.size() > kTemporaryMark.size() && rest.ends_with(kTemporaryMark);
}

int RemoveLeftoverTemporaries(const fs::path& folder)
{
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsAtomicTemporaryName(name))
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string_view withoutTag = std::string_view(name).substr(0, name.size() - kTemporaryTagLength - 1);
        const long pid = std::atol(std::string(withoutTag.substr(withoutTag.rfind('-') + 1)).c_str());
        if (!ProcessIsGone(pid))
            continue;
        std::error_code removeError;
        if (fs::remove(it->path(), removeError))
            ++removed;
    }
    return removed;
}

bool AppendToFile(const fs::path& path, std::string_view text, std::string* error)
{
    // O_NONBLOCK: a pipe in the log's place must not hold the game until someone reads it.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error)
            *error = "Cannot open " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    if (!IsRegular(fd)) {
        ::close(fd);
        if (error)
            *error = "Cannot write " + Quoted(path) + ": it is not a regular file";
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool ok = WriteAll(fd, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!ok && error)
        *error = "Cannot write " + Quoted(path) + ": " + std::strerror(errno);
    ok = ::close(fd) == 0 && ok;
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
