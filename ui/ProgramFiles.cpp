#include "ProgramFiles.h"

#include "files/OpenFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QRegularExpression>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

#include <sys/stat.h>

namespace Quorvane {

namespace {

// A cursor file's directory: reserved (0), type (2 for cursors), count, then one entry per
// image whose bytes 4 to 7 hold the hot spot's x and y.
constexpr qsizetype kCursorHeaderSize = 6 + 16;
constexpr quint16 kCursorType = 2;

std::optional<QPoint> cursorHotSpot(const QByteArray &bytes)
{
    if (bytes.size() < kCursorHeaderSize)
        return std::nullopt;
    const auto *header = reinterpret_cast<const uchar *>(bytes.constData());
    if (qFromLittleEndian<quint16>(header) != 0 || qFromLittleEndian<quint16>(header + 2) != kCursorType)
        return std::nullopt;
    return QPoint(qFromLittleEndian<quint16>(header + 10), qFromLittleEndian<quint16>(header + 12));
}

// Tries one format only, without falling back to what the content looks like.
QImage decodeAs(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QByteArray readProgramFile(const QString &path)
{
    FileDescriptor descriptor = openForReading(QFile::encodeName(path).toStdString(), Readable::RegularFileOnly);
    QFile file;
    if (!file.open(descriptor.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    descriptor.release();
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    return bytes;
}

void refuseBlockingStyleSheetImages(const QString &styleSheet)
{
    static const QRegularExpression url(QStringLiteral(R"(url\(\s*(["']?)(.*?)\1\s*\))"),
                                        QRegularExpression::CaseInsensitiveOption);
    for (QRegularExpressionMatchIterator it = url.globalMatch(styleSheet); it.hasNext();) {
        const QString target = it.next().captured(2);
        if (target.isEmpty() || target.startsWith(QLatin1Char(':')) || target.startsWith(QLatin1String("qrc:")))
            continue;
        const std::string path = QFile::encodeName(target).toStdString();
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 && errno == ENOENT)
            continue;
        // Throws for anything that is not a regular file, as it would for the skin itself.
        openForReading(path, Readable::RegularFileOnly);
    }
}

QCursor decodePointer(const QByteArray &bytes)
{
    QImage image = decodeAs(bytes, "cur");
    if (image.isNull())
        image = decodeAs(bytes, "ico");
    if (image.isNull())
        throw std::runtime_error("Invalid picture: the pointer file is not a cursor or icon file");
    const QPixmap pixmap = QPixmap::fromImage(image);
    if (const std::optional<QPoint> hotSpot = cursorHotSpot(bytes))
        return QCursor(pixmap, hotSpot->x(), hotSpot->y());
    return QCursor(pixmap);
}

} // namespace Quorvane
