// Customers arriving, ordering, animating by patience and walking out.
#include "foundation/QelLog.h"
#include "gameplay/Customers.h"

#include "audio/SoundEvents.h"
#include "foundation/Text.h"
#include "gameplay/Level.h"
#include "gameplay/LevelGame.h"
#include "gameplay/ManTypes.h"
#include "metagame/EpisodProgress.h"
#include "metagame/Episods.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int32_t kOffScreenX = -100;      // customers walk in from and out to here
constexpr int32_t kWalkInTime = 300;       // ms
constexpr int32_t kWalkOutTime = 400;      // ms
constexpr int32_t kRemoveDelay = 500;      // ms from the start of the walk out
constexpr int32_t kJustLeftTime = 2500;    // ms a leaving customer counts as just left
constexpr int32_t kAnimeStartSpread = 500;  // the first frame change is spread over this
constexpr int32_t kCastTries = 11;          // cast entries tried for a type not in the shop
constexpr int64_t kWaitAfterTimeOut = 30000;  // ms without a delivery before leaving
// The next arrival after the decision, by the number of customers present.
constexpr int32_t kArrivalDelays[] = {500, 3000, 6000};

const TCastEntry* CastEntry(const TLevelGame& game, const tLevel& level, int32_t index)
{
    const TLevelInEpisod* entry = game.LevelEntry(level);
    if (!entry || index < 0 || index >= static_cast<int32_t>(entry->Cast.size()))
        return nullptr;
    return &entry->Cast[static_cast<size_t>(index)];
}

int32_t CastSize(const TLevelGame& game, const tLevel& level)
{
    const TLevelInEpisod* entry = game.LevelEntry(level);
    return entry ? static_cast<int32_t>(entry->Cast.size()) : 0;
}

bool TypePresent(const TCustomers& customers, int32_t manType)
{
    return std::any_of(customers.Persons.begin(), customers.Persons.end(),
                       [&](const TPerson& p) { return p.ManType == manType; });
}

// The cast entry of the next customer: the level's next entry whose customer type is not
// in the shop already, trying a few in turn.
int32_t ChooseCastEntry(tLevel& level, TLevelGame& game)
{
    TCustomers& customers = level.Play.Customers;
    const int32_t size = CastSize(game, level);
    if (size == 0)
        return -1;
    for (int32_t attempt = 0; attempt < kCastTries; ++attempt) {
        if (customers.CastIndex >= size || customers.CastIndex < 0)
            customers.CastIndex = 0;
        int32_t index = customers.CastIndex++;
        const TCastEntry* entry = CastEntry(game, level, index);
        if (customers.Persons.empty() || !TypePresent(customers, entry->ManType))
            return index;
    }
    return -1;
}

// The piece types nobody in the shop has ordered.
std::vector<int32_t> OrderCandidates(const tLevel& level)
{
    std::vector<int32_t> candidates;
    for (int32_t type : level.LevelFishes) {
        bool wanted = false;
        for (const TPerson& person : level.Play.Customers.Persons)
            for (const TOrder& order : person.Orders)
                wanted = wanted || order.TypeIndex == type;
        if (!wanted && std::find(candidates.begin(), candidates.end(), type) == candidates.end())
            candidates.push_back(type);
    }
    return candidates;
}

const TAnime* FirstAnimation(const TManTypes* type)
{
    if (!type || type->Animes.empty() || type->Animes.front().Frames.empty())
        return nullptr;
    return &type->Animes.front().Frames;
}

void TakeFrame(tLevel& level, TPerson& person, const std::string& picture)
{
    person.Picture = picture;
    level.Pictures().PictureSize(picture, person.Width, person.Height);
}

