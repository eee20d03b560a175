#include "front/demo/DemoRender.h"

namespace tal::front {

TDemoRender::TDemoRender(std::string extension) {
    SetDisplayName("Demo document");
    FileExtension = std::move(extension);
}

void TDemoRender::BeginDocument() {
    FPages = 0;
    WriteLine("DEMO DOCUMENT");
}

void TDemoRender::EndDocument() {
    WriteLineFmt("END %d", {FPages});
    CloseOutput();
}

void TDemoRender::BeginPage() {
    ++FPages;
    WriteLineFmt("PAGE %d", {FPages});
}

void TDemoRender::EndPage() { WriteLine("END PAGE"); }

void TDemoRender::Rectangle(double X1, double Y1, double X2, double Y2) {
    WriteLineFmt("RECT %.2f %.2f %.2f %.2f", {X1, Y1, X2, Y2});
}

void TDemoRender::Ellipse(double X1, double Y1, double X2, double Y2) {
    WriteLineFmt("ELLIPSE %.2f %.2f %.2f %.2f", {X1, Y1, X2, Y2});
}

}  // namespace tal::front
