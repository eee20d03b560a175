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
#include <vector>

#include "render/RpRender.h"

namespace tal {

enum class TImageOutput : std::uint8_t { ioHigherQuality, ioSmallerSize };
enum class TImageEncoding : std::uint8_t { ieBinary, ieHex };

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
    void WriteRTF(std::string_view S);
    void WriteRTFLine(std::string_view S);
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

    // ---- drawing objects ----
    void BeginDrawObject();
    void WriteObjectBox(double X1, double Y1, double X2, double Y2);
    void WriteLineStyle();
    void WriteFill();

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
    void CheckBodyRoom(std::int64_t bytes) const;

    // ---- document state ----
    std::unique_ptr<std::vector<std::string>> FFontNames;
    std::unique_ptr<std::vector<std::string>> FColorTable;
    bool FWriteDirect = false;
    std::unique_ptr<TMemoryStream> FBodyBuffer;
    double FCurrentX = 0;
    double FCurrentY = 0;
    // Whether a page has been begun in this document: every later page starts
    // with a page break, whatever its number.
    bool FPageBegun = false;

private:
    TRPConverter& Converter() const;
    void PlacePicture(const TGraphic& Graphic, double X1, double Y1, double X2, double Y2);
    void Shape(std::string_view Keyword, double X1, double Y1, double X2, double Y2);
    void WriteHeader();

    // Upper-cased forms of FFontNames, so a look-up compares without
    // converting every entry again.
    std::vector<std::string> FFontKeys;
    std::size_t FLastFont = 0;  // the entry found last
};

}  // namespace tal
