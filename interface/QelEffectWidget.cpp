// Effect widgets: loading the effect file, starting it after the form appears (and after
// the previous effect), restarting it, and drawing it through the host.
#include "interface/QelEffectWidget.h"

#include "effects/QelFXParticles.h"
#include "foundation/DataSource.h"
#include "foundation/Files.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelLog.h"
#include "interface/QelForm.h"
#include "interface/QelInterfaceEngine.h"

#include <stdexcept>

namespace {

// The host draws the effect in its own colours: white and no tint override.
constexpr int32_t kOwnColours = 0xFFFFFF;
constexpr int32_t kNoTint = 0;

// Widgets with different names sparkle differently, and each the same in every run.
uint32_t NameSeed(const std::string& name)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace

TQelEffect::TQelEffect() = default;

TQelEffect::~TQelEffect() = default;

const TQelPropTable& TQelEffect::StaticProperties()
{
    using C = TQelEffect;
    static const TQelPropTable table = [] {
        TQelPropTable t(&TQelInterfaceObject::StaticProperties());
        TQelPropsOf<C>(t)
            .Field("Alpha", &C::Alpha)
            .Field("Color", &C::Color)
            .Field("ColTr", &C::ColTr)
            .Field("PauseBeforeStart", &C::PauseBeforeStart)
            .Field("ReStartTime", &C::ReStartTime)
            .String("PrevEffectName", &C::PrevEffectName, &C::SetPrevEffectName)
            .String("LoadEffect", &C::LoadEffect, &C::SetLoadEffect);
        return t;
    }();
    return table;
}

// ---------------------------------------------------------------------------------------
// Writers

void TQelEffect::SetLoadEffect(const std::string& value)
{
    if (value == loadEffect_)
        return;
    loadEffect_ = value;
    loadFailed_ = false;
    Stop();
    Load();
}

void TQelEffect::SetPrevEffectName(const std::string& value)
{
    if (value == prevEffectName_)
        return;
    prevEffectName_ = value;
    prev_ = nullptr;
    const TQelForm* form = ParentForm();
    if (!form)
        return;
    // Waiting for itself would never start.
    for (TQelInterfaceObject* child : form->Childs)
        if (child != this && child->Name() == value && std::string_view(child->ClassName()) == "TQelEffect") {
            prev_ = static_cast<TQelEffect*>(child);
            break;
        }
}

void TQelEffect::ForgetObject(const TQelObject* dying)
{
    TQelInterfaceObject::ForgetObject(dying);
    if (prev_ == dying)
        prev_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// The effect's life

bool TQelEffect::Load()
{
    if (loadEffect_.empty() || loadFailed_)
        return false;
    if (!seeded_) {
        random_.Seed(NameSeed(Name()));
        seeded_ = true;
    }
    const TQelInterfaceEngine* engine = InterfaceEngine();
    const TDataSource* folder = engine ? engine->InterfaceFolder : nullptr;
    try {
        std::string error;
        std::optional<std::vector<uint8_t>> bytes;
        if (folder)
            bytes = folder->Read(loadEffect_, &error);
        else if (auto path = ResolveFileNoCase(".", loadEffect_))
            bytes = ReadFileBytes(*path, &error);
        else
            error = "no such file";
        if (!bytes)
            throw std::runtime_error(error.empty() ? "cannot be read" : error);
        auto effect = std::make_unique<TQelParticleEffect>();
        effect->SetName(loadEffect_);
        effect->Random = &random_;
        TMemoryStream stream(std::move(*bytes));
        effect->LoadFromStream(&stream);
        // Started at 0: loaded, but not running until the widget starts it.
        effect->Start(0);
        effect_ = std::move(effect);
        fromArchive_ = folder != nullptr;
        running_ = false;
        lifetime_ = effect_->Lifetime();
        return true;
    } catch (const std::exception& e) {
        // Every later step would read the file again and fail the same way.
        loadFailed_ = true;
        if (TQelLog* log = EngineLog())
            log->Add(QelErrorText("TQelEffect.LoadEffect") + " [Name:" + Name() + "] " + loadEffect_ + ": " +
                     e.what());
        return false;
    }
}

void TQelEffect::StartAt(int64_t time)
{
    // Effects keep the low 32 bits of the game clock.
    const uint32_t at = static_cast<uint32_t>(time);
    effect_->Start(at);
    effect_->Validate();
    effect_->Tick(at);
    running_ = true;
    startTime_ = time;
    lifetime_ = effect_->Lifetime();
}

void TQelEffect::Stop()
{
    effect_.reset();
    running_ = false;
}

void TQelEffect::FormHidden()
{
    Stop();
    started_ = false;
    startTime_ = 0;
    lifetime_ = 0;
}

void TQelEffect::AnimationTick(int64_t time)
{
    if (!Visible())
        return;
    const TQelForm* form = ParentForm();
    const int64_t due = (form ? form->ShownTime : 0) + int64_t {PauseBeforeStart};
    if (effect_) {
        if (running_)
            effect_->Tick(static_cast<uint32_t>(time));
        else if (time >= due && !started_ && (!prev_ || !prev_->effect_)) {
            StartAt(time);
            started_ = true;
        }
        if (effect_->Finished())
            Stop();
        return;
    }
    // Over: again after the pause, when the widget restarts at all.
    if (started_ && ReStartTime >= 0 && time >= startTime_ + lifetime_ + ReStartTime && Load())
        StartAt(time);
    // Shown again: loaded anew, and started now unless it waits for another effect.
    if (time >= due && !started_ && Load() && !prev_) {
        StartAt(time);
        started_ = true;
    }
}

// ---------------------------------------------------------------------------------------

std::vector<std::string> TQelEffect::GetPictures() const
{
    std::vector<std::string> pictures = {picture_};
    if (effect_)
        for (int i = 0; i < effect_->SystemCount(); ++i)
            pictures.push_back(effect_->System(i)->Resource);
    return pictures;
}

void TQelEffect::Draw()
{
    DrawBasePicture();
    IQelGraphic4* host = Host();
    if (host && effect_ && running_)
        host->DrawQelInterfaceEffect(effect_.get(), AbsLeft, AbsTop, nullptr, 255, kOwnColours, kNoTint);
}
