// SPDX-License-Identifier: MIT
#include "runtime/qt/common/qt_icons.h"

#include <QApplication>
#include <QDir>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <limits>
#include <map>
#include <vector>

namespace quorvel::runtime::qt {

namespace {

constexpr int kLargestWindowIcon = 128;

// The pictures rendered at build time, ":/icons/<N>.argb": N×N premultiplied ARGB words as Qt
// holds them in memory. A size is inflated the first time something shows it, and no image
// reader is made: its first use would scan every image format plugin.
class RenderedPictures {
  public:
    RenderedPictures() {
        for (const QString& name : QDir(QStringLiteral(":/icons")).entryList(QDir::Files)) {
            bool number = false;
            const int size = name.section(QLatin1Char('.'), 0, 0).toInt(&number);
            if (number && size > 0) {
                sizes_.push_back(size);
            }
        }
        std::sort(sizes_.begin(), sizes_.end());
    }

    const std::vector<int>& sizes() const { return sizes_; }

    QPixmap picture(int size) {
        QPixmap& picture = decoded_[size];
        if (picture.isNull()) {
            const QByteArray pixels =
                QResource(QStringLiteral(":/icons/%1.argb").arg(size)).uncompressedData();
            if (pixels.size() == qsizetype(size) * size * 4) {
                // Copied: the pixmap may share the image's pixels, which die with `pixels`.
                picture = QPixmap::fromImage(
                    QImage(reinterpret_cast<const uchar*>(pixels.constData()), size, size, size * 4,
                           QImage::Format_ARGB32_Premultiplied)
                        .copy());
            }
        }
        return picture;
    }

  private:
    std::vector<int> sizes_;
    std::map<int, QPixmap> decoded_;
};

// Read once and never destroyed, so that no pixmap outlives the application.
RenderedPictures& renderedPictures() {
    static auto* const pictures = new RenderedPictures;
    return *pictures;
}

// The program's icon up to a largest size, each size read from the pictures when asked for.
class ProgramIconEngine final : public QIconEngine {
  public:
    ProgramIconEngine(RenderedPictures& pictures, int largest)
        : pictures_(pictures), largest_(largest) {}

    QIconEngine* clone() const override { return new ProgramIconEngine(pictures_, largest_); }
    QString key() const override { return QStringLiteral("quorvel"); }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : pictures_.sizes()) {
            if (size <= largest_) {
                sizes << QSize(size, size);
            }
        }
        return sizes;
    }

    // As for pictures added to a QIcon: the rendered size that fits, never scaled up.
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(std::min(size.width(), size.height()), renderedFor(size));
        return side > 0 ? QSize(side, side) : QSize();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QSize wanted = actualSize(size, mode, state);
        if (wanted.isEmpty()) {
            return {};
        }
        QPixmap picture = pictures_.picture(renderedFor(size));
        if (!picture.isNull() && wanted != picture.size()) {
            picture = picture.scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        if (mode != QIcon::Normal && !picture.isNull() && QApplication::style() != nullptr) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

  private:
    // The smallest rendered size that covers the smaller side asked for, else the largest.
    int renderedFor(const QSize& size) const {
        const int side = std::min(size.width(), size.height());
        int chosen = 0;
        for (const int rendered : pictures_.sizes()) {
            if (rendered > largest_) {
                break;
            }
            chosen = rendered;
            if (rendered >= side) {
                break;
            }
        }
        return chosen;
    }

    RenderedPictures& pictures_;
    int largest_;
};

}  // namespace

QIcon programIcon() {
    static const auto* const icon =
        new QIcon(new ProgramIconEngine(renderedPictures(), std::numeric_limits<int>::max()));
    return *icon;
}

QIcon programWindowIcon() {
    static const auto* const icon =
        new QIcon(new ProgramIconEngine(renderedPictures(), kLargestWindowIcon));
    return *icon;
}

QIcon iconFor(IconHandle handle) {
    return handle == kProgramIcon ? programIcon() : QIcon();
}

QImage iconImage(const QIcon& icon, int size, QImage::Format format) {
    return icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(format);
}

}  // namespace quorvel::runtime::qt
