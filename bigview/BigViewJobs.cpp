// Work off the user-interface thread: loads of files, and the display lines of large texts
// derived again after a resize, a font, the wrap settings or a tab width. Meanwhile the view
// shows what it showed; the finished work replaces it in one step.
#include <sys/stat.h>

#include <QMetaObject>

#include "bigview/Bigview.h"

namespace {

// The view font at a client width, kept alive by whatever measures with it.
class TFontMeasure final : public TBvMeasure {
public:
    TFontMeasure(std::shared_ptr<const TViewFont> font, int clientWidth)
        : font_(std::move(font)), clientWidth_(clientWidth)
    {
    }
    int64_t TabbedTextWidth(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance) const override
    {
        return font_->TabbedTextWidth(enc, s, n, tabDistance);
    }
    void PrefixWidths(TBvEncoding enc, const char* s, size_t n, int64_t tabDistance,
                      std::vector<int64_t>& out) const override
    {
        font_->PrefixWidths(enc, s, n, tabDistance, out);
    }
    int CharWidth() const override { return font_->CharWidth(); }
    int ClientWidth() const override { return clientWidth_; }
    int UniformCellWidth() const override { return font_->CellGrid() ? font_->CharWidth() : 0; }

private:
    std::shared_ptr<const TViewFont> font_;
    int clientWidth_;
};

// The size of the file to load: 0 for what is refused at once (no regular file), the most
// there is for a pipe or a FIFO, whose end may take any time to come.
uint64_t SourceSize(const TBvLoadSource& source)
{
    struct stat st;
    const int r = source.fd >= 0 ? fstat(source.fd, &st) : stat(source.name.c_str(), &st);
    if (r != 0) return 0;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return UINT64_MAX;
    return S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
}

// Worth freeing on another thread.
bool Large(const TBvStrings& store, const TBvRows& rows)
{
    return store.Position(store.Count()) >= (uint64_t(1) << 20) || rows.Count() >= (1 << 17);
}

}  // namespace

bool TBigView::TDeriveKey::Serves(const TDeriveKey& o) const
{
    if (wrap.wordWrap != o.wrap.wordWrap) return false;
    if (!wrap.wordWrap) return true;  // no line is cut
    if (wrap.wrapByte != o.wrap.wrapByte) return false;
    if (wrap.wrapByte > 0) return true;  // cut by bytes alone
    return wrap.viewTabStop == o.wrap.viewTabStop && clientWidth == o.clientWidth && font == o.font;
}

TBigView::TDeriveKey TBigView::WantedKey() const { return {lines_.Wrap(), ClientWidth(), font_}; }

TBigView::TDeriveKey TBigView::StagedKey() const
{
    TDeriveKey key = WantedKey();
    key.wrap.viewTabStop = loadKey_.wrap.viewTabStop;
    return key;
}

std::shared_ptr<const TBvMeasure> TBigView::MeasureFor(const TDeriveKey& key)
{
    key.font->PrepareForThreads();
    return std::make_shared<TFontMeasure>(key.font, key.clientWidth);
}

// ---- loading ----

void TBigView::BeginLoad(const TBvLoadSource& source, int tabStop, std::function<void(TBvLoadFailure)> done)
{
    if (Loading()) {
        // Asked for while one runs: that one is given up at once.
        load_.reset();
        DropStaged();
        FinishLoad(TBvLoadFailure::Cancelled);
    }
    loadKey_ = WantedKey();
    loadKey_.wrap.viewTabStop = tabStop;
    loadDone_ = std::move(done);
    load_ = std::make_unique<TBvJob>(source, loadKey_.wrap, MeasureFor(loadKey_));
    if (SourceSize(source) < SyncLoadBelow) {
        load_->Run();
        LoadEnded();
        return;
    }
    load_->Start([this] { emit jobEnded(); });
}

void TBigView::CancelLoad()
{
    if (load_) load_->Cancel();  // its end reports it
    if (staged_) {
        DropStaged();
        FinishLoad(TBvLoadFailure::Cancelled);
    }
}

double TBigView::LoadProgress() const
{
    if (load_) return load_->Progress();
    // Read and split; the display lines are being derived again.
    if (staged_ && derive_) return (2 + std::max(0.0, derive_->Progress())) / 3 * 0.99;
    return 0;
}

void TBigView::LoadEnded()
{
    if (!load_ || !load_->Ended()) return;  // an older load's late word, or none
    if (holds_ > 0) {
        endedInHold_ = true;
        return;
    }
    std::unique_ptr<TBvJob> job = std::move(load_);
    const TBvLoadFailure failure = job->Failure();
    loadRead_ = job->BytesRead();
    // Only a whole text replaces the one on view; why not is for the owner to say.
    const bool whole = failure == TBvLoadFailure::None;
    if (whole && !loadKey_.Serves(StagedKey())) {
        // Derived by settings that changed meanwhile (a resize, say): derived again first.
        staged_ = std::move(job);
        if (derive_) derive_->Cancel();  // it was for the old text; its end starts the new one
        else StartDerive();
        return;
    }
    if (whole) ShowText(*job, loadKey_, job->Rows(), job->Widest());
    Dispose(std::move(job));
    FinishLoad(failure);
}

void TBigView::FinishLoad(TBvLoadFailure failure)
{
    const std::function<void(TBvLoadFailure)> done = std::move(loadDone_);
    loadDone_ = nullptr;
    if (done) done(failure);
}

