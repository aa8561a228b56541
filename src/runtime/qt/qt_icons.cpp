#include "runtime/qt/qt_icons.h"

#include <QDir>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>
#include <limits>
#include <vector>

namespace quorvel::runtime::qt {

namespace {

constexpr int kLargestWindowIcon = 128;

// The resource folders ":/icons/<N>x<N>/apps/quorvel.png", one per rendered size, read once.
// Never destroyed, so that no pixmap outlives the application.
const std::vector<QPixmap>& renderedSizes() {
    static const auto* const pixmaps = [] {
        auto* loaded = new std::vector<QPixmap>;
        const QDir folder(QStringLiteral(":/icons"));
        for (const QString& size : folder.entryList(QDir::Dirs)) {
            // The format named and no guessing: probing would load every image format plugin.
            QImageReader reader(folder.filePath(size + QStringLiteral("/apps/quorvel.png")), "png");
            reader.setAutoDetectImageFormat(false);
            const QImage image = reader.read();
            if (!image.isNull()) {
                loaded->push_back(QPixmap::fromImage(image));
            }
        }
        std::sort(loaded->begin(), loaded->end(),
                  [](const QPixmap& a, const QPixmap& b) { return a.width() < b.width(); });
        return loaded;
    }();
    return *pixmaps;
}

QIcon iconUpTo(int largest) {
    QIcon icon;
    for (const QPixmap& pixmap : renderedSizes()) {
        if (pixmap.width() <= largest) {
            icon.addPixmap(pixmap);
        }
    }
    return icon;
}

}  // namespace

QIcon programIcon() {
    static const auto* const icon = new QIcon(iconUpTo(std::numeric_limits<int>::max()));
    return *icon;
}

QIcon programWindowIcon() {
    static const auto* const icon = new QIcon(iconUpTo(kLargestWindowIcon));
    return *icon;
}

QIcon iconFor(IconHandle handle) {
    return handle == kProgramIcon ? programIcon() : QIcon();
}

}  // namespace quorvel::runtime::qt
