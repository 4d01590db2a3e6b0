#include "ProgramFiles.h"

#include "files/OpenFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QStringList>
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

// Where a run that starts at a given place ends: at the first character that stops it, or at the
// end of the text. Starts come in increasing order, and while they stay before the last end found
// that end still answers: the scan stays linear in the text however many runs overlap.
class RunEnds
{
public:
    RunEnds(const QString &text, bool (*stops)(QChar))
        : m_text(text)
        , m_stops(stops)
    {}

    qsizetype from(qsizetype start)
    {
        if (start > m_end) {
            m_end = start;
            while (m_end < m_text.size() && !m_stops(m_text[m_end]))
                ++m_end;
        }
        return m_end;
    }

private:
    const QString &m_text;
    bool (*m_stops)(QChar);
    qsizetype m_end = -1;
};

// The names in every url(...) of a style sheet without escapes, as Qt's scanner takes them:
// quoted up to the closing quote, or bare up to white space or the closing parenthesis. Every
// "url(" is read on its own, so one inside another's name is found as well.
QStringList namedImages(const QString &styleSheet)
{
    RunEnds doubleQuoted(styleSheet, [](QChar character) { return character == u'"'; });
    RunEnds singleQuoted(styleSheet, [](QChar character) { return character == u'\''; });
    RunEnds bare(styleSheet, [](QChar character) { return character == u')' || isCssWhiteSpace(character); });
    QStringList names;
    const QLatin1String opening("url(");
    for (qsizetype at = styleSheet.indexOf(opening, 0, Qt::CaseInsensitive); at >= 0;
         at = styleSheet.indexOf(opening, at + 1, Qt::CaseInsensitive)) {
        qsizetype start = at + opening.size();
        while (start < styleSheet.size() && isCssWhiteSpace(styleSheet[start]))
            ++start;
        const QChar first = start < styleSheet.size() ? styleSheet[start] : QChar();
        qsizetype end = 0;
        if (first == u'"')
            end = doubleQuoted.from(++start);
        else if (first == u'\'')
            end = singleQuoted.from(++start);
        else
            end = bare.from(start);
        names << styleSheet.mid(start, end - start);
    }
    return names;
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

QString checkedStyleSheet(const QString &text)
{
    const QString styleSheet = withoutCssEscapes(text);
    if (styleSheet.contains(QLatin1Char('\\')))
        throw std::runtime_error("Cannot use the skin: it writes a backslash with an escape, which Qt would read "
                                 "as an escape once more");
    for (const QString &target : namedImages(styleSheet)) {
        if (target.isEmpty() || target.startsWith(QLatin1Char(':')))
            continue;
        const std::string path = QFile::encodeName(target).toStdString();
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 && errno == ENOENT)
            continue;
        // Refused as the skin itself would be.
        const FileDescriptor image = openForReading(path, Readable::RegularFileOnly);
        refuseOversized(image.get(), target);
    }
    return styleSheet;
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
