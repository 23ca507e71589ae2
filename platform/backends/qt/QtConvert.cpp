#include "platform/backends/qt/QtConvert.h"

#include <algorithm>
#include <cstring>

namespace veskel::qt {

QImage ToQImage(const Bitmap& bitmap) { return ToQImage(bitmap, bitmap.Bounds()); }

QImage ToQImage(const Bitmap& bitmap, const Rect& area) {
    const Rect r = area.Intersect(bitmap.Bounds());
    if (r.IsEmpty()) return {};
    QImage image(r.Width(), r.Height(), QImage::Format_BGR888);
    const std::size_t rowBytes = std::size_t(r.Width()) * 3;
    for (int y = 0; y < r.Height(); ++y)
        std::memcpy(image.scanLine(y), bitmap.Row(r.top + y) + std::size_t(r.left) * 3, rowBytes);
    return image;
}

QImage ToQImage(const Picture& picture) {
    if (picture.IsEmpty()) return {};
    if (!picture.HasAlpha()) return ToQImage(picture.color);
    QImage image(picture.Width(), picture.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* src = picture.color.Row(y);
        const std::uint8_t* alpha = picture.AlphaRow(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x)
            dst[x] = qRgba(src[3 * x + 2], src[3 * x + 1], src[3 * x], alpha[x]);
    }
    return image;
}

Bitmap ToBitmap(const QImage& image) {
    if (image.isNull()) return {};
    const QImage bgr = image.format() == QImage::Format_BGR888 ? image : image.convertToFormat(QImage::Format_BGR888);
    Bitmap bitmap(bgr.width(), bgr.height());
    for (int y = 0; y < bgr.height(); ++y) std::memcpy(bitmap.Row(y), bgr.constScanLine(y), bitmap.RowBytes());
    return bitmap;
}

Picture ToPicture(const QImage& image) {
    if (image.isNull()) return {};
    if (!image.hasAlphaChannel()) return Picture(ToBitmap(image));
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    Picture picture{Bitmap(argb.width(), argb.height())};
    picture.EnsureAlpha(255);
    bool transparent = false;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* dst = picture.color.Row(y);
        std::uint8_t* alpha = picture.AlphaRow(y);
        for (int x = 0; x < argb.width(); ++x) {
            dst[3 * x] = std::uint8_t(qBlue(src[x]));
            dst[3 * x + 1] = std::uint8_t(qGreen(src[x]));
            dst[3 * x + 2] = std::uint8_t(qRed(src[x]));
            alpha[x] = std::uint8_t(qAlpha(src[x]));
            transparent |= alpha[x] != 255;
        }
    }
    if (transparent) picture.hasTransparency = true;
    else picture.DropAlpha();
    return picture;
}

QStringList ToQtNameFilters(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : f.patterns) {
            const QString trimmed = ToQString(p).trimmed();
            if (!trimmed.isEmpty()) patterns << trimmed;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        const QString list = patterns.join(u' ');
        QString description = ToQString(f.description).trimmed();
        if (description.endsWith(QStringLiteral("(") + list + QStringLiteral(")"))) {
            out << description;
        } else {
            // QFileDialog reads the patterns from the last parenthesis of the entry.
            out << (description.isEmpty() ? QStringLiteral("(") + list + QStringLiteral(")")
                                          : description + QStringLiteral(" (") + list + QStringLiteral(")"));
        }
    }
    return out;
}

int FilterIndexOf(const QStringList& nameFilters, const QString& chosen, int fallback) {
    const qsizetype i = nameFilters.indexOf(chosen);
    return i < 0 ? fallback : int(i) + 1;
}

}  // namespace veskel::qt
