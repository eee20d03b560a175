#include "platform/fonts/FontConfigEngine.h"

#include <map>
#include <utility>

#include "platform/CodePageDecoder.h"
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

fonts::TFreeTypeLibrary OpenFreeType() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw EFontError("The FreeType library cannot be initialised");
    return fonts::TFreeTypeLibrary(library);
}

TFaceRequest RequestForFont(const TFont& font) {
    return {font.Name(), font.HasStyle(fsBold), font.HasStyle(fsItalic), font.Pitch(), font.Charset()};
}

// The characters a face must draw to stand for a code page: the letters of a
// single-byte code page (its bytes C0 to FF, the letter block of every
// Windows code page), a few of the commonest characters of a double-byte one.
std::u32string CodePageLetters(TCodePage codePage, TCodePageDecoder& decoder) {
    switch (codePage) {
        case CP_SHIFT_JIS: return U"\u3042\u30A2\u65E5\u672C\u8A9E";  // a, a (katakana), Japanese
        case CP_GBK: return U"\u4E2D\u6587\u7B80\u4F53";              // Chinese, simplified
        case CP_BIG5: return U"\u4E2D\u6587\u7E41\u9AD4";             // Chinese, traditional
        case CP_KOREAN:
        case CP_JOHAB: return U"\uD55C\uAD6D\uC5B4";  // Korean
        default: break;
    }
    std::string block;
    for (int b = 0xC0; b <= 0xFF; ++b) block += static_cast<char>(b);
    std::u32string letters;
    for (const char32_t c : decoder.Decode(block, codePage))
        if (c != ReplacementCharacter && c >= 0x80) letters += c;
    return letters;
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
    TCodePageDecoder Decoder;
    // (request, code page) -> the face that draws it, or none.
    std::map<std::pair<TFaceRequest, TCodePage>, TFontFace*> CodePageFaces;

    TResolvedFace& Resolve(const TFaceRequest& request);
    TFontFace& OpenFace(const std::string& file, int index, const std::string& faceName);
    long PixelsPerEm(TFontFace& face, const TFont& font, int pixelsPerInch) const;
    const TAdvanceTable& AdvancesFor(const TFont& font, int pixelsPerInch);
    TFontFace* FaceForCodePage(const TFaceRequest& request, TCodePage codePage);
    long CodePageWidth(TFontFace& face, const TFont& font, int pixelsPerInch, std::string_view text,
                       TCodePage codePage);
};

// fontconfig runs only for a request not seen before; requests that end at
// the same file share one FreeType face.
TFontConfigEngine::TImpl::TResolvedFace& TFontConfigEngine::TImpl::Resolve(const TFaceRequest& request) {
    if (auto found = Requests.find(request); found != Requests.end()) return found->second;
    TMatchedFace match = Matcher.Match(request);
    TFontFace* opened = &OpenFace(match.File, match.Index, request.Name);
    return Requests.emplace(request, TResolvedFace{std::move(match), opened}).first->second;
}

TFontFace& TFontConfigEngine::TImpl::OpenFace(const std::string& file, int index, const std::string& faceName) {
    auto& face = Faces[{file, index}];
    if (!face) face = std::make_unique<TFontFace>(Library.get(), file, index, faceName);
    return *face;
}

long TFontConfigEngine::TImpl::PixelsPerEm(TFontFace& face, const TFont& font, int pixelsPerInch) const {
    const long size = font.Size();
    const long pixelsPerEm = size > 0 ? fonts::MulDivRound(size, pixelsPerInch, POINTS_PER_INCH)
                                      : face.PixelsPerEmForCell(fonts::MulDivRound(-size, pixelsPerInch, POINTS_PER_INCH));
    if (pixelsPerEm > MAX_PIXELS_PER_EM)
        throw EFontError("The font \"" + font.Name() + "\" of " + std::to_string(size) + " points is too large to measure");
    return pixelsPerEm;
}

const TAdvanceTable& TFontConfigEngine::TImpl::AdvancesFor(const TFont& font, int pixelsPerInch) {
    if (pixelsPerInch <= 0) throw EFontError("Text cannot be measured at " + std::to_string(pixelsPerInch) + " pixels per inch");
    if (font.Size() == 0) return ZeroAdvances;
    TFontFace& face = *Resolve(RequestForFont(font)).Face;
    return face.Advances(face.MappingFor(font.Charset()), PixelsPerEm(face, font, pixelsPerInch));
}

// The report's face when it draws the code page's letters, else the face the
// system prefers for its language; either must have TrueType outlines.
TFontFace* TFontConfigEngine::TImpl::FaceForCodePage(const TFaceRequest& request, TCodePage codePage) {
    const auto key = std::make_pair(request, codePage);
    if (auto found = CodePageFaces.find(key); found != CodePageFaces.end()) return found->second;
    TFontFace* chosen = nullptr;
    try {
        const std::u32string letters = CodePageLetters(codePage, Decoder);
        TFontFace& named = *Resolve(request).Face;
        if (named.HasTrueTypeOutlines() && named.MapsAll(letters)) {
            chosen = &named;
        } else {
            const TMatchedFace match = Matcher.MatchLanguage(request, LanguageOfCodePage(codePage), letters);
            TFontFace& face = OpenFace(match.File, match.Index, request.Name);
            if (face.HasTrueTypeOutlines()) chosen = &face;
            else if (named.HasTrueTypeOutlines()) chosen = &named;
        }
    } catch (const EFontError&) {
        chosen = nullptr;  // no face can be opened: the text stays Windows-1252
    }
    CodePageFaces.emplace(key, chosen);
    return chosen;
}

long TFontConfigEngine::TImpl::CodePageWidth(TFontFace& face, const TFont& font, int pixelsPerInch,
                                             std::string_view text, TCodePage codePage) {
    if (pixelsPerInch <= 0) throw EFontError("Text cannot be measured at " + std::to_string(pixelsPerInch) + " pixels per inch");
    if (font.Size() == 0) return 0;
    const long pixelsPerEm = PixelsPerEm(face, font, pixelsPerInch);
    long width = 0;
    for (const char32_t c : Decoder.Decode(text, codePage)) width += face.GlyphAdvance(face.GlyphOf(c), pixelsPerEm);
    return width;
}

TFontConfigEngine::TFontConfigEngine(const std::vector<std::string>& extraFontFolders)
    : FImpl(std::make_unique<TImpl>(extraFontFolders)) {}
TFontConfigEngine::~TFontConfigEngine() = default;

long TFontConfigEngine::TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) {
    // Text of another code page is measured on the face the PDF engine draws
    // it with, which the name and the style choose (not the pitch).
    if (const TCodePage codePage = CodePageOfCharset(font.Charset()); codePage != 0)
        if (TFontFace* face = FImpl->FaceForCodePage({font.Name(), font.HasStyle(fsBold), font.HasStyle(fsItalic)},
                                                     codePage))
            return FImpl->CodePageWidth(*face, font, pixelsPerInch, text, codePage);
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
    return fonts::ReadFaceProgram(face.File(), face.Index(), std::string(faceName));
}

fonts::TFontFace* TFontConfigEngine::CodePageFace(std::string_view faceName, TFontStyles style, TCodePage codePage) {
    return FImpl->FaceForCodePage(fonts::RequestForName(faceName, style), codePage);
}

TFaceSource TFontConfigEngine::FaceSource(std::string_view faceName, TFontStyles style) {
    const auto& resolved = FImpl->Resolve(fonts::RequestForName(faceName, style));
    return {resolved.Match.File, resolved.Match.Index, resolved.Face->FamilyName(), resolved.Match.IsRequestedFamily};
}

}  // namespace tal
