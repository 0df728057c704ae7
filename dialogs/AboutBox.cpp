#include "dialogs/AboutBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogFont.h"
#include "dialogs/ScreenCentre.h"

namespace {

// A read-only edit without a frame in the dialog's colour: text that reads like a label but can
// be selected and copied.
QLineEdit* SelectableText(const QString& text, QWidget* parent)
{
    auto* e = new QLineEdit(text, parent);
    e->setReadOnly(true);
    e->setFrame(false);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    e->setPalette(p);
    e->setCursorPosition(0);
    return e;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Tavuko のバージョン情報"));
    setFont(DialogFont());
    setFixedSize(257, 152);

    ProgramIcon = new QLabel(this);
    ProgramIcon->setFixedSize(33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    ProductName = new QLabel(QStringLiteral("Tavuko"), this);
    Version = new QLabel(QStringLiteral("Version 1.40"), this);
    Copyright = new QLabel(QStringLiteral("© 2026 Tavuko の開発者"), this);
    Email = SelectableText(QStringLiteral("tavuko@example.org"), this);
    Webpage = SelectableText(QStringLiteral("https://tavuko.example.org/"), this);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setFixedSize(75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(2);
    layout->addWidget(ProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    int row = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{ProductName, Version, Copyright, Email, Webpage})
        layout->addWidget(w, row++, 1);
    layout->setRowStretch(row, 1);
    layout->addWidget(OKButton, row + 1, 0, 1, 2, Qt::AlignHCenter);
    OKButton->setFocus();
}

void TAboutBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentreOnScreen(*this);
    OKButton->setFocus();
}
