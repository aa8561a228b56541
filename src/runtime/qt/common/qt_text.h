// SPDX-License-Identifier: MIT
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

// A caption cut to a length a menu can lay out quickly; the text itself stays as it is.
inline QString shortenedCaption(const std::string& text, qsizetype maxLength = 200) {
    QString caption = toQt(text);
    if (caption.size() <= maxLength) {
        return caption;
    }
    qsizetype cut = maxLength - 1;
    if (caption.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return caption.left(cut) + QChar(0x2026);
}

}  // namespace quorvel::runtime::qt
