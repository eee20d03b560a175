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

std::int32_t SubtractOne(std::int32_t value) {
    return value == std::numeric_limits<std::int32_t>::min() ? value : value - 1;
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
    WriteRTF("\r\n{\\*\\do\\dolock\\dobxpage\\dobypage");
    WriteKeyword("\\dodhgt", NextDrawOrder());
}

std::int64_t TRvRenderRTF::NextDrawOrder() {
    // Readers stack objects by these numbers, not by their order in the
    // document: without one, a text would sink below a shape drawn before it.
    return FGroupOrder > 0 ? FGroupOrder : ++FDrawOrder;
}

std::string TRvRenderRTF::DrawObjectOrder() { return rtf::Keyword("\\dodhgt", NextDrawOrder()); }

void TRvRenderRTF::WriteObjectBox(double X1, double Y1, double X2, double Y2) {
    WriteTwips("\\dpx", X1 < X2 ? X1 : X2);
    WriteTwips("\\dpy", Y1 < Y2 ? Y1 : Y2);
    WriteTwips("\\dpxsize", std::abs(X1 - X2));
    WriteTwips("\\dpysize", std::abs(Y1 - Y2));
}

void TRvRenderRTF::WriteFontAttributes() {
    const TRPConverter& c = Converter();
    const TFont& font = c.Font;
    WriteKeyword("\\f", FontIndex());
    WriteKeyword("\\fs", 2 * static_cast<std::int64_t>(font.Size()));
    WriteRTF(font.HasStyle(fsBold) ? "\\b" : "\\b0");
    WriteRTF(font.HasStyle(fsItalic) ? "\\i" : "\\i0");
    WriteRTF(font.HasStyle(fsUnderline) ? "\\ul" : "\\ul0");
    WriteRTF(font.HasStyle(fsStrikeOut) ? "\\strike" : "\\strike0");
    WriteRTF(c.FFlagP ? "\\super" : c.FFlagS ? "\\sub" : "\\nosupersub");
}

void TRvRenderRTF::WriteTextColors() {
    const TRPConverter& c = Converter();
    // The font colour is numbered first: it fixes the order of the table.
    const std::int32_t foreground = ColorIndex(c.Font.Color());
    WriteKeyword("\\cf", foreground);
    WriteKeyword("\\cb", ColorIndex(c.Brush.Color()));
    WriteRTF(" ");
}

void TRvRenderRTF::WriteEscapedText(std::string_view Text) {
    const TCodePage codePage = CodePageOfCharset(Converter().Font.Charset());
    if (IsDoubleByteCodePage(codePage)) {
        WriteRTF(rtf::EscapedDoubleByteText(Text, codePage));
        return;
    }
    // Runs without a special character go out whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c != '\\' && c != '{' && c != '}') continue;
        WriteRTF(Text.substr(run, i - run));
        WriteRTF("\\");
        run = i;  // the special character opens the next run
    }
    WriteRTF(Text.substr(run));
}

void TRvRenderRTF::WriteTextContent(const std::string& Text, TTextAnchor Anchor) {
    const std::int32_t font = FontIndex();
    const std::int64_t halfPoints = 2 * static_cast<std::int64_t>(Converter().Font.Size());
    WriteKeyword("{\\f", font);
    WriteKeyword("\\fs", halfPoints);
    WriteRTF(" ");
    // A box wider than its text keeps the text at the side of its anchor.
    if (Anchor == TTextAnchor::Centre) WriteRTF("\\qc");
    else if (Anchor == TTextAnchor::Right) WriteRTF("\\qr");
    WriteFontAttributes();
    WriteTextColors();
    WriteEscapedText(Text);
    WriteRTF("\\par}");
}

void TRvRenderRTF::WriteTextBox(const TRect& Rect, const std::string& Text, TTextAnchor Anchor) {
    Converter();
    BeginDrawObject();
    WriteRTF("\\dptxbx\\dptxbxmar0{\\dptxbxtext ");
    WriteTextContent(Text, Anchor);
    WriteRTF("}");
    WriteObjectBox(Rect.Left / 72.0, Rect.Top / 72.0, Rect.Right / 72.0, Rect.Bottom / 72.0);
    WriteRTF(
        "\\dplinehollow\\dplinecor0\\dplinecog0\\dplinecob0\\dplinew1"
        "\\dpfillfgcr255\\dpfillfgcg255\\dpfillfgcb255"
        "\\dpfillbgcr255\\dpfillbgcg255\\dpfillbgcb255\\dpfillpat0}");
}

