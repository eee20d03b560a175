#pragma once
// The abstract output device of the report converter, and the stream-writing
// renderer the document writers derive from.
//
// A TRPConverter reads a report page by page and calls the operations below
// in this order: BeginDocument; per page BeginPage, the page's drawing
// operations in file order, EndPage; then EndDocument (also when a page
// fails). Coordinates are inches from the page's top-left corner, y down;
// integer rectangles are device units (XToDevice/YToDevice); points are
// 1/1248 inch.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/Geometry.h"
#include "platform/Graphic.h"
#include "platform/GraphicsObject.h"
#include "platform/ReplacingFile.h"
#include "platform/Stream.h"
#include "platform/fonts/TextMeasure.h"
#include "render/RpDefine.h"

namespace tal {

class TRPConverter;

// Rounds half to even and keeps the result inside the 32-bit range (a NaN
// becomes 0), so that no report value can overflow a device coordinate.
std::int32_t RoundToInt32(double value);

class TRPRender : public TRpComponent {
public:
    explicit TRPRender(TRpComponent* owner = nullptr);
    ~TRPRender() override;

    // ---- drawing operations, in slot order ----
    virtual void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4);
    virtual void BrushChanged(TGraphicsObject& Sender);
    virtual void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4);
    virtual void PrintCenter(const std::string& Text, double X, double Y);
    virtual void Ellipse(double X1, double Y1, double X2, double Y2);
    virtual void FontChanged(TFont& Font);
    virtual void PrintLeft(const std::string& Text, double X, double Y);
    virtual void LineTo(double X, double Y);
    virtual void MoveTo(double X, double Y);
    virtual void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4);
    virtual void Polyline(std::span<const TPoint> Points, std::int32_t HighIndex);
    virtual void Polygon(std::span<const TPoint> Points, std::int32_t HighIndex);
    virtual void PrintRight(const std::string& Text, double X, double Y);
    virtual void PenChanged(TGraphicsObject& Sender);
    virtual void PrintImageData(TStream& Data, const std::string& ImageType, double X1, double Y1, double X2,
                                double Y2);
    virtual void StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2);
    virtual void PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY);
    virtual void StretchDraw(const TRect& Rect, TGraphic& Graphic);
    virtual void Draw(TGraphic& Graphic, double X, double Y);
    virtual void PrintBlock(const std::string& Text, double X, double Y, double Width);
    virtual void Rectangle(double X1, double Y1, double X2, double Y2);
    virtual void FillRect(const TRect& Rect);
    virtual void TextRect(const TRect& Rect, double X, double Y, const std::string& Text);
    virtual void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3);

    // ---- text helpers ----
    virtual std::int32_t CountInnerSpaces(const std::string& Text);
    virtual void TakeFirstWord(std::string& Text, std::string& Word);
    virtual void TakeLeadingSpaces(std::string& Text, std::string& Spaces);
    virtual void AdvancePosition(double& X, double& Y, double Distance);
    virtual void PrintBlockWord(double& X, double& Y, const std::string& Word, double Advance);

    // ---- document structure ----
    virtual void BeginDocument();
    virtual void EndDocument();
    virtual void BeginPage();
    virtual void EndPage();
    virtual std::int32_t XDPI();
    virtual std::int32_t YDPI();

    // ---- render entry ----
    virtual void RenderFromStream(TStream* InputStream);
    virtual void ConvertPages(std::int32_t PageNo);
    virtual void RenderToFile(TStream& Stream, const std::string& FileName);
    virtual std::int32_t XToDevice(double X);
    virtual std::int32_t YToDevice(double Y);

    // ---- published properties ----
    bool Active = true;
    const std::string& DisplayName() const { return FDisplayName; }
    void SetDisplayName(const std::string& value);
    std::string FileExtension;

    // FileName with the default extension (the first pattern of
    // FileExtension) appended when it holds no ".".
    std::string WithDefaultExtension(const std::string& FileName) const;

    // ---- fields the converter and the renderers share ----
    double FPageWidth = 0;
    double FPageHeight = 0;
    double FPenWidth = 0;
    std::uint8_t FFrameMode = 0;
    std::vector<std::string> FMacroItems;
    std::string FOutputFileName;
    std::string FInputFileName;
    bool FBusy = false;
    TStream* FInputStream = nullptr;
    std::string FPageSelection;
    std::int32_t FRangeFirst = 0;
    std::int32_t FRangeLast = 0;
    TRPConverter* FConverter = nullptr;
    // What the converter measures text with; none means the default font engine.
    TTextMeasure* FTextMeasure = nullptr;
    // The clock the conversion reads its start time from; tests set a fixed one.
    TClock Clock = &Now;
    // The code page in which the text helpers step through characters.
    TCodePage FCodePage = CP_WINDOWS_1252;
    // Called after the converter has finished each page, with the number
    // the page carries and the report's page count; the front ends show
    // progress with it (and a window keeps painting). None by default.
    std::function<void(std::int32_t page, std::int32_t pages)> OnPageDone;

protected:
    // Runs Generate(PageNo) of a new converter over Stream; the converter is
    // freed (and FConverter cleared) also when the conversion fails.
    void RunConverter(TStream& Stream, std::int32_t PageNo);
    // The same; DocumentEnded tells, also when the conversion fails, whether
    // EndDocument ran to its end (the document as far as it got is whole).
    void RunConverter(TStream& Stream, std::int32_t PageNo, bool& DocumentEnded);

private:
    std::string FDisplayName;
    std::unique_ptr<TStream> FOwnedInputStream;
};

class TRPRenderStream : public TRPRender {
public:
    explicit TRPRenderStream(TRpComponent* owner = nullptr) : TRPRender(owner) {}
    ~TRPRenderStream() override;

    virtual void Write(std::string_view S);
    virtual void WriteFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args);
    virtual void WriteLine(std::string_view S);
    virtual void WriteLineFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args);
    virtual void CloseOutput();

    // The render entry of the document writers: default extension, output
    // file created before anything is read, conversion, converter freed. The
    // document is written beside the file and takes its place only when the
    // conversion succeeded; a failed conversion leaves the file as it was,
    // keeps a document that EndDocument finished as NAME.incomplete.EXT and
    // removes anything less.
    void RenderToFile(TStream& Stream, const std::string& FileName) override;

    // Starts the document that is to replace FileName (see TReplacingFile).
    void OpenOutputFile(const std::string& FileName);
    // Puts the document of OpenOutputFile in its file's place, whether it is
    // still open or CloseOutput closed it. RenderToFile does this itself.
    void CommitOutput();
    void SetOutputStream(TStream* Stream);

    TStream* FActiveStream = nullptr;
    TStream* FOutputStream = nullptr;
    std::unique_ptr<TReplacingFile> FOutputFile;

private:
    // What to do with the document of a failed conversion.
    void SettleFailedOutput(bool DocumentEnded) noexcept;

    // Closed by CloseOutput, waiting for the outcome of the conversion.
    std::unique_ptr<TReplacingFile> FClosedOutput;
};

}  // namespace tal
