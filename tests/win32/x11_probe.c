/* What the Win32 end-to-end test needs to know about the X display that Wine draws on:
 *   x11_probe owner SELECTION    the selection's owner window, exit 1 when none
 *   x11_probe find CLASS         viewable windows of that WM_CLASS, one per line:
 *                                "id x y width height override-redirect(0/1) parent-is-root(0/1)
 *                                 title" (title in UTF-8, possibly empty)
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <string.h>

static void printTitle(Display* display, Window window) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024,
                           False, XInternAtom(display, "UTF8_STRING", False), &type, &format,
                           &count, &after, &data) == Success &&
        data != NULL) {
        printf("%.*s", (int)count, (const char*)data);
    }
    XFree(data);
}

static void find(Display* display, Window root, Window window, Window parent, const char* name) {
    XWindowAttributes attributes;
    if (window != root && XGetWindowAttributes(display, window, &attributes) &&
        attributes.map_state == IsViewable) {
        XClassHint hint = {0};
        if (XGetClassHint(display, window, &hint)) {
            if ((hint.res_name && strcmp(hint.res_name, name) == 0) ||
                (hint.res_class && strcmp(hint.res_class, name) == 0)) {
                int x = 0, y = 0;
                Window child;
                XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
                printf("0x%lx %d %d %d %d %d %d ", window, x, y, attributes.width,
                       attributes.height, attributes.override_redirect ? 1 : 0,
                       parent == root ? 1 : 0);
                printTitle(display, window);
                putchar('\n');
            }
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
    }
    Window rootReturn, parentReturn, *children = NULL;
    unsigned int count = 0;
    if (XQueryTree(display, window, &rootReturn, &parentReturn, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            find(display, root, children[i], window, name);
        }
        XFree(children);
    }
}

/* Windows come and go while the tree is walked; one that is gone is skipped. */
static int ignoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fputs("usage: x11_probe owner SELECTION | find CLASS\n", stderr);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    int status = 0;
    if (strcmp(argv[1], "owner") == 0) {
        const Window owner = XGetSelectionOwner(display, XInternAtom(display, argv[2], False));
        printf("0x%lx\n", owner);
        status = owner != None ? 0 : 1;
    } else if (strcmp(argv[1], "find") == 0) {
        find(display, DefaultRootWindow(display), DefaultRootWindow(display), None, argv[2]);
    } else {
        status = 2;
    }
    XCloseDisplay(display);
    return status;
}
