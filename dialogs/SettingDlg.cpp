#include "dialogs/SettingDlg.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>
#include <climits>

#include "bigview/Bigview.h"
#include "dialogs/DialogFont.h"
#include "dialogs/ScreenCentre.h"

namespace {

constexpr int ClientWidth = 367, ClientHeight = 273, ButtonPanelHeight = 34;
const QString Points = QStringLiteral(" ポイント");

QFrame* Swatch(QWidget* parent)
{
    auto* f = new QFrame(parent);
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setLineWidth(1);
    f->setAutoFillBackground(true);
    f->setFixedSize(56, 21);
    return f;
}

void SetSwatchColor(QFrame* swatch, TColor c)
{
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, ToQColor(c));
    swatch->setPalette(p);
}

}  // namespace

TSettingDlg::TSettingDlg(TSettings& settings, int pixelsPerInch, std::function<void()> apply, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), settings_(settings), ppi_(pixelsPerInch),
      apply_(std::move(apply))
{
    setWindowTitle(QStringLiteral("環境設定"));
    setFont(DialogFont());
    setFixedSize(ClientWidth, ClientHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* panel = new QWidget(this);  // the client-aligned panel with its 5-pixel border
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(5, 5, 5, 5);
    PageControl1 = new QTabWidget(panel);
    panelLayout->addWidget(PageControl1);
    outer->addWidget(panel, 1);

    auto* buttons = new QWidget(this);  // the bottom-aligned button panel
    buttons->setFixedHeight(ButtonPanelHeight);
    auto* buttonLayout = new QHBoxLayout(buttons);
    buttonLayout->setContentsMargins(5, 0, 10, 5);
    buttonLayout->addStretch();
    OKBtn = new QPushButton(QStringLiteral("OK"), buttons);
    CancelBtn = new QPushButton(QStringLiteral("キャンセル"), buttons);
    for (QPushButton* b : {OKBtn, CancelBtn}) {
        b->setFixedSize(75, 25);
        buttonLayout->addWidget(b);
    }
    OKBtn->setDefault(true);
    outer->addWidget(buttons);
    connect(OKBtn, &QPushButton::clicked, this, [this] {
        OKBtnClick();
        accept();
    });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    CreatePages();

    ColorDialog1 = new QColorDialog(this);
    FontDialog1 = new QFontDialog(this);
    SelEditorDialog1 = new QFileDialog(this, QStringLiteral("使用するエディタ"));
    SelEditorDialog1->setFileMode(QFileDialog::ExistingFile);
    SelEditorDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    // The descriptions carry their own pattern text. No program here ends in .exe, so the
    // all-files filter, which lists every program, is the one chosen first.
    SelEditorDialog1->setOption(QFileDialog::HideNameFilterDetails);
    SelEditorDialog1->setNameFilters(
        {QStringLiteral("EXEファイル(*.exe) (*.exe)"), QStringLiteral("すべてのファイル(*.*) (*)")});
    SelEditorDialog1->selectNameFilter(QStringLiteral("すべてのファイル(*.*) (*)"));

    FormCreate();
}

void TSettingDlg::CreatePages()
{
    // "表示": the font and the colours.
    auto* display = new QWidget;
    auto* dl = new QVBoxLayout(display);
    dl->setContentsMargins(8, 6, 8, 4);
    dl->setSpacing(4);
    GroupBox1 = new QGroupBox(QStringLiteral("文字"), display);
    auto* g1 = new QHBoxLayout(GroupBox1);
    g1->setContentsMargins(8, 2, 8, 6);
    FontChBtn1 = new QPushButton(QStringLiteral("フォント(&F)..."), GroupBox1);
    FNameLabel1 = new QLabel(GroupBox1);
    FSizeLabel1 = new QLabel(QStringLiteral("9 ポイント "), GroupBox1);
    FSizeLabel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    g1->addWidget(FontChBtn1);
    g1->addSpacing(8);
    g1->addWidget(FNameLabel1, 1);
    g1->addWidget(FSizeLabel1);
    dl->addWidget(GroupBox1);

    GroupBox2 = new QGroupBox(QStringLiteral("配色"), display);
    auto* g2 = new QGridLayout(GroupBox2);
    g2->setContentsMargins(8, 2, 8, 6);
    g2->setVerticalSpacing(3);
    CharColPanel1 = Swatch(GroupBox2);
    BGColPanel1 = Swatch(GroupBox2);
    CRColPanel1 = Swatch(GroupBox2);
    CharColChBtn1 = new QPushButton(QStringLiteral("文字(&C)..."), GroupBox2);
    BGColChBtn1 = new QPushButton(QStringLiteral("背景(&B)..."), GroupBox2);
    CRColBtn1 = new QPushButton(QStringLiteral("改行(&R)..."), GroupBox2);
    const std::pair<QFrame*, QPushButton*> rows[] = {
        {CharColPanel1, CharColChBtn1}, {BGColPanel1, BGColChBtn1}, {CRColPanel1, CRColBtn1}};
    for (int r = 0; r < 3; ++r) {
        g2->addWidget(rows[r].first, r, 0);
        g2->addWidget(rows[r].second, r, 1, Qt::AlignLeft);
    }
    g2->setColumnStretch(2, 1);
    dl->addWidget(GroupBox2);
    CRView1 = new QCheckBox(QStringLiteral("改行を表示する(&V)"), display);
    dl->addWidget(CRView1);
    dl->addStretch();
    PageControl1->addTab(display, QStringLiteral("表示"));

    // "動作": the five switches.
    auto* behaviour = new QWidget;
    auto* bl = new QVBoxLayout(behaviour);
    bl->setContentsMargins(12, 10, 8, 4);
    Smooth1 = new QCheckBox(QStringLiteral("スムーズスクロール(&S)"), behaviour);
    Last1Page1 = new QCheckBox(QStringLiteral("最後も 1ページスクロール(&L)"), behaviour);
    ExitEnterKey1 = new QCheckBox(QStringLiteral("Enter キーで終了(&X)"), behaviour);
    FgWindow1 = new QCheckBox(QStringLiteral("ドロップ時に手前に表示(&O)"), behaviour);
    CcrScroll1 = new QCheckBox(QStringLiteral("Ctrl+C, Ctrl+R をページスクロールにする(&C)"), behaviour);
    for (QCheckBox* c : {Smooth1, Last1Page1, ExitEnterKey1, FgWindow1, CcrScroll1}) bl->addWidget(c);
    bl->addStretch();
    PageControl1->addTab(behaviour, QStringLiteral("動作"));

    // "ツール": the external editor.
    auto* tools = new QWidget;
    auto* tl = new QVBoxLayout(tools);
    tl->setContentsMargins(8, 6, 8, 4);
    tl->setSpacing(3);
    Label4 = new QLabel(QStringLiteral("使用するエディタ"), tools);
    EditorName = new QLineEdit(tools);
    SelEditorBtn1 = new QPushButton(QStringLiteral("参照(&B)..."), tools);
    Label1 = new QLabel(QStringLiteral("エディタに渡すパラメータ"), tools);
    EditorParam = new QLineEdit(tools);
    InfoLabel1 = new QLabel(QStringLiteral("ファイル名は $file、行番号は $line と入力してください。"), tools);
    InfoLabel2 = new QLabel(QStringLiteral("例： /J$line $file"), tools);
    InfoLabel3 = new QLabel(QStringLiteral("$ を文字として使用する場合は、$$ とします。"), tools);
    Label4->setBuddy(EditorName);
    Label1->setBuddy(EditorParam);
    tl->addWidget(Label4);
    auto* editorRow = new QHBoxLayout;
    editorRow->addWidget(EditorName, 1);
    editorRow->addWidget(SelEditorBtn1);
    tl->addLayout(editorRow);
    tl->addSpacing(4);
    tl->addWidget(Label1);
    tl->addWidget(EditorParam);
    tl->addSpacing(4);
    for (QLabel* l : {InfoLabel1, InfoLabel2, InfoLabel3}) tl->addWidget(l);
    tl->addStretch();
    PageControl1->addTab(tools, QStringLiteral("ツール"));

    connect(FontChBtn1, &QPushButton::clicked, this, &TSettingDlg::FontChBtn1Click);
    connect(CharColChBtn1, &QPushButton::clicked, this, &TSettingDlg::CharColChBtn1Click);
    connect(BGColChBtn1, &QPushButton::clicked, this, &TSettingDlg::BGColChBtn1Click);
    connect(CRColBtn1, &QPushButton::clicked, this, &TSettingDlg::CRColBtn1Click);
    connect(SelEditorBtn1, &QPushButton::clicked, this, &TSettingDlg::SelEditorBtn1Click);
}

void TSettingDlg::FormCreate()
{
    PageControl1->setCurrentIndex(0);
    FNameLabel1->setText(settings_.FontName);
    FSizeLabel1->setText(QString::number(settings_.FontPoints(ppi_)) + Points);
    SetSwatchColor(CharColPanel1, settings_.FontColor);
    SetSwatchColor(BGColPanel1, settings_.BgColor);
    SetSwatchColor(CRColPanel1, settings_.CRColor);
    CRView1->setChecked(settings_.CRView);
    Smooth1->setChecked(settings_.SmoothScroll);
    Last1Page1->setChecked(settings_.Last1PageScroll);
    ExitEnterKey1->setChecked(settings_.ExitEnterKey);
    FgWindow1->setChecked(settings_.FgWindow);
    CcrScroll1->setChecked(settings_.CcrScroll);
    EditorName->setText(settings_.EditorName);
    EditorParam->setText(settings_.EditorParam);
}

int TSettingDlg::LeadingInteger(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace()) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('+') || s[i] == QLatin1Char('-'))) negative = s[i++] == QLatin1Char('-');
    int64_t v = 0;
    for (; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i)
        v = std::min<int64_t>(v * 10 + (s[i].unicode() - '0'), INT_MAX);
    return int(negative ? -v : v);
}

