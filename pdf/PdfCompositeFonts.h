#pragma once
// Composite fonts: text in the code page of a charset other than ANSI is
// decoded into Unicode characters and shown as two-byte codes (Identity-H)
// of a Type 0 font whose descendant is a CIDFontType2 font: the TrueType face
// the font engine chooses for the code page, embedded and cut down to the
// printed glyphs. Codes are given out in order of first use, one per
// character (code 0 is .notdef), so the ToUnicode map gives every character
// back, also one the face draws as .notdef; a CIDToGIDMap stream leads each
// code to its glyph.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pdf/PdfFonts.h"
#include "platform/CodePageDecoder.h"

namespace tal {

namespace fonts {
class TFontFace;
}

// A stream object whose bytes are made before the document is written.
class TRPPDFDataStream final : public TRPPDFObject {
public:
    explicit TRPPDFDataStream(TRpComponent& RenderPDF);
    void WriteObject() override;
    TMemoryStream& Data() { return *FData; }

private:
    std::unique_ptr<TMemoryStream> FData;
};

// The descendant CIDFontType2 font of a composite font.
class TRPPDFCIDFont final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;

    std::string FBaseFont;
    // The width of each code, in thousandths of the em, from code 0 on.
    std::vector<std::int32_t> FWidths;
    const TRPPDFObject* FDescriptor = nullptr;
    const TRPPDFObject* FGlyphMap = nullptr;
};

class TRPPDFCompositeFont final : public TRPPDFFont {
public:
    // Face belongs to the font engine and Decoder to the renderer; both
    // outlive the document's objects.
    TRPPDFCompositeFont(TRpComponent& RenderPDF, fonts::TFontFace& Face, TCodePageDecoder& Decoder);
    ~TRPPDFCompositeFont() override;
    void WriteObject() override;

    // The text is shown without the blanks a simple font's text gets.
    double LeadIn(std::int32_t) const override { return 0; }
    // A hexadecimal string of the text's two-byte codes.
    std::string ShownString(std::string_view Text, TCodePage CodePage) override;
    bool ShowsLiteralText() const override { return false; }
    std::int64_t TextUnits(std::string_view Text, TCodePage CodePage) override;
    // Cuts the face's program down to the printed glyphs (or embeds it
    // whole, without SubsetFonts or where it cannot be cut) and makes the
    // glyph map and the ToUnicode map.
    void Finish() override;
    std::vector<TRPPDFObject*> Parts() override;

    // The number of codes given out so far, .notdef included.
    std::size_t CodeCount() const { return FCharacters.size(); }

private:
    struct TCharacter {
        char32_t Character;
        std::uint32_t Glyph;
        std::int32_t Width;
    };
    std::uint16_t CodeOf(char32_t Character);
    std::int32_t WidthOf(char32_t Character);
    void EmbedProgram(std::vector<std::uint32_t>& Glyphs);
    void WriteGlyphMap(const std::vector<std::uint32_t>& Glyphs);
    void WriteToUnicode();

    fonts::TFontFace& FFace;
    TCodePageDecoder& FDecoder;
    std::vector<TCharacter> FCharacters;
    std::unordered_map<char32_t, std::uint16_t> FCodes;
    std::unordered_map<char32_t, std::int32_t> FMeasured;
    bool FFinished = false;
    std::unique_ptr<TRPPDFCIDFont> FDescendant;
    std::unique_ptr<TRPPDFFontDescriptor> FDescriptor;
    std::unique_ptr<TRPPDFFontFile> FFontFile;
    std::unique_ptr<TRPPDFDataStream> FGlyphMap;
    std::unique_ptr<TRPPDFDataStream> FToUnicode;
};

// The six capitals before "+" in a composite subset's name, from the face's
// name and the printed characters.
std::string CharacterSubsetTag(std::string_view Name, std::u32string_view Characters);

// A PDF name's characters: bytes outside "!" to "~", the delimiters and "#"
// written as #XX.
std::string PdfNameText(std::string_view Name);

}  // namespace tal
