// TalRTF: the RTF engine. Tallow starts it as "TalRTF REPORT.ndr Convert";
// "TalRTF FOLDER View" only browses the folder's documents, and
// "TalRTF -o OUT REPORT.ndr" converts without a dialog.
#include <memory>

#include "front/EngineMain.h"
#include "rtf/RpRenderRTF.h"

namespace {

using tal::front::TImageEncodingChoice;
using tal::front::TImageOutputChoice;

// The renderer's defaults are the engine form's settings; the options change
// them only where given.
std::unique_ptr<tal::TRPRender> MakeRtfRenderer(const tal::front::TEngineOptions& options) {
    auto render = std::make_unique<tal::TRvRenderRTF>();
    if (options.ImageOutput == TImageOutputChoice::HigherQuality) render->ImageOutput = tal::TImageOutput::ioHigherQuality;
    if (options.ImageOutput == TImageOutputChoice::SmallerSize) render->ImageOutput = tal::TImageOutput::ioSmallerSize;
    if (options.ImageEncoding == TImageEncodingChoice::Hex) render->ImageEncoding = tal::TImageEncoding::ieHex;
    if (options.ImageEncoding == TImageEncodingChoice::Binary) render->ImageEncoding = tal::TImageEncoding::ieBinary;
    return render;
}

}  // namespace

int main(int argc, char** argv) {
    return tal::front::EngineMain(tal::front::RtfEngineProfile(), MakeRtfRenderer, argc, argv);
}
