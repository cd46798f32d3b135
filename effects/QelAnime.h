// Short frame animations ("anime" files): a list of pictures with the time each one
// starts, read from a small XML file and loaded into the surface store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDataSource;
class TSurfEngine;

struct TOneAnime {
    std::string Picture;
    int32_t Time = 0;  // ms
};
using TAnime = std::vector<TOneAnime>;

// The first element's attributes Plus (integer, default 0) and Mult (real, default 1)
// turn each child's Time into round((Plus + Time) x Mult) ms; Pict names its picture.
// Time and Pict may be attributes or child elements. With reload each picture is
// dropped and loaded again; progress hears the percentage done. A missing or empty file
// gives an empty list.
TAnime LoadAnime(TSurfEngine& surfaces, const TDataSource& data, const std::string& file, bool reload,
    const std::function<void(int percent)>& progress = {}, double scale = 0);
