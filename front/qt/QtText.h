#pragma once
// Conversions between the engine's texts (UTF-8) and Qt's.
#include <QString>
#include <string>

namespace tal::front::qt {

inline QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A label caption with its accelerator underlined, as rich text:
// "View &All" -> "View <u>A</u>ll".
QString LabelWithAccelerator(const std::string& caption);

}  // namespace tal::front::qt
