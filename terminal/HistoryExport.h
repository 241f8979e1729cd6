#pragma once

#include <QtGlobal>

class History;
class QIODevice;

// The history as a file: UTF-8 text, a line a line, or an HTML page that shows the
// lines in their colours on the terminal's background. In the page every character
// that came from the line is written as a character reference or as one of the
// few that cannot be markup, never as it came.
namespace HistoryExport {
enum class Format { Text, Html };

// False when the device refused to take it all.
bool write(const History &history, Format format, quint32 background, QIODevice &out);
} // namespace HistoryExport
