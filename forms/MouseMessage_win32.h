#pragma once
// Which mouse button a window message is about, for the window procedures that turn the
// system's button messages into their own events.
#include <windows.h>

#include "skin/Image32.h"

enum class TMouseEdge { None, Down, Up };

struct TMouseButtonMessage {
    TMouseEdge Edge = TMouseEdge::None;  // None: not a press or release of a button
    TMouseButton Button = mbLeft;
};

// WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN are presses, the three ...UP messages
// releases, of mbLeft, mbRight and mbMiddle; every other message (double clicks among them: our
// window classes never ask for them) is Edge None.
inline TMouseButtonMessage MouseButtonMessage(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        return {TMouseEdge::Down, mbLeft};
    case WM_RBUTTONDOWN:
        return {TMouseEdge::Down, mbRight};
    case WM_MBUTTONDOWN:
        return {TMouseEdge::Down, mbMiddle};
    case WM_LBUTTONUP:
        return {TMouseEdge::Up, mbLeft};
    case WM_RBUTTONUP:
        return {TMouseEdge::Up, mbRight};
    case WM_MBUTTONUP:
        return {TMouseEdge::Up, mbMiddle};
    default:
        return {};
    }
}
