// Strict checks of game data files: a table of {which files, what checks them} rows, one
// row per kind of file; a kind the game has a loader for is checked by that loader.
#pragma once

#include "foundation/DataSource.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What one check found: every line is an error ("NAME: why").
struct TCheckReport {
    std::vector<std::string> Errors;
    std::vector<std::string> Notes;  // informational: which row checked what
    void Error(const std::string& name, const std::string& why) { Errors.push_back(name + ": " + why); }
};

class TCheckContext;

// The file being checked, the archive it belongs to (to follow references) and what the
// run shares (the game's tables, the picture store, the log capture).
struct TCheckedFile {
    std::string Name;
    const std::vector<uint8_t>& Bytes;
    const TDataSource& Source;
    TCheckContext& Context;
    std::string Path;  // where a file given beside the archive lies; empty for entries

    std::string_view Text() const
    {
        return {reinterpret_cast<const char*>(Bytes.data()), Bytes.size()};
    }
};

struct TCheckRow {
    std::string What;                                       // e.g. "font files"
    std::function<bool(const TCheckedFile& file)> Matches;
    std::function<void(const TCheckedFile& file, TCheckReport& report)> Check;
    std::string Loader;                                     // who checks it: the game loader or a stand-in
};

// Every row, most specific first; the first row that matches a file checks it.
const std::vector<TCheckRow>& CheckRows();

// Checks every file of the source, and each extra file (GameParams.xml, options.cfg, a
// translation) given by path, with the first matching row. The game's tables are read from
// the source once, before any file is checked.
TCheckReport CheckContent(const TDataSource& source, const std::vector<std::string>& extraFiles);

// The single checks, also used by the content test. Pictures go through the game's own
// decoders (graphics/ImageCodec).
bool DecodesAsPicture(const std::vector<uint8_t>& bytes, std::string& why);
bool DecodesAsOgg(const std::vector<uint8_t>& bytes, std::string& why, double* seconds = nullptr);
bool DecodesAsWav(const std::vector<uint8_t>& bytes, std::string& why, double* seconds = nullptr);
// Opens the module with libopenmpt and renders its first seconds; orders gives its length.
bool OpensAsModule(const std::vector<uint8_t>& bytes, std::string& why, int* orders = nullptr,
                   double* seconds = nullptr);
// The fields of a font file's first element, checked strictly (Metrics entries of up to
// six integers, codes 0..65535, glyph boxes inside the picture when it is given).
bool ParsesAsFont(const std::vector<uint8_t>& bytes, const TDataSource* source, std::string& why);

// The sound events the game plays by fixed name; each needs an element in Sounds.xml.
const std::vector<std::string>& FixedSoundEvents();
