#pragma once
// What one run of an engine knows: the report to convert, the folder of the
// data set and the document last made. One instance per process, held by
// the main dialog.
#include <string>

namespace tal::front {

struct TEngineState {
    std::string NDRFileName;    // Convert mode: argument 1
    std::string DataSetFolder;  // View mode: argument 1; Convert mode: set by Make
    std::string DocName;        // "*" when the user gave none
    std::string DocPath;        // the document of the last Make, opened by View
    bool NonStandardDPI = false;
};

// The name the name dialog returns when the user gave none.
inline constexpr const char* CancelMarker = "*";

}  // namespace tal::front
