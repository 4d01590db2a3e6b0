#pragma once

#include <QByteArray>
#include <QCursor>
#include <QString>

namespace Quorvane {

// The optional files next to the program, the skin and the pointer, are read so that nothing
// can make start-up wait: a FIFO or a device put in their place is refused, never opened for
// good (the opening itself cannot block, and the decision is made on the open descriptor).

// No real skin, pointer or skin image comes near this size: a larger file is refused unread.
inline constexpr qint64 kLargestProgramFile = 1024 * 1024;

// The whole content of the regular file at path. Throws, with the system's words, when it
// cannot be opened or is not a regular file, and when it is larger than kLargestProgramFile.
QByteArray readProgramFile(const QString &path);

// The style sheet to apply for a skin's text. Qt opens the images a style sheet names
// (url(...)) itself, when it first paints them, and undoes CSS escapes before it reads the
// names; so the escapes are undone here (a backslash and 1 to 6 hex digits, with one white
// space after them, stand for that code point; a backslash and any other character for that
// character), each name is checked, and Qt is handed the unescaped text with every name
// written as url("name"), which it reads one way only. Throws when an image, relative to the
// current folder as Qt takes it, exists but is not a regular file or is larger than
// kLargestProgramFile; when a url(...) cannot be read one way only (an unclosed quote, white
// space or "url(" in its name); and when the text writes a backslash with an escape (Qt would
// take it for an escape once more). Names of Qt resources (":/...") and missing files pass.
QString checkedStyleSheet(const QString &text);

// A cursor (or icon) file's bytes as a pointer, with the file's own hot spot where it names
// one. Only the cursor and icon formats are tried, whatever the bytes look like. Throws when
// the bytes are not such a picture.
QCursor decodePointer(const QByteArray &bytes);

} // namespace Quorvane
