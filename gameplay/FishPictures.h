// The picture names of a piece: the prepared picture of its type and parts, its halo, the
// bonus and money-bag pictures, and the size and shift that come with them.
#pragma once

#include <string>

class tLevel;
struct TFish;

// "FishkaTypes" + type + "_" + part digits + ".png" and its halo "FishkaTypes" + type +
// "Oreol_" + digits + ".png" for a garment; in a bonus level "FishkaTypes" + type +
// ".png"; the fixed pictures of the bonus pieces and money bags. Sets the picture size,
// the centre, the combination's shift and HalfLength.
void MakeFishSurfName(tLevel& level, TFish& fish);

// The picture a money bag of that many pieces shows.
std::string MoneyBagPicture(int bagCount);
