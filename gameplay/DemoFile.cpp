// Reading, writing and stepping through recorded games.
#include "gameplay/DemoFile.h"

#include "foundation/Files.h"

#include <charconv>

int32_t DemoAttribute(std::string_view line, std::string_view name)
{
    std::string key(name);
    key += "=\"";
    size_t at = line.find(key);
    if (at == std::string_view::npos)
        return 0;
    at += key.size();
    size_t end = line.find('"', at);
    if (end == std::string_view::npos)
        return 0;
    int32_t value = 0;
    const char* first = line.data() + at;
    const char* last = line.data() + end;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last)
        return 0;
    return value;
}

TDemoEvent ParseDemoLine(std::string_view line)
{
    TDemoEvent e;
    if (line.find("<MouseMove ") != std::string_view::npos)
        e.Kind = TDemoEventKind::MouseMove;
    else if (line.find("<MouseLDown ") != std::string_view::npos)
        e.Kind = TDemoEventKind::MouseLDown;
    else if (line.find("<PutFishes ") != std::string_view::npos)
        e.Kind = TDemoEventKind::PutFishes;
    else if (line.find("<AddFishes ") != std::string_view::npos)
        e.Kind = TDemoEventKind::AddFishes;
    e.Time = DemoAttribute(line, "time");
    switch (e.Kind) {
    case TDemoEventKind::MouseMove:
    case TDemoEventKind::MouseLDown:
        e.X = DemoAttribute(line, "x");
        e.Y = DemoAttribute(line, "y");
        break;
    case TDemoEventKind::PutFishes:
        e.X = DemoAttribute(line, "x");
        e.Y = DemoAttribute(line, "y");
        e.Type = DemoAttribute(line, "FT");
        break;
    case TDemoEventKind::AddFishes:
        e.Type = DemoAttribute(line, "FT");
        e.Part = DemoAttribute(line, "H");
        break;
    case TDemoEventKind::None:
        break;
    }
    return e;
}

std::vector<std::string> DemoHeader(int32_t episod, int32_t levelIndex, const std::string& fileName)
{
    return {"Episod=" + std::to_string(episod), "Level= " + std::to_string(levelIndex), "FileName=" + fileName};
}

std::string DemoFileName(bool bonus, bool pixel)
{
    return std::string("Demo") + (pixel ? "P" : bonus ? "B" : "") + ".dat";
}

std::vector<std::string> ReadDemoLines(const std::filesystem::path& path)
{
    std::vector<std::string> lines;
    auto bytes = ReadFileBytes(path);
    if (!bytes)
        return lines;
    std::string current;
    for (uint8_t b : *bytes) {
        if (b == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(static_cast<char>(b));
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

bool WriteDemoLines(const std::filesystem::path& path, const std::vector<std::string>& lines, std::string* error)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return WriteFileAtomic(path, std::string_view(text), error);
}

void TDemoCursor::Restart(int64_t now)
{
    start_ = now;
    next_ = 1;
    nextTime_ = 0;
}

bool TDemoCursor::Step(int64_t now, const std::function<void(const TDemoEvent&)>& act)
{
    // Playback starts at the header's second line; a shorter file would be read past its end.
    if (!Playable())
        return false;
    const int64_t elapsed = now - start_;
    while (elapsed >= nextTime_ + Offset) {
        act(ParseDemoLine(lines_[next_]));
        if (next_ + 1 >= lines_.size())
            return true;
        ++next_;
        nextTime_ = ParseDemoLine(lines_[next_]).Time;
    }
    return false;
}
