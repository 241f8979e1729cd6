#pragma once

// How often the window redraws while text streams in: 15 frames a second at most;
// the first change after a quiet spell is drawn at once. At line rate some forty
// lines arrive per frame, far more than anyone reads as they pass, and every frame
// costs the program and the X server the same again whatever it shows: at 20
// frames a second the stream cost half as much more.
namespace DisplayFrame {
constexpr int Ms = 1000 / 15;
}
