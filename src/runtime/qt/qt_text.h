#pragma once

#include <QString>
#include <string>

namespace quorvel::runtime::qt {

// The program's strings are UTF-8; Qt's are UTF-16.
inline QString toQt(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string fromQt(const QString& text) {
    return text.toStdString();
}

}  // namespace quorvel::runtime::qt
