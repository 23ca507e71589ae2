#pragma once
// Conversions between our image and text types and Qt's, and dialog filters in Qt's form. Pure functions: no window, no event loop.
#include <QImage>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Picture.h"
#include "platform/ui/Backend.h"

namespace veskel::qt {

// A deep copy of a 24-bit bitmap (byte order blue, green, red) as an opaque QImage.
QImage ToQImage(const Bitmap& bitmap);
// The `area` of a bitmap (clipped to it) as a QImage of that size.
QImage ToQImage(const Bitmap& bitmap, const Rect& area);
// A picture with its alpha plane (straight alpha) as ARGB32; without alpha as an opaque image.
QImage ToQImage(const Picture& picture);
// Any QImage as a 24-bit bitmap; alpha is dropped (composited over nothing: colour bytes kept).
Bitmap ToBitmap(const QImage& image);
// Any QImage as a picture: an alpha plane (straight alpha) only when some pixel is not opaque.
Picture ToPicture(const QImage& image);

inline QString ToQString(std::string_view utf8) { return QString::fromUtf8(utf8.data(), qsizetype(utf8.size())); }
inline std::string ToStdString(const QString& text) { return text.toUtf8().toStdString(); }

// The name filters QFileDialog shows, one per entry: "Description (*.a *.b)". A description
// that already ends with its own pattern list in parentheses is taken as it is.
QStringList ToQtNameFilters(const std::vector<FileFilter>& filters);

// The 1-based index of `chosen` in `nameFilters`, or `fallback` when it is not among them.
int FilterIndexOf(const QStringList& nameFilters, const QString& chosen, int fallback);

}  // namespace veskel::qt
