// A build without the Qt dialogs: the terminal dialogs serve everywhere.
#include "front/QtFront.h"

namespace tal::front {

TQtFrontEntry FindQtFront(std::string& why) {
    why.clear();
    return nullptr;
}

}  // namespace tal::front
