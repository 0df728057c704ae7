#include "app/OpenDialog.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QRegularExpression>

TOpenDialog::TOpenDialog(QWidget* parent, const QString& caption) : QFileDialog(parent, caption)
{
    // Qt's own dialog, not the desktop's: names that are no UTF-8 and typed wildcards are
    // handled here, the same on every desktop.
    setOption(QFileDialog::DontUseNativeDialog);
}

QStringList TOpenDialog::TypedPatterns(const QString& text)
{
    if (!text.contains(QLatin1Char('*')) && !text.contains(QLatin1Char('?'))) return {};
    QStringList patterns;
    for (const QString& p : text.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts))
        patterns << p;
    return patterns;
}

void TOpenDialog::accept()
{
    auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QStringList patterns = edit ? TypedPatterns(edit->text()) : QStringList();
    if (patterns.isEmpty()) return QFileDialog::accept();
    if (auto* model = findChild<QFileSystemModel*>()) {
        model->setNameFilterDisables(false);
        model->setNameFilters(patterns);
    }
    edit->clear();
}

void TOpenDialog::done(int result)
{
    for (QCompleter* c : findChildren<QCompleter*>())
        if (c->popup()) c->popup()->hide();
    QFileDialog::done(result);
}
