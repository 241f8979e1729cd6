#pragma once

#include "ControllerMenu.h"

#include <QString>
#include <QStringList>

// The simulator's command line.
struct SimOptions
{
    QString replayFile;            // empty: play the menus
    QString timingFile;            // empty: replay at the rate
    int rate = 960;                // bytes per second; 960 is 9600 baud 8N1
    bool exitAfterReplay = false;
    int com = 0;                   // 1..16: store the device as this Com number
    int tickMs = 200;              // how often the controller prints on its own
    ControllerMenu::LineEnd lineEnd = ControllerMenu::LineEnd::CrLf;
    bool help = false;

    // Parses the arguments (without the program name). Returns false with a
    // message in *error when they make no sense.
    bool parse(const QStringList &arguments, QString *error);
    static QString usage();
};
