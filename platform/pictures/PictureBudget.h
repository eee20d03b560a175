#pragma once
// The work one picture may cost while it is drawn. Every drawing operation
// of a metafile charges the pixels it touches (its area inside the clip, the
// pixels of each bitmap it decodes), and pattern brushes the pixels of their
// tiles; a picture that goes past either limit is stopped with
// EPictureBudget, so that a few hundred bytes of records cannot keep the
// engine busy for minutes or hold gigabytes.
#include <cstdint>
#include <string>

#include "platform/Exception.h"

namespace tal::pictures {

// A picture stopped for costing more than its budget; the message names the
// picture kind and the limit.
class EPictureBudget : public EOutOfResources {
public:
    using EOutOfResources::EOutOfResources;
};

class TPictureBudget {
public:
    // Ten times the pixels of the largest raster a picture may be drawn into:
    // a real drawing covers its area a few times over, not thousands.
    static constexpr std::int64_t MaxPixelOperations = 1'000'000'000;
    // Pixels of all pattern-brush tiles a picture creates (64 MB as cairo
    // surfaces); real pattern brushes are tiles of 8 x 8 to a few hundred
    // pixels a side.
    static constexpr std::int64_t MaxPatternPixels = 16'000'000;

    // shared, when given, is charged every operation as well: the budget of
    // all pictures of a report.
    explicit TPictureBudget(std::string kind, std::int64_t pixelOperations = MaxPixelOperations,
                            std::int64_t patternPixels = MaxPatternPixels, TPictureBudget* shared = nullptr)
        : FKind(std::move(kind)), FOperationsLeft(pixelOperations), FPatternPixelsLeft(patternPixels),
          FOperationLimit(pixelOperations), FPatternLimit(patternPixels), FShared(shared) {}
    // The budget of all metafile pictures of one report: its message names
    // the report, not one picture.
    static TPictureBudget ForReport(std::int64_t pixelOperations);

    // Charges an operation of pixels (negative, NaN or absurd values count
    // as the whole budget); raises EPictureBudget once the budget is spent.
    void Charge(double pixels);
    // Charges a pattern tile of width x height pixels before it is decoded.
    void ChargePattern(std::int64_t width, std::int64_t height);

    std::int64_t Used() const { return FOperationLimit - FOperationsLeft; }

private:
    std::string FKind;
    std::int64_t FOperationsLeft;
    std::int64_t FPatternPixelsLeft;
    std::int64_t FOperationLimit;
    std::int64_t FPatternLimit;
    TPictureBudget* FShared = nullptr;
    bool FWholeReport = false;
};

}  // namespace tal::pictures
