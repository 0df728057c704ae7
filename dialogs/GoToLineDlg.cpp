#include "dialogs/GoToLineDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/DialogFont.h"

TGoToLineDlg::TGoToLineDlg(int current, int count, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("指定行へ移動"));
    setFont(DialogFont());
    count = std::max(count, 1);
    Edit1 = new QSpinBox(this);
    Edit1->setRange(1, count);
    Edit1->setValue(std::clamp(current, 1, count));
    // Room for the largest number, without the arrows taking the place of digits.
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QString::number(count)) + 48);
    auto* label = new QLabel(QStringLiteral("行番号(&L) (1 - %1):").arg(count), this);
    label->setBuddy(Edit1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(Edit1, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(buttons);
    setFixedSize(sizeHint());
    Edit1->setFocus();
    Edit1->selectAll();
}

// A number typed past the count is taken as the count, as the box's own arrows would.
int TGoToLineDlg::Line() const
{
    const QString typed = Edit1->cleanText();
    bool ok = false;
    const long long n = typed.toLongLong(&ok);
    if (!ok) return Edit1->value();
    return int(std::clamp<long long>(n, Edit1->minimum(), Edit1->maximum()));
}
