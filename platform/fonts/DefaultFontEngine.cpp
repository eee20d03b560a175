#include "platform/fonts/FontConfigEngine.h"

namespace tal {

// Built on first use, so a program that never measures text never loads the
// font configuration.
TFontEngine& DefaultFontEngine() {
    static TFontConfigEngine engine;
    return engine;
}

}  // namespace tal
