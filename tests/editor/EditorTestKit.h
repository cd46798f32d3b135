// What the editor's tests share: reading a file whole, the test's own data files, and
// the lines by which a saved file differs from what it was.
#pragma once

#include "foundation/Files.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

inline std::string ReadText(const std::filesystem::path& path)
{
    auto bytes = ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// A file of tests/editor/data.
inline std::string Fixture(const std::string& name)
{
    return ReadText(std::filesystem::path(GLIM_TEST_DATA) / name);
}

// The lines removed ("-" and the line) and added ("+") from before to after, as a line
// diff gives them: the fewest lines that make one text the other, each line exactly as
// written (with its indentation and any CR).
inline std::vector<std::string> LineDiff(const std::string& before, const std::string& after)
{
    auto split = [](const std::string& text) {
        std::vector<std::string> lines;
        for (size_t start = 0; start < text.size();) {
            size_t end = std::min(text.find('\n', start), text.size());
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    };
    const std::vector<std::string> a = split(before), b = split(after);
    std::vector<std::vector<size_t>> common(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = a.size(); i-- > 0;)
        for (size_t j = b.size(); j-- > 0;)
            common[i][j] = a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    std::vector<std::string> diff;
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (i < a.size() && j < b.size() && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (i < a.size() && (j == b.size() || common[i + 1][j] >= common[i][j + 1]))
            diff.push_back("-" + a[i++]);
        else
            diff.push_back("+" + b[j++]);
    }
    return diff;
}
