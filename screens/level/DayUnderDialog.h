// The running day as a dialog script sees it: its pieces for tutorial pauses and pointers,
// the press a tutorial lets through, the cursor on a piece, and the recipe display the
// scripts show and hide.
#pragma once

#include "gameplay/LevelHints.h"
#include "metagame/DialogServices.h"

#include <cstdint>
#include <functional>

class TLevelSession;
struct TScreenContext;

class TDayUnderDialog final : public IDialogLevel {
public:
    // session gives the running day; null when none runs (then nothing is there).
    TDayUnderDialog(TScreenContext& context, std::function<TLevelSession*()> session)
        : c_(context), session_(std::move(session))
    {
    }

    bool AcceptsMessages() const override;
    void ShowThings() override;
    void HideThings() override;
    std::optional<TDialogBoxGrid> BoxGrid() const override { return std::nullopt; }
    std::optional<TPoint> PiecePoint(int32_t index, bool forEffect) const override;
    int32_t PieceAt(int32_t x, int32_t y) const override;
    void TutorialPress(int32_t x, int32_t y) override;
    void ClearHintMarks() override;
    void ShowCursorOnPiece(int32_t index, int64_t now) override;
    void PrintingCaption(const std::string&, int64_t, bool) override {}

    // The recipes while a script shows them, fading in, into the frame being composed.
    void DrawThings();

private:
    TScreenContext& c_;
    std::function<TLevelSession*()> session_;
    bool thingsShown_ = false;
    int64_t thingsSince_ = 0;
    TRecipeDisplay things_;
};
