#include "pdf/PdfImageMask.h"

#include "pdf/RpRenderPDF.h"

namespace tal {

TRPPDFImageMask::TRPPDFImageMask(TRpComponent& RenderPDF, std::int32_t Width, std::int32_t Height, TJpegBytes Bits)
    : TRPPDFObject(RenderPDF), FWidth(Width), FHeight(Height), FBits(std::move(Bits)) {}

void TRPPDFImageMask::WriteObject() {
    static const std::vector<std::uint8_t> none;
    const std::vector<std::uint8_t>& bits = FBits ? *FBits : none;
    BeginObject();
    TRvRenderPDF& r = FRenderPDF;
    r.WriteLine("<<");
    r.WriteLine("/Type /XObject");
    r.WriteLine("/Subtype /Image");
    r.WriteLineFmt("/Width %d /Height %d ", {FWidth, FHeight});
    r.WriteLine("/ImageMask true /BitsPerComponent 1");
    r.WriteLineFmt("/Length %d /Filter [/RunLengthDecode ]", {static_cast<long long>(bits.size())});
    r.WriteLine(">>");
    r.WriteLine("stream");
    FObjectBuffer->Write(bits.data(), bits.size());
    r.WriteLine("endstream");
    EndObject();
    FBits.reset();
}

namespace pdf {

// A run of three equal bytes or more is written as one repeat; everything
// else as literal stretches of at most 128 bytes.
std::vector<std::uint8_t> RunLengthEncode(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() / 8 + 16);
    const std::size_t n = bytes.size();
    std::size_t i = 0, literal = 0;  // literal: start of the pending literal stretch
    auto flushLiteral = [&](std::size_t end) {
        while (literal < end) {
            const std::size_t count = std::min<std::size_t>(128, end - literal);
            out.push_back(static_cast<std::uint8_t>(count - 1));
            out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(literal),
                       bytes.begin() + static_cast<std::ptrdiff_t>(literal + count));
            literal += count;
        }
    };
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && bytes[i + run] == bytes[i]) ++run;
        if (run >= 3) {
            flushLiteral(i);
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(bytes[i]);
            i += run;
            literal = i;
        } else {
            i += run;
        }
    }
    flushLiteral(n);
    out.push_back(128);
    return out;
}

}  // namespace pdf

}  // namespace tal
