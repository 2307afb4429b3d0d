#pragma once

// Registers every visualisation and tool screen with the shell's ViewRegistry; called once before
// the window is built.
void registerViews();
