#pragma once

#include <functional>

// Runs `paint` on an idle thread of the global thread pool when one is free, waiting for it to
// finish, or else right here.
//
// Qt's raster engine splits every large fill across that pool unless it already runs on one of its
// threads; for a picture made of many mid-sized shapes the hand-offs cost far more than the drawing.
// `paint` may only paint on QImages (no QPixmap, no widget) and must not change what the window's
// thread owns; the calling thread waits meanwhile, so reading it is safe.
void paintOffThread(const std::function<void()>& paint);
