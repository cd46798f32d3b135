// glimmora-tool pack, list and cat: building and inspecting resource archives.
#include "tools/glimmora-tool/ToolCommand.h"

#include "foundation/FileFolder.h"

#include <filesystem>
#include <iostream>

static int Pack(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() < 1)
        return ToolUsage(self);
    std::vector<TArchiveEntry> entries;
    for (size_t i = 1; i < args.size(); ++i) {
        TArchiveEntry entry;
        entry.Name = std::filesystem::path(args[i]).filename().string();
        if (!ToolReadFile(args[i], entry.Bytes))
            return 1;
        entries.push_back(std::move(entry));
    }
    WriteFileFolder(args[0], entries);
    return 0;
}

static int List(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return ToolUsage(self);
    TFileFolder archive(args[0]);
    for (int i = 0; i < archive.Count(); ++i) {
        const TDirEntry& e = archive.Entry(i);
        std::cout << e.FileName() << "\t" << e.Offset << "\t" << e.Size << "\n";
    }
    return 0;
}

static int Cat(const TToolCommand& self, const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return ToolUsage(self);
    TFileFolder archive(args[0]);
    archive.LoadFile(args[1]);
    TMemoryStream* stream = archive.GetFileStream(args[1]);
    std::cout.write(reinterpret_cast<const char*>(stream->Data()), static_cast<std::streamsize>(stream->Size()));
    return std::cout.good() ? 0 : 1;
}

void AddArchiveCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"pack", "ARCHIVE FILE...",
                        "Writes an archive holding the files under their base names, in the order given.", Pack});
    commands.push_back({"list", "ARCHIVE", "One line per entry: name, offset, size, separated by tabs.", List});
    commands.push_back({"cat", "ARCHIVE NAME", "Writes the entry's bytes to standard output, found and read as the game does.", Cat});
}
