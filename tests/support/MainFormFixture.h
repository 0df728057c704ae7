#pragma once
// The main window as the tests build it: made in a temporary folder of the test's own, its
// message boxes recorded and answered instead of shown. A test that needs more (a view of its
// own, a store, the environment set before the window is made) extends the fixture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "bigview/Bigview.h"
#include "support/TestFiles.h"

// A message box as the window asked for it.
struct ShownMessage {
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class TFormFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        MakeForm();
    }
    // The window goes before the folder, the view and whatever else of the test it uses; then
    // the user's store is the one it was.
    void TearDown() override
    {
        form.reset();
        if (oldConfig) qputenv("XDG_CONFIG_HOME", *oldConfig);
    }
    // The user's store of this test only, for windows made from now on.
    void UseOwnConfig()
    {
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config"))));
    }

    // Makes the window (again) with a view of the given kind, which the window owns, and
    // returns the view.
    template <class View = TBigView>
    View* MakeForm()
    {
        auto* view = new View;
        form = std::make_unique<TForm1>(view);
        form->MessageBoxFn = [this](const QString& text, const QString& caption, QMessageBox::Icon icon,
                                    QMessageBox::StandardButtons buttons, QMessageBox::StandardButton def) {
            messages.push_back({text, caption, icon, buttons, def});
            if (whileShown) whileShown(messages.back());
            return buttons & QMessageBox::Yes ? answer : QMessageBox::Ok;
        };
        return view;
    }
    // Shows the window and waits until it is on the screen.
    void ShowExposed()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    // Shows the window as the active one, which keys go to.
    void ShowActive()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Writes bytes to a file in the test's folder and returns its full name.
    std::string Write(const QString& name, const QByteArray& bytes) { return WriteTestFile(dir, name, bytes); }
    // Opens a file as a user does.
    void Open(const std::string& name) { form->OpenFile(name, true); }
    std::string FirstLine() const
    {
        return form->BigView1->GetCountOrg() ? form->BigView1->GetOrg(0).str() : std::string();
    }
    // The texts of the messages shown, in order.
    QStringList Texts() const
    {
        QStringList texts;
        for (const ShownMessage& m : messages) texts << m.text;
        return texts;
    }

    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
    std::vector<ShownMessage> messages;
    // The answer to a question (a box with Yes); any other box is answered Ok.
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    // Runs while a message is up, after it is recorded: a test works inside the box here, as a
    // user can while a modal box runs its own event loop.
    std::function<void(const ShownMessage&)> whileShown;

private:
    std::optional<QByteArray> oldConfig;
};
