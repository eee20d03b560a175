#pragma once
// TRvRenderPDF: the renderer that turns a report into one PDF 1.3 file.
//
// The document is assembled in memory. Drawing operations append operators to
// the content stream of the current page; fonts and pictures become objects at
// their first use. Nothing reaches the output until EndDocument, which numbers
// every object and writes the file out: the objects' text from one buffer,
// the pages' contents from where they were written.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pdf/PdfByteArena.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfFonts.h"
#include "pdf/PdfImages.h"
#include "pdf/PdfObjects.h"
#include "pdf/PdfPage.h"
#include "pdf/PdfPatterns.h"
#include "platform/CodePageDecoder.h"
#include "platform/fonts/FontEngine.h"
#include "render/RpRender.h"

namespace tal::pictures {
struct TMaskedJpeg;
class TSurfaceStore;
}

namespace tal {

enum TPDFFontEncoding : std::uint8_t {
    feMacRomanEncoding,
    feMacExpertEncoding,
    feWinAnsiEncoding,
    fePDFDocEncoding,
    feStandardEncoding,
};

// The name written after "/Encoding /" for an encoding.
const char* EncodingName(TPDFFontEncoding encoding);

// OnCompress(InStream, OutStream, CompressMethod): InStream holds the data
// from position 0, OutStream is empty; the handler writes the encoded bytes
// and may rename the filter.
using TCompressEvent = std::function<void(TStream& InStream, TStream& OutStream, std::string& CompressMethod)>;
// OnDecodeImage(Sender, ImageStream, ImageType, Bitmap): decodes the report's
// picture data into Bitmap.
using TDecodeImageEvent =
    std::function<void(TRpComponent& Sender, TStream& ImageStream, const std::string& ImageType, TBitmap& Bitmap)>;

// The document information dictionary's strings.
class TRPPDFDocInfo {
public:
    TRPPDFDocInfo();
    std::string Title, Author, Subject, KeyWords, Creator, Producer;
};

// A (key, object) list whose look-up ignores ASCII letter case and returns
// the first match. The lists do not own their objects.
template <class T>
class TPdfObjectList {
public:
    void Add(std::string key, T* object) { FEntries.emplace_back(std::move(key), object); }
    std::int32_t IndexOf(std::string_view key) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(FEntries.size()); }
    bool Empty() const { return FEntries.empty(); }
    T* Object(std::int32_t index) const { return FEntries[static_cast<std::size_t>(index)].second; }
    const std::string& Key(std::int32_t index) const { return FEntries[static_cast<std::size_t>(index)].first; }
    void Clear() { FEntries.clear(); }
    auto begin() const { return FEntries.begin(); }
    auto end() const { return FEntries.end(); }

private:
    std::vector<std::pair<std::string, T*>> FEntries;
};

bool SameTextIgnoringCase(std::string_view a, std::string_view b);

template <class T>
std::int32_t TPdfObjectList<T>::IndexOf(std::string_view key) const {
    for (std::size_t i = 0; i < FEntries.size(); ++i)
        if (SameTextIgnoringCase(FEntries[i].first, key)) return static_cast<std::int32_t>(i);
    return -1;
}

class TRvRenderPDF : public TRPRenderStream {
public:
    explicit TRvRenderPDF(TRpComponent* owner = nullptr);
    ~TRvRenderPDF() override;

