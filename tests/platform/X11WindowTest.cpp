// Finding a top-level window by class and title on a real X server: windows made here with
// their properties set by hand, as other programs and window managers set them.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/X11Window.h"

namespace {

using namespace std::string_literals;

class X11WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        c = xcb_connect(nullptr, nullptr);
        ASSERT_FALSE(xcb_connection_has_error(c));
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    }
    void TearDown() override
    {
        if (!c) return;
        for (auto it = made.rbegin(); it != made.rend(); ++it) xcb_destroy_window(c, *it);
        xcb_delete_property(c, root, Atom("_NET_CLIENT_LIST"));
        xcb_flush(c);
        xcb_disconnect(c);
    }
    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::string(name).size()), name), nullptr);
        const xcb_atom_t a = r->atom;
        std::free(r);
        return a;
    }
    xcb_window_t Make(xcb_window_t parent)
    {
        const xcb_window_t w = xcb_generate_id(c);
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, parent, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        made.push_back(w);
        return w;
    }
    void Set(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& bytes)
    {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, type, 8, uint32_t(bytes.size()), bytes.data());
    }
    bool Find(const std::string& windowClass, const std::string& windowTitle)
    {
        xcb_aux_sync();
        return FindX11Window(nullptr, windowClass, windowTitle);
    }
    void xcb_aux_sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    std::vector<xcb_window_t> made;
    // Names no other window on the display has.
    const std::string cls = "Tavuko:Test" + std::to_string(::getpid());
    const std::string title = "電信八号 " + std::to_string(::getpid());
};

TEST_F(X11WindowTest, ClassPartAndTitleMustBothMatchExactly)
{
    const xcb_atom_t utf8 = Atom("UTF8_STRING"), netName = Atom("_NET_WM_NAME");
    struct Case {
        std::string wmClass;                // instance, NUL, class, NUL
        xcb_atom_t nameProperty, nameType;  // where the title is, and as what
        std::string name;
        bool found;
    };
    const std::string latin1Title = "Caf\xe9 " + std::to_string(::getpid());
    const std::vector<Case> cases = {
        {"inst\0"s + cls + '\0', netName, utf8, title, true},
        {std::string(1, '\0') + cls + '\0', netName, utf8, title, true},
        {"inst\0"s + cls + '\0', XCB_ATOM_WM_NAME, utf8, title, true},
        {"inst\0"s + cls + '\0', netName, utf8, title + " ", false},
        {"inst\0"s + cls + '\0', netName, utf8, title.substr(0, 3), false},
        {"inst\0"s + cls + "x\0"s, netName, utf8, title, false},
        {"inst\0tavuko:test" + std::to_string(::getpid()) + '\0', netName, utf8, title, false},
        {cls + '\0' + "other" + '\0', netName, utf8, title, false},  // the instance part is not the class
        {cls, netName, utf8, title, false},
        // A Latin-1 WM_NAME reads as its characters; compound text is not read.
        {"inst\0"s + cls + '\0', XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1Title, false},
        {"inst\0"s + cls + '\0', XCB_ATOM_WM_NAME, Atom("COMPOUND_TEXT"), title, false},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& k = cases[i];
        const xcb_window_t w = Make(root);
        Set(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, k.wmClass);
        Set(w, k.nameProperty, k.nameType, k.name);
        EXPECT_EQ(Find(cls, title), k.found) << "case " << i;
        xcb_destroy_window(c, w);
        made.pop_back();
    }
    const xcb_window_t w = Make(root);
    Set(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, "inst\0"s + cls + '\0');
    Set(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, latin1Title);
    EXPECT_TRUE(Find(cls, "Caf\xc3\xa9 " + std::to_string(::getpid())));
}

TEST_F(X11WindowTest, AWindowInAFrameIsFoundThroughTheClientList)
{
    const xcb_window_t frame = Make(root);
    const xcb_window_t client = Make(frame);
    Set(client, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, "inst\0"s + cls + '\0');
    Set(client, Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), title);
    EXPECT_FALSE(Find(cls, title));
    const xcb_window_t list[] = {frame, client};
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32, 2, list);
    EXPECT_TRUE(Find(cls, title));
}

TEST_F(X11WindowTest, NothingIsFoundOnADisplayThatIsNotThere) { EXPECT_FALSE(FindX11Window(":4711", cls, title)); }

}  // namespace
