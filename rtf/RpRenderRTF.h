#pragma once
// The renderer of the RTF engine. Every text, shape and picture of a report
// becomes one drawing object placed at an absolute position on its page;
// pages are separated by page breaks and nothing is laid out in the text
// flow.
//
// The header of an RTF document lists every font and text colour before the
// body uses them, but they are known only once the whole report has been
// converted: the body is therefore written into a memory buffer while fonts
// and colours are collected in first-use order, and EndDocument writes the
// header, the tables, the buffered body and the closing brace.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "render/RpRender.h"
#include "rtf/RtfBody.h"
#include "rtf/RtfGeometry.h"
#include "rtf/RtfShape.h"

namespace tal {

enum class TImageOutput : std::uint8_t { ioHigherQuality, ioSmallerSize };
enum class TImageEncoding : std::uint8_t { ieBinary, ieHex };
// Which point of a text its position gives: the start, the middle or the end
// of its baseline.
enum class TTextAnchor : std::uint8_t { Left, Centre, Right };

class TRvRenderRTF : public TRPRenderStream {
public:
    explicit TRvRenderRTF(TRpComponent* owner = nullptr);
    ~TRvRenderRTF() override;

    // ---- operations the converter calls ----
    void PrintCenter(const std::string& Text, double X, double Y) override;
    void Ellipse(double X1, double Y1, double X2, double Y2) override;
    void PrintLeft(const std::string& Text, double X, double Y) override;
    void LineTo(double X, double Y) override;
    void MoveTo(double X, double Y) override;
    void PrintRight(const std::string& Text, double X, double Y) override;
    void StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) override;
    void StretchDraw(const TRect& Rect, TGraphic& Graphic) override;
    void PrintBlock(const std::string& Text, double X, double Y, double Width) override;
    void Rectangle(double X1, double Y1, double X2, double Y2) override;
    void FillRect(const TRect& Rect) override;
    void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) override;
    void Draw(TGraphic& Graphic, double X, double Y) override;
    void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) override;
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override;
    void PrintBlockWord(double& X, double& Y, const std::string& Word, double Advance) override;
    void BeginDocument() override;
    void EndDocument() override;
    void BeginPage() override;
    void EndPage() override;
    void RenderToFile(TStream& Stream, const std::string& FileName) override;

    // ---- published properties ----
    TImageOutput ImageOutput = TImageOutput::ioHigherQuality;
    TImageEncoding ImageEncoding = TImageEncoding::ieHex;

    // ---- byte output: the body buffer while pages are converted, the output
    // stream from the start of EndDocument ----
    void WriteRTF(std::string_view S) {
        if (FWriteDirect) WriteDirect(S);
        else if (FBodyBuffer) FBodyBuffer->Append(S);
    }
    void WriteRTFLine(std::string_view S);
    // Keyword immediately followed by the decimal Value: "\dpx1440".
    void WriteKeyword(std::string_view Keyword, std::int64_t Value) {
        if (FWriteDirect || !FBodyBuffer) {
            WriteKeywordDirect(Keyword, Value);
        } else {
            FBodyBuffer->Append(Keyword);
            FBodyBuffer->AppendNumber(Value);
        }
    }
    // Keyword followed by Value inches in whole twips, rounded half to even.
    void WriteTwips(std::string_view Keyword, double Value);

    // ---- font and colour tables ----
    std::int32_t FontIndex();
    static std::string ColorEntry(TColor Color);
    std::int32_t ColorIndex(TColor Color);

    // ---- text boxes ----
    void WriteFontAttributes();
    void WriteTextColors();
    void WriteEscapedText(std::string_view Text);
    // The paragraph of a text: font, alignment by the anchor, attributes,
    // colours, the text and the paragraph mark, in a group of its own.
    void WriteTextContent(const std::string& Text, TTextAnchor Anchor);
    // A borderless, unfilled text box over Rect (points) holding the text.
    void WriteTextBox(const TRect& Rect, const std::string& Text, TTextAnchor Anchor);
    // The share of its measured width a text box adds on the side away from
    // its anchor: readers lay texts out a few percent wider than they
    // measure here, and a box that is too narrow wraps the last word away.
    static constexpr double TextWidthSlack = 0.10;
    // A text at the anchor (X, Y) on its baseline, in the converter's font
    // and rotation.
    void PlaceText(const std::string& Text, double X, double Y, TTextAnchor Anchor);
    // A text turned by 90 or 270 degrees: a text frame whose lines run up or
    // down, with the horizontal text box of older readers as its result.
    void RotatedTextFrame(const std::string& Text, double X, double Y, double Width, TTextAnchor Anchor,
                          int Rotation);
    // A text turned by another angle (degrees counter-clockwise) from the
    // baseline start (X, Y): a picture of the text drawn turned.
    void ObliqueText(const std::string& Text, double X, double Y, double TextWidth, int Rotation);
    // The Windows metafile (placeable header first) of such a picture,
    // Width by Height inches in logical units of Unit inches, with the
    // baseline starting at (OriginX, OriginY) inches inside it.
    std::vector<std::uint8_t> ObliqueTextMetafile(const std::string& Text, double OriginX, double OriginY,
                                                  double Width, double Height, double Unit, int Rotation);

    // ---- drawing objects ----
    void BeginDrawObject();
    // "\dodhgtN": the object's place in the stacking order.
    std::string DrawObjectOrder();
    // N of the above: the group's place, or the next place of its own.
    std::int64_t NextDrawOrder();
    void WriteObjectBox(double X1, double Y1, double X2, double Y2);
    // The three components of a colour, each after its keyword.
    void WriteColorComponents(std::string_view Red, std::string_view Green, std::string_view Blue, TColor Color);
    void WriteLineStyle();
    void WriteFill();

    // ---- Word 97 shape groups: what a reader of shapes draws, with the
    // drawing object above in the result part for readers without them ----
    void BeginShapeGroup(const rtf::TShapeBox& Box, std::string_view Properties);
    // The group up to its properties, left open for a text of the shape;
    // ResultOfShapeGroup then starts the part for readers without shapes.
    void OpenShapeGroup(const rtf::TShapeBox& Box, std::string_view Properties);
    void ResultOfShapeGroup();
    void EndShapeGroup();
    // Outline and fill properties from the converter's pen and brush; the
    // line alone (colour and width). Each appends to Out.
    void ShapeOutline(std::string& Out);
    void ShapeLine(std::string& Out);
    // The dash, gap, dash... lengths (inches) of the pen, as the PDF engine
    // dashes; empty for a pen without dashes.
    std::vector<double> PenDashes();
    // Type, geometry and line of a shape along an open path: with a dashed
    // pen the geometry is the dashes themselves, since not every reader of
    // shapes draws a dash style.
    void OpenPathGeometry(std::string& Out, const std::vector<rtf::TPathPoint>& Path, const rtf::TShapeBox& Box);
    void ShapeFill(std::string& Out);
    // A freeform shape through the points (inches), with a polyline or
    // polygon drawing object for readers without shapes.
    void PathShape(const std::vector<rtf::TPathPoint>& Points, bool Closed);

    // ---- pictures ----
    // The body may hold at most this many bytes: far beyond any real report,
    // it keeps a small report that repeats large pictures from writing
    // gigabytes. A picture that would pass it stops the conversion with
    // EOutOfResources before any of its bytes is written.
    static constexpr std::int64_t MaxBodyBytes = std::int64_t{256} << 20;
    std::int64_t BodyLimit = MaxBodyBytes;
    // Pictures are recorded with no more pixels a side than their box shows
    // at this resolution (the PDF engine's MetafileDPI).
    static constexpr double PicturePixelsPerInch = 300.0;
    // A metafile made for one picture, saved in its file format.
    struct TSavedPicture {
        std::vector<std::uint8_t> Bytes;
        std::size_t StartOffset = 0;  // what is embedded starts here
        std::int64_t WidthHiMetric = 0, HeightHiMetric = 0;
        double Width = 0, Height = 0;  // the box, inches
    };
    void BeginPictureObject();
    void WritePictureType();
    TSavedPicture MakePicture(const TGraphic& Graphic, double Width, double Height) const;
    void WritePicture(const TSavedPicture& Picture);
    void WritePictureSize(const TSavedPicture& Picture);
    void WriteHexPicture(const TSavedPicture& Picture);
    void WriteBinaryPicture(const TSavedPicture& Picture);
    void EndPictureObject();
    // Raises EOutOfResources when the body cannot take bytes more.
    void CheckRasterRoom(const TGraphic& Graphic, int Width, int Height, double RasterScale) const;
    void CheckBodyRoom(std::int64_t bytes) const;

    // ---- document state ----
    std::unique_ptr<std::vector<std::string>> FFontNames;
    std::unique_ptr<std::vector<std::string>> FColorTable;
    bool FWriteDirect = false;
    std::unique_ptr<rtf::TBody> FBodyBuffer;
    double FCurrentX = 0;
    double FCurrentY = 0;
    // Whether a page has been begun in this document: every later page starts
    // with a page break, whatever its number.
    bool FPageBegun = false;
    // The paper of the first page converted (the document's), and of the
    // section the current page belongs to, in twips.
    std::int32_t FPaperWidth = 0, FPaperHeight = 0;
    std::int32_t FSectionWidth = 0, FSectionHeight = 0;
    // Drawing objects and shape groups written so far: each is stacked above
    // the ones before it. A drawing object inside a shape group shares the
    // group's place.
    std::int64_t FDrawOrder = 0;
    std::int64_t FGroupOrder = 0;

