// What the records need from the tables other subsystems load (piece types, customer
// types, music entries): names resolved to indices while episodes are read, and the name
// and part count of a piece type for shop prices.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TPieceTypeInfo {
    std::string Name;
    int32_t PieceCount = 0;
};

class IGameTables {
public:
    virtual ~IGameTables() = default;
    // -1 when no piece type has that name.
    virtual int32_t FishkaTypeIndex(std::string_view name) const = 0;
    virtual std::optional<TPieceTypeInfo> FishkaType(int32_t index) const = 0;
    // -1 when no customer type has that name.
    virtual int32_t ManTypeIndex(std::string_view name) const = 0;
    // The module file of the music entry with that ID, or nothing.
    virtual std::optional<std::string> MusicFileById(std::string_view id) const = 0;
};

// Tables held as plain lists: tests, tools, and the game until the real tables exist.
// Names are compared exactly, as the loaders of those tables do. Every name asked for and
// not found is remembered, so a content check can list them.
class TListedGameTables final : public IGameTables {
public:
    int32_t FishkaTypeIndex(std::string_view name) const override { return Find(FishkaTypes, name); }
    std::optional<TPieceTypeInfo> FishkaType(int32_t index) const override
    {
        if (index < 0 || index >= static_cast<int32_t>(FishkaTypes.size()))
            return std::nullopt;
        return FishkaTypes[static_cast<size_t>(index)];
    }
    int32_t ManTypeIndex(std::string_view name) const override
    {
        for (size_t i = 0; i < ManTypes.size(); ++i)
            if (ManTypes[i] == name)
                return static_cast<int32_t>(i);
        Misses.emplace_back(name);
        return -1;
    }
    std::optional<std::string> MusicFileById(std::string_view id) const override
    {
        for (const auto& [musicId, file] : Music)
            if (musicId == id)
                return file;
        Misses.emplace_back(id);
        return std::nullopt;
    }

    std::vector<TPieceTypeInfo> FishkaTypes;
    std::vector<std::string> ManTypes;
    std::vector<std::pair<std::string, std::string>> Music;  // ID, module file
    mutable std::vector<std::string> Misses;

private:
    int32_t Find(const std::vector<TPieceTypeInfo>& types, std::string_view name) const
    {
        for (size_t i = 0; i < types.size(); ++i)
            if (types[i].Name == name)
                return static_cast<int32_t>(i);
        Misses.emplace_back(name);
        return -1;
    }
};
