// glimmora-tool: the command table and its dispatch.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/Text.h"

#include <cstdio>
#include <iostream>

int ToolFail(const std::string& message)
{
    std::cerr << "glimmora-tool: " << message << "\n";
    return 1;
}

int ToolUsage(const TToolCommand& command)
{
    std::cerr << "usage: glimmora-tool " << command.Name << " " << command.Usage << "\n";
    return 1;
}

bool ToolReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::string error;
    auto read = ReadFileBytes(path, &error);
    if (!read) {
        ToolFail(error);
        return false;
    }
    bytes = std::move(*read);
    return true;
}

bool ToolWriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::string error;
    if (!WriteFileAtomic(path, bytes, &error)) {
        ToolFail(error);
        return false;
    }
    return true;
}

bool ToolNextValue(const std::vector<std::string>& args, size_t& i, std::string& value)
{
    if (i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
}

bool ToolReadInt(const std::string& text, int& value, int lowest, int highest)
{
    auto v = StrictInt(text);
    if (!v || *v < lowest || *v > highest)
        return false;
    value = static_cast<int>(*v);
    return true;
}

std::unique_ptr<TDataSource> ToolOpenData(const std::string& archive, const std::filesystem::path& folder,
                                          std::string& error)
{
    try {
        if (!archive.empty())
            return std::make_unique<TDataSource>(std::make_unique<TFileFolder>(archive));
        return std::make_unique<TDataSource>(folder);
    } catch (const std::exception& e) {
        error = "cannot open " + (archive.empty() ? folder.string() : archive) + ": " + e.what();
        return nullptr;
    }
}

static std::vector<TToolCommand> AllCommands()
{
    std::vector<TToolCommand> commands;
    AddArchiveCommands(commands);
    AddDataCommands(commands);
    AddCheckCommands(commands);
    AddSheetCommands(commands);
    AddEffectCommands(commands);
    AddUiCommands(commands);
    AddSimCommands(commands);
    AddReplayCommands(commands);
    AddRoundtripCommands(commands);
    return commands;
}

static void PrintHelp(const std::vector<TToolCommand>& commands)
{
    std::cout << "glimmora-tool: Glimmora's data tool, built on the game's own code.\n\n"
                 "usage: glimmora-tool COMMAND [ARGUMENTS]\n\n";
    for (const TToolCommand& c : commands) {
        std::cout << "  " << c.Name << " " << c.Usage << "\n";
        std::cout << "      " << c.Help << "\n";
    }
    std::cout << "\nEvery failure prints a message on standard error and exits with status 1.\n";
}

int main(int argc, char** argv)
{
    std::vector<TToolCommand> commands = AllCommands();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(commands);
        return args.empty() ? 1 : 0;
    }
    for (const TToolCommand& c : commands)
        if (c.Name == args[0]) {
            args.erase(args.begin());
            for (const std::string& a : args)
                if (a == "--help") {
                    std::cout << "usage: glimmora-tool " << c.Name << " " << c.Usage << "\n" << c.Help << "\n";
                    return 0;
                }
            try {
                return c.Run(c, args);
            } catch (const std::exception& e) {
                return ToolFail(e.what());
            }
        }
    return ToolFail("unknown command \"" + args[0] + "\" (see glimmora-tool --help)");
}
