// The level start sequence.
#include "gameplay/StartLevel.h"

#include "foundation/Clock.h"
#include "gameplay/Level.h"
#include "gameplay/LevelFile.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"

bool StartLevel(tLevel& level, const TLevelStartRequest& request, const TLevelStartContext& context,
                ILevelStartSteps& steps)
{
    steps.EnterLevelScreen();
    steps.ReloadPlayer();
    level.Episod = request.Episod;
    level.LevelIndex = request.LevelIndex;
    level.Effects().DeleteAllEffects(TEffectList::Screen);
    level.Effects().DeleteAllEffects(TEffectList::Level);

    auto now = [&] { return context.Clock ? context.Clock->NowMs() : int64_t{0}; };
    TLevelLoadContext load;
    load.Data = context.Data;
    load.Now = now();
    load.Progress = context.Progress;
    load.PreviousPictures = context.PreviousPictures;
    load.PrepareHeaps = context.PrepareHeaps;
    // A recorded or replayed day keeps its file's garments (see ChooseOutfits).
    if (level.Links.Player && context.Episods && !level.Demo.Playback && !level.Demo.Recording)
        load.OutfitTypes = LevelOutfitTypes(*level.Links.Player, context.Episods->Episod(request.Episod));
    if (!LoadLevel(level, request.FileName, request.Folder, true, false, true, load))
        return false;
    if (!request.Introduction.empty())
        level.Scene.DialogList.insert(level.Scene.DialogList.begin(), TLevelDialog{request.Introduction, 0});

    if (context.Progress)
        context.Progress->SetPercent(40);
    steps.LoadCustomerAnimations(level);
    if (context.Progress)
        context.Progress->SetPercent(50);
    steps.RunLevel(level);
    level.Times.LevelStart = now();
    return true;
}
