#pragma once

#include <memory>

class EarlyWalk;
class ScanViewModel;

// What the environment asks of a starting Brenwick, read once (tests, benchmarks and screenshots use it):
// BRENWICK_MODE, a visualisation's title exactly ("Mind Map"), becomes the starting mode; BRENWICK_SCAN,
// a folder, is scanned at once, its walk overlapping the building of the window.

// BRENWICK_SCAN's walk, begun now: call it first thing in main, before the application object.
// Null when no folder is asked for.
std::unique_ptr<EarlyWalk> startEarlyWalk();

// Call right after the state object exists, with the early walk if there is one (else BRENWICK_SCAN's
// walk starts here).
void applyEnvironmentHooks(ScanViewModel& viewModel, std::unique_ptr<EarlyWalk> early = nullptr);
