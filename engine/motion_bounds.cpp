#include "engine/motion_bounds.h"

#include <array>

namespace tarnwick {

namespace {

// Measured by tarnwick-motion-bounds over 1800-2400 (hourly over 1950-2050 for the Moon,
// the nodes and the Liliths): {largest |daily motion| deg/day, largest |change of daily
// motion| deg/day^2} per body, per coordinate.
// The largest changes of motion include the few days around a conjunction with the Sun,
// where the bending of light near the Sun's limb makes apparent positions swerve.
constexpr std::array<std::array<MotionBound, BodyCount>, kMotionCoordinates> kMeasured = {{
    {{  // geocentric longitude
        {1.01993, 0.00066987},  // Sun
        {15.3922, 0.514874},  // Moon
        {2.20305, 0.198106},  // Mercury
        {1.25916, 0.0424068},  // Venus
        {0.791518, 0.0151705},  // Mars
        {0.242722, 0.00352558},  // Jupiter
        {0.1305, 0.00191874},  // Saturn
        {0.0632697, 0.00229136},  // Uranus
        {0.0386614, 0.0024246},  // Neptune
        {0.0405145, 0.00135058},  // Pluto
        {0.155566, 0.0449573},  // Mn Node
        {0.258202, 0.0899311},  // Tr Node
        {0.112132, 2.71762e-05},  // m Lilith
        {6.35323, 2.09418},  // t Lilith
        {0, 0},  // Earth
        {0.147214, 0.00214555},  // Chiron
        {0.139707, 0.00196612},  // Pholus
        {0.460694, 0.00743763},  // Ceres
        {0.611553, 0.0125726},  // Pallas
        {0.598732, 0.00977614},  // Juno
        {0.542843, 0.00841782},  // Vesta
        {0.0147944, 0.0009463},  // Sedna
        {0.103935, 0.00146175},  // Nessus
        {0.0975989, 0.0102469},  // Chariklo
        {0.554615, 0.00893143},  // Astraea
        {0.0355923, 0.00151161},  // Eris
    }},
    {{  // geocentric right ascension
        {1.11134, 0.00362166},  // Sun
        {17.4003, 1.42554},  // Moon
        {2.41687, 0.211227},  // Mercury
        {1.3776, 0.0460961},  // Venus
        {0.842596, 0.0164767},  // Mars
        {0.252206, 0.00369991},  // Jupiter
        {0.141233, 0.00207326},  // Saturn
        {0.0668396, 0.00239207},  // Uranus
        {0.0409966, 0.00240544},  // Neptune
        {0.0387503, 0.00145764},  // Pluto
        {0.165285, 0.0464192},  // Mn Node
        {0.272993, 0.0928244},  // Tr Node
        {0.127155, 9.17538e-05},  // m Lilith
        {7.04594, 2.33863},  // t Lilith
        {0, 0},  // Earth
        {0.141741, 0.00235362},  // Chiron
        {0.149664, 0.00205527},  // Pholus
        {0.492193, 0.00837667},  // Ceres
        {0.563835, 0.0085415},  // Pallas
        {0.606161, 0.00899701},  // Juno
        {0.587161, 0.00891154},  // Vesta
        {0.0150826, 0.000999325},  // Sedna
        {0.105266, 0.00150743},  // Nessus
        {0.109683, 0.0111372},  // Chariklo
        {0.579743, 0.00943154},  // Astraea
        {0.0477838, 0.00134237},  // Eris
    }},
    {{  // heliocentric longitude
        {0, 0},  // Sun
        {0, 0},  // Moon
        {6.32569, 0.161772},  // Mercury
        {1.62591, 0.000788332},  // Venus
        {0.635752, 0.000983299},  // Mars
        {0.0919988, 3.47044e-05},  // Jupiter
        {0.0375171, 2.4971e-05},  // Saturn
        {0.0130483, 2.31559e-05},  // Uranus
        {0.00620835, 2.2909e-05},  // Neptune
        {0.00716119, 2.29753e-05},  // Pluto
        {0, 0},  // Mn Node
        {0, 0},  // Tr Node
        {0, 0},  // m Lilith
        {0, 0},  // t Lilith
        {1.01993, 0.000669869},  // Earth
        {0.0473725, 3.44413e-05},  // Chiron
        {0.0441657, 3.44363e-05},  // Pholus
        {0.25632, 0.000186289},  // Ceres
        {0.415862, 0.00121034},  // Pallas
        {0.409222, 0.000833054},  // Juno
        {0.326228, 0.000285618},  // Vesta
        {0.00211863, 2.28863e-05},  // Sedna
        {0.0290367, 2.77874e-05},  // Nessus
        {0.0242506, 2.5528e-05},  // Chariklo
        {0.359508, 0.000509942},  // Astraea
        {0.00551141, 2.29278e-05},  // Eris
    }},
    {{  // heliocentric right ascension
        {0, 0},  // Sun
        {0, 0},  // Moon
        {7.12736, 0.298865},  // Mercury
        {1.78243, 0.00927105},  // Venus
        {0.656162, 0.00188303},  // Mars
        {0.0944852, 5.24668e-05},  // Jupiter
        {0.0406628, 2.86733e-05},  // Saturn
        {0.0133503, 2.50219e-05},  // Uranus
        {0.00666337, 2.45593e-05},  // Neptune
        {0.00644374, 2.43018e-05},  // Pluto
        {0, 0},  // Mn Node
        {0, 0},  // Tr Node
        {0, 0},  // m Lilith
        {0, 0},  // t Lilith
        {1.11134, 0.00362166},  // Earth
        {0.0464707, 3.54847e-05},  // Chiron
        {0.0504657, 3.81783e-05},  // Pholus
        {0.277841, 0.000372233},  // Ceres
        {0.362981, 0.00062689},  // Pallas
        {0.402442, 0.000795113},  // Juno
        {0.351936, 0.000515455},  // Vesta
        {0.00217736, 2.30563e-05},  // Sedna
        {0.0265355, 3.09562e-05},  // Nessus
        {0.0268743, 3.20954e-05},  // Chariklo
        {0.373578, 0.000698254},  // Astraea
        {0.00693966, 3.7546e-05},  // Eris
    }},
    {{  // geocentric declination
        {0.396228, 0.00787975},  // Sun
        {7.32909, 2.21709},  // Moon
        {0.953887, 0.0994284},  // Mercury
        {0.525855, 0.0255036},  // Venus
        {0.319045, 0.00584591},  // Mars
        {0.096426, 0.00222492},  // Jupiter
        {0.0494264, 0.00207356},  // Saturn
        {0.0252382, 0.00232477},  // Uranus
        {0.0150228, 0.00211147},  // Neptune
        {0.0171138, 0.000651089},  // Pluto
        {0.0615526, 0.0174915},  // Mn Node
        {0.102077, 0.03499},  // Tr Node
        {0.057597, 0.000149076},  // m Lilith
        {3.03177, 0.995901},  // t Lilith
        {0, 0},  // Earth
        {0.054695, 0.00164418},  // Chiron
        {0.0519029, 0.000958295},  // Pholus
        {0.198176, 0.00439268},  // Ceres
        {0.449562, 0.0101186},  // Pallas
        {0.23181, 0.00664294},  // Juno
        {0.210236, 0.00454985},  // Vesta
        {0.00420339, 0.000903632},  // Sedna
        {0.0475317, 0.00098732},  // Nessus
        {0.0499832, 0.00229834},  // Chariklo
        {0.200426, 0.00423557},  // Astraea
        {0.0209147, 0.00116752},  // Eris
    }},
    {{  // geocentric latitude
        {4.33228e-05, 9.90985e-06},  // Sun
        {1.41355, 0.363334},  // Moon
        {0.345466, 0.0426922},  // Mercury
        {0.262099, 0.016625},  // Venus
        {0.0817803, 0.00340087},  // Mars
        {0.00526277, 0.0019101},  // Jupiter
        {0.00500107, 0.0020169},  // Saturn
        {0.00129642, 0.00229424},  // Uranus
        {0.00132039, 0.00228726},  // Neptune
        {0.009816, 0.000785654},  // Pluto
        {0, 0},  // Mn Node
        {0, 0},  // Tr Node
        {0.0147402, 4.24549e-05},  // m Lilith
        {0.574163, 0.192481},  // t Lilith
        {0, 0},  // Earth
        {0.0142148, 0.00132023},  // Chiron
        {0.0435993, 0.00112133},  // Pholus
        {0.105325, 0.0032817},  // Ceres
        {0.437171, 0.010542},  // Pallas
        {0.201927, 0.00652474},  // Juno
        {0.0952634, 0.00303792},  // Vesta
        {0.0025887, 0.00111897},  // Sedna
        {0.0200549, 0.00102784},  // Nessus
        {0.0316846, 0.00271572},  // Chariklo
        {0.0740411, 0.00418568},  // Astraea
        {0.0167614, 0.000771021},  // Eris
    }},
    {{  // heliocentric latitude
        {0, 0},  // Sun
        {0, 0},  // Moon
        {0.749444, 0.0754256},  // Mercury
        {0.0956775, 0.00272082},  // Venus
        {0.0185249, 0.000225938},  // Mars
        {0.00193452, 3.40736e-06},  // Jupiter
        {0.00161941, 1.11028e-06},  // Saturn
        {0.000163698, 1.85668e-07},  // Uranus
        {0.000186562, 2.04601e-07},  // Neptune
        {0.0016739, 3.88432e-07},  // Pluto
        {0, 0},  // Mn Node
        {0, 0},  // Tr Node
        {0, 0},  // m Lilith
        {0, 0},  // t Lilith
        {4.33227e-05, 9.90984e-06},  // Earth
        {0.00584132, 4.43406e-06},  // Chiron
        {0.0203289, 1.37471e-05},  // Pholus
        {0.0430337, 0.000206212},  // Ceres
        {0.187423, 0.00144933},  // Pallas
        {0.0758184, 0.000633659},  // Juno
        {0.0403941, 0.000213144},  // Vesta
        {0.00035059, 2.27934e-08},  // Sedna
        {0.00804528, 3.257e-06},  // Nessus
        {0.00793129, 3.7179e-06},  // Chariklo
        {0.0337073, 0.000164922},  // Astraea
        {0.00337411, 3.07092e-07},  // Eris
    }},
}};

constexpr double kSpeedMargin = 1.25, kSpeedSlack = 0.01;
constexpr double kAccelMargin = 1.25, kAccelSlack = 0.005;

}  // namespace

const char* MotionCoordinateName(MotionCoordinate c) {
  switch (c) {
    case MotionCoordinate::GeoLongitude: return "geocentric longitude";
    case MotionCoordinate::GeoRightAscension: return "geocentric right ascension";
    case MotionCoordinate::HelioLongitude: return "heliocentric longitude";
    case MotionCoordinate::HelioRightAscension: return "heliocentric right ascension";
    case MotionCoordinate::GeoDeclination: return "geocentric declination";
    case MotionCoordinate::GeoLatitude: return "geocentric latitude";
    case MotionCoordinate::HelioLatitude: return "heliocentric latitude";
  }
  return "";
}

bool IsHeliocentric(MotionCoordinate c) {
  return c == MotionCoordinate::HelioLongitude || c == MotionCoordinate::HelioRightAscension ||
         c == MotionCoordinate::HelioLatitude;
}

MotionCoordinate CoordinateOf(bool longitude_scan, Centre centre, const PositionSwitches& s) {
  const bool helio = centre == Centre::Helio;
  if (longitude_scan) {
    if (helio) return s.use_ra ? MotionCoordinate::HelioRightAscension : MotionCoordinate::HelioLongitude;
    return s.use_ra ? MotionCoordinate::GeoRightAscension : MotionCoordinate::GeoLongitude;
  }
  if (helio) return MotionCoordinate::HelioLatitude;
  return s.use_geo_lat ? MotionCoordinate::GeoLatitude : MotionCoordinate::GeoDeclination;
}

MotionBound MaxMotion(int body, MotionCoordinate c) {
  const MotionBound m = kMeasured[static_cast<std::size_t>(c)][BodySlot(body)];
  if (m.speed == 0.0) return {0.0, 0.0};
  return {m.speed * kSpeedMargin + kSpeedSlack, m.accel * kAccelMargin + kAccelSlack};
}

}  // namespace tarnwick
