#pragma once
// TAboutBox: the version dialog "Tavuko のバージョン情報". Enter, Escape, its OK button and the
// window's close button all end it with the OK result.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    // Edits rather than labels, so that the addresses can be selected and copied.
    QLineEdit* Email = nullptr;
    QLineEdit* Webpage = nullptr;
    QPushButton* OKButton = nullptr;

    void reject() override { accept(); }

protected:
    void showEvent(QShowEvent* e) override;
};
