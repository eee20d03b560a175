#pragma once
// Word 97 shapes: a shape group carries its own geometry, outline and fill
// as named properties, and, for readers without shapes, the drawing object
// of older readers in its result part:
//   {\shp{\*\shpinst BOX {\sp{\sn NAME}{\sv VALUE}}...}{\shprslt OBJECT}}
// Positions are twips from the page's top-left corner, line widths EMU
// (12,700 to the point), colours 0x00BBGGRR in decimal.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/GraphicsObject.h"

namespace tal::rtf {

inline constexpr std::int64_t EmuPerPoint = 12700;

// Shape types of the Word 97 format.
inline constexpr int ShapeFreeform = 0, ShapeRectangle = 1, ShapeEllipse = 3, ShapeLine = 20, ShapeTextBox = 202;

struct TShapeBox {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// A point of a path in inches on the page.
struct TPathPoint {
    double X = 0, Y = 0;
};

// "{\sp{\sn NAME}{\sv VALUE}}"; the Append forms add it to out.
std::string Property(std::string_view name, std::int64_t value);
std::string Property(std::string_view name, std::string_view value);
void AppendProperty(std::string& out, std::string_view name, std::int64_t value);
void AppendProperty(std::string& out, std::string_view name, std::string_view value);

// The opening of a shape group up to its properties: box, page anchors, no
// wrapping, in front of the text, stacking order Z.
std::string ShapeInstance(const TShapeBox& box, std::int64_t z);
void AppendShapeInstance(std::string& out, const TShapeBox& box, std::int64_t z);

// A colour as a shape property value: a system colour (negative) is black.
std::int64_t ShapeColor(TColor color);

// The box around the points, in twips, never narrower or lower than 0.
TShapeBox BoundingBox(const std::vector<TPathPoint>& points);

// The geometry of a freeform shape: its coordinate space, its vertices
// relative to the box, and the segments joining them (one move, then lines).
std::string FreeformGeometry(const std::vector<TPathPoint>& points, const TShapeBox& box);
// Several open paths in one shape, each starting with a move.
std::string FreeformGeometry(const std::vector<std::vector<TPathPoint>>& paths, const TShapeBox& box);
void AppendFreeformGeometry(std::string& out, std::span<const TPathPoint> points, const TShapeBox& box);
void AppendFreeformGeometry(std::string& out, const std::vector<std::vector<TPathPoint>>& paths, const TShapeBox& box);

}  // namespace tal::rtf
