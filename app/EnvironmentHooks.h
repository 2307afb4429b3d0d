#pragma once

class ScanViewModel;

// What the environment asks of a starting Brenwick, read once (tests, benchmarks and screenshots use it):
// BRENWICK_MODE, a visualisation's title exactly ("Mind Map"), becomes the starting mode; BRENWICK_SCAN,
// a folder, is scanned at once, its walk overlapping the building of the window. Call right after the
// state object exists.
void applyEnvironmentHooks(ScanViewModel& viewModel);
