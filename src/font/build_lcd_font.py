#!/usr/bin/python3
"""Builds the LCD segment font from its outline data.

usage: build_lcd_font.py OUTLINES.json STYLE OUTPUT.ttf

The data names polygons ("shapes") and lists, per glyph, the character it answers to, its
advance and the shapes it lights. A polygon inside another polygon of the same shape is a
hole. Slanted glyphs lean like the instrument's LCD by shearing about the baseline.
A heavier style grows every outline by its "grow" units: a face of its own keeps the
toolkit from emboldening the glyphs itself, which pushes them past the line's ascent.
"""
import math
import json
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

# Fixed (2024-01-01, in seconds since 1904), so the same outlines always give the same bytes.
FIXED_TIMESTAMP = 3786825600


def signed_area(points):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1])) / 2


def inside(point, polygon):
    x, y = point
    hit = False
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def oriented(contours):
    """TrueType fills clockwise contours; a contour nested an odd number of times is a hole."""
    result = []
    for contour in contours:
        depth = sum(1 for other in contours if other is not contour and inside(contour[0], other))
        clockwise = signed_area(contour) < 0
        want_clockwise = depth % 2 == 0
        result.append(contour if clockwise == want_clockwise else contour[::-1])
    return result


def grown(contour, distance):
    """Moves every edge of a convex, oriented contour outwards from the ink by distance."""
    if distance == 0:
        return contour
    normals = []
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        length = math.hypot(x1 - x0, y1 - y0)
        normals.append((-(y1 - y0) / length, (x1 - x0) / length))
    result = []
    for i, (x, y) in enumerate(contour):
        (ax, ay), (bx, by) = normals[i - 1], normals[i]
        scale = distance / (1 + ax * bx + ay * by)
        result.append((x + (ax + bx) * scale, y + (ay + by) * scale))
    return result


def glyph_contours(glyph, shapes, slant, grow):
    contours = []
    for name in glyph["shapes"]:
        for contour in oriented([[tuple(p) for p in c] for c in shapes[name]]):
            contour = grown(contour, grow)
            if glyph["slanted"]:
                contour = [(x + y * slant, y) for x, y in contour]
            contours.append([(round(x), round(y)) for x, y in contour])
    return contours


def draw(contours):
    pen = TTGlyphPen(None)
    for contour in contours:
        pen.moveTo(contour[0])
        for point in contour[1:]:
            pen.lineTo(point)
        pen.closePath()
    return pen.glyph()


def build(outlines, style_name, output):
    data = json.load(open(outlines, encoding="utf-8"))
    family = data["family"]
    ascent, descent = data["ascent"], data["descent"]
    style = data["styles"][style_name]
    bold = style["weight"] >= 700

    order = [g["name"] for g in data["glyphs"]]
    glyphs, metrics, cmap = {}, {}, {}
    for glyph in data["glyphs"]:
        contours = glyph_contours(glyph, data["shapes"], data["slant"], style["grow"])
        glyphs[glyph["name"]] = draw(contours)
        left = min((x for c in contours for x, _ in c), default=0)
        metrics[glyph["name"]] = (glyph["advance"], left)
        if glyph["char"] is not None:
            cmap[ord(glyph["char"])] = glyph["name"]

    builder = FontBuilder(data["unitsPerEm"], isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(cmap)
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics(metrics)
    builder.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    full_name = family if style_name == "Regular" else f"{family} {style_name}"
    builder.setupNameTable({
        "familyName": family,
        "styleName": style_name,
        "uniqueFontIdentifier": full_name,
        "fullName": full_name,
        "psName": f"{family}-{style_name}".replace(" ", ""),
        "version": "Version 1.000",
    })
    builder.setupOS2(version=4, usWeightClass=style["weight"],
                     sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0,
                     usWinAscent=ascent, usWinDescent=descent,
                     # bold or regular, and the typo metrics above are the ones to use
                     fsSelection=(0x20 if bold else 0x40) | 0x80,
                     achVendID="    ")
    builder.setupPost()
    builder.font["head"].created = builder.font["head"].modified = FIXED_TIMESTAMP
    builder.font["head"].macStyle = 1 if bold else 0
    builder.font.recalcTimestamp = False
    builder.save(output)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    build(sys.argv[1], sys.argv[2], sys.argv[3])
