#pragma once

// How often the window redraws while text streams in: 20 frames a second at most,
// the first change after a quiet spell at once. At line rate some twenty lines
// arrive per frame, far more than anyone reads as they pass, and each frame costs
// the program and the X server about 0.7 ms: more frames would only cost more.
namespace DisplayFrame {
constexpr int Ms = 50;
}
