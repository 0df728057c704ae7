// Open requests from other programs, and the link to the mail client.
#include <QAction>
#include <QDBusConnection>

#include "app/MainForm.h"
#include "app/OpenRequest.h"
#include "platform/DdeConversation.h"
#include "platform/DdeNames.h"

bool TForm1::ServeOpenRequests(const std::string& programFile)
{
    delete system;
    system = new TDdeServerConv(
        DdeServiceOfProgram(programFile), "system",
        [this](const std::string& request) { return systemExecuteMacro(request); }, this);
    return system->Start(QDBusConnection::sessionBus());
}

void TForm1::CloseConversations()
{
    MailLink.Close();
    if (system) system->Stop();
}

bool TForm1::systemExecuteMacro(const std::string& request)
{
    // A request without a line has nothing to open.
    const std::optional<std::string> name = OpenRequestFileName(request);
    if (!name) return false;
    OpenFile(*name, true);
    return true;
}

bool TForm1::MailLinked() const { return MailLink.Linked(); }

void TForm1::ToggleMailLink()
{
    const QString caption = QStringLiteral("電信八号とリンク");
    const TMailLink::TToggle result = MailLink.Toggle();
    // Triggering a checkable item flips its mark by itself; the mark follows the link alone.
    Den8LinkP1->setChecked(MailLink.Linked());
    switch (result) {
    case TMailLink::TToggle::Unlinked:
        MessageBox(QStringLiteral("電信八号とのリンクを切り離しました。"), caption, QMessageBox::Information);
        break;
    case TMailLink::TToggle::NotRunning:
        MessageBox(QStringLiteral("電信八号が起動していません。"), caption, QMessageBox::Critical);
        break;
    case TMailLink::TToggle::Linked:
        MessageBox(QStringLiteral("電信八号とリンクしました。"), caption, QMessageBox::Information);
        break;
    case TMailLink::TToggle::NotOpened: break;
    }
}

void TForm1::Den8LinkP1Click() { ToggleMailLink(); }

void TForm1::SendMailNext() { MailLink.SendNext(); }

void TForm1::SendMailPrev() { MailLink.SendPrev(); }
