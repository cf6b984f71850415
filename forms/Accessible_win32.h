#pragma once
// What a window that draws its own parts shows to a screen reader: the client object of the
// window (answered to WM_GETOBJECT for OBJID_CLIENT) and its parts as simple elements, child
// ids 1 to n in the order the keyboard moves through them. The window's owner describes the
// parts (TAccessibleModel); the host hands out one object at a time and disconnects it when the
// parts change or the window goes, so that a client still holding it gets an error answer.
#include <windows.h>

#include <string>
#include <vector>

#include "skin/Bitmap32.h"

// One part: its role and name as the accessibility interface reports them (ROLE_SYSTEM_*,
// STATE_SYSTEM_*), and where it is drawn, in client coordinates.
struct TAccessibleItem {
    long Role = 0;
    std::wstring Name;
    TRect Rect;
    unsigned long State = 0;
    // The default action's name; empty when the part has none.
    std::wstring Action;
    std::wstring Shortcut;
};

class TAccessibleModel {
public:
    virtual ~TAccessibleModel() = default;
    virtual std::wstring AccessibleName() = 0;
    virtual long AccessibleRole() = 0;
    virtual std::vector<TAccessibleItem> AccessibleItems() = 0;
    // The part with the keyboard focus (index into AccessibleItems), -1 for none.
    virtual int AccessibleFocus() { return -1; }
    // The parts are laid out right to left: the next part in reading order lies to the left.
    virtual bool AccessibleMirrored() { return false; }
    // Carries out the default action of part `item`, as a click on it does.
    virtual void AccessibleAction(int item) = 0;
};

class TAccessibleObject;
class TWinControl;

class TAccessibleHost {
public:
    // `control`: the window whose client area the parts lie in, which answers for them.
    TAccessibleHost(TAccessibleModel& model, TWinControl& control)
        : model_(model), control_(control)
    {
    }
    ~TAccessibleHost() { Replace(); }
    TAccessibleHost(const TAccessibleHost&) = delete;
    TAccessibleHost& operator=(const TAccessibleHost&) = delete;

    // The answer to WM_GETOBJECT: the client object for OBJID_CLIENT, 0 (the system's own
    // object) for everything else.
    LRESULT Answer(WPARAM wParam, LPARAM lParam);
    // The parts changed or the window goes: the object handed out is disconnected (a client
    // still holding it gets an error answer); the next request gets a new one.
    void Replace();
    // Tells listening clients `event` on part `item` (index), or on the client object (-1).
    void Notify(DWORD event, int item);
    // A default action asked for through the object is carried out from the window's message
    // loop, after the caller has its answer. Returns whether `message` was that request.
    bool Action(UINT message, WPARAM wParam, LPARAM lParam);

private:
    TAccessibleModel& model_;
    TWinControl& control_;
    TAccessibleObject* object_ = nullptr;  // one reference held while handed out
    LPARAM generation_ = 0;
};
