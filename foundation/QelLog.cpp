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

void TQelLog::Add(const std::string& message)
{
    if (!Enabled)
        return;
    if (Listener)
        Listener(message);
    if (!path_.empty())
        AppendToFile(path_, FormatLogStamp(clock_.NowMs() - startTick_) + message + "\r\n");
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
        log_.Add(message);
        if (debugBox_ && message.starts_with("Error"))
            debugBox_->Show("", message);
    } else if (!folder_.empty() && IsBareFileName(fileName)) {
        AppendToFile(folder_ / fileName, message + "\r\n");
    }
}
