#include "front/qt/QtEngine.h"

#include <QApplication>

#include "front/qt/QtMainDialog.h"
#include "front/qt/QtPictures.h"
#include "front/qt/QtText.h"

namespace tal::front {

void qt::PrepareApplication(const TEngineProfile& profile) {
    QApplication::setApplicationName(ToQt(profile.Deliverable));
    QApplication::setApplicationDisplayName(ToQt(profile.ApplicationTitle));
    QApplication::setDesktopFileName(ToQt(profile.DesktopName));
    QApplication::setWindowIcon(EngineIcon(profile));
}

int RunQtEngine(const TEngineProfile& profile, TRPRender& renderer, TShell& shell,
                const std::vector<std::string>& arguments) {
    // QApplication keeps references to these for its lifetime.
    std::string program = profile.Deliverable;
    int argc = 1;
    char* argv[] = {program.data(), nullptr};
    QApplication application(argc, argv);
    qt::PrepareApplication(profile);
    qt::TQtMainDialog dialog(profile, renderer, shell, arguments);
    dialog.exec();
    return 0;
}

}  // namespace tal::front
