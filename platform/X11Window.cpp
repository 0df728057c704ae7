#include "platform/X11Window.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
Reply<T> Own(T* reply)
{
    return Reply<T>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    const auto reply = Own(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(std::char_traits<char>::length(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

struct Property {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::string bytes;
};

// The whole value of a property of 8-bit or 32-bit items, as bytes.
Property Get(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property)
{
    Property p;
    if (property == XCB_ATOM_NONE) return p;
    const auto reply = Own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 20), nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE) return p;
    p.type = reply->type;
    p.bytes.assign(static_cast<const char*>(xcb_get_property_value(reply.get())),
                   size_t(xcb_get_property_value_length(reply.get())));  // in bytes already
    return p;
}

std::string Latin1ToUtf8(const std::string& s)
{
    std::string out;
    for (const char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) out += ch;
        else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

struct Atoms {
    xcb_atom_t clientList, netWmName, utf8String;
};

bool Matches(xcb_connection_t* c, xcb_window_t w, const Atoms& atoms, std::string_view windowClass,
             std::string_view title)
{
    // WM_CLASS holds the instance and then the class, each ending in a NUL.
    const Property cls = Get(c, w, XCB_ATOM_WM_CLASS);
    const size_t instanceEnd = cls.bytes.find('\0');
    if (instanceEnd == std::string::npos) return false;
    std::string_view classPart = std::string_view(cls.bytes).substr(instanceEnd + 1);
    classPart = classPart.substr(0, classPart.find('\0'));
    if (classPart != windowClass) return false;

    const Property netName = Get(c, w, atoms.netWmName);
    if (netName.type == atoms.utf8String) return netName.bytes == title;
    // An older client names itself in WM_NAME only: Latin-1, or UTF-8 where it says so.
    const Property name = Get(c, w, XCB_ATOM_WM_NAME);
    if (name.type == atoms.utf8String) return name.bytes == title;
    if (name.type == XCB_ATOM_STRING) return Latin1ToUtf8(name.bytes) == title;
    return false;
}

}  // namespace

bool FindX11Window(const char* display, std::string_view windowClass, std::string_view title)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> conn(xcb_connect(display, nullptr),
                                                                            &xcb_disconnect);
    xcb_connection_t* c = conn.get();
    if (!c || xcb_connection_has_error(c)) return false;
    const Atoms atoms{Atom(c, "_NET_CLIENT_LIST"), Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING")};

    for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(c)); screens.rem; xcb_screen_next(&screens)) {
        const xcb_window_t root = screens.data->root;
        std::vector<xcb_window_t> windows;
        if (const auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr))) {
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
        const Property clients = Get(c, root, atoms.clientList);
        if (clients.type == XCB_ATOM_WINDOW) {
            const size_t known = windows.size();
            windows.resize(known + clients.bytes.size() / sizeof(xcb_window_t));
            std::memcpy(windows.data() + known, clients.bytes.data(), (windows.size() - known) * sizeof(xcb_window_t));
        }
        for (const xcb_window_t w : windows)
            if (Matches(c, w, atoms, windowClass, title)) return true;
    }
    return false;
}
