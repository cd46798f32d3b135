// Ready-made screen effects: flights of a picture along a generated path script or a
// thrown arc, and the level-complete celebration.
#include "effects/QelScreenEffects.h"

#include "foundation/Clock.h"
#include "foundation/QelBaseClasses.h"
#include "graphics/RedrawGrid.h"
#include "graphics/SurfEngine.h"

#include <cmath>

namespace {

constexpr const char* kFlightFiles[] = {"efMove.xml", "efMoveCoin.xml", "efCoinToHole.xml", "efMove.xml"};
constexpr double kGravity = 800;          // pixels per second squared, as the coin arcs were tuned
constexpr double kThrowSpeed = 600;       // horizontal pixels per second
constexpr double kShortestThrow = 0.4;    // seconds; nearer targets are thrown more slowly

std::string Seconds(double ms) { return FormatFixed(ms / 1000.0, 1); }

}  // namespace

TQelBallistic SolveBallistic(double x1, double y1, double x2, double y2, double h, double gravity)
{
    double dx = x2 - x1;
    if (std::fabs(dx) < std::fabs(h) * kShortestThrow)
        h = dx / kShortestThrow;
    double t = h != 0 ? dx / h : kShortestThrow;
    // The arc is y1 + v t + gravity t^2 (no factor 1/2: the parabolic function's form).
    return {h, (y2 - y1 - gravity * t * t) / t};
}

std::string TQelScreenEffectManager::MoveScript(int32_t duration, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    return "Set Linear; Set Timing " + Seconds(duration) + "; Path (" + IntToStr(x1) + "," + IntToStr(y1) + ") (" +
        IntToStr(x2) + "," + IntToStr(y2) + "); Ending Stop;";
}

std::string TQelScreenEffectManager::FadeScript(int32_t duration)
{
    return "Set Linear; Path (1) --\"" + Seconds(3.0 * duration / 4) + "\" (1) --\"" + Seconds(duration / 4.0) +
        "\" (0); Ending Stop;";
}

void TQelScreenEffectManager::LoadGameEffects()
{
    QelGuardMessage("Exception error in TQelGameEngine.LoadGameEffects!", [&] {
        for (size_t i = 0; i < std::size(kFlightFiles); ++i)
            templates_[i] = LoadEffect(kFlightFiles[i]);
    });
}

const TQelParticleEffect* TQelScreenEffectManager::FlightTemplate(TQelFlightTemplate which) const
{
    return templates_[static_cast<size_t>(which)].get();
}

namespace {

// A record in the main list running a copy of the template.
TPartEffect* StartFlightRecord(TScreenEffects& list, const TQelParticleEffect& tmpl, const TQelFlight& flight)
{
    auto made = std::make_unique<TPartEffect>();
    made->Name = flight.Name;
    made->Picture = flight.Picture;
    made->Running = true;
    made->Effect = std::make_unique<TQelParticleEffect>();
    if (!made->Effect->Assign(tmpl))
        return nullptr;
    return &list.Append(std::move(made));
}

}  // namespace

TPartEffect* TQelScreenEffectManager::CreateMoveEffect(const TQelFlight& flight, TQelFlightTemplate which)
{
    const TQelParticleEffect* tmpl = FlightTemplate(which);
    if (!tmpl)
        return nullptr;
    TPartEffect* record = StartFlightRecord(Main, *tmpl, flight);
    if (!record)
        return nullptr;
    TQelParticleEffect& effect = *record->Effect;
    effect.SetFunctionScript("FPath", MoveScript(flight.Duration, flight.X1, flight.Y1, flight.X2, flight.Y2));
    effect.SetFunctionScript("FAlpha", FadeScript(flight.Duration));
    if (!flight.Picture.empty() && !surfaces_.FindSurface(flight.Picture))
        surfaces_.LoadSurfFromFileOrFileFolder(data_, flight.Picture);
    effect.Start(static_cast<uint32_t>(flight.StartTime == -1 ? clock_.NowMs() : flight.StartTime));
    effect.Validate();
    effect.SetLifetime(static_cast<uint32_t>(std::max(flight.Duration, 0)));
    return record;
}

TPartEffect* TQelScreenEffectManager::CreateBallisticMoveEffect(const TQelFlight& flight, TQelFlightTemplate which)
{
    const TQelParticleEffect* tmpl = FlightTemplate(which);
    if (!tmpl)
        return nullptr;
    TPartEffect* record = StartFlightRecord(Main, *tmpl, flight);
    if (!record)
        return nullptr;
    TQelParticleEffect& effect = *record->Effect;
    const double h = flight.X2 >= flight.X1 ? kThrowSpeed : -kThrowSpeed;
    TQelBallistic throwing = Ballistic(flight.X1, flight.Y1, flight.X2, flight.Y2, h, kGravity);
    if (TQelMorph* morph = effect.MorphByName("MPosition"))
        if (TQelMorphFunc* arc = morph->Function(0)) {
            arc->SetParamByName("StartPosition", TQelVector {static_cast<float>(flight.X1), static_cast<float>(flight.Y1)}, 2);
            arc->SetParamByName(
                "StartVelocity", TQelVector {ClampToFloat(throwing.Horizontal), ClampToFloat(throwing.Vertical)}, 2);
            arc->SetParamByName("Acceleration", TQelVector {0, static_cast<float>(kGravity)}, 2);
        }
    if (!flight.Picture.empty() && !surfaces_.FindSurface(flight.Picture))
        surfaces_.LoadSurfFromFileOrFileFolder(data_, flight.Picture);
    effect.Start(static_cast<uint32_t>(flight.StartTime == -1 ? clock_.NowMs() : flight.StartTime));
    effect.Validate();
    // A throw with (almost) no horizontal speed ends at once rather than dividing by it.
    double lifetime = std::fabs(throwing.Horizontal) < 1 ? 0 : (flight.X2 - flight.X1) * 1000.0 / throwing.Horizontal;
    effect.SetLifetime(static_cast<uint32_t>(std::max(RoundHalfEven(lifetime), 0)));
    return record;
}

void TQelScreenEffectManager::StartLevelCompleteEffects(int64_t now)
{
    if (Grid)
        Grid->FillRedrawGrid(kWholeFrameClip, 2);
    struct {
        const char* File;
        int64_t Delay;
    } const kParts[] = {{"efLevelComplete.xml", 100}, {"efLevelCompleteStars.xml", 1600}};
    for (const auto& part : kParts) {
        TQelEffectParams params;
        params.File = part.File;
        params.StartTime = now + part.Delay;
        CreateQelEffectFromFile(Main, part.File, params);
    }
}
