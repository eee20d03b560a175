#include "platform/fonts/FontConfigEngine.h"

#include <fstream>
#include <iterator>
#include <map>
#include <utility>

#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontMatcher.h"
#include "platform/fonts/SfntCollection.h"

namespace tal {

using fonts::TAdvanceTable;
using fonts::TFaceRequest;
using fonts::TFontFace;
using fonts::TMatchedFace;

namespace {

// Beyond this the scaled advances of a long text could overflow a long; no
// real report font comes near it (2^24 pixels is 968,000 points at 1248
// pixels per inch).
constexpr long MAX_PIXELS_PER_EM = 1L << 24;
constexpr int POINTS_PER_INCH = 72;
// A face index from fontconfig carries a variable font's named instance in
// its upper 16 bits; the face inside a collection is the lower 16.
constexpr int COLLECTION_INDEX_MASK = 0xFFFF;

fonts::TFreeTypeLibrary OpenFreeType() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw EFontError("The FreeType library cannot be initialised");
    return fonts::TFreeTypeLibrary(library);
}

TFaceRequest RequestForFont(const TFont& font) {
    return {font.Name(), font.HasStyle(fsBold), font.HasStyle(fsItalic), font.Pitch(), font.Charset()};
}

std::vector<std::uint8_t> ReadFontFile(const std::string& file, const std::string& faceName) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) throw EFontError("The font file " + file + " of \"" + faceName + "\" cannot be read");
    return bytes;
}

}  // namespace

struct TFontConfigEngine::TImpl {
    struct TResolvedFace {
        TMatchedFace Match;
        TFontFace* Face;
    };

    // The request the last measurement resolved to, so that measuring text
    // in an unchanged font is one comparison and a table walk.
    struct TLastMeasure {
        bool Valid = false;
        std::string Name;
        TFontStyles Style = 0;
        TFontPitch Pitch = TFontPitch::fpDefault;
        std::uint8_t Charset = DEFAULT_CHARSET;
        int Size = 0;
        int PixelsPerInch = 0;
        const TAdvanceTable* Table = nullptr;

        bool Matches(const TFont& font, int ppi) const {
            return Valid && Size == font.Size() && PixelsPerInch == ppi && Style == (font.Style() & (fsBold | fsItalic)) &&
                   Pitch == font.Pitch() && Charset == font.Charset() && Name == font.Name();
        }
    };

    // The library outlives the faces: members are destroyed in reverse order.
    fonts::TFreeTypeLibrary Library = OpenFreeType();
    fonts::TFontMatcher Matcher;

    explicit TImpl(const std::vector<std::string>& extraFontFolders) : Matcher(extraFontFolders) {}
    std::map<std::pair<std::string, int>, std::unique_ptr<TFontFace>> Faces;
    std::map<TFaceRequest, TResolvedFace> Requests;
    TLastMeasure Last;
    const TAdvanceTable ZeroAdvances{};

    TResolvedFace& Resolve(const TFaceRequest& request);
    const TAdvanceTable& AdvancesFor(const TFont& font, int pixelsPerInch);
};

// fontconfig runs only for a request not seen before; requests that end at
// the same file share one FreeType face.
TFontConfigEngine::TImpl::TResolvedFace& TFontConfigEngine::TImpl::Resolve(const TFaceRequest& request) {
    if (auto found = Requests.find(request); found != Requests.end()) return found->second;
    TMatchedFace match = Matcher.Match(request);
    auto& face = Faces[{match.File, match.Index}];
    if (!face) face = std::make_unique<TFontFace>(Library.get(), match.File, match.Index, request.Name);
    TFontFace* opened = face.get();
    return Requests.emplace(request, TResolvedFace{std::move(match), opened}).first->second;
}

const TAdvanceTable& TFontConfigEngine::TImpl::AdvancesFor(const TFont& font, int pixelsPerInch) {
    if (pixelsPerInch <= 0) throw EFontError("Text cannot be measured at " + std::to_string(pixelsPerInch) + " pixels per inch");
    if (font.Size() == 0) return ZeroAdvances;
    TFontFace& face = *Resolve(RequestForFont(font)).Face;
    const long size = font.Size();
    const long pixelsPerEm = size > 0 ? fonts::MulDivRound(size, pixelsPerInch, POINTS_PER_INCH)
                                      : face.PixelsPerEmForCell(fonts::MulDivRound(-size, pixelsPerInch, POINTS_PER_INCH));
    if (pixelsPerEm > MAX_PIXELS_PER_EM)
        throw EFontError("The font \"" + font.Name() + "\" of " + std::to_string(size) + " points is too large to measure");
    return face.Advances(face.MappingFor(font.Charset()), pixelsPerEm);
}

TFontConfigEngine::TFontConfigEngine(const std::vector<std::string>& extraFontFolders)
    : FImpl(std::make_unique<TImpl>(extraFontFolders)) {}
TFontConfigEngine::~TFontConfigEngine() = default;

long TFontConfigEngine::TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) {
    TImpl::TLastMeasure& last = FImpl->Last;
    if (!last.Matches(font, pixelsPerInch)) {
        last.Valid = false;
        last.Table = &FImpl->AdvancesFor(font, pixelsPerInch);
        last.Name = font.Name();
        last.Style = static_cast<TFontStyles>(font.Style() & (fsBold | fsItalic));
        last.Pitch = font.Pitch();
        last.Charset = font.Charset();
        last.Size = font.Size();
        last.PixelsPerInch = pixelsPerInch;
        last.Valid = true;
    }
    const TAdvanceTable& advances = *last.Table;
    long width = 0;
    for (const char c : text) width += advances[static_cast<unsigned char>(c)];
    return width;
}

bool TFontConfigEngine::IsTrueTypeFace(std::string_view faceName, TFontStyles style) {
    try {
        const auto& resolved = FImpl->Resolve(fonts::RequestForName(faceName, style));
        return resolved.Match.IsRequestedFamily && resolved.Face->HasTrueTypeOutlines();
    } catch (const EFontError&) {
        return false;  // a face that cannot be opened is no usable TrueType face
    }
}

TOutlineMetrics TFontConfigEngine::GetOutlineMetrics(std::string_view faceName, TFontStyles style) {
    return FImpl->Resolve(fonts::RequestForName(faceName, style)).Face->OutlineMetrics();
}

std::vector<TABCWidth> TFontConfigEngine::GetCharABCWidths(std::string_view faceName, TFontStyles style, int first,
                                                           int last) {
    return FImpl->Resolve(fonts::RequestForName(faceName, style)).Face->ABCWidths(first, last);
}

std::vector<std::uint8_t> TFontConfigEngine::GetFontData(std::string_view faceName, TFontStyles style) {
    const TFontFace& face = *FImpl->Resolve(fonts::RequestForName(faceName, style)).Face;
    std::vector<std::uint8_t> bytes = ReadFontFile(face.File(), std::string(faceName));
    if (!fonts::IsFontCollection(bytes)) return bytes;
    try {
        return fonts::ExtractCollectionFace(bytes, static_cast<std::uint32_t>(face.Index() & COLLECTION_INDEX_MASK));
    } catch (const EFontError& e) {
        throw EFontError("The font \"" + std::string(faceName) + "\" (" + face.File() + "): " + e.Message());
    }
}

TFaceSource TFontConfigEngine::FaceSource(std::string_view faceName, TFontStyles style) {
    const auto& resolved = FImpl->Resolve(fonts::RequestForName(faceName, style));
    return {resolved.Match.File, resolved.Match.Index, resolved.Face->FamilyName(), resolved.Match.IsRequestedFamily};
}

}  // namespace tal
