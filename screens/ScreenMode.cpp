// Names of the screen modes, for logs and tests.
#include "screens/ScreenMode.h"

#include <array>

namespace {

struct TModeName {
    TScreenMode Mode;
    std::string_view Name;
};

using enum TScreenMode;
constexpr std::array kModeNames{
    TModeName{smTitle, "smTitle"},
    TModeName{smLevel, "smLevel"},
    TModeName{smEditor, "smEditor"},
    TModeName{smPixelLevel, "smPixelLevel"},
    TModeName{smPixelEditor, "smPixelEditor"},
    TModeName{smGameMenu, "smGameMenu"},
    TModeName{smLevelFailed, "smLevelFailed"},
    TModeName{smLevelComplete, "smLevelComplete"},
    TModeName{smBonusLevel, "smBonusLevel"},
    TModeName{smSelectElements, "smSelectElements"},
    TModeName{smDemoLevel, "smDemoLevel"},
    TModeName{smMap, "smMap"},
    TModeName{smDialog, "smDialog"},
    TModeName{smDialogEnded, "smDialogEnded"},
    TModeName{smHintBeforeLevel, "smHintBeforeLevel"},
    TModeName{smShop, "smShop"},
    TModeName{smSplash, "smSplash"},
    TModeName{smDemoBonusLevel, "smDemoBonusLevel"},
    TModeName{smDemoPixelLevel, "smDemoPixelLevel"},
    TModeName{smInstructions, "smInstructions"},
};

}  // namespace

std::string_view ScreenModeName(TScreenMode mode)
{
    for (const TModeName& row : kModeNames)
        if (row.Mode == mode)
            return row.Name;
    return {};
}
