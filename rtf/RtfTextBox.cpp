// Text: every text becomes a borderless, unfilled text box sized from its
// font, anchored to the page. Justified lines become one box per word.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "render/RpConverter.h"
#include "render/RpMBCS.h"
#include "rtf/RpRenderRTF.h"

#include "platform/CodePage.h"
#include "rtf/RtfSyntax.h"

namespace tal {

namespace {

std::int32_t AddOne(std::int32_t value) {
    return value == std::numeric_limits<std::int32_t>::max() ? value : value + 1;
}

// Inserts a space between every two neighbouring characters that are not
// spaces, so a line without spaces can still be spread over its width.
std::int32_t SpreadLetters(std::string& text, TCodePage codePage) {
    std::int32_t inserted = 0;
    std::string spread;
    spread.reserve(text.size() * 2);
    bool previousIsLetter = false;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t next = std::min(NextCharIndex(text, i, codePage), text.size());
        const bool isLetter = text[i] != ' ';
        if (isLetter && previousIsLetter) {
            spread += ' ';
            ++inserted;
        }
        spread.append(text, i, next - i);
        previousIsLetter = isLetter;
        i = next > i ? next : i + 1;
    }
    text = std::move(spread);
    return inserted;
}

}  // namespace

void TRvRenderRTF::BeginDrawObject() {
    WriteRTFLine("");
    WriteRTF("{\\*\\do\\dolock\\dobxpage\\dobypage");
}

void TRvRenderRTF::WriteObjectBox(double X1, double Y1, double X2, double Y2) {
    WriteTwips("\\dpx", X1 < X2 ? X1 : X2);
    WriteTwips("\\dpy", Y1 < Y2 ? Y1 : Y2);
    WriteTwips("\\dpxsize", std::abs(X1 - X2));
    WriteTwips("\\dpysize", std::abs(Y1 - Y2));
}

void TRvRenderRTF::WriteFontAttributes() {
    const TRPConverter& c = Converter();
    const TFont& font = c.Font;
    std::string out = rtf::Keyword("\\f", FontIndex());
    out += rtf::Keyword("\\fs", 2 * static_cast<std::int64_t>(font.Size()));
    out += font.HasStyle(fsBold) ? "\\b" : "\\b0";
    out += font.HasStyle(fsItalic) ? "\\i" : "\\i0";
    out += font.HasStyle(fsUnderline) ? "\\ul" : "\\ul0";
    out += font.HasStyle(fsStrikeOut) ? "\\strike" : "\\strike0";
    out += c.FFlagP ? "\\super" : c.FFlagS ? "\\sub" : "\\nosupersub";
    WriteRTF(out);
}

void TRvRenderRTF::WriteTextColors() {
    const TRPConverter& c = Converter();
    // The font colour is numbered first: it fixes the order of the table.
    std::string out = rtf::Keyword("\\cf", ColorIndex(c.Font.Color()));
    out += rtf::Keyword("\\cb", ColorIndex(c.Brush.Color()));
    out += ' ';
    WriteRTF(out);
}

void TRvRenderRTF::WriteEscapedText(std::string_view Text) {
    const TCodePage codePage = CodePageOfCharset(Converter().Font.Charset());
    if (IsLeadByte(0x81, codePage)) WriteRTF(rtf::EscapedDoubleByteText(Text, codePage));
    else WriteRTF(rtf::EscapedText(Text));
}

void TRvRenderRTF::TextRect(const TRect& Rect, double, double, const std::string& Text) {
    const std::int32_t font = FontIndex();
    const std::int64_t halfPoints = 2 * static_cast<std::int64_t>(Converter().Font.Size());
    BeginDrawObject();
    WriteRTF("\\dptxbx\\dptxbxmar0");
    WriteRTF(rtf::Keyword("{\\dptxbxtext {\\f", font) + rtf::Keyword("\\fs", halfPoints) + " ");
    WriteFontAttributes();
    WriteTextColors();
    WriteEscapedText(Text);
    WriteRTF("\\par}}");
    WriteObjectBox(Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
    WriteRTF("\\dplinehollow\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew1");
    WriteRTF("\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255");
    WriteRTF("\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0");
    WriteRTF("}");
}

void TRvRenderRTF::PrintLeft(const std::string& Text, double X, double Y) {
    TRPConverter& c = Converter();
    const double h = c.Font.Size() / 72.0;
    const double w = c.TextWidth(Text);
    // From one font size above the baseline to a quarter of it below, one
    // point wider than the text.
    TRect box;
    box.Left = RoundToInt32(72 * X);
    box.Top = RoundToInt32(72 * (Y - h));
    box.Right = AddOne(RoundToInt32(72 * (X + w)));
    box.Bottom = RoundToInt32(72 * (Y + (1.25 * h - h)));
    TextRect(box, X, Y, Text);
}

void TRvRenderRTF::PrintCenter(const std::string& Text, double X, double Y) {
    TRPRenderStream::PrintCenter(Text, X, Y);
    if (Text.empty()) return;
    PrintLeft(Text, X - Converter().TextWidth(Text) / 2, Y);
}

void TRvRenderRTF::PrintRight(const std::string& Text, double X, double Y) {
    TRPRenderStream::PrintRight(Text, X, Y);
    if (Text.empty()) return;
    PrintLeft(Text, X - Converter().TextWidth(Text), Y);
}

void TRvRenderRTF::PrintBlock(const std::string& Text, double X, double Y, double Width) {
    TRPConverter& c = Converter();
    std::string s = Text;
    std::int32_t n = CountInnerSpaces(s);
    if (n == 0) n += SpreadLetters(s, FCodePage);
    if (n == 0) n = 1;
    // The width each space of the line is stretched to.
    const double gap = (Width - c.TextWidth(s)) / n + c.TextWidth(" ");
    std::string word;
    TakeFirstWord(s, word);
    double px = X, py = Y;
    PrintLeft(word, X, Y);
    AdvancePosition(px, py, c.TextWidth(word));
    std::string spaces;
    while (!s.empty()) {
        TakeLeadingSpaces(s, spaces);
        if (s.empty()) break;  // trailing spaces print nothing
        word.clear();
        TakeFirstWord(s, word);
        PrintBlockWord(px, py, word, c.TextWidth(word) + static_cast<double>(spaces.size()) * gap);
    }
}

void TRvRenderRTF::PrintBlockWord(double& X, double& Y, const std::string& Word, double Advance) {
    const double w = Converter().TextWidth(Word);
    AdvancePosition(X, Y, Advance - w);
    AdvancePosition(X, Y, w);
    PrintRight(Word, X, Y);
}

}  // namespace tal