    // ---- drawing operations (graphics) ----
    void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Ellipse(double X1, double Y1, double X2, double Y2) override;
    void LineTo(double X, double Y) override;
    void MoveTo(double X, double Y) override;
    void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) override;
    void Rectangle(double X1, double Y1, double X2, double Y2) override;
    void FillRect(const TRect& Rect) override;
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override;

    // ---- text ----
    void FontChanged(TFont& Font) override;
    void PrintCenter(const std::string& Text, double X, double Y) override;
    void PrintLeft(const std::string& Text, double X, double Y) override;
    void PrintRight(const std::string& Text, double X, double Y) override;
    void PrintBlock(const std::string& Text, double X, double Y, double Width) override;
    void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) override;
    void PrintBlockWord(double& X, double& Y, const std::string& Word, double Advance) override;

    // ---- pictures ----
    void PrintImageData(TStream& Data, const std::string& ImageType, double X1, double Y1, double X2,
                        double Y2) override;
    void StretchBitmap(TBitmap& Bitmap, double X1, double Y1, double X2, double Y2) override;
    void PrintBitmap(TBitmap& Bitmap, double X, double Y, double ScaleX, double ScaleY) override;
    void StretchDraw(const TRect& Rect, TGraphic& Graphic) override;
    void Draw(TGraphic& Graphic, double X, double Y) override;

    // ---- document structure ----
    void BeginDocument() override;
    void EndDocument() override;
    void BeginPage() override;
    void EndPage() override;
    void RenderToFile(TStream& Stream, const std::string& FileName) override;
    void WriteFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) override;
    void WriteLineFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) override;

    // ---- published properties ----
    bool UseCompression = false;
    bool EmbedFonts = false;
    // Embedded TrueType programs carry only the glyphs the document prints
    // (cut once per font when the document is written).
    bool SubsetFonts = false;
    TCompressEvent OnCompress;
    TDecodeImageEvent OnDecodeImage;
    std::int32_t MetafileDPI = 300;
    TPDFFontEncoding FontEncoding = feWinAnsiEncoding;
    TRPPDFDocInfo& DocInfo() { return *FDocInfo; }
    std::uint8_t ImageQuality() const { return FImageQuality; }
    // Quality 1..100; values outside are brought into the range.
    void SetImageQuality(int quality);

    // The font service for TrueType faces; none means DefaultFontEngine().
    TFontEngine* FFontEngine = nullptr;
    TFontEngine& FontEngine() { return FFontEngine ? *FFontEngine : DefaultFontEngine(); }

    // ---- used by the PDF objects ----
    bool Compressing() const { return UseCompression && static_cast<bool>(OnCompress); }
    // Writes a stream object's data: through OnCompress when compression
    // applies. Returns the bytes to write and sets Filter to the filter name
    // ("" when uncompressed).
    std::vector<std::uint8_t> EncodeStream(TMemoryStream& data, std::string& Filter);
    // The same for data in pieces, encoded into FEncodedArena.
    std::vector<pdf::TByteSpan> EncodePieces(const std::vector<pdf::TByteSpan>& Pieces, std::string& Filter);

    // Width in inches of Text in the current font and size.
    double TextWidth(std::string_view Text) const;
    std::string GetPDFFontName(const std::string& FaceName, TFontStyles Style);
    static std::string MakeTrueTypeName(const std::string& FaceName, TFontStyles Style);
    bool IsTrueTypeFace(const std::string& FaceName, TFontStyles Style);
    TRPPDFFont* FindOrCreateFont(const std::string& PDFName, TFontStyles Style);
    // Sets the current PDF font and its code page for a report font.
    void ChooseFont(const TFont& Font);
    // Sets the script size and rise from the converter's P and S marks.
    void SetScript(bool Superscript, bool Subscript);
    // Creates and registers the font object for a name, or finds the
    // Helvetica it falls back to; returns it (it is also FCurrentFont).
    TRPPDFFont* CreateFontObject(const std::string& PDFName, TFontStyles Style);
    // The composite font that draws text of a code page in a report face (one
    // per face the font engine chooses), made at its first use; none when
    // the engine has no face for the code page.
    TRPPDFFont* FindOrCreateCompositeFont(const std::string& FaceName, TFontStyles Style, TCodePage CodePage);

    // Adds an image object for a picture's JPEG bytes and returns its name
    // G1, G2, ...
    std::string RegisterEncodedImage(std::int32_t Width, std::int32_t Height, TEncodedPicture Encoded);
    // Encodes a picture of Width x Height pixels at ImageQuality (Pixels when
    // given, else what Draw encodes at that quality, with its mask) and adds its image object. Source, when
    // given, is the graphic whose file bytes the pixels come from: a picture
    // made again from the same bytes, size and way shares one encoding.
    std::string RegisterPicture(const TGraphic* Source, TPdfImageCache::TSource How, std::int32_t Width,
                                std::int32_t Height, const std::function<pictures::TMaskedJpeg(int)>& Draw,
                                const TRaster* Pixels = nullptr);
    pictures::TSurfaceStore& Surfaces();
    // A picture drawn at its raster size and encoded, with its mask.
    pictures::TMaskedJpeg DrawPicture(const TGraphic& Graphic, int Width, int Height, int Quality);
    // The name of the tiling pattern of a hatch in a colour, made at its
    // first use in the document.
    const std::string& HatchPattern(std::uint8_t Style, TColor Color);

    // The pen and brush styles the page routines paint with: the converter's,
    // unless an operation has set one for the time of its call.
    std::uint8_t PenStyle() const;
    std::uint8_t BrushStyle() const;
    bool IsPenVisible() const { return PenStyle() != psClear; }
    bool IsBrushVisible() const { return BrushStyle() != bsClear; }

    // ---- document state ----
    // The bytes of the pages' contents, and of their encoded forms.
    pdf::TByteArena FContentArena;
    pdf::TByteArena FEncodedArena;
    // The pages whose content bytes are in FContentArena (not encoded).
    std::size_t FRawContents = 0;
    std::unique_ptr<TMemoryStream> FOutputBuffer;
    TPdfObjectList<TRPPDFPage> FPageList;
    TPdfObjectList<TRPPDFXObject> FImageList;
    TPdfObjectList<TRPPDFFont> FFontList;
    TPdfObjectList<TRPPDFPattern> FPatternList;
    std::vector<std::int64_t> FOffsetList;
    std::unique_ptr<TRPPDFCatalog> FCatalog;
    std::unique_ptr<TRPPDFPages> FPages;
    std::unique_ptr<TRPPDFOutlines> FOutlines;
    std::unique_ptr<TRPPDFProcSet> FProcSet;
    TRPPDFPage* FCurrentPage = nullptr;
    TRPPDFFont* FCurrentFont = nullptr;
    // The PDF fonts chosen for the report fonts met most recently in this
    // document: choosing one asks the font engine and looks names up
    // without regard to case, and reports switch between a few fonts at
    // nearly every line. A short list, so that a report of thousands of
    // faces costs no more than one without it.
    struct TChosenFont {
        std::string Name;
        TFontStyles Style = 0;
        std::uint8_t Charset = 0;
        TRPPDFFont* Font = nullptr;
        std::int32_t CodePage = 0;
    };
    static constexpr std::size_t ChosenFontsKept = 8;
    std::vector<TChosenFont> FChosenFonts;
    std::size_t FNextChosenFont = 0;
    std::int64_t FXrefOffset = 0;
    std::int32_t FFontSize = 12;
    // Super- and subscript text is set at 2/3 of the font's size, raised by
    // 1/3 of it or lowered by 1/6 of it (the inline marks P and S).
    static constexpr double ScriptSizeFactor = 2.0 / 3.0;
    static constexpr double SuperscriptRise = 1.0 / 3.0;
    static constexpr double SubscriptDrop = 1.0 / 6.0;
    // How far the baseline of the current text is raised, in inches (negative
    // lowers it); FFontSize is then the smaller size the text is set in.
    double FScriptRise = 0;
    double FFontRotation = 0;
    // The code page of the current font's charset when its text is drawn in
    // a composite font; 0 when the bytes are shown as they are.
    TCodePage FTextCodePage = 0;
    TCodePageDecoder FDecoder;
    bool FUnderline = false;
    bool FStrikeOut = false;
    bool FFirstPagePending = false;
    // Scratch segments of the arc being built: start, two control points, end.
    struct TArcSegment {
        double X[4];
        double Y[4];
    };
    TArcSegment FArcPoints[4] {};

    // ---- steps of the document's life ----
    void InitDocumentObjects();
    void NewPageObject();
    void SubsetPrintedFonts();
    void NumberObjects();
    void WriteDocument();
    void MarkObjectOffset();
    void FreeDocumentObjects();

    // Sets a pen or brush style for the life of the guard.
    class TStyleOverride {
    public:
        TStyleOverride(std::int16_t& slot, std::uint8_t style) : FSlot(slot), FSaved(slot) { slot = style; }
        ~TStyleOverride() { FSlot = FSaved; }
        TStyleOverride(const TStyleOverride&) = delete;
        TStyleOverride& operator=(const TStyleOverride&) = delete;

    private:
        std::int16_t& FSlot;
        std::int16_t FSaved;
    };
    std::int16_t FPenStyleOverride = -1;
    std::int16_t FBrushStyleOverride = -1;

