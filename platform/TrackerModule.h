// One tracker module (MO3, IT, XM, S3M, MOD) loaded from memory and rendered by libopenmpt,
// looping for ever from wherever it is started.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct openmpt_module;

class TTrackerModule {
public:
    // Nothing (error says why) when libopenmpt cannot read the bytes.
    static std::unique_ptr<TTrackerModule> Load(std::span<const uint8_t> bytes, std::string* error = nullptr);
    ~TTrackerModule();
    TTrackerModule(const TTrackerModule&) = delete;
    TTrackerModule& operator=(const TTrackerModule&) = delete;

    // Number of entries in the order list.
    int NumOrders() const;
    int CurrentOrder() const;
    // Starts over at the first row of that order (kept inside the order list).
    void PlayFrom(int order);
    // Renders up to frames stereo frames at the rate; fewer only when the module has
    // nothing more to play.
    size_t Render(int rate, float* interleaved, size_t frames);

private:
    explicit TTrackerModule(openmpt_module* module) : module_(module) {}
    openmpt_module* module_;
};
