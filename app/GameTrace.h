// The developer trace of --trace: one line per event, "<frame> <kind> <detail>", in the
// order the events happen. Tools read these lines, so the kinds keep their names.
#pragma once

#include "screens/ScreenContext.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

class TGameTrace final : public IScreenTrace {
public:
    // False (error says why) when the file cannot be written.
    bool Open(const std::filesystem::path& file, std::string* error);
    void SetFrame(int64_t frame) { frame_ = frame; }
    // After the last line ("end"): what the program does while it shuts down is not traced.
    void Close() { out_.close(); }
    void Event(std::string_view kind, std::string_view detail) override;

private:
    std::ofstream out_;
    int64_t frame_ = 0;
};

// Takes every event and keeps none: runs without --trace.
class TNoTrace final : public IScreenTrace {
public:
    void Event(std::string_view, std::string_view) override {}
};
