// The Qt dialogs linked into the program (tests, demo programs).
#include "front/QtFront.h"

extern "C" void tal_qt_front_v1(tal::front::TQtFrontCall* call);

namespace tal::front {

TQtFrontEntry FindQtFront(std::string& why) {
    why.clear();
    return &tal_qt_front_v1;
}

}  // namespace tal::front
