// The demos under the instruction pages (smDemoLevel, smDemoBonusLevel, smDemoPixelLevel):
// a small day of each kind replays its recording from the program folder, drawn with the
// demo cursor where the recording's mouse is, and starts again from its first line when
// the recording ends. The demo has its own day, random streams and windows, so it plays
// alike whatever the game's seed and whatever windows the interface shows over it.
#pragma once

#include "foundation/Random.h"
#include "gameplay/BonusBoxPainter.h"
#include "gameplay/DemoReplay.h"
#include "gameplay/LevelPainter.h"
#include "gameplay/LevelSession.h"
#include "gameplay/PixelPainter.h"
#include "gameplay/SurfPictureMaker.h"
#include "metagame/Player.h"
#include "screens/Screen.h"
#include "screens/ScreenContext.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TDemoKind { Standard, Bonus, Pixel };

// The mode a demo of that kind plays in, its recording and its level file.
TScreenMode DemoMode(TDemoKind kind);
const char* DemoFileOf(TDemoKind kind);
const char* DemoLevelOf(TDemoKind kind);

// The lines of a recording when they can be replayed on the level: a header naming that
// level and at least one event. Otherwise nothing, with the reason in why.
std::optional<std::vector<std::string>> CheckDemo(const std::vector<std::string>& lines, const std::string& level,
                                                  std::string& why);

class TDemoScreen final : public IScreen {
public:
    explicit TDemoScreen(TScreenContext& context);
    ~TDemoScreen() override;

    // Starts the kind's demo from its first line, read from the program folder, and asks
    // for the kind's mode. False (with a log line) when there is nothing to replay: the
    // pages then show without a demo, in smInstructions.
    bool Run(TDemoKind kind);
    // The demo goes: its day and pictures are left.
    void Stop();
    bool Running() const { return day_ != nullptr; }
    TDemoKind Kind() const { return kind_; }
    // The day under the page and the recording's mouse, for tests.
    const TLevelSession* Day() const { return day_.get(); }
    TPoint Mouse() const { return replay_ ? replay_->Mouse() : TPoint{}; }
    // How often the running demo started again from its first line.
    int32_t Loops() const { return loops_; }

    // IScreen
    void Tick(int64_t now) override;
    void Draw() override;

private:
    // The demo's day loaded again, the background made and the replay at its first line.
    bool Restart();
    void MakeBackground();
    void DrawCursor();

    TScreenContext& c_;
    TRandom gameplay_{kDemoSeed};
    TRandom cosmetic_{kDemoCosmeticSeed};
    THeadlessDay headless_;
    TSurfPictureMaker pictureMaker_;
    TLevelPainter painter_;
    TBonusBoxPainter boxPainter_;
    TPixelPainter pixelPainter_;
    // A player of its own: the demo neither reads nor changes the real player's record.
    TPlayer player_;
    TSessionFlags flags_{};
    TDemoKind kind_ = TDemoKind::Standard;
    std::vector<std::string> lines_;
    std::unique_ptr<TLevelSession> day_;
    std::unique_ptr<TDemoReplay> replay_;
    TRect lastCursor_{};
    int32_t loops_ = 0;
};
