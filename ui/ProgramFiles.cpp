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

std::runtime_error tooLarge(const QString &name)
{
    return std::runtime_error("Cannot read " + name.toStdString()
                              + ": it is larger than 1 MiB, more than any skin, pointer or skin image could be");
}

// Decided on the open descriptor, before anything is read.
void refuseOversized(int descriptor, const QString &name)
{
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        throw std::runtime_error("Cannot read " + name.toStdString() + ": " + std::strerror(errno));
    if (status.st_size > kLargestProgramFile)
        throw tooLarge(name);
}

bool isCssWhiteSpace(QChar character)
{
    return character == u' ' || character == u'\t' || character == u'\n' || character == u'\r' || character == u'\f';
}

int hexValue(QChar character)
{
    const char16_t code = character.unicode();
    if (code >= u'0' && code <= u'9')
        return code - u'0';
    if (code >= u'a' && code <= u'f')
        return code - u'a' + 10;
    if (code >= u'A' && code <= u'F')
        return code - u'A' + 10;
    return -1;
}

// The character a hex escape stands for; U+FFFD for zero, a surrogate or past U+10FFFF.
QString escapedCodePoint(char32_t code)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = QChar::ReplacementCharacter;
    return QString::fromUcs4(&code, 1);
}

QString withoutCssEscapes(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] != u'\\' || i + 1 == size) {
            plain += text[i];
            continue;
        }
        qsizetype end = i + 1;
        char32_t code = 0;
        while (end < size && end - i <= 6 && hexValue(text[end]) >= 0)
            code = code * 16 + static_cast<char32_t>(hexValue(text[end++]));
        if (end == i + 1) {
            plain += text[end];
            i = end;
            continue;
        }
        plain += escapedCodePoint(code);
        // One white space after the digits belongs to the escape; CR LF counts as one.
        if (end + 1 < size && text[end] == u'\r' && text[end + 1] == u'\n')
            i = end + 1;
        else if (end < size && isCssWhiteSpace(text[end]))
            i = end;
        else
            i = end - 1;
    }
    return plain;
}

qsizetype skipWhiteSpace(const QString &text, qsizetype from)
{
    while (from < text.size() && isCssWhiteSpace(text[from]))
        ++from;
    return from;
}

// One url(...) of a style sheet: the name it gives, and where it ends.
struct NamedImage
{
    QString name;
    qsizetype end;
};

// Reads the url(...) whose name starts at start (just past "url("): a name in quotes, or one
// up to white space or the closing parenthesis, then only white space before that parenthesis.
std::optional<NamedImage> readNamedImage(const QString &styleSheet, qsizetype start)
{
    const qsizetype size = styleSheet.size();
    qsizetype nameStart = skipWhiteSpace(styleSheet, start);
    qsizetype nameEnd = nameStart;
    qsizetype at = nameStart;
    if (nameStart < size && (styleSheet[nameStart] == u'"' || styleSheet[nameStart] == u'\'')) {
        nameEnd = styleSheet.indexOf(styleSheet[nameStart], nameStart + 1);
        if (nameEnd < 0)
            return std::nullopt;
        ++nameStart;
        at = nameEnd + 1;
    } else {
        while (nameEnd < size && styleSheet[nameEnd] != u')' && !isCssWhiteSpace(styleSheet[nameEnd]))
            ++nameEnd;
        at = nameEnd;
    }
    at = skipWhiteSpace(styleSheet, at);
    if (at == size || styleSheet[at] != u')')
        return std::nullopt;
    return NamedImage{styleSheet.mid(nameStart, nameEnd - nameStart), at + 1};
}

// A name that can be handed on in double quotes, and that holds no url( of its own.
bool canBeHandedOn(const QString &name)
{
    static const QRegularExpression unfit(QStringLiteral(R"(["\n\r\f]|url\()"),
                                          QRegularExpression::CaseInsensitiveOption);
    return !name.contains(unfit);
}

// Throws when the image named exists but is not a regular file of at most kLargestProgramFile.
void checkNamedImage(const QString &name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char(':')))
        return;
    const std::string path = QFile::encodeName(name).toStdString();
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT)
        return;
    // Refused as the skin itself would be.
    const FileDescriptor image = openForReading(path, Readable::RegularFileOnly);
    refuseOversized(image.get(), name);
}

} // namespace

QByteArray readProgramFile(const QString &path)
{
    FileDescriptor descriptor = openForReading(QFile::encodeName(path).toStdString(), Readable::RegularFileOnly);
    refuseOversized(descriptor.get(), path);
    QFile file;
    if (!file.open(descriptor.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    descriptor.release();
    // A file that grows after the check is still read no further than the limit.
    QByteArray bytes = file.read(kLargestProgramFile + 1);
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Cannot read " + path.toStdString() + ": " + file.errorString().toStdString());
    if (bytes.size() > kLargestProgramFile)
        throw tooLarge(path);
    return bytes;
}

// Qt is handed each url(...) as url("name") with the name checked: whatever Qt version reads
// it, it finds that name and no other.
QString checkedStyleSheet(const QString &text)
{
    const QString styleSheet = withoutCssEscapes(text);
    if (styleSheet.contains(QLatin1Char('\\')))
        throw std::runtime_error("Cannot use the skin: it writes a backslash with an escape, which Qt would read "
                                 "as an escape once more");
    const QLatin1String opening("url(");
    QString applied;
    applied.reserve(styleSheet.size());
    qsizetype copied = 0;
    for (qsizetype at = styleSheet.indexOf(opening, 0, Qt::CaseInsensitive); at >= 0;
         at = styleSheet.indexOf(opening, copied, Qt::CaseInsensitive)) {
        const std::optional<NamedImage> image = readNamedImage(styleSheet, at + opening.size());
        if (!image || !canBeHandedOn(image->name))
            throw std::runtime_error("Cannot use the skin: it names an image in a way that cannot be checked: "
                                     + styleSheet.mid(at, 80).toStdString());
        checkNamedImage(image->name);
        applied += QStringView(styleSheet).mid(copied, at - copied);
        applied += QStringLiteral("url(\"") + image->name + QStringLiteral("\")");
        copied = image->end;
    }
    applied += QStringView(styleSheet).mid(copied);
    return applied;
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
