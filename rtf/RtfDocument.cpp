// The document around the drawing objects: the byte routing, the font and
// colour tables, page breaks, and the assembly at document end.
#include <cmath>

#include "render/RpConverter.h"
#include "rtf/RpRenderRTF.h"

#include "platform/CodePage.h"
#include "rtf/RtfSyntax.h"

namespace tal {

TRvRenderRTF::TRvRenderRTF(TRpComponent* owner) : TRPRenderStream(owner) {
    SetDisplayName("Rich Text Format (RTF)");
    FileExtension = "*.rtf";
    ImageOutput = TImageOutput::ioHigherQuality;
    ImageEncoding = TImageEncoding::ieHex;
}

TRvRenderRTF::~TRvRenderRTF() = default;

void TRvRenderRTF::RenderToFile(TStream& Stream, const std::string& FileName) {
    TRPRenderStream::RenderToFile(Stream, FileName);
}

TRPConverter& TRvRenderRTF::Converter() const {
    if (!FConverter) throw Exception("The RTF renderer was called outside a conversion");
    return *FConverter;
}

// ---- byte output ----

void TRvRenderRTF::WriteDirect(std::string_view S) {
    if (!S.empty() && FActiveStream) FActiveStream->Write(S.data(), S.size());
}

void TRvRenderRTF::WriteKeywordDirect(std::string_view Keyword, std::int64_t Value) {
    WriteRTF(rtf::Keyword(Keyword, Value));
}

void TRvRenderRTF::WriteRTFLine(std::string_view S) {
    WriteRTF(S);
    WriteRTF("\r\n");
}

void TRvRenderRTF::WriteTwips(std::string_view Keyword, double Value) { WriteKeyword(Keyword, rtf::Twips(Value)); }

// ---- font and colour tables ----

std::int32_t TRvRenderRTF::FontIndex() {
    const std::string& name = Converter().Font.Name();
    // Western charsets share the document's code page; any other makes an
    // entry of its own, so one face can hold text of two scripts.
    const std::uint8_t charset =
        CodePageOfCharset(Converter().Font.Charset()) != 0 ? Converter().Font.Charset() : 0;
    // Names differing in case share an entry, so an entry spelled exactly
    // like the name is the one a case-blind search would find.
    // (No two entries of one charset differ only in case, so that entry is
    // the only one.)
    if (FLastFont < FFontKeys.size() && FFontNames && (*FFontNames)[FLastFont] == name &&
        FFontCharsets[FLastFont] == charset)
        return static_cast<std::int32_t>(FLastFont);
    if (FFontNames)
        for (std::size_t i = 0; i < FFontKeys.size(); ++i)
            if ((*FFontNames)[i] == name && FFontCharsets[i] == charset) {
                FLastFont = i;
                return static_cast<std::int32_t>(i);
            }
    const std::string key = rtf::UpperAscii(name);
    for (std::size_t i = 0; i < FFontKeys.size(); ++i)
        if (FFontKeys[i] == key && FFontCharsets[i] == charset) {
            FLastFont = i;
            return static_cast<std::int32_t>(i);
        }
    if (!FFontNames) FFontNames = std::make_unique<std::vector<std::string>>();
    FFontNames->push_back(name);
    FFontKeys.push_back(key);
    FFontCharsets.push_back(charset);
    FLastFont = FFontNames->size() - 1;
    return static_cast<std::int32_t>(FLastFont);
}

std::string TRvRenderRTF::ColorEntry(TColor Color) {
    const std::uint32_t value = Color < 0 ? 0u : static_cast<std::uint32_t>(Color);
    std::string entry = rtf::Keyword(";\\red", value & 0xFF);
    entry += rtf::Keyword("\\green", (value >> 8) & 0xFF);
    entry += rtf::Keyword("\\blue", (value >> 16) & 0xFF);
    return entry;
}

std::int32_t TRvRenderRTF::ColorIndex(TColor Color) {
    if (!FColorTable) {
        FColorTable = std::make_unique<std::vector<std::string>>();
        FColorNumbers.clear();
    }
    // Colours whose entries read alike share a number: the entry shows only
    // the low three bytes, and every system colour as black.
    const std::uint32_t key = Color < 0 ? 0u : static_cast<std::uint32_t>(Color) & 0xFFFFFF;
    const auto [place, added] =
        FColorNumbers.try_emplace(key, static_cast<std::int32_t>(FColorTable->size() + 1));
    if (added) FColorTable->push_back(ColorEntry(static_cast<TColor>(key)));
    return place->second;
}

// ---- document structure ----

void TRvRenderRTF::BeginDocument() {
    TRPRenderStream::BeginDocument();
    FFontNames = std::make_unique<std::vector<std::string>>();
    FFontKeys.clear();
    FFontCharsets.clear();
    FLastFont = 0;
    FColorTable = std::make_unique<std::vector<std::string>>();
    FColorNumbers.clear();
    FBodyBuffer = std::make_unique<rtf::TBody>();
    FWriteDirect = false;
    FPageBegun = false;
    FPaperWidth = FPaperHeight = FSectionWidth = FSectionHeight = 0;
    FDrawOrder = 0;
    FGroupOrder = 0;
}

void TRvRenderRTF::WriteHeader() {
    std::string header = "{\\rtf1\\ansi{\\fonttbl";
    if (FFontNames)
        for (std::size_t i = 0; i < FFontNames->size(); ++i) {
            header += rtf::Keyword("{\\f", static_cast<std::int64_t>(i));
            const std::uint8_t charset = i < FFontCharsets.size() ? FFontCharsets[i] : 0;
            if (charset == 0) {
                header += "\\fcharset0\\fprq0 ";
            } else {
                header += rtf::Keyword("\\fcharset", charset);
                header += rtf::Keyword("\\cpg", CodePageOfCharset(charset));
                header += "\\fprq0 ";
            }
            header += rtf::FontTableName((*FFontNames)[i]);
            header += ";}";
        }
    header += "}{\\colortbl";
    if (FColorTable && !FColorTable->empty()) {
        for (const std::string& entry : *FColorTable) header += entry;
        header += ';';
    }
    header += '}';
    // The paper of the first page: without it every reader falls back to its
    // own default paper and cuts what lies beyond it.
    if (FPageBegun) {
        header += rtf::Keyword("\\paperw", FPaperWidth);
        header += rtf::Keyword("\\paperh", FPaperHeight);
        if (FPaperWidth > FPaperHeight) header += "\\landscape";
    }
    WriteRTF(header);
}

void TRvRenderRTF::EndDocument() {
    // The buffer is released and the file closed on every path, so that a
    // failed conversion still leaves the document as far as it got.
    struct TFinish {
        TRvRenderRTF& R;
        ~TFinish() {
            R.FBodyBuffer.reset();
            R.FFontNames.reset();
            R.FColorTable.reset();
            R.FColorNumbers.clear();
            R.FFontKeys.clear();
            R.FFontCharsets.clear();
            R.CloseOutput();
        }
    } finish {*this};
    FWriteDirect = true;
    // Outside RenderToFile, without an output stream, the document goes to
    // FOutputFileName, in its place only once it is whole.
    const bool ownFile = !FActiveStream;
    if (ownFile) OpenOutputFile(FOutputFileName);
    WriteHeader();
    if (FBodyBuffer) FBodyBuffer->WriteTo(*FActiveStream);
    FBodyBuffer.reset();
    FFontNames.reset();
    FColorTable.reset();
    // A reader drops an empty last paragraph together with the page break
    // into the last page; a closing paragraph mark keeps that page.
    if (FPageBegun) WriteRTF("\\par");
    WriteRTF("}");
    if (ownFile) CommitOutput();
}

std::pair<std::int32_t, std::int32_t> TRvRenderRTF::PagePaper() const {
    auto twips = [](double inches, std::int32_t letter) {
        const std::int32_t value = std::isfinite(inches) && inches > 0 ? rtf::Twips(inches) : 0;
        return value > 0 ? value : letter;
    };
    return {twips(FPageWidth, 12240), twips(FPageHeight, 15840)};
}

void TRvRenderRTF::BeginPage() {
    const auto [width, height] = PagePaper();
    if (!FPageBegun) {
        FPaperWidth = FSectionWidth = width;
        FPaperHeight = FSectionHeight = height;
    } else if (width == FSectionWidth && height == FSectionHeight) {
        WriteRTF("\\page ");
    } else {
        // A page of another size starts a section of its own.
        std::string section = rtf::Keyword("\\sect\\sectd\\pgwsxn", width);
        section += rtf::Keyword("\\pghsxn", height);
        if (width > height) section += "\\lndscpsxn";
        section += ' ';
        WriteRTF(section);
        FSectionWidth = width;
        FSectionHeight = height;
    }
    FPageBegun = true;
}

void TRvRenderRTF::EndPage() {}

}  // namespace tal
