#pragma once
// Finding another program's top-level window on an X display by its class and title.
#include <string_view>

// Whether the display (nullptr: $DISPLAY) has a top-level window whose WM_CLASS class part is
// windowClass and whose title (_NET_WM_NAME, else WM_NAME) is title, both compared exactly,
// the title as UTF-8. Top-level windows are the children of each screen's root and, under a
// window manager that puts them into frames, those it lists in _NET_CLIENT_LIST. False when
// the display cannot be opened.
bool FindX11Window(const char* display, std::string_view windowClass, std::string_view title);