TPerson NewPerson(tLevel& level, TLevelGame& game, const TCastEntry& cast, int64_t now)
{
    TPerson person;
    person.ManType = static_cast<uint8_t>(std::clamp(cast.ManType, 0, 255));
    const TManTypes* type = game.TheMans().Type(cast.ManType);
    if (const TAnime* frames = FirstAnimation(type))
        TakeFrame(level, person, frames->front().Picture);
    person.LastReceive = now;
    person.Patience = kPersonPatience;
    if (type) {
        person.Bubble = type->Oblako;
        person.BubbleX = type->OblakoPos.X;
        person.BubbleY = type->OblakoPos.Y;
        level.Pictures().LoadPicture(person.Bubble);
        level.Pictures().PictureSize(person.Bubble, person.BubbleWidth, person.BubbleHeight);
    }
    person.Deadline = now + kPersonPatience;
    person.StartTime = now;
    person.NextAnimeAt = level.Random().Below(kAnimeStartSpread);
    return person;
}

int32_t FreePlace(const tLevel& level)
{
    const auto& places = level.Scene.PersPosition;
    for (size_t i = 0; i < places.size(); ++i)
        if (!places[i].Occupied)
            return static_cast<int32_t>(i);
    return -1;
}

void FreePlaceOf(tLevel& level, const TPerson& person)
{
    auto& places = level.Scene.PersPosition;
    if (person.PlaceIndex >= 0 && person.PlaceIndex < static_cast<int32_t>(places.size()))
        places[static_cast<size_t>(person.PlaceIndex)].Occupied = false;
}

// The order: a piece type nobody else wants, and how many. False when every type is taken.
bool GiveOrder(tLevel& level, const TCastEntry& cast, TPerson& person)
{
    std::vector<int32_t> candidates = OrderCandidates(level);
    if (candidates.empty())
        return false;
    TOrder order;
    order.TypeIndex = candidates[static_cast<size_t>(level.Random().Below(static_cast<int32_t>(candidates.size())))];
    const std::vector<int32_t> sizes = cast.Groups.empty() ? std::vector<int32_t>{} : cast.Groups.front();
    int32_t count = 1;
    if (!sizes.empty())
        count = sizes[static_cast<size_t>(level.Random().Below(static_cast<int32_t>(sizes.size())))];
    count = std::clamp(count, 1, 255);
    order.Remaining = order.Shown = order.Initial = static_cast<uint8_t>(count);
    order.OrderPicture = "PFishkaTypes" + std::to_string(order.TypeIndex) + "_all.png";
    level.Pictures().PictureSize(order.OrderPicture, order.OrderWidth, order.OrderHeight);
    order.ShowAt = 0;
    person.Wanted = static_cast<uint8_t>(std::min(255, person.Wanted + count));
    person.Orders.push_back(std::move(order));
    return true;
}

// The animation of the customer's patience whose frame change is due.
void Animate(tLevel& level, TLevelGame& game, TPerson& person, int64_t now)
{
    const TManTypes* type = game.TheMans().Type(person.ManType);
    if (!type)
        return;
    for (const TManAnime& anime : type->Animes) {
        if (person.NextAnimeAt >= now || anime.Begin > person.PatiencePercent || anime.End < person.PatiencePercent)
            continue;
        if (anime.Frames.empty())
            return;
        const int32_t count = static_cast<int32_t>(anime.Frames.size());
        if (person.AnimeIndex >= count || person.AnimeIndex < 0)
            person.AnimeIndex = 0;
        const TOneAnime& frame = anime.Frames[static_cast<size_t>(person.AnimeIndex)];
        TakeFrame(level, person, frame.Picture);
        person.NextAnimeAt = now + frame.Time;
        person.AnimeIndex = (person.AnimeIndex + 1) % count;
        person.Redraw = true;
        return;
    }
}

