// The two plain-text logs: the engine log, written by engine exceptions and interface
// warnings, and the game log with its "Glimmora.log" and named side files.
#pragma once

#include "foundation/Clock.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

class IMessageBox;

// "{minutes:seconds:milliseconds} " for a time since the log's start, no zero padding.
std::string FormatLogStamp(int64_t elapsedMs);

// One log file. Each line is appended on its own (open, append, flush, close), so the
// file is complete at every moment and a line costs the same however long the file is.
// Writing errors never fail the code that writes to it. Only a regular file is written:
// a pipe or a folder in the log's place loses the line instead of holding the game.
class TQelLog {
public:
    // An empty path keeps the lines in no file (listeners still see them). With
    // startFresh an existing file of that name is deleted, so each run starts anew.
    TQelLog(std::filesystem::path path, const IClock& clock, bool startFresh);

    // False when the line could not be written to the file (error says why); a log with
    // no file, or not enabled, never fails.
    bool Add(const std::string& message, std::string* error = nullptr);
    void AddAndShow(const std::string& message, IMessageBox* box);

    const std::filesystem::path& Path() const { return path_; }
    int64_t StartTick() const { return startTick_; }

    bool Enabled = false;
    // Sees every message that is written (strict content checks, tests).
    std::function<void(const std::string& message)> Listener;

private:
    std::filesystem::path path_;
    const IClock& clock_;
    int64_t startTick_;
};

// The engine log that every TQelException writes to when it is made. An exception is made
// deep inside engine code that has no log of its own to pass along (a blit, a property
// set by name), and its line must be written at that moment so the chain reads innermost
// first: so this one log is reached through a process-wide pointer rather than passed in.
// There is one per program, installed at start-up by whoever owns it; none installed
// means the lines go nowhere.
TQelLog* EngineLog();
void SetEngineLog(TQelLog* log);

// The game log: stamped lines in "<product>.log" of the user folder, and unstamped lines
// in other named files of that folder (level statistics). It grows across runs.
class TGameLog {
public:
    // An empty folder writes no files; listeners still see the messages.
    TGameLog(std::filesystem::path userFolder, const IClock& clock, std::string productName = "Glimmora");

    void WriteLog(const std::string& message, const std::string& fileName = {});

    // In debug mode messages that begin with "Error" are also shown in a box.
    void SetDebugBox(IMessageBox* box) { debugBox_ = box; }
    // Where an "Error" message goes when the log file cannot take it (a read-only user
    // folder): shown in a box once per run, with the reason, so a save that fails is
    // never silent. Lines that are no errors are lost quietly.
    void SetUnwritableBox(IMessageBox* box) { unwritableBox_ = box; }

    int64_t StartTick() const { return log_.StartTick(); }
    const std::filesystem::path& Path() const { return log_.Path(); }

    // Sees every message, with the file name it was meant for (empty for the game log).
    std::function<void(const std::string& message, const std::string& fileName)> Listener;

private:
    std::filesystem::path folder_;
    TQelLog log_;
    IMessageBox* debugBox_ = nullptr;
    IMessageBox* unwritableBox_ = nullptr;
    bool unwritableShown_ = false;
};

// Runs one step of the game; whatever escapes it becomes one line of the game log, the
// message with the cause after it ("Error LoadShop: ..."), and the caller carries on. The
// game's way with a failing loader or frame step: its data stays empty, the game goes on.
// True when the step ran to its end.
template <class F>
bool LogAndCarryOn(TGameLog& log, const std::string& message, F&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        log.WriteLog(message + ": " + e.what());
    } catch (...) {
        log.WriteLog(message);
    }
    return false;
}

// The same for a step that gives a value: its value, or failed once the failure is logged.
// The log may be missing (an engine used headless).
template <class R, class F>
R LogAndCarryOn(TGameLog* log, const std::string& message, R failed, F&& step)
{
    try {
        return step();
    } catch (const std::exception& e) {
        if (log)
            log->WriteLog(message + ": " + e.what());
    } catch (...) {
        if (log)
            log->WriteLog(message);
    }
    return failed;
}

// The same for code whose game log may be missing (an engine used headless): the failure
// then shows only in the result.
template <class F>
bool LogAndCarryOn(TGameLog* log, const std::string& message, F&& step)
{
    if (log)
        return LogAndCarryOn(*log, message, std::forward<F>(step));
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}
