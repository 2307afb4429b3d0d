#pragma once

// The canvas a view draws with: the view itself, or the one it shows inside (a scroll area, say).
template <typename View> auto& canvasOf(View& view) {
    if constexpr (requires { view.canvas(); })
        return *view.canvas();
    else
        return view;
}