void TickPerson(tLevel& level, TLevelGame& game, TPerson& person, int64_t now)
{
    person.Move(now);
    person.UpdatePatience(now);
    if (LevelTimeOver(level) && now - person.LastReceive >= kWaitAfterTimeOut && !person.Leaving)
        person.LeaveAt = now - 1;
    Animate(level, game, person, now);
    if (!person.Leaving && ((person.LeaveAt > 0 && person.LeaveAt <= now) || person.Patience <= 0))
        StartPersonLeaving(level, person, now);
    for (TOrder& order : person.Orders)
        if (order.ShowAt > 0 && order.ShowAt <= now) {
            order.ShowAt = 0;
            order.Shown = order.Remaining;
        }
}

void PlanArrival(tLevel& level, const TLevelGame& game, int64_t now)
{
    TCustomers& customers = level.Play.Customers;
    const int32_t present = static_cast<int32_t>(customers.Persons.size());
    if (present >= AllowedPersons(level, game) || present >= static_cast<int32_t>(std::size(kArrivalDelays)))
        return;
    customers.NextArrivalAt = now + kArrivalDelays[present];
}

void TickPersons(tLevel& level, TLevelGame& game, int64_t now)
{
    TCustomers& customers = level.Play.Customers;
    if (customers.Persons.empty() && LevelTimeOver(level))
        level.Play.Flow.InputEnabled = false;
    if (customers.NextArrivalAt > 0 && customers.NextArrivalAt <= now)
        AddPerson(level, game, -1, now);
    if (customers.JustLeftUntil > 0 && customers.JustLeftUntil <= now)
        customers.JustLeftUntil = 0;
    if (customers.NextArrivalAt == 0)
        PlanArrival(level, game, now);

    for (TPerson& person : customers.Persons)
        TickPerson(level, game, person, now);

    bool removed = false;
    for (int32_t i = static_cast<int32_t>(customers.Persons.size()) - 1; i >= 0; --i) {
        const TPerson& person = customers.Persons[static_cast<size_t>(i)];
        if (person.RemoveAt > 0 && person.RemoveAt <= now) {
            RemovePerson(level, i);
            removed = true;
        }
    }
    if (removed)
        CreatePersonsOrderY(level);
}

}  // namespace

int32_t AllowedPersons(const tLevel& level, const TLevelGame& game)
{
    return AllowedCustomers(game.ThePlayer()) + (level.Demo.Playback ? 1 : 0);
}

bool AddPerson(tLevel& level, TLevelGame& game, int32_t castIndex, int64_t now)
{
    return LogAndCarryOn(level.Links.Log, "Error TLevel.AddPerson", false, [&]() -> bool {
        TCustomers& customers = level.Play.Customers;
        if (LevelTimeOver(level))
            return false;
        customers.NextArrivalAt = 0;
        if (level.Scene.LevelState == TLevelState::lsPeople)
            return true;
        if (static_cast<int32_t>(customers.Persons.size()) >= AllowedPersons(level, game))
            return false;
        int32_t index = castIndex >= 0 ? castIndex : ChooseCastEntry(level, game);
        const TCastEntry* cast = CastEntry(game, level, index);
        if (!cast)
            return false;

        TPerson person = NewPerson(level, game, *cast, now);
        int32_t place = FreePlace(level);
        if (place < 0)
            return false;
        person.PlaceIndex = place;
        const TPersPlace& spot = level.Scene.PersPosition[static_cast<size_t>(place)];
        if (!GiveOrder(level, *cast, person))
            return false;
        level.Scene.PersPosition[static_cast<size_t>(place)].Occupied = true;
        person.X = kOffScreenX;
        person.Y = spot.Y;
        person.StartMove({spot.X, spot.Y}, now, kWalkInTime);
        person.PatiencePercent = 100;
        customers.Persons.push_back(std::move(person));
        CreatePersonsOrderY(level);
        CreatePersonsServeOrder(level);
        level.Sounds().AddSoundEffect("NewPerson");
        return true;
    });
}

void TickPersonTimer(tLevel& level, TLevelGame& game, int64_t now)
{
    LogAndCarryOn(level.Links.Log, "Error TLevel.TickPersonTimer", [&] {
        if (!level.Play.Flow.Paused)  // their times move on when the level resumes
            TickPersons(level, game, now);
    });
}

