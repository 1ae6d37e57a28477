#include "app/data_commands.h"

#include "acquisition/download.h"
#include "acquisition/reading_set.h"
#include "acquisition/time_left.h"
#include "app/frm_main.h"
#include "common/messages.h"
#include "common/output_file.h"
#include "common/prompter.h"
#include "datafile/brv2_file.h"
#include "datafile/set_io.h"
#include "device/serial_link.h"
#include "run/file_loader.h"
#include "run/run_document.h"
#include "view/frm_data.h"

#include <QFileInfo>
#include <QProgressBar>

namespace {

// Files up to this size open in a moment (some 25,000 rows); larger ones are read in the
// background with the progress shown.
constexpr qint64 kBackgroundBytes = 1 << 20;

} // namespace

DataCommands::DataCommands(FrmMain &main)
    : QObject(&main), m_main(main), m_download(new Downloader(main.link(), this)),
      m_loader(new FileLoader(this))
{
    connect(m_loader, &FileLoader::progress, this,
            [this](int v) { m_main.data()->progressBar()->setValue(v); });
    connect(m_loader, &FileLoader::loaded, this, &DataCommands::onFileLoaded);
    connect(m_download, &Downloader::labelShown, this, [this] {
        FrmData *d = m_main.data();
        d->progressLabel()->setText(msg::kReading);
        d->progressBar()->setRange(0, Downloader::kProgressMax);
        d->progressBar()->setValue(0);
        d->showProgress(true);
    });
    connect(m_download, &Downloader::progress, this,
            [this](int v) { m_main.data()->progressBar()->setValue(v); });
    connect(m_download, &Downloader::timeLeft, this,
            [this](int s) { m_main.data()->timeLeftLabel()->setText(TimeLeft::text(s)); });
    connect(m_download, &Downloader::finished, this,
            [this](Downloader::Outcome o) { onDownloadFinished(int(o)); });
}

void DataCommands::Read_data()
{
    // The set shown stays until a new one has arrived: a download that fails (a pulled cable,
    // a logger that does not answer, one that was never enabled) must not cost the user what
    // the window showed, perhaps a live run that exists nowhere else.
    m_main.Dsb_Controls();
    m_main.setBusy(true);
    m_download->start();
}

void DataCommands::endDownload()
{
    m_main.data()->showProgress(false);
    m_main.setBusy(false);
}

void DataCommands::onDownloadFinished(int outcome)
{
    FrmData *d = m_main.data();
    switch (Downloader::Outcome(outcome)) {
    case Downloader::Outcome::Done:
        m_main.New_file();
        m_main.document().takeDownload(m_download->image(), m_download->model());
        Q_EMIT runDownloaded();
        d->DRAW_GRAPH();
        endDownload();
        m_main.Enb_Controls();
        break;
    case Downloader::Outcome::NotEnabled:
        // Nothing to show: the window keeps the set it showed.
        endDownload();
        Downloader::report(Downloader::Outcome::NotEnabled, m_main.prompter());
        m_main.Enb_Controls();
        break;
    case Downloader::Outcome::NotResponding:
        endDownload();
        // A port that went away has been reported by the main window, once.
        if (m_main.link().isOpen())
            Downloader::report(Downloader::Outcome::NotResponding, m_main.prompter());
        m_main.Enb_Controls();
        break;
    }
    Q_EMIT downloadFinished(Downloader::Outcome(outcome) == Downloader::Outcome::Done);
}

void DataCommands::SaveData()
{
    RunDocument &doc = m_main.document();
    if (doc.set().MODEL == 0) {
        m_main.prompter().message(msg::kNothingToSave, appinfo::title(), Prompter::Icon::Information);
        return;
    }
    QString path = m_main.prompter().saveFileName(msg::kTitleSave, msg::kBrivakFilter);
    if (path.isEmpty())
        return;
    path = brv2::withSuffix(path);
    QString error;
    if (!doc.save(path, &error)) {
        m_main.prompter().message(
            outputfile::failureText(QFileInfo(path).absoluteFilePath(), error), appinfo::title(),
            Prompter::Icon::Warning);
        return;
    }
    doc.setTitle(QStringLiteral(" - ") + QFileInfo(path).absoluteFilePath());
}

void DataCommands::OpenData()
{
    const QString path = m_main.prompter().openFileName(msg::kTitleOpen, msg::kBrivakFilter);
    if (!path.isEmpty())
        openFile(path);
}

void DataCommands::openFile(const QString &path)
{
    FrmData *d = m_main.data();
    // The file being read is shown when it is read.
    if (m_loader->isReading())
        return;
    if (QFileInfo(path).size() > kBackgroundBytes) {
        // As during a download: the window can be looked at, nothing else started.
        m_main.Dsb_Controls();
        m_main.setBusy(true);
        d->progressLabel()->setText(msg::kReading);
        d->progressBar()->setRange(0, setio::kProgressMax);
        d->progressBar()->setValue(0);
        d->timeLeftLabel()->clear();
        d->showProgress(true);
        m_loader->start(path, m_main.document().set().Cels_Faren == 0);
        return;
    }
    d->setCursor(Qt::WaitCursor);
    const setio::Opened opened = m_main.document().openFile(path);
    d->unsetCursor();
    showOpened(opened);
}

void DataCommands::onFileLoaded(const QString &path)
{
    m_main.data()->showProgress(false);
    m_main.setBusy(false);
    m_main.Enb_Controls();
    showOpened(m_main.document().openLoaded(m_loader->take(), path));
    Q_EMIT fileOpened();
}

void DataCommands::openRun(const QByteArray &bytes, const QString &title,
                           const std::optional<KeptJudgement> &kept)
{
    showOpened(m_main.document().openArchived(bytes, title, kept));
}

void DataCommands::showOpened(const setio::Opened &opened)
{
    switch (opened.status) {
    case setio::Status::Ok:
        m_main.data()->DRAW_GRAPH();
        break;
    case setio::Status::FileCorrupted:
    case setio::Status::FileError:
        setio::report(opened.status, m_main.prompter());
        break;
    }
}
