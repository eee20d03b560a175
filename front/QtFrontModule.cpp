// The programs' way to the Qt dialogs: the module beside the program (the
// build tree) or in the project's library folder (an installed program),
// loaded when a dialog is first to be shown.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "front/QtFront.h"
#include "front/QtFrontModule.h"

namespace tal::front {

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
    const std::string program(path, static_cast<std::size_t>(length));
    const auto slash = program.rfind('/');
    return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

TQtFrontEntry LoadQtFrontModule(const std::string& path, std::string& why) {
    // The module stays loaded once loaded (RTLD_NODELETE): Qt and the
    // libraries under it are not made to be unloaded, and the dialogs may
    // run more than once in a test. The handle itself needs no closing.
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!module) {
        const char* error = ::dlerror();
        why = "The Qt dialogs cannot be loaded (" + std::string(error ? error : path) +
              "); using the terminal dialogs.";
        return nullptr;
    }
    void* entry = ::dlsym(module, QtFrontEntryName);
    if (!entry) {
        why = "The Qt dialogs in " + path + " are of another kind; using the terminal dialogs.";
        return nullptr;
    }
    why.clear();
    return reinterpret_cast<TQtFrontEntry>(entry);
}

TQtFrontEntry FindQtFront(std::string& why) {
    const std::string folder = ProgramFolder();
    std::string path = folder + "/" + QtFrontModuleFile;
    if (::access(path.c_str(), F_OK) != 0) path = folder + "/" TAL_INSTALLED_MODULE_DIR "/" + QtFrontModuleFile;
    return LoadQtFrontModule(path, why);
}

}  // namespace tal::front
