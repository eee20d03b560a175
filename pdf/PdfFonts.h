#pragma once
// Font objects: standard Type 1 fonts with built-in widths, and TrueType
// fonts whose widths, descriptor and font program come from the font engine.
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/PdfObjects.h"
#include "platform/fonts/StandardFontWidths.h"
#include "platform/fonts/FontEngine.h"

namespace tal {

class TRPPDFFont : public TRPPDFObject {
public:
    // Named F1, F2, ... in order of creation.
    explicit TRPPDFFont(TRpComponent& RenderPDF);
    void WriteObject() override;

    // Records that a text object shows Text in this font: the blank put
    // before every text and each byte of Text are printed codes.
    void NoteShown(std::string_view Text);
    bool Printed() const { return FPrinted; }
    const std::bitset<256>& PrintedCodes() const { return FPrintedCodes; }

    // The width in inches of the blank a text object shows before its text
    // at Size points: the standard fonts' fixed lead-in, a TrueType face's
    // own blank.
    virtual double LeadIn(std::int32_t Size) const;

    // The operand a text object shows Text with (report bytes in the code
    // page of the font's charset), noting what it prints: for a simple font
    // the literal string with a blank before and after the text.
    virtual std::string ShownString(std::string_view Text, TCodePage CodePage);
    // Whether ShownString is the report's bytes as a literal string, which
    // the page may then write straight into its content.
    virtual bool ShowsLiteralText() const { return true; }
    // The width of Text in thousandths of the font size.
    virtual std::int64_t TextUnits(std::string_view Text, TCodePage CodePage);
    // Makes a printed font ready to be written (subsets its program); called
    // once, before the objects are numbered.
    virtual void Finish() {}
    // The objects written right after the font object, in their order.
    virtual std::vector<TRPPDFObject*> Parts() { return {}; }

    std::string FSubtype = "Type1";
    std::string FResourceName;
    std::string FBaseFont;
    TFontWidths FWidths {};

protected:
    void WriteFontHead();

private:
    bool FPrinted = false;
    std::bitset<256> FPrintedCodes;
};

// The ToUnicode CMap of a subset font: each printed code and its character.
class TRPPDFToUnicode final : public TRPPDFObject {
public:
    TRPPDFToUnicode(TRpComponent& RenderPDF, const std::bitset<256>& Codes);
    void WriteObject() override;

private:
    std::unique_ptr<TMemoryStream> FData;
};

class TRPPDFFontDescriptor final : public TRPPDFObject {
public:
    using TRPPDFObject::TRPPDFObject;
    void WriteObject() override;

    std::string FFontName;
    std::int32_t FFlags = 0;
    TFontBox FFontBBox;
    std::int32_t FMissingWidth = 0;
    std::int32_t FStemV = 0;
    std::int32_t FStemH = 0;
    std::int32_t FItalicAngle = 0;
    std::int32_t FCapHeight = 0;
    std::int32_t FXHeight = 0;
    std::int32_t FAscent = 0;
    std::int32_t FDescent = 0;
    std::int32_t FLeading = 0;
    std::int32_t FMaxCharWidth = 0;
    std::int32_t FAvgWidth = 0;
    bool FHasFontFile = false;
    // The font program is written whatever EmbedFonts says (a composite
    // font's glyph codes mean nothing without it).
    bool FAlwaysEmbedded = false;
};

class TRPPDFFontFile final : public TRPPDFObject {
public:
    explicit TRPPDFFontFile(TRpComponent& RenderPDF);
    void WriteObject() override;
    TMemoryStream& FontData() { return *FFontData; }

private:
    std::unique_ptr<TMemoryStream> FFontData;
};

class TRPPDFFontTrueType final : public TRPPDFFont {
public:
    explicit TRPPDFFontTrueType(TRpComponent& RenderPDF);
    ~TRPPDFFontTrueType() override;
    void WriteObject() override;
    double LeadIn(std::int32_t Size) const override;
    void Finish() override;
    std::vector<TRPPDFObject*> Parts() override;

    // Reads widths, descriptor values and (when embedding) the font program
    // of the face Name from the font engine. Raises EFontError when the
    // engine has no outline metrics for it.
    void LoadTrueTypeMetrics(const std::string& Name, TFontStyles Style);

    // Cuts the embedded font program down to the printed codes and renames
    // the font with its subset tag; adds the ToUnicode map. A program the
    // subsetter cannot cut stays whole, under its own name.
    void SubsetFontFile();

    std::unique_ptr<TRPPDFFontDescriptor> FDescriptor;
    std::unique_ptr<TRPPDFFontFile> FFontFile;
    std::unique_ptr<TRPPDFToUnicode> FToUnicode;
    std::int32_t FFirstChar = 0;
    std::int32_t FLastChar = 0;
    bool FEmbeddable = false;
};

// The six capital letters before "+" in a subset font's name: taken from the
// font's name and its printed codes, so the same document gets the same tag.
std::string SubsetTag(std::string_view BaseFont, const std::bitset<256>& Codes);

void FillFontDescriptor(TRPPDFFontDescriptor& Descriptor, const TOutlineMetrics& Metrics, std::int32_t MissingWidth);

}  // namespace tal
