#include "render/RpRender.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "render/RpConverter.h"
#include "render/RpMBCS.h"

namespace tal {

std::int32_t RoundToInt32(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

// ---- renderer registry ----
// One process-wide list of (display name, renderer), created on first use
// and freed when its last entry goes.

namespace {

using TRegistry = std::vector<std::pair<std::string, TRPRender*>>;

std::unique_ptr<TRegistry>& Registry() {
    static std::unique_ptr<TRegistry> registry;
    return registry;
}

void Unregister(TRPRender* renderer) {
    auto& registry = Registry();
    if (!registry) return;
    std::erase_if(*registry, [renderer](const auto& entry) { return entry.second == renderer; });
    if (registry->empty()) registry.reset();
}

void Register(const std::string& name, TRPRender* renderer) {
    auto& registry = Registry();
    if (!registry) registry = std::make_unique<TRegistry>();
    registry->emplace_back(name, renderer);
}

}  // namespace

// ---- TRPRender ----

TRPRender::TRPRender(TRpComponent* owner) : TRpComponent(owner) { SetDisplayName("RPRender"); }

TRPRender::~TRPRender() { Unregister(this); }

void TRPRender::SetDisplayName(const std::string& value) {
    Unregister(this);
    FDisplayName = value;
    Register(FDisplayName, this);
}

void TRPRender::Arc(double, double, double, double, double, double, double, double) {}
void TRPRender::BrushChanged(TGraphicsObject&) {}
void TRPRender::Chord(double, double, double, double, double, double, double, double) {}
void TRPRender::PrintCenter(const std::string&, double, double) {}
void TRPRender::Ellipse(double, double, double, double) {}
void TRPRender::FontChanged(TFont&) {}
void TRPRender::PrintLeft(const std::string&, double, double) {}
void TRPRender::LineTo(double, double) {}
void TRPRender::MoveTo(double, double) {}
void TRPRender::Pie(double, double, double, double, double, double, double, double) {}
void TRPRender::Polyline(std::span<const TPoint>, std::int32_t) {}
void TRPRender::Polygon(std::span<const TPoint>, std::int32_t) {}
void TRPRender::PrintRight(const std::string&, double, double) {}
void TRPRender::PenChanged(TGraphicsObject&) {}
void TRPRender::PrintImageData(TStream&, const std::string&, double, double, double, double) {}
void TRPRender::StretchBitmap(TBitmap&, double, double, double, double) {}
void TRPRender::PrintBitmap(TBitmap&, double, double, double, double) {}
void TRPRender::StretchDraw(const TRect&, TGraphic&) {}
void TRPRender::Draw(TGraphic&, double, double) {}
void TRPRender::PrintBlock(const std::string&, double, double, double) {}
void TRPRender::Rectangle(double, double, double, double) {}
void TRPRender::FillRect(const TRect&) {}
void TRPRender::TextRect(const TRect&, double, double, const std::string&) {}
void TRPRender::RoundRect(double, double, double, double, double, double) {}
void TRPRender::PrintBlockWord(double&, double&, const std::string&, double) {}
void TRPRender::BeginDocument() {}
void TRPRender::EndDocument() {}
void TRPRender::BeginPage() {}
void TRPRender::EndPage() {}
std::int32_t TRPRender::XDPI() { return 72; }
std::int32_t TRPRender::YDPI() { return 72; }

std::int32_t TRPRender::CountInnerSpaces(const std::string& Text) {
    std::int32_t all = 0, leading = 0, trailing = 0;
    bool seenNonSpace = false;
    for (std::size_t i = 0; i < Text.size(); i = NextCharIndex(Text, i, FCodePage)) {
        if (Text[i] == ' ') {
            ++all;
            if (seenNonSpace) ++trailing;
            else ++leading;
        } else {
            seenNonSpace = true;
            trailing = 0;
        }
    }
    if (!seenNonSpace) return 0;
    return all - leading - trailing;
}

void TRPRender::TakeFirstWord(std::string& Text, std::string& Word) {
    if (Text.empty()) return;
    bool seenNonSpace = false;
    for (std::size_t i = 0; i < Text.size(); i = NextCharIndex(Text, i, FCodePage)) {
        if (Text[i] != ' ') {
            seenNonSpace = true;
        } else if (seenNonSpace) {
            Word = Text.substr(0, i);
            Text.erase(0, i);
            return;
        }
    }
    Word = std::move(Text);
    Text.clear();
}

void TRPRender::TakeLeadingSpaces(std::string& Text, std::string& Spaces) {
    Spaces.clear();
    std::size_t i = 0;
    while (i < Text.size() && Text[i] == ' ') ++i;
    Spaces.assign(i, ' ');
    Text.erase(0, i);
}

void TRPRender::AdvancePosition(double& X, double& Y, double Distance) {
    const int rotation = FConverter ? FConverter->FRotation : 0;
    if (rotation == 0) {
        X += Distance;
        return;
    }
    const double angle = rotation * M_PI / 180.0;
    X += std::cos(angle) * Distance;
    Y -= std::sin(angle) * Distance;
}

std::int32_t TRPRender::XToDevice(double X) {
    const double left = FConverter ? FConverter->FHeader.LeftOffset() : 0.0;
    return RoundToInt32(XDPI() * (X - left));
}

std::int32_t TRPRender::YToDevice(double Y) {
    const double top = FConverter ? FConverter->FHeader.TopOffset() : 0.0;
    return RoundToInt32(YDPI() * (Y - top));
}

std::string TRPRender::WithDefaultExtension(const std::string& FileName) const {
    if (FileName.find('.') != std::string::npos) return FileName;
    const std::size_t dot = FileExtension.find('.');
    if (dot == std::string::npos) return FileName;
    std::string extension = FileExtension.substr(dot);
    const std::size_t semicolon = extension.find(';');
    if (semicolon != std::string::npos) extension.resize(semicolon);
    return FileName + extension;
}

void TRPRender::RunConverter(TStream& Stream, std::int32_t PageNo) {
    bool ended = false;
    RunConverter(Stream, PageNo, ended);
}

void TRPRender::RunConverter(TStream& Stream, std::int32_t PageNo, bool& DocumentEnded) {
    TRPConverter converter(Stream, *this);
    struct TClearConverter {
        TRPRender& Renderer;
        TRPConverter& Converter;
        bool& Ended;
        ~TClearConverter() {
            Renderer.FConverter = nullptr;
            Ended = Converter.FDocumentEnded;
        }
    } clear {*this, converter, DocumentEnded};
    converter.Generate(PageNo, false);
}

void TRPRender::RenderFromStream(TStream* InputStream) {
    if (FBusy) return;
    if (InputStream) FInputStream = InputStream;
    if (!FInputStream) {
        FOwnedInputStream = std::make_unique<TFileStream>(FInputFileName, TFileStream::Mode::ReadShared);
        FInputStream = FOwnedInputStream.get();
    }
    struct TReleaseOwnedInput {
        TRPRender& Renderer;
        ~TReleaseOwnedInput() {
            // A stream opened here from FInputFileName is released when the conversion ends.
            if (Renderer.FOwnedInputStream) {
                if (Renderer.FInputStream == Renderer.FOwnedInputStream.get()) Renderer.FInputStream = nullptr;
                Renderer.FOwnedInputStream.reset();
            }
        }
    } release {*this};
    ConvertPages(0);
}

void TRPRender::ConvertPages(std::int32_t PageNo) {
    if (!FInputStream) return;
    FBusy = true;
    struct TClearBusy {
        bool& Busy;
        ~TClearBusy() { Busy = false; }
    } clear {FBusy};
    RunConverter(*FInputStream, PageNo);
}

void TRPRender::RenderToFile(TStream& Stream, const std::string& FileName) {
    FOutputFileName = FileName;
    RenderFromStream(&Stream);
}

// ---- TRPRenderStream ----

TRPRenderStream::~TRPRenderStream() = default;

void TRPRenderStream::Write(std::string_view S) {
    if (S.empty() || !FActiveStream) return;
    FActiveStream->Write(S.data(), S.size());
}

void TRPRenderStream::WriteFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    Write(Format(Fmt, Args));
}

void TRPRenderStream::WriteLine(std::string_view S) {
    Write(S);
    Write("\r\n");
}

void TRPRenderStream::WriteLineFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    WriteLine(Format(Fmt, Args));
}

