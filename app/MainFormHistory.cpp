// The navigation history: Back, Forward and the Go menu's ten newest entries with the check
// mark on the one shown.
#include <QAction>

#include "app/MainForm.h"
#include "app/Place.h"
#include "platform/FileNames.h"

QAction* TForm1::HistoryItem(int index) const { return index >= 0 && index < 10 ? HistP[index] : nullptr; }

void TForm1::AddToHistory(const std::string& name)
{
    const int before = History.Index();
    if (!History.Add(name)) return;  // the current entry: history and menu stay as they are
    if (QAction* item = HistoryItem(before)) item->setChecked(false);
    N5->setVisible(true);
    HistP[0]->setChecked(true);
    for (int n = 1; n <= 10; ++n) {
        QAction* item = HistP[n - 1];
        if (History.Count() < n) {
            item->setVisible(false);  // its caption is left as it was
            continue;
        }
        // An & of the name is doubled, so that the menu shows it rather than taking it for an
        // access key.
        QString shown = platform::DisplayFileName(History.Entries()[size_t(n - 1)]);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        item->setText(QStringLiteral("&%1 ").arg(n % 10) + shown);
        item->setVisible(true);
    }
}

void TForm1::UpdateHistoryMoves()
{
    Back1->setEnabled(History.CanGoBack());
    Forward1->setEnabled(History.CanGoForward());
}

// Shows entry index, leaving the history as it is; the mark moves to it once its load has ended
// (a cancelled load leaves it where it was). A move to no entry (Back or Forward left enabled by a
// load that raised) does nothing.
void TForm1::MoveInHistory(int index)
{
    if (index < 0 || index >= History.Count()) return;
    // The entry opens where the reader left it. Its place is read once the file shown has been
    // left, so that choosing the entry shown keeps its own place.
    StartLoad({History.Entries()[size_t(index)], false, index,
               [this, index] { ShowPlace(*BigView1, History.Place(index)); }});
}

void TForm1::LeavePlace()
{
    const std::string& shown = CurrentFileName();
    if (!shown.empty() && History.Index() >= 0 && THistory::SameName(History.Current(), shown))
        History.SetPlace(PlaceOfTop(*BigView1));
}

void TForm1::MarkHistoryEntry(int index)
{
    const int before = History.Index();
    if (!History.MoveTo(index)) return;
    if (QAction* item = HistoryItem(before)) item->setChecked(false);
    if (QAction* item = HistoryItem(index)) item->setChecked(true);
}

// Asked for during a load or a search, each move counts from the entry shown once they are over.
void TForm1::Back1Click()
{
    if (!Deferred([this] { Back1Click(); })) MoveInHistory(History.Index() + 1);
}

void TForm1::Forward1Click()
{
    if (!Deferred([this] { Forward1Click(); })) MoveInHistory(History.Index() - 1);
}

void TForm1::HistPClick(QAction* item)
{
    const int index = item->data().toInt() - 1;
    if (!Deferred([this, index] { MoveInHistory(index); })) MoveInHistory(index);
}
