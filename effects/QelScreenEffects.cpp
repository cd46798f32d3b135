// Screen effect lists: records, deferred deletion, creation from effect files, ticking,
// restarts and drawing (pictures and text).
#include "effects/QelScreenEffects.h"

#include "foundation/Clock.h"
#include "foundation/DataSource.h"
#include "foundation/MemoryStream.h"
#include "foundation/QelBaseClasses.h"
#include "foundation/QelLog.h"
#include "foundation/Random.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"
#include "text/QelFontEngine.h"

#include <algorithm>

namespace {
constexpr uint8_t kRedrawMark = 2;
constexpr int kDelayedSoundVolume = 100;
}  // namespace

// While a walk runs, deletions only mark records; the last walk to end removes them.
struct TScreenEffects::TWalk {
    TScreenEffects& List;
    explicit TWalk(TScreenEffects& list) : List(list) { ++List.walking_; }
    ~TWalk()
    {
        if (--List.walking_ == 0)
            List.Compact();
    }
};

int TScreenEffects::Count() const
{
    return static_cast<int>(std::count_if(records_.begin(), records_.end(), [](const auto& r) { return !r->Deleted; }));
}

size_t TScreenEffects::RawIndex(int index) const
{
    if (index < 0)
        return records_.size();
    for (size_t raw = 0; raw < records_.size(); ++raw)
        if (!records_[raw]->Deleted && index-- == 0)
            return raw;
    return records_.size();
}

TPartEffect* TScreenEffects::At(int index) const
{
    size_t raw = RawIndex(index);
    return raw < records_.size() ? records_[raw].get() : nullptr;
}

int TScreenEffects::IndexOf(const std::string& name) const
{
    int index = 0;
    for (const auto& r : records_) {
        if (r->Deleted)
            continue;
        if (r->Name == name)
            return index;
        ++index;
    }
    return -1;
}

TPartEffect& TScreenEffects::Append(std::unique_ptr<TPartEffect> record)
{
    records_.push_back(std::move(record));
    return *records_.back();
}

void TScreenEffects::Remove(size_t raw, bool withCallback)
{
    if (raw >= records_.size() || records_[raw]->Deleted)
        return;
    TQelEffectCallback callback = withCallback ? records_[raw]->Callback : TQelEffectCallback();
    std::string argument = records_[raw]->CallbackArg;
    if (walking_ > 0)
        records_[raw]->Deleted = true;
    else
        records_.erase(records_.begin() + static_cast<ptrdiff_t>(raw));
    // The record is gone: the callback may create, delete or walk records freely.
    if (callback)
        callback(argument);
}

void TScreenEffects::Compact()
{
    std::erase_if(records_, [](const auto& r) { return r->Deleted; });
}

void TScreenEffects::Delete(int index)
{
    Remove(RawIndex(index), true);
}

void TScreenEffects::DeleteRecord(const TPartEffect& record)
{
    for (size_t raw = 0; raw < records_.size(); ++raw)
        if (records_[raw].get() == &record) {
            Remove(raw, true);
            return;
        }
}

bool TScreenEffects::DeleteByName(const std::string& name)
{
    int index = IndexOf(name);
    if (index < 0)
        return false;
    Delete(index);
    return true;
}

void TScreenEffects::DeleteAllByName(const std::string& name)
{
    TWalk walk(*this);
    for (size_t raw = 0; raw < records_.size(); ++raw)
        if (!records_[raw]->Deleted && records_[raw]->Name == name)
            Remove(raw, false);
}

void TScreenEffects::DeleteAll()
{
    TWalk walk(*this);
    const size_t present = records_.size();
    for (size_t raw = 0; raw < present; ++raw)
        Remove(raw, true);
}

void TScreenEffects::ForEach(const std::function<void(TPartEffect&)>& visit)
{
    TWalk walk(*this);
    const size_t present = records_.size();
    for (size_t raw = 0; raw < present; ++raw)
        if (!records_[raw]->Deleted)
            visit(*records_[raw]);
}

// ---------------------------------------------------------------------------------------

TQelScreenEffectManager::TQelScreenEffectManager(
    TSurfEngine& surfaces, const TDataSource& data, const IClock& clock, TRandom& cosmetic)
    : surfaces_(surfaces), data_(data), clock_(clock), random_(cosmetic)
{
}

TQelScreenEffectManager::~TQelScreenEffectManager() = default;

uint32_t TQelScreenEffectManager::Now32() const
{
    return static_cast<uint32_t>(clock_.NowMs());
}

void TQelScreenEffectManager::LogLine(const std::string& message) const
{
    if (Log)
        Log->WriteLog(message);
}

void TQelScreenEffectManager::LoadEffectResources(const TQelParticleEffect& effect)
{
    for (int i = 0; i < effect.SystemCount(); ++i) {
        const TQelParticleSystem& system = *effect.System(i);
        if (!system.Resource.empty() && system.OutputMode != omShader && !surfaces_.FindSurface(system.Resource))
            surfaces_.LoadSurfFromFileOrFileFolder(data_, system.Resource);
    }
}

