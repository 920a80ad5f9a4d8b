// The body catalogue: the 26 bodies offered for each of the roles P1, P2 and P3.
#pragma once

#include <array>
#include <string_view>

namespace tarnwick {

// Centre of a role's positions. The values are the option indices of the "g"/"h"/"n" choices:
// Natal is the fixed geocentric position of a natal chart's body at the birth moment, offered
// for P2 and P3 when a chart is loaded.
enum class Centre { Geo = 0, Helio = 1, Natal = 2 };

inline constexpr int LastBodyIndex = 25;  // body loops run from 0 to this, inclusive
inline constexpr int BodyCount = LastBodyIndex + 1;

// Named body indices used by the scans' exclusion rules and the position provider.
inline constexpr int idxSun = 0;
inline constexpr int idxMoon = 1;
inline constexpr int idxMeanNode = 10;
inline constexpr int idxTrueNode = 11;
inline constexpr int idxMeanLilith = 12;
inline constexpr int idxTrueLilith = 13;
inline constexpr int idxEarth = 14;
inline constexpr int idxSedna = 21;
inline constexpr int idxNessus = 22;
inline constexpr int idxChariklo = 23;
inline constexpr int idxAstraea = 24;
inline constexpr int idxEris = 25;

// Swiss Ephemeris numbering of minor planets: this offset plus the minor-planet number.
inline constexpr int kAsteroidOffset = 10000;

struct Body {
  int index;                  // 0..25, the check box of the body in each role
  std::string_view caption;   // 8 characters, blank-padded: the body's name in reports
  int body_number;            // what the Swiss Ephemeris is asked for
};

inline constexpr std::array<Body, BodyCount> BodyCatalogue = {{
    {0, "Sun     ", 0},
    {1, "Moon    ", 1},
    {2, "Mercury ", 2},
    {3, "Venus   ", 3},
    {4, "Mars    ", 4},
    {5, "Jupiter ", 5},
    {6, "Saturn  ", 6},
    {7, "Uranus  ", 7},
    {8, "Neptune ", 8},
    {9, "Pluto   ", 9},
    {10, "Mn Node ", 10},  // geocentric: the mean of the true and the mean node
    {11, "Tr Node ", 11},
    {12, "m Lilith", 12},  // mean lunar apogee
    {13, "t Lilith", 13},  // osculating lunar apogee
    {14, "Earth   ", 14},
    {15, "Chiron  ", 15},
    {16, "Pholus  ", 16},
    {17, "Ceres   ", 17},
    {18, "Pallas  ", 18},
    {19, "Juno    ", 19},
    {20, "Vesta   ", 20},
    {21, "Sedna   ", kAsteroidOffset + 90377},
    {22, "Nessus  ", kAsteroidOffset + 7066},
    {23, "Chariklo", kAsteroidOffset + 10199},
    {24, "Astraea ", kAsteroidOffset + 5},
    {25, "Eris    ", kAsteroidOffset + 136199},
}};

inline constexpr bool IsBodyIndex(int index) { return index >= 0 && index <= LastBodyIndex; }

// The caption without its padding blanks ("Mn Node", "Sun"), for messages.
std::string_view BodyName(int index);

}  // namespace tarnwick
