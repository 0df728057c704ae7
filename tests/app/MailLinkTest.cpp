// The mail-client link without a bus or a display: a conversation and a window lookup that
// the tests play, the link's states, its messages and its check mark.
#include <gtest/gtest.h>

#include <QAction>
#include <memory>
#include <string>
#include <vector>

#include "app/MailLink.h"
#include "app/MainForm.h"
#include "platform/DdeConversation.h"
#include "support/MainFormFixture.h"

namespace {

// What the link asked of its conversation, and what the conversation answers.
struct TPlayedConv : TDdeClientConv {
    struct State {
        bool opens = true;
        std::vector<std::string> calls;
    };
    explicit TPlayedConv(std::shared_ptr<State> s) : state(std::move(s)) {}
    bool OpenLink() override
    {
        state->calls.push_back("open");
        return state->opens;
    }
    void CloseLink() override { state->calls.push_back("close"); }
    bool ExecuteMacro(const std::string& macro) override
    {
        state->calls.push_back(macro);
        return true;
    }
    std::shared_ptr<State> state;
};

struct Played {
    std::shared_ptr<TPlayedConv::State> conv = std::make_shared<TPlayedConv::State>();
    bool windowThere = true;
    std::vector<std::string> lookedFor;
    TMailLink Link()
    {
        return TMailLink(std::make_unique<TPlayedConv>(conv), [this](const std::string& cls, const std::string& title) {
            lookedFor = {cls, title};
            return windowThere;
        });
    }
};

TEST(MailLink, StepsAreSentOnlyWhileLinked)
{
    Played p;
    TMailLink link = p.Link();
    link.SendNext();
    link.SendPrev();
    EXPECT_TRUE(p.conv->calls.empty());

    EXPECT_EQ(link.Toggle(), TMailLink::TToggle::Linked);
    EXPECT_EQ(p.lookedFor, (std::vector<std::string>{"DeN8:MaIn", "電信八号"}));
    link.SendNext();
    link.SendPrev();
    link.SendNext();
    EXPECT_EQ(p.conv->calls,
              (std::vector<std::string>{"open", R"([View("Next")])", R"([View("Prev")])", R"([View("Next")])"}));
    EXPECT_EQ(TMailLink::NextRequest.size(), 14u);
    EXPECT_EQ(TMailLink::PrevRequest.size(), 14u);

    p.conv->calls.clear();
    EXPECT_EQ(link.Toggle(), TMailLink::TToggle::Unlinked);
    link.SendNext();
    EXPECT_EQ(p.conv->calls, std::vector<std::string>{"close"});
    EXPECT_FALSE(link.Linked());
}

TEST(MailLink, NoWindowOrNoConversationLeavesItUnlinked)
{
    Played p;
    TMailLink link = p.Link();
    p.windowThere = false;
    EXPECT_EQ(link.Toggle(), TMailLink::TToggle::NotRunning);
    EXPECT_TRUE(p.conv->calls.empty());  // no conversation is tried without the window
    p.windowThere = true;
    p.conv->opens = false;
    EXPECT_EQ(link.Toggle(), TMailLink::TToggle::NotOpened);
    EXPECT_FALSE(link.Linked());
    link.SendNext();
    EXPECT_EQ(p.conv->calls, std::vector<std::string>{"open"});
    // Closing an unlinked link does nothing; a linked one is closed once.
    link.Close();
    p.conv->opens = true;
    link.Toggle();
    link.Close();
    link.Close();
    EXPECT_EQ(p.conv->calls, (std::vector<std::string>{"open", "open", "close"}));
}

// The window, and a played link that outlives it.
class MailLinkCommand : public TFormFixture {
protected:
    Played p;
};

TEST_F(MailLinkCommand, TogglingShowsItsThreeMessagesAndTheCheckMarkFollowsTheLink)
{
    form->MailLink = p.Link();
    std::vector<bool> checkedThen;  // the check mark while each message is up
    whileShown = [&](const ShownMessage&) { checkedThen.push_back(form->Den8LinkP1->isChecked()); };
    const QString caption = QStringLiteral("電信八号とリンク");
    struct Step {
        bool windowThere, opens;
        QString message;  // "" for none
        QMessageBox::Icon icon;
        bool linked;
    };
    const std::vector<Step> steps = {
        {false, true, QStringLiteral("電信八号が起動していません。"), QMessageBox::Critical, false},
        {true, false, "", QMessageBox::NoIcon, false},
        {true, true, QStringLiteral("電信八号とリンクしました。"), QMessageBox::Information, true},
        {true, true, QStringLiteral("電信八号とのリンクを切り離しました。"), QMessageBox::Information, false},
    };
    for (const Step& s : steps) {
        messages.clear();
        checkedThen.clear();
        p.windowThere = s.windowThere;
        p.conv->opens = s.opens;
        form->Den8LinkP1->trigger();  // as the menu does, which flips a checkable item's mark
        EXPECT_EQ(form->MailLinked(), s.linked) << s.message.toStdString();
        EXPECT_EQ(form->Den8LinkP1->isChecked(), s.linked) << s.message.toStdString();
        if (s.message.isEmpty()) {
            EXPECT_TRUE(messages.empty());
            continue;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, s.message);
        EXPECT_EQ(messages[0].caption, caption);
        EXPECT_EQ(messages[0].icon, s.icon);
        EXPECT_EQ(messages[0].buttons, QMessageBox::Ok);
        EXPECT_EQ(checkedThen, std::vector<bool>{s.linked});
    }
}

TEST_F(MailLinkCommand, ClosingTheWindowClosesTheLinkWithoutAWord)
{
    form->MailLink = p.Link();
    form->show();
    form->ToggleMailLink();
    ASSERT_TRUE(form->MailLinked());
    form->close();
    EXPECT_FALSE(form->MailLinked());
    EXPECT_EQ(p.conv->calls, (std::vector<std::string>{"open", "close"}));
    EXPECT_EQ(messages.size(), 1u);
}

TEST_F(MailLinkCommand, WithoutAnX11DisplayNoMailClientIsFound)
{
    // The tests' offscreen platform is not X11, whatever DISPLAY says.
    form->ToggleMailLink();
    EXPECT_EQ(Texts(), QStringList{QStringLiteral("電信八号が起動していません。")});
    EXPECT_FALSE(form->MailLinked());
}

}  // namespace
