// glimmora-tool scramble, plain, shift and xml: the scrambled files and the XML dialect.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/DataScramble.h"
#include "foundation/Files.h"
#include "foundation/QelParser.h"

#include <iostream>

static int Scramble(const TToolCommand& self, const std::vector<std::string>& args)
{
    std::string key(kDataKey);
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key") {
            if (i + 1 >= args.size())
                return ToolUsage(self);
            key = args[++i];
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return ToolUsage(self);
    std::vector<uint8_t> bytes;
    if (!ToolReadFile(files[0], bytes))
        return 1;
    TMemoryStream source(std::move(bytes)), target;
    ScrambleStream(source, target, key);
    return ToolWriteFile(files[1], target.Bytes()) ? 0 : 1;
}

static int Plain(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return ToolUsage(self);
    std::vector<uint8_t> bytes;
    if (!ToolReadFile(args[0], bytes))
        return 1;
    std::cout << (IsPlainText(TMemoryStream(std::move(bytes))) ? "plain" : "scrambled") << "\n";
    return 0;
}

static int Shift(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 3 || (args[0] != "up" && args[0] != "down"))
        return ToolUsage(self);
    std::vector<uint8_t> bytes;
    if (!ToolReadFile(args[1], bytes))
        return 1;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string shifted = args[0] == "up" ? ShiftTextUp(text) : ShiftTextDown(text);
    return ToolWriteFile(args[2], std::vector<uint8_t>(shifted.begin(), shifted.end())) ? 0 : 1;
}

static int Xml(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return ToolUsage(self);
    TQelParser document;
    document.LoadFromFile(args[0]);
    if (!document.LastError.empty())
        return ToolFail(document.LastError);
    document.SaveToFile(args[1]);
    return 0;
}

void AddDataCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"scramble", "IN OUT [--key KEY]",
                        "Scrambles (or unscrambles) a data file, with the game's fixed key unless another is given.",
                        Scramble});
    commands.push_back({"plain", "FILE", "Prints \"plain\" or \"scrambled\", as the game decides when it reads the file.",
                        Plain});
    commands.push_back({"shift", "up|down IN OUT", "Rotates the byte values of a high-score text up or down.", Shift});
    commands.push_back({"xml", "IN OUT", "Reads IN with the game's XML reader and writes it back with its writer.", Xml});
}