void TRPRenderStream::CloseOutput() {
    // The file is finished but not yet in its target's place: that waits
    // for the outcome of the conversion (RenderToFile, CommitOutput).
    if (FOutputFile) FClosedOutput = std::move(FOutputFile);
    FActiveStream = nullptr;
    FOutputStream = nullptr;
    FInputStream = nullptr;
}

void TRPRenderStream::OpenOutputFile(const std::string& FileName) {
    FClosedOutput.reset();
    FOutputFile = std::make_unique<TReplacingFile>(FileName);
    SetOutputStream(FOutputFile.get());
}

void TRPRenderStream::CommitOutput() {
    if (FOutputFile) CloseOutput();
    if (!FClosedOutput) return;
    const auto document = std::move(FClosedOutput);
    document->Commit();
    // The pages an earlier failed conversion kept are outdated by the whole
    // document now in place.
    std::remove(IncompleteName(FOutputFileName).c_str());
}

void TRPRenderStream::SettleFailedOutput(bool DocumentEnded) noexcept {
    if (FOutputFile) CloseOutput();
    const auto document = std::move(FClosedOutput);
    // A document that EndDocument finished holds the pages converted so far
    // and is kept under a name that says what it is; anything less is
    // removed with its replacing file.
    if (document && DocumentEnded) document->KeepAs(IncompleteName(FOutputFileName));
}

void TRPRenderStream::SetOutputStream(TStream* Stream) {
    FOutputStream = Stream;
    FActiveStream = Stream;
}

void TRPRenderStream::RenderToFile(TStream& Stream, const std::string& FileName) {
    const std::string target = WithDefaultExtension(FileName);
    OpenOutputFile(target);
    FOutputFileName = target;
    bool documentEnded = false;
    try {
        RunConverter(Stream, 0, documentEnded);
    } catch (...) {
        SettleFailedOutput(documentEnded);
        throw;
    }
    CommitOutput();
}

}  // namespace tal
