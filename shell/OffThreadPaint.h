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

// Runs part(0) ... part(count - 1), each exactly once, on this thread and on whichever threads of
// the global pool are idle, and returns when all are done. The parts must not touch the same
// pixels (bands of rows of one image, say), so the picture is the same however they are shared out.
void paintInParallel(int count, const std::function<void(int part)>& part);

// Paints rows [top, bottom) in runs of whole bands of `band` rows through paintInParallel, a few
// runs per thread so that a thread that starts late still finds some.
void paintRowsInParallel(int top, int bottom, int band, const std::function<void(int from, int to)>& rows);