void TRvRenderRTF::TextRect(const TRect& Rect, double X, double Y, const std::string& Text) {
    const double h = Converter().Font.Size() / 72.0;
    // One line on the text's baseline, ending where the rectangle ends: what
    // does not fit wraps into a second line, which the box hides whole.
    TRect box;
    box.Left = RoundToInt32(72 * X);
    box.Top = RoundToInt32(72 * (Y - h));
    box.Right = std::max(box.Left, Rect.Right);
    box.Bottom = RoundToInt32(72 * (Y + 0.25 * h));
    WriteTextBox(box, Text, TTextAnchor::Left);
}

void TRvRenderRTF::PlaceText(const std::string& Text, double X, double Y, TTextAnchor Anchor) {
    TRPConverter& c = Converter();
    const double h = c.Font.Size() / 72.0;
    const double w = c.TextWidth(Text);
    // The start of the baseline, back along the (turned) baseline from the anchor.
    double xs = X, ys = Y;
    const double along = Anchor == TTextAnchor::Left ? 0.0 : Anchor == TTextAnchor::Centre ? w / 2 : w;
    if (along != 0) AdvancePosition(xs, ys, -along);
    const int rotation = ((c.FRotation % 360) + 360) % 360;
    if (rotation == 90 || rotation == 270) {
        RotatedTextFrame(Text, xs, ys, w, Anchor, rotation);
        return;
    }
    if (rotation != 0) {
        if (!Text.empty()) ObliqueText(Text, xs, ys, w, rotation);
        return;
    }
    // From one font size above the baseline to a quarter of it below, with
    // room to spare on the side away from the anchor, since readers lay a
    // text out a few percent wider than it measures here.
    // The room stays on the page: readers push a box that reaches beyond
    // the paper back onto it, and its text with it.
    const double slack = TextWidthSlack * w, point = 1.0 / 72;
    const double paper = PagePaper().first / 1440.0;
    const double roomRight = std::max(0.0, paper - (xs + w)), roomLeft = std::max(0.0, xs);
    TRect box;
    box.Top = RoundToInt32(72 * (ys - h));
    box.Bottom = RoundToInt32(72 * (ys + (1.25 * h - h)));
    switch (Anchor) {
        case TTextAnchor::Left:
            box.Left = RoundToInt32(72 * xs);
            box.Right = slack + point <= roomRight ? AddOne(RoundToInt32(72 * (xs + w + slack)))
                                                   : std::max(AddOne(RoundToInt32(72 * (xs + w))),
                                                              RoundToInt32(72 * (xs + w + roomRight)));
            break;
        case TTextAnchor::Centre:
            // Both sides alike, so the text stays centred on its anchor.
            if (slack / 2 + point <= std::min(roomLeft, roomRight)) {
                box.Left = SubtractOne(RoundToInt32(72 * (xs - slack / 2)));
                box.Right = AddOne(RoundToInt32(72 * (xs + w + slack / 2)));
            } else {
                const double half = std::min(roomLeft, roomRight);
                box.Left = RoundToInt32(72 * (xs - half));
                box.Right = RoundToInt32(72 * (xs + w + half));
            }
            break;
        case TTextAnchor::Right:
            box.Left = slack + point <= roomLeft ? SubtractOne(RoundToInt32(72 * (xs - slack)))
                                                 : std::min(RoundToInt32(72 * xs), RoundToInt32(72 * (xs - roomLeft)));
            box.Right = RoundToInt32(72 * (xs + w));
            break;
    }
    WriteTextBox(box, Text, Anchor);
}

void TRvRenderRTF::PrintLeft(const std::string& Text, double X, double Y) { PlaceText(Text, X, Y, TTextAnchor::Left); }

void TRvRenderRTF::PrintCenter(const std::string& Text, double X, double Y) {
    TRPRenderStream::PrintCenter(Text, X, Y);
    if (Text.empty()) return;
    PlaceText(Text, X, Y, TTextAnchor::Centre);
}

void TRvRenderRTF::PrintRight(const std::string& Text, double X, double Y) {
    TRPRenderStream::PrintRight(Text, X, Y);
    if (Text.empty()) return;
    PlaceText(Text, X, Y, TTextAnchor::Right);
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
