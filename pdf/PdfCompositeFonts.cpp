#include "pdf/PdfCompositeFonts.h"

#include <algorithm>
#include <cstdio>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"
#include "platform/fonts/FontFace.h"
#include "platform/fonts/FontSubset.h"
#include "platform/fonts/SfntCollection.h"

namespace tal {

namespace {

// Codes are two bytes: past the last one a character shows as .notdef.
constexpr std::size_t MaxCodes = 0x10000;

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// A character as UTF-16 code units in hexadecimal (a surrogate pair above
// the Basic Multilingual Plane).
std::string Utf16Hex(char32_t c) {
    if (c < 0x10000) return Hex4(static_cast<unsigned>(c));
    const unsigned v = static_cast<unsigned>(c) - 0x10000;
    return Hex4(0xD800 + (v >> 10)) + Hex4(0xDC00 + (v & 0x3FF));
}

void WriteText(TMemoryStream& stream, const std::string& text) { stream.Write(text.data(), text.size()); }

}  // namespace

std::string CharacterSubsetTag(std::string_view Name, std::u32string_view Characters) {
    // FNV-1a over the name and the characters, as the simple fonts' tag.
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (char c : Name) mix(static_cast<std::uint8_t>(c));
    mix(0);
    for (char32_t c : Characters)
        for (int shift = 0; shift < 32; shift += 8) mix(static_cast<std::uint8_t>(c >> shift));
    std::string tag;
    for (int i = 0; i < 6; ++i) {
        tag += static_cast<char>('A' + hash % 26);
        hash /= 26;
    }
    return tag;
}

std::string PdfNameText(std::string_view Name) {
    static constexpr std::string_view delimiters = "()<>[]{}/%#";
    std::string out;
    for (char c : Name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x21 || b > 0x7E || delimiters.find(c) != std::string_view::npos) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "#%02X", b);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// ---- the stream objects ----

TRPPDFDataStream::TRPPDFDataStream(TRpComponent& RenderPDF)
    : TRPPDFObject(RenderPDF), FData(std::make_unique<TMemoryStream>()) {}

void TRPPDFDataStream::WriteObject() {
    std::string filter;
    const std::vector<std::uint8_t> data = FRenderPDF.EncodeStream(*FData, filter);
    BeginObject();
    FRenderPDF.WriteLine("<<");
    EndStreamObject(data, filter);
}

// ---- the descendant font ----

void TRPPDFCIDFont::WriteObject() {
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /Font");
    r.WriteLine("/Subtype /CIDFontType2");
    r.WriteLine("/BaseFont /" + FBaseFont);
    r.WriteLine("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
    r.WriteLineFmt("/FontDescriptor %d 0 R", {FDescriptor->ObjectNumber()});
    // Every code has its width: ten a line, from code 0 on.
    std::string widths = "/W [0 [";
    for (std::size_t code = 0; code < FWidths.size(); ++code) {
        widths += pdf::FormatPDF("%d ", {FWidths[code]});
        if (code % 10 == 9) {
            r.WriteLine(widths);
            widths.clear();
        }
    }
    r.WriteLine(widths + "]]");
    r.WriteLineFmt("/CIDToGIDMap %d 0 R", {FGlyphMap->ObjectNumber()});
    r.WriteLine(">>");
    EndObject();
}

// ---- the composite font ----

TRPPDFCompositeFont::TRPPDFCompositeFont(TRpComponent& RenderPDF, fonts::TFontFace& Face,
                                         TCodePageDecoder& Decoder)
    : TRPPDFFont(RenderPDF),
      FFace(Face),
      FDecoder(Decoder),
      FDescendant(std::make_unique<TRPPDFCIDFont>(RenderPDF)),
      FDescriptor(std::make_unique<TRPPDFFontDescriptor>(RenderPDF)),
      FGlyphMap(std::make_unique<TRPPDFDataStream>(RenderPDF)),
      FToUnicode(std::make_unique<TRPPDFDataStream>(RenderPDF)) {
    FSubtype = "Type0";
    FBaseFont = PdfNameText(Face.PostScriptName());
    FCharacters.push_back({0, 0, Face.GlyphWidth(0)});
    FillFontDescriptor(*FDescriptor, Face.OutlineMetrics(), FCharacters[0].Width);
    // Symbolic rather than Nonsymbolic: the glyphs lie outside the standard
    // Latin set.
    FDescriptor->FFlags = (FDescriptor->FFlags & ~32) | 4;
    FDescriptor->FAlwaysEmbedded = true;
    FDescendant->FDescriptor = FDescriptor.get();
    FDescendant->FGlyphMap = FGlyphMap.get();
}

TRPPDFCompositeFont::~TRPPDFCompositeFont() = default;

std::uint16_t TRPPDFCompositeFont::CodeOf(char32_t Character) {
    if (auto found = FCodes.find(Character); found != FCodes.end()) return found->second;
    if (FCharacters.size() >= MaxCodes) return 0;
    const std::uint32_t glyph = FFace.GlyphOf(Character);
    FCharacters.push_back({Character, glyph, FFace.GlyphWidth(glyph)});
    const auto code = static_cast<std::uint16_t>(FCharacters.size() - 1);
    FCodes.emplace(Character, code);
    return code;
}

std::int32_t TRPPDFCompositeFont::WidthOf(char32_t Character) {
    if (auto found = FCodes.find(Character); found != FCodes.end()) return FCharacters[found->second].Width;
    if (auto found = FMeasured.find(Character); found != FMeasured.end()) return found->second;
    const std::int32_t width = FFace.GlyphWidth(FFace.GlyphOf(Character));
    FMeasured.emplace(Character, width);
    return width;
}

std::string TRPPDFCompositeFont::ShownString(std::string_view Text, TCodePage CodePage) {
    NoteShown({});
    std::string shown = "<";
    for (const char32_t c : FDecoder.Decode(Text, CodePage)) shown += Hex4(CodeOf(c));
    return shown + ">";
}

std::int64_t TRPPDFCompositeFont::TextUnits(std::string_view Text, TCodePage CodePage) {
    std::int64_t total = 0;
    for (const char32_t c : FDecoder.Decode(Text, CodePage)) total += WidthOf(c);
    return total;
}

void TRPPDFCompositeFont::WriteObject() {
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /Font");
    r.WriteLine("/Subtype /Type0");
    r.WriteLine("/Name /" + FResourceName);
    r.WriteLine("/BaseFont /" + FBaseFont);
    r.WriteLine("/Encoding /Identity-H");
    r.WriteLineFmt("/DescendantFonts [%d 0 R]", {FDescendant->ObjectNumber()});
    r.WriteLineFmt("/ToUnicode %d 0 R", {FToUnicode->ObjectNumber()});
    r.WriteLine(">>");
    EndObject();
}

void TRPPDFCompositeFont::Finish() {
    if (FFinished) return;
    FFinished = true;
    std::vector<std::uint32_t> glyphs;
    for (const TCharacter& c : FCharacters) {
        glyphs.push_back(c.Glyph);
        FDescendant->FWidths.push_back(c.Width);
    }
    EmbedProgram(glyphs);
    FDescriptor->FFontName = FBaseFont;
    FDescendant->FBaseFont = FBaseFont;
    WriteGlyphMap(glyphs);
    WriteToUnicode();
}

// Glyphs comes in as the face's glyph of each code and leaves as the glyph of
// each code in the embedded program.
void TRPPDFCompositeFont::EmbedProgram(std::vector<std::uint32_t>& Glyphs) {
    FDescriptor->FHasFontFile = false;
    if (FFace.OutlineMetrics().EmbeddingForbidden()) return;
    std::vector<std::uint8_t> program;
    try {
        program = fonts::ReadFaceProgram(FFace.File(), FFace.Index(), FFace.FaceName());
    } catch (const EFontError&) {
        return;  // readers then draw with a font of their own
    }
    if (program.empty()) return;
    if (FRenderPDF.SubsetFonts) {
        std::u32string characters;
        for (const TCharacter& c : FCharacters)
            if (c.Character != 0) characters += c.Character;
        if (auto subset = SubsetGlyphs(program, Glyphs, std::u32string_view(characters))) {
            program = std::move(subset->Program);
            Glyphs = std::move(subset->NewGlyphs);
            FBaseFont = CharacterSubsetTag(FBaseFont, characters) + "+" + FBaseFont;
        }
    }
    FFontFile = std::make_unique<TRPPDFFontFile>(FRenderPDF);
    FFontFile->FontData().Write(program.data(), program.size());
    FDescriptor->FHasFontFile = true;
}

void TRPPDFCompositeFont::WriteGlyphMap(const std::vector<std::uint32_t>& Glyphs) {
    std::vector<std::uint8_t> map;
    map.reserve(Glyphs.size() * 2);
    for (std::uint32_t glyph : Glyphs) {
        map.push_back(static_cast<std::uint8_t>(glyph >> 8));
        map.push_back(static_cast<std::uint8_t>(glyph));
    }
    FGlyphMap->Data().Write(map.data(), map.size());
}

void TRPPDFCompositeFont::WriteToUnicode() {
    TMemoryStream& out = FToUnicode->Data();
    WriteText(out,
              "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n"
              "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r\n"
              "/CMapName /Adobe-Identity-UCS def\r\n/CMapType 2 def\r\n"
              "1 begincodespacerange\r\n<0000> <FFFF>\r\nendcodespacerange\r\n");
    // Code 0 (.notdef) stands for no character; a bfchar block holds at most
    // 100 entries.
    for (std::size_t first = 1; first < FCharacters.size(); first += 100) {
        const std::size_t last = std::min(FCharacters.size(), first + 100);
        std::string block = std::to_string(last - first) + " beginbfchar\r\n";
        for (std::size_t code = first; code < last; ++code)
            block += "<" + Hex4(static_cast<unsigned>(code)) + "> <" + Utf16Hex(FCharacters[code].Character) + ">\r\n";
        WriteText(out, block + "endbfchar\r\n");
    }
    WriteText(out, "endcmap\r\nCMapName currentdict /defineresource pop\r\nend\r\nend\r\n");
}

std::vector<TRPPDFObject*> TRPPDFCompositeFont::Parts() {
    std::vector<TRPPDFObject*> parts {FDescendant.get(), FDescriptor.get()};
    if (FFontFile) parts.push_back(FFontFile.get());
    parts.push_back(FGlyphMap.get());
    parts.push_back(FToUnicode.get());
    return parts;
}

// ---- choosing the font ----

TRPPDFFont* TRvRenderPDF::FindOrCreateCompositeFont(const std::string& FaceName, TFontStyles Style,
                                                    TCodePage CodePage) {
    fonts::TFontFace* face = nullptr;
    try {
        face = FontEngine().CodePageFace(FaceName, Style & (fsBold | fsItalic), CodePage);
    } catch (const Exception&) {
        face = nullptr;  // no face can be opened: the bytes are shown as they are
    }
    if (!face) return nullptr;
    // One composite font per face, whatever code pages its texts come from;
    // the blank keeps the key apart from every PDF font name.
    const std::string key = "Type0 " + face->File() + "#" + std::to_string(face->Index());
    if (const std::int32_t index = FFontList.IndexOf(key); index >= 0) return FFontList.Object(index);
    return AddFont(std::make_unique<TRPPDFCompositeFont>(*this, *face, FDecoder), key);
}

}  // namespace tal
