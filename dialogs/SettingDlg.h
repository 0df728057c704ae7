#pragma once
// TSettingDlg: the settings dialog "環境設定". Its controls are filled from the main window's
// live settings when it is made; OK writes every value back and has them applied and saved;
// Cancel changes nothing. Made, shown modally and destroyed for each use.
#include <QDialog>
#include <functional>

#include "settings/Settings.h"

class QCheckBox;
class QColorDialog;
class QFileDialog;
class QFontDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TSettingDlg : public QDialog {
    Q_OBJECT
public:
    // settings: the main window's settings, with the view's current values taken into them;
    // pixelsPerInch: the screen's, for the font size in points; apply: run on OK once the values
    // are written back into settings, to apply them to the view and save them.
    TSettingDlg(TSettings& settings, int pixelsPerInch, std::function<void()> apply, QWidget* owner = nullptr);

    // The integer a text starts with: leading white space, an optional sign, decimal digits up to
    // the first non-digit; no digits give 0.
    static int LeadingInteger(const QString& s);
    // A swatch's colour as 0x00BBGGRR.
    static TColor SwatchColor(const QFrame* swatch);

    QTabWidget* PageControl1 = nullptr;
    // "表示"
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* FontChBtn1 = nullptr;
    QLabel* FNameLabel1 = nullptr;
    QLabel* FSizeLabel1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QFrame* CharColPanel1 = nullptr;
    QFrame* BGColPanel1 = nullptr;
    QFrame* CRColPanel1 = nullptr;
    QPushButton* CharColChBtn1 = nullptr;
    QPushButton* BGColChBtn1 = nullptr;
    QPushButton* CRColBtn1 = nullptr;
    QCheckBox* CRView1 = nullptr;
    // "動作"
    QCheckBox* Smooth1 = nullptr;
    QCheckBox* Last1Page1 = nullptr;
    QCheckBox* ExitEnterKey1 = nullptr;
    QCheckBox* FgWindow1 = nullptr;
    QCheckBox* CcrScroll1 = nullptr;
    // "ツール"
    QLabel* Label4 = nullptr;
    QLineEdit* EditorName = nullptr;
    QPushButton* SelEditorBtn1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EditorParam = nullptr;
    QLabel* InfoLabel1 = nullptr;
    QLabel* InfoLabel2 = nullptr;
    QLabel* InfoLabel3 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // The standard choosers.
    QColorDialog* ColorDialog1 = nullptr;
    QFontDialog* FontDialog1 = nullptr;
    QFileDialog* SelEditorDialog1 = nullptr;

    void FormCreate();
    void FontChBtn1Click();
    void CharColChBtn1Click() { ChooseColor(CharColPanel1); }
    void BGColChBtn1Click() { ChooseColor(BGColPanel1); }
    void CRColBtn1Click() { ChooseColor(CRColPanel1); }
    void SelEditorBtn1Click();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void CreatePages();
    void ChooseColor(QFrame* swatch);

    TSettings& settings_;
    int ppi_;
    std::function<void()> apply_;
};
