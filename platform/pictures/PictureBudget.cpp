#include "platform/pictures/PictureBudget.h"

#include <cmath>
#include <limits>

namespace tal::pictures {

TPictureBudget TPictureBudget::ForReport(std::int64_t pixelOperations) {
    TPictureBudget budget("Metafiles", pixelOperations, std::numeric_limits<std::int64_t>::max());
    budget.FWholeReport = true;
    return budget;
}

void TPictureBudget::Charge(double pixels) {
    if (!(pixels >= 0)) pixels = static_cast<double>(FOperationLimit) + 1;
    if (pixels > static_cast<double>(FOperationsLeft)) {
        FOperationsLeft = 0;
        if (FWholeReport)
            throw EPictureBudget(FKind + ": the report's pictures need more than " + std::to_string(FOperationLimit) +
                                 " pixel operations, the limit for a report of its size; the conversion was stopped");
        throw EPictureBudget(FKind + ": the picture needs more than " + std::to_string(FOperationLimit) +
                             " pixel operations, the limit for one picture; it was stopped");
    }
    FOperationsLeft -= static_cast<std::int64_t>(std::ceil(pixels));
    if (FShared) FShared->Charge(pixels);
}

void TPictureBudget::ChargePattern(std::int64_t width, std::int64_t height) {
    const std::int64_t pixels = width > 0 && height > 0 && height <= FPatternLimit / width ? width * height : -1;
    if (pixels < 0 || pixels > FPatternPixelsLeft) {
        FPatternPixelsLeft = 0;
        throw EPictureBudget(FKind + ": the picture's pattern brushes need more than " +
                             std::to_string(FPatternLimit) + " pixels, the limit for one picture; it was stopped");
    }
    FPatternPixelsLeft -= pixels;
    Charge(static_cast<double>(pixels));
}

}  // namespace tal::pictures
