#pragma once
// A stand-in for the document writers: a renderer that writes one text line
// per document, page and shape it is handed. The demo programs and the
// front-end tests convert real report files with it.
#include <string>

#include "render/RpRender.h"

namespace tal::front {

class TDemoRender final : public TRPRenderStream {
public:
    explicit TDemoRender(std::string extension = "*.pdf");

    void BeginDocument() override;
    void EndDocument() override;
    void BeginPage() override;
    void EndPage() override;
    void Rectangle(double X1, double Y1, double X2, double Y2) override;
    void Ellipse(double X1, double Y1, double X2, double Y2) override;

    int Pages() const { return FPages; }

private:
    int FPages = 0;
};

}  // namespace tal::front
