#pragma once
// A renderer that writes one line of text for every call the converter
// makes, with the operands and the drawing state the call sees. ndrdump
// prints these lines; tests and the fuzz target compare or discard them.
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/RpRender.h"

namespace tal {

class TCallLogRender : public TRPRender {
public:
    using TSink = std::function<void(const std::string& line)>;
    explicit TCallLogRender(TSink sink) : FSink(std::move(sink)) { SetDisplayName("Call log"); }

    // Also show the commands that make no renderer call (the position of
    // MoveTo, the frame mode, variables, skipped commands), prefixed "= ".
    bool ShowSilentCommands = false;

    // Texts are shown with bytes outside printable ASCII as \xHH.
    static std::string Quote(std::string_view text);

    void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void BrushChanged(TGraphicsObject& Sender) override;
    void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void PrintCenter(const std::string& Text, double X, double Y) override;
    void Ellipse(double X1, double Y1, double X2, double Y2) override;
    void FontChanged(TFont& Font) override;
    void PrintLeft(const std::string& Text, double X, double Y) override;
    void LineTo(double X, double Y) override;
    void MoveTo(double X, double Y) override;
    void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void PrintRight(const std::string& Text, double X, double Y) override;
    void PenChanged(TGraphicsObject& Sender) override;
    void PrintImageData(TStream& Data, const std::string& ImageType, double X1, double Y1, double X2,
                        double Y2) override;
    void StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) override;
    void PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) override;
    void StretchDraw(const TRect& Rect, TGraphic& Graphic) override;
    void Draw(TGraphic& Graphic, double X, double Y) override;
    void PrintBlock(const std::string& Text, double X, double Y, double Width) override;
    void Rectangle(double X1, double Y1, double X2, double Y2) override;
    void FillRect(const TRect& Rect) override;
    void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) override;
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override;
    void BeginDocument() override;
    void EndDocument() override;
    void BeginPage() override;
    void EndPage() override;

private:
    void Line(const std::string& text) { FSink(text); }
    static std::string Numbers(std::initializer_list<double> values);
    static std::string GraphicText(const TGraphic& graphic);

    void ShowSilentCommand(std::uint8_t code);

    TSink FSink;
    std::vector<std::pair<std::string, std::string>> FKnownVariables;
};

}  // namespace tal
