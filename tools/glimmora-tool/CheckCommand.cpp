// glimmora-tool check: every data file of an archive through its strict checker.
#include "tools/glimmora-tool/ToolCommand.h"

#include "tools/contentcheck/ContentCheck.h"

#include <iostream>

static int Check(const TToolCommand& self, const std::vector<std::string>& args)
{
    bool verbose = false;
    std::vector<std::string> files;
    for (const std::string& a : args) {
        if (a == "-v" || a == "--verbose")
            verbose = true;
        else
            files.push_back(a);
    }
    if (files.empty())
        return ToolUsage(self);
    TDataSource source(std::make_unique<TFileFolder>(files[0]));
    TCheckReport report = CheckContent(source, std::vector<std::string>(files.begin() + 1, files.end()));
    if (verbose)
        for (const std::string& note : report.Notes)
            std::cout << note << "\n";
    for (const std::string& error : report.Errors)
        std::cout << "Error " << error << "\n";
    std::cout << report.Notes.size() << " files checked, " << report.Errors.size() << " errors\n";
    return report.Errors.empty() ? 0 : 1;
}

void AddCheckCommands(std::vector<TToolCommand>& commands)
{
    commands.push_back({"check", "ARCHIVE [PROGRAM_FILE...] [-v]",
                        "Checks every file of the archive (and files beside the program, such as GameParams.xml)\n"
                        "      strictly; prints each error and exits 1 when there is any. -v names each file's check.",
                        Check});
}
