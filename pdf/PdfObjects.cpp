#include "pdf/PdfObjects.h"

#include <string>

#include "pdf/PdfFormat.h"
#include "pdf/RpRenderPDF.h"

namespace tal {

namespace {

TRvRenderPDF& AsRenderPDF(TRpComponent& owner) {
    auto* render = dynamic_cast<TRvRenderPDF*>(&owner);
    if (!render) throw EInvalidCast();
    return *render;
}

}  // namespace

TRPPDFObject::TRPPDFObject(TRpComponent& RenderPDF)
    : FRenderPDF(AsRenderPDF(RenderPDF)), FObjectBuffer(std::make_unique<TMemoryStream>()) {}

TRPPDFObject::~TRPPDFObject() = default;

void TRPPDFObject::BeginObject() {
    FObjectBuffer->Clear();
    FRenderPDF.FActiveStream = FObjectBuffer.get();
    FRenderPDF.WriteLineFmt("%d 0 obj", {FObjectNumber});
}

void TRPPDFObject::EndObject() {
    FRenderPDF.WriteLine("endobj");
    FRenderPDF.WriteLine("");
    FObjectBuffer->SetPosition(0);
}

void TRPPDFObject::EndStreamObject(const std::vector<std::uint8_t>& Data, const std::string& Filter) {
    FRenderPDF.WriteLineFmt("/Length %d", {static_cast<long long>(Data.size())});
    if (!Filter.empty()) FRenderPDF.WriteLine("/Filter [/" + Filter + "]");
    FRenderPDF.WriteLine(">>");
    FRenderPDF.WriteLine("stream");
    FObjectBuffer->Write(Data.data(), Data.size());
    FRenderPDF.WriteLine("endstream");
    EndObject();
}

void TRPPDFCatalog::WriteObject() {
    BeginObject();
    FRenderPDF.WriteLine("<<");
    FRenderPDF.WriteLine("/Type /Catalog");
    FRenderPDF.WriteLineFmt("/Outlines %d 0 R", {FRenderPDF.FOutlines->ObjectNumber()});
    FRenderPDF.WriteLineFmt("/Pages %d 0 R", {FRenderPDF.FPages->ObjectNumber()});
    FRenderPDF.WriteLine(">>");
    EndObject();
}

void TRPPDFOutlines::WriteObject() {
    BeginObject();
    FRenderPDF.WriteLine("<<");
    FRenderPDF.WriteLine("/Type /Outlines");
    FRenderPDF.WriteLineFmt("/Count %d", {0});
    FRenderPDF.WriteLine(">>");
    EndObject();
}

void TRPPDFPages::WriteObject() {
    std::string kids;
    for (const auto& [key, page] : FRenderPDF.FPageList) kids += pdf::FormatPDF("%d 0 R ", {page->ObjectNumber()});
    if (!kids.empty()) kids.pop_back();
    BeginObject();
    FRenderPDF.WriteLine("<<");
    FRenderPDF.WriteLine("/Type /Pages");
    FRenderPDF.WriteLineFmt("/Count %d", {FRenderPDF.FPageList.Count()});
    FRenderPDF.WriteLineFmt("/Kids [ %s ] ", {kids});
    FRenderPDF.WriteLine(">>");
    EndObject();
}

void TRPPDFProcSet::WriteObject() {
    BeginObject();
    FRenderPDF.WriteLine(FRenderPDF.FImageList.Empty() ? "[/PDF /Text]" : "[/PDF /Text /ImageB /ImageC /ImageI]");
    EndObject();
}

}  // namespace tal