private:
    TRPConverter& Converter() const;
    void WriteDirect(std::string_view S);
    void WriteKeywordDirect(std::string_view Keyword, std::int64_t Value);
    void PlacePicture(const TGraphic& Graphic, double X1, double Y1, double X2, double Y2);
    void Shape(std::string_view Keyword, std::string_view Geometry, double X1, double Y1, double X2, double Y2);
    void ArcShape(rtf::TArcKind Kind, double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4,
                  double Y4);
    void PointsShape(std::span<const TPoint> Points, std::int32_t HighIndex, bool Closed);
    void WriteHeader();
    // The page's size in twips; Letter where the report gives none.
    std::pair<std::int32_t, std::int32_t> PagePaper() const;

    // Upper-cased forms of FFontNames, so a look-up compares without
    // converting every entry again.
    std::vector<std::string> FFontKeys;
    // The charset each entry is written with: 0 for the document's own
    // Windows-1252, else the record's charset byte, whose code page
    // readers decode the entry's text with.
    std::vector<std::uint8_t> FFontCharsets;
    std::size_t FLastFont = 0;  // the entry found last
    // The properties of the shape being written, kept to spare an
    // allocation for every shape.
    std::string FShapeProperties;
    // The number of each colour in FColorTable, keyed by its 24-bit value.
    std::unordered_map<std::uint32_t, std::int32_t> FColorNumbers;
};

}  // namespace tal
