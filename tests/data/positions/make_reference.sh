#!/usr/bin/env bash
# Writes reference.txt: positions and daily motions from Debian's swetest (package swetest,
# Swiss Ephemeris 2.10.03) with the files of swe-basic-data. Each line:
#   method body_index jd_ut value_deg motion_deg_per_day
# method is geo (longitude), ra (right ascension), decl (declination), geolat (geocentric
# ecliptic latitude), helio (heliocentric longitude), hlat (heliocentric latitude),
# node_true / node_mean (raw nodes, for the mean-node rule).
set -euo pipefail
E=-edir/usr/share/libswe/ephe
# swetest planet letters by body index 0..20 (m mean node, t true node, A/B Liliths,
# C Earth, D Chiron, E Pholus, F..I Ceres, Pallas, Juno, Vesta).
letters=(0 1 2 3 4 5 6 7 8 9 m t A B C D E F G H I)

q() { swetest "-bj$1" -ut "-p$2" "$3" -head -ep $E "${@:4}"; }

{
  # 1 Dec 2007 19:00 UT (local midnight at time zone 5), and dates across the files' years.
  for jd in 2454435.7083333 2396759.25 2433282.5 2469807.75 2575000.5; do
    for i in 0 1 4 9 15; do
      p=${letters[$i]}
      q $jd $p -fPlbss | awk -v i=$i -v jd=$jd '{n=NF; print "geo", i, jd, $(n-3), $(n-1); print "geolat", i, jd, $(n-2), $n}'
      q $jd $p -fPadss | awk -v i=$i -v jd=$jd '{n=NF; print "ra", i, jd, $(n-3), $(n-1); print "decl", i, jd, $(n-2), $n}'
    done
    for i in 4 9 14 15 17; do
      p=${letters[$i]}
      q $jd $p -fPlbss -hel | awk -v i=$i -v jd=$jd '{n=NF; print "helio", i, jd, $(n-3), $(n-1); print "hlat", i, jd, $(n-2), $n}'
    done
  done
  # The nodes around 2007 and on 21 June 2006, when the mean node (359.94) and the true node
  # (0.12) lie on both sides of 0 degrees.
  for jd in 2454435.7083333 2453907.5; do
    q $jd t -fPlbss | awk -v jd=$jd '{n=NF; print "node_true", 11, jd, $(n-3), $(n-1)}'
    q $jd m -fPlbss | awk -v jd=$jd '{n=NF; print "node_mean", 10, jd, $(n-3), $(n-1)}'
    q $jd t -fPadss | awk -v jd=$jd '{n=NF; print "node_true_decl", 11, jd, $(n-2), $n}'
    q $jd m -fPadss | awk -v jd=$jd '{n=NF; print "node_mean_decl", 10, jd, $(n-2), $n}'
  done
} > reference.txt
