// What a glimmora-tool command is, and the helpers the commands share.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <functional>
#include <string>
#include <vector>

struct TToolCommand {
    std::string Name;
    std::string Usage;  // the arguments, e.g. "ARCHIVE FILE..."
    std::string Help;   // one or two lines for --help
    // Gets the arguments after the command name; gives the exit status.
    std::function<int(const TToolCommand& self, const std::vector<std::string>& args)> Run;
};

// Each file of commands appends its own.
void AddArchiveCommands(std::vector<TToolCommand>& commands);
void AddDataCommands(std::vector<TToolCommand>& commands);
void AddCheckCommands(std::vector<TToolCommand>& commands);
void AddSheetCommands(std::vector<TToolCommand>& commands);
void AddEffectCommands(std::vector<TToolCommand>& commands);
void AddUiCommands(std::vector<TToolCommand>& commands);
void AddSimCommands(std::vector<TToolCommand>& commands);
void AddRoundtripCommands(std::vector<TToolCommand>& commands);
void AddReplayCommands(std::vector<TToolCommand>& commands);

// Prints "glimmora-tool: " + message on standard error and gives 1.
int ToolFail(const std::string& message);
// Prints the command's usage line on standard error and gives 1.
int ToolUsage(const TToolCommand& command);
// Reads a whole file or reports why not (false).
bool ToolReadFile(const std::string& path, std::vector<uint8_t>& bytes);
bool ToolWriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

class TDataSource;

// Takes the value that follows the option at args[i] (moving i past it); false when
// the option is the last argument.
bool ToolNextValue(const std::vector<std::string>& args, size_t& i, std::string& value);
// A whole decimal integer within lowest..highest.
bool ToolReadInt(const std::string& text, int& value, int lowest, int highest);
// The game data of an archive file (when archive is not empty) or of a plain folder;
// nothing (error says why) when the archive cannot be opened.
std::unique_ptr<TDataSource> ToolOpenData(const std::string& archive, const std::filesystem::path& folder,
                                          std::string& error);
