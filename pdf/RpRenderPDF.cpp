#include "pdf/RpRenderPDF.h"

#include <algorithm>
#include <cmath>

#include "pdf/PdfCrossReference.h"
#include "pdf/PdfFormat.h"
#include "platform/fonts/StandardFonts.h"
#include "platform/pictures/MaskedRaster.h"
#include "render/RpConverter.h"
#include "render/RpMBCS.h"

namespace tal {

using pdf::FormatPDF;

const char* EncodingName(TPDFFontEncoding encoding) {
    switch (encoding) {
        case feMacRomanEncoding: return "MacRomanEncoding";
        case feMacExpertEncoding: return "MacExpertEncoding";
        case fePDFDocEncoding: return "PDFDocEncoding";
        case feStandardEncoding: return "StandardEncoding";
        case feWinAnsiEncoding: break;
    }
    return "WinAnsiEncoding";
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) { return SameAsciiTextIgnoringCase(a, b); }

TRPPDFDocInfo::TRPPDFDocInfo() : Creator("Tallow Adobe Acrobat PDF Machine"), Producer("TALPDF 1.0") {}

TRvRenderPDF::TRvRenderPDF(TRpComponent* owner)
    : TRPRenderStream(owner), FDocInfo(std::make_unique<TRPPDFDocInfo>()) {
    SetDisplayName("Adobe Acrobat (PDF)");
    FileExtension = "*.pdf";
}

TRvRenderPDF::~TRvRenderPDF() { ReleaseDocument(); }

void TRvRenderPDF::SetImageQuality(int quality) { FImageQuality = static_cast<std::uint8_t>(std::clamp(quality, 1, 100)); }

// ---- the converter's drawing state ----

std::uint8_t TRvRenderPDF::PenStyle() const {
    if (FPenStyleOverride >= 0) return static_cast<std::uint8_t>(FPenStyleOverride);
    return FConverter ? FConverter->Pen.Style() : static_cast<std::uint8_t>(psSolid);
}

std::uint8_t TRvRenderPDF::BrushStyle() const {
    if (FBrushStyleOverride >= 0) return static_cast<std::uint8_t>(FBrushStyleOverride);
    return FConverter ? FConverter->Brush.Style() : static_cast<std::uint8_t>(bsSolid);
}

TColor TRvRenderPDF::PenColor() const { return FConverter ? FConverter->Pen.Color() : clBlack; }
TColor TRvRenderPDF::BrushColor() const { return FConverter ? FConverter->Brush.Color() : clWhite; }

TRPPDFPage& TRvRenderPDF::Page() {
    // Drawing outside a document (no BeginDocument) opens one, so that no
    // call can reach a page that does not exist.
    if (!FCurrentPage) BeginDocument();
    return *FCurrentPage;
}

void TRvRenderPDF::SetShapeColors() {
    Page().FStrokeColor = PenColor();
    Page().FFillColor = BrushColor();
}

// ---- graphics ----

void TRvRenderPDF::Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    SetShapeColors();
    TStyleOverride clearBrush(FBrushStyleOverride, bsClear);
    Page().PathArc(true, false, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderPDF::Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    SetShapeColors();
    Page().PathArc(true, true, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderPDF::Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) {
    SetShapeColors();
    Page().PathPie(X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TRvRenderPDF::Ellipse(double X1, double Y1, double X2, double Y2) {
    SetShapeColors();
    Page().PathEllipse(X1, Y1, X2, Y2);
}

void TRvRenderPDF::Rectangle(double X1, double Y1, double X2, double Y2) {
    SetShapeColors();
    Page().PathRectangle(false, X1, Y1, X2, Y2);
}

void TRvRenderPDF::RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) {
    SetShapeColors();
    Page().PathRoundRect(X1, Y1, X2, Y2, X3, Y3);
}

void TRvRenderPDF::FillRect(const TRect& Rect) {
    Page().FStrokeColor = PenColor();
    TStyleOverride clearPen(FPenStyleOverride, psClear);
    Page().FFillColor = BrushColor();
    Page().PathRectangle(false, Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
}

void TRvRenderPDF::MoveTo(double X, double Y) {
    // The converter moves to a polygon's first point before the polygon is
    // drawn: its hatch must be chosen before the path begins, since no
    // colour may be set inside a path.
    if (IsHatchStyle(BrushStyle())) Page().FFillColor = BrushColor();
    Page().PathMoveTo(X, Y);
}

void TRvRenderPDF::LineTo(double X, double Y) {
    Page().FStrokeColor = PenColor();
    TStyleOverride clearBrush(FBrushStyleOverride, bsClear);
    Page().PathLineTo(true, X, Y);
}

void TRvRenderPDF::Polyline(std::span<const TPoint> Points, std::int32_t HighIndex) {
    Page().FStrokeColor = PenColor();
    TStyleOverride clearBrush(FBrushStyleOverride, bsClear);
    Page().PathPolyline(Points, HighIndex);
}

void TRvRenderPDF::Polygon(std::span<const TPoint> Points, std::int32_t HighIndex) {
    SetShapeColors();
    Page().PathPolygon(Points, HighIndex);
}

// ---- text ----

void TRvRenderPDF::EnsureFont() {
    Page();  // a document must be open before fonts belong to it
    if (FCurrentFont) return;
    if (FConverter) FontChanged(FConverter->Font);
    if (!FCurrentFont) FCurrentFont = FindOrCreateFont("Helvetica", 0);
}

void TRvRenderPDF::PrintLeft(const std::string& Text, double X, double Y) {
    EnsureFont();
    Page().ShowText(Text, X, Y);
}

void TRvRenderPDF::PrintCenter(const std::string& Text, double X, double Y) {
    EnsureFont();
    Page().ShowTextCentered(Text, X, Y);
}

void TRvRenderPDF::PrintRight(const std::string& Text, double X, double Y) {
    EnsureFont();
    Page().ShowTextRight(Text, X, Y);
}

void TRvRenderPDF::TextRect(const TRect& Rect, double X, double Y, const std::string& Text) {
    EnsureFont();
    Page().ShowTextClipped(Rect, Text, X, Y);
}

void TRvRenderPDF::PrintBlockWord(double& X, double& Y, const std::string& Word, double Advance) {
    EnsureFont();
    const double width = TextWidth(Word);
    AdvancePosition(X, Y, Advance - width);
    AdvancePosition(X, Y, width);
    Page().ShowTextRight(Word, X, Y);
}

void TRvRenderPDF::PrintBlock(const std::string& Text, double X, double Y, double Width) {
    EnsureFont();
    std::string text = Text;
    std::int32_t gaps = CountInnerSpaces(text);
    if (gaps == 0) {
        // A line without inner blanks is spread letter by letter.
        // A two-byte character of the font's code page stays whole.
        std::string spread;
        for (std::size_t i = 0; i < text.size();) {
            const std::size_t next = NextCharIndex(text, i, FTextCodePage);
            if (i > 0 && text[i] != ' ' && text[i - 1] != ' ') {
                spread += ' ';
                ++gaps;
            }
            spread.append(text, i, next - i);
            i = next;
        }
        text = std::move(spread);
    }
    if (gaps == 0) gaps = 1;
    const double stretch = TextWidth(" ") + (Width - TextWidth(text)) / gaps;
    std::string word, spaces;
    TakeFirstWord(text, word);
    Page().ShowText(word, X, Y);
    AdvancePosition(X, Y, TextWidth(word));
    while (!text.empty()) {
        TakeLeadingSpaces(text, spaces);
        if (text.empty()) break;  // blanks at the end of the line print nothing
        TakeFirstWord(text, word);
        PrintBlockWord(X, Y, word, TextWidth(word) + static_cast<double>(spaces.size()) * stretch);
    }
}

// ---- document structure ----

void TRvRenderPDF::BeginDocument() {
    ReleaseDocument();
    FOutputBuffer = std::make_unique<TMemoryStream>();
    InitDocumentObjects();
}

void TRvRenderPDF::InitDocumentObjects() {
    FXrefOffset = 0;
    FCatalog = std::make_unique<TRPPDFCatalog>(*this);
    FPages = std::make_unique<TRPPDFPages>(*this);
    auto page = std::make_unique<TRPPDFPage>(*this);
    FCurrentPage = page.get();
    FPageList.Add("P1", page.get());
    FOwnedPages.push_back(std::move(page));
    FOutlines = std::make_unique<TRPPDFOutlines>(*this);
    FProcSet = std::make_unique<TRPPDFProcSet>(*this);
    FFontSize = 12;
    FScriptRise = 0;
    FFontRotation = 0;
    FUnderline = FStrikeOut = false;
    FCurrentFont = nullptr;
    FTextCodePage = 0;
    FFirstPagePending = true;
}

void TRvRenderPDF::NewPageObject() {
    if (FCurrentPage) {
        // The page is done: compressed, its bytes are deflated now, and once
        // no page holds bytes in the arena any more it is written over again.
        FCurrentPage->Content().Finish();
        if (Compressing() && FRawContents == 0) FContentArena.Rewind();
    }
    auto page = std::make_unique<TRPPDFPage>(*this);
    if (FCurrentPage) {
        page->FTextColor = FCurrentPage->FTextColor;
        page->FStrokeColor = FCurrentPage->FStrokeColor;
        page->FFillColor = FCurrentPage->FFillColor;
    }
    FCurrentPage = page.get();
    FPageList.Add(FormatPDF("P%d", {FPageList.Count() + 1}), page.get());
    FOwnedPages.push_back(std::move(page));
}

void TRvRenderPDF::BeginPage() {
    if (!FCurrentPage) BeginDocument();
    if (FFirstPagePending) FFirstPagePending = false;
    else NewPageObject();
    // A report without page sizes (or with a size no page can have) keeps
    // the letter size the page was created with.
    if (std::isfinite(FPageWidth) && FPageWidth > 0) FCurrentPage->FMediaWidth = FPageWidth;
    if (std::isfinite(FPageHeight) && FPageHeight > 0) FCurrentPage->FMediaHeight = FPageHeight;
}

void TRvRenderPDF::EndPage() {}

void TRvRenderPDF::EndDocument() {
    if (!FOutputBuffer) return;
    try {
        WriteDocument();
        CopyOutputBuffer();
    } catch (...) {
        FreeDocumentObjects();
        CloseOutput();
        throw;
    }
    FreeDocumentObjects();
    CloseOutput();
}

void TRvRenderPDF::CopyOutputBuffer() {
    AddOutputPiece(nullptr, 0);
    if (FOutputStream) {
        WriteOutput(*FOutputStream);
        return;
    }
    // Without an output stream the document goes to FOutputFileName, in its
    // place only once it is whole.
    TReplacingFile file(FOutputFileName);
    WriteOutput(file);
    file.Commit();
}

void TRvRenderPDF::AddOutputPiece(const char* Data, std::size_t Size) {
    const auto buffered = static_cast<std::size_t>(FOutputBuffer->Size());
    if (buffered > FBufferedBytes) FOutputPieces.push_back({nullptr, buffered - FBufferedBytes});
    FBufferedBytes = buffered;
    if (Size == 0) return;
    FOutputPieces.push_back({Data, Size});
    FPieceBytes += static_cast<std::int64_t>(Size);
}

std::int64_t TRvRenderPDF::OutputPosition() const { return FOutputBuffer->Size() + FPieceBytes; }

void TRvRenderPDF::WriteOutput(TStream& Target) {
    // Small pieces are gathered so that the target sees few large writes.
    constexpr std::size_t GatherSize = std::size_t {256} << 10;
    std::vector<char> gathered;
    gathered.reserve(GatherSize);
    auto flush = [&] {
        Target.Write(gathered.data(), gathered.size());
        gathered.clear();
    };
    const char* buffered = reinterpret_cast<const char*>(FOutputBuffer->Data());
    for (const TOutputPiece& piece : FOutputPieces) {
        const char* data = piece.Data ? piece.Data : buffered;
        if (!piece.Data) buffered += piece.Size;
        if (piece.Size >= GatherSize / 4) {
            if (!gathered.empty()) flush();
            Target.Write(data, piece.Size);
            continue;
        }
        if (gathered.size() + piece.Size > GatherSize) flush();
        gathered.insert(gathered.end(), data, data + piece.Size);
    }
    if (!gathered.empty()) flush();
}

void TRvRenderPDF::FreeDocumentObjects() {
    ReleaseDocument();
}

void TRvRenderPDF::ReleaseDocument() {
    FSurfaces.reset();
    FCatalog.reset();
    FOutlines.reset();
    FProcSet.reset();
    FCurrentFont = nullptr;
    FChosenFonts.clear();
    FNextChosenFont = 0;
    FCurrentPage = nullptr;
    FPageList.Clear();
    FImageList.Clear();
    FFontList.Clear();
    FPatternList.Clear();
    FOwnedPages.clear();
    FOwnedPatterns.clear();
    FOwnedImages.clear();
    FImageCache.Clear();
    FOwnedFonts.clear();
    FPages.reset();
    FOffsetList.clear();
    FOutputBuffer.reset();
    FOutputPieces.clear();
    FBufferedBytes = 0;
    FPieceBytes = 0;
    FRawContents = 0;
    FContentArena.Release();
    FEncodedArena.Release();
}

void TRvRenderPDF::RenderToFile(TStream& Stream, const std::string& FileName) {
    TRPRenderStream::RenderToFile(Stream, FileName);
}

void TRvRenderPDF::WriteFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    Write(FormatPDF(Fmt, Args));
}

void TRvRenderPDF::WriteLineFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    WriteLine(FormatPDF(Fmt, Args));
}

std::vector<std::uint8_t> TRvRenderPDF::EncodeStream(TMemoryStream& data, std::string& Filter) {
    Filter.clear();
    if (!Compressing()) return data.Bytes();
    TMemoryStream out;
    std::string method = "FlateDecode";
    data.SetPosition(0);
    OnCompress(data, out, method);
    Filter = method;
    return out.Bytes();
}

bool TRvRenderPDF::IsLibraryFlate() const {
    using TFlateFunction = void (*)(TStream&, TStream&, std::string&);
    const auto* function = OnCompress.target<TFlateFunction>();
    return function && *function == &FlateCompress;
}

std::vector<pdf::TByteSpan> TRvRenderPDF::EncodePieces(const std::vector<pdf::TByteSpan>& Pieces,
                                                       std::string& Filter) {
    std::size_t total = 0;
    for (const pdf::TByteSpan& piece : Pieces) total += piece.Size;
    std::vector<pdf::TByteSpan> encoded;
    if (Compressing() && IsLibraryFlate() && total <= TFlateEncoder::MaxInput) {
        if (!FFlateEncoder) FFlateEncoder = std::make_unique<TFlateEncoder>();
        FFlateEncoder->Encode(Pieces, FEncodedArena, encoded);
        Filter = "FlateDecode";
        return encoded;
    }
    TMemoryStream data;
    data.Reserve(total);
    for (const pdf::TByteSpan& piece : Pieces) data.Write(piece.Data, piece.Size);
    const std::vector<std::uint8_t> bytes = EncodeStream(data, Filter);
    FEncodedArena.BeginRun(encoded);
    FEncodedArena.Append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    FEncodedArena.EndRun();
    return encoded;
}

// ---- numbering and writing ----

void TRvRenderPDF::NumberObjects() {
    std::int32_t n = 0;
    FCatalog->SetObjectNumber(++n);
    FOutlines->SetObjectNumber(++n);
    FPages->SetObjectNumber(++n);
    for (const auto& [key, page] : FPageList) {
        page->SetObjectNumber(++n);
        page->Content().SetObjectNumber(++n);
    }
    FProcSet->SetObjectNumber(++n);
    for (const auto& [key, font] : FFontList) {
        if (!font->Printed()) continue;
        font->SetObjectNumber(++n);
        for (TRPPDFObject* part : font->Parts()) part->SetObjectNumber(++n);
    }
    for (const auto& [key, image] : FImageList) {
        image->SetObjectNumber(++n);
        if (image->Mask()) image->Mask()->SetObjectNumber(++n);
    }
    for (const auto& [key, pattern] : FPatternList) pattern->SetObjectNumber(++n);
}

void TRvRenderPDF::MarkObjectOffset() { FOffsetList.push_back(OutputPosition()); }

void TRvRenderPDF::SubsetPrintedFonts() {
    for (const auto& [key, font] : FFontList)
        if (font->Printed()) font->Finish();
}

void TRvRenderPDF::WriteDocument() {
    SubsetPrintedFonts();
    // No picture comes after this: each image's bytes go with its object.
    FImageCache.Clear();
    FSurfaces.reset();
    NumberObjects();
    FActiveStream = FOutputBuffer.get();
    WriteLine("%PDF-1.3");
    WriteLine("%\xE2\xE3\xCF\xD3");
    WriteLine("");
    // Large objects are written from their own buffers, kept until the
    // file is out; the text of the others joins the output buffer.
    constexpr std::size_t LargeObject = std::size_t {64} << 10;
    auto emit = [this](TRPPDFObject& object) {
        MarkObjectOffset();
        object.WriteObject();
        TMemoryStream& buffer = object.ObjectBuffer();
        const auto size = static_cast<std::size_t>(buffer.Size());
        if (size >= LargeObject) {
            AddOutputPiece(reinterpret_cast<const char*>(buffer.Data()), size);
            return;
        }
        FOutputBuffer->Write(buffer.Data(), size);
        object.ReleaseBuffer();
    };
    FOutputBuffer->Reserve(4096 + static_cast<std::size_t>(FPageList.Count()) * 640);
    emit(*FCatalog);
    emit(*FOutlines);
    emit(*FPages);
    for (const auto& [key, page] : FPageList) {
        emit(*page);
        // The content object: its head and tail in the output buffer, its
        // bytes from where they were written.
        TRPPDFPageContent& content = page->Content();
        MarkObjectOffset();
        FActiveStream = FOutputBuffer.get();
        WriteLineFmt("%d 0 obj", {content.ObjectNumber()});
        content.WriteStreamHead();
        for (const pdf::TByteSpan& piece : content.Pieces()) AddOutputPiece(piece.Data, piece.Size);
        WriteLine("endstream");
        WriteLine("endobj");
        WriteLine("");
    }
    emit(*FProcSet);
    for (const auto& [key, font] : FFontList) {
        if (!font->Printed()) continue;
        emit(*font);
        for (TRPPDFObject* part : font->Parts()) emit(*part);
    }
    for (const auto& [key, image] : FImageList) {
        emit(*image);
        if (image->Mask()) emit(*image->Mask());
    }
    for (const auto& [key, pattern] : FPatternList) emit(*pattern);
    FActiveStream = FOutputBuffer.get();
    MarkObjectOffset();
    WriteInfoDictionary();
    WriteXrefAndTrailer();
}

void TRvRenderPDF::WriteInfoDictionary() {
    WriteLineFmt("%d 0 obj", {static_cast<long long>(FOffsetList.size())});
    WriteLine("<<");
    const std::pair<const char*, const std::string*> entries[] = {
        {"/Title (", &FDocInfo->Title},       {"/Author (", &FDocInfo->Author},
        {"/Subject (", &FDocInfo->Subject},   {"/Keywords (", &FDocInfo->KeyWords},
        {"/Creator (", &FDocInfo->Creator},   {"/Producer (", &FDocInfo->Producer},
    };
    for (const auto& [key, value] : entries)
        if (!value->empty()) WriteLine(key + pdf::EscapeText(*value) + ")");
    WriteLine("/CreationDate (D:" + pdf::FormatPDFDate(Clock ? Clock() : Now()) + ")");
    WriteLine(">>");
    WriteLine("endobj");
    WriteLine("");
}

void TRvRenderPDF::WriteXrefAndTrailer() {
    FXrefOffset = OutputPosition();
    Write(pdf::CrossReferenceAndTrailer(FOffsetList, FXrefOffset, FCatalog->ObjectNumber()));
}

}  // namespace tal