std::unique_ptr<TQelParticleEffect> TQelScreenEffectManager::LoadEffect(const std::string& file)
{
    return QelGuardMessage("Error in CTQelGameEngine.CreateQelEffectFromFile. Could not LoadFromStream " + file, [&] {
        std::string error;
        auto bytes = data_.Read(file, &error);
        if (!bytes)
            throw TQelException("Can not read effect " + file + (error.empty() ? "" : ": " + error));
        auto effect = std::make_unique<TQelParticleEffect>();
        effect->SetName(file);
        effect->Random = &random_;
        TMemoryStream stream(std::move(*bytes));
        try {
            effect->LoadFromStream(&stream);
        } catch (const EQelFXError& e) {
            throw TQelException(e.what());  // logged first, the outer message after it
        }
        LoadEffectResources(*effect);
        return effect;
    });
}

TPartEffect* TQelScreenEffectManager::CreateQelEffectFromFile(
    TScreenEffects& list, const std::string& name, const TQelEffectParams& params)
{
    if (data_.IsArchive() && !data_.Exists(params.File)) {
        LogLine("Can not find file name " + params.File + " in GameFolder");
        return nullptr;
    }
    const int64_t now = clock_.NowMs();
    auto made = std::make_unique<TPartEffect>();
    made->Name = name;
    made->Picture = params.Picture;
    made->IsText = params.IsText;
    made->X = params.X;
    made->Y = params.Y;
    made->Script = params.Script;
    made->Clip = params.Clip.value_or(kWholeFrameClip);
    made->Running = params.Running;
    made->RepeatInterval = params.RepeatInterval;
    made->Color = params.Color;
    made->CallbackArg = params.CallbackArg;
    made->Callback = params.Callback;
    TPartEffect& record = list.Append(std::move(made));
    try {
        QelGuardMessage("Exception error in TQelGameEngine.CreateQelEffectFromFile " + name, [&] {
            if (record.IsText) {
                record.Font = Fonts ? Fonts->GetObjectIndexByName(params.FontName) : -1;
                if (record.Font < 0)
                    throw TQelException("Can not find font " + params.FontName + " in Effect " + name + "!");
            } else if (!record.Picture.empty() && !surfaces_.FindSurface(record.Picture)) {
                surfaces_.LoadSurfFromFileOrFileFolder(data_, record.Picture);
            }
            record.Effect = LoadEffect(params.File);
            record.Effect->Start(static_cast<uint32_t>(params.StartTime == -1 ? now : params.StartTime));
            if (!record.Script.empty())
                record.Effect->SetFunctionScript("FPath", record.Script);
            if (record.Running)
                record.Effect->Validate();
        });
    } catch (...) {
        // A record without its effect would never finish: it goes again.
        record.Callback = nullptr;
        list.DeleteRecord(record);
        throw;
    }
    return &record;
}

// ---------------------------------------------------------------------------------------

void TQelScreenEffectManager::QueueSound(const std::string& name, int64_t time)
{
    sounds_.push_back({name, time});
}

void TQelScreenEffectManager::TickList(TScreenEffects& list, int64_t now)
{
    const uint32_t at = static_cast<uint32_t>(now);
    list.ForEach([&](TPartEffect& r) {
        if (!r.Effect || !r.Running)
            return;
        r.Effect->Tick(at);
        if (r.Effect->Finished() || (r.EndTime > 0 && r.EndTime < now)) {
            if (r.RepeatInterval < 1) {
                list.DeleteRecord(r);
            } else {
                r.Running = false;
                r.NextStart = static_cast<int64_t>(r.Effect->StartTime()) + r.RepeatInterval;
            }
        }
    });
    list.ForEach([&](TPartEffect& r) {
        if (r.Effect && !r.Running && r.NextStart > 0 && r.NextStart < now) {
            r.Effect->Start(at);
            r.Running = true;
            r.NextStart = -1;
            r.Effect->Validate();
        }
    });
}

void TQelScreenEffectManager::TickEffectsTimer(int64_t now)
{
    LogAndCarryOn(Log, "Error TickEffectsTimer", [&] {
        const uint32_t at = static_cast<uint32_t>(now);
        if (StandAlone[0])
            StandAlone[0]->Tick(at);
        if (TickLevelEffects)
            TickLevelEffects(now);
        // At most one delayed sound per frame.
        auto due = std::find_if(sounds_.begin(), sounds_.end(), [&](const TDelayedSound& s) { return s.Time < now; });
        if (due != sounds_.end()) {
            TDelayedSound sound = *due;
            sounds_.erase(due);
            if (Sounds)
                Sounds->PlaySound(sound.Name, kDelayedSoundVolume);
        }
        if (StandAlone[1])
            StandAlone[1]->Tick(at);
        TickList(Main, now);
        if (Level)
            TickList(*Level, now);
        TickList(Second, now);
    });
}

