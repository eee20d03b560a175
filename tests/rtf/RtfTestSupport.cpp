#include "tests/rtf/RtfTestSupport.h"

#include <cstdlib>

namespace tal::testing {

namespace {

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TRtfConversion ConvertToRtf(const std::vector<std::uint8_t>& report, const std::function<void(TRvRenderRTF&)>& setup) {
    THalfEmEngine engine;
    TRvRenderRTF render;
    render.FTextMeasure = &engine;
    render.Clock = [] { return TDateTime {2026, 3, 4, 13, 5, 9, 0}; };
    if (setup) setup(render);
    TMemoryStream output;
    TMemoryStream input(report);
    TRtfConversion result;
    render.SetOutputStream(&output);
    render.FInputStream = &input;
    try {
        render.ConvertPages(0);
    } catch (const std::exception& error) {
        result.Error = error.what();
    }
    result.Rtf = Text(output.Bytes());
    return result;
}

TRtfOperations::TRtfOperations() {
    Report = std::make_unique<TMemoryStream>(OnePage([](ndrwriter::TNdrWriter&) {}));
    Converter = std::make_unique<TRPConverter>(*Report, Render);
    Converter->SetTextMeasure(Engine);
    Converter->Font.SetName("Arial");
    Converter->Font.SetSize(12);
    Converter->Font.SetColor(clBlack);
    Render.FConverter = Converter.get();
    Render.SetOutputStream(&Output);
    Render.BeginDocument();
}

TRtfOperations::~TRtfOperations() { Render.FConverter = nullptr; }

std::string TRtfOperations::Body() const { return Render.FBodyBuffer ? Render.FBodyBuffer->Text() : ""; }

std::string TRtfOperations::Finish() {
    Render.EndDocument();
    return Text(Output.Bytes());
}

bool BracesBalanced(const std::string& rtf) {
    long depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '\\') {
            if (rtf.compare(i, 4, "\\bin") == 0) {
                std::size_t j = i + 4;
                std::size_t count = 0;
                while (j < rtf.size() && rtf[j] >= '0' && rtf[j] <= '9') count = count * 10 + (rtf[j++] - '0');
                if (j < rtf.size() && rtf[j] == ' ') ++j;
                i = j + count - 1;
            } else {
                ++i;  // the escaped character, or the first letter of a keyword
            }
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth < 0) return false;
        }
    }
    return depth == 0;
}

std::vector<std::uint8_t> OnePage(const std::function<void(ndrwriter::TNdrWriter&)>& draw) {
    ndrwriter::TNdrWriter w;
    w.BeginPage(1);
    w.SetFont({});
    draw(w);
    w.EndPage();
    return w.Finish();
}

std::string Hex(const std::uint8_t* data, std::size_t size) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

}  // namespace tal::testing
