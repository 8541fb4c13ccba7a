// The 42 tile faces. Each paint function draws one face into the 38 x 54
// rectangle whose top-left corner is the painter's origin; the painter must
// be antialiased and may carry any translation.
//
// Kinds: 1..9 coins, 10..18 bamboo, 19..27 characters (each suit 1 to 9),
// 28..31 the winds N, O, S, W, 32..34 the red, green and white dragon,
// 35..38 the four flowers, 39..42 the four seasons (spring to winter).
#pragma once

class QPainter;

namespace kelmar::art {

constexpr int kFirstKind = 1;
constexpr int kLastKind = 42;

// Ground and rim shared by every face.
void paintFaceGround(QPainter& painter);

// The whole face of `kind` (1..42), ground included. Other kinds paint the
// ground only.
void paintTileFace(QPainter& painter, int kind);

// Motifs per family, without the ground. `value` counts from 1.
void paintCoins(QPainter& painter, int value);     // 1..9
void paintBamboo(QPainter& painter, int value);    // 1..9
void paintCharacter(QPainter& painter, int value); // 1..9
void paintWind(QPainter& painter, int wind);       // 1 north, 2 east, 3 south, 4 west
void paintDragon(QPainter& painter, int dragon);   // 1 red, 2 green, 3 white
void paintFlower(QPainter& painter, int flower);   // 1..4
void paintSeason(QPainter& painter, int season);   // 1 spring .. 4 winter

} // namespace kelmar::art
