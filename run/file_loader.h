#pragma once

#include "datafile/set_io.h"

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// Reads a ".brv2" file on a thread of its own, so a row file of weeks never freezes the window
// that opens it: progress() now and then while it reads, loaded() once when the file is read
// and checked. The document then shows it at once (RunDocument::openLoaded).
class FileLoader : public QObject
{
    Q_OBJECT
public:
    explicit FileLoader(QObject *parent = nullptr);
    // Stops a reading still going and waits for its thread.
    ~FileLoader() override;

    // Starts reading `path`, its rows in degF when `fahrenheit`; false while a reading goes on.
    bool start(const QString &path, bool fahrenheit);
    bool isReading() const { return m_thread != nullptr; }
    // What was read, once loaded() said so.
    setio::Loaded take();

Q_SIGNALS:
    // 0 to setio::kProgressMax.
    void progress(int done);
    void loaded(const QString &path);

private:
    void finished();

    QThread *m_thread = nullptr;
    QString m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_shown{-1}; // the progress last reported
    QMutex m_mutex;
    setio::Loaded m_result;
};
