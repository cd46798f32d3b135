// What the bonus and pixel day screens add to the day the level screen runs: the level
// screen starts, pauses and ends every day and shows its windows, and hands the parts that
// differ to the day's own screen through this.
#pragma once

class TLevelSession;
class tLevel;

class IDayVariant {
public:
    virtual ~IDayVariant() = default;
    // While the level file loads: the pictures the day makes of its heaps.
    virtual void PrepareHeaps(tLevel& /*level*/) {}
    // The day's scene picture into "BackGround" (the whole screen is redrawn).
    virtual void MakeBackground(TLevelSession& day) = 0;
    // The day's own layers into the frame; also for the frozen scene under the results.
    virtual void DrawLayers(TLevelSession& day) = 0;
    // Over the interface (the day's panel), in every mode of the day.
    virtual void DrawOverPanel(TLevelSession& /*day*/) {}
    // The game menu opens over the day, and closes again.
    virtual void MenuOpened(TLevelSession& /*day*/) {}
    virtual void MenuClosed(TLevelSession& /*day*/) {}
};
