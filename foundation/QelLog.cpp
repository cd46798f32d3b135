// The engine log and the game log.
#include "foundation/QelLog.h"

#include "foundation/Files.h"
#include "foundation/Services.h"
#include "foundation/Text.h"

namespace fs = std::filesystem;

std::string FormatLogStamp(int64_t elapsedMs)
{
    if (elapsedMs < 0)
        elapsedMs = 0;
    std::string stamp = "{";
    stamp += IntToStr(elapsedMs / 60000);
    stamp += ':';
    stamp += IntToStr(elapsedMs / 1000 % 60);
    stamp += ':';
    stamp += IntToStr(elapsedMs % 1000);
    stamp += "} ";
    return stamp;
}

TQelLog::TQelLog(fs::path path, const IClock& clock, bool startFresh)
    : path_(std::move(path)), clock_(clock), startTick_(clock.NowMs())
{
    if (startFresh && !path_.empty()) {
        std::error_code ec;
        fs::remove(path_, ec);
    }
}

bool TQelLog::Add(const std::string& message, std::string* error)
{
    if (!Enabled)
        return true;
    if (Listener)
        Listener(message);
    if (path_.empty())
        return true;
    return AppendToFile(path_, FormatLogStamp(clock_.NowMs() - startTick_) + message + "\r\n", error);
}

void TQelLog::AddAndShow(const std::string& message, IMessageBox* box)
{
    Add(message);
    if (box)
        box->Show("", message);
}

static TQelLog* engineLog = nullptr;

TQelLog* EngineLog()
{
    return engineLog;
}

void SetEngineLog(TQelLog* log)
{
    engineLog = log;
}

TGameLog::TGameLog(fs::path userFolder, const IClock& clock, std::string productName)
    : folder_(std::move(userFolder)),
      log_(folder_.empty() ? fs::path() : folder_ / (productName + ".log"), clock, false)
{
    log_.Enabled = true;
}

void TGameLog::WriteLog(const std::string& message, const std::string& fileName)
{
    if (Listener)
        Listener(message, fileName);
    if (fileName.empty()) {
        std::string error;
        const bool written = log_.Add(message, &error);
        const bool isError = message.starts_with("Error");
        if (debugBox_ && isError)
            debugBox_->Show("", message);
        else if (!written && isError && unwritableBox_ && !unwritableShown_) {
            // Once: a folder that refuses one line refuses them all, and a box per line
            // would bury the game.
            unwritableShown_ = true;
            unwritableBox_->Show("", message + "\n\nThe game log cannot be written either: " + error);
        }
    } else if (!folder_.empty() && IsBareFileName(fileName)) {
        AppendToFile(folder_ / fileName, message + "\r\n");
    }
}
