#pragma once

#include "terminal/RichTextModel.h"

// The text model's colours, one letter per character: k black, r red, b blue, ? other.
inline QString colourLetters(const RichTextModel &m)
{
    QString s;
    for (int i = 0; i < m.length(); ++i)
        s += m.colorAt(i) == 0 ? u'k' : m.colorAt(i) == 0x0000FF ? u'r' : m.colorAt(i) == 0xFF0000 ? u'b' : u'?';
    return s;
}
