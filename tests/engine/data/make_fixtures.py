#!/usr/bin/env python3
"""Writes the engine's test fixtures: small, smooth, physically shaped but
synthetic data files in the engine's exact layouts. They exercise the engine's
machinery (reading, interpolation, sampling, geometry, scoring); they are not
physics data. The installed data files live in data/ and are built from a
physics library by tools/.

    python3 make_fixtures.py      # rewrites the files in this folder
"""
import math

CRLF = "\r\n"


def soft_tissue():
    # Power laws shaped like soft tissue (linear coefficients, 1/cm).
    rho = 1.06
    energies_kev = [1, 2, 3, 4, 5, 6, 8, 10, 15, 20, 30, 40, 50, 60, 80, 100, 150, 200]
    lines = ["%3d" % len(energies_kev), "%9.4f" % rho]
    for e in energies_kev:
        photo = 4.9 * (10.0 / e) ** 3.1 * rho
        incoh = 0.19 / (1 + e / 350.0) * (1 - math.exp(-e / 6.0)) * rho
        coh = 0.22 * (10.0 / e) ** 1.6 * rho
        lines.append("%9.5f%10.4E%10.4E%10.4E" % (e / 1000.0, coh, incoh, photo))
    # Scattering functions on q = sin(theta/2)/lambda, denser at small q.
    a = 0.35
    for j in range(45):
        q = 10.0 * (j / 44.0) ** 2
        fc = 100.0 * (1.0 - (1.0 + (q / a) ** 2) ** -3)
        s = 8.0 * (1.0 - math.exp(-q / 0.5)) * (1.0 - 0.2 * math.exp(-q))
        lines.append("%10.5f%12.5f%12.5f" % (q, fc, s))
    return lines


def absorption():
    lines = []
    for i in range(1, 301):
        e = 0.5 * i
        w = 95.0 * (60.0 / e) ** 2.6 * 19.3 / 19.3 + 0.5
        al = 70.7 * (10.0 / e) ** 2.9 + 0.4
        cu = 200.0 * (20.0 / e) ** 2.8 + 1.5
        air = 4.7 * (10.0 / e) ** 3 + 0.022 * (e / 60.0) ** 0.3
        soft = 1.06 * air * (1.0 + 0.02 * math.exp(-e / 40.0))
        skin = 1.01 * soft
        lines.append("%10.3f" % e + "".join("%15.6E" % v for v in (w, al, cu, air, soft, skin)))
    return lines


def spectrum(kv=75.0, filter_cm=0.35):
    # Kramers' law for the photon number behind an aluminium filter, with the
    # tungsten K lines: a fixed 75 kV test spectrum.
    n = []
    for i in range(1, 301):
        e = 0.5 * i
        if i < 2 or e > kv:
            n.append(0.0)
            continue
        mu_al = 70.7 * (10.0 / e) ** 2.9 + 0.4
        n.append((kv - e) / e * math.exp(-mu_al * filter_cm))
    for e, f in ((59.5, 0.05), (58.0, 0.03), (67.0, 0.016), (69.0, 0.004)):
        n[int(e * 2) - 1] += f * sum(n)
    total = sum(n)
    return ["%06.1f, %7.5f" % (0.5 * i, n[i - 1] / total) for i in range(1, 301)]


def write(name, lines):
    with open(name, "w", newline="") as f:
        f.write(CRLF.join(lines) + CRLF)


write("ICRUSoft.dat", soft_tissue())
write("Att_Coeff2020.dat", absorption())
write("X_SPCTL.dat", spectrum())
write("joken-korvane.txt", ["020.0", "020.0", "080.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000200000"])
write("joken-teslund.txt", ["030.0", "020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000200000"])
write("joken-mirabek.txt", ["020.0", "020.0", "080.0", "100.0", "035.6", "043.2", "00000200000"])