// ---------------------------------------------------------------------------------------

void TQelScreenEffectManager::DeleteQelScreenEffect(TScreenEffects& list, int index)
{
    QelGuardMessage("Exception error in DeleteQelScreenEffect", [&] { list.Delete(index); });
}

void TQelScreenEffectManager::DeleteQelScreenEffectByName(TScreenEffects& list, const std::string& name)
{
    QelGuardMessage("Exception error in DeleteQelScreenEffectByName", [&] { list.DeleteByName(name); });
}

void TQelScreenEffectManager::DeleteAllScreenEffectByName(TScreenEffects& list, const std::string& name)
{
    QelGuardMessage("Exception error in DeleteAllScreenEffectByName", [&] { list.DeleteAllByName(name); });
}

void TQelScreenEffectManager::DeleteAllEffects(TScreenEffects& list)
{
    QelGuardMessage("Exception error in DeleteAllScreenEffectByName", [&] { list.DeleteAll(); });
}

// ---------------------------------------------------------------------------------------

void TQelScreenEffectManager::DrawQelScreenEffects(const std::string& destination, TScreenEffects& list)
{
    QelGuardMessage("Exception error it TQelGameEngine.DrawQelScreenEffects!", [&] { DrawList(destination, list, false); });
}

void TQelScreenEffectManager::DrawQelScreenEffectsOnAlpha(const std::string& destination, TScreenEffects& list)
{
    QelGuardMessage(
        "Exception error it TQelGameEngine.DrawQelScreenEffectsOnAlpha!", [&] { DrawList(destination, list, true); });
}

void TQelScreenEffectManager::DrawList(const std::string& destination, TScreenEffects& list, bool onAlpha)
{
    const uint32_t now = Now32();
    list.ForEach([&](TPartEffect& r) {
        if (!r.Effect || r.Effect->StartTime() > now || !r.Running)
            return;
        if (r.IsText) {
            DrawText(destination, r);
            return;
        }
        TQelFXDrawParams params;
        params.OffsetX = r.X;
        params.OffsetY = r.Y;
        params.Clip = r.Clip;
        params.Picture = r.Picture;
        params.ScreenRules = true;
        params.OnAlpha = onAlpha;
        DrawQelParticleEffect(surfaces_, *r.Effect, destination, params, Grid, now);
    });
}

void TQelScreenEffectManager::DrawText(const std::string& destination, TPartEffect& record)
{
    TQelFont* font = Fonts ? Fonts->FontAt(record.Font) : nullptr;
    if (!font)
        return;
    const std::u16string text = Utf8ToUtf16(record.Picture);
    const int32_t width = font->GetTextWidth(text);
    const int32_t height = font->Height;

    // The font draws through its engine's host: point it at this destination meanwhile.
    TSurfFontHost host(surfaces_, *Fonts, destination);
    struct TRestore {
        TQelFontEngine& Fonts;
        IQelFontHost* Saved;
        ~TRestore() { Fonts.Host = Saved; }
    } restore {*Fonts, Fonts->Host};
    Fonts->Host = &host;

    constexpr uint32_t kOutline = 0x00FFFF;  // red and green full: a warm yellow rim
    constexpr int kOffsets[8][2] = {{-2, 0}, {0, -2}, {2, 0}, {0, 2}, {-2, -2}, {-2, 2}, {2, -2}, {2, 2}};
    for (int s = 0; s < record.Effect->SystemCount(); ++s) {
        const TQelParticleSystem& system = *record.Effect->System(s);
        if (system.Particles.empty() || system.Particles.front()->Hidden)
            continue;
        // Only the first particle of a system carries the text.
        const TQelParticle& p = *system.Particles.front();
        const TQelVector& position = p.Value(ppPosition);
        const uint8_t opacity = static_cast<uint8_t>(std::clamp(TruncSafe(p.Value(ppAlpha).X * 255.0), 0, 255));
        const int32_t x = RoundHalfEven(position.X) + record.X - width / 2;
        const int32_t y = RoundHalfEven(position.Y) + record.Y - height / 2;
        for (const auto& offset : kOffsets)
            font->DrawText(x + offset[0], y + offset[1], kOutline, opacity, text);
        uint32_t color = static_cast<uint32_t>(record.Color);
        if (record.Color == -1) {
            const TQelVector& c = p.Value(ppColor);
            auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(TruncSafe(v), 0, 255)); };
            color = channel(c.X) | channel(c.Y) << 8 | channel(c.Z) << 16;
        }
        font->DrawText(x, y, color, opacity, text);
        if (Grid)
            Grid->FillRedrawGrid(x - 2, y - 2, x + width + 2, y + height + 2, kRedrawMark);
    }
}
