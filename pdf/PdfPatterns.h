#pragma once
// Hatch patterns: a hatched brush fills with a coloured tiling pattern whose
// cell holds the hatch's lines in the brush colour and nothing else, so what
// lies under a hatched shape shows between its lines. One pattern object is
// written per hatch style and colour in a document, named P1, P2, ...
#include <cstdint>
#include <string>

#include "pdf/PdfObjects.h"
#include "platform/GraphicsObject.h"

namespace tal {

// Whether a brush style is one of the six hatches (bsHorizontal ..
// bsDiagCross); other styles fill solid or not at all.
constexpr bool IsHatchStyle(std::uint8_t style) { return style >= bsHorizontal && style <= bsDiagCross; }

// The pattern cell: 8 reference pixels at 96 per inch (6 points) square,
// repeated from the page's origin so that the lines of neighbouring shapes
// meet; the lines are one reference pixel (0.75 point) wide.
inline constexpr double HatchCellPoints = 6.0;
inline constexpr double HatchLineWidthPoints = 0.75;

// The content of one hatch cell: its lines in pattern space (points, y up),
// stroked in the colour.
std::string HatchCellContent(std::uint8_t style, TColor color);

class TRPPDFPattern final : public TRPPDFObject {
public:
    TRPPDFPattern(TRpComponent& RenderPDF, std::uint8_t Style, TColor Color);
    void WriteObject() override;

    std::string FPatternName;

private:
    std::uint8_t FStyle;
    TColor FColor;
};

}  // namespace tal
