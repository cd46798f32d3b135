// Customer types of "Mans.xml": the picture and name of each kind of customer, the
// animations it plays at each level of patience, and its thought bubble. The table is one
// object the application owns and hands to every level.
#pragma once

#include "effects/QelAnime.h"
#include "foundation/Geometry.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TDataSource;
class TGameLog;

// One animation of a customer type, played while the customer's patience (in percent) lies
// within Begin..End.
struct TManAnime {
    int32_t Begin = 0;
    int32_t End = 0;
    std::string AnimeFiles;
    TAnime Frames;  // loaded when a level that casts the type starts
};

struct TManTypes {
    std::string Pict;
    std::string Name;  // as the casts of the episodes name it
    int32_t TimeLeft = 0;  // ms; kept, customers are as patient as the rules say
    std::vector<TManAnime> Animes;
    int32_t TimeChangeAnime = 0;
    std::string Oblako;  // the thought bubble
    TPoint OblakoPos;    // the bubble's offset from the customer's bottom centre
};

// Reads an animation file into its frames (the game loads the frame pictures too).
using TAnimeLoader = std::function<TAnime(const std::string& file)>;

class TManTypeTable {
public:
    // Reads the table (replacing it) from the game data; a file the data does not hold
    // loads nothing. Problems are logged as "Error LoadMans" and keep the types read before
    // them. False when anything was wrong.
    bool LoadMans(const TDataSource& data, std::string_view fileName, TGameLog& log);
    bool LoadMansText(std::string_view text, TGameLog& log);

    // Loads the animations of the given types (those a level casts); each type once.
    void LoadAnimations(const std::vector<int32_t>& typeIndices, const TAnimeLoader& loader);

    // -1 when no type has that name; names are compared exactly.
    int32_t IndexByName(std::string_view name) const;
    // Nothing for an index outside the table.
    const TManTypes* Type(int32_t index) const;
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    std::vector<TManTypes> Items;
};
