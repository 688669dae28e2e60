// Applying preset views to the camera (see views.h).
#include "app/views.h"

#include "app/state.h"

namespace {

// eyePoint and lookPoint take the view's points, and the camera is placed
// from them, so that light 1 and the flight start from this view.
void applyRecordingPoints(const PresetView& view)
{
    eyePoint = view.eye();
    lookPoint = view.look();
    camera.set(eyePoint.x, eyePoint.y, eyePoint.z,
               lookPoint.x, lookPoint.y, lookPoint.z, 0, 0, 1);
}

// Only the camera moves; eyePoint and lookPoint keep their values.
void applyCameraOnly(const PresetView& view)
{
    camera.set(view.eyeX, view.eyeY, view.eyeZ,
               view.lookX, view.lookY, view.lookZ, 0, 0, 1);
}

} // namespace

const MenuView* findMenuView(int value)
{
    for (const MenuView& entry : MenuViewTable)
        if (entry.value == value)
            return &entry;
    return nullptr;
}

void showFunctionKeyView(int n)
{
    if (n < 1 || n > FunctionKeyViewCount)
        return;
    applyRecordingPoints(FunctionKeyViewTable[n - 1].view);
}

void showMenuView(int value)
{
    const MenuView* entry = findMenuView(value);
    if (!entry)
        return;
    if (entry->storesPoints)
        applyRecordingPoints(entry->view);
    else
        applyCameraOnly(entry->view);
}
