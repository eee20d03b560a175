#include "render/RpConverter.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/fonts/DrawnFontMeasure.h"
#include "platform/fonts/FontEngine.h"
#include "render/PageSelection.h"
#include "render/RpRender.h"

namespace tal {

TRPConverter::TRPConverter(TStream& Stream, TRPRender& Renderer)
    : FReportStream(&Stream), FRenderTarget(&Renderer), FMemoryStream(dynamic_cast<TMemoryStream*>(&Stream)) {
    Brush.SetOnChange([this](TGraphicsObject& sender) { FRenderTarget->BrushChanged(sender); });
    Font.SetOnChange([this](TGraphicsObject&) { FRenderTarget->FontChanged(Font); });
    Pen.SetOnChange([this](TGraphicsObject& sender) { FRenderTarget->PenChanged(sender); });
    if (Renderer.FTextMeasure) {
        FMeasureBitmap.Engine = Renderer.FTextMeasure;
    } else {
        FDrawnMeasure = std::make_unique<TDrawnFontMeasure>(DefaultFontEngine());
        FMeasureBitmap.Engine = FDrawnMeasure.get();
    }
}

TRPConverter::~TRPConverter() = default;

// ---- primitive reads ----

void TRPConverter::ReadBytes(void* buffer, std::size_t count) {
    if (FMemoryStream) FMemoryStream->ReadExact(buffer, count);
    else FReportStream->ReadBuffer(buffer, count);
}

std::uint8_t TRPConverter::ReadByte() {
    std::uint8_t value;
    ReadBytes(&value, 1);
    return value;
}

std::int16_t TRPConverter::ReadInt16() {
    std::uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<std::int16_t>(b[0] | (b[1] << 8));
}

std::uint16_t TRPConverter::ReadUInt16() { return static_cast<std::uint16_t>(ReadInt16()); }

std::int32_t TRPConverter::ReadInt32() {
    std::uint8_t b[4];
    ReadBytes(b, 4);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

double TRPConverter::ReadFloat() {
    const auto bits = static_cast<std::uint32_t>(ReadInt32());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::size_t TRPConverter::CheckedLength(std::int64_t length) {
    if (length < 0 || length > FReportStream->Remaining()) throw EReadError();
    return static_cast<std::size_t>(length);
}

std::string TRPConverter::ReadRawText() {
    std::size_t length = ReadByte();
    if (FFileVersion >= ndr::VersionLongText && length >= ndr::LongTextMark)
        length = (length - ndr::LongTextMark) * 256 + ReadByte();
    std::string text(CheckedLength(static_cast<std::int64_t>(length)), '\0');
    ReadBytes(text.data(), text.size());
    return text;
}

std::string TRPConverter::ReadText() {
    std::string text = ReadRawText();
    ExpandMacros(text);
    return text;
}

TRect TRPConverter::ReadRect() {
    const double x1 = ReadFloat(), y1 = ReadFloat(), x2 = ReadFloat(), y2 = ReadFloat();
    return TRect {FRenderTarget->XToDevice(x1), FRenderTarget->YToDevice(y1), FRenderTarget->XToDevice(x2),
                  FRenderTarget->YToDevice(y2)};
}

void TRPConverter::Seek(std::int64_t position) { FReportStream->SetPosition(position); }

// ---- report structure ----

void TRPConverter::Generate(std::int32_t PageNo, bool) {
    FRenderTarget->FConverter = this;
    FStartTime = FRenderTarget->Clock ? FRenderTarget->Clock() : Now();
    ReadHeader();
    // A selection that names no page fails before the document begins.
    if (PageNo == 0) CheckPageSelection(FRenderTarget->FPageSelection, FTotalPages);
    try {
        ConvertPages(PageNo);
    } catch (...) {
        FinishAfterFailure();
        throw;
    }
    FRenderTarget->EndDocument();
    FDocumentEnded = true;
}

void TRPConverter::FinishAfterFailure() {
    // The document is still finished; the original error is the one that
    // reaches the caller, so a second failure while finishing is dropped.
    try {
        FRenderTarget->EndDocument();
        FDocumentEnded = true;
    } catch (...) {
    }
}

void TRPConverter::ConvertPages(std::int32_t PageNo) {
    if (PageNo > 0) {
        FRenderTarget->BeginDocument();
        GotoPage(PageNo);
        ConvertPage();
        return;
    }
    // The range of this conversion only: the renderer's own range stays as
    // its owner set it, so that a later conversion sees the same setting.
    const std::int32_t rangeFirst = FRenderTarget->FRangeFirst;
    const std::int32_t rangeLast = FRenderTarget->FRangeLast == 0 ? FTotalPages : FRenderTarget->FRangeLast;
    FRenderTarget->BeginDocument();
    if (!FRenderTarget->FPageSelection.empty()) {
        // A selected number that the page chain does not reach leaves the
        // stream at the last page reached; that page is converted once, not
        // again for every number beyond the chain.
        std::set<std::int64_t> converted;
        for (std::int32_t i = FCurrentPageNo; i <= FTotalPages; ++i) {
            if (!IsPageSelected(i)) continue;
            GotoPage(i);
            if (!converted.insert(Position()).second) continue;
            ConvertPage();
        }
    } else if (FTotalPages <= 0) {
        // A report without pages converts to an empty document.
    } else if (rangeLast == 9999 || (rangeFirst == 1 && rangeLast == FTotalPages)) {
        ConvertPageRange(FTotalPages);
    } else {
        GotoPage(rangeFirst);
        ConvertPageRange(rangeLast);
    }
}

void TRPConverter::ConvertPageRange(std::int32_t last) {
    ConvertPage();
    while (FCurrentPageNo < last) ConvertPage();
}

void TRPConverter::ReadHeader() {
    Seek(0);
    const std::uint8_t code = ReadByte();
    switch (code) {
        case ndr::HeaderCode1101: FFileVersion = 1101; break;
        case ndr::HeaderCode2009: FFileVersion = 2009; break;
        case ndr::HeaderCodeVersioned: FFileVersion = ReadUInt16(); break;
        default: RaiseReportError(SUnexpectedHeaderCode, code);
    }
    FHeader = TNdrHeader {};
    FHeader.Version = FFileVersion;
    if (FFileVersion >= ndr::VersionTitle) FReportTitle = ReadRawText();
    FHeader.Title = FReportTitle;
    FCurrentPageNo = 1;
    FHeader.PageCount = ReadInt16();
    FHeader.FirstPage = ReadInt16();
    FHeader.LastPage = ReadInt16();
    FTotalPages = FHeader.PageCount;
    FHeaderFirstPage = FHeader.FirstPage;
    FHeaderLastPage = FHeader.LastPage;
    for (float& measure : FHeader.Measure) measure = static_cast<float>(ReadFloat());
    FHeader.HeaderByte1 = ReadByte();
    if (FFileVersion >= ndr::VersionPageSize) {
        FHeader.HeaderWord1 = ReadInt16();
        FHeader.HeaderByte2 = ReadByte();
        FHeader.HeaderByte3 = ReadByte();
    }
    FHeader.HeaderWord2 = ReadInt16();
    FHeader.HeaderWord3 = ReadInt16();
    FHeader.HeaderWord4 = ReadInt16();
    FHeader.HeaderWord5 = ReadInt16();
    FHeader.HeaderText = ReadRawText();
    FPageOffset = static_cast<std::int32_t>(Position());
}

void TRPConverter::ReadPageHeader() {
    FPageOffset = static_cast<std::int32_t>(Position());
    if (ReadByte() != ndr::PageCode) throw Exception(SUnexpectedPageCode);
    FPageRecord = TNdrPageHeader {};
    FPrevPageOffset = FPageRecord.PrevPageOffset = ReadInt32();
    FNextPageOffset = FPageRecord.NextPageOffset = ReadInt32();
    FPageRecord.PageNo = ReadInt16();
    FCurrentPageNo = FPageRecord.PageNo;
    if (FFileVersion >= ndr::VersionPageSize) {
        FPageRecord.PageWidth = static_cast<float>(ReadFloat());
        FPageRecord.PageHeight = static_cast<float>(ReadFloat());
        FRenderTarget->FPageWidth = FPageRecord.PageWidth;
        FRenderTarget->FPageHeight = FPageRecord.PageHeight;
    } else {
        FPageRecord.PageByte = ReadByte();
    }
}

void TRPConverter::GotoPage(std::int32_t PageNo) {
    Seek(FPageOffset);
    if (PageNo == FCurrentPageNo) return;
    // A chain that leads back to a page already visited ends there, as a
    // chain that runs out does.
    std::set<std::int32_t> visited;
    auto step = [&](std::int32_t offset) {
        if (offset <= 0 || PageNo == FCurrentPageNo || !visited.insert(offset).second) {
            Seek(FPageOffset);
            return false;
        }
        Seek(offset);
        return true;
    };
    while (PageNo < FCurrentPageNo) {
        visited.insert(static_cast<std::int32_t>(Position()));
        ReadPageHeader();
        if (!step(FPrevPageOffset)) return;
    }
    while (PageNo > FCurrentPageNo) {
        visited.insert(static_cast<std::int32_t>(Position()));
        ReadPageHeader();
        if (!step(FNextPageOffset)) return;
    }
}

void TRPConverter::ConvertPage() {
    ReadPageHeader();
    FRenderTarget->BeginPage();
    for (;;) {
        const std::int64_t offset = Position();
        const std::uint8_t code = ReadByte();
        if (code == ndr::cmdEndPage) {
            FRenderTarget->EndPage();
            if (FRenderTarget->OnPageDone) FRenderTarget->OnPageDone(FCurrentPageNo, FTotalPages);
            return;
        }
        PerformCommand(code);
        if (OnCommandDone) OnCommandDone(code, offset);
    }
}

// ---- graphics ----

std::shared_ptr<TGraphic> TRPConverter::CreateGraphic() {
    const std::uint8_t kind = ReadByte();
    FSharedGraphic = kind > ndr::GraphicSharedFlag;
    if (FSharedGraphic) {
        const std::int64_t dataPosAt = Position();
        const std::int32_t dataPos = ReadInt32();
        if (FLastShared.Graphic && dataPos == FLastShared.DataPos && kind == FLastShared.Kind) {
            FSharedGraphic = false;
            return FLastShared.Graphic;
        }
        Seek(dataPosAt);
        // The graphic held so far goes before the next one is decoded.
        FLastShared = {};
    }
    std::shared_ptr<TGraphic> graphic;
    switch (kind & 0x7F) {
        case 1: graphic = std::make_shared<TBitmap>(); break;
        case 2: {
            auto metafile = std::make_shared<TMetafile>();
            metafile->SetSharedBudget(MetafileBudget());
            graphic = std::move(metafile);
            break;
        }
        case 3: graphic = std::make_shared<TIcon>(); break;
        default:
            FSharedGraphic = false;
            RaiseReportError("Unexpected graphic kind [%d] found in report file.", kind);
    }
    const bool shared = FSharedGraphic;
    const std::int64_t dataPosAt = Position();
    LoadGraphic(*graphic);
    ChargePicture(*graphic);
    if (shared) {
        const std::int64_t after = Position();
        Seek(dataPosAt);
        FLastShared = {ReadInt32(), kind, graphic};
        Seek(after);
    }
    return graphic;
}

std::shared_ptr<pictures::TPictureBudget> TRPConverter::MetafileBudget() {
    if (!FMetafileBudget) {
        std::int64_t limit = MetafileOperationLimit;
        if (limit < 0) {
            const std::int64_t bytes = std::max<std::int64_t>(0, FReportStream->Size());
            limit = BaseMetafileOperations +
                    std::min<std::int64_t>(bytes, std::int64_t{1} << 40) * MetafileOperationsPerReportByte;
        }
        FMetafileBudget = std::make_shared<pictures::TPictureBudget>(pictures::TPictureBudget::ForReport(limit));
    }
    return FMetafileBudget;
}

void TRPConverter::ChargePicture(const TGraphic& Graphic) {
    if (Graphic.Kind() == TGraphicKind::Metafile) return;  // drawn, not decoded, at load
    std::int64_t limit = PicturePixelLimit;
    if (limit < 0) {
        const std::int64_t bytes = std::max<std::int64_t>(0, FReportStream->Size());
        limit = BasePicturePixels + std::min<std::int64_t>(bytes, std::int64_t{1} << 40) * PicturePixelsPerReportByte;
    }
    FPicturePixels += static_cast<std::int64_t>(Graphic.Width()) * Graphic.Height();
    if (FPicturePixels > limit)
        throw EOutOfResources("The report's pictures need more than " + std::to_string(limit) +
                              " pixels, the limit for a report of its size; the conversion was stopped");
}

void TRPConverter::LoadGraphic(TGraphic& Graphic) {
    std::int64_t returnTo = -1;
    if (FSharedGraphic) {
        const std::int32_t dataPos = ReadInt32();
        returnTo = Position();
        if (dataPos < 0 || dataPos >= FReportStream->Size()) {
            FSharedGraphic = false;
            throw EReadError();
        }
        Seek(dataPos);
    }
    struct TReturn {
        TRPConverter& Converter;
        std::int64_t Position;
        ~TReturn() {
            if (Position >= 0) Converter.Seek(Position);
            Converter.FSharedGraphic = false;
        }
    } back {*this, returnTo};
    const std::size_t size = CheckedLength(ReadInt32());
    std::vector<std::uint8_t> bytes;
    if (FMemoryStream) {
        // Copied straight out of the report, not into a zero-filled vector
        // first: a picture's megabytes are written once.
        const auto at = static_cast<std::size_t>(FMemoryStream->Position());
        const std::size_t total = static_cast<std::size_t>(FMemoryStream->Size());
        if (at > total || total - at < size) throw EReadError();
        bytes.assign(FMemoryStream->Data() + at, FMemoryStream->Data() + at + size);
        FMemoryStream->SetPosition(static_cast<std::int64_t>(at + size));
    } else {
        bytes.resize(size);
        ReadBytes(bytes.data(), size);
    }
    Graphic.LoadFromBytes(std::move(bytes));
}

void TRPConverter::ReadBrushBitmap() {
    const std::uint8_t flags = ReadByte();
    FSharedGraphic = flags > ndr::GraphicSharedFlag;
    if (!Brush.Bitmap()) Brush.SetBitmap(std::make_unique<TBitmap>());
    LoadGraphic(*Brush.Bitmap());
    ChargePicture(*Brush.Bitmap());
}

// ---- variables ----

std::string TRPConverter::ReadVarValue() {
    // A value may be stored elsewhere, and that one elsewhere again; the
    // chain is followed without recursion and must not come back on itself.
    std::set<std::int64_t> visited;
    std::int64_t returnTo = -1;
    for (;;) {
        const std::int64_t start = Position();
        const std::uint8_t storedLength = ReadByte();
        const std::uint8_t textLength = ReadByte();
        if (storedLength > ndr::VarValueCapacity)
            RaiseReportError("Variable value of [%d] bytes found in report file.", storedLength);
        std::uint8_t buffer[ndr::VarValueCapacity];
        ReadBytes(buffer, storedLength);
        if (textLength < 254) {
            if (textLength > storedLength)
                RaiseReportError("Variable value of [%d] characters found in report file.", textLength);
            if (returnTo >= 0) Seek(returnTo);
            return std::string(reinterpret_cast<const char*>(buffer), textLength);
        }
        if (storedLength < 4) RaiseReportError("Variable value of [%d] bytes found in report file.", storedLength);
        if (returnTo < 0) returnTo = Position();
        visited.insert(start);
        const std::int64_t reference = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(buffer[0]) | (static_cast<std::uint32_t>(buffer[1]) << 8) |
            (static_cast<std::uint32_t>(buffer[2]) << 16) | (static_cast<std::uint32_t>(buffer[3]) << 24));
        const std::int64_t target = reference < 0 ? -reference : reference;
        if (visited.count(target))
            RaiseReportError("Variable value at offset [%d] refers back to itself in report file.",
                             static_cast<std::uint32_t>(target));
        Seek(target);
    }
}

void TRPConverter::SetVariable(const std::string& Name, const std::string& Value) {
    for (auto& [name, object] : FVariables) {
        if (SameText1252(name, Name)) {
            object->FStoredText = Value;
            return;
        }
    }
    FVariables.emplace_back(Name, std::make_unique<TRPStringObject>(Value));
}

std::string TRPConverter::GetVariable(const std::string& Name) const {
    for (const auto& [name, object] : FVariables)
        if (SameText1252(name, Name)) return object->FStoredText;
    return {};
}

std::string TRPConverter::MacroText13() { return "Render"; }
std::string TRPConverter::MacroText14() { return "Render"; }
std::string TRPConverter::MacroText15() { return "Render"; }

}  // namespace tal
