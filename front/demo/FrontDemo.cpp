// A front end with the demo renderer in place of a document writer, for
// trying the dialogs and for the tests that drive a whole program.
#include <memory>

#include "front/EngineMain.h"
#include "front/demo/DemoRender.h"

int main(int argc, char** argv) {
#ifdef TAL_DEMO_RTF
    const auto& profile = tal::front::RtfEngineProfile();
    const char* extension = "*.rtf";
#else
    const auto& profile = tal::front::PdfEngineProfile();
    const char* extension = "*.pdf";
#endif
    auto makeRenderer = [extension](const tal::front::TEngineOptions&) -> std::unique_ptr<tal::TRPRender> {
        return std::make_unique<tal::front::TDemoRender>(extension);
    };
    return tal::front::EngineMain(profile, makeRenderer, argc, argv);
}