private:
    // Frees the objects of a document (not the output file).
    void ReleaseDocument();
    void WriteInfoDictionary();
    void WriteXrefAndTrailer();
    void CopyOutputBuffer();
    // The file is FOutputBuffer's text with other bytes (the pages'
    // contents, large objects) between its parts: a piece without Data is
    // the next Size bytes of FOutputBuffer.
    struct TOutputPiece {
        const char* Data;
        std::size_t Size;
    };
    void AddOutputPiece(const char* Data, std::size_t Size);
    std::int64_t OutputPosition() const;
    void WriteOutput(TStream& Target);
    // Whether OnCompress is the library's own FlateCompress, whose bytes a
    // reused zlib stream gives too.
    bool IsLibraryFlate() const;
    std::vector<TOutputPiece> FOutputPieces;
    std::size_t FBufferedBytes = 0;
    std::int64_t FPieceBytes = 0;
    std::unique_ptr<TFlateEncoder> FFlateEncoder;
    // Registers a font under its base font name, or under Key when given.
    TRPPDFFont* AddFont(std::unique_ptr<TRPPDFFont> font, std::string Key = {});
    TRPPDFFont* CreateStandardFont(const std::string& PDFName);
    std::string AddImage(std::unique_ptr<TRPPDFXObject> image);
    void PlaceBitmap(const TBitmap& Bitmap, const TGraphic* Source, double X1, double Y1, double X2, double Y2);
    void SetShapeColors();
    void EnsureFont();
    TColor PenColor() const;
    TColor BrushColor() const;
    TRPPDFPage& Page();
    std::unique_ptr<TRPPDFDocInfo> FDocInfo;
    std::uint8_t FImageQuality = 90;
    std::vector<std::unique_ptr<TRPPDFPage>> FOwnedPages;
    std::vector<std::unique_ptr<TRPPDFFont>> FOwnedFonts;
    std::vector<std::unique_ptr<TRPPDFXObject>> FOwnedImages;
    std::vector<std::unique_ptr<TRPPDFPattern>> FOwnedPatterns;
    TPdfImageCache FImageCache;
    // Drawing surfaces lent from one picture to the next; made at the first.
    std::unique_ptr<pictures::TSurfaceStore> FSurfaces;
};

}  // namespace tal
