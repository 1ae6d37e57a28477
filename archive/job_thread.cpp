#include "archive/job_thread.h"

namespace archive {

JobThread::JobThread(const QString &name) : m_context(new QObject)
{
    m_thread.setObjectName(name);
    m_context->moveToThread(&m_thread);
    m_thread.start();
}

JobThread::~JobThread() { finish(); }

void JobThread::post(std::function<void()> job)
{
    QMetaObject::invokeMethod(m_context, std::move(job));
}

void JobThread::finish(std::function<void()> last)
{
    if (!m_context)
        return;
    QMetaObject::invokeMethod(m_context, [last = std::move(last)] {
        if (last)
            last();
        QThread::currentThread()->quit();
    });
    m_thread.wait();
    delete m_context;
    m_context = nullptr;
}

} // namespace archive
