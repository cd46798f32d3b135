// The way a game goes between its screens: the town map, the catalogue between two days,
// the days themselves and the title. A screen that leads to another asks through this,
// so no screen needs to know the others; the main window's screen set answers.
#pragma once

#include <cstdint>
#include <string>

class IJourney {
public:
    virtual ~IJourney() = default;
    // The town map on the player's furthest shop. full loads the walking figure, the
    // cursor and the zoom pictures; fromFirstDialog plays the episode's map dialogs from
    // the first one, else from the second.
    virtual void OpenMap(bool full, bool fromFirstDialog) = 0;
    // The catalogue before the player's current day; it goes straight on to the day when
    // nothing can be offered. withDialog lets the catalogue's introduction play.
    virtual void OpenShop(bool withDialog) = 0;
    // Day levelIndex of episode episod, at once. False when it cannot be loaded (the
    // game is then back on the title).
    virtual bool StartDay(int32_t episod, int32_t levelIndex) = 0;
    // The next day started opens with this dialog before any of its own: the catalogue
    // introduces the first furniture bought on the day that shows it.
    virtual void IntroduceNextDay(const std::string& script) = 0;
    // The instruction page of the day being played, over the paused day: the first shop's
    // introductions lead to it. Its play button gives the day back.
    virtual void OpenInstructionsBeforeDay() = 0;
    // A new game begins: its first day is played as a won day's successor is.
    virtual void NewGame() = 0;
    // The game has been won: the name entry for the high scores opens.
    virtual void OpenGameComplete() = 0;
};
