#pragma once
// TRPConverter reads a report file from a stream and drives a renderer: it
// reads the header, chooses the pages, performs each page's commands in order
// and keeps the drawing state (pen, brush, font, position, variables) that
// the renderer reads back through its FConverter reference.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Geometry.h"
#include "platform/Graphic.h"
#include "platform/GraphicsObject.h"
#include "platform/Stream.h"
#include "platform/fonts/TextMeasure.h"
#include "render/NdrFormat.h"
#include "render/RpDefine.h"

namespace tal {

class TRPRender;

// The surface text is measured on: a copy of the converter's font at 1248
// pixels per inch, so that widths come out in 1/1248 inch.
struct TMeasureBitmap {
    static constexpr int PixelsPerInch = 1248;
    TFont Font;
    TTextMeasure* Engine = nullptr;
};

class TRPConverter {
public:
    TRPConverter(TStream& Stream, TRPRender& Renderer);
    virtual ~TRPConverter();
    TRPConverter(const TRPConverter&) = delete;
    TRPConverter& operator=(const TRPConverter&) = delete;

    // Runs one conversion: PageNo 0 converts the page selection, the range or
    // every page; PageNo N > 0 converts page N only. Flag has no effect.
    virtual void Generate(std::int32_t PageNo, bool Flag = false);

    // A shared graphic drawn again straight after itself elsewhere (the same
    // data, the same kind) is the same object: it is decoded once.
    virtual std::shared_ptr<TGraphic> CreateGraphic();
    virtual void LoadGraphic(TGraphic& Graphic);
    virtual std::string MacroText13();
    virtual std::string MacroText14();
    virtual std::string MacroText15();

    // ---- report structure ----
    void ReadHeader();
    void ReadPageHeader();
    void GotoPage(std::int32_t PageNo);
    void ConvertPage();
    bool IsPageSelected(std::int32_t PageNo);

    // ---- operands ----
    std::string ReadText();
    std::string ReadVarValue();
    void SetVariable(const std::string& Name, const std::string& Value);
    std::string GetVariable(const std::string& Name) const;

    // ---- report text ----
    void ExpandMacros(std::string& Text);
    std::string MacroValue(int Code);
    // Splits off the segment at the 1-based Pos, applies its mark groups to
    // the font state and returns its plain text.
    std::string NextSegment(const std::string& Text, std::size_t& Pos);
    // Width in inches of a text in the current font, honouring format marks.
    double TextWidth(const std::string& Text);
    void PrintFormatted(const std::string& Text, char Justify, double X, double Y);
    void PrintFormattedBlock(const std::string& Text, double X, double Y, double Width);

    // Called after each page command with its code and the offset of its
    // code byte; tools use it to show commands that make no renderer call.
    std::function<void(std::uint8_t code, std::int64_t offset)> OnCommandDone;

    // Pixels the report's pictures may decode in one conversion: a billion,
    // plus 64 for every byte of the report, so that a large report full of
    // real pictures is never refused while a small one cannot decode
    // hundreds of huge run-length bitmaps. Shared graphics count once.
    static constexpr std::int64_t BasePicturePixels = 1'000'000'000;
    static constexpr std::int64_t PicturePixelsPerReportByte = 64;
    // The limit of this conversion; tests may lower it.
    std::int64_t PicturePixelLimit = -1;  // -1: from the report's size
    std::int64_t PicturePixelsDecoded() const { return FPicturePixels; }
    // Pixel operations all metafile pictures of one conversion may spend
    // while they are drawn (each picture has a budget of its own too): four
    // billion, plus 1,000 for every byte of the report, so that a small
    // report cannot draw hundreds of pictures each at its own limit.
    static constexpr std::int64_t BaseMetafileOperations = 4'000'000'000;
    static constexpr std::int64_t MetafileOperationsPerReportByte = 1'000;
    // The limit of this conversion; tests may lower it.
    std::int64_t MetafileOperationLimit = -1;  // -1: from the report's size

    // The engine text is measured with: the renderer's, else the drawn-font
    // measure over the process's font engine, unless replaced.
    void SetTextMeasure(TTextMeasure& engine) { FMeasureBitmap.Engine = &engine; }

    // ---- state, read by renderers ----
    TMeasureBitmap FMeasureBitmap;
    // The measure used when the renderer brings none: the platform's font
    // engine for installed TrueType faces, the standard font's widths for
    // faces drawn as one.
    std::unique_ptr<TTextMeasure> FDrawnMeasure;
    TDateTime FStartTime;
    std::int32_t FHeaderFirstPage = 0;
    std::int32_t FHeaderLastPage = 0;
    std::int32_t FCurrentPageNo = 0;
    std::int32_t FTotalPages = 0;
    std::string FReportTitle;
    TStream* FReportStream;
    TRPRender* FRenderTarget;
    bool FSharedGraphic = false;
    // EndDocument ran to its end (also after a failed page).
    bool FDocumentEnded = false;
    std::uint16_t FFileVersion = 0;
    std::int32_t FPageOffset = 0;
    std::int32_t FPrevPageOffset = 0;
    std::int32_t FNextPageOffset = 0;
    double FCursorX = 0;
    double FCursorY = 0;
    std::vector<std::pair<std::string, std::unique_ptr<TRPStringObject>>> FVariables;
    TNdrHeader FHeader;
    TNdrPageHeader FPageRecord;

    TFont Font;
    std::string FFontName;
    TColor FFontColor = 0;
    std::uint8_t FFontPitch = 0;
    double FFontPoints = 0;
    double FFontSizeInches = 0;
    double FFontWidth = 0;
    bool FBold = false, FUnderline = false, FItalic = false, FStrikeOut = false;
    bool FFlagS = false, FFlagP = false;
    std::int16_t FRotation = 0;
    std::uint8_t FFontExtra1 = 0;
    std::int32_t FFontExtra2 = 0;
    TBrush Brush;
    TPen Pen;

private:
    // Primitive reads; each raises the stream's read error before it uses a
    // byte that is not there.
    std::uint8_t ReadByte();
    std::int16_t ReadInt16();
    std::uint16_t ReadUInt16();
    std::int32_t ReadInt32();
    double ReadFloat();
    void ReadBytes(void* buffer, std::size_t count);
    std::string ReadRawText();
    TRect ReadRect();
    // A length from the file, checked against what remains of the stream.
    std::size_t CheckedLength(std::int64_t length);
    void Seek(std::int64_t position);
    std::int64_t Position() const { return FReportStream->Position(); }

    void PerformCommand(std::uint8_t code);
    void ReadPoints(std::uint8_t code);
    void ReadBrushBitmap();
    void ConvertPages(std::int32_t PageNo);
    void ConvertPageRange(std::int32_t last);
    void FinishAfterFailure();
    void ApplyMark(char letter, const std::string& parameter);
    void ResetFontStyle();
    long MeasureRun(const std::string& run);
    std::int32_t ToDevicePoint(double inches) const;

    // Counts a decoded picture's pixels; raises EOutOfResources past the limit.
    std::shared_ptr<pictures::TPictureBudget> MetafileBudget();
    void ChargePicture(const TGraphic& Graphic);

    TMemoryStream* FMemoryStream;  // the report stream when it is in memory: the fast read path
    std::int64_t FPicturePixels = 0;
    std::shared_ptr<pictures::TPictureBudget> FMetafileBudget;
    // The shared graphic read last, by its data position and kind byte.
    struct TLastShared {
        std::int32_t DataPos = -1;
        std::uint8_t Kind = 0;
        std::shared_ptr<TGraphic> Graphic;
    } FLastShared;
    int FMacroDepth = 0;
};

}  // namespace tal
