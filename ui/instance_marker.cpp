#include "ui/instance_marker.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace {

constexpr const char *kMarkerName = "Q9TBR";
constexpr const char *kHandOverName = "Q9TBR_HANDOVER";
// Files handed over ride on the marked window in this property: UTF-8 paths,
// each ended by a zero byte. Senders append, the window takes and deletes the
// whole text in one request, so starts that overlap lose nothing.
constexpr const char *kFilesName = "Q9TBR_FILES";

Display *x11Display()
{
    auto *app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

bool carriesMarker(Display *display, Window window, Atom marker)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    const int status = XGetWindowProperty(display, window, marker, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                                          &remaining, &data);
    bool match = false;
    if (status == Success && data && type == XA_CARDINAL && format == 32 && count == 1)
        match = *reinterpret_cast<long *>(data) == InstanceMarker::kValue;
    if (data)
        XFree(data);
    return match;
}

// Takes (reads and deletes) the files handed over to a window.
QStringList takeHandedFiles(Display *display, Window window)
{
    const Atom property = XInternAtom(display, kFilesName, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    QStringList files;
    // The length is in 32-bit units: up to 64 MiB of names in one take.
    if (XGetWindowProperty(display, window, property, 0, 1L << 24, True, AnyPropertyType, &type, &format, &count,
                           &remaining, &data) == Success &&
        data && format == 8) {
        const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(count));
        for (const QByteArray &name : text.split('\0')) {
            if (!name.isEmpty())
                files << QString::fromUtf8(name);
        }
    }
    if (data)
        XFree(data);
    return files;
}

// Answers hand-over requests sent to the marked window.
class HandOverFilter : public QAbstractNativeEventFilter {
public:
    HandOverFilter(QWidget *window, xcb_atom_t atom, InstanceMarker::FileReceiver addFiles)
        : m_window(window),
          m_atom(atom),
          m_addFiles(std::move(addFiles))
    {
    }

    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t" || !m_window)
            return false;
        auto *event = static_cast<xcb_generic_event_t *>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        auto *client = reinterpret_cast<xcb_client_message_event_t *>(event);
        if (client->type != m_atom || client->window != m_window->winId())
            return false;
        if (Display *display = x11Display()) {
            const QStringList files = takeHandedFiles(display, Window(m_window->winId()));
            if (!files.isEmpty() && m_addFiles)
                m_addFiles(files);
        }
        m_window->showNormal();
        // A window unmapped behind the toolkit's back (by a pager, say) still
        // counts as visible to it: map it again ourselves.
        if (Display *display = x11Display()) {
            XMapRaised(display, Window(m_window->winId()));
            XFlush(display);
        }
        m_window->raise();
        m_window->activateWindow();
        return true;
    }

private:
    QPointer<QWidget> m_window;
    xcb_atom_t m_atom;
    InstanceMarker::FileReceiver m_addFiles;
};

}  // namespace

namespace InstanceMarker {

void mark(QWidget *window)
{
    Display *display = x11Display();
    if (!display)
        return;
    const long value = kValue;
    XChangeProperty(display, Window(window->winId()), XInternAtom(display, kMarkerName, False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char *>(&value), 1);
    XFlush(display);
}

quint64 findMarkedWindow()
{
    Display *display = x11Display();
    if (!display)
        return 0;
    const Atom marker = XInternAtom(display, kMarkerName, True);
    if (marker == None)
        return 0;  // no program has ever set the marker on this display
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    // Top-level windows, and one level below them, where a window manager's
    // frame holds the program's own window.
    for (unsigned int i = 0; i < count && !found; ++i) {
        if (carriesMarker(display, children[i], marker)) {
            found = children[i];
            break;
        }
        Window *inner = nullptr;
        unsigned int innerCount = 0;
        if (XQueryTree(display, children[i], &root, &parent, &inner, &innerCount)) {
            for (unsigned int j = 0; j < innerCount && !found; ++j) {
                if (carriesMarker(display, inner[j], marker))
                    found = inner[j];
            }
            if (inner)
                XFree(inner);
        }
    }
    if (children)
        XFree(children);
    return found;
}

void handOver(quint64 window, const QStringList &files)
{
    Display *display = x11Display();
    if (!display || !window)
        return;
    if (!files.isEmpty()) {
        QByteArray text;
        for (const QString &file : files)
            text += file.toUtf8() + '\0';
        XChangeProperty(display, Window(window), XInternAtom(display, kFilesName, False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeAppend,
                        reinterpret_cast<const unsigned char *>(text.constData()), int(text.size()));
    }
    // The running program restores, raises and activates its own window.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(display, kHandOverName, False);
    event.xclient.format = 32;
    XSendEvent(display, Window(window), False, NoEventMask, &event);

    // And the window manager, where there is one, is asked to activate it.
    XEvent activate{};
    activate.xclient.type = ClientMessage;
    activate.xclient.window = Window(window);
    activate.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    activate.xclient.format = 32;
    activate.xclient.data.l[0] = 2;  // request from a pager-like source
    activate.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &activate);
    XSync(display, False);
}

void acceptHandOver(QWidget *window, FileReceiver addFiles)
{
    Display *display = x11Display();
    if (!display)
        return;
    const auto atom = xcb_atom_t(XInternAtom(display, kHandOverName, False));
    static std::unique_ptr<HandOverFilter> filter;
    if (filter)
        qGuiApp->removeNativeEventFilter(filter.get());
    filter = std::make_unique<HandOverFilter>(window, atom, std::move(addFiles));
    qGuiApp->installNativeEventFilter(filter.get());
}

}  // namespace InstanceMarker