void CreatePersonsOrderY(tLevel& level)
{
    TCustomers& customers = level.Play.Customers;
    auto& order = customers.DrawOrder;
    order.clear();
    for (size_t i = 0; i < customers.Persons.size(); ++i)
        order.push_back(static_cast<int32_t>(i));
    const auto& places = level.Scene.PersPosition;
    auto placeY = [&](int32_t i) {
        int32_t place = customers.Persons[static_cast<size_t>(i)].PlaceIndex;
        return place >= 0 && place < static_cast<int32_t>(places.size()) ? places[static_cast<size_t>(place)].Y
                                                                          : customers.Persons[static_cast<size_t>(i)].Y;
    };
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return placeY(a) < placeY(b); });
}

void CreatePersonsServeOrder(tLevel& level)
{
    TCustomers& customers = level.Play.Customers;
    auto& order = customers.ServeOrder;
    order.clear();
    for (size_t i = 0; i < customers.Persons.size(); ++i)
        order.push_back(static_cast<int32_t>(i));
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        return customers.Persons[static_cast<size_t>(a)].PatiencePercent <
               customers.Persons[static_cast<size_t>(b)].PatiencePercent;
    });
}

void RemovePerson(tLevel& level, int32_t index)
{
    TCustomers& customers = level.Play.Customers;
    if (index < 0 || index >= static_cast<int32_t>(customers.Persons.size()))
        return;
    FreePlaceOf(level, customers.Persons[static_cast<size_t>(index)]);
    customers.Persons.erase(customers.Persons.begin() + index);
    // Pieces on their way to a customer name it by its place in the list.
    for (TFish& fish : level.Belt.Fishes) {
        if (fish.CustomerIndex == index)
            fish.CustomerIndex = -1;
        else if (fish.CustomerIndex > index)
            --fish.CustomerIndex;
    }
    customers.NextArrivalAt = 0;
    CreatePersonsServeOrder(level);
    CreatePersonsOrderY(level);
}

void StartPersonLeaving(tLevel& level, TPerson& person, int64_t now)
{
    person.Leaving = true;
    person.LeaveAt = 0;
    person.RemoveAt = now + kRemoveDelay;
    person.StartMove({kOffScreenX, person.Y}, now, kWalkOutTime);
    level.Play.Customers.JustLeftUntil = now + kJustLeftTime;
    --level.Play.Customers.ExpectedCount;
}

std::vector<TPersonPicture> PersonPictures(const tLevel& level)
{
    std::vector<TPersonPicture> pictures;
    const TCustomers& customers = level.Play.Customers;
    for (int32_t index : customers.DrawOrder) {
        if (index < 0 || index >= static_cast<int32_t>(customers.Persons.size()))
            continue;
        const TPerson& p = customers.Persons[static_cast<size_t>(index)];
        pictures.push_back({p.Picture, p.X - p.Width / 2, p.Y - p.Height});
        for (const TOrder& order : p.Orders) {
            if (order.Shown == 0)
                continue;
            const bool twoDigits = order.Shown > 9;
            pictures.push_back({p.Bubble, p.X + p.BubbleX, p.Y + p.BubbleY});
            double orderX = p.X + p.BubbleX + p.BubbleWidth / 2.0 + (twoDigits ? 2 : 0) - order.OrderWidth / 2.0 + 20;
            double orderY = p.Y + p.BubbleY + p.BubbleHeight / 0.8 * 0.1 - 1;
            pictures.push_back({order.OrderPicture, RoundHalfEven(orderX), RoundHalfEven(orderY)});
            pictures.push_back({std::to_string(order.Shown) + ".png", p.X + p.BubbleX - (twoDigits ? 6 : 0) + 10,
                                p.Y + p.BubbleY + 25});
        }
    }
    return pictures;
}
