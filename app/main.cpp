// Program entry: the application, the main window with its own taskbar entry, the message loop.
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
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

}  // namespace

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
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
        form.Arguments.assign(argv + 1, argv + argc);
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
