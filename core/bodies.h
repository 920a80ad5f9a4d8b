// The body catalogue: the 26 bodies offered for each of the roles P1, P2 and P3.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace tarnwick {

// Centre of a role's positions. The values are the option indices of the "g"/"h"/"n" choices:
// Natal is the fixed geocentric position of a natal chart's body at the birth moment, offered
// for P2 and P3 when a chart is loaded.
enum class Centre { Geo = 0, Helio = 1, Natal = 2 };

inline constexpr int LastBodyIndex = 25;  // body loops run from 0 to this, inclusive
inline constexpr int BodyCount = LastBodyIndex + 1;

// A body's index in the catalogue, 0 .. LastBodyIndex: the check box of the body in each role.
// The named ones are those the scans' exclusion rules and the position provider single out.
// Unscoped over int, so that an index still counts and compares as the number it is.
enum BodyIndex : int {
  idxSun = 0,
  idxMoon = 1,
  idxMeanNode = 10,
  idxTrueNode = 11,
  idxMeanLilith = 12,
  idxTrueLilith = 13,
  idxEarth = 14,
  idxSedna = 21,
  idxNessus = 22,
  idxChariklo = 23,
  idxAstraea = 24,
  idxEris = 25,
  // The chart angles: natal points past the catalogue, taken only by P2 and P3 on the natal
  // centre of a chart with a birth place. Never asked of the library, never in a PerBody.
  idxAscendant = 26,
  idxMidheaven = 27,
};

// Natal points: the catalogue's bodies, then the two angles. Arrays of a chart's fixed points
// hold this many; everything indexed by a catalogue body holds BodyCount.
inline constexpr int LastNatalPointIndex = idxMidheaven;
inline constexpr int NatalPointCount = LastNatalPointIndex + 1;
inline constexpr int NatalAngleCount = NatalPointCount - BodyCount;

// The slot of a body in a per-body array (one element per catalogue entry); the index is
// 0 .. LastBodyIndex, so it fits.
constexpr std::size_t BodySlot(int index) { return static_cast<std::size_t>(index); }

// One value per body of the catalogue, indexed by a body index (0 .. LastBodyIndex) as well as
// by a position of the array. An aggregate like the std::array it is: `PerBody<bool> s{}`.
template <typename T>
struct PerBody : std::array<T, BodyCount> {
  using std::array<T, BodyCount>::operator[];
  constexpr T& operator[](int body) { return std::array<T, BodyCount>::operator[](BodySlot(body)); }
  constexpr const T& operator[](int body) const {
    return std::array<T, BodyCount>::operator[](BodySlot(body));
  }
};

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
inline constexpr bool IsNatalAngle(int index) { return index == idxAscendant || index == idxMidheaven; }
// A body of the catalogue or a chart angle: what a role of a combination may hold.
inline constexpr bool IsPointIndex(int index) { return IsBodyIndex(index) || IsNatalAngle(index); }

// The slot of a chart angle in a per-angle array: 0 for the Ascendant, 1 for the Midheaven.
constexpr std::size_t AngleSlot(int index) { return static_cast<std::size_t>(index - idxAscendant); }

// 8 characters, blank-padded, as the catalogue's captions: the angles' names in reports.
inline constexpr std::array<std::string_view, NatalAngleCount> kAngleCaptions = {"Asc     ", "MC      "};
// The angles' names where there is room: the body grid, the chart's table.
inline constexpr std::array<std::string_view, NatalAngleCount> kAngleLongNames = {"Ascendant", "Midheaven"};

// The report caption of a body or an angle ("Sun     ", "Asc     "); "????????" for any other
// index.
std::string_view PointCaption(int index);

// The caption without its padding blanks ("Mn Node", "Sun", "MC"), for messages. The index is
// a body or an angle (IsPointIndex).
std::string_view BodyName(int index);

}  // namespace tarnwick
