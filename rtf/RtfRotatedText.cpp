// Texts turned by a quarter: a Word 97 text frame whose lines run from the
// bottom up (90 degrees) or from the top down (270 degrees), which readers
// of shapes show turned. Readers without shapes get the horizontal text box
// at the start of the baseline.
#include <algorithm>
#include <cmath>

#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"
#include "rtf/RtfSyntax.h"

namespace tal {

namespace {

// Text flows of a frame: lines running downwards, or upwards.
constexpr int FlowTopToBottom = 1, FlowBottomToTop = 2;

}  // namespace

void TRvRenderRTF::RotatedTextFrame(const std::string& Text, double X, double Y, double Width, TTextAnchor Anchor,
                                    int Rotation) {
    const double h = Converter().Font.Size() / 72.0;
    const double slack = TextWidthSlack * Width, point = 1.0 / 72;
    // Along the baseline from its start (u) and across it towards the
    // descent (v), with the room to spare away from the anchor.
    double u0 = 0, u1 = Width + slack + point;
    if (Anchor == TTextAnchor::Centre) {
        u0 = -(slack / 2 + point);
        u1 = Width + slack / 2 + point;
    } else if (Anchor == TTextAnchor::Right) {
        u0 = -(slack + point);
        u1 = Width;
    }
    const double v0 = -h, v1 = 0.25 * h;
    // Turned by 90 degrees the baseline runs up and the descent lies to the
    // right; by 270 degrees it runs down and the descent lies to the left.
    const bool up = Rotation == 90;
    auto corner = [&](double u, double v) -> rtf::TPathPoint {
        return up ? rtf::TPathPoint {X + v, Y - u} : rtf::TPathPoint {X - v, Y + u};
    };
    // The room to spare stays on the page, as readers push a frame that
    // reaches beyond the paper back onto it; the text itself is kept whole.
    rtf::TShapeBox box = rtf::BoundingBox({corner(u0, v0), corner(u1, v1)});
    const rtf::TShapeBox text = rtf::BoundingBox({corner(0, v0), corner(Width, v1)});
    const std::int32_t paperHeight = PagePaper().second;
    box.Top = std::min(text.Top, std::max(box.Top, 0));
    box.Bottom = std::max(text.Bottom, std::min(box.Bottom, paperHeight));
    std::string properties = rtf::Property("shapeType", rtf::ShapeTextBox);
    properties += rtf::Property("txflTextFlow", up ? FlowBottomToTop : FlowTopToBottom);
    properties += rtf::Property("fFilled", 0) + rtf::Property("fLine", 0);
    properties += rtf::Property("dxTextLeft", 0) + rtf::Property("dyTextTop", 0);
    properties += rtf::Property("dxTextRight", 0) + rtf::Property("dyTextBottom", 0);
    OpenShapeGroup(box, properties);
    WriteRTF("{\\shptxt ");
    WriteTextContent(Text, Anchor);
    WriteRTF("}");
    ResultOfShapeGroup();
    TRect flat;
    flat.Left = RoundToInt32(72 * X);
    flat.Top = RoundToInt32(72 * (Y - h));
    flat.Right = RoundToInt32(72 * (X + Width)) + 1;
    flat.Bottom = RoundToInt32(72 * (Y + 0.25 * h));
    WriteTextBox(flat, Text, TTextAnchor::Left);
    EndShapeGroup();
}

}  // namespace tal
