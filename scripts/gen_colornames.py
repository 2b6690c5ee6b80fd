#!/usr/bin/env python3
"""Generates src/kezcolors/colornames_table.cpp, the 466 named colours.

Rows 1-19 are the web colours; rows 20-466 take their values from the X Window System colour
database (rgb.txt), matched ignoring case and blanks, with a few rows whose value differs from
the database or that it does not have. Fails loudly on a name it cannot resolve.

Usage: scripts/gen_colornames.py [/usr/share/X11/rgb.txt]
"""
import os
import sys

NAMES = """
    Black Maroon Green Olive Navy Purple Teal Gray Silver Red Lime Yellow Blue Fuchsia Aqua
    White MoneyGreen Cream MedGray AliceBlue AntiqueWhite AntiqueWhite1 AntiqueWhite2
    AntiqueWhite3 AntiqueWhite4 Aquamarine Aquamarine1 Aquamarine2 Aquamarine3 Aquamarine4 Azure
    Azure1 Azure2 Azure3 Azure4 Beige Bisque Bisque1 Bisque2 Bisque3 Bisque4 BlanchedAlmond
    Blue1 Blue2 Blue3 Blue4 BlueViolet Bronze Brown Brown1 Brown2 Brown3 Brown4 BurlyWood
    BurlyWood1 BurlyWood2 BurlyWood3 BurlyWood4 CadetBlue CadetBlue1 CadetBlue2 CadetBlue3
    CadetBlue4 Carbon Chartreuse Chartreuse1 Chartreuse2 Chartreuse3 Chartreuse4 Chocolate
    Chocolate1 Chocolate2 Chocolate3 Chocolate4 Coral Coral1 Coral2 Coral3 Coral4 CornflowerBlue
    CornSilk CornSilk1 CornSilk2 CornSilk3 CornSilk4 Crimson Cyan Cyan1 Cyan2 Cyan3 Cyan4
    DarkBlue DarkCyan DarkGoldenRod DarkGoldenRod1 DarkGoldenRod2 DarkGoldenRod3 DarkGoldenRod4
    DarkGray DarkGreen DarkKhaki DarkMagenta DarkOliveGreen DarkOliveGreen1 DarkOliveGreen2
    DarkOliveGreen3 DarkOliveGreen4 DarkOrange DarkOrange1 DarkOrange2 DarkOrange3 DarkOrange4
    DarkOrchid DarkOrchid1 DarkOrchid2 DarkOrchid3 DarkOrchid4 DarkRed DarkSalmon DarkSeaGreen
    DarkSeaGreen1 DarkSeaGreen2 DarkSeaGreen3 DarkSeaGreen4 DarkSlateBlue DarkSlateGray
    DarkSlateGray1 DarkSlateGray2 DarkSlateGray3 DarkSlateGray4 DarkTurquoise DarkViolet
    DeepPink DeepPink1 DeepPink2 DeepPink3 DeepPink4 DeepSkyBlue DeepSkyBlue1 DeepSkyBlue2
    DeepSkyBlue3 DeepSkyBlue4 DimGray DodgerBlue DodgerBlue1 DodgerBlue2 DodgerBlue3 DodgerBlue4
    FireBrick FireBrick1 FireBrick2 FireBrick3 FireBrick4 FloralWhite ForestGreen Gainsboro
    GhostWhite Gold Gold1 Gold2 Gold3 Gold4 GoldenRod GoldenRod1 GoldenRod2 GoldenRod3
    GoldenRod4 Green1 Green2 Green3 Green4 GreenYellow HoneyDew HoneyDew1 HoneyDew2 HoneyDew3
    HoneyDew4 HotPink HotPink1 HotPink2 HotPink3 HotPink4 IndianRed IndianRed1 IndianRed2
    IndianRed3 IndianRed4 Indigo Ivory Ivory1 Ivory2 Ivory3 Ivory4 Khaki Khaki1 Khaki2 Khaki3
    Khaki4 Lavender LavenderBlush LavenderBlush1 LavenderBlush2 LavenderBlush3 LavenderBlush4
    LawnGreen LemonChiffon LemonChiffon1 LemonChiffon2 LemonChiffon3 LemonChiffon4 LightBlue
    LightBlue1 LightBlue2 LightBlue3 LightBlue4 LightCoral LightCyan LightCyan1 LightCyan2
    LightCyan3 LightCyan4 LightGoldenRod LightGoldenRod1 LightGoldenRod2 LightGoldenRod3
    LightGoldenRod4 LightGoldenRodYellow LightGray LightGreen LightPink LightPink1 LightPink2
    LightPink3 LightPink4 LightSalmon LightSalmon1 LightSalmon2 LightSalmon3 LightSalmon4
    LightSeaGreen LightSkyBlue LightSkyBlue1 LightSkyBlue2 LightSkyBlue3 LightSkyBlue4
    LightSlateBlue LightSlateGray LightSteelBlue LightSteelBlue1 LightSteelBlue2 LightSteelBlue3
    LightSteelBlue4 LightYellow LightYellow1 LightYellow2 LightYellow3 LightYellow4 LimeGreen
    Linen Magenta Magenta1 Magenta2 Magenta3 Magenta4 Maroon1 Maroon2 Maroon3 Maroon4
    MediumAquamarine MediumBlue MediumOrchid MediumOrchid1 MediumOrchid2 MediumOrchid3
    MediumOrchid4 MediumPurple MediumPurple1 MediumPurple2 MediumPurple3 MediumPurple4
    MediumSeaGreen MediumSlateBlue MediumSpringGreen MediumTurquoise MediumVioletRed
    MidnightBlue MintCream MistyRose MistyRose1 MistyRose2 MistyRose3 MistyRose4 Moccasin
    NavajoWhite NavajoWhite1 NavajoWhite2 NavajoWhite3 NavajoWhite4 NavyBlue OldLace OliveDrab
    OliveDrab1 OliveDrab2 OliveDrab3 OliveDrab4 Orange Orange1 Orange2 Orange3 Orange4 OrangeRed
    OrangeRed1 OrangeRed2 OrangeRed3 OrangeRed4 Orchid Orchid1 Orchid2 Orchid3 Orchid4
    PaleGoldenRod PaleGreen PaleGreen1 PaleGreen2 PaleGreen3 PaleGreen4 PaleTurquoise
    PaleTurquoise1 PaleTurquoise2 PaleTurquoise3 PaleTurquoise4 PaleVioletRed PaleVioletRed1
    PaleVioletRed2 PaleVioletRed3 PaleVioletRed4 PapayaWhip PeachPuff PeachPuff1 PeachPuff2
    PeachPuff3 PeachPuff4 Peru Pink Pink1 Pink2 Pink3 Pink4 Plum Plum1 Plum2 Plum3 Plum4
    PowderBlue Purple1 Purple2 Purple3 Purple4 RebeccaPurple Red1 Red2 Red3 Red4 RosyBrown
    RosyBrown1 RosyBrown2 RosyBrown3 RosyBrown4 RoyalBlue RoyalBlue1 RoyalBlue2 RoyalBlue3
    RoyalBlue4 SaddleBrown Salmon Salmon1 Salmon2 Salmon3 Salmon4 SandyBrown SeaGreen SeaGreen1
    SeaGreen2 SeaGreen3 SeaGreen4 SeaShell SeaShell1 SeaShell2 SeaShell3 SeaShell4 Sienna
    Sienna1 Sienna2 Sienna3 Sienna4 SkyBlue SkyBlue1 SkyBlue2 SkyBlue3 SkyBlue4 SlateBlue
    SlateBlue1 SlateBlue2 SlateBlue3 SlateBlue4 SlateGray SlateGray1 SlateGray2 SlateGray3
    SlateGray4 Snow Snow1 Snow2 Snow3 Snow4 SpringGreen SpringGreen1 SpringGreen2 SpringGreen3
    SpringGreen4 SteelBlue SteelBlue1 SteelBlue2 SteelBlue3 SteelBlue4 Tan Tan1 Tan2 Tan3 Tan4
    Thistle Thistle1 Thistle2 Thistle3 Thistle4 Tomato Tomato1 Tomato2 Tomato3 Tomato4 Turquoise
    Turquoise1 Turquoise2 Turquoise3 Turquoise4 Violet VioletRed VioletRed1 VioletRed2
    VioletRed3 VioletRed4 WebGray WebGreen WebMaroon WebPurple Wheat Wheat1 Wheat2 Wheat3 Wheat4
    WhiteSmoke Yellow1 Yellow2 Yellow3 Yellow4 YellowGreen
""".split()

