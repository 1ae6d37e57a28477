#pragma once

#include <QVariant>
#include <QWidget>

#include <functional>

// For the window libraries only (the rest of common/ has no Widgets).
//
// Every window a command opens is opened this one way: one of a kind at a time — asked for
// again, the one that is open comes to the front instead of a second one — and deleted when it
// closes. The device dialogs, Print Options and the About box are forms of the program:
// coming back from them to the main window runs its activation (the port is looked at again).
namespace windows {

// The property that marks a top-level window as one of the program's forms.
inline constexpr const char *kFormProperty = "kestrunForm";
inline void markAsForm(QWidget *w) { w->setProperty(kFormProperty, true); }
inline bool isForm(const QWidget *w) { return w->property(kFormProperty).toBool(); }

enum class Kind {
    Form,       // modeless, one of the program's forms
    Modeless,   // modeless, not a form
    WindowModal // blocks the main window (not the program), like a file dialog; not a form
};

// The open window of type T that `owner` holds, brought to the front; nullptr when there is
// none. `stillOpen` tells whether one that exists still counts (a device dialog that has ended
// its conversation does not, though it is not deleted yet).
template <class T>
T *raiseOpen(QWidget &owner, const std::function<bool(T &)> &stillOpen = {})
{
    for (T *open : owner.findChildren<T *>(Qt::FindDirectChildrenOnly)) {
        if (stillOpen ? stillOpen(*open) : open->isVisible()) {
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    return nullptr;
}

// Shows a window a command has just made (its parent the main window).
template <class T>
T *show(T *window, Kind kind)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (kind == Kind::Form)
        markAsForm(window);
    if (kind == Kind::WindowModal)
        window->setWindowModality(Qt::WindowModal);
    window->show();
    return window;
}

} // namespace windows
