// The screens the main window owns, built once the engines exist, with the context they
// share; each is linked into the screen table under the modes it serves.
#pragma once

#include "screens/LoadingScreen.h"
#include "screens/OptionsWindow.h"
#include "screens/ScreenContext.h"
#include "screens/TitleScreen.h"

class TScreenSet {
public:
    TScreenSet(const TScreenContext& context, TScreenTable& table)
        : Context(context), Options(Context), Loading(Context), Title(Context, Options)
    {
        table.Set(TScreenMode::smSplash, &Loading);
        table.Set(TScreenMode::smTitle, &Title);
    }

    TScreenContext Context;
    TOptionsWindow Options;
    TLoadingScreen Loading;
    TTitleScreen Title;
};
