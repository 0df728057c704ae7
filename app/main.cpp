// Program entry: the application, the main window with its own taskbar entry, the message loop.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/MainForm.h"
#include "bigview/ViewFont.h"
#include "dialogs/FindDlg.h"

namespace {

QString What(const std::exception* e)
{
    return e ? QString::fromUtf8(e->what()) : QStringLiteral("不明な例外が発生しました。");
}

void ShowException(const QString& text)
{
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Tavuko"), text);
}

// An exception escaping an event handler is shown, and the program goes on: Qt's event loop
// cannot carry exceptions through itself.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override
    {
        try {
            return QApplication::notify(receiver, e);
        } catch (const std::exception& ex) {
            ShowException(What(&ex));
        } catch (...) {
            ShowException(What(nullptr));
        }
        return false;
    }
};

// What standard input brings: a pipe, a FIFO or a file is a text to show; a terminal, a device
// such as the /dev/null a desktop launcher gives, or nothing at all is none.
TInputKind StandardInput()
{
    struct stat st;
    if (fstat(STDIN_FILENO, &st) != 0) return TInputKind::Terminal;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISREG(st.st_mode) ? TInputKind::Text
                                                                               : TInputKind::Terminal;
}

}  // namespace

int main(int argc, char** argv)
{
    const TProgramArguments arguments =
        ParseProgramArguments(std::vector<std::string>(argv + 1, argv + argc), StandardInput());
    const bool japanese = JapaneseMessages(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    switch (arguments.action) {
    case TProgramArguments::TAction::Help: std::fputs(UsageText(japanese).c_str(), stdout); return 0;
    case TProgramArguments::TAction::Version: std::fputs(VersionText(), stdout); return 0;
    case TProgramArguments::TAction::Fail: std::fputs(FailureText(arguments.error, japanese).c_str(), stderr); return 2;
    case TProgramArguments::TAction::Show: break;
    }
    // Qt is given the program's name alone, so that it takes none of its own options from the
    // command line (its environment variables still work).
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    TApplication app(qtArgc, qtArgv);
    // Qt's own texts (the dialogs' and message boxes' buttons) in the user's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    try {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/tavuko.png")));
        QGuiApplication::setDesktopFileName(QStringLiteral("tavuko"));  // its entry in the desktop's menus
        TViewFont::InstallSubstitutions();
        TForm1 form;
        TFindDlg findDlg(&form, form.BigView1);
        form.SetFindDlg(&findDlg);
        form.Arguments = arguments;
        form.show();
        form.ServeOpenRequests(QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString());
        app.exec();
    } catch (const std::exception& ex) {
        ShowException(What(&ex));
    } catch (...) {
        ShowException(What(nullptr));
    }
    return 0;
}
