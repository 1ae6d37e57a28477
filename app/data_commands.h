#pragma once

#include "run/kept_judgement.h"

#include <QObject>

#include <optional>

class Downloader;
class FileLoader;
namespace setio {
struct Opened;
}
class FrmMain;

// The data window's Read Data, Save and Open: the download's conversation runs in the
// Downloader and the file format in setio; this class shows progress and outcomes and keeps
// the main window's commands and pointer right on every path.
class DataCommands : public QObject
{
    Q_OBJECT
public:
    explicit DataCommands(FrmMain &main);

    void Read_data();
    void SaveData();
    void OpenData();
    // What Open does once the file is picked (also for a file named at start-up). A large
    // file is read on a thread of its own while the window shows how far it has come; the
    // run shown stays until the file is read.
    void openFile(const QString &path);
    // The same for a run's file bytes kept in the archive; `title` names the run.
    void openRun(const QByteArray &bytes, const QString &title,
                 const std::optional<KeptJudgement> &kept = std::nullopt);

    Downloader &downloader() { return *m_download; }

Q_SIGNALS:
    // A download ended, with readings shown (`done`) or not.
    void downloadFinished(bool done);
    // A download's readings are in the data window's set, not yet drawn.
    void runDownloaded();
    // A file read in the background was opened (or was found not to open).
    void fileOpened();

private:
    void onDownloadFinished(int outcome);
    void endDownload();
    void showOpened(const setio::Opened &opened);
    void onFileLoaded(const QString &path);

    FrmMain &m_main;
    Downloader *m_download = nullptr;
    FileLoader *m_loader = nullptr;
};
