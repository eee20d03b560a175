// make_icons FOLDER: writes the engines' icons into FOLDER as the icon
// theme lays them out (hicolor/SIZExSIZE/apps/talpdf.png, ...), for
// installation. The icons are the ones the windows draw for themselves.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "front/EngineProfile.h"
#include "front/qt/QtPictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_icons FOLDER\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const auto* profile : {&tal::front::PdfEngineProfile(), &tal::front::RtfEngineProfile()}) {
        for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
            const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(root).arg(size);
            const QString file = folder + QLatin1Char('/') + QString::fromStdString(profile->DesktopName) +
                                 QStringLiteral(".png");
            if (!QDir().mkpath(folder) || !tal::front::qt::EngineIconImage(profile->Kind, size).save(file, "PNG")) {
                std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
