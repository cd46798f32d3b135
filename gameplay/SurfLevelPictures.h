// The level's pictures in the surface engine's store, loaded from the game data.
#pragma once

#include "gameplay/LevelServices.h"

#include <functional>

class TDataSource;
class TSurfEngine;

class TSurfLevelPictures final : public ILevelPictures {
public:
    // permanent says which pictures the game keeps for good (its preload list).
    TSurfLevelPictures(TSurfEngine& surfaces, const TDataSource& data,
                       std::function<bool(std::string_view)> permanent = {});

    bool HasPicture(std::string_view name) const override;
    bool PictureSize(std::string_view name, int32_t& width, int32_t& height) const override;
    // PNG pictures through the archive's picture loader, others through the store's loader.
    void LoadPicture(std::string_view name) override;
    void ReleasePicture(std::string_view name) override;
    bool IsPermanent(std::string_view name) const override;

private:
    TSurfEngine& surfaces_;
    const TDataSource& data_;
    std::function<bool(std::string_view)> permanent_;
};
