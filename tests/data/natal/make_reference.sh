#!/usr/bin/env bash
# Writes reference.txt: the positions of three natal charts from Debian's swetest (package
# swetest, Swiss Ephemeris 2.10.03) with the files of swe-basic-data. Each line:
#   chart method body_index value_deg
# method: geo (longitude), ra (right ascension), decl (declination), geolat (geocentric
# ecliptic latitude), helio (heliocentric longitude), hlat (heliocentric latitude); body -1
# with method asc or mc is the Ascendant or the Midheaven of the chart's place.
# The charts (birth data as a chart file holds them, and the moment in UT they give):
#   old     03/14/1879 11:30 at zone -1 (10:30 UT), place 48N24 10E00  -> JD 2407422.9375
#   south   07/21/1969 02:56 Australia/Sydney (UTC+10), place 33S52 151E12 -> JD 2440423.2055555554
#   orbit   06/15/1990 14:30 Europe/Berlin (summer time, UTC+2), no place -> JD 2448058.0208333335
set -euo pipefail
E=-edir/usr/share/libswe/ephe
# swetest planet letters by body index 0..20 (m mean node, t true node, A/B Liliths,
# C Earth, D Chiron, E Pholus, F..I Ceres, Pallas, Juno, Vesta).
letters=(0 1 2 3 4 5 6 7 8 9 m t A B C D E F G H I)

q() { swetest "-bj$1" -ut "-p$2" "$3" -head -ep $E "${@:4}"; }

chart() {  # name jd
  local name=$1 jd=$2 i p
  for i in 0 1 2 3 4 5 6 7 8 9 11 12 13 15 16 17 18 19 20; do
    p=${letters[$i]}
    q "$jd" "$p" -fPlbss | awk -v c="$name" -v i=$i '{n=NF; print c, "geo", i, $(n-3); print c, "geolat", i, $(n-2)}'
    q "$jd" "$p" -fPadss | awk -v c="$name" -v i=$i '{n=NF; print c, "ra", i, $(n-3); print c, "decl", i, $(n-2)}'
  done
  for i in 2 5 6 15 17; do
    p=${letters[$i]}
    q "$jd" "$p" -fPlbss -hel | awk -v c="$name" -v i=$i '{n=NF; print c, "helio", i, $(n-3); print c, "hlat", i, $(n-2)}'
  done
}

angles() {  # name jd lon lat
  swetest "-bj$2" -ut "-house$3,$4,E" -fPl -head -ep $E -p |
    awk -v c="$1" '/^Ascendant/ {print c, "asc", -1, $2} /^MC/ {print c, "mc", -1, $2}'
}

{
  chart old 2407422.9375
  angles old 2407422.9375 10.0 48.4
  chart south 2440423.2055555554
  angles south 2440423.2055555554 151.2 -33.866666666666667
  chart orbit 2448058.0208333335
} > reference.txt
