#pragma once

#include "app/Module1.h"
#include "terminal/RichTextModel.h"
#include "terminal/IndicatorRow.h"
#include "terminal/TerminalEngine.h"
#include "tests/support/FakeSerialComm.h"

#include <QObject>
#include <QString>

// The terminal engine on a scriptable port, an in-memory view and indicator row.
struct TerminalRig
{
    FakeSerialComm port;
    RichTextModel view;
    IndicatorRowState row;
    TerminalEngine engine{port, view, row};
    QStringList reports;

    explicit TerminalRig(const QString &mode = Module1::AsciiMode)
    {
        Module1::EmulationMode = mode;
        Module1::LocalEcho = false;
        QObject::connect(&port, &SerialComm::OnComm, &engine, &TerminalEngine::MSComm1_OnComm);
        QObject::connect(&engine, &TerminalEngine::statusMessage, &engine,
                         [this](const QString &t) { reports << t; });
        port.setPortOpen(true);
    }

    void receive(const QByteArray &bytes) { port.feed(bytes); }
    void receiveLines(const QStringList &lines)
    {
        for (const QString &l : lines)
            receive(l.toLatin1() + "\r\n");
    }

    // One letter per character of the view: k black, r red, b blue, ? other.
    QString colors() const
    {
        QString out;
        for (int i = 0; i < view.length(); ++i) {
            switch (view.colorAt(i)) {
            case 0x000000: out += u'k'; break;
            case 0x0000FF: out += u'r'; break;
            case 0xFF0000: out += u'b'; break;
            default: out += u'?'; break;
            }
        }
        return out;
    }

    // One letter per indicator cell's back colour: g light grey, l light blue, r red.
    QString cells() const
    {
        QString out;
        for (quint32 c : row.backColor)
            out += c == 0xC0C0C0 ? u'g' : c == 0xFFC0C0 ? u'l' : c == 0x0000FF ? u'r' : u'?';
        return out;
    }
};

inline QString rep(QChar c, int n) { return QString(n, c); }

// Cells: all light blue with the cell for `column` (from 1) red.
inline QString litCell(int column)
{
    QString s(39, u'l');
    s[column - 1] = u'r';
    return s;
}