# Values as RRGGBB (red first), for rows the database does not decide.
FIXED = {
    "Black": 0x000000, "Maroon": 0x800000, "Green": 0x008000, "Olive": 0x808000,
    "Navy": 0x000080, "Purple": 0x800080, "Teal": 0x008080, "Gray": 0x808080,
    "Silver": 0xC0C0C0, "Red": 0xFF0000, "Lime": 0x00FF00, "Yellow": 0xFFFF00,
    "Blue": 0x0000FF, "Fuchsia": 0xFF00FF, "Aqua": 0x00FFFF, "White": 0xFFFFFF,
    "MoneyGreen": 0xC0DCC0, "Cream": 0xFFFBF0, "MedGray": 0xA0A0A4,
    "Bronze": 0x998877, "Carbon": 0x222222, "Crimson": 0xDC143C, "Indigo": 0x4B0082,
    "RebeccaPurple": 0x663399, "WebGray": 0x808080, "WebGreen": 0x008000,
    "WebMaroon": 0x800000, "WebPurple": 0x800080, "SkyBlue": 0xA6CAF0, "SkyBlue1": 0x87CEEB,
}


def key(name):
    return name.replace(" ", "").lower()


def read_database(path):
    colours = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            parts = line.split()
            if len(parts) < 4 or line.startswith("!"):
                continue
            r, g, b = (int(p) for p in parts[:3])
            colours.setdefault(key(" ".join(parts[3:])), (r << 16) | (g << 8) | b)
    return colours


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/X11/rgb.txt"
    database = read_database(path)
    assert len(NAMES) == 466, len(NAMES)
    rows = []
    for name in NAMES:
        if name in FIXED:
            value = FIXED[name]
        elif key(name) in database:
            value = database[key(name)]
        else:
            sys.exit("gen_colornames: no value for colour name %r" % name)
        # TColor holds red in the low byte.
        colour = ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16)
        rows.append((name, colour))
    out = os.path.join(os.path.dirname(__file__), "..", "src", "kezcolors", "colornames_table.cpp")
    with open(out, "w") as f:
        f.write("// Generated by scripts/gen_colornames.py from the X Window System colour database;\n")
        f.write("// do not edit. 466 rows: the names and their colours (red in the low byte).\n")
        f.write('#include "kez/kezcolors.hpp"\n\nnamespace kez {\n\n')
        f.write("const RangeArray<StringView, 1, 466> AllKEZColorNames = {{\n")
        for name, _ in rows:
            f.write('    u"%s",\n' % name)
        f.write("}};\n\nconst RangeArray<TColor, 1, 466> AllKEZColors = {{\n")
        for name, colour in rows:
            f.write("    0x%08X,  // %s\n" % (colour, name))
        f.write("}};\n\n}  // namespace kez\n")


if __name__ == "__main__":
    main()
