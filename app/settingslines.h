#pragma once
// The text form of the settings files: one value a line, CR LF line ends,
// UTF-8. Reading also takes bare LF ends, as an editor may leave them.
#include <QByteArray>
#include <QStringList>

// The lines of the file, without their ends; a last line without an end counts.
QStringList settingsFileLines(const QByteArray& text);

// Each value on its own line, ended by CR LF. Line breaks inside a value (a
// pasted text, a file name) are left out, so that every value stays on its line.
QByteArray settingsFileText(const QStringList& values);
