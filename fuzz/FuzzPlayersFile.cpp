// Feeds arbitrary bytes as "players.dat" to every profile operation, and checks that a
// profile that loads reads back the same after a full save.
#include "foundation/Clock.h"
#include "foundation/QelLog.h"
#include "foundation/QelParser.h"
#include "metagame/Episods.h"
#include "metagame/Player.h"
#include "metagame/PlayerState.h"
#include "metagame/PlayersFile.h"
#include "metagame/Shop.h"
#include "metagame/WidgetAccess.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Three episodes with stages and levels, and a few upgrades, so that the values derived
// from a profile index into something.
struct TTables {
    TTables()
    {
        for (int e = 0; e < 3; ++e) {
            TEpisod episod;
            for (int s = 0; s < 3; ++s)
                episod.LevelFishes.push_back({3 * s, 3 * s + 1, 3 * s + 2});
            episod.Levels.resize(static_cast<size_t>(e + 1));
            episod.Upgrades = {0, 1, 2};
            episods.Items.push_back(std::move(episod));
        }
        episods.Items.resize(kEpisodCount);
        shop.Upgrades.resize(3);
        shop.Upgrades[0].BagsCount = 3;
        shop.Upgrades[1].ComboCount = 2;
        shop.Upgrades[1].ComboKind = 7;
        shop.Upgrades[2].NoMinus10 = true;
    }
    TEpisods episods;
    TShop shop;
};

std::string StateText(const TPlayer& player)
{
    TQelParser document;
    WritePlayerState(*document.AddChild("CurrentState"), player);
    return player.Name + "\n" + document.SaveToString();
}

}  // namespace

// Every input is written to a file and the code under test writes back through fsync:
// a memory file system keeps that from dominating the run.
static fs::path ScratchRoot()
{
    std::error_code ec;
    return fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
}

// The run's scratch folder, removed when the fuzzer exits normally (a crash leaves it to
// be looked at): a folder left in a memory file system holds its memory until reboot.
struct TScratch {
    fs::path Path = ScratchRoot() / ("glimmora-fuzz-players-" + std::to_string(getpid()));
    ~TScratch()
    {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const TScratch scratch;
    const fs::path& folder = scratch.Path;
    static const TTables tables;
    static TManualClock clock;
    static TGameLog log({}, clock);
    static TNoWidgets widgets;

    fs::remove_all(folder);
    fs::create_directories(folder);
    if (FILE* f = std::fopen((folder / "players.dat").c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TPlayersFile file(folder, log, widgets, tables.episods, tables.shop);
    file.DateStamp = [] { return std::string("fuzz"); };
    file.WritePlain = size > 0 && (data[0] & 1);

    file.FillPlayersGrid();
    file.RunningScores();
    TPlayer player;
    if (file.LoadPlayer(player) == TLoadResult::Loaded && !player.Name.empty()) {
        if (file.SavePlayerState(player, TSaveMode::Full) == TProfileResult::Done) {
            TPlayer again;
            if (file.LoadPlayer(again) != TLoadResult::Loaded || StateText(again) != StateText(player))
                std::abort();
        }
        file.SavePlayerState(player, TSaveMode::Outfits);
        file.SavePlayerState(player, TSaveMode::Instructions);
    }
    file.AddNewPlayer("Fuzz \"<&>\"");
    file.SelectPlayer(player, "Fuzz \"<&>\"");
    file.RenamePlayer(player, "Renamed");
    file.HideFromHighScores();
    file.DeletePlayer(player, "Renamed");
    file.MakeNewPlayersFile(player);
    return 0;
}
