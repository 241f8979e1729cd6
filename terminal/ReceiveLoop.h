#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class PageRecognizer;
class RxLine;
class SerialComm;
class TextAppender;
struct TerminalOptions;

// Takes what the port received, one read at a time, into the open line and the
// view; hands each completed line to page recognition.
class ReceiveLoop
{
public:
    using Report = std::function<void(const QString &)>;

    ReceiveLoop(SerialComm &port, TextAppender &appender, RxLine &line, PageRecognizer &pages,
                const TerminalOptions &options, Report report)
        : m_port(port), m_appender(appender), m_line(line), m_pages(pages), m_options(options),
          m_report(std::move(report)) {}

    void MSComm1_OnComm();

    void clearCursorMark() { m_cursorMark = false; }

    // German description of a line error event; empty for every other event.
    static QString lineErrorText(int commEvent);

private:
    // One pass: what one Input gave, a block of several characters or none.
    void pass(const QString &RxChar, bool kestrix);
    // One pass with the one character of the usual one-byte Input.
    void passChar(QChar RxChar, bool kestrix);
    // How many of the waiting bytes are plain characters: none of LF, CR, BS, FF or
    // a cursor, and no chance of completing the stick-centring message. A pass for
    // each of them does only the same two appends, so they are taken together.
    qsizetype plainRun(QByteArrayView waiting, bool kestrix) const;
    // The passes of a plain run, in one go.
    void passPlain(QByteArrayView bytes);
    void stickCentring(bool kestrix);

    SerialComm &m_port;
    TextAppender &m_appender;
    RxLine &m_line;
    PageRecognizer &m_pages;
    const TerminalOptions &m_options;
    Report m_report;
    bool m_cursorMark = false;
};
