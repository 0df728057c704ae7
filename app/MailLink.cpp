#include "app/MailLink.h"

#include <QGuiApplication>

#include "platform/DdeConversation.h"
#include "platform/X11Window.h"

const std::string TMailLink::WindowClass = "DeN8:MaIn";
const std::string TMailLink::WindowTitle = "電信八号";
const std::string TMailLink::Service = "Den8";
const std::string TMailLink::Topic = "Command";
const std::string TMailLink::NextRequest = R"([View("Next")])";
const std::string TMailLink::PrevRequest = R"([View("Prev")])";

namespace {
bool FindDesktopWindow(const std::string& windowClass, const std::string& title)
{
    return QGuiApplication::platformName() == QLatin1String("xcb") && FindX11Window(nullptr, windowClass, title);
}
}  // namespace

TMailLink::TMailLink() : TMailLink(std::make_unique<TDdeClientConv>(), FindDesktopWindow) {}

TMailLink::TMailLink(std::unique_ptr<TDdeClientConv> conv, TFindWindowFn findWindow)
    : conv_(std::move(conv)), findWindow_(std::move(findWindow))
{
}

TMailLink::~TMailLink() = default;
TMailLink::TMailLink(TMailLink&&) noexcept = default;
TMailLink& TMailLink::operator=(TMailLink&&) noexcept = default;

TMailLink::TToggle TMailLink::Toggle()
{
    if (linked_) {
        Close();
        return TToggle::Unlinked;
    }
    if (!findWindow_(WindowClass, WindowTitle)) return TToggle::NotRunning;
    conv_->SetLink(Service, Topic);
    if (!conv_->OpenLink()) return TToggle::NotOpened;
    linked_ = true;
    return TToggle::Linked;
}

void TMailLink::SendNext() { Send(NextRequest); }

void TMailLink::SendPrev() { Send(PrevRequest); }

void TMailLink::Send(const std::string& request)
{
    if (linked_) conv_->ExecuteMacro(request);
}

void TMailLink::Close()
{
    if (!linked_) return;
    conv_->CloseLink();
    linked_ = false;
}
