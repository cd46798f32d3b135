// A customer's walk and patience.
#include "gameplay/Person.h"

#include "foundation/Text.h"

void TPerson::StartMove(TPoint target, int64_t now, int32_t duration)
{
    Moving = true;
    MoveFrom = {X, Y};
    MoveTo = target;
    MoveStart = now;
    MoveEnd = now + duration;
}

void TPerson::Move(int64_t now)
{
    if (!Moving)
        return;
    if (now >= MoveEnd || MoveEnd <= MoveStart) {
        X = MoveTo.X;
        Y = MoveTo.Y;
        Moving = false;
    } else {
        double t = static_cast<double>(now - MoveStart) / static_cast<double>(MoveEnd - MoveStart);
        X = RoundHalfEven(MoveFrom.X + (MoveTo.X - MoveFrom.X) * t);
        Y = RoundHalfEven(MoveFrom.Y + (MoveTo.Y - MoveFrom.Y) * t);
    }
    Redraw = true;
}

void TPerson::UpdatePatience(int64_t now)
{
    int64_t left = Deadline - now;
    Patience = static_cast<int32_t>(left < INT32_MIN ? INT32_MIN : left > INT32_MAX ? INT32_MAX : left);
    int64_t whole = Deadline - StartTime;
    PatiencePercent = whole > 0 ? RoundHalfEven(static_cast<double>(Patience) * 100.0 / static_cast<double>(whole)) : 0;
}
