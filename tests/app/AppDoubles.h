// Stand-ins for the platform in the shell's tests: an audio library that records its
// calls, a display that refuses chosen depths, a main window on temporary folders, and
// folders spoilt the ways a player's system can spoil them.
#pragma once

#include "tests/common/TempFolder.h"
#include "app/QelGameEngine.h"
#include "audio/AudioLibrary.h"
#include "foundation/Clock.h"
#include "foundation/Services.h"
#include "graphics/Display.h"
#include "platform/GameWindow.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

class TRecordingAudio final : public IAudioLibrary {
public:
    uint32_t GetVersion() override { return Calls.push_back("GetVersion"), Version; }
    bool Init(int frequency) override { return Calls.push_back("Init " + std::to_string(frequency)), InitResult; }
    bool Start() override { return Calls.push_back("Start"), true; }
    bool Pause() override { return Calls.push_back("Pause"), true; }
    bool Stop() override { return Calls.push_back("Stop"), true; }
    void Free() override { Calls.push_back("Free"); }
    void SetGlobalVolumes(int, int, int) override { Calls.push_back("SetGlobalVolumes"); }
    TAudioHandle SampleLoad(std::span<const uint8_t>, int) override { return 0; }
    void SampleFree(TAudioHandle) override {}
    TAudioHandle SamplePlayEx(TAudioHandle, int, int) override { return 0; }
    void SampleStop(TAudioHandle) override {}
    TAudioHandle MusicLoad(std::span<const uint8_t>) override { return 0; }
    void MusicFree(TAudioHandle) override {}
    bool MusicPlayEx(TAudioHandle, int) override { return false; }
    int MusicGetLength(TAudioHandle) override { return 0; }
    void ChannelSetAttributes(TAudioHandle, int, int) override {}
    void ChannelSlideAttributes(TAudioHandle, int, int, int) override {}
    void ChannelStop(TAudioHandle) override {}

    uint32_t Version = kAudioLibraryVersion;
    bool InitResult = true;
    std::vector<std::string> Calls;
};

// A display in memory that refuses the depths it is told to.
class TPickyDisplay final : public IQelDisplay {
public:
    bool SetMode(bool fullScreen, int bitsPerPixel, std::string* error) override
    {
        Modes.push_back({fullScreen, bitsPerPixel});
        if (Refused.count(bitsPerPixel)) {
            if (error)
                *error = "no " + std::to_string(bitsPerPixel) + "-bit mode here";
            return false;
        }
        return Memory.SetMode(fullScreen, bitsPerPixel, error);
    }
    int BitsPerPixel() const override { return Memory.BitsPerPixel(); }
    bool IsFullScreen() const override { return Memory.IsFullScreen(); }
    void PresentRects(const uint8_t* pixels, int pitch, std::span<const TRect> rects) override
    {
        Memory.PresentRects(pixels, pitch, rects);
    }
    void PresentAll(const uint8_t* pixels, int pitch) override { Memory.PresentAll(pixels, pitch); }

    struct TMode {
        bool FullScreen;
        int Bits;
    };
    std::vector<TMode> Modes;
    std::set<int> Refused;
    TMemoryDisplay Memory;
};

// A program folder and a user folder of their own, and everything the window lives on.
class TShellRig {
public:
    TShellRig()
    {
        std::filesystem::create_directories(Program.Path() / "data");
        // The least the start-up reads without a complaint: the five fonts and an
        // interface file without windows.
        for (const char* font : {"QelUnicode", "Artistik", "ArtistikDigits", "ComicSansMS_24", "ComicSansMS_29"})
            Program.Write(std::string("data/") + font + ".xml",
                          std::string("<Font Name=\"") + font + "\" Height=\"9\" Metrics=\"32:0:0:0:4\"/>");
        Program.Write("data/Glimmora.li", "<QelInterface Version=\"1.0\"></QelInterface>");
        Services.Clock = &Clock;
        Services.Display = &Display;
        Services.Window = &Window;
        Services.Audio = &Audio;
        Services.MessageBox = &Boxes;
        Services.Clipboard = &Clipboard;
        Services.UrlOpener = &Urls;
    }

    // The window on the rig; plain data files from the program's "data" folder unless
    // the archive is wanted.
    std::unique_ptr<TQelGameEngine> Start(bool useArchive = false)
    {
        TQelGameEngine::TSetup setup;
        setup.ProgramFolder = Program.Path();
        setup.UserFolder = User.Path() / "Orvanta" / "Glimmora";
        if (!useArchive)
            setup.DataFolder = Program.Path() / "data";
        setup.Seed = 7;
        return std::make_unique<TQelGameEngine>(Services, setup);
    }
    std::filesystem::path UserFolder() const { return User.Path() / "Orvanta" / "Glimmora"; }
    std::string UserFile(const std::string& name) const { return User.Read("Orvanta/Glimmora/" + name); }

    TTempFolder Program;
    TTempFolder User;
    TManualClock Clock;
    TPickyDisplay Display;
    TMemoryWindow Window;
    TRecordingAudio Audio;
    TRecordingMessageBox Boxes;
    TMemoryClipboard Clipboard;
    TRecordingUrlOpener Urls;
    TPlatformServices Services;
};

// A folder made read-only for this process, root included (through the immutable flag
// where the file system has one), and writable again at the end. Works() is false when
// the folder still takes new files; a test then has nothing to show and skips.
class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder))
    {
        ::chmod(folder_.c_str(), 0555);
        if (::geteuid() == 0)
            SetImmutable(true);
        const std::filesystem::path probe = folder_ / "probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        works_ = fd < 0;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
        }
    }
    ~TReadOnlyFolder()
    {
        if (::geteuid() == 0)
            SetImmutable(false);
        ::chmod(folder_.c_str(), 0755);
    }
    TReadOnlyFolder(const TReadOnlyFolder&) = delete;
    TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

    bool Works() const { return works_; }

private:
    void SetImmutable(bool on)
    {
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

    std::filesystem::path folder_;
    bool works_ = false;
};

// A process id that no process has any more: a child that has ended and been reaped.
inline pid_t GonePid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// The names in a folder, sorted, folders included.
inline std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The lines of a log file without their time stamps.
inline std::vector<std::string> LogMessages(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        if (line.starts_with("{") && line.find("} ") != std::string::npos)
            line = line.substr(line.find("} ") + 2);
        lines.push_back(line);
        pos = end + 2;
    }
    return lines;
}
