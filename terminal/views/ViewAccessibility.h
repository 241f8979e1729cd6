#pragma once

// Lets screen readers reach the terminal view and the history view. The views do
// not know how they are read out; whoever shows them installs this once.
namespace ViewAccessibility {
void install();
}