void TBigView::DropStaged()
{
    if (!staged_) return;
    if (derive_ && &derive_->Target() == &staged_->Store()) derive_.reset();  // it reads the staged text
    Dispose(std::move(staged_));
    // The text on view may want its own display lines again meanwhile.
    Rederive();
    MapUpdate();
}

void TBigView::ShowText(TBvJob& job, const TDeriveKey& key, TBvRows& rows, int widest)
{
    // A derivation for the old text is of no use now.
    if (derive_ && &derive_->Target() == &store_) derive_.reset();
    // The old text and display lines go with the job, to be freed off this thread.
    store_.Swap(job.Store());
    lines_.Adopt(rows, key.wrap, widest);
    rowsKey_ = key;
    rowsPending_ = false;
    ShowLoaded(widest);
}

// ---- deriving again ----

bool TBigView::Rederive()
{
    if (staged_) return false;  // the staged text is derived when it is shown
    const TDeriveKey key = WantedKey();
    if (derive_) {
        if (!deriveKey_.Serves(key)) derive_->Cancel();  // its end starts one for the settings now
        return false;
    }
    if (key.Serves(rowsKey_)) {
        rowsKey_.wrap = key.wrap;  // the tab width for drawing, which cuts nothing here
        if (rowsPending_) {
            rowsPending_ = false;
            MapUpdate();
        }
        return false;
    }
    if (store_.Position(store_.Count()) >= AsyncDeriveFrom) {
        StartDerive();
        return false;
    }
    TBvRows rows;
    int widest = 0;
    if (store_.Position(store_.Count()) >= TBvDeriver::kParallelFrom) font_->PrepareForThreads();
    TBvDeriver(store_, key.wrap, *this, 0).Finish(rows, widest);
    TakeRows(rows, key, widest);
    return GetCount() > 0;
}

void TBigView::StartDerive()
{
    deriveKey_ = staged_ ? StagedKey() : WantedKey();
    rowsPending_ = true;
    const TBvStrings& text = staged_ ? staged_->Store() : store_;
    derive_ = std::make_unique<TBvJob>(text, deriveKey_.wrap, MeasureFor(deriveKey_));
    derive_->Start([this] { emit jobEnded(); });
}

void TBigView::DeriveEnded()
{
    if (!derive_ || !derive_->Ended()) return;
    if (holds_ > 0) {
        endedInHold_ = true;
        return;
    }
    std::unique_ptr<TBvJob> job = std::move(derive_);
    if (staged_ && &job->Target() == &staged_->Store()) {
        if (job->Derived() && deriveKey_.Serves(StagedKey())) {
            std::unique_ptr<TBvJob> load = std::move(staged_);
            ShowText(*load, deriveKey_, job->Rows(), job->Widest());
            const TBvLoadFailure failure = load->Failure();
            Dispose(std::move(load));
            Dispose(std::move(job));
            FinishLoad(failure);
            return;
        }
    } else if (!staged_ && &job->Target() == &store_ && job->Derived() && deriveKey_.Serves(WantedKey())) {
        TakeRows(job->Rows(), deriveKey_, job->Widest());
        ++rowsTaken_;
        Dispose(std::move(job));
        MapUpdate();
        return;
    }
    // Stopped, or for settings or a text no longer wanted: once more for what is wanted now.
    Dispose(std::move(job));
    if (staged_) StartDerive();
    else if (!Rederive()) MapUpdate();
}

void TBigView::TakeRows(TBvRows& rows, const TDeriveKey& key, int widest)
{
    // Kept as file positions: the top file line and the selection.
    const int org = ConvertIndexToOrg(viewLineStart_);
    const TOrgPos keptStart = lines_.ToOrg(sel_.Start()), keptEnd = lines_.ToOrg(sel_.End());
    lines_.Adopt(rows, key.wrap, widest);
    rowsKey_ = key;
    rowsPending_ = false;
    if (Large(store_, rows)) Dispose(nullptr, nullptr, &rows);
    TMapLock lock(*this);
    LimitToDisplayLines(false);
    if (org >= 0) {
        SetSelStart(lines_.FromOrg(keptStart));
        SetSelEnd(lines_.FromOrg(keptEnd));
        SetViewLineStart(ConvertIndexFromOrg(org));
    } else {
        LimitToDisplayLines(true);
    }
    CalcScrollRange();
}

void TBigView::DropDerive()
{
    if (!derive_ || staged_) return;
    derive_.reset();
    rowsPending_ = false;
}

// ---- holding and freeing ----

void TBigView::Release()
{
    if (--holds_ > 0) return;
    if (endedInHold_) {
        endedInHold_ = false;
        emit jobEnded();
    }
    emit released();
}

void TBigView::Dispose(std::unique_ptr<TBvJob> job, TBvStrings* store, TBvRows* rows)
{
    struct Garbage {
        std::unique_ptr<TBvJob> job;
        TBvStrings store;
        TBvRows rows;
    };
    auto g = std::make_unique<Garbage>();
    g->job = std::move(job);
    if (store) g->store.Swap(*store);
    if (rows) g->rows.Swap(*rows);
    const bool large = (g->job && Large(g->job->Store(), g->job->Rows())) || Large(g->store, g->rows);
    if (!large) return;  // freed here, at once
    if (disposer_.joinable()) disposer_.join();
    disposer_ = std::thread([g = std::move(g)]() mutable { g.reset(); });
}
