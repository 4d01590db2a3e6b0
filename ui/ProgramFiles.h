#pragma once

#include <QByteArray>
#include <QCursor>
#include <QString>

namespace Quorvane {

// The optional files next to the program, the skin and the pointer, are read so that nothing
// can make start-up wait: a FIFO or a device put in their place is refused, never opened for
// good (the opening itself cannot block, and the decision is made on the open descriptor).

// The whole content of the regular file at path. Throws, with the system's words, when it
// cannot be opened or is not a regular file.
QByteArray readProgramFile(const QString &path);

// Qt opens the images a style sheet names (url(...)) itself, when it first paints them.
// Throws when one of them, relative to the current folder as Qt takes it, exists but is not a
// regular file; names of Qt resources (":/...") and missing files pass.
void refuseBlockingStyleSheetImages(const QString &styleSheet);

// A cursor (or icon) file's bytes as a pointer, with the file's own hot spot where it names
// one. Only the cursor and icon formats are tried, whatever the bytes look like. Throws when
// the bytes are not such a picture.
QCursor decodePointer(const QByteArray &bytes);

} // namespace Quorvane
