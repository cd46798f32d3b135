// What a slider needs from the grid or tree it scrolls. The grid and the tree implement
// it; a slider finds one by name (its LinkedObjectName) and keeps a plain link that the
// engine clears when either side is freed.
#pragma once

#include <cstdint>
#include <optional>

class TQelSlider;

class IQelScrollable {
public:
    virtual ~IQelScrollable() = default;

    // The slider now scrolls this object: remember it as the linked slider, and take its
    // name as this object's LinkedObjectName, both stored without further effects.
    virtual void AttachSlider(TQelSlider& slider) = 0;
    // The slider's Max right after linking: for a grid its row count - 1; for a tree the
    // lines of the whole expanded tree - the lines it shows.
    virtual int32_t MaxOnLink() const = 0;
    // What a Max written to the slider becomes while linked: for a grid its row count - 2
    // with a fixed header row, - 1 without; nothing for a tree (the value written stays).
    virtual std::optional<int32_t> MaxOnWrite() const = 0;
    // The slider's Position was written: a grid takes it through its own Position writer,
    // a tree scrolls one line toward it.
    virtual void FollowSlider(int32_t position) = 0;
};
