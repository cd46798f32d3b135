// Reading and rewriting INI files line by line.
#include "platform/IniFile.h"

#include "foundation/Files.h"
#include "foundation/Text.h"

namespace fs = std::filesystem;

TIniFile::TIniFile(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;

        TLine line;
        line.Raw = std::string(raw);
        std::string_view trimmed = TrimView(raw);
        if (trimmed.starts_with(";") || trimmed.empty()) {
            // comment or blank line: kept as it stands
        } else if (trimmed.starts_with("[")) {
            size_t close = trimmed.find(']');
            if (close != std::string_view::npos) {
                line.IsSection = true;
                line.Section = Trim(trimmed.substr(1, close - 1));
            }
        } else if (size_t eq = trimmed.find('='); eq != std::string_view::npos) {
            line.IsKey = true;
            line.Key = Trim(trimmed.substr(0, eq));
            line.Value = Trim(trimmed.substr(eq + 1));
        }
        lines_.push_back(std::move(line));
    }
}

TIniFile TIniFile::Load(const std::filesystem::path& path, std::string* error)
{
    std::string why;
    auto bytes = ReadFileBytes(path, &why);
    if (!bytes) {
        // A missing file is the first run, no failure.
        std::error_code ec;
        if (error && fs::symlink_status(path, ec).type() != fs::file_type::not_found)
            *error = why;
        return TIniFile();
    }
    return TIniFile(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
}

int TIniFile::FindSection(std::string_view section) const
{
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].IsSection && EqualsNoCase(lines_[i].Section, section))
            return static_cast<int>(i);
    return -1;
}

int TIniFile::FindKey(int sectionLine, std::string_view key) const
{
    for (size_t i = static_cast<size_t>(sectionLine) + 1; i < lines_.size() && !lines_[i].IsSection; ++i)
        if (lines_[i].IsKey && EqualsNoCase(lines_[i].Key, key))
            return static_cast<int>(i);
    return -1;
}

std::optional<std::string> TIniFile::Read(std::string_view section, std::string_view key) const
{
    int s = FindSection(section);
    if (s < 0)
        return std::nullopt;
    int k = FindKey(s, key);
    if (k < 0)
        return std::nullopt;
    return lines_[static_cast<size_t>(k)].Value;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    auto value = Read(section, key);
    return value ? *value : std::string(fallback);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    auto value = Read(section, key);
    if (!value)
        return fallback;
    auto number = StrictInt(*value);
    if (!number || *number < INT32_MIN || *number > INT32_MAX)
        return fallback;
    return static_cast<int>(*number);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    auto value = Read(section, key);
    if (!value)
        return fallback;
    if (*value == "1")
        return true;
    if (*value == "0")
        return false;
    return StrictBool(*value).value_or(fallback);
}

void TIniFile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    TLine line;
    line.IsKey = true;
    line.Key = std::string(key);
    line.Value = std::string(value);

    int s = FindSection(section);
    if (s < 0) {
        TLine head;
        head.IsSection = true;
        head.Section = std::string(section);
        head.Raw = "[" + head.Section + "]";
        lines_.push_back(std::move(head));
        line.Raw = line.Key + "=" + line.Value;
        lines_.push_back(std::move(line));
        return;
    }
    if (int k = FindKey(s, key); k >= 0) {
        TLine& old = lines_[static_cast<size_t>(k)];
        old.Value = line.Value;
        old.Raw = old.Key + "=" + old.Value;
        return;
    }
    // After the section's last key, so blank lines and comments that close the section
    // stay between it and the next one.
    size_t at = static_cast<size_t>(s) + 1;
    for (size_t i = at; i < lines_.size() && !lines_[i].IsSection; ++i)
        if (lines_[i].IsKey)
            at = i + 1;
    line.Raw = line.Key + "=" + line.Value;
    lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(at), std::move(line));
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const TLine& line : lines_)
        text += line.Raw + "\r\n";
    return text;
}

bool TIniFile::Save(const std::filesystem::path& path, std::string* error) const
{
    return WriteFileAtomic(path, Text(), error);
}
