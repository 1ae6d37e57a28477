#include "run/file_loader.h"

#include <QThread>

FileLoader::FileLoader(QObject *parent) : QObject(parent) {}

FileLoader::~FileLoader()
{
    if (m_thread) {
        m_stop = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool FileLoader::start(const QString &path, bool fahrenheit)
{
    if (m_thread)
        return false;
    m_path = path;
    m_stop = false;
    m_shown = -1;
    m_thread = QThread::create([this, path, fahrenheit] {
        const setio::Progress progress = [this](int done) {
            // Told on the window's thread, once per step it shows.
            if (m_shown.exchange(done) != done)
                QMetaObject::invokeMethod(this, [this, done] { Q_EMIT this->progress(done); },
                                          Qt::QueuedConnection);
            return !m_stop;
        };
        setio::Loaded result = setio::loadFile(path, fahrenheit, progress);
        {
            QMutexLocker lock(&m_mutex);
            m_result = std::move(result);
        }
        QMetaObject::invokeMethod(this, &FileLoader::finished, Qt::QueuedConnection);
    });
    m_thread->setObjectName(QStringLiteral("file loader"));
    m_thread->start();
    return true;
}

void FileLoader::finished()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    Q_EMIT loaded(m_path);
}

setio::Loaded FileLoader::take()
{
    QMutexLocker lock(&m_mutex);
    return std::exchange(m_result, setio::Loaded{});
}
