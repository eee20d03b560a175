// TALPDF: the PDF engine. Tallow starts it as "TALPDF REPORT.ndr Convert";
// "TALPDF FOLDER View" only browses the folder's documents, and
// "TALPDF -o OUT REPORT.ndr" converts without a dialog.
#include <memory>

#include "front/EngineMain.h"
#include "pdf/PdfCompress.h"
#include "pdf/PdfEngineForm.h"
#include "pdf/RpRenderPDF.h"

namespace {

std::unique_ptr<tal::TRPRender> MakePdfRenderer(const tal::front::TEngineOptions& options) {
    auto render = std::make_unique<tal::TRvRenderPDF>();
    tal::ApplyEngineFormSettings(*render);
    if (options.Compress) {
        render->UseCompression = true;
        render->OnCompress = tal::FlateCompress;
    }
    if (options.NoSubset) render->SubsetFonts = false;
    return render;
}

}  // namespace

int main(int argc, char** argv) {
    return tal::front::EngineMain(tal::front::PdfEngineProfile(), MakePdfRenderer, argc, argv);
}
