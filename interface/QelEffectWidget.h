// Effect widgets: a particle effect placed in a form. It starts a while after the form
// appears, optionally only once another effect widget's effect is over, may start again
// at intervals, and stops when the form is hidden.
#pragma once

#include "foundation/Random.h"
#include "interface/QelInterfaceObject.h"

#include <memory>
#include <string>
#include <vector>

class TQelParticleEffect;

class TQelEffect : public TQelInterfaceObject {
public:
    TQelEffect();
    ~TQelEffect() override;

    const char* ClassName() const override { return "TQelEffect"; }
    static const TQelPropTable& StaticProperties();
    const TQelPropTable& Properties() const override { return StaticProperties(); }

    // A new name loads that effect file: from the engine's interface folder when it has
    // one, else from the current folder. A file that does not load leaves the widget
    // without effect (one log line), and it is not tried again until the name changes.
    void SetLoadEffect(const std::string& value);
    const std::string& LoadEffect() const { return loadEffect_; }
    // The effect widget of that name on the same form, which must have finished first.
    void SetPrevEffectName(const std::string& value);
    const std::string& PrevEffectName() const { return prevEffectName_; }

    TQelParticleEffect* Effect() const { return effect_.get(); }
    const TQelEffect* PrevEffect() const { return prev_; }
    bool FromArchive() const { return fromArchive_; }
    bool Running() const { return running_; }
    bool Started() const { return started_; }
    int64_t StartTime() const { return startTime_; }
    int64_t Lifetime() const { return lifetime_; }

    std::vector<std::string> GetPictures() const override;
    void AnimationTick(int64_t time) override;
    void FormHidden() override;
    void ForgetObject(const TQelObject* dying) override;
    void Draw() override;

    // Published; Alpha, Color and ColTr are kept but not used in drawing.
    uint8_t Alpha = 255;
    int32_t Color = 0;
    uint8_t ColTr = 0;
    int32_t PauseBeforeStart = 0;  // ms after the form's first animation step
    int32_t ReStartTime = -1;      // ms after an effect ended until it starts again; below 0 never

private:
    // Reads the effect anew; it waits, not running, until it is started.
    bool Load();
    void StartAt(int64_t time);
    void Stop();

    std::string loadEffect_;
    std::string prevEffectName_;
    std::unique_ptr<TQelParticleEffect> effect_;
    bool fromArchive_ = false;
    bool loadFailed_ = false;
    TQelEffect* prev_ = nullptr;
    bool running_ = false;
    bool started_ = false;
    int64_t startTime_ = 0;
    int64_t lifetime_ = 0;
    // The widget's own cosmetic stream: particles never draw from the gameplay stream.
    TRandom random_;
    bool seeded_ = false;
};
