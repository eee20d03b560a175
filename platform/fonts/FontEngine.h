#pragma once
// The font service of the platform: finds the installed face for a report
// font, measures text the way the Windows graphics layer does, and answers the
// TrueType queries of the PDF writer.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Exception.h"
#include "platform/GraphicsObject.h"
#include "platform/fonts/TextMeasure.h"

namespace tal {

namespace fonts {
class TFontFace;
}

// A face that cannot be found, opened or read; the message names the face.
class EFontError : public Exception {
public:
    using Exception::Exception;
};

// Bits of TOutlineMetrics::PitchAndFamily, with the meanings of GDI's
// tmPitchAndFamily (note that GDI sets the "fixed pitch" bit for a
// proportional face).
inline constexpr std::uint8_t TMPF_FIXED_PITCH = 0x01;
inline constexpr std::uint8_t TMPF_VECTOR = 0x02;
inline constexpr std::uint8_t TMPF_TRUETYPE = 0x04;

// Left, top, right, bottom, y upwards: top > bottom.
struct TFontBox {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    bool operator==(const TFontBox&) const = default;
};

// The outline text metrics of a face at a character height (em) of 1000
// units, so every length is directly a PDF glyph-space value. Field meanings
// are those of GDI's OUTLINETEXTMETRIC and TEXTMETRIC.
struct TOutlineMetrics {
    int FirstChar = 0;  // tmFirstChar, a code 0..255
    int LastChar = 0;   // tmLastChar
    int Ascent = 0;     // tmAscent
    int Descent = 0;    // tmDescent, positive below the baseline
    int Height = 0;     // tmHeight = Ascent + Descent
    int InternalLeading = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
    std::uint8_t PitchAndFamily = 0;  // TMPF_* bits
    std::uint8_t PanoseFamilyType = 0;  // bFamilyType: 3 = script
    std::uint8_t PanoseProportion = 0;  // bProportion: 9 = monospaced
    // otmfsType: the face's OS/2 fsType, with bit 0 (value 1) set when the
    // licence forbids embedding the outlines. OS/2 keeps bit 0 reserved and
    // says "restricted" in bit 1, so a caller that tests bit 0 gets the answer.
    std::uint16_t FsType = 0;
    // otmItalicAngle: tenths of a degree, counter-clockwise from vertical
    // (an italic leaning right by 12 degrees gives -120).
    int ItalicAngleTenths = 0;
    // The same angle in whole degrees, the unit of a PDF descriptor's
    // /ItalicAngle.
    int ItalicAngleDegrees = 0;
    TFontBox FontBox;  // otmrcFontBox

    bool IsTrueType() const { return (PitchAndFamily & TMPF_TRUETYPE) != 0; }
    bool EmbeddingForbidden() const { return (FsType & 1) != 0; }
};

// GDI's ABC widths of one character: A + B + C is the advance width.
struct TABCWidth {
    int A = 0;  // left side bearing
    int B = 0;  // width of the black box
    int C = 0;  // what is left of the advance after A + B
    int Advance() const { return A + B + C; }
    bool operator==(const TABCWidth&) const = default;
};

// The interface the converters and the PDF writer are written against; a
// Windows build would implement it over GDI.
//
// The TrueType queries take a face name and a style (only bold and italic
// count). The name is either a report face name ("Comic Sans MS") or a PDF
// base font name made from one: spaces removed and a style suffix ",Bold",
// ",Italic" or ",BoldItalic" ("ComicSansMS,Bold"), whose style adds to the
// given one.
class TFontEngine : public TTextMeasure {
public:
    virtual ~TFontEngine() = default;

    // Width in whole pixels of text drawn with font at pixelsPerInch: the sum of
    // the whole-pixel advances of its glyphs (Windows-1252 bytes; the symbol
    // cmap for the symbol charset). Raises EFontError when the face cannot be
    // opened.
    long TextWidthPixels(const TFont& font, int pixelsPerInch, std::string_view text) override = 0;

    // True only for an installed face with TrueType outlines whose family is
    // the name, or a metric-compatible alias of it (Liberation Sans for Arial).
    // A substitute chosen for an unknown name never counts. Never raises for
    // a face that is merely missing.
    virtual bool IsTrueTypeFace(std::string_view faceName, TFontStyles style) = 0;

    // The outline metrics of the face at a 1000-unit em. For a name that is
    // not installed they are its substitute's: ask IsTrueTypeFace first.
    // Raises EFontError when the face cannot be opened (also the other
    // queries below).
    virtual TOutlineMetrics GetOutlineMetrics(std::string_view faceName, TFontStyles style) = 0;

    // ABC widths at a 1000-unit em for the codes first..last (0..255), one
    // element per code, glyphs looked up through Windows-1252 (through the
    // symbol cmap for a symbol face). Raises EFontError for a range outside
    // 0..255 or with last < first.
    virtual std::vector<TABCWidth> GetCharABCWidths(std::string_view faceName, TFontStyles style, int first,
                                                    int last) = 0;

    // The complete font file of the face, ready to embed: a face inside a
    // collection comes as a standalone font file of its own tables.
    virtual std::vector<std::uint8_t> GetFontData(std::string_view faceName, TFontStyles style) = 0;

    // The face that draws text of a code page other than Windows-1252 for a
    // report font: the face the name leads to when it has TrueType outlines
    // and the letters of the code page, else the TrueType face the system
    // prefers for the code page's language. The face belongs to the engine
    // and lives as long as it. None when the engine has no such face; the
    // text is then taken as Windows-1252. Text of a font whose charset has a
    // code page is measured on this face.
    virtual fonts::TFontFace* CodePageFace(std::string_view faceName, TFontStyles style, TCodePage codePage) {
        (void)faceName;
        (void)style;
        (void)codePage;
        return nullptr;
    }
};

// The engine the converters measure with unless told otherwise. It lives as
// long as the process, like the system's font mapper.
TFontEngine& DefaultFontEngine();

}  // namespace tal
