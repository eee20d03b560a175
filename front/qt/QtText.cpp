#include "front/qt/QtText.h"

namespace tal::front::qt {

QString LabelWithAccelerator(const std::string& caption) {
    const QString text = ToQt(caption);
    QString rich;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size()) {
            ++i;
            if (text[i] == QLatin1Char('&'))
                rich += QStringLiteral("&amp;");
            else
                rich += QStringLiteral("<u>") + QString(text[i]).toHtmlEscaped() + QStringLiteral("</u>");
        } else {
            rich += QString(text[i]).toHtmlEscaped();
        }
    }
    return rich;
}

}  // namespace tal::front::qt
