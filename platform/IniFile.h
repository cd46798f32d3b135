// The small INI dialect of options.cfg and the per-user settings file: sections and keys
// found without regard to case, and writes that change only the keys they name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TIniFile {
public:
    TIniFile() = default;
    // Reads the text of an INI file: CR LF, LF and CR line ends; lines starting with ";"
    // are comments; names and values are trimmed.
    explicit TIniFile(std::string_view text);
    // The file's content, or an empty document when it does not exist or cannot be read.
    // Only a regular file is read (a pipe in its place never holds the caller); error
    // says why a file that is there could not be read, and stays empty for a missing one.
    static TIniFile Load(const std::filesystem::path& path, std::string* error = nullptr);

    // The value of the first key of that name in the first section of that name.
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // Decimal integers only; a missing or malformed value gives the fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // "true"/"false" in any case, also "1"/"0"; anything else gives the fallback.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Changes the key where it stands; a new key goes at the end of its section, a new
    // section at the end of the file. Every other line stays as it was.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    // The whole document with CR LF line ends.
    std::string Text() const;
    // Replaces the file through a temporary file; false (error says why) when it cannot.
    bool Save(const std::filesystem::path& path, std::string* error = nullptr) const;

private:
    struct TLine {
        std::string Raw;      // the line as it stands in the file
        std::string Section;  // set for a "[section]" line
        std::string Key;      // set for a "key=value" line
        std::string Value;
        bool IsSection = false;
        bool IsKey = false;
    };
    // Index of the "[section]" line, or -1.
    int FindSection(std::string_view section) const;
    // Index of the key's line inside the section starting at sectionLine, or -1.
    int FindKey(int sectionLine, std::string_view key) const;

    std::vector<TLine> lines_;
};