TColor TSettingDlg::SwatchColor(const QFrame* swatch) { return FromQColor(swatch->palette().color(QPalette::Window)); }

// Only the face and the size are taken from the chooser; style and colour stay as they are.
void TSettingDlg::FontChBtn1Click()
{
    QFont preset(FNameLabel1->text());
    preset.setPointSize(std::max(1, LeadingInteger(FSizeLabel1->text())));
    FontDialog1->setCurrentFont(preset);
    if (FontDialog1->exec() != QDialog::Accepted) return;
    const QFont chosen = FontDialog1->selectedFont();
    FNameLabel1->setText(chosen.family());
    FSizeLabel1->setText(QString::number(qRound(chosen.pointSizeF())) + Points);
}

void TSettingDlg::ChooseColor(QFrame* swatch)
{
    ColorDialog1->setCurrentColor(ToQColor(SwatchColor(swatch)));
    if (ColorDialog1->exec() == QDialog::Accepted) SetSwatchColor(swatch, FromQColor(ColorDialog1->selectedColor()));
}

// The chooser opens where the editor now named lies: its own folder, or the one of the program
// found on PATH by that name.
void TSettingDlg::SelEditorBtn1Click()
{
    const QString name = EditorName->text();
    const QString found = QFileInfo(name).isAbsolute() ? name : QStandardPaths::findExecutable(name);
    if (!found.isEmpty() && QFileInfo(found).dir().exists()) SelEditorDialog1->setDirectory(QFileInfo(found).dir());
    if (SelEditorDialog1->exec() != QDialog::Accepted || SelEditorDialog1->selectedFiles().isEmpty()) return;
    EditorName->setText(QFileInfo(SelEditorDialog1->selectedFiles().front()).absoluteFilePath());
}

// Every value is written back, changed or not, in this order, and then applied and saved.
void TSettingDlg::OKBtnClick()
{
    settings_.FontName = FNameLabel1->text();
    settings_.SetFontPoints(LeadingInteger(FSizeLabel1->text()), ppi_);
    settings_.FontColor = SwatchColor(CharColPanel1);
    settings_.BgColor = SwatchColor(BGColPanel1);
    settings_.CRColor = SwatchColor(CRColPanel1);
    settings_.CRView = CRView1->isChecked();
    settings_.SmoothScroll = Smooth1->isChecked();
    settings_.Last1PageScroll = Last1Page1->isChecked();
    settings_.ExitEnterKey = ExitEnterKey1->isChecked();
    settings_.FgWindow = FgWindow1->isChecked();
    settings_.CcrScroll = CcrScroll1->isChecked();
    settings_.EditorName = EditorName->text();
    settings_.EditorParam = EditorParam->text();
    if (apply_) apply_();
}

void TSettingDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    CentreOnScreen(*this);
}
