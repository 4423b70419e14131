#pragma once
// Input files are opened only when they are regular files (or links to one). Opening a named
// pipe blocks until some other program writes to it, and a device or socket may never end:
// the program would hang for good, deaf even to its window's close box.
#include <QString>

// Empty when `path` names a regular file, a link to one, or nothing at all (so that the
// caller's open reports a missing file as before). Otherwise the reason, for a message:
// "'/tmp/words' is a named pipe, not a file".
QString notRegularFileReason(const QString& path);

// Writes `bytes` as the file at `path`, replaced whole or not at all: QSaveFile renames the
// new file into place only once every byte is written, and writes unbuffered so that a
// failing write (a full disk) is seen before then. False with the system's reason in
// `error` when anything fails; the old file is left as it was.
class QByteArray;
bool writeFileWhole(const QString& path, const QByteArray& bytes, QString& error);
